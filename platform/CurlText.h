#pragma once
// What a libcurl failure says to a user: libcurl's general words first, so a
// refused connection and a time-out never read alike, then the details its
// error buffer holds. For the two files that speak libcurl only.

#include <QString>

QString CurlFailureText(int code, const char *details);

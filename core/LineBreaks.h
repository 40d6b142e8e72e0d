#pragma once
// Texts arrive with the old line ends: CR LF from files, a lone CR from the
// program's own messages. Qt breaks lines at LF only.

#include <QString>

// Each CR LF and each lone CR becomes one LF.
QString ToLineFeeds(QString text);
// The same on bytes, before they are decoded.
QByteArray ToLineFeeds(QByteArray bytes);

#pragma once
// File names taken from the paths the reminders store.

#include <QString>

// The last part of a path, for showing: after the last separator of either
// kind (stored paths may come from the other platform), trailing separators
// ignored, so a folder shows its own name. A colon is part of a Linux file
// name and separates nothing. A path of separators only is returned as it is.
QString FileNamePart(const QString &path);

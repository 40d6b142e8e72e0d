#pragma once
// The desktop's trash (freedesktop.org trash in the user's data folder).

#include <QString>

namespace Trash {

// Moves a file or folder to the trash; false when it is not there afterwards.
// error, when given, receives the reason.
bool MoveToTrash(const QString &path, QString *error = nullptr);

} // namespace Trash

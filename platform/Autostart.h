#pragma once
// Starting the program at log-on: the user's XDG autostart entry
// $XDG_CONFIG_HOME/autostart/<name>.desktop whose command is the quoted program path.

#include <QString>

namespace Autostart {

QString EntryPath(const QString &name);
// Writes (replaces) the entry; error receives the reason on failure.
bool Enable(const QString &name, const QString &programPath, QString *error = nullptr);
// Removes the entry; no entry is success.
bool Disable(const QString &name, QString *error = nullptr);
// An entry exists and is not marked Hidden (the desktop's way to switch it off).
bool Exists(const QString &name);
// The Exec= value for a program path: quoted, with the characters the entry
// format treats specially escaped.
QString ExecValue(const QString &programPath);

} // namespace Autostart

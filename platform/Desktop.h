#pragma once
// Folders and identity from the Linux desktop. Every folder text ends with "/".

#include <QString>

namespace Desktop {

// Full path of the running executable (tests may substitute one).
QString ExecutablePath();
void SetExecutablePathForTests(const QString &path);

// The program's folders. A portable copy (its own folder writable) keeps
// everything beside the executable; an installed copy reads its data (Sounds,
// Help, picture library) from the installed data folder and keeps ini and
// preferences in $XDG_CONFIG_HOME/<ProgramName>/.
struct ProgramFolders {
    QString data; // Sounds/, Help/, picture library
    QString config; // ini, preferences
    bool portable = true;
};
ProgramFolders ResolveProgramFolders(const QString &exePath, const QString &programName);

QString DocumentsFolder(); // created with its parents when missing; no trailing "/"
QString DesktopFolder(); // no trailing "/"
QString TempFolder(); // with trailing "/"
QString UserName();
QString UserConfigFolder(); // $XDG_CONFIG_HOME, no trailing "/"

} // namespace Desktop

#pragma once
// Folders and identity from the Linux desktop. Every folder text ends with "/".

#include <QString>

namespace Desktop {

// Full path of the running executable (tests may substitute one).
QString ExecutablePath();
void SetExecutablePathForTests(const QString &path);

// The file the program's pictures come in.
inline constexpr char PictureLibraryName[] = "grresrep.rcc";

// The program's folders. A portable copy (its picture library lies beside the
// executable) keeps everything beside the executable. Any other copy counts as
// installed: it reads its data (Sounds, Help, picture library) from
// <executable's folder>/../share/brivane/, wherever it was installed, and
// keeps ini and preferences in $XDG_CONFIG_HOME/<ProgramName>/ (created). A
// copy with its library in a folder the user cannot write reads its data from
// there and keeps its settings in the config folder too.
struct ProgramFolders {
    QString data; // Sounds/, Help/, picture library
    QString config; // ini, preferences
    bool portable = true;
};
ProgramFolders ResolveProgramFolders(const QString &exePath, const QString &programName,
                                     const QString &libraryName = QString::fromLatin1(PictureLibraryName));

QString DocumentsFolder(); // created with its parents when missing; no trailing "/"
QString DesktopFolder(); // no trailing "/"
QString TempFolder(); // with trailing "/"
QString UserName();
QString UserConfigFolder(); // $XDG_CONFIG_HOME, no trailing "/"
// $XDG_STATE_HOME, else ~/.local/state (also when the variable is not an
// absolute path); no trailing "/". Not created here.
QString UserStateFolder();

} // namespace Desktop

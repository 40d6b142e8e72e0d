#pragma once
// Folders and identity from the Linux desktop. Every folder text ends with "/".

#include <QString>

namespace Desktop {

// Full path of the running executable; whoever needs another (tests) is handed it.
QString ExecutablePath();

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

// Where reminder sounds are. The program's own come with it (in its data
// folder). The user's own sounds are copied beside them in a portable copy,
// and into $XDG_DATA_HOME/<ProgramName>/Sounds/ in any other: an installed
// program's folder is no place for them.
struct SoundFolders {
    QString user; // where a sound the user picks is copied; with "/"
    QString program; // the program's own sounds; with "/"
    bool Shared() const { return user == program; }
    // The file a stored sound name stands for: the user's copy first, then the
    // program's own; a path (a copy that could not be made) as it is. Empty
    // when there is no such file.
    QString Find(const QString &name) const;
    // Creates the user's folder, only the owner may enter the levels made; false on failure.
    bool MakeUserFolder() const;
};
SoundFolders ResolveSoundFolders(const QString &programSounds, bool portable, const QString &programName);

QString DocumentsFolder(); // created with its parents when missing; no trailing "/"
QString DesktopFolder(); // no trailing "/"
QString TempFolder(); // with trailing "/"
QString UserName();
QString UserConfigFolder(); // $XDG_CONFIG_HOME, no trailing "/"
// $XDG_STATE_HOME, else ~/.local/state (also when the variable is not an
// absolute path); no trailing "/". Not created here.
QString UserStateFolder();
QString UserDataFolder(); // $XDG_DATA_HOME, no trailing "/"

} // namespace Desktop

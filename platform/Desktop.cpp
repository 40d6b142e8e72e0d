#include "platform/Desktop.h"

#include "core/vornFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <pwd.h>
#include <unistd.h>

namespace {
bool FolderWritable(const QString &folder)
{
    QTemporaryFile probe(WithSlash(folder) + QStringLiteral(".brivane-probe-XXXXXX"));
    return probe.open();
}
} // namespace

namespace Desktop {

QString ExecutablePath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

ProgramFolders ResolveProgramFolders(const QString &exePath, const QString &programName, const QString &libraryName)
{
    ProgramFolders f;
    const QString exeFolder = WithSlash(QFileInfo(exePath).absolutePath());
    // Whether the folder is writable says nothing: an install into a prefix
    // the user owns is writable too. What a portable copy carries is its library.
    if (QFileInfo(exeFolder + libraryName).isFile()) {
        f.data = exeFolder;
        // A copy unpacked where the user cannot write (a shared folder) still
        // runs from its own data but keeps its settings where they can be saved.
        if (FolderWritable(exeFolder)) {
            f.config = exeFolder;
            f.portable = true;
            return f;
        }
        f.portable = false;
        f.config = WithSlash(UserConfigFolder() + QLatin1Char('/') + programName);
        CreatePrivateFolder(f.config); // settings are private
        return f;
    }
    f.portable = false;
    // Found from the executable, so that an install works under any prefix.
    f.data = WithSlash(QDir::cleanPath(exeFolder + QStringLiteral("../share/brivane")));
    f.config = WithSlash(UserConfigFolder() + QLatin1Char('/') + programName);
    CreatePrivateFolder(f.config); // settings are private
    return f;
}

SoundFolders ResolveSoundFolders(const QString &programSounds, bool portable, const QString &programName)
{
    SoundFolders f;
    f.program = WithSlash(programSounds);
    f.user =
        portable ? f.program : WithSlash(UserDataFolder() + QLatin1Char('/') + programName + QStringLiteral("/Sounds"));
    return f;
}

QString SoundFolders::Find(const QString &name) const
{
    if (name.isEmpty())
        return QString();
    if (name.contains(QLatin1Char('/')))
        return QFileInfo(name).isFile() ? name : QString();
    for (const QString &folder : {user, program}) {
        if (!folder.isEmpty() && QFileInfo(folder + name).isFile())
            return folder + name;
    }
    return QString();
}

bool SoundFolders::MakeUserFolder() const
{
    if (QFileInfo(user).isDir())
        return true;
    // Levels below the data home that are made here hold the user's own files.
    QStringList missing;
    QString level = QDir::cleanPath(user);
    while (!level.isEmpty() && !QFileInfo::exists(level) && missing.size() < 2) {
        missing.prepend(level);
        level = QFileInfo(level).absolutePath();
    }
    if (!QFileInfo::exists(level) && !QDir().mkpath(level))
        return false;
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    for (const QString &folder : missing) {
        if (!QDir().mkdir(folder, ownerOnly))
            return false;
    }
    return QFileInfo(user).isDir();
}

QString DocumentsFolder()
{
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (docs.isEmpty())
        return QString();
    if (!QFileInfo::exists(docs))
        QDir().mkpath(docs);
    return docs;
}

QString DesktopFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString TempFolder()
{
    return WithSlash(QDir::tempPath());
}

QString UserName()
{
    if (const passwd *pw = getpwuid(getuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name).left(256);
    return qEnvironmentVariable("USER").left(256);
}

QString UserConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString UserStateFolder()
{
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!state.isEmpty() && QDir::isAbsolutePath(state))
        return QDir::cleanPath(state);
    return QDir::homePath() + QStringLiteral("/.local/state");
}

QString UserDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

} // namespace Desktop

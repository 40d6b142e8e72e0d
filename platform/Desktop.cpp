#include "platform/Desktop.h"

#include "BuildConfig.h"
#include "core/vornFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <pwd.h>
#include <unistd.h>

namespace {
QString g_exeOverride;

bool FolderWritable(const QString &folder)
{
    // Ask the file system: access() alone is fooled by read-only mounts.
    QTemporaryFile probe(WithSlash(folder) + QStringLiteral(".brivane-probe-XXXXXX"));
    return probe.open();
}
} // namespace

namespace Desktop {

QString ExecutablePath()
{
    if (!g_exeOverride.isEmpty())
        return g_exeOverride;
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

void SetExecutablePathForTests(const QString &path)
{
    g_exeOverride = path;
}

ProgramFolders ResolveProgramFolders(const QString &exePath, const QString &programName)
{
    ProgramFolders f;
    const QString exeFolder = WithSlash(QFileInfo(exePath).absolutePath());
    if (FolderWritable(exeFolder)) {
        f.data = f.config = exeFolder;
        f.portable = true;
        return f;
    }
    f.portable = false;
    f.data = WithSlash(QStringLiteral(BRIVANE_INSTALL_DATADIR));
    // A copy unpacked read-only but carrying its data beside it still finds it there.
    if (!QFileInfo::exists(f.data) && QFileInfo::exists(exeFolder + QStringLiteral("Help")))
        f.data = exeFolder;
    f.config = WithSlash(UserConfigFolder() + QLatin1Char('/') + programName);
    QDir().mkpath(f.config);
    return f;
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

} // namespace Desktop

#include "app/vornApplication.h"

#include "core/Clock.h"
#include "platform/Desktop.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdlib>

TvornApplication::TvornApplication(const QString &exePath)
    : TvornFile(exePath.isEmpty() ? Desktop::ExecutablePath() : exePath)
{
    // Linux executables normally carry no extension; drop one only when present.
    const QFileInfo fi(Path());
    ProgramName = fi.suffix().isEmpty() ? fi.fileName() : fi.completeBaseName();
    BuildDate = Clock::Now();
    const Desktop::ProgramFolders folders = Desktop::ResolveProgramFolders(Path(), ProgramName);
    FDataFolder = folders.data;
    FConfigFolder = folders.config;
    FPortable = folders.portable;

    AddFile(QStringLiteral("LOG=") + ProgramName + QStringLiteral(".log"));
    AddFile(QStringLiteral("INI=") + ProgramName + QStringLiteral(".ini"));
    AddFolder(QStringLiteral("DESKTOP=") + WithSlash(Desktop::DesktopFolder()));
    AddFolder(QStringLiteral("TEMP=") + Desktop::TempFolder());
    // Per user: a shared temporary folder would let one user read, or lock
    // out, another's log.
    AddFolder(QStringLiteral("LOG-FOLDER=") + Desktop::UserStateFolder() + QLatin1Char('/') + ProgramName
              + QLatin1Char('/'));
}

TvornApplication::~TvornApplication() = default;

QString TvornApplication::Lookup(const QStringList &table, const QString &key)
{
    for (const QString &line : table) {
        const int eq = line.indexOf(QLatin1Char('='));
        const QString k = eq < 0 ? line : line.left(eq);
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            return eq < 0 ? QString() : line.mid(eq + 1);
    }
    return QString();
}

void TvornApplication::EnsureFolder(const QString &path)
{
    if (FolderExists(path))
        return;
    // One level only, private to the user like everything in it.
    CreatePrivateFolder(path, nullptr, false);
    if (!FolderExists(path))
        throw EvornError(QStringLiteral("Error: Cannot create %1.").arg(path));
}

void TvornApplication::EndEventLoop()
{
    if (QCoreApplication::instance())
        QCoreApplication::exit(0);
}

void TvornApplication::HaltProcess()
{
    std::_Exit(0);
}

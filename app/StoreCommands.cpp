#include "app/StoreCommands.h"

#include "core/Clock.h"
#include "model/TaskList.h"
#include "platform/SingleInstance.h"

#include <QDir>
#include <QFileInfo>

namespace {

Cli::TAnswer Failure(const QString &text)
{
    return {Cli::ExitFailure, QString(), text + QLatin1Char('\n')};
}

bool Changes(Cli::TVerb verb)
{
    return verb == Cli::TVerb::Add || verb == Cli::TVerb::Import;
}

// Whether a backup of the store lies in its backup folder.
bool BackupWaits(const TStoreSetup &setup)
{
    const QString folder = setup.BackupFolder.isEmpty()
                               ? QFileInfo(setup.Path).absolutePath() + QStringLiteral("/Backup")
                               : setup.BackupFolder;
    return !QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty();
}

} // namespace

Cli::TAnswer RunOnStoreFile(const TStoreSetup &setup, const Cli::TCommand &command, TDateTime now,
                            const QString &timeSuffix)
{
    TTaskList list;
    TPalvaroStorage store(setup, list);
    store.ReadVersion();
    if (store.VersionUnreadable)
        return Failure(QStringLiteral("the reminder file cannot be read: %1").arg(setup.Path));
    if (store.NeedsConversion())
        return Failure(QStringLiteral("the reminder file %1 is in an older format: start Brivane once to convert it")
                           .arg(setup.Path));
    if (store.DBVersion == 0) {
        if (!Changes(command.Verb))
            return Cli::RunOnList(list, command, now, timeSuffix); // nothing to list or export
        // A new file would hide the backups from the start-up's offer to restore them.
        if (BackupWaits(setup))
            return Failure(QStringLiteral("the reminder file %1 is missing and a backup of it waits: start Brivane "
                                          "to restore it first")
                               .arg(setup.Path));
        QDir().mkpath(QFileInfo(setup.Path).absolutePath());
        if (!store.CreateEmpty())
            return Failure(QStringLiteral("the reminder file cannot be made: %1").arg(setup.Path));
    }
    if (!store.LoadRecords())
        return Failure(QStringLiteral("the reminder file cannot be read: %1").arg(setup.Path));
    const qint64 loaded = list.Count();
    Cli::TAnswer answer = Cli::RunOnList(list, command, now, timeSuffix);
    if (answer.ExitCode == Cli::ExitOk && list.Count() != loaded && !store.SaveStore())
        return Failure(
            QStringLiteral("the reminder file cannot be written: %1: %2").arg(setup.Path, store.LastSaveError()));
    return answer;
}

TDesktopFrontEnd::TDesktopFrontEnd(const QString &instanceName, const TStoreSetup &setup, const QString &timeSuffix)
    : FName(instanceName)
    , FSetup(setup)
    , FTimeSuffix(timeSuffix)
{
}

TDesktopFrontEnd::~TDesktopFrontEnd() = default;

bool TDesktopFrontEnd::TakeLock()
{
    if (FLock)
        return true;
    auto lock = std::make_unique<TSingleInstance>(FName);
    if (lock->AlreadyExists())
        return false;
    FLock = std::move(lock);
    return true;
}

void TDesktopFrontEnd::ReleaseLock()
{
    FLock.reset();
}

InstanceClient::TResult TDesktopFrontEnd::Send(const TInstanceRequest &request)
{
    return InstanceClient::Send(TSingleInstance(FName).ServerName(), request);
}

Cli::TAnswer TDesktopFrontEnd::RunOnStore(const Cli::TCommand &command)
{
    return RunOnStoreFile(FSetup, command, Clock::Now(), FTimeSuffix);
}

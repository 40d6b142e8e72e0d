#include "storage/StoreAutoSave.h"

#include "core/vornFile.h"
#include "model/TaskList.h"
#include "storage/vornStorage.h"

TStoreAutoSave::TStoreAutoSave(TPalvaroStorage &store, int delayMs, QObject *parent)
    : QObject(parent)
    , FStore(store)
{
    FTimer.setSingleShot(true);
    FTimer.setInterval(delayMs);
    connect(&FTimer, &QTimer::timeout, this, &TStoreAutoSave::SaveDue);
    FStore.List().OnModified = [this] { ListChanged(); };
    FStore.AfterSave = [this](bool written) { SaveDone(written); };
    FStore.BackupFailed = [this](const QString &target, const QString &reason) {
        Show(BackupFailureText(target, reason));
    };
}

TStoreAutoSave::~TStoreAutoSave()
{
    FStore.List().OnModified = nullptr;
    FStore.AfterSave = nullptr;
    FStore.BackupFailed = nullptr;
}

bool TStoreAutoSave::Pending() const
{
    return FTimer.isActive();
}

QString TStoreAutoSave::FailureText(const QString &path, const QString &reason)
{
    return QStringLiteral("Your reminders could not be saved to %1:\r%2\r\r"
                          "The changes are kept while the program runs; saving is tried again at the next "
                          "change and every few minutes.")
        .arg(path, reason.isEmpty() ? QStringLiteral("unknown error") : reason);
}

QString TStoreAutoSave::ReadOnlyText(const QString &folder, const QString &reason)
{
    return QStringLiteral("Your reminders' folder %1 cannot be written:\r%2\r\r"
                          "Your reminders will come up as usual, but changes cannot be saved.")
        .arg(folder, reason);
}

QString TStoreAutoSave::BackupFailureText(const QString &path, const QString &reason)
{
    return QStringLiteral("A backup copy of your reminders could not be made at %1:\r%2\r\r"
                          "The older copies are kept.")
        .arg(path, reason);
}

void TStoreAutoSave::CheckAtStart()
{
    const QString folder = FStore.FilePath();
    const QString problem = FolderWriteProblem(folder);
    if (!problem.isEmpty()) {
        FStore.LogWarningText(QStringLiteral("The store's folder cannot be written (") + problem
                              + QStringLiteral("): changes will not be saved."));
        Show(ReadOnlyText(folder, problem));
    } else if (!FStore.LastBackupError.isEmpty()) {
        Show(BackupFailureText(FStore.BackupFolder + FStore.DatedBackupName, FStore.LastBackupError));
    }
}

void TStoreAutoSave::Show(const QString &text)
{
    // One box until a save works again: a full disk would bring one with
    // every try.
    if (FFailureShown)
        return;
    FFailureShown = true;
    emit Failed(text);
}

void TStoreAutoSave::ListChanged()
{
    // Started by the first unwritten change only: later ones ride along.
    if (!FTimer.isActive())
        FTimer.start();
}

void TStoreAutoSave::SaveDue()
{
    // A box opened by a write runs its own event loop, in which this timer
    // may come round again: never start a second write inside the first.
    if (FSaving) {
        FTimer.start();
        return;
    }
    FSaving = true;
    FStore.SaveIfModified();
    FSaving = false;
}

void TStoreAutoSave::SaveDone(bool written)
{
    if (written) {
        FFailureShown = false;
        return;
    }
    Show(FailureText(FStore.Path(), FStore.LastSaveError()));
}

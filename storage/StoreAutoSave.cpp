#include "storage/StoreAutoSave.h"

#include "core/MessageBox.h"
#include "model/TaskList.h"
#include "storage/vornStorage.h"

TStoreAutoSave::TStoreAutoSave(TPalvaroStorage &store, int delayMs, QObject *parent)
    : QObject(parent)
    , FStore(store)
{
    FTimer.setSingleShot(true);
    FTimer.setInterval(delayMs);
    connect(&FTimer, &QTimer::timeout, this, &TStoreAutoSave::SaveDue);
    const QString title = store.ProgramNameText();
    ShowFailure = [title](const QString &text) { ShowNotice(text, TMsgIcon::Warning, title); };
    FStore.List().OnModified = [this] { ListChanged(); };
    FStore.AfterSave = [this](bool written) { SaveDone(written); };
}

TStoreAutoSave::~TStoreAutoSave()
{
    FStore.List().OnModified = nullptr;
    FStore.AfterSave = nullptr;
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
    if (FFailureShown)
        return;
    FFailureShown = true;
    if (ShowFailure)
        ShowFailure(FailureText(FStore.Path(), FStore.LastSaveError()));
}

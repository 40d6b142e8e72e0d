#pragma once
// Writes the store soon after every change of its list, so that a snooze, a
// dismissal, a deletion or a new reminder reaches the disk within seconds, not
// at the scheduler's next periodic save (which stays, as a second chance).
//
// The wait runs from the first change not yet written, not from the last one:
// a steady stream of changes cannot put the write off, and all changes of a
// burst go out in one write. Writes happen on the program's thread through
// SaveIfModified, one at a time.
//
// A failed write of the store (whoever asked for it) is shown to the user
// once; another failure is shown only after a write has succeeded in between.

#include <QObject>
#include <QString>
#include <QTimer>

class TPalvaroStorage;

class TStoreAutoSave : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultDelay = 2000; // ms from the first unwritten change

    // Watches store.List() and the store's writes until destroyed; the store
    // must outlive this object.
    explicit TStoreAutoSave(TPalvaroStorage &store, int delayMs = DefaultDelay, QObject *parent = nullptr);
    ~TStoreAutoSave() override;

    // A write is waiting for its time.
    bool Pending() const;
    // At start-up: says once when the store's folder takes no files (the
    // reminders still fire, but no change can be saved), or else when the
    // day's backup copy could not be made. A later failure to save is then
    // not shown again until a save has worked.
    void CheckAtStart();

    // What the user is told: the store's path and the reason.
    static QString FailureText(const QString &path, const QString &reason);
    static QString ReadOnlyText(const QString &folder, const QString &reason);
    static QString BackupFailureText(const QString &path, const QString &reason);

signals:
    // A failure the user is to be told of, as a box that does not wait for
    // an answer, so that the scheduler goes on meanwhile.
    void Failed(const QString &text);

private:
    void ListChanged();
    void SaveDue();
    void SaveDone(bool written);
    void Show(const QString &text);

    TPalvaroStorage &FStore;
    QTimer FTimer;
    bool FSaving = false;
    bool FFailureShown = false;
};

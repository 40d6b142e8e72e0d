#pragma once
// The reminder store: one file of fixed 1896-byte elements (signature 0x1A,
// format version, six unused bytes, the reminder record), its start-up
// recovery, and its backups in the "Backup" folder beside it.
//
// TvornStorage is the generic part (backup folder, rescue and dated copies,
// restore); TPalvaroStorage knows the element format, owns the reminder list
// and CopyBuffer, and says which recovery questions the user must answer.
//
// Every write of the store (save, blank store, restore) and of a backup copy
// goes to a temporary file in the target's folder that is flushed to disk and
// then renamed over the target: a crash, a power cut or a full disk leaves
// either the complete old file or the complete new one, never a cut one.

#include "core/MessageTypes.h"
#include "core/vornFile.h"
#include "model/TaskData.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class TvornLogFile;
class TTaskList;
namespace Shell {
class IShell;
}

// A box the store needs shown at start-up, described, not shown.
struct TStoreBox {
    QString Text; // a carriage return is a line break
    TMsgIcon Icon = TMsgIcon::Error;
    TMsgButtons Buttons = TMsgButtons::Ok;
    QString Title;
};

// How far opening the store got. The caller shows Notices first, in order,
// each waited for; then it acts on State.
struct TStoreOpening {
    enum class TState {
        Opened, // the list holds the store
        Question, // ask Question, waiting, and hand the answer to AnswerOpening
        Halt, // the program cannot go on: end it for HaltReason
        NotRead, // the store could not be read; the program runs on without writing it
        Left, // the program is ending: the store was left as the question found it
    };
    TState State = TState::Opened;
    TStoreBox Question;
    QList<TStoreBox> Notices;
    QString HaltReason;
};

class TvornStorage : public TvornFile {
public:
    explicit TvornStorage(const QString &path);
    ~TvornStorage() override;

    // Version of the store found by ReadVersion: 0 no file, 255 unreadable,
    // 1..9 an older format, 10 (or higher, read alike) the current one. A
    // version byte of 255 in the file is a higher one, not a damaged store:
    // VersionUnreadable tells the two apart.
    virtual void ReadVersion() = 0;
    virtual bool NeedsConversion() = 0;
    virtual TStoreOpening OpenStore() = 0;
    virtual bool SaveStore() = 0;
    // Copies the store over the rescue copy when the store is newer (hourly).
    virtual void RescueBackup();
    // Copies the newest readable copy (the rescue copy or a dated one) over the
    // store; true when the store was replaced.
    virtual bool RestoreBackup();
    // The rescue copy and the dated copies, newest first.
    QStringList RestoreCandidates() const;
    // The dated copies in the backup folder (not the rescue copies), in folder order.
    QList<QFileInfo> DatedBackups() const;
    // Whether the copy at path can stand in for the store.
    virtual bool IsReadableCopy(const QString &path) const;
    // Today's dated copy, after trimming the dated copies to six older ones.
    virtual void AutoBackup();

    // name with "-" + suffix before its first "."; "-" + suffix + name without a dot.
    static QString BackupFileName(const QString &name, const QString &suffix);
    // BackupFolder + the name of the rescue copy ("001") / second rescue copy ("000").
    QString RescueCopyPath() const;
    QString SecondRescueCopyPath() const;
    // Number of dated copies in BackupFolder; oldest = the first one found of the
    // earliest day before today (left unchanged when there is none).
    int FindOldestBackup(QString &oldest);

    uint8_t DBVersion = 0;
    bool VersionUnreadable = false; // the last ReadVersion found a file it could not read
    TvornLogFile *Log = nullptr; // may be null: then nothing is logged
    QString BackupFolder; // with trailing "/"
    QString StoreFileName; // without folder
    QString DatedBackupName; // StoreFileName + ".dd-mm-yyyy"
    QString BackupPattern; // "*.DAT.*", matched case-insensitively
    void LogWarningText(const QString &text) const { LogWarningLine(text); }
    // Why the last backup copy was not made; empty while none failed.
    QString LastBackupError;
    // Told of every backup copy that was not made, with the reason.
    std::function<void(const QString &target, const QString &reason)> BackupFailed;

protected:
    void BackupNotMade(const QString &target, const QString &reason);
    void LogInfoLine(const QString &text) const;
    void LogWarningLine(const QString &text) const;
    void LogErrorLine(const QString &text) const;
};

// Where the store and its helpers are, as the environment says at start-up.
struct TStoreSetup {
    QString Path; // the store file
    QString BackupFolder; // empty: the store's folder + "Backup/"
    QString StoreFileName; // empty: the store file's own name
    QString ProgramFolder; // where the converter lies, with trailing "/"
    QString ConverterName; // empty: "DBConverter"
    QString ProgramName; // box titles; empty: the store file's base name
};

class TPalvaroStorage : public TvornStorage {
public:
    // Loads into and saves from list, which must outlive the store.
    // shell starts the converter of an old store; null: it cannot be started.
    TPalvaroStorage(const TStoreSetup &setup, TTaskList &list, Shell::IShell *shell = nullptr);
    ~TPalvaroStorage() override;

    // A store holding the backup reminder only (used when the store is missing).
    bool CreateEmpty() override;
    void ReadVersion() override;
    bool NeedsConversion() override;
    // Start-up: recovery, converter hand-over, load, backup reminder, repair.
    // Stops at each question the user must answer (State Question); the
    // answer goes to AnswerOpening, which goes on from there.
    TStoreOpening OpenStore() override;
    // The answer to the question the last result asked (what its box gave,
    // or the cautious answer when it could not be shown).
    TStoreOpening AnswerOpening(TMsgResult answer);
    // Writes the whole list (information notices left out). Does nothing and
    // answers false for an old-format store or one not read in this run.
    bool SaveStore() override;
    void RescueBackup() override;
    bool RestoreBackup() override;
    void AutoBackup() override;
    // Whole store elements, each with the signature and the same version.
    bool IsReadableCopy(const QString &path) const override;

    // The scheduler's periodic save and the save soon after a change: only
    // when the list was marked modified after the file was last written, or
    // since this object last saved it.
    void SaveIfModified();
    // Why the last write of the store failed (as logged); empty once a write succeeds.
    QString LastSaveError() const { return FLastSaveError; }
    // Told after every write of the list that was tried, whoever asked for
    // it: true when the store was written.
    std::function<void(bool written)> AfterSave;
    bool LoadRecords();
    // "  Created: ...  Modified: ...  Accessed: ..." of the store file.
    QString FileTimesText() const;

    // A reminder of its own file (a task file): one store element, the record
    // at index byte for byte. An existing file is replaced whole or not at
    // all. False, with the reason in errorText, when it cannot be written.
    bool ExportTask(const QString &path, int index, QString *errorText = nullptr);
    // Appends the reminder of a task file to the list exactly as stored (no
    // check, no repair); anything after the first element is ignored. A file
    // shorter than one element adds nothing and gives false with
    // DamagedTaskFileText as the reason (the user is to be shown it as an
    // error box); a file that cannot be opened adds nothing and gives false
    // with the system's reason.
    bool ImportTask(const QString &path, QString *errorText = nullptr);
    static QString DamagedTaskFileText();

    // The hourly backup reminder (tag -8), first due one hour from now.
    TTaskData BuildBackupReminder() const;

    // True once LoadRecords succeeded in this run; only then is the store written.
    bool StoreRead() const { return FStoreRead; }
    TTaskList &List() const { return *FList; }

    // The program's name for box titles.
    QString ProgramNameText() const;

private:
    // Backup folder, store name, pattern and today's dated name from the settings.
    void FillBackupNames();
    enum class TPending { None, StoreMissing, StoreDamaged };
    TStoreOpening AskAbout(TPending question, const QString &text, TMsgIcon icon, TMsgButtons buttons);
    TStoreOpening CheckVersion();
    TStoreOpening Load();
    TStoreOpening HaltAfterFailedRestore(const QString &reason) const;
    // The box to show when the converter cannot be started; none when it started.
    QList<TStoreBox> CallConverter();
    // Removes what saves killed before their rename left in the store's and
    // the backup folder.
    void RemoveLeftovers();

    TStoreSetup FSetup;
    TTaskList *FList = nullptr;
    Shell::IShell *FShell = nullptr;
    TPending FPending = TPending::None;
    bool FStoreRead = false;
    bool FOpenAttempted = false;
    qint64 FSavedMark = -1; // the list's ModifiedAt (ms) saved by the last SaveStore; -1 none yet
    QString FLastSaveError;
    uint8_t FBuffer[TaskElementSize]{};
};

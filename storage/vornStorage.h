#pragma once
// The reminder store: one file of fixed 1896-byte elements (signature 0x1A,
// format version, six unused bytes, the reminder record), its start-up
// recovery, and its backups in the "Backup" folder beside it.
//
// TvornStorage is the generic part (backup folder, rescue and dated copies,
// restore); TPalvaroStorage knows the element format, owns the reminder list
// and CopyBuffer, and shows the recovery dialogs.
//
// Every write of the store (save, blank store, restore) and of a backup copy
// goes to a temporary file in the target's folder that is flushed to disk and
// then renamed over the target: a crash, a power cut or a full disk leaves
// either the complete old file or the complete new one, never a cut one.

#include "core/vornFile.h"
#include "model/TaskData.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class TvornLogFile;
class TTaskList;

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
    virtual void OpenStore() = 0;
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
    TPalvaroStorage(const TStoreSetup &setup, TTaskList &list);
    ~TPalvaroStorage() override;

    // A store holding the backup reminder only (used when the store is missing).
    bool CreateEmpty() override;
    void ReadVersion() override;
    bool NeedsConversion() override;
    // Start-up: recovery dialogs, converter hand-over, load, backup reminder, repair.
    void OpenStore() override;
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
    // shorter than one element shows "Error 06" and adds nothing; a file that
    // cannot be opened adds nothing and gives false with the reason.
    bool ImportTask(const QString &path, QString *errorText = nullptr);

    // The hourly backup reminder (tag -8), first due one hour from now.
    TTaskData BuildBackupReminder() const;

    // True once LoadRecords succeeded in this run; only then is the store written.
    bool StoreRead() const { return FStoreRead; }
    TTaskList &List() const { return *FList; }

    // How OpenStore ends the program when it cannot go on (the application's
    // halt). OpenStore returns right after calling it.
    std::function<void(const QString &reason)> Halt;

    // The program's name for box titles.
    QString ProgramNameText() const;

private:
    // Backup folder, store name, pattern and today's dated name from the settings.
    void FillBackupNames();
    void CallConverter();
    // Removes what saves killed before their rename left in the store's and
    // the backup folder.
    void RemoveLeftovers();
    void HaltWith(const QString &reason);

    TStoreSetup FSetup;
    TTaskList *FList = nullptr;
    bool FStoreRead = false;
    bool FOpenAttempted = false;
    qint64 FSavedMark = -1; // the list's ModifiedAt (ms) saved by the last SaveStore; -1 none yet
    QString FLastSaveError;
    uint8_t FBuffer[TaskElementSize]{};
};

#include "storage/vornStorage.h"

#include "core/Clock.h"
#include "core/EndRequest.h"
#include "core/vornLogFile.h"
#include "model/TaskList.h"
#include "platform/Desktop.h"
#include "platform/Shell.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <utility>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int kKeptOlderCopies = 6; // plus today's: seven dated copies
const QString kReadPastEnd = QStringLiteral("Read beyond end of file");

// Whole milliseconds, so that a file time and a clock reading of the same
// moment compare equal however each was rounded to a day fraction.
qint64 Millis(TDateTime t)
{
    return std::llround(t * 86400000.0);
}

// A copy that cannot be made counts as not made: callers log it themselves.
// An empty source makes no copy: an empty backup would be trusted later.
bool CopiedAtomically(const QString &source, const QString &destination, QString *error = nullptr)
{
    QString reason;
    bool copied = false;
    if (QFileInfo(source).isFile() && QFileInfo(source).size() == 0) {
        reason = QStringLiteral("%1 is empty").arg(source);
    } else {
        try {
            copied = CopyFileAtomically(source, destination, &reason);
        } catch (const EvornError &) {
            copied = false;
        }
    }
    if (error)
        *error = reason;
    return copied;
}

} // namespace

// ---------------------------------------------------------------------------
// TvornStorage

TvornStorage::TvornStorage(const QString &path)
    : TvornFile(path)
{
}

TvornStorage::~TvornStorage() = default;

void TvornStorage::LogInfoLine(const QString &text) const
{
    if (Log)
        Log->Info(text);
}

void TvornStorage::LogWarningLine(const QString &text) const
{
    if (Log)
        Log->Warning(text);
}

void TvornStorage::LogErrorLine(const QString &text) const
{
    if (Log)
        Log->Error(text);
}

QString TvornStorage::BackupFileName(const QString &name, const QString &suffix)
{
    QString result = name;
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    result.insert(dot < 0 ? 0 : dot, QLatin1Char('-') + suffix);
    return result;
}

QString TvornStorage::RescueCopyPath() const
{
    return BackupFolder + BackupFileName(StoreFileName, QStringLiteral("001"));
}

QString TvornStorage::SecondRescueCopyPath() const
{
    return BackupFolder + BackupFileName(StoreFileName, QStringLiteral("000"));
}

void TvornStorage::RescueBackup()
{
    const QString target = RescueCopyPath();
    const TvornFile copy(target);
    const bool targetExists = copy.Exists();
    const TDateTime targetTime = targetExists ? copy.ModifiedTime() : 0;
    const bool newer = FileSize() > 0 && Millis(ModifiedTime()) > Millis(targetTime);
    if (!newer && targetExists)
        return;
    QString error;
    const bool copied = CopiedAtomically(Path(), target, &error);
    // Only a copy that happened is reported as one: a rescue copy that is
    // believed fresh but is not would be trusted in the next restore.
    if (copied)
        LogInfoLine(QStringLiteral("Database backuped at ") + DateTimeToStr(Clock::Now()) + QStringLiteral(" to ")
                    + target);
    else
        BackupNotMade(target, error);
}

void TvornStorage::BackupNotMade(const QString &target, const QString &reason)
{
    LogErrorLine(QStringLiteral("Unable to copy backup file to: ") + target);
    if (!reason.isEmpty())
        LogErrorLine(QStringLiteral("Backup copy not made: ") + reason);
    LastBackupError = reason.isEmpty() ? QStringLiteral("unknown error") : reason;
    if (BackupFailed)
        BackupFailed(target, LastBackupError);
}

bool TvornStorage::IsReadableCopy(const QString &path) const
{
    QFile f(path);
    return QFileInfo(path).isFile() && f.open(QIODevice::ReadOnly) && f.size() > 0;
}

QList<QFileInfo> TvornStorage::DatedBackups() const
{
    // The rescue copies live in the same folder; they are no dated copies and
    // the retention must never delete them.
    const QString rescue1 = BackupFileName(StoreFileName, QStringLiteral("001"));
    const QString rescue0 = BackupFileName(StoreFileName, QStringLiteral("000"));
    QList<QFileInfo> found;
    QDirIterator it(BackupFolder, QStringList{BackupPattern},
                    QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        if (it.fileName() != rescue0 && it.fileName() != rescue1)
            found << it.fileInfo();
    }
    return found;
}

QStringList TvornStorage::RestoreCandidates() const
{
    struct Candidate {
        QString path;
        QDateTime modified;
    };
    std::vector<Candidate> found;
    for (const QFileInfo &dated : DatedBackups())
        found.push_back({dated.filePath(), dated.lastModified()});
    const QFileInfo rescue(RescueCopyPath());
    if (rescue.exists())
        found.push_back({RescueCopyPath(), rescue.lastModified()});
    std::stable_sort(found.begin(), found.end(),
                     [](const Candidate &a, const Candidate &b) { return a.modified > b.modified; });
    QStringList paths;
    for (const Candidate &c : found)
        paths << c.path;
    return paths;
}

bool TvornStorage::RestoreBackup()
{
    // The newest copy that reads as a store, whether the rescue copy or a
    // dated one: a rescue copy cut by a full disk must not hide good copies.
    for (const QString &source : RestoreCandidates()) {
        if (!IsReadableCopy(source)) {
            LogWarningLine(QStringLiteral("Backup copy cannot be read, skipped: ") + source);
            continue;
        }
        QString error;
        if (CopiedAtomically(source, Path(), &error)) {
            LogInfoLine(QStringLiteral("Store restored from ") + source);
            return true;
        }
        // The store cannot be written: an older copy would fare no better.
        LogErrorLine(QStringLiteral("Unable to restore Backup file: ") + source + QStringLiteral(": ") + error);
        return false;
    }
    LogErrorLine(QStringLiteral("Unable to restore Backup file: ") + RescueCopyPath());
    return false;
}

int TvornStorage::FindOldestBackup(QString &oldest)
{
    int count = 0;
    TDateTime oldestDate = Clock::Now();
    for (const QFileInfo &dated : DatedBackups()) {
        const QString name = dated.fileName();
        ++count;
        const TDateTime age = DateTimeFromQDateTime(dated.lastModified().toLocalTime());
        LogInfoLine(QStringLiteral("File: ") + name + QStringLiteral(" Age: ") + DateTimeToStr(age));
        if (std::floor(age) < std::floor(oldestDate)) {
            oldestDate = age;
            oldest = BackupFolder + name;
        }
    }
    LogInfoLine(QStringLiteral("Autobackfilesfound  = ") + QString::number(count));
    LogInfoLine(QStringLiteral("Oldest Filename = ") + oldest);
    return count;
}

void TvornStorage::AutoBackup()
{
    const QString target = BackupFolder + DatedBackupName;
    if (QFileInfo::exists(target)) {
        LogInfoLine(target + QStringLiteral(" exists."));
        return;
    }
    LogInfoLine(QStringLiteral("Autobackup path: ") + target);

    // Keep six older copies. The loop ends when a delete fails or nothing
    // older than today is left to delete, however many copies match.
    QString oldest;
    int count = FindOldestBackup(oldest);
    while (count > kKeptOlderCopies && !oldest.isEmpty()) {
        if (!QFile::remove(oldest)) {
            LogErrorLine(QStringLiteral("Unable to delete: ") + oldest);
            break;
        }
        LogInfoLine(QStringLiteral("Deleted File: ") + oldest);
        QString next;
        count = FindOldestBackup(next);
        if (next == oldest)
            break; // deleted, yet still there: do not go round again
        oldest = next;
    }

    QString error;
    if (!CreatePrivateFolder(BackupFolder, &error, false)) {
        LogErrorLine(QStringLiteral("unable to create database backup directory: ") + BackupFolder);
        BackupNotMade(target, error);
        return;
    }
    const bool copied = CopiedAtomically(Path(), target, &error);
    if (copied)
        LogInfoLine(target + QStringLiteral(" succesfully backuped "));
    else
        BackupNotMade(target, error);
}

// ---------------------------------------------------------------------------
// TPalvaroStorage

TPalvaroStorage::TPalvaroStorage(const TStoreSetup &setup, TTaskList &list, Shell::IShell *shell)
    : TvornStorage(setup.Path)
    , FSetup(setup)
    , FList(&list)
    , FShell(shell)
{
}

TPalvaroStorage::~TPalvaroStorage() = default;

QString TPalvaroStorage::ProgramNameText() const
{
    return FSetup.ProgramName.isEmpty() ? QFileInfo(Path()).completeBaseName() : FSetup.ProgramName;
}

void TPalvaroStorage::FillBackupNames()
{
    BackupFolder = FSetup.BackupFolder;
    if (BackupFolder.isEmpty())
        BackupFolder = FilePath() + QStringLiteral("Backup/");
    BackupFolder = WithSlash(BackupFolder);
    StoreFileName = FSetup.StoreFileName;
    if (StoreFileName.isEmpty())
        StoreFileName = FileName();
    DatedBackupName = StoreFileName + FormatDateTime(QStringLiteral(".dd-mm-yyyy"), Clock::Now());
    BackupPattern = QStringLiteral("*.DAT.*");
}

bool TPalvaroStorage::ExportTask(const QString &path, int index, QString *errorText)
{
    if (index < 0 || index >= FList->Count()) {
        if (errorText)
            *errorText = QStringLiteral("No reminder at position %1").arg(index);
        return false;
    }
    return WriteFileAtomically(path, TaskElementBytes(FList->GetTask(index)), errorText);
}

bool TPalvaroStorage::ImportTask(const QString &path, QString *errorText)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (errorText)
            *errorText = f.errorString();
        return false;
    }
    const QByteArray element = f.read(TaskElementSize);
    TTaskData task;
    if (element.size() < TaskElementSize || !TaskFromElementBytes(element, task)) {
        if (errorText)
            *errorText = DamagedTaskFileText();
        return false;
    }
    FList->AddTask(task);
    return true;
}

QString TPalvaroStorage::DamagedTaskFileText()
{
    return QStringLiteral("Error 06: Invalid or Corrupted reminder file.");
}

TTaskData TPalvaroStorage::BuildBackupReminder() const
{
    const TDateTime now = Clock::Now();
    TTaskData task; // every field not set here stays zero
    task.Taskkind = tkService;
    task.RepeatTask = true;
    task.RepeatRule = srHours;
    task.RepeatNFactor = 1;
    task.Scheduled = now + 1.0 / 24.0;
    // Starting the event with the first run saves the first reschedule from
    // stepping hour by hour from 1899 up to now.
    task.EventDateTime = task.Scheduled;
    task.Created = now;
    task.Title.Len = 1;
    task.Title.Data[0] = char(0xCD);
    task.Enabled = true;
    task.Tag = TAG_BACKUP;
    LogInfoLine(QStringLiteral("Backup task created. First run schedule: ") + DateTimeToStr(task.Scheduled));
    return task;
}

bool TPalvaroStorage::CreateEmpty()
{
    const TTaskData backup = BuildBackupReminder();
    std::memset(FBuffer, 0, sizeof FBuffer);
    FBuffer[0] = TaskElementSignature;
    FBuffer[1] = TaskElementVersion;
    std::memcpy(FBuffer + TaskElementHeaderSize, &backup, TTaskData::Size);
    QString error;
    if (!WriteFileAtomically(Path(), QByteArray(reinterpret_cast<const char *>(FBuffer), TaskElementSize), &error)) {
        LogErrorLine(QStringLiteral("Unable to create storage file ") + Path() + QStringLiteral(": ") + error);
        return false;
    }
    LogInfoLine(QStringLiteral("Storage file Recreated."));
    return true;
}

bool TPalvaroStorage::IsReadableCopy(const QString &path) const
{
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly) || f.size() == 0 || f.size() % TaskElementSize != 0)
        return false;
    const QByteArray all = f.readAll();
    if (all.size() != f.size())
        return false;
    for (qsizetype at = 0; at < all.size(); at += TaskElementSize) {
        if (uint8_t(all[at]) != TaskElementSignature || all[at + 1] != all[1])
            return false;
    }
    return true;
}

void TPalvaroStorage::RemoveLeftovers()
{
    // Temporary copies of saves that were killed before their rename: whole
    // copies of the store, useless once the store is there or restored.
    QStringList removed = RemoveLeftoverTempFiles(Path());
    for (const QString &name : QDir(BackupFolder).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        const QString target = name.left(name.size() - 7);
        const bool backupName =
            target == BackupFileName(StoreFileName, QStringLiteral("001"))
            || target == BackupFileName(StoreFileName, QStringLiteral("000"))
            || (target.startsWith(StoreFileName + QLatin1Char('.')) && target.size() == StoreFileName.size() + 11);
        if (backupName && IsLeftoverTempName(name, target) && QFile::remove(BackupFolder + name))
            removed << name;
    }
    for (const QString &name : removed)
        LogInfoLine(QStringLiteral("Removed the temporary file of an unfinished save: ") + name);
}

void TPalvaroStorage::ReadVersion()
{
    VersionUnreadable = false;
    if (!Exists()) {
        DBVersion = 0;
        LogWarningLine(QStringLiteral("Database ") + Path() + QStringLiteral(" not found!!!"));
    } else {
        QFile f(Path());
        QString error;
        char head[2];
        if (!f.open(QIODevice::ReadOnly)) {
            error = f.errorString();
        } else {
            const qint64 got = f.read(head, 2);
            if (got != 2)
                error = got < 0 ? f.errorString() : kReadPastEnd;
            f.close();
        }
        if (error.isEmpty()) {
            DBVersion = uint8_t(head[1]);
        } else {
            DBVersion = 255;
            VersionUnreadable = true;
            LogErrorLine(QStringLiteral("Database exception: ") + error);
        }
    }
    LogInfoLine(QStringLiteral("DB version found: ") + QString::number(DBVersion));
}

bool TPalvaroStorage::NeedsConversion()
{
    return DBVersion >= 1 && DBVersion <= 9;
}

QList<TStoreBox> TPalvaroStorage::CallConverter()
{
    QString converter = FSetup.ConverterName;
    if (converter.isEmpty())
        converter = QStringLiteral("DBConverter");
    const QString &folder = FSetup.ProgramFolder;
    LogInfoLine(QStringLiteral("Calling... ") + converter);
    const int result = FShell ? FShell->Open(folder + converter, QLatin1Char('"') + Path() + QLatin1Char('"'), QString())
                              : Shell::kFileNotFound;
    if (result > 32)
        return {};
    LogErrorLine(QStringLiteral("Critical error: file ") + folder + converter + QStringLiteral(" not found"));
    return {TStoreBox{QStringLiteral("Error 02: Database Converter %1 not found.").arg(converter), TMsgIcon::Error,
                      TMsgButtons::Ok, ProgramNameText()}};
}

TStoreOpening TPalvaroStorage::AskAbout(TPending question, const QString &text, TMsgIcon icon, TMsgButtons buttons)
{
    FPending = question;
    TStoreOpening asked;
    asked.State = TStoreOpening::TState::Question;
    asked.Question = TStoreBox{text, icon, buttons, ProgramNameText()};
    return asked;
}

TStoreOpening TPalvaroStorage::HaltAfterFailedRestore(const QString &reason) const
{
    const QString programName = ProgramNameText();
    TStoreOpening halted;
    halted.State = TStoreOpening::TState::Halt;
    halted.HaltReason = reason;
    halted.Notices << TStoreBox{QStringLiteral("Error 05: Unable to restore Backup file. %1 will terminate.")
                                    .arg(programName),
                                TMsgIcon::Error, TMsgButtons::Ok, programName};
    return halted;
}

TStoreOpening TPalvaroStorage::OpenStore()
{
    FOpenAttempted = true;
    FPending = TPending::None;
    FillBackupNames();
    LogInfoLine(QStringLiteral("Shipped DB version: ") + QString::number(TaskElementVersion));
    LogInfoLine(QStringLiteral("Record size: ") + QString::number(TTaskData::Size));

    RemoveLeftovers();

    if (!Exists()) {
        // Nothing to restore (a first start): asking could only lead to
        // "Error 05" and the end of the program.
        if (RestoreCandidates().isEmpty())
            CreateEmpty();
        else
            return AskAbout(TPending::StoreMissing,
                            QStringLiteral("Reminders' store file %1, not found.\rPress OK to restore the backup "
                                           "file or Ignore to create a blank store file.")
                                .arg(Path()),
                            TMsgIcon::Warning, TMsgButtons::OkIgnore);
    }
    return CheckVersion();
}

TStoreOpening TPalvaroStorage::AnswerOpening(TMsgResult answer)
{
    switch (std::exchange(FPending, TPending::None)) {
    case TPending::None: break;
    case TPending::StoreMissing:
        // Asked to end while the question waited: neither answer was given,
        // so neither a blank store nor a moved rescue copy may follow.
        if (ProgramEndRequested()) {
            LogInfoLine(QStringLiteral("Store question left unanswered: the program is ending."));
            break;
        }
        if (answer == TMsgResult::Ok) {
            if (!RestoreBackup())
                return HaltAfterFailedRestore(QStringLiteral("not RestoreBackup"));
        } else if (answer == TMsgResult::Ignore) {
            CreateEmpty();
            // Keep the lost store's last hourly copy from being overwritten
            // by the first hourly copy of the new one.
            if (CopiedAtomically(RescueCopyPath(), SecondRescueCopyPath()))
                LogInfoLine(QStringLiteral("Rescue backup succesfully created."));
        }
        return CheckVersion();
    case TPending::StoreDamaged:
        if (answer != TMsgResult::Yes) {
            TStoreOpening halted;
            halted.State = TStoreOpening::TState::Halt;
            halted.HaltReason = QStringLiteral("INVALID_DB_FORMAT -> mrAbort");
            return halted;
        }
        if (!RestoreBackup())
            return HaltAfterFailedRestore(QStringLiteral("INVALID_DB_FORMAT -> mrYes"));
        return Load();
    }
    // No question was open: nothing to go on with.
    TStoreOpening left;
    left.State = TStoreOpening::TState::Left;
    return left;
}

TStoreOpening TPalvaroStorage::CheckVersion()
{
    ReadVersion();
    if (VersionUnreadable) {
        const QString programName = ProgramNameText();
        return AskAbout(TPending::StoreDamaged,
                        QStringLiteral("Error 03: Reminders' store file %1 is Damaged or Corrupted!\rPress Yes to "
                                       "restore the backup file or Abort to terminate %2.")
                            .arg(Path(), programName),
                        TMsgIcon::Error, TMsgButtons::YesAbort);
    }
    return Load();
}

TStoreOpening TPalvaroStorage::Load()
{
    TStoreOpening done;
    if (NeedsConversion()) {
        done.Notices = CallConverter();
        done.State = TStoreOpening::TState::Halt;
        done.HaltReason = QStringLiteral("DatabaseNeedsUpgrade");
        return done;
    }

    if (!LoadRecords()) {
        done.State = TStoreOpening::TState::NotRead;
        done.Notices << TStoreBox{QStringLiteral("Critical Error: Unable to read data from storage file"),
                                  TMsgIcon::None, TMsgButtons::Ok, QString()};
        return done;
    }

    int index = -1;
    if (FList->FindServiceTask(TAG_BACKUP, index)) {
        TTaskData &backup = FList->GetTask(index);
        backup.Scheduled = Clock::Now() + 1.0 / 24.0;
        LogInfoLine(QStringLiteral("BACKUP task schedule reseted to: ") + DateTimeToStr(backup.Scheduled));
    } else {
        FList->AddTask(BuildBackupReminder());
    }
    FList->RepairLoaded();
    FList->ResetRuntimeState();
    return done;
}

bool TPalvaroStorage::LoadRecords()
{
    LogInfoLine(QStringLiteral("DB file: ") + FileName() + FileTimesText());
    QFile f(Path());
    QString error;
    if (!f.open(QIODevice::ReadOnly)) {
        error = f.errorString();
    } else {
        while (!f.atEnd()) {
            const qint64 got = f.read(reinterpret_cast<char *>(FBuffer), TaskElementSize);
            if (got != TaskElementSize) {
                error = got < 0 ? f.errorString() : kReadPastEnd;
                break;
            }
            TTaskData task;
            std::memcpy(&task, FBuffer + TaskElementHeaderSize, TTaskData::Size);
            FList->AddTask(task);
        }
        f.close();
    }
    if (!error.isEmpty()) {
        LogInfoLine(QStringLiteral("Unable to open database.\r") + error);
        return false;
    }
    FList->MarkModified();
    FStoreRead = true;
    return true;
}

bool TPalvaroStorage::SaveStore()
{
    // An old-format store is the converter's to rewrite, and a store that
    // could not be read must stay as it is for whoever can repair it.
    if (NeedsConversion() || !FStoreRead)
        return false;
    QByteArray out;
    out.reserve(qsizetype(FList->Count()) * TaskElementSize);
    std::memset(FBuffer, 0, TaskElementHeaderSize);
    FBuffer[0] = TaskElementSignature;
    FBuffer[1] = TaskElementVersion;
    for (int i = 0; i < FList->Count(); ++i) {
        if (FList->IsInfoNotice(i))
            continue;
        std::memcpy(FBuffer + TaskElementHeaderSize, &FList->GetTask(i), TTaskData::Size);
        out.append(reinterpret_cast<const char *>(FBuffer), TaskElementSize);
    }
    const qint64 mark = Millis(FList->ModifiedAt());
    QString error;
    const bool written = WriteFileAtomically(Path(), out, &error);
    if (written) {
        FSavedMark = mark;
        FLastSaveError.clear();
        LogInfoLine(QStringLiteral("Tasklist Saved at ") + DateTimeToStr(ModifiedTime()) + QStringLiteral(" to ")
                    + Path());
    } else {
        FLastSaveError = error;
        LogErrorLine(QStringLiteral("Unable to save storage file ") + Path() + QStringLiteral(": ") + error);
    }
    if (AfterSave)
        AfterSave(written);
    return written;
}

void TPalvaroStorage::SaveIfModified()
{
    const TDateTime modifiedAt = FList->ModifiedAt();
    if (modifiedAt == 0)
        return;
    // A file written after the change does not prove the change saved: a
    // second copy of the program writes the store it read when it ends, and
    // the clock may have been set back. So a change since this object's own
    // last save always counts. A change in the very millisecond of the last
    // write counts as unsaved too: one save too many is harmless, one too few
    // loses the change in a crash.
    const bool changedSinceOwnSave = Millis(modifiedAt) != FSavedMark;
    const TDateTime written = Exists() ? ModifiedTime() : 0;
    if (changedSinceOwnSave || Millis(written) <= Millis(modifiedAt))
        SaveStore();
}

QString TPalvaroStorage::FileTimesText() const
{
    const QString pattern = QStringLiteral("ddd, d mmm yyyy \"at\" hh:mm:ss");
    return QStringLiteral("  Created: ") + FormatDateTime(pattern, CreatedTime()) + QStringLiteral("  Modified: ")
           + FormatDateTime(pattern, ModifiedTime()) + QStringLiteral("  Accessed: ")
           + FormatDateTime(pattern, AccessedTime());
}

void TPalvaroStorage::RescueBackup()
{
    FillBackupNames();
    TvornStorage::RescueBackup();
}

bool TPalvaroStorage::RestoreBackup()
{
    FillBackupNames();
    return TvornStorage::RestoreBackup();
}

void TPalvaroStorage::AutoBackup()
{
    // A dated copy of a store that could not be read would push a good older
    // copy out of the seven kept; keep those instead.
    if (FOpenAttempted && !FStoreRead) {
        LogWarningLine(QStringLiteral("AutoBackup skipped: the store could not be read, the older copies are kept."));
        return;
    }
    FillBackupNames();
    TvornStorage::AutoBackup();
}

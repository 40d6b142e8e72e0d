#pragma once
// A file that knows its path, times and size and can copy itself; a text file
// held as lines in memory; and the small file helpers everything else uses.

#include "core/DateTime.h"

#include <QFileDevice>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

// Errors raised by file helpers; callers named by the design catch them.
class EvornError : public std::runtime_error {
public:
    explicit EvornError(const QString &message)
        : std::runtime_error(message.toStdString())
        , FMessage(message)
    {
    }
    const QString &Message() const { return FMessage; }

private:
    QString FMessage;
};

class TvornFile {
public:
    explicit TvornFile(const QString &path);
    virtual ~TvornFile();
    TvornFile(const TvornFile &) = delete;
    TvornFile &operator=(const TvornFile &) = delete;

    // Create the file, or cut an existing one to length 0; true when that worked.
    virtual bool CreateEmpty();

    bool Exists() const;
    const QString &Path() const { return FPath; }
    QString FileName() const;
    QString FilePath() const; // folder part with trailing "/"
    TDateTime CreatedTime() const;
    TDateTime ModifiedTime() const;
    TDateTime AccessedTime() const;
    qint64 FileSize() const; // -1 when it cannot be opened for reading
    bool CopyFrom(const QString &source);
    bool CopyTo(const QString &destination);

    int Handle = -1;

protected:
    void SetPath(const QString &path) { FPath = path; }

private:
    QString FPath;
};

class TvornTextFile : public TvornFile {
public:
    explicit TvornTextFile(const QString &path);

    bool LoadLines();
    bool SaveLines();
    int AddLine(const QString &text);
    bool AppendLine(const QString &text);
    // Empties the lines and the file; false when the file could not be written.
    bool ClearLines();

    QStringList Lines;

private:
    qint64 FSavedSize = -1; // size of the file as last written by us
};

// The text with blank : \ / * ? > < each replaced by "_".
QString SafeFileName(const QString &text);
// The folder text with exactly one trailing "/" added when missing.
QString WithSlash(const QString &folder);
bool FolderExists(const QString &path);
// Copies in 8192-byte blocks. False when the source cannot be opened; raises
// EvornError("Cannot create file %s") when the destination cannot be created.
bool CopyFileTo(const QString &source, const QString &destination);
// The stages of a checked write, in order. Each one can fail on a full disk:
// write (a block went out), flush (the last bytes held back went out), sync
// (the kernel put the data on the disk), close (the file system took the
// file), rename (the new file replaced the old one).
enum class TWriteStage { Create, Write, Flush, Sync, Close, Rename };

// Replaces the file at path whole or not at all. The bytes go to a temporary
// file "<path>.XXXXXX" (six letters) in the same folder, created at mode 0600
// unless other permissions are given; write, flush, sync and close are each
// checked, and only when all of them worked is the temporary file renamed over
// path and the folder synced. On any failure the temporary file is removed,
// path keeps its old content, and ErrorText() gives the system's reason
// ("No space left on device").
class TCheckedFileWriter {
public:
    explicit TCheckedFileWriter(const QString &path, QFileDevice::Permissions permissions = {});
    ~TCheckedFileWriter(); // removes the temporary file unless committed
    TCheckedFileWriter(const TCheckedFileWriter &) = delete;
    TCheckedFileWriter &operator=(const TCheckedFileWriter &) = delete;

    bool Open();
    bool Write(const char *data, qint64 size);
    bool Write(const QByteArray &bytes) { return Write(bytes.constData(), bytes.size()); }
    // Flushes, syncs and closes the temporary file; verify, when given, is
    // asked about the closed file (by its path) before it replaces the target.
    bool Commit(const std::function<QString(const QString &tempPath)> &verify = {});
    const QString &ErrorText() const { return FError; }
    // The stage that failed; meaningful only after a failure.
    TWriteStage FailedStage() const { return FFailedStage; }

    static constexpr qint64 BufferSize = 65536;

private:
    bool Fail(TWriteStage stage, int error);
    bool Fail(TWriteStage stage, const QString &text);
    bool WriteOut(const char *data, qint64 size, TWriteStage stage);
    void Discard();

    QString FPath;
    QString FTempPath;
    QFileDevice::Permissions FPermissions;
    int FFd = -1;
    QByteArray FBuffer;
    QString FError;
    TWriteStage FFailedStage = TWriteStage::Create;
    bool FFailed = false;
};

// Whether name is a temporary file the checked writer (or a save killed before
// its rename) left for the file called target: target + "." + six letters.
bool IsLeftoverTempName(const QString &name, const QString &target);
// Removes such leftovers of target from its folder; answers the names removed.
QStringList RemoveLeftoverTempFiles(const QString &target);

// Creates path (and, with parents, any missing parents), each created folder
// at mode 0700 whatever the umask. True when the folder exists afterwards.
bool CreatePrivateFolder(const QString &path, QString *errorText = nullptr, bool parents = true);
// Why files cannot be created in folder ("Permission denied", "Read-only file
// system"); empty when they can.
QString FolderWriteProblem(const QString &folder);

// Writes bytes to path through TCheckedFileWriter: path is always the whole old
// or the whole new file. On failure the reason is in errorText and the answer
// is false. The new file is 0600 unless permissions are given.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *errorText = nullptr,
                         QFileDevice::Permissions permissions = {});
// Copies source over destination the same way, and reads the copy back before
// it replaces destination: a copy that differs is never put in place. False
// when the source cannot be read; raises EvornError("Cannot create file %s")
// when the destination cannot be created and EvornError("Cannot write file
// %s: <reason>") when it cannot be written. errorText, when given, gets the
// reason in either case.
bool CopyFileAtomically(const QString &source, const QString &destination, QString *errorText = nullptr);

#pragma once
// A file that knows its path, times and size and can copy itself; a text file
// held as lines in memory; and the small file helpers everything else uses.

#include "core/DateTime.h"

#include <QFileDevice>
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

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
    void ClearLines();

    QStringList Lines;

private:
    qint64 FSavedSize = -1; // size of the file as last written by us
};

// The folder text with exactly one trailing "/" added when missing.
QString WithSlash(const QString &folder);
bool FolderExists(const QString &path);
// Copies in 8192-byte blocks. False when the source cannot be opened; raises
// EvornError("Cannot create file %s") when the destination cannot be created.
// blockSizes, when given, receives the size of every read (tests).
bool CopyFileTo(const QString &source, const QString &destination, std::vector<qint64> *blockSizes = nullptr);
// Writes bytes to path through a temporary file in the same folder, flushed to
// disk and renamed over path, so that path is always the whole old or the
// whole new file. On failure path is left as it was, the reason is in
// errorText, and the answer is false. permissions, when not 0, are given to
// the new file before any byte is written.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *errorText = nullptr,
                         QFileDevice::Permissions permissions = {});
// Copies source over destination the same way. False when the source cannot be
// read; raises EvornError("Cannot create file %s") when the destination cannot
// be written.
bool CopyFileAtomically(const QString &source, const QString &destination);

#include "core/vornFile.h"

#include "core/Codepage.h"
#include "core/LineBreaks.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TvornFile::TvornFile(const QString &path)
    : FPath(path)
{
}

TvornFile::~TvornFile() = default;

bool TvornFile::CreateEmpty()
{
    QFile f(FPath);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    Handle = f.handle();
    f.close();
    return true;
}

bool TvornFile::Exists() const
{
    const QFileInfo fi(FPath);
    return fi.exists() && fi.isFile();
}

QString TvornFile::FileName() const
{
    return QFileInfo(FPath).fileName();
}

QString TvornFile::FilePath() const
{
    return WithSlash(QFileInfo(FPath).absolutePath());
}

namespace {
TDateTime FileTime(const QString &path, QFileDevice::FileTime which)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0.0;
    QDateTime t = f.fileTime(which);
    if (!t.isValid() && which == QFileDevice::FileBirthTime)
        t = f.fileTime(QFileDevice::FileMetadataChangeTime);
    return t.isValid() ? DateTimeFromQDateTime(t.toLocalTime()) : 0.0;
}
} // namespace

TDateTime TvornFile::CreatedTime() const
{
    return FileTime(FPath, QFileDevice::FileBirthTime);
}

TDateTime TvornFile::ModifiedTime() const
{
    return FileTime(FPath, QFileDevice::FileModificationTime);
}

TDateTime TvornFile::AccessedTime() const
{
    return FileTime(FPath, QFileDevice::FileAccessTime);
}

qint64 TvornFile::FileSize() const
{
    QFile f(FPath);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return f.size();
}

bool TvornFile::CopyFrom(const QString &source)
{
    return CopyFileTo(source, FPath);
}

bool TvornFile::CopyTo(const QString &destination)
{
    return CopyFileTo(FPath, destination);
}

TvornTextFile::TvornTextFile(const QString &path)
    : TvornFile(path)
{
}

bool TvornTextFile::LoadLines()
{
    QFile f(Path());
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray all = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    const QByteArray text = ToLineFeeds(all);
    // Line by line: lines older versions wrote are in their single-byte code page.
    QStringList lines;
    for (const QByteArray &line : text.split('\n'))
        lines << DecodeStoredText(line);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    Lines = lines;
    FSavedSize = all.size();
    return true;
}

bool TvornTextFile::SaveLines()
{
    QByteArray out;
    for (const QString &line : Lines) {
        out += line.toUtf8();
        out += "\r\n";
    }
    QFile f(Path());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        FSavedSize = -1;
        return false;
    }
    const bool ok = f.write(out) == out.size() && f.flush();
    f.close();
    FSavedSize = ok ? out.size() : -1;
    return ok;
}

int TvornTextFile::AddLine(const QString &text)
{
    Lines.append(text);
    return int(Lines.size()) - 1;
}

bool TvornTextFile::AppendLine(const QString &text)
{
    Lines.append(text);
    // When the file still holds exactly what we last wrote, appending the new
    // line gives the same bytes as rewriting it whole, without the cost.
    QFile f(Path());
    if (FSavedSize >= 0 && f.exists() && f.size() == FSavedSize) {
        if (f.open(QIODevice::WriteOnly | QIODevice::Append)) {
            const QByteArray bytes = text.toUtf8() + "\r\n";
            const bool ok = f.write(bytes) == bytes.size() && f.flush();
            f.close();
            if (ok) {
                FSavedSize += bytes.size();
                return true;
            }
        }
    }
    return SaveLines();
}

bool TvornTextFile::ClearLines()
{
    Lines.clear();
    return SaveLines();
}

QString SafeFileName(const QString &text)
{
    QString out = text;
    for (const QChar c : {QLatin1Char(' '), QLatin1Char(':'), QLatin1Char('\\'), QLatin1Char('/'), QLatin1Char('*'),
                          QLatin1Char('?'), QLatin1Char('>'), QLatin1Char('<')})
        out.replace(c, QLatin1Char('_'));
    return out;
}

QString WithSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

bool FolderExists(const QString &path)
{
    const QFileInfo fi(path);
    return fi.exists() && fi.isDir();
}

bool CopyFileTo(const QString &source, const QString &destination)
{
    QString dest = QFileInfo(destination).absoluteFilePath();
    if (FolderExists(dest)) {
        dest = WithSlash(dest) + QFileInfo(source).fileName();
    }
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QFile out(dest);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EvornError(QStringLiteral("Cannot create file %1").arg(dest));
    constexpr qint64 kBlock = 8192;
    QByteArray buffer(kBlock, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(buffer.data(), kBlock);
        if (got > 0 && out.write(buffer.constData(), got) != got)
            throw EvornError(QStringLiteral("Cannot write file %1").arg(dest));
        if (got < kBlock)
            break;
    }
    out.close();
    in.close();
    return true;
}

// Tests that make a stage fail define this (the test fakes do); the program
// does not, so the address is null and nothing is injected.
extern "C" int BrivaneInjectedWriteFault(int stage) __attribute__((weak));

namespace {
// Makes the rename that replaced a file in this folder survive a power cut.
void SyncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

int InjectedFault(TWriteStage stage)
{
    return BrivaneInjectedWriteFault ? BrivaneInjectedWriteFault(int(stage)) : 0;
}

QString SystemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

mode_t ModeOf(QFileDevice::Permissions p)
{
    const unsigned bits = unsigned(p.toInt());
    return mode_t((((bits >> 12) | (bits >> 8)) & 7) << 6 | ((bits >> 4) & 7) << 3 | (bits & 7));
}

bool IsAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

constexpr int kTempLetters = 6;
} // namespace

TCheckedFileWriter::TCheckedFileWriter(const QString &path, QFileDevice::Permissions permissions)
    : FPath(QFileInfo(path).absoluteFilePath())
    , FPermissions(permissions)
{
}

TCheckedFileWriter::~TCheckedFileWriter()
{
    Discard();
}

void TCheckedFileWriter::Discard()
{
    if (FFd >= 0) {
        ::close(FFd);
        FFd = -1;
    }
    if (!FTempPath.isEmpty()) {
        ::unlink(QFile::encodeName(FTempPath).constData());
        FTempPath.clear();
    }
}

bool TCheckedFileWriter::Fail(TWriteStage stage, const QString &text)
{
    FFailed = true;
    FFailedStage = stage;
    FError = text;
    Discard();
    return false;
}

bool TCheckedFileWriter::Fail(TWriteStage stage, int error)
{
    return Fail(stage, SystemErrorText(error));
}

namespace {

// Six random letters, with a capital after the first one and a small one
// somewhere: a word a user gives a copy ("backup", "Before", "OLDONE") never
// has that shape, so a user's file is never taken for a leftover.
bool IsTempSuffix(QStringView letters)
{
    if (letters.size() != kTempLetters)
        return false;
    bool innerCapital = false;
    bool small = false;
    for (qsizetype i = 0; i < letters.size(); ++i) {
        const QChar c = letters.at(i);
        if (!IsAsciiLetter(c))
            return false;
        innerCapital = innerCapital || (i > 0 && c.isUpper());
        small = small || c.isLower();
    }
    return innerCapital && small;
}

} // namespace

bool TCheckedFileWriter::Open()
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    if (const int injected = InjectedFault(TWriteStage::Create))
        return Fail(TWriteStage::Create, injected);
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        QString letters;
        while (!IsTempSuffix(letters)) {
            letters.clear();
            for (int i = 0; i < kTempLetters; ++i)
                letters += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(52)]);
        }
        const QString name = FPath + QLatin1Char('.') + letters;
        // 0600 from the first byte: the content is never readable by others,
        // not even for a moment, whatever the umask.
        FFd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (FFd >= 0) {
            FTempPath = name;
            break;
        }
        error = errno;
    }
    if (FFd < 0)
        return Fail(TWriteStage::Create, error);
    if (FPermissions && ::fchmod(FFd, ModeOf(FPermissions)) != 0)
        return Fail(TWriteStage::Create, errno);
    FBuffer.reserve(BufferSize);
    return true;
}

bool TCheckedFileWriter::WriteOut(const char *data, qint64 size, TWriteStage stage)
{
    while (size > 0) {
        if (const int injected = InjectedFault(stage))
            return Fail(stage, injected);
        const ssize_t done = ::write(FFd, data, size_t(std::min(size, BufferSize)));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return Fail(stage, errno);
        }
        if (done == 0)
            return Fail(stage, ENOSPC);
        data += done;
        size -= done;
    }
    return true;
}

bool TCheckedFileWriter::Write(const char *data, qint64 size)
{
    if (FFailed || FFd < 0)
        return false;
    if (FBuffer.size() + size <= BufferSize) {
        FBuffer.append(data, size);
        return true;
    }
    if (!FBuffer.isEmpty()) {
        if (!WriteOut(FBuffer.constData(), FBuffer.size(), TWriteStage::Write))
            return false;
        FBuffer.clear();
    }
    if (size >= BufferSize)
        return WriteOut(data, size, TWriteStage::Write);
    FBuffer.append(data, size);
    return true;
}

bool TCheckedFileWriter::Commit(const std::function<QString(const QString &tempPath)> &verify)
{
    if (FFailed || FFd < 0)
        return false;
    if (!FBuffer.isEmpty()) {
        if (!WriteOut(FBuffer.constData(), FBuffer.size(), TWriteStage::Flush))
            return false;
        FBuffer.clear();
    } else if (const int injected = InjectedFault(TWriteStage::Flush)) {
        return Fail(TWriteStage::Flush, injected);
    }
    if (const int injected = InjectedFault(TWriteStage::Sync))
        return Fail(TWriteStage::Sync, injected);
    if (::fsync(FFd) != 0)
        return Fail(TWriteStage::Sync, errno);
    const int fd = FFd;
    FFd = -1;
    // Some file systems report a full disk only here.
    if (::close(fd) != 0)
        return Fail(TWriteStage::Close, errno);
    if (const int injected = InjectedFault(TWriteStage::Close))
        return Fail(TWriteStage::Close, injected);
    if (verify) {
        const QString problem = verify(FTempPath);
        if (!problem.isEmpty())
            return Fail(TWriteStage::Close, problem);
    }
    if (const int injected = InjectedFault(TWriteStage::Rename))
        return Fail(TWriteStage::Rename, injected);
    if (::rename(QFile::encodeName(FTempPath).constData(), QFile::encodeName(FPath).constData()) != 0)
        return Fail(TWriteStage::Rename, errno);
    FTempPath.clear();
    SyncFolder(QFileInfo(FPath).absolutePath());
    return true;
}

bool IsLeftoverTempName(const QString &name, const QString &target)
{
    if (name.size() != target.size() + 1 + kTempLetters || !name.startsWith(target)
        || name.at(target.size()) != QLatin1Char('.'))
        return false;
    return IsTempSuffix(QStringView(name).mid(target.size() + 1));
}

QStringList RemoveLeftoverTempFiles(const QString &target)
{
    const QFileInfo info(target);
    const QString name = info.fileName();
    QStringList removed;
    const QDir folder = info.absoluteDir();
    const QStringList entries =
        folder.entryList(QStringList{name + QStringLiteral(".*")}, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &entry : entries) {
        if (IsLeftoverTempName(entry, name) && QFile::remove(folder.filePath(entry)))
            removed << entry;
    }
    return removed;
}

bool CreatePrivateFolder(const QString &path, QString *errorText, bool parents)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (FolderExists(absolute))
        return true;
    // The missing folders, outermost first.
    QStringList missing;
    for (QString p = absolute; !p.isEmpty() && !QFileInfo::exists(p); p = QFileInfo(p).path()) {
        missing.prepend(p);
        if (!parents || p == QFileInfo(p).path())
            break;
    }
    for (const QString &p : std::as_const(missing)) {
        const QByteArray native = QFile::encodeName(p);
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
            if (errorText)
                *errorText = SystemErrorText(errno);
            return false;
        }
        ::chmod(native.constData(), 0700);
    }
    if (!FolderExists(absolute)) {
        if (errorText)
            *errorText = SystemErrorText(ENOTDIR);
        return false;
    }
    return true;
}

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *errorText,
                         QFileDevice::Permissions permissions)
{
    TCheckedFileWriter writer(path, permissions);
    if (writer.Open() && writer.Write(bytes) && writer.Commit())
        return true;
    if (errorText)
        *errorText = writer.ErrorText();
    return false;
}

bool CopyFileAtomically(const QString &source, const QString &destination, QString *errorText)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        if (errorText)
            *errorText = in.errorString();
        return false;
    }
    TCheckedFileWriter out(destination);
    if (!out.Open()) {
        if (errorText)
            *errorText = out.ErrorText();
        throw EvornError(QStringLiteral("Cannot create file %1").arg(destination));
    }
    const auto cannotWrite = [&](const QString &reason) {
        if (errorText)
            *errorText = reason;
        return EvornError(QStringLiteral("Cannot write file %1: %2").arg(destination, reason));
    };
    QCryptographicHash written(QCryptographicHash::Sha256);
    qint64 total = 0;
    constexpr qint64 kBlock = 65536;
    QByteArray buffer(kBlock, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(buffer.data(), kBlock);
        if (got < 0) {
            if (errorText)
                *errorText = in.errorString();
            return false;
        }
        if (got == 0)
            break;
        written.addData(QByteArrayView(buffer.constData(), got));
        total += got;
        if (!out.Write(buffer.constData(), got))
            throw cannotWrite(out.ErrorText());
    }
    // The copy replaces the old one only when it reads back as what was read.
    const auto readsBack = [&](const QString &tempPath) -> QString {
        QFile copy(tempPath);
        if (!copy.open(QIODevice::ReadOnly))
            return copy.errorString();
        QCryptographicHash read(QCryptographicHash::Sha256);
        if (!read.addData(&copy) || copy.size() != total || read.result() != written.result())
            return QStringLiteral("the copy does not read back as written");
        return QString();
    };
    if (!out.Commit(readsBack))
        throw cannotWrite(out.ErrorText());
    return true;
}

QString FolderWriteProblem(const QString &folder)
{
    // The effective rights, as a file creation would be checked.
    if (::faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK | X_OK, AT_EACCESS) == 0)
        return QString();
    return SystemErrorText(errno);
}

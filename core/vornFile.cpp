#include "core/vornFile.h"

#include "core/MessageBox.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <fcntl.h>
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
    QString text = QString::fromUtf8(all);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
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

void TvornTextFile::ClearLines()
{
    Lines.clear();
    if (!SaveLines()) {
        ShowMessage(QStringLiteral("Unable to clear textfiles lines ."));
    }
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

bool CopyFileTo(const QString &source, const QString &destination, std::vector<qint64> *blockSizes)
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
        if (blockSizes)
            blockSizes->push_back(got < 0 ? 0 : got);
        if (got > 0 && out.write(buffer.constData(), got) != got)
            throw EvornError(QStringLiteral("Cannot write file %1").arg(dest));
        if (got < kBlock)
            break;
    }
    out.close();
    in.close();
    return true;
}

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
} // namespace

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *errorText,
                         QFileDevice::Permissions permissions)
{
    QSaveFile f(path);
    // Writing the target in place is exactly what must never happen.
    f.setDirectWriteFallback(false);
    if (!f.open(QIODevice::WriteOnly)) {
        if (errorText)
            *errorText = f.errorString();
        return false;
    }
    if (permissions)
        f.setPermissions(permissions);
    if (f.write(bytes) != bytes.size()) {
        if (errorText)
            *errorText = f.errorString();
        return false; // the destructor discards the temporary file
    }
    if (!f.commit()) {
        if (errorText)
            *errorText = f.errorString();
        return false;
    }
    SyncFolder(QFileInfo(path).absolutePath());
    return true;
}

bool CopyFileAtomically(const QString &source, const QString &destination)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(destination);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        throw EvornError(QStringLiteral("Cannot create file %1").arg(destination));
    constexpr qint64 kBlock = 65536;
    QByteArray buffer(kBlock, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(buffer.data(), kBlock);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        if (out.write(buffer.constData(), got) != got)
            throw EvornError(QStringLiteral("Cannot write file %1").arg(destination));
    }
    if (!out.commit())
        throw EvornError(QStringLiteral("Cannot write file %1").arg(destination));
    SyncFolder(QFileInfo(destination).absolutePath());
    return true;
}

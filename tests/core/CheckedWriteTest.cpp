// The one checked way files are replaced: a failure at any stage keeps the old
// file, leaves no temporary file and names the system's reason; what it writes
// and the folders it makes are private to the user.
#include "core/vornFile.h"
#include "tests/fakes/FakeWriteFault.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using TestSupport::ReadAll;
using TestSupport::WriteAll;

namespace {

// Sets the umask for the test's lifetime and puts the old one back.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask)
        : FOld(::umask(mask))
    {
    }
    ~ScopedUmask() { ::umask(FOld); }

private:
    mode_t FOld;
};

mode_t ModeOf(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return mode_t(-1);
    return st.st_mode & 07777;
}

QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

const char *StageName(TWriteStage stage)
{
    switch (stage) {
    case TWriteStage::Create:
        return "create";
    case TWriteStage::Write:
        return "write";
    case TWriteStage::Flush:
        return "flush";
    case TWriteStage::Sync:
        return "sync";
    case TWriteStage::Close:
        return "close";
    case TWriteStage::Rename:
        return "rename";
    }
    return "?";
}

} // namespace

TEST(CheckedWrite, AFailureAtAnyStageKeepsTheOldFileAndNamesTheCause)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Brivane.dat");
    const QByteArray old("the old content");
    // Small (held back until the flush) and large (written in blocks) files.
    const QByteArray small(3 * 1896, 'n');
    const QByteArray large(5 * TCheckedFileWriter::BufferSize + 17, 'N');
    for (const QByteArray *bytes : {&small, &large}) {
        for (TWriteStage stage : {TWriteStage::Create, TWriteStage::Write, TWriteStage::Flush, TWriteStage::Sync,
                                  TWriteStage::Close, TWriteStage::Rename}) {
            if (stage == TWriteStage::Write && bytes == &small)
                continue; // a small file has no write before the flush
            SCOPED_TRACE(std::string(StageName(stage)) + ", " + std::to_string(bytes->size()) + " bytes");
            ASSERT_TRUE(WriteAll(path, old));
            QString error;
            {
                TFakeWriteFault fault(stage);
                EXPECT_FALSE(WriteFileAtomically(path, *bytes, &error));
                EXPECT_GE(fault.Calls(), 1);
            }
            EXPECT_EQ(error, "No space left on device");
            EXPECT_EQ(ReadAll(path), old);
            EXPECT_EQ(Entries(dir.path()), QStringList{"Brivane.dat"});

            const QString copy = dir.filePath("copy.dat");
            ASSERT_TRUE(WriteAll(copy, old));
            ASSERT_TRUE(WriteAll(dir.filePath("source.dat"), *bytes));
            {
                TFakeWriteFault fault(stage, EIO);
                EXPECT_THROW(CopyFileAtomically(dir.filePath("source.dat"), copy, &error), EvornError);
            }
            EXPECT_EQ(error, "Input/output error");
            EXPECT_EQ(ReadAll(copy), old);
            EXPECT_EQ(Entries(dir.path()), (QStringList{"Brivane.dat", "copy.dat", "source.dat"}));
            QFile::remove(copy);
            QFile::remove(dir.filePath("source.dat"));
        }
        // Without a fault the same write goes through.
        EXPECT_TRUE(WriteFileAtomically(path, *bytes));
        EXPECT_EQ(ReadAll(path), *bytes);
    }
}

TEST(CheckedWrite, ADiskThatFillsUpPartWayKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Brivane.dat");
    ASSERT_TRUE(WriteAll(path, "old"));
    TFakeWriteFault fault(TWriteStage::Write, ENOSPC, 2);
    QString error;
    EXPECT_FALSE(WriteFileAtomically(path, QByteArray(4 * TCheckedFileWriter::BufferSize, 'x'), &error));
    EXPECT_EQ(fault.Calls(), 3);
    EXPECT_EQ(error, "No space left on device");
    EXPECT_EQ(ReadAll(path), "old");
    EXPECT_EQ(Entries(dir.path()), QStringList{"Brivane.dat"});
}

TEST(CheckedWrite, FilesAndFoldersArePrivateWhateverTheUmask)
{
    QTemporaryDir dir;
    ScopedUmask mask(022);
    const QString folder = dir.filePath("a/b");
    QString error;
    ASSERT_TRUE(CreatePrivateFolder(folder, &error)) << error.toStdString();
    EXPECT_EQ(ModeOf(dir.filePath("a")), 0700u);
    EXPECT_EQ(ModeOf(folder), 0700u);
    // One level only when asked: the missing parent is an error.
    EXPECT_FALSE(CreatePrivateFolder(dir.filePath("x/y"), &error, false));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("x")));

    const QString path = folder + "/Brivane.dat";
    ASSERT_TRUE(WriteAll(path, "old")); // 0644 under this umask
    ASSERT_EQ(ModeOf(path), 0644u);
    ASSERT_TRUE(WriteFileAtomically(path, "new"));
    EXPECT_EQ(ModeOf(path), 0600u);
    ASSERT_TRUE(CopyFileAtomically(path, folder + "/copy"));
    EXPECT_EQ(ModeOf(folder + "/copy"), 0600u);
    ASSERT_TRUE(WriteFileAtomically(folder + "/shared", "x",
                                    nullptr, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    EXPECT_EQ(ModeOf(folder + "/shared"), 0640u);
}

TEST(CheckedWrite, OnlyTheWritersOwnLeftoversAreRemoved)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Brivane.dat");
    const QStringList leftovers{"Brivane.dat.AbCdEf", "Brivane.dat.qWeRty"};
    const QStringList kept{"Brivane.dat",         "Brivane.dat.notes",     "Brivane.dat.09-12-2026",
                           "Brivane.dat.abc123",  "Brivane.dat.AbCdEfG",   "Brivane.dat.AbCdE",
                           "Other.dat.AbCdEf",    "xBrivane.dat.AbCdEf",   "brivane.dat.AbCdEf",
                           "Brivane.dat.ini.Abcdef"};
    for (const QString &name : leftovers + kept)
        ASSERT_TRUE(WriteAll(dir.filePath(name), "x"));
    // A folder of that name is no leftover of a save.
    ASSERT_TRUE(QDir(dir.path()).mkdir("Brivane.dat.FOLDER"));

    QStringList removed = RemoveLeftoverTempFiles(path);
    removed.sort();
    EXPECT_EQ(removed, leftovers);
    QStringList expected = kept;
    expected.sort();
    EXPECT_EQ(Entries(dir.path()), expected);
    EXPECT_TRUE(QFileInfo(dir.filePath("Brivane.dat.FOLDER")).isDir());
}

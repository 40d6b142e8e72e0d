#include "core/DateTime.h"
#include "core/vornIniFile.h"
#include "core/vornLogFile.h"
#include "tests/fakes/FakeWriteFault.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/Permissions.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

using TestSupport::PinnedClock;
using TestSupport::ReadAll;
using TestSupport::WriteAll;

namespace {
const double kAt = EncodeDateTime(2009, 2, 17, 10, 15, 0, 0);

QStringList FileLines(const QString &path)
{
    QString text = QString::fromUtf8(ReadAll(path));
    EXPECT_TRUE(text.isEmpty() || text.endsWith("\r\n"));
    QStringList lines = text.split("\r\n");
    lines.removeLast();
    return lines;
}
} // namespace

TEST(LogFile, LevelOneWithoutFileCreatesNothingUntilTheFirstError)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Brivane.log");
    TvornLogFile log(path, 1, 0, 1);
    log.Info("started");
    log.Warning("careful");
    log.Stamp("*** Launched at %s *** ");
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(log.ErrorsLogged);

    log.Error("disk full");
    EXPECT_EQ(FileLines(path), QStringList{"Error: disk full"});
    EXPECT_TRUE(log.ErrorsLogged);
    EXPECT_EQ(log.Level, 3);
    log.Info("later");
    EXPECT_EQ(FileLines(path), (QStringList{"Error: disk full", "Info: later"}));
}

TEST(LogFile, FreshStartEmptiesAnOldLog)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Brivane.log");
    ASSERT_TRUE(WriteAll(path, "old line\r\nanother\r\n"));
    TvornLogFile log(path, 1, 0, 1);
    EXPECT_EQ(FileLines(path), QStringList{"Log path: " + path});
}

TEST(LogFile, LevelThreeStartsWithStampAndPathAndFormatsEveryKind)
{
    PinnedClock clock(kAt);
    QTemporaryDir dir;
    const QString path = dir.filePath("Brivane.log");
    TvornLogFile log(path, 3, 1, 1);
    log.Stamp("*** Launched at %s *** ");
    log.Stamp("no placeholder");
    log.Info("i");
    log.Warning("w");
    EXPECT_EQ(FileLines(path), (QStringList{"Info:Log start: Tue, 17 Feb 2009 10:15:00", "Log path: " + path,
                                            "Info:*** Launched at Tue, 17 Feb 2009 10:15:00 *** ",
                                            "Info:Tue, 17 Feb 2009 10:15:00", "Info: i", "Warning: w"}));
    // A short log is still whole in memory.
    EXPECT_EQ(FileLines(path), log.Lines);
}

// The program's lines reach the log that records them, in the log's own
// format, and only while it records; without one nothing is said at all (a
// command on the terminal must print only its answer).
TEST(LogFile, TheProgramsLinesReachOnlyARecordingLog)
{
    PinnedClock clock(kAt);
    QTemporaryDir dir;
    const QString path = dir.filePath("Brivane.log");
    TvornLogFile log(path, 3, 1, 1);
    const int before = FileLines(path).size();
    testing::internal::CaptureStderr();
    LogInfo("unheard");
    {
        const TvornLogFile::TRecording recording(log);
        LogStamp("*** Launched at %s *** ");
        LogInfo("i");
        LogWarning("w");
        LogError("e");
        // Qt's own messages go where they went before.
        qWarning("a toolkit warning");
    }
    LogInfo("after");
    const QString said = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_EQ(FileLines(path).mid(before), (QStringList{"Info:*** Launched at Tue, 17 Feb 2009 10:15:00 *** ",
                                                        "Info: i", "Warning: w", "Error: e"}));
    EXPECT_TRUE(log.ErrorsLogged);
    EXPECT_TRUE(said.contains("a toolkit warning")) << said.toStdString();
    EXPECT_FALSE(said.contains("unheard") || said.contains("after") || said.contains("Info")) << said.toStdString();
}

TEST(LogFile, MemoryKeepsOnlyTheNewestLinesWhileTheFileKeepsAllAndWhatOthersAdded)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Brivane.log");
    TvornLogFile log(path, 3, 1, 1);
    const int n = TvornLogFile::kLinesKept * 3;
    for (int i = 0; i < n; ++i) {
        log.Info(QString::number(i));
        if (i == 10) // another program appends a line meanwhile
            WriteAll(path, ReadAll(path) + "Other: note\r\n");
    }
    EXPECT_EQ(log.Lines.size(), TvornLogFile::kLinesKept);
    EXPECT_EQ(log.Lines.last(), "Info: " + QString::number(n - 1));
    const QStringList lines = FileLines(path);
    EXPECT_EQ(lines.size(), 2 + n + 1); // start lines, every line, the other program's
    EXPECT_EQ(lines[2], "Info: 0");
    EXPECT_TRUE(lines.contains("Other: note"));
    EXPECT_EQ(lines.last(), "Info: " + QString::number(n - 1));
}

TEST(LogFile, AppendModeKeepsOldLinesThenABlankAndTheAppendStamp)
{
    PinnedClock clock(kAt);
    QTemporaryDir dir;
    const QString path = dir.filePath("Brivane.log");
    ASSERT_TRUE(WriteAll(path, "Info: yesterday\r\n"));
    TvornLogFile log(path, 3, 1, 0);
    EXPECT_EQ(FileLines(path), (QStringList{"Info: yesterday", "", "Info:Log Appended at Tue, 17 Feb 2009 10:15:00"}));
}

TEST(LogFile, LevelZeroWritesNothingEvenErrors)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Brivane.log");
    TvornLogFile log(path, 0, 0, 1);
    log.Error("lost");
    log.Info("lost");
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(log.ErrorsLogged);
}

// Counts the notices and logs from inside each, as a box does when the
// program is ending; a notice shown from inside the logger would re-enter it.
// Shows the log's failures as the program does (a box that logs), and notes
// whether showing one led back into another.
struct NoticeWatch {
    QStringList shown;
    int depth = 0;
    bool reentered = false;
    void Watch(TvornLogFile &log)
    {
        QObject::connect(&log, &TvornLogFile::Failed, [this](const QString &text) {
            shown << text;
            if (++depth > 1)
                reentered = true;
            else
                LogInfo("box shown");
            --depth;
        });
    }
    QStringList AfterEvents()
    {
        QCoreApplication::processEvents();
        return shown;
    }
};

// Files written by this process may not grow past the limit while alive.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &FSaved);
        FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit reduced = FSaved;
        reduced.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &reduced);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &FSaved);
        std::signal(SIGXFSZ, FOldHandler);
    }

private:
    rlimit FSaved{};
    void (*FOldHandler)(int) = nullptr;
};

TEST(LogFile, AFullDiskIsToldOnceFromTheEventLoopAndTheLogGoesOnAfterwards)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Brivane.log");
    TvornLogFile log(path, 3, 1, 1);
    const TvornLogFile::TRecording recording(log);
    NoticeWatch watch;
    watch.Watch(log);
    {
        FileSizeLimit full(QFileInfo(path).size());
        for (int i = 0; i < 50; ++i)
            log.Info("line " + QString::number(i));
        // No box from inside the logger: a box logs, and its wait runs code that logs.
        EXPECT_TRUE(watch.shown.isEmpty());
        const QStringList shown = watch.AfterEvents();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown[0].startsWith("error writing to log file\r" + path)) << shown[0].toStdString();
        EXPECT_FALSE(watch.reentered);
        EXPECT_TRUE(log.FailureText.startsWith("error writing to log file"));
    }
    // Space again: lines are written again, and a later failure is not told twice.
    log.Info("after");
    EXPECT_EQ(FileLines(path).last(), "Info: after");
    {
        FileSizeLimit full(QFileInfo(path).size());
        log.Error("again");
    }
    EXPECT_EQ(watch.AfterEvents().size(), 1);
}

TEST(LogFile, AnUncreatableLogSaysSoOnceAndFallsSilent)
{
    QTemporaryDir dir;
    ASSERT_TRUE(WriteAll(dir.filePath("a-file"), "x"));
    QDir(dir.path()).mkdir("read-only");
    struct Case {
        const char *name;
        QString path;
        bool needsPermissions;
    };
    const Case cases[] = {
        {"a file where its folder should be", dir.filePath("a-file/Brivane/Brivane.log"), false},
        {"a read-only folder", dir.filePath("read-only/Brivane.log"), true},
    };
    TestSupport::PermissionsEnforced enforced;
    TestSupport::ReadOnlyFolder readOnly(dir.filePath("read-only"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsPermissions && !TestSupport::PermissionsEnforced::FolderRefusesWrites(dir.filePath("read-only"))) {
            std::fprintf(stderr, "permissions are not enforced here; case \"%s\" left out\n", c.name);
            continue;
        }
        TvornLogFile log(c.path, 3, 1, 1);
        // Connected after the log is made: a failure while making it still arrives.
        NoticeWatch watch;
        watch.Watch(log);
        const TvornLogFile::TRecording recording(log);
        EXPECT_FALSE(log.Active);
        EXPECT_EQ(log.Level, 0);
        EXPECT_TRUE(watch.shown.isEmpty());
        log.Error("x");
        log.Info("y");
        EXPECT_FALSE(log.ErrorsLogged);
        EXPECT_EQ(watch.AfterEvents(), QStringList{"Unable to create log file" + c.path});
        EXPECT_FALSE(watch.reentered);
        EXPECT_FALSE(QFile::exists(c.path));
    }
}

TEST(LogFile, IsPrivateToTheUserAndMakesItsFoldersPrivate)
{
    QTemporaryDir dir;
    const mode_t oldMask = umask(022);
    const QString path = dir.filePath("state/Brivane/Brivane.log");
    {
        TvornLogFile log(path, 3, 1, 1);
        log.Info("store at /home/someone/Documents/Brivane");
    }
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const auto ownerFolder = ownerOnly | QFileDevice::ExeOwner;
    const auto mask = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                      | QFileDevice::WriteGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
                      | QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_EQ(QFile::permissions(path) & mask, ownerOnly);
    EXPECT_EQ(QFile::permissions(dir.filePath("state/Brivane")) & mask, ownerFolder);
    EXPECT_EQ(QFile::permissions(dir.filePath("state")) & mask, ownerFolder);

    // A log left open to everyone by an earlier version is closed, in both start modes.
    for (uint8_t fresh : {uint8_t(1), uint8_t(0)}) {
        QFile::setPermissions(path, ownerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        TvornLogFile log(path, 3, 1, fresh);
        EXPECT_EQ(QFile::permissions(path) & mask, ownerOnly) << int(fresh);
    }
    umask(oldMask);
}

TEST(IniFile, SectionsAndKeysIgnoreCaseAndEveryWriteReachesTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Brivane.ini");
    TvornIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("Debug", "Level", -1), -1);
    ASSERT_TRUE(ini.WriteInteger("Debug", "Level", 1));
    EXPECT_EQ(ReadAll(path), QByteArray("[Debug]\r\nLevel=1\r\n"));

    // A second object on the same file sees it at once.
    TvornIniFile other(path);
    EXPECT_EQ(other.ReadInteger("DEBUG", "level", -1), 1);
    other.WriteString("debug", "LEVEL", "3");
    other.WriteString("Tasklist", "SortBy", "2");
    other.WriteBool("debug", "Mode", true);
    EXPECT_EQ(ini.ReadInteger("Debug", "Level", -1), 3);
    EXPECT_TRUE(ini.ReadBool("Debug", "Mode", false));
    EXPECT_EQ(ReadAll(path), QByteArray("[Debug]\r\nLevel=3\r\nMode=1\r\n\r\n[Tasklist]\r\nSortBy=2\r\n"));

    // Values read back as written, blanks around them aside; non-numbers give the default.
    ini.WriteString("users", "alice", "/srv/shared store");
    EXPECT_EQ(ini.ReadString("Users", "ALICE", ""), "/srv/shared store");
    ini.WriteString("x", "n", "twelve");
    EXPECT_EQ(ini.ReadInteger("x", "n", 7), 7);
    EXPECT_FALSE(ini.ReadBool("x", "missing", false));
    EXPECT_EQ(ini.ReadSection("DEBUG"), (QStringList{"Level", "Mode"}));
    ini.DeleteKey("debug", "mode");
    EXPECT_FALSE(ini.ValueExists("Debug", "Mode"));
    ini.EraseSection("x");
    EXPECT_FALSE(ini.SectionExists("X"));
    EXPECT_EQ(ini.ReadInteger("Tasklist", "SortBy", 0), 2);
}

TEST(IniFile, ReadsFilesWrittenByHandWithLfEndingsAndQuotes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("hand.ini");
    ASSERT_TRUE(WriteAll(path, "; comment\n[Users]\n bob = \"D:/Shared/Store\" \n[Debug]\nLevel = 2\n"));
    TvornIniFile ini(path);
    EXPECT_EQ(ini.ReadString("users", "BOB", ""), "D:/Shared/Store");
    EXPECT_EQ(ini.ReadInteger("debug", "level", 0), 2);
}

QByteArray Utf16(const QString &text, bool littleEndian)
{
    QByteArray out = littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : text) {
        const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
        littleEndian ? out.append(lo).append(hi) : out.append(hi).append(lo);
    }
    return out;
}

TEST(IniFile, OldCodePageFilesKeepEveryByteOfTheLinesNotChanged)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Brivane.ini");
    // Windows-1252: o-umlaut, e-acute, the euro sign; 0x81 is unassigned in it.
    const QByteArray head = "[Users]\r\nj\xF6rg=C:\\Dokumente und Einstellungen\\J\xF6rg\\Brivane\r\n";
    const QByteArray tail = "; caf\xE9 \x80 \x81 kept as it was\r\n[Debug]\r\n";
    ASSERT_TRUE(WriteAll(path, head + tail + "Level=1\r\n"));
    TvornIniFile ini(path);
    EXPECT_EQ(ini.ReadString("users", QString::fromUtf8("jörg"), ""),
              QString::fromUtf8("C:\\Dokumente und Einstellungen\\Jörg\\Brivane"));

    ASSERT_TRUE(ini.WriteInteger("Debug", "Level", 3));
    EXPECT_EQ(ReadAll(path), head + tail + "Level=3\r\n");

    // New lines stay in the file's code page while it can hold them; the rest goes as UTF-8.
    ASSERT_TRUE(ini.WriteString("Debug", "Note", QString::fromUtf8("é €")));
    ASSERT_TRUE(ini.WriteString("Debug", "Name", QString::fromUtf8("Жанна")));
    EXPECT_EQ(ReadAll(path),
              head + tail + "Level=3\r\nNote=\xE9 \x80\r\nName=" + QString::fromUtf8("Жанна").toUtf8() + "\r\n");
    EXPECT_EQ(ini.ReadString("Debug", "Note", ""), QString::fromUtf8("é €"));
    EXPECT_EQ(ini.ReadString("Debug", "Name", ""), QString::fromUtf8("Жанна"));
    EXPECT_EQ(ini.ReadString("Users", QString::fromUtf8("jörg"), "").right(8), "\\Brivane");
}

TEST(IniFile, Utf16AndUtf8WithByteOrderMarkAreReadAndWrittenInTheirOwnEncoding)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Brivane.ini");
    const QString text = QString::fromUtf8("[Users]\r\nzoë=D:\\Zoë's Store\r\n[Debug]\r\nLevel=2\r\n");
    for (bool littleEndian : {true, false}) {
        SCOPED_TRACE(littleEndian ? "UTF-16LE" : "UTF-16BE");
        ASSERT_TRUE(WriteAll(path, Utf16(text, littleEndian)));
        TvornIniFile ini(path);
        EXPECT_EQ(ini.ReadString("Users", QString::fromUtf8("ZOË"), ""), QString::fromUtf8("D:\\Zoë's Store"));
        EXPECT_EQ(ini.ReadInteger("Debug", "Level", 0), 2);
        ASSERT_TRUE(ini.WriteInteger("Debug", "Level", 3));
        ASSERT_TRUE(ini.WriteBool("Tasklist", "FirstRun", false));
        EXPECT_EQ(ReadAll(path), Utf16(QString::fromUtf8("[Users]\r\nzoë=D:\\Zoë's Store\r\n[Debug]\r\nLevel=3\r\n\r\n"
                                                         "[Tasklist]\r\nFirstRun=0\r\n"),
                                       littleEndian));
    }

    // A UTF-8 mark does not hide the first section; it stays, and so do LF endings.
    ASSERT_TRUE(WriteAll(path, "\xEF\xBB\xBF[Debug]\nLevel=1\nMode=0"));
    TvornIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("Debug", "Level", -1), 1);
    ASSERT_TRUE(ini.WriteInteger("Debug", "Level", 3));
    ASSERT_TRUE(ini.WriteString("Debug", "Extra", "x"));
    EXPECT_EQ(ReadAll(path), QByteArray("\xEF\xBB\xBF[Debug]\nLevel=3\nMode=0\nExtra=x\n"));
}

TEST(IniFile, AUtf16MarkOnAFileOfOddLengthIsNoUtf16AndWhatIsWrittenReadsBack)
{
    // Found by fuzzing: the mark was kept, and the file written after it had
    // an even length, so the next read took it for UTF-16 and lost the write.
    QTemporaryDir dir;
    const QString path = dir.filePath("Brivane.ini");
    for (const char *mark : {"\xFE\xFF", "\xFF\xFE", "\xFF\xFE\xFE\xFF"}) {
        ASSERT_TRUE(WriteAll(path, QByteArray(mark) + "Task[Preferences]skli? comment=pty keq\n"));
        TvornIniFile ini(path);
        ASSERT_TRUE(ini.WriteString("debug", "mode", QString::fromLatin1("\0\0\0oted'", 8)));
        EXPECT_TRUE(ini.SectionExists("debug"));
        EXPECT_EQ(ini.ReadString("debug", "mode", "none"), QString::fromLatin1("\0\0\0oted'", 8));
        ASSERT_TRUE(ini.WriteInteger("Debug", "Level", 3));
        EXPECT_EQ(ini.ReadInteger("Debug", "Level", -1), 3);
    }
}

TEST(IniFile, AWriteThatFailsAtAnyStageKeepsTheFileAndIsReported)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Brivane.ini");
    const QByteArray before = "[Tasklist]\r\nFirstRun=0\r\n[Debug]\r\nLevel=3\r\n[users2]\r\nme=/home/me/Store/\r\n";
    TestSupport::CapturedLog log;
    // An ini is smaller than the write buffer: a full disk shows only from the flush on.
    for (TWriteStage stage :
         {TWriteStage::Create, TWriteStage::Flush, TWriteStage::Sync, TWriteStage::Close, TWriteStage::Rename}) {
        SCOPED_TRACE(int(stage));
        ASSERT_TRUE(WriteAll(path, before));
        TvornIniFile ini(path);
        QStringList told;
        QObject::connect(&ini, &TvornIniFile::SaveFailed, [&told](const QString &text) { told << text; });
        {
            TFakeWriteFault full(stage, ENOSPC);
            EXPECT_FALSE(ini.WriteInteger("Debug", "Level", 1));
            EXPECT_FALSE(ini.WriteString("Tasklist", "SortBy", "2"));
        }
        EXPECT_EQ(ReadAll(path), before);
        EXPECT_EQ(ini.LastError, "No space left on device");
        EXPECT_EQ(told, QStringList{"Settings cannot be saved to " + path + ":\rNo space left on device"});
        EXPECT_TRUE(log.Contains("Error: Cannot write " + path + ": No space left on device"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Brivane.ini"});
        // Space again: the next write goes through.
        EXPECT_TRUE(ini.WriteInteger("Debug", "Level", 1));
        EXPECT_TRUE(ini.LastError.isEmpty());
        EXPECT_EQ(ini.ReadInteger("Debug", "Level", 0), 1);
    }
}

TEST(CopyFile, WholeFilesFolderDestinationMissingSourceAndUncreatableTarget)
{
    QTemporaryDir dir;
    // Sizes around the copy's block: the end is found however the reads fall.
    for (const int size : {0, 8191, 8192, 2 * 8192 + 100}) {
        QByteArray data(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            data[i] = char(i * 7);
        ASSERT_TRUE(WriteAll(dir.filePath("src.bin"), data));
        ASSERT_TRUE(CopyFileTo(dir.filePath("src.bin"), dir.filePath("dst.bin")));
        EXPECT_EQ(ReadAll(dir.filePath("dst.bin")), data) << size;
    }

    const QString src = dir.filePath("note.txt");
    ASSERT_TRUE(WriteAll(src, "hello"));
    QDir(dir.path()).mkdir("target");
    // A folder without trailing separator receives the file under its own name.
    ASSERT_TRUE(CopyFileTo(src, dir.filePath("target")));
    EXPECT_EQ(ReadAll(dir.filePath("target/note.txt")), QByteArray("hello"));

    EXPECT_FALSE(CopyFileTo(dir.filePath("nope.txt"), dir.filePath("out.txt")));
    EXPECT_FALSE(QFile::exists(dir.filePath("out.txt")));

    const QString bad = dir.filePath("no/such/folder/out.txt");
    try {
        CopyFileTo(src, bad);
        FAIL() << "expected an error";
    } catch (const EvornError &e) {
        EXPECT_EQ(e.Message(), "Cannot create file " + bad);
    }
}

TEST(VornFile, TimesAndSizeOfMissingAndPresentFiles)
{
    QTemporaryDir dir;
    TvornFile missing(dir.filePath("none"));
    EXPECT_EQ(missing.FileSize(), -1);
    EXPECT_EQ(missing.ModifiedTime(), 0.0);
    EXPECT_EQ(missing.CreatedTime(), 0.0);
    TvornFile f(dir.filePath("x.dat"));
    ASSERT_TRUE(WriteAll(f.Path(), "12345"));
    EXPECT_EQ(f.FileSize(), 5);
    EXPECT_GT(f.ModifiedTime(), EncodeDate(2020, 1, 1));
    EXPECT_EQ(f.FileName(), "x.dat");
    EXPECT_EQ(f.FilePath(), dir.path() + "/");
    ASSERT_TRUE(f.CreateEmpty());
    EXPECT_EQ(f.FileSize(), 0);
}

// A text file holds lines this version wrote in UTF-8 next to lines older
// versions wrote in their code page; each line reads whole and both are
// written back in UTF-8.
TEST(TextFile, LinesReadAsUtf8OrTheOldCodePageEach)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/mixed.txt");
    ASSERT_TRUE(TestSupport::WriteAll(path, QByteArray("Zadzwo\xC5\x84 \xF0\x9F\x98\x80\r\nCaf\xE9 \x96 ok\r\n")));
    TvornTextFile file(path);
    ASSERT_TRUE(file.LoadLines());
    EXPECT_EQ(file.Lines, (QStringList{QString::fromUtf8("Zadzwoń 😀"), QString::fromUtf8("Café – ok")}));
    ASSERT_TRUE(file.SaveLines());
    EXPECT_EQ(TestSupport::ReadAll(path),
              QByteArray("Zadzwo\xC5\x84 \xF0\x9F\x98\x80\r\nCaf\xC3\xA9 \xE2\x80\x93 ok\r\n"));
}

// The store under faults: a folder that refuses writes, a disk that fills up
// during the save, and a process killed at random moments while it saves.
#include "tests/storage/StoreTestSupport.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <random>

using namespace StoreTest;
using TestSupport::ReadAll;
using TestSupport::WriteAll;

namespace {

// Checks that a store image is whole: complete elements in the program's
// format, every record of one save generation, as many as that save wrote.
::testing::AssertionResult WholeStore(const QByteArray &file, int baseCount, int &generation)
{
    if (file.isEmpty() || file.size() % 1896 != 0)
        return ::testing::AssertionFailure() << "store of " << file.size() << " bytes";
    const int count = int(file.size() / 1896);
    generation = RecordAt(file, 0).HasRun;
    if (count != baseCount + generation % 5)
        return ::testing::AssertionFailure() << count << " records for generation " << generation;
    for (int i = 0; i < count; ++i) {
        if (file[i * 1896] != '\x1A' || file[i * 1896 + 1] != '\x0A')
            return ::testing::AssertionFailure() << "element " << i << " has a bad header";
        if (RecordAt(file, i).HasRun != generation)
            return ::testing::AssertionFailure() << "element " << i << " is of generation " << RecordAt(file, i).HasRun
                                                 << ", element 0 of " << generation;
    }
    return ::testing::AssertionSuccess();
}

QByteArray StoreOf(int count)
{
    QByteArray file = Element(Service(TAG_BACKUP, EncodeDate(2030, 1, 1)));
    for (int i = 1; i < count; ++i)
        file += Element(Alarm("reminder " + QString::number(i)));
    return file;
}

} // namespace

TEST(StoreFault, SaveIntoAReadOnlyFolderKeepsTheOldStoreAndLogsAnError)
{
    StoreEnv env;
    const QByteArray old = Element(Alarm("one")) + Element(Service(TAG_BACKUP, EncodeDate(2030, 1, 1)));
    ASSERT_TRUE(WriteAll(env.StorePath(), old));
    TPalvaroStorage &store = env.MakeStore();
    store.OpenStore();
    ASSERT_TRUE(store.StoreRead());
    env.List.AddTask(Alarm("two"));
    env.List.MarkModified();
    {
        ReadOnlyFolder readOnly(env.StoreFolder());
        PermissionsEnforced enforced;
        if (!PermissionsEnforced::FolderRefusesWrites(env.StoreFolder()))
            GTEST_SKIP() << "cannot make a folder read-only here";
        EXPECT_FALSE(store.SaveStore());
        store.SaveIfModified();
    }
    EXPECT_EQ(ReadAll(env.StorePath()), old);
    EXPECT_EQ(env.CountStartingWith("Error: Unable to save storage file " + env.StorePath() + ": "), 2);
    EXPECT_EQ(env.CountStartingWith("Info: Tasklist Saved at "), 0);
    EXPECT_EQ(QDir(env.StoreFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{"Brivane.dat"});
    // Once the folder takes writes again, the next save goes through.
    EXPECT_TRUE(store.SaveStore());
    EXPECT_EQ(ReadAll(env.StorePath()).size(), 3 * 1896);
}

TEST(StoreFault, BlankStoreThatCannotBeCreatedIsReportedAsAFailure)
{
    StoreEnv env;
    TPalvaroStorage &store = env.MakeStore();
    {
        ReadOnlyFolder readOnly(env.StoreFolder());
        PermissionsEnforced enforced;
        if (!PermissionsEnforced::FolderRefusesWrites(env.StoreFolder()))
            GTEST_SKIP() << "cannot make a folder read-only here";
        EXPECT_FALSE(store.CreateEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(env.StorePath()));
    EXPECT_FALSE(env.Logged("Info: Storage file Recreated."));
    EXPECT_EQ(env.CountStartingWith("Error: Unable to create storage file " + env.StorePath()), 1);
}

TEST(StoreFault, DiskFillingUpDuringTheSaveKeepsTheOldStore)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/Brivane.dat";
    const QString logPath = dir.path() + "/saver.log";
    const QByteArray old = StoreOf(3);
    ASSERT_TRUE(WriteAll(path, old));

    // The new store (203 records, 384888 bytes) does not fit below the limit.
    QProcess saver;
    saver.start(STORE_SAVER_PATH, {"fsize", path, "100000", logPath});
    ASSERT_TRUE(saver.waitForFinished(30000));
    ASSERT_EQ(saver.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(saver.exitCode(), 0) << saver.readAllStandardError().toStdString();
    EXPECT_EQ(saver.readAllStandardOutput().trimmed(), "saved=0");

    EXPECT_EQ(ReadAll(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"Brivane.dat", "saver.log"}));
    const QString log = QString::fromUtf8(ReadAll(logPath));
    EXPECT_TRUE(log.contains("Error: Unable to save storage file " + path + ": ")) << log.toStdString();
    EXPECT_FALSE(log.contains("Tasklist Saved at"));
}

TEST(StoreFault, StoreIsWholeAfterEveryKillDuringSaves)
{
    constexpr int kKills = 200;
    constexpr int kBase = 1000; // about 1.9 MB a save
    QTemporaryDir dir;
    const QString path = dir.path() + "/Brivane.dat";
    ASSERT_TRUE(WriteAll(path, StoreOf(kBase)));
    int generation = 0;

    std::random_device seedSource;
    const unsigned seed = seedSource();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayMicros(0, 25000);
    SCOPED_TRACE("seed " + std::to_string(seed));

    QElapsedTimer timer;
    timer.start();
    int killedMidSave = 0;
    int savesCompleted = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        QProcess saver;
        saver.start(STORE_SAVER_PATH, {"loop", path, QString::number(kBase)});
        ASSERT_TRUE(saver.waitForStarted(10000));
        QByteArray out;
        while (!out.contains("ready\n")) {
            ASSERT_TRUE(saver.waitForReadyRead(10000))
                << "saver did not get ready: " << out.toStdString() << saver.readAllStandardError().toStdString();
            out += saver.readAllStandardOutput();
        }
        QThread::usleep(unsigned(delayMicros(random)));
        ::kill(pid_t(saver.processId()), SIGKILL);
        ASSERT_TRUE(saver.waitForFinished(10000));
        out += saver.readAllStandardOutput();
        ASSERT_EQ(saver.exitStatus(), QProcess::CrashExit) << "saver ended by itself: " << out.toStdString();

        // The last generation the saver finished, and whether it was inside a save.
        int lastSaved = generation;
        bool inSave = false;
        for (const QByteArray &line : out.split('\n')) {
            if (line.startsWith("saved ")) {
                lastSaved = line.mid(6).toInt();
                inSave = false;
                ++savesCompleted;
            } else if (line.startsWith("saving ")) {
                inSave = true;
            }
        }
        killedMidSave += inSave ? 1 : 0;

        int found = -1;
        ASSERT_TRUE(WholeStore(ReadAll(path), kBase, found)) << "after kill " << kill;
        // The complete old store or the complete new one: nothing in between, nothing lost.
        ASSERT_TRUE(found == lastSaved || (inSave && found == lastSaved + 1))
            << "after kill " << kill << ": store of generation " << found << ", last saved " << lastSaved;
        generation = found;
    }
    const qint64 ms = timer.elapsed();
    std::printf("[ measure  ] %d kills in %lld ms, %d inside a save, %d saves completed, last generation %d\n", kKills,
                static_cast<long long>(ms), killedMidSave, savesCompleted, generation);
    // Most kills must land inside a save, or the test would prove little.
    EXPECT_GE(killedMidSave, kKills / 2);
    EXPECT_GT(generation, 0);

    // Whatever the kills left beside it, the program opens the store as usual.
    StoreEnv env;
    ASSERT_TRUE(QFile::copy(path, env.StorePath()));
    TPalvaroStorage &store = env.MakeStore();
    store.OpenStore();
    EXPECT_TRUE(store.StoreRead());
    EXPECT_EQ(env.List.Count(), kBase + generation % 5);
}

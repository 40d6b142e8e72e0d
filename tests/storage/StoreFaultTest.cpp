// The store under faults: a folder that refuses writes, a disk that fills up
// during the save, a full disk for every file the program writes, and a
// process killed at random moments while it saves.
#include "storage/GlobalPreferences.h"
#include "storage/StoreAutoSave.h"
#include "tests/fakes/FakeWriteFault.h"
#include "tests/storage/StoreTestSupport.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/stat.h>

using namespace StoreTest;
using TestSupport::PinnedClock;
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
    env.Open();
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
    env.Open();
    EXPECT_TRUE(store.StoreRead());
    EXPECT_EQ(env.List.Count(), kBase + generation % 5);
}

namespace {

const char *StageName(TWriteStage stage)
{
    static const char *const names[] = {"create", "write", "flush", "sync", "close", "rename"};
    return names[int(stage)];
}

QStringList FilesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

mode_t ModeOf(const QString &path)
{
    struct stat st { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : mode_t(-1);
}

} // namespace

// Every file the program writes, with the disk full at each stage of the
// write: the old file stays whole, nothing is left beside it, the failure is
// reported with the system's reason and never as success.
TEST(StoreFault, AFullDiskAtAnyStageKeepsEveryFileAndNamesTheCause)
{
    const QList<TWriteStage> stages{TWriteStage::Create, TWriteStage::Write, TWriteStage::Flush,
                                    TWriteStage::Sync,   TWriteStage::Close, TWriteStage::Rename};
    for (TWriteStage stage : stages) {
        SCOPED_TRACE(StageName(stage));
        StoreEnv env;
        // 60 reminders need several writes; the ini, the preferences and a
        // task file fit in the writer's buffer and fail at the flush, so a
        // failing block write cannot reach them.
        const bool small = stage != TWriteStage::Write;
        const QByteArray old = StoreOf(60);
        const QByteArray big = StoreOf(61);
        ASSERT_TRUE(WriteAll(env.StorePath(), old));
        TPalvaroStorage &store = env.MakeStore();
        env.Open();
        ASSERT_TRUE(store.StoreRead());
        TStoreAutoSave autoSave(store, 10);
        QStringList notices;
        QObject::connect(&autoSave, &TStoreAutoSave::Failed, [&notices](const QString &text) { notices << text; });
        const QString ini = env.StoreFolder() + "Brivane.ini";
        ASSERT_TRUE(WriteAll(ini, "[Debug]\r\nLevel=3\r\n"));
        TvornIniFile iniFile(ini);
        const QString prefsPath = env.StoreFolder() + "Brivane.prefs";
        TPreferences prefs("Brivane", "Brivane");
        prefs.SetFilePath(prefsPath);
        ASSERT_TRUE(prefs.SavePreferences());
        const QByteArray prefsBytes = ReadAll(prefsPath);
        const QString task = env.StoreFolder() + "one.task";
        ASSERT_TRUE(WriteAll(task, "old task"));
        ASSERT_TRUE(WriteAll(env.RescuePath(), big));
        ASSERT_TRUE(SetModified(env.RescuePath(), EncodeDate(2020, 1, 1)));
        const QStringList storeFiles = FilesIn(env.StoreFolder());

        env.List.GetTask(1).HasRun = 5;
        env.List.MarkModified();
        QString error;
        {
            TFakeWriteFault fault(stage);
            EXPECT_FALSE(store.SaveStore());
            EXPECT_EQ(store.LastSaveError(), "No space left on device");
            if (small) {
                EXPECT_FALSE(iniFile.WriteString("Debug", "Level", "1"));
                EXPECT_FALSE(prefs.SavePreferences());
                EXPECT_FALSE(store.ExportTask(task, 1, &error));
                EXPECT_EQ(error, "No space left on device");
            }
            // The backups copy a store of many blocks.
            ASSERT_TRUE(WriteAll(env.StorePath(), big));
            store.RescueBackup();
            EXPECT_EQ(store.LastBackupError, "No space left on device");
            store.LastBackupError.clear();
            store.AutoBackup();
            EXPECT_EQ(store.LastBackupError, "No space left on device");
            ASSERT_TRUE(WriteAll(env.StorePath(), old));
        }
        EXPECT_EQ(ReadAll(env.StorePath()), old);
        if (small) {
            EXPECT_EQ(ReadAll(ini), "[Debug]\r\nLevel=3\r\n");
            EXPECT_EQ(ReadAll(prefsPath), prefsBytes);
            EXPECT_EQ(ReadAll(task), "old task");
        }
        EXPECT_EQ(ReadAll(env.RescuePath()), big);
        EXPECT_EQ(FilesIn(env.StoreFolder()), storeFiles);
        EXPECT_EQ(FilesIn(env.BackupFolder()), QStringList{"Brivane-001.dat"});
        EXPECT_EQ(env.CountStartingWith("Error: Unable to save storage file " + env.StorePath()
                                        + ": No space left on device"),
                  1);
        EXPECT_EQ(env.CountStartingWith("Info: Tasklist Saved at "), 0);
        EXPECT_EQ(env.CountStartingWith("Error: Backup copy not made: No space left on device"), 2);
        EXPECT_FALSE(env.Logged("Info: " + env.BackupFolder() + store.DatedBackupName + " succesfully backuped "));
        // One notice, naming the cause.
        ASSERT_EQ(notices.size(), 1);
        EXPECT_TRUE(notices[0].contains("No space left on device")) << notices[0].toStdString();

        // Once there is room again, everything is written.
        EXPECT_TRUE(store.SaveStore());
        EXPECT_EQ(RecordAt(ReadAll(env.StorePath()), 1).HasRun, 5);
        EXPECT_TRUE(iniFile.WriteString("Debug", "Level", "1"));
        EXPECT_TRUE(store.ExportTask(task, 1));
        EXPECT_EQ(ReadAll(task).size(), 1896);
    }
}

// The reported case on a real full disk: a store small enough to sit in a
// write buffer failed only when closed, unchecked, and replaced the store
// with an empty file; the backups came out empty too.
TEST(StoreFault, AFullTmpfsKeepsSmallAndLargeStoresAndMakesNoEmptyBackups)
{
    for (int count : {3, 8, 9, 60}) {
        SCOPED_TRACE(std::to_string(count) + " reminders");
        QTemporaryDir dir;
        QProcess saver;
        saver.start(STORE_SAVER_PATH, {"fulldisk", dir.path(), QString::number(count)});
        ASSERT_TRUE(saver.waitForFinished(30000));
        if (saver.exitCode() == 77)
            GTEST_SKIP() << "no small tmpfs can be mounted here (needs root and mount namespaces): "
                         << saver.readAllStandardError().toStdString();
        ASSERT_EQ(saver.exitCode(), 0) << saver.readAllStandardError().toStdString();
        const QStringList lines = QString::fromUtf8(saver.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        const QString size = QString::number(count * 1896);
        EXPECT_EQ(lines,
                  (QStringList{"store=0 " + size + " No space left on device", "rescue=-1 No space left on device",
                               "dated=-1 No space left on device", "files=Brivane.dat,filler"}));
    }
}

// Copies of a store cut by a full disk hide neither older good copies nor
// each other: the newest one that reads as a store comes back.
TEST(StoreFault, RestoreTakesTheNewestReadableCopy)
{
    StoreEnv env;
    PinnedClock clock(EncodeDateTime(2025, 12, 8, 12, 0, 0, 0));
    const QByteArray good = Element(Alarm("good")) + Element(Service(TAG_BACKUP, EncodeDate(2030, 1, 1)));
    const QByteArray older = Element(Alarm("older")) + Element(Service(TAG_BACKUP, EncodeDate(2030, 1, 1)));
    ASSERT_TRUE(WriteAll(env.StorePath(), QByteArray()));
    ASSERT_TRUE(WriteAll(env.RescuePath(), QByteArray())); // newest, empty
    ASSERT_TRUE(WriteAll(env.BackupFolder() + "Brivane.dat.07-12-2025", good.left(1000))); // cut
    ASSERT_TRUE(WriteAll(env.BackupFolder() + "Brivane.dat.06-12-2025", good));
    ASSERT_TRUE(WriteAll(env.BackupFolder() + "Brivane.dat.05-12-2025", older));
    ASSERT_TRUE(SetModified(env.BackupFolder() + "Brivane.dat.07-12-2025", EncodeDate(2025, 12, 7)));
    ASSERT_TRUE(SetModified(env.BackupFolder() + "Brivane.dat.06-12-2025", EncodeDate(2025, 12, 6)));
    ASSERT_TRUE(SetModified(env.BackupFolder() + "Brivane.dat.05-12-2025", EncodeDate(2025, 12, 5)));
    BoxRecorder boxes(TMsgResult::Yes);
    TPalvaroStorage &store = env.MakeStore();
    env.Open(boxes);
    EXPECT_TRUE(env.Halts.isEmpty());
    ASSERT_EQ(boxes.Texts.size(), 1); // the damaged store's question only
    EXPECT_EQ(ReadAll(env.StorePath()), good);
    ASSERT_TRUE(store.StoreRead());
    EXPECT_EQ(env.List.GetTask(0).Title.Get(), "good");
    EXPECT_TRUE(env.Logged("Info: Store restored from " + env.BackupFolder() + "Brivane.dat.06-12-2025"));

    // A missing store is offered back from a dated copy when the rescue copy is gone.
    StoreEnv env2;
    ASSERT_TRUE(WriteAll(env2.BackupFolder() + "Brivane.dat.06-12-2025", good));
    BoxRecorder boxes2(TMsgResult::Ok);
    env2.MakeStore();
    env2.Open(boxes2);
    EXPECT_EQ(boxes2.Texts.size(), 1);
    EXPECT_EQ(ReadAll(env2.StorePath()), good);
    EXPECT_TRUE(env2.Halts.isEmpty());
}

TEST(StoreFault, TemporaryCopiesOfKilledSavesAreRemovedAtStartAndNothingElse)
{
    StoreEnv env;
    PinnedClock clock(EncodeDateTime(2025, 12, 8, 12, 0, 0, 0));
    const QByteArray content = StoreOf(2);
    ASSERT_TRUE(WriteAll(env.StorePath(), content));
    const QStringList leftovers{"Brivane.dat.aBcDeF", "Brivane.dat.QwErTy"};
    const QStringList backupLeftovers{"Brivane-001.dat.XyZabc", "Brivane.dat.07-12-2025.PqRsTu"};
    const QStringList kept{"Brivane.dat.notes", "Brivane.dat.09-12-2026", "Brivane.dat.old1", "notes.txt",
                           "Brivane.dat.abcdefg"};
    for (const QString &name : leftovers + kept)
        ASSERT_TRUE(WriteAll(env.StoreFolder() + name, content));
    for (const QString &name : backupLeftovers)
        ASSERT_TRUE(WriteAll(env.BackupFolder() + name, content));
    ASSERT_TRUE(WriteAll(env.BackupFolder() + "Brivane.dat.07-12-2025", content));
    ASSERT_TRUE(WriteAll(env.BackupFolder() + "mine.AbCdEf", content));

    TPalvaroStorage &store = env.MakeStore();
    env.Open();
    ASSERT_TRUE(store.StoreRead());
    QStringList expected = kept + QStringList{"Brivane.dat"};
    expected.sort();
    EXPECT_EQ(FilesIn(env.StoreFolder()), expected);
    EXPECT_EQ(FilesIn(env.BackupFolder()), (QStringList{"Brivane.dat.07-12-2025", "mine.AbCdEf"}));
    EXPECT_EQ(ReadAll(env.StorePath()), content);
    for (const QString &name : leftovers + backupLeftovers)
        EXPECT_TRUE(env.Logged("Info: Removed the temporary file of an unfinished save: " + name))
            << name.toStdString();
}

TEST(StoreFault, WhatTheProgramWritesIsPrivateUnderAnOpenUmask)
{
    const mode_t oldMask = ::umask(022);
    {
        StoreEnv env;
        ASSERT_TRUE(QDir(env.BackupFolder()).removeRecursively());
        ASSERT_TRUE(WriteAll(env.StorePath(), StoreOf(2)));
        ASSERT_EQ(ModeOf(env.StorePath()), 0644u);
        TPalvaroStorage &store = env.MakeStore();
        env.Open();
        env.List.MarkModified();
        ASSERT_TRUE(store.SaveStore());
        store.AutoBackup();
        store.RescueBackup();
        ASSERT_TRUE(store.ExportTask(env.StoreFolder() + "one.task", 0));
        TvornIniFile ini(env.StoreFolder() + "Brivane.ini");
        ASSERT_TRUE(ini.WriteString("Debug", "Level", "3"));
        EXPECT_EQ(ModeOf(env.StorePath()), 0600u);
        EXPECT_EQ(ModeOf(env.BackupFolder()), 0700u);
        EXPECT_EQ(ModeOf(env.BackupFolder() + store.DatedBackupName), 0600u);
        EXPECT_EQ(ModeOf(env.RescuePath()), 0600u);
        EXPECT_EQ(ModeOf(env.StoreFolder() + "one.task"), 0600u);
        EXPECT_EQ(ModeOf(env.StoreFolder() + "Brivane.ini"), 0600u);
    }
    ::umask(oldMask);
}

// A store folder that takes no files, without a backup folder: the store is
// read and kept as it is, the user is told once that changes cannot be saved.
TEST(StoreFault, AReadOnlyStoreFolderWithoutBackupFolderRunsReadOnlyAndSaysSoOnce)
{
    StoreEnv env;
    const QByteArray old = StoreOf(3);
    ASSERT_TRUE(WriteAll(env.StorePath(), old));
    ASSERT_TRUE(QDir(env.BackupFolder()).removeRecursively());
    ReadOnlyFolder readOnly(env.StoreFolder());
    PermissionsEnforced enforced;
    if (!PermissionsEnforced::FolderRefusesWrites(env.StoreFolder()))
        GTEST_SKIP() << "cannot make a folder read-only here";
    TPalvaroStorage &store = env.MakeStore();
    env.Open();
    ASSERT_TRUE(store.StoreRead());
    EXPECT_TRUE(env.Halts.isEmpty());
    store.AutoBackup();
    TStoreAutoSave autoSave(store, 10);
    QStringList notices;
    QObject::connect(&autoSave, &TStoreAutoSave::Failed, [&notices](const QString &text) { notices << text; });
    autoSave.CheckAtStart();
    ASSERT_EQ(notices.size(), 1);
    EXPECT_EQ(notices[0], TStoreAutoSave::ReadOnlyText(env.StoreFolder(), "Permission denied"));
    env.List.GetTask(1).HasRun = 3;
    env.List.MarkModified();
    EXPECT_FALSE(store.SaveStore());
    store.RescueBackup();
    EXPECT_EQ(notices.size(), 1);
    EXPECT_EQ(ReadAll(env.StorePath()), old);
    EXPECT_EQ(FilesIn(env.StoreFolder()), QStringList{"Brivane.dat"});
}

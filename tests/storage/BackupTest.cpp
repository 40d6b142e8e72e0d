// Backups: the rescue copies, the dated copies with their retention, restore.
#include "tests/storage/StoreTestSupport.h"

#include <QDirIterator>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace StoreTest;
using TestSupport::PinnedClock;
using TestSupport::ReadAll;
using TestSupport::WriteAll;

namespace {

const TDateTime kToday = EncodeDateTime(2025, 12, 8, 14, 30, 0, 0);

QString DatedName(TDateTime day)
{
    return "Brivane.dat" + FormatDateTime(".dd-mm-yyyy", day);
}

// A dated copy written on its day (at noon).
void MakeDated(const StoreEnv &env, const QString &name, TDateTime day)
{
    ASSERT_TRUE(WriteAll(env.BackupFolder() + name, name.toUtf8()));
    ASSERT_TRUE(SetModified(env.BackupFolder() + name, std::floor(day) + 0.5));
}

QStringList BackupFiles(const StoreEnv &env)
{
    QStringList names = QDir(env.BackupFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    return names;
}

} // namespace

TEST(Backup, BackupFileNameInsertsTheSuffixBeforeTheFirstDot)
{
    EXPECT_EQ(TvornStorage::BackupFileName("Brivane.dat", "001"), "Brivane-001.dat");
    EXPECT_EQ(TvornStorage::BackupFileName("store", "001"), "-001store");
    EXPECT_EQ(TvornStorage::BackupFileName("my.store.dat", "000"), "my-000.store.dat");
}

TEST(Backup, RescueCopyFollowsTheStoreOnlyWhenTheStoreIsNewer)
{
    StoreEnv env;
    TPalvaroStorage &store = env.MakeStore();
    const TDateTime now = Clock::Now();

    // An empty store is never copied: an empty rescue copy would be trusted
    // in the next restore.
    ASSERT_TRUE(WriteAll(env.StorePath(), QByteArray()));
    store.RescueBackup();
    EXPECT_FALSE(QFileInfo::exists(env.RescuePath()));
    EXPECT_TRUE(env.Logged("Error: Backup copy not made: " + env.StorePath() + " is empty"));
    EXPECT_EQ(store.LastBackupError, env.StorePath() + " is empty");
    ASSERT_TRUE(WriteAll(env.StorePath(), Element(Alarm("first"))));
    store.RescueBackup();
    EXPECT_EQ(ReadAll(env.RescuePath()), Element(Alarm("first")));
    EXPECT_EQ(env.CountStartingWith("Info: Database backuped at "), 1);
    ASSERT_TRUE(WriteAll(env.StorePath(), QByteArray()));
    ASSERT_TRUE(WriteAll(env.RescuePath(), "older copy"));
    ASSERT_TRUE(SetModified(env.RescuePath(), now - 1.0));
    store.RescueBackup();
    EXPECT_EQ(ReadAll(env.RescuePath()), "older copy");

    // Store written 10 minutes ago, copy 5 minutes ago: nothing to do.
    const QByteArray content = Element(Alarm("a"));
    ASSERT_TRUE(WriteAll(env.StorePath(), content));
    ASSERT_TRUE(SetModified(env.StorePath(), now - 10.0 / 1440));
    ASSERT_TRUE(SetModified(env.RescuePath(), now - 5.0 / 1440));
    store.RescueBackup();
    EXPECT_EQ(ReadAll(env.RescuePath()), "older copy");
    EXPECT_EQ(env.CountStartingWith("Info: Database backuped at "), 1);

    // Store saved after the copy: copied.
    ASSERT_TRUE(SetModified(env.StorePath(), now - 1.0 / 1440));
    store.RescueBackup();
    EXPECT_EQ(ReadAll(env.RescuePath()), content);
    EXPECT_EQ(env.CountStartingWith("Info: Database backuped at "), 2);
    EXPECT_TRUE(env.LogLines().last().endsWith(" to " + env.RescuePath()));
}

TEST(Backup, RescueCopyThatCannotBeWrittenIsLoggedAsAnError)
{
    StoreEnv env;
    TPalvaroStorage &store = env.MakeStore();
    ASSERT_TRUE(WriteAll(env.StorePath(), Element(Alarm("a"))));
    ASSERT_TRUE(QDir(env.BackupFolder()).removeRecursively());
    store.RescueBackup(); // must not throw into the scheduler
    EXPECT_TRUE(env.Logged("Error: Unable to copy backup file to: " + env.RescuePath()));
    EXPECT_EQ(env.CountStartingWith("Info: Database backuped at "), 0);
}

TEST(Backup, RestoreReplacesTheStoreOrLeavesItAsItWas)
{
    StoreEnv env;
    TPalvaroStorage &store = env.MakeStore();
    ASSERT_TRUE(WriteAll(env.StorePath(), "damaged"));

    EXPECT_FALSE(store.RestoreBackup());
    EXPECT_TRUE(env.Logged("Error: Unable to restore Backup file: " + env.RescuePath()));
    EXPECT_EQ(ReadAll(env.StorePath()), "damaged");

    const QByteArray rescue = Element(Alarm("r"));
    ASSERT_TRUE(WriteAll(env.RescuePath(), rescue));
    EXPECT_TRUE(store.RestoreBackup());
    EXPECT_EQ(ReadAll(env.StorePath()), rescue);
}

TEST(Backup, EightOldDatedCopiesLeaveSevenWithTodaysAndTheRescueCopiesStay)
{
    StoreEnv env;
    PinnedClock clock(kToday);
    const QByteArray content = Element(Alarm("today"));
    ASSERT_TRUE(WriteAll(env.StorePath(), content));
    for (int d = 1; d <= 8; ++d)
        MakeDated(env, DatedName(kToday - d), kToday - d);
    // Rescue copies older than every dated copy: they are no dated copies.
    ASSERT_TRUE(WriteAll(env.RescuePath(), "001"));
    ASSERT_TRUE(SetModified(env.RescuePath(), kToday - 40));
    ASSERT_TRUE(WriteAll(env.SecondRescuePath(), "000"));
    ASSERT_TRUE(SetModified(env.SecondRescuePath(), kToday - 50));

    env.MakeStore().AutoBackup();

    const QString todays = env.BackupFolder() + "Brivane.dat.08-12-2025";
    EXPECT_EQ(ReadAll(todays), content);
    QStringList expected{"Brivane-000.dat", "Brivane-001.dat", "Brivane.dat.08-12-2025"};
    for (int d = 1; d <= 6; ++d)
        expected << DatedName(kToday - d);
    expected.sort();
    EXPECT_EQ(BackupFiles(env), expected);
    EXPECT_TRUE(env.Logged("Info: Autobackup path: " + todays));
    EXPECT_TRUE(env.Logged("Info: Deleted File: " + env.BackupFolder() + DatedName(kToday - 8)));
    EXPECT_TRUE(env.Logged("Info: Deleted File: " + env.BackupFolder() + DatedName(kToday - 7)));
    EXPECT_TRUE(env.Logged("Info: Autobackfilesfound  = 8"));
    EXPECT_TRUE(env.Logged("Info: Autobackfilesfound  = 6"));
    EXPECT_TRUE(env.Logged("Info: " + todays + " succesfully backuped "));
}

TEST(Backup, DatedCopiesAreFoundByPatternWhateverTheCase)
{
    StoreEnv env;
    PinnedClock clock(kToday);
    MakeDated(env, "BRIVANE.DAT.01-01-2025", kToday - 300);
    MakeDated(env, ".hidden.dat.x", kToday - 2);
    MakeDated(env, "notes.txt", kToday - 400);
    ASSERT_TRUE(QDir().mkdir(env.BackupFolder() + "folder.dat.x"));
    ASSERT_TRUE(WriteAll(env.StorePath(), Element(Alarm("a"))));
    TPalvaroStorage &store = env.MakeStore();
    store.AutoBackup(); // fills the names from the settings
    QString oldest;
    EXPECT_EQ(store.FindOldestBackup(oldest), 3); // today's copy included
    EXPECT_EQ(oldest, env.BackupFolder() + "BRIVANE.DAT.01-01-2025");
    EXPECT_TRUE(env.Logged("Info: File: BRIVANE.DAT.01-01-2025 Age: " + DateTimeToStr(std::floor(kToday - 300) + 0.5)));
    EXPECT_TRUE(env.Logged("Info: Oldest Filename = " + oldest));
}

TEST(Backup, OfTwoCopiesOfTheSameDayTheFirstFoundIsDeleted)
{
    StoreEnv env;
    PinnedClock clock(kToday);
    ASSERT_TRUE(WriteAll(env.StorePath(), Element(Alarm("a"))));
    MakeDated(env, "Brivane.dat.a", kToday - 20);
    MakeDated(env, "Brivane.dat.b", kToday - 20);
    for (int d = 1; d <= 5; ++d)
        MakeDated(env, DatedName(kToday - d), kToday - d);
    // The order the folder search delivers the two in.
    QStringList order;
    for (QDirIterator it(env.BackupFolder(), QDir::Files); it.hasNext();) {
        it.next();
        if (it.fileName() == "Brivane.dat.a" || it.fileName() == "Brivane.dat.b")
            order << it.fileName();
    }
    ASSERT_EQ(order.size(), 2);

    env.MakeStore().AutoBackup();

    // Seven copies: one must go, and of the two oldest it is the first found.
    EXPECT_FALSE(QFileInfo::exists(env.BackupFolder() + order[0]));
    EXPECT_TRUE(QFileInfo::exists(env.BackupFolder() + order[1]));
    EXPECT_EQ(BackupFiles(env).size(), 7); // six kept + today's
}

TEST(Backup, SecondStartOnTheSameDayMakesNoCopyAndDeletesNothing)
{
    StoreEnv env;
    PinnedClock clock(kToday);
    ASSERT_TRUE(WriteAll(env.StorePath(), Element(Alarm("new"))));
    const QString todays = env.BackupFolder() + "Brivane.dat.08-12-2025";
    ASSERT_TRUE(WriteAll(todays, "morning"));
    for (int d = 1; d <= 9; ++d)
        MakeDated(env, DatedName(kToday - d), kToday - d);

    env.MakeStore().AutoBackup();

    EXPECT_TRUE(env.Logged("Info: " + todays + " exists."));
    EXPECT_EQ(ReadAll(todays), "morning");
    EXPECT_EQ(BackupFiles(env).size(), 10);
    EXPECT_EQ(env.CountStartingWith("Info: Deleted File: "), 0);
}

TEST(Backup, RetentionEndsWhenNothingOlderThanTodayIsLeft)
{
    StoreEnv env;
    PinnedClock clock(kToday);
    ASSERT_TRUE(WriteAll(env.StorePath(), Element(Alarm("a"))));
    // Eight copies all written today (names do not matter): none can go.
    for (int i = 0; i < 8; ++i)
        MakeDated(env, "Brivane.dat.copy" + QString::number(i), kToday);

    env.MakeStore().AutoBackup();

    EXPECT_EQ(BackupFiles(env).size(), 9);
    EXPECT_EQ(env.CountStartingWith("Info: Deleted File: "), 0);
    EXPECT_TRUE(env.Logged("Info: Oldest Filename = "));
    EXPECT_TRUE(QFileInfo::exists(env.BackupFolder() + "Brivane.dat.08-12-2025"));
}

TEST(Backup, RetentionEndsWhenADeleteFails)
{
    StoreEnv env;
    PinnedClock clock(kToday);
    ASSERT_TRUE(WriteAll(env.StorePath(), Element(Alarm("a"))));
    for (int d = 1; d <= 9; ++d)
        MakeDated(env, DatedName(kToday - d), kToday - d);
    TPalvaroStorage &store = env.MakeStore();
    {
        ReadOnlyFolder readOnly(env.BackupFolder());
        PermissionsEnforced enforced;
        if (!PermissionsEnforced::FolderRefusesWrites(env.BackupFolder()))
            GTEST_SKIP() << "cannot make a folder read-only here";
        store.AutoBackup();
    }
    EXPECT_EQ(env.CountStartingWith("Error: Unable to delete: "), 1);
    EXPECT_TRUE(env.Logged("Error: Unable to delete: " + env.BackupFolder() + DatedName(kToday - 9)));
    EXPECT_TRUE(env.Logged("Error: Unable to copy backup file to: " + env.BackupFolder() + "Brivane.dat.08-12-2025"));
    EXPECT_EQ(BackupFiles(env).size(), 9);
}

TEST(Backup, MissingBackupFolderIsCreatedOneLevelOnly)
{
    StoreEnv env;
    PinnedClock clock(kToday);
    const QByteArray content = Element(Alarm("a"));
    ASSERT_TRUE(WriteAll(env.StorePath(), content));
    ASSERT_TRUE(QDir(env.BackupFolder()).removeRecursively());
    env.MakeStore().AutoBackup();
    EXPECT_EQ(ReadAll(env.BackupFolder() + "Brivane.dat.08-12-2025"), content);

    // A backup folder two levels down from what exists is not made.
    env.Setup.BackupFolder = env.StoreFolder() + "a/b/";
    env.MakeStore().AutoBackup();
    EXPECT_TRUE(env.Logged("Error: unable to create database backup directory: " + env.StoreFolder() + "a/b/"));
    EXPECT_FALSE(QFileInfo::exists(env.StoreFolder() + "a"));
}

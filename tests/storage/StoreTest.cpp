// The store file: opening it with its recovery paths, loading, saving, the
// periodic save, and start-up's first run.
#include "tests/fakes/FakeShell.h"
#include "tests/storage/StoreTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace StoreTest;
using TestSupport::PinnedClock;
using TestSupport::ReadAll;
using TestSupport::WriteAll;

namespace {

const TDateTime kNow = EncodeDateTime(2025, 12, 8, 14, 30, 0, 0);
constexpr double kHour = 1.0 / 24.0;

// Installs a fake shell for the scope.

} // namespace

TEST(Store, ElementsLoadAlikeWhateverTheirVersionBytesAndGetABackupReminder)
{
    StoreEnv env;
    PinnedClock clock(kNow);
    // Only the second byte of the file decides the version (12 reads as 10);
    // later elements carry other signatures and versions and load all the same.
    const QByteArray file =
        Element(Alarm("first"), 12) + Element(Alarm("second"), 3, 0x00) + Element(Alarm("third"), 200, 0x7F);
    ASSERT_TRUE(WriteAll(env.StorePath(), file));
    ASSERT_TRUE(SetModified(env.StorePath(), EncodeDateTime(2025, 12, 1, 8, 5, 9, 0)));
    BoxRecorder boxes;

    TPalvaroStorage &store = env.MakeStore();
    env.Open(boxes);

    EXPECT_TRUE(boxes.Texts.isEmpty()) << boxes.Texts.join('|').toStdString();
    EXPECT_TRUE(env.Halts.isEmpty());
    EXPECT_EQ(store.DBVersion, 12);
    EXPECT_TRUE(store.StoreRead());
    ASSERT_EQ(env.List.Count(), 4);
    EXPECT_EQ(env.List.GetTask(0).Title.Get(), "first");
    EXPECT_EQ(env.List.GetTask(1).Title.Get(), "second");
    EXPECT_EQ(env.List.GetTask(2).Title.Get(), "third");
    // The store had no backup reminder: one is added, due an hour after the open.
    const TTaskData &backup = env.List.GetTask(3);
    EXPECT_EQ(backup.Tag, TAG_BACKUP);
    EXPECT_EQ(backup.Taskkind, tkService);
    EXPECT_TRUE(SameDateTime(backup.Scheduled, kNow + kHour));
    EXPECT_TRUE(backup.RepeatTask && backup.Enabled);
    EXPECT_EQ(backup.RepeatRule, srHours);
    EXPECT_EQ(backup.RepeatNFactor, 1);

    EXPECT_TRUE(env.Logged("Info: Shipped DB version: 10"));
    EXPECT_TRUE(env.Logged("Info: Record size: 1888"));
    EXPECT_TRUE(env.Logged("Info: DB version found: 12"));
    EXPECT_TRUE(env.Logged("Info: Backup task created. First run schedule: " + DateTimeToStr(kNow + kHour)));
    const QStringList lines = env.LogLines();
    const auto dbFile = std::find_if(lines.begin(), lines.end(), [](const QString &l) {
        return l.startsWith("Info: DB file: Brivane.dat  Created: ");
    });
    ASSERT_NE(dbFile, lines.end());
    EXPECT_TRUE(dbFile->contains("  Modified: Mon, 1 Dec 2025 at 08:05:09  Accessed: ")) << dbFile->toStdString();
}

TEST(Store, ExistingBackupReminderIsMovedAndLoadedRecordsAreRepaired)
{
    StoreEnv env;
    PinnedClock clock(kNow);
    TTaskData busy = Alarm("busy");
    busy.InService = true;
    busy.ActionCount = 2;
    busy.SnoozeInmedTime = kNow;
    TTaskData blank = Alarm("   ");
    blank.Taskkind = 9;
    ASSERT_TRUE(WriteAll(env.StorePath(),
                         Element(busy) + Element(Service(TAG_BACKUP, EncodeDate(2020, 1, 1))) + Element(blank)));

    env.MakeStore();
    env.Open();

    ASSERT_EQ(env.List.Count(), 3); // no second backup reminder
    EXPECT_TRUE(SameDateTime(env.List.GetTask(1).Scheduled, kNow + kHour));
    EXPECT_TRUE(env.Logged("Info: BACKUP task schedule reseted to: " + DateTimeToStr(kNow + kHour)));
    EXPECT_FALSE(env.List.GetTask(0).InService);
    EXPECT_EQ(env.List.GetTask(0).ActionCount, 0);
    EXPECT_EQ(env.List.GetTask(0).SnoozeInmedTime, 0.0);
    EXPECT_EQ(env.List.GetTask(2).Title.Get(), "Untitled");
    EXPECT_EQ(env.List.GetTask(2).Taskkind, tkAutomatedTask);
}

TEST(Store, CutStoreKeepsTheRecordsReadAndIsNeverWrittenInThatRun)
{
    StoreEnv env;
    const QByteArray file = Element(Alarm("a")) + Element(Alarm("b")) + Element(Alarm("c")) + QByteArray(100, 'x');
    ASSERT_TRUE(WriteAll(env.StorePath(), file));
    BoxRecorder boxes;

    TPalvaroStorage &store = env.MakeStore();
    env.Open(boxes);

    EXPECT_EQ(boxes.Texts, QStringList{"Critical Error: Unable to read data from storage file"});
    EXPECT_EQ(boxes.Kinds(), QList{BoxRecorder::Kind(TMsgIcon::None, TMsgButtons::Ok)}); // the plain message
    EXPECT_FALSE(store.StoreRead());
    ASSERT_EQ(env.List.Count(), 3); // and no backup reminder: the open stopped there
    EXPECT_EQ(env.List.GetTask(2).Title.Get(), "c");
    EXPECT_TRUE(env.Logged("Info: Unable to open database.\rRead beyond end of file"));

    // No dated copy of the cut store: it would push a good older copy out.
    store.AutoBackup();
    EXPECT_TRUE(QDir(env.BackupFolder()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(env.Logged("Warning: AutoBackup skipped: the store could not be read, the older copies are kept."));

    // Whatever happens later in the run, the file stays as it was.
    env.List.AddTask(Alarm("new"));
    env.List.MarkModified();
    EXPECT_FALSE(store.SaveStore());
    store.SaveIfModified();
    env.Store.reset(); // program end
    EXPECT_EQ(ReadAll(env.StorePath()), file);
}

TEST(Store, EmptyStoreIsDamagedAndAbortLeavesItUntouched)
{
    StoreEnv env;
    ASSERT_TRUE(WriteAll(env.StorePath(), QByteArray()));
    BoxRecorder boxes(TMsgResult::Abort);

    TPalvaroStorage &store = env.MakeStore();
    env.Open(boxes);

    EXPECT_EQ(store.DBVersion, 255);
    ASSERT_EQ(boxes.Texts.size(), 1);
    EXPECT_EQ(boxes.Texts[0], "Error 03: Reminders' store file " + env.StorePath()
                                  + " is Damaged or Corrupted!\nPress Yes to restore the backup file or Abort to "
                                    "terminate Brivane.");
    EXPECT_EQ(boxes.Kinds(), QList{BoxRecorder::Kind(TMsgIcon::Error, TMsgButtons::YesAbort)});
    EXPECT_EQ(env.Halts, QStringList{"INVALID_DB_FORMAT -> mrAbort"});
    EXPECT_TRUE(env.Logged("Error: Database exception: Read beyond end of file"));
    EXPECT_TRUE(env.Logged("Info: DB version found: 255"));
    EXPECT_FALSE(store.SaveStore());
    env.Store.reset();
    EXPECT_TRUE(QFileInfo::exists(env.StorePath()));
    EXPECT_EQ(QFileInfo(env.StorePath()).size(), 0);
}

TEST(Store, DamagedStoreAnsweredYesRestoresTheRescueCopyOrHalts)
{
    {
        StoreEnv env;
        ASSERT_TRUE(WriteAll(env.StorePath(), "\x1A"));
        const QByteArray rescue = Element(Alarm("kept")) + Element(Service(TAG_BACKUP, kNow));
        ASSERT_TRUE(WriteAll(env.RescuePath(), rescue));
        BoxRecorder boxes(TMsgResult::Yes);
        TPalvaroStorage &store = env.MakeStore();
        env.Open(boxes);
        EXPECT_EQ(boxes.Texts.size(), 1);
        EXPECT_TRUE(env.Halts.isEmpty());
        // The restored store's version is not read again.
        EXPECT_EQ(store.DBVersion, 255);
        EXPECT_EQ(env.CountStartingWith("Info: DB version found: "), 1);
        EXPECT_TRUE(store.StoreRead());
        ASSERT_EQ(env.List.Count(), 2);
        EXPECT_EQ(env.List.GetTask(0).Title.Get(), "kept");
        EXPECT_EQ(ReadAll(env.StorePath()), rescue);
    }
    {
        StoreEnv env;
        ASSERT_TRUE(WriteAll(env.StorePath(), QByteArray()));
        BoxRecorder boxes(TMsgResult::Yes);
        TPalvaroStorage &store = env.MakeStore();
        env.Open(boxes);
        ASSERT_EQ(boxes.Texts.size(), 2);
        EXPECT_EQ(boxes.Texts[1], "Error 05: Unable to restore Backup file. Brivane will terminate.");
        EXPECT_EQ(boxes.Kinds()[1], BoxRecorder::Kind(TMsgIcon::Error, TMsgButtons::Ok));
        EXPECT_EQ(env.Halts, QStringList{"INVALID_DB_FORMAT -> mrYes"});
        EXPECT_TRUE(env.Logged("Error: Unable to restore Backup file: " + env.RescuePath()));
        EXPECT_FALSE(store.SaveStore());
        EXPECT_EQ(QFileInfo(env.StorePath()).size(), 0);
    }
}

TEST(Store, OlderFormatStartsTheConverterAndHaltsWithTheStoreUntouched)
{
    for (const int shellResult : {Shell::kSuccess, Shell::kFileNotFound}) {
        StoreEnv env;
        env.Shell.Result = shellResult;
        QByteArray file = Element(Alarm("old"), 9) + Element(Alarm("older"), 9);
        ASSERT_TRUE(WriteAll(env.StorePath(), file));
        BoxRecorder boxes;

        TPalvaroStorage &store = env.MakeStore();
        env.Open(boxes);

        EXPECT_TRUE(store.NeedsConversion());
        EXPECT_EQ(env.Shell.Opened, QStringList{env.ProgramFolder() + "DBConverter"});
        EXPECT_EQ(env.Shell.LastParameters, '"' + env.StorePath() + '"');
        EXPECT_EQ(env.Halts, QStringList{"DatabaseNeedsUpgrade"});
        EXPECT_TRUE(env.Logged("Info: Calling... DBConverter"));
        EXPECT_EQ(env.List.Count(), 0);
        if (shellResult == Shell::kSuccess) {
            EXPECT_TRUE(boxes.Texts.isEmpty());
        } else {
            EXPECT_EQ(boxes.Texts, QStringList{"Error 02: Database Converter DBConverter not found."});
            EXPECT_EQ(boxes.Kinds(), QList{BoxRecorder::Kind(TMsgIcon::Error, TMsgButtons::Ok)});
            EXPECT_TRUE(env.Logged("Error: Critical error: file " + env.ProgramFolder() + "DBConverter not found"));
        }
        env.List.MarkModified();
        EXPECT_FALSE(store.SaveStore());
        env.Store.reset();
        EXPECT_EQ(ReadAll(env.StorePath()), file);
    }
}

TEST(Store, SaveWritesEveryRecordButInformationNoticesInListOrder)
{
    StoreEnv env;
    ASSERT_TRUE(WriteAll(env.StorePath(), Element(Alarm("one"))));
    TPalvaroStorage &store = env.MakeStore();
    env.Open();
    ASSERT_EQ(env.List.Count(), 2); // with the backup reminder
    env.List.RemoveTask(&env.List.GetTask(1));
    TTaskData notice = Service(TAG_INFODLG, kNow);
    env.List.AddTask(notice);
    env.List.AddTask(Alarm("two"));
    TTaskData odd = Alarm("three");
    odd.Pad6[0] = 0x55; // every byte of the record goes to the file as held
    env.List.AddTask(odd);
    ASSERT_EQ(env.List.Count(), 4);

    ASSERT_TRUE(store.SaveStore());

    const QByteArray file = ReadAll(env.StorePath());
    ASSERT_EQ(file.size(), 3 * 1896);
    const QByteArray header("\x1A\x0A\0\0\0\0\0\0", 8);
    const int kept[] = {0, 2, 3};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(file.mid(i * 1896, 8), header) << i;
        EXPECT_EQ(file.mid(i * 1896 + 8, 1888), RecordBytes(env.List.GetTask(kept[i]))) << i;
    }
    EXPECT_EQ(env.CountStartingWith("Info: Tasklist Saved at "), 1);
    EXPECT_TRUE(env.LogLines().last().endsWith(" to " + env.StorePath()));
}

TEST(Store, PeriodicSaveOnlyAfterAChangeSinceTheFileWasWritten)
{
    StoreEnv env;
    ASSERT_TRUE(WriteAll(env.StorePath(), Element(Alarm("one")) + Element(Service(TAG_BACKUP, kNow))));
    ASSERT_TRUE(SetModified(env.StorePath(), kNow - 1.0));
    PinnedClock clock(kNow);
    TPalvaroStorage &store = env.MakeStore();
    env.Open(); // loading marks the list modified, after the file was written

    store.SaveIfModified();
    EXPECT_EQ(env.CountStartingWith("Info: Tasklist Saved at "), 1);

    // Written after the last change: nothing to do.
    ASSERT_TRUE(SetModified(env.StorePath(), kNow + 1.0 / 1440));
    const QByteArray saved = ReadAll(env.StorePath());
    env.List.GetTask(0).HasRun = 7; // a change nobody marked
    store.SaveIfModified();
    EXPECT_EQ(ReadAll(env.StorePath()), saved);
    EXPECT_EQ(env.CountStartingWith("Info: Tasklist Saved at "), 1);

    // Marked modified after the file was written: saved.
    Clock::Pin(kNow + 2.0 / 1440);
    env.List.MarkModified();
    store.SaveIfModified();
    EXPECT_EQ(RecordAt(ReadAll(env.StorePath()), 0).HasRun, 7);
    EXPECT_EQ(env.CountStartingWith("Info: Tasklist Saved at "), 2);

    // A missing file counts as never written.
    ASSERT_TRUE(QFile::remove(env.StorePath()));
    store.SaveIfModified();
    EXPECT_EQ(ReadAll(env.StorePath()).size(), 2 * 1896);
    EXPECT_EQ(env.CountStartingWith("Info: Tasklist Saved at "), 3);
}

TEST(Store, PeriodicSaveKeepsAChangeWhenSomeoneElseWroteTheFileLater)
{
    StoreEnv env;
    ASSERT_TRUE(WriteAll(env.StorePath(), Element(Alarm("one")) + Element(Service(TAG_BACKUP, kNow))));
    PinnedClock clock(kNow);
    TPalvaroStorage &store = env.MakeStore();
    env.Open();
    ASSERT_TRUE(store.SaveStore());
    const QByteArray before = ReadAll(env.StorePath());

    Clock::Pin(kNow + 1.0 / 1440);
    env.List.GetTask(0).HasRun = 5;
    env.List.MarkModified();
    // A second copy of the program ends and writes the store it had read,
    // after the change above: the change is still unsaved.
    ASSERT_TRUE(WriteAll(env.StorePath(), before));
    ASSERT_TRUE(SetModified(env.StorePath(), kNow + 2.0 / 1440));
    store.SaveIfModified();
    EXPECT_EQ(RecordAt(ReadAll(env.StorePath()), 0).HasRun, 5);
}

TEST(Store, FirstStartCreatesTheBlankStoreWithoutAsking)
{
    StoreEnv env;
    PinnedClock clock(kNow);
    BoxRecorder boxes(TMsgResult::Ok);

    TPalvaroStorage &store = env.MakeStore();
    store.ReadVersion();
    EXPECT_EQ(store.DBVersion, 0);
    EXPECT_TRUE(env.Logged("Warning: Database " + env.StorePath() + " not found!!!"));
    EXPECT_TRUE(env.Logged("Info: DB version found: 0"));
    env.Open(boxes);

    EXPECT_TRUE(boxes.Texts.isEmpty()) << boxes.Texts.join('|').toStdString();
    EXPECT_TRUE(env.Halts.isEmpty());
    EXPECT_TRUE(env.Logged("Info: Storage file Recreated."));
    const QByteArray file = ReadAll(env.StorePath());
    ASSERT_EQ(file.size(), 1896);
    EXPECT_EQ(file.left(2), QByteArray("\x1A\x0A"));
    EXPECT_EQ(RecordAt(file, 0).Tag, TAG_BACKUP);
    // The blank store's backup reminder is the one in the list, not a second one.
    EXPECT_TRUE(store.StoreRead());
    ASSERT_EQ(env.List.Count(), 1);
    EXPECT_EQ(env.List.GetTask(0).Tag, TAG_BACKUP);
    EXPECT_FALSE(QFileInfo::exists(env.SecondRescuePath()));
    EXPECT_EQ(env.CountStartingWith("Error: "), 0); // a first start is no error
}

// The store asks and waits: nothing changes on disk until the answer comes,
// and an answer to no question (a second one) changes nothing either.
TEST(Store, OpeningStopsAtTheQuestionAndGoesOnOnlyWithItsAnswer)
{
    const QByteArray rescue = Element(Alarm("lost")) + Element(Service(TAG_BACKUP, kNow));
    StoreEnv env;
    ASSERT_TRUE(WriteAll(env.RescuePath(), rescue));
    TPalvaroStorage &store = env.MakeStore();

    const TStoreOpening asked = store.OpenStore();
    ASSERT_EQ(asked.State, TStoreOpening::TState::Question);
    EXPECT_EQ(asked.Question.Buttons, TMsgButtons::OkIgnore);
    EXPECT_EQ(asked.Question.Title, "Brivane");
    EXPECT_TRUE(asked.Notices.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(env.StorePath()));
    EXPECT_EQ(env.List.Count(), 0);

    const TStoreOpening opened = store.AnswerOpening(TMsgResult::Ok);
    EXPECT_EQ(opened.State, TStoreOpening::TState::Opened);
    EXPECT_EQ(ReadAll(env.StorePath()), rescue);
    ASSERT_EQ(env.List.Count(), 2);

    const TStoreOpening again = store.AnswerOpening(TMsgResult::Ignore);
    EXPECT_EQ(again.State, TStoreOpening::TState::Left);
    EXPECT_EQ(ReadAll(env.StorePath()), rescue);
    EXPECT_EQ(env.List.Count(), 2);
    EXPECT_FALSE(QFileInfo::exists(env.SecondRescuePath()));
}

TEST(Store, MissingStoreWithARescueCopyAsksAndRestoresOrStartsBlank)
{
    const QByteArray rescue = Element(Alarm("lost")) + Element(Alarm("found")) + Element(Service(TAG_BACKUP, kNow));
    const QString question = "Reminders' store file %1, not found.\nPress OK to restore the backup file or Ignore to "
                             "create a blank store file.";
    { // OK: the rescue copy comes back
        StoreEnv env;
        ASSERT_TRUE(WriteAll(env.RescuePath(), rescue));
        BoxRecorder boxes(TMsgResult::Ok);
        env.MakeStore();
        env.Open(boxes);
        EXPECT_EQ(boxes.Texts, QStringList{question.arg(env.StorePath())});
        EXPECT_EQ(boxes.Kinds(), QList{BoxRecorder::Kind(TMsgIcon::Warning, TMsgButtons::OkIgnore)});
        EXPECT_EQ(ReadAll(env.StorePath()), rescue);
        ASSERT_EQ(env.List.Count(), 3);
        EXPECT_EQ(env.List.GetTask(1).Title.Get(), "found");
        EXPECT_FALSE(QFileInfo::exists(env.SecondRescuePath()));
    }
    { // Ignore: a blank store, and the lost store's rescue copy kept as "000"
        StoreEnv env;
        ASSERT_TRUE(WriteAll(env.RescuePath(), rescue));
        BoxRecorder boxes(TMsgResult::Ignore);
        env.MakeStore();
        env.Open(boxes);
        EXPECT_EQ(boxes.Texts.size(), 1);
        EXPECT_EQ(ReadAll(env.StorePath()).size(), 1896);
        EXPECT_EQ(ReadAll(env.SecondRescuePath()), rescue);
        EXPECT_EQ(ReadAll(env.RescuePath()), rescue);
        EXPECT_TRUE(env.Logged("Info: Rescue backup succesfully created."));
        EXPECT_TRUE(env.Logged("Info: Storage file Recreated."));
        EXPECT_EQ(env.List.Count(), 1);
    }
    { // OK with a rescue copy that cannot be read: "Error 05" and the halt
        StoreEnv env;
        ASSERT_TRUE(QDir().mkdir(env.RescuePath()));
        BoxRecorder boxes(TMsgResult::Ok);
        TPalvaroStorage &store = env.MakeStore();
        env.Open(boxes);
        ASSERT_EQ(boxes.Texts.size(), 2);
        EXPECT_EQ(boxes.Texts[1], "Error 05: Unable to restore Backup file. Brivane will terminate.");
        EXPECT_EQ(env.Halts, QStringList{"not RestoreBackup"});
        EXPECT_FALSE(QFileInfo::exists(env.StorePath()));
        EXPECT_FALSE(store.SaveStore());
        EXPECT_FALSE(QFileInfo::exists(env.StorePath()));
    }
}

TEST(Store, LoadsIntoTheListItWasGiven)
{
    StoreEnv env;
    TPalvaroStorage &store = env.MakeStore();
    env.Open();
    EXPECT_EQ(&store.List(), &env.List);
    ASSERT_EQ(env.List.Count(), 1); // a new store holds the backup reminder
    EXPECT_EQ(env.List.GetTask(0).Tag, TAG_BACKUP);
}

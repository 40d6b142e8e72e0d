// Task files (one reminder per file) and the copy buffer.
#include "model/TaskList.h"
#include "storage/vornStorage.h"
#include "tests/storage/StoreTestSupport.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace StoreTest;

namespace {

TTaskData Served(const QString &title)
{
    TTaskData t = StoreTest::Alarm(title, 4);
    t.InService = true; // exported while one of its windows was open
    t.Delivered = true;
    t.Tag = 77;
    return t;
}

} // namespace

TEST(TaskFile, ExportThenImportGivesTheSameRecordAtTheEndOfTheList)
{
    StoreEnv env;
    TPalvaroStorage &store = env.MakeStore();
    env.List.AddTask(StoreTest::Alarm("first"));
    env.List.AddTask(Served("Dentist"));
    const QString path = env.StoreFolder() + "Dentist.tsk";
    ASSERT_TRUE(store.ExportTask(path, 1));
    const QByteArray file = TestSupport::ReadAll(path);
    ASSERT_EQ(file.size(), TaskElementSize);
    EXPECT_EQ(file.left(8), QByteArray::fromHex("1A0A000000000000"));

    ASSERT_TRUE(store.ImportTask(path));
    ASSERT_EQ(env.List.Count(), 3);
    // Runtime flags, tag and run count come back as they were written.
    EXPECT_EQ(RecordBytes(env.List.GetTask(2)), RecordBytes(env.List.GetTask(1)));
}

TEST(TaskFile, ImportTakesTheFirstElementOfAnyFileLongEnoughAndRefusesShortOnes)
{
    const QByteArray element = TaskElementBytes(Served("Imported"));
    QByteArray foreignHeader = element;
    foreignHeader[0] = 'X';
    foreignHeader[1] = 3;
    const struct {
        const char *name;
        QByteArray bytes;
        bool added;
    } cases[] = {
        {"one element", element, true},
        {"two elements: the first only", element + TaskElementBytes(StoreTest::Alarm("second")), true},
        {"another header is not judged", foreignHeader, true},
        {"one byte short", element.left(TaskElementSize - 1), false},
        {"empty", QByteArray(), false},
    };
    for (const auto &c : cases) {
        StoreEnv env;
        TPalvaroStorage &store = env.MakeStore();
        const QString path = env.StoreFolder() + "in.tsk";
        ASSERT_TRUE(TestSupport::WriteAll(path, c.bytes));
        QString why;
        EXPECT_EQ(store.ImportTask(path, &why), c.added) << c.name;
        ASSERT_EQ(env.List.Count(), c.added ? 1 : 0) << c.name;
        if (c.added) {
            EXPECT_EQ(env.List.GetTask(0).Title.Get(), "Imported") << c.name;
        } else {
            EXPECT_EQ(why, "Error 06: Invalid or Corrupted reminder file.") << c.name;
        }
    }
}

TEST(TaskFile, MissingOrUnwritableFilesChangeNothingAndSayWhy)
{
    StoreEnv env;
    TPalvaroStorage &store = env.MakeStore();
    env.List.AddTask(StoreTest::Alarm("kept"));
    QString why;
    EXPECT_FALSE(store.ImportTask(env.StoreFolder() + "missing.tsk", &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(env.List.Count(), 1);
    EXPECT_NE(why, TPalvaroStorage::DamagedTaskFileText()); // the command that asked reports it

    why.clear();
    EXPECT_FALSE(store.ExportTask(env.StoreFolder() + "no/such/folder/x.tsk", 0, &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(store.ExportTask(env.StoreFolder() + "x.tsk", 5, &why)); // no such reminder
    EXPECT_FALSE(QFile::exists(env.StoreFolder() + "x.tsk"));

    // Replacing a file in a folder that refuses writes keeps the old file whole.
    const QString kept = env.StoreFolder() + "kept.tsk";
    ASSERT_TRUE(TestSupport::WriteAll(kept, "old"));
    ReadOnlyFolder readOnly(env.StoreFolder());
    PermissionsEnforced enforced;
    if (!PermissionsEnforced::FolderRefusesWrites(env.StoreFolder()))
        GTEST_SKIP() << "file permissions are not enforced here";
    EXPECT_FALSE(store.ExportTask(kept, 0, &why));
    EXPECT_EQ(TestSupport::ReadAll(kept), "old");
}

TEST(CopyBuffer, CopyKeepsOneRecordAndEveryPasteIsANewNeverRunReminder)
{
    TTaskList list, buffer;
    EXPECT_FALSE(TTaskList::PasteFromBuffer(buffer, list)); // nothing copied yet
    TTaskData busy = Served("busy");
    list.AddTask(busy);
    TTaskData done = StoreTest::Alarm("done", 9);
    done.Delivered = true;
    done.Tag = 5;
    list.AddTask(done);

    EXPECT_FALSE(TTaskList::CopyToBuffer(list, 0, buffer)); // in service
    EXPECT_FALSE(TTaskList::CopyToBuffer(list, 7, buffer));
    EXPECT_EQ(buffer.Count(), 0);
    ASSERT_TRUE(TTaskList::CopyToBuffer(list, 1, buffer));
    ASSERT_TRUE(TTaskList::CopyToBuffer(list, 1, buffer)); // replaces, never a second record
    EXPECT_EQ(buffer.Count(), 1);
    list.GetTask(1).Title.Set("changed later"); // the buffer keeps what was copied

    const double modified = list.ModifiedAt();
    ASSERT_TRUE(TTaskList::PasteFromBuffer(buffer, list));
    ASSERT_TRUE(TTaskList::PasteFromBuffer(buffer, list));
    ASSERT_EQ(list.Count(), 4);
    for (int i : {2, 3}) {
        const TTaskData &p = list.GetTask(i);
        EXPECT_EQ(p.Title.Get(), "done");
        EXPECT_EQ(p.HasRun, 0);
        EXPECT_FALSE(p.Delivered);
        EXPECT_EQ(p.Tag, 5);
    }
    EXPECT_EQ(list.ModifiedAt(), modified);
}

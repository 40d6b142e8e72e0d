// The store written soon after each change: timing of the writes, and how a
// write that fails reaches the user.
#include "storage/StoreAutoSave.h"
#include "tests/storage/StoreTestSupport.h"

#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace StoreTest;
using TestSupport::ReadAll;
using TestSupport::WriteAll;

namespace {

const QString kSaved = QStringLiteral("Info: Tasklist Saved at ");
constexpr int kShortDelay = 40; // ms: the tests wait on it, the program on two seconds
constexpr int kPatience = 10000; // ms before a write that never comes fails the test

// A store read as start-up reads it, under a pinned clock that each change moves on.
struct AutoSaveEnv : StoreEnv {
    AutoSaveEnv()
    {
        WriteAll(StorePath(), Element(Alarm("one")) + Element(Service(TAG_BACKUP, EncodeDate(2030, 1, 1))));
        MakeStore();
        Open();
    }
    // A change of the reminder "one": its run count.
    void Change(int32_t hasRun)
    {
        Clock::Advance(OneSecond);
        for (const auto &task : List.Items())
            if (task->Title.Get() == "one")
                task->HasRun = hasRun;
        List.MarkModified();
    }
    int Saves() const { return CountStartingWith(kSaved); }
    int Failures() const { return CountStartingWith("Error: Unable to save storage file " + StorePath() + ": "); }
    bool WaitFor(const std::function<bool()> &condition) { return QTest::qWaitFor(condition, kPatience); }
    int32_t HasRunOnDisk() const
    {
        const QByteArray file = ReadAll(StorePath());
        for (int i = 0; i < file.size() / 1896; ++i)
            if (RecordAt(file, i).Title.Get() == "one")
                return RecordAt(file, i).HasRun;
        return -1;
    }
    TestSupport::PinnedClock Pinned{EncodeDateTime(2030, 1, 1, 12, 0, 0, 0)};
};

} // namespace

TEST(StoreAutoSave, AChangeIsWrittenSoonAndABurstOrAStreamOfChangesInOneWriteEach)
{
    AutoSaveEnv env;
    ASSERT_TRUE(env.Store->StoreRead());
    TStoreAutoSave autoSave(*env.Store, kShortDelay);

    // One change: not written within the change itself, but soon after.
    env.Change(1);
    EXPECT_TRUE(autoSave.Pending());
    EXPECT_EQ(env.Saves(), 0);
    ASSERT_TRUE(env.WaitFor([&] { return env.Saves() == 1; }));
    EXPECT_EQ(env.HasRunOnDisk(), 1);
    EXPECT_FALSE(autoSave.Pending());

    // A burst: one write, holding the last change; nothing else is waiting.
    for (int32_t n = 2; n <= 11; ++n)
        env.Change(n);
    ASSERT_TRUE(env.WaitFor([&] { return env.Saves() == 2; }));
    EXPECT_EQ(env.HasRunOnDisk(), 11);
    EXPECT_FALSE(autoSave.Pending());

    // Changes that keep coming faster than the delay: the write is due from
    // the first of them, so it happens while they still come.
    int changes = 0;
    QTimer stream;
    QObject::connect(&stream, &QTimer::timeout, [&] {
        env.Change(100 + ++changes);
        if (changes == 100)
            stream.stop();
    });
    stream.start(kShortDelay / 8);
    ASSERT_TRUE(env.WaitFor([&] { return env.Saves() == 3; }));
    EXPECT_LT(changes, 100) << "the write waited for the changes to stop";
}

TEST(StoreAutoSave, AFailedWriteIsShownOnceUntilAWriteSucceedsAgain)
{
    AutoSaveEnv env;
    ASSERT_TRUE(env.Store->StoreRead());
    TStoreAutoSave autoSave(*env.Store, kShortDelay);
    QStringList shown;
    QObject::connect(&autoSave, &TStoreAutoSave::Failed, [&shown](const QString &text) { shown << text; });
    int change = 0;
    auto changeAndWaitForFailure = [&] {
        const int failures = env.Failures();
        env.Change(++change);
        return env.WaitFor([&] { return env.Failures() == failures + 1; });
    };

    {
        ReadOnlyFolder readOnly(env.StoreFolder());
        PermissionsEnforced enforced;
        if (!PermissionsEnforced::FolderRefusesWrites(env.StoreFolder()))
            GTEST_SKIP() << "cannot make a folder read-only here";
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(changeAndWaitForFailure());
        // The periodic save failing as well adds no box either.
        env.Store->SaveIfModified();
        EXPECT_EQ(env.Failures(), 4);
    }
    ASSERT_EQ(shown.size(), 1);
    const QString reason = env.Store->LastSaveError();
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_TRUE(shown[0].contains(env.StorePath())) << shown[0].toStdString();
    EXPECT_TRUE(shown[0].contains(reason)) << shown[0].toStdString();

    // Writable again: the next change goes through, without a box.
    const int saves = env.Saves();
    env.Change(++change);
    ASSERT_TRUE(env.WaitFor([&] { return env.Saves() == saves + 1; }));
    EXPECT_EQ(env.HasRunOnDisk(), change);
    EXPECT_TRUE(env.Store->LastSaveError().isEmpty());
    EXPECT_EQ(shown.size(), 1);

    // A failure after that success is news again.
    {
        ReadOnlyFolder readOnly(env.StoreFolder());
        PermissionsEnforced enforced;
        ASSERT_TRUE(changeAndWaitForFailure());
        ASSERT_TRUE(changeAndWaitForFailure());
    }
    EXPECT_EQ(shown.size(), 2);
}

TEST(StoreAutoSave, AWriteFallingDueWhileTheLastOneIsStillBusyWaitsForIt)
{
    AutoSaveEnv env;
    TStoreAutoSave autoSave(*env.Store, kShortDelay);
    // A box about the failed write that ran its own event loop: meanwhile the
    // list changes and the next write falls due.
    int failuresInsideTheBox = -1;
    QObject::connect(&autoSave, &TStoreAutoSave::Failed, [&](const QString &) {
        env.Change(2);
        (void)QTest::qWaitFor([&] { return env.Failures() > 1; }, kShortDelay * 5);
        failuresInsideTheBox = env.Failures();
    });
    ReadOnlyFolder readOnly(env.StoreFolder());
    PermissionsEnforced enforced;
    if (!PermissionsEnforced::FolderRefusesWrites(env.StoreFolder()))
        GTEST_SKIP() << "cannot make a folder read-only here";
    env.Change(1);
    ASSERT_TRUE(env.WaitFor([&] { return failuresInsideTheBox >= 0; }));
    EXPECT_EQ(failuresInsideTheBox, 1) << "a second write started inside the first";
    // The change made meanwhile is written (here: tried) once the first write is over.
    EXPECT_TRUE(env.WaitFor([&] { return env.Failures() == 2; }));
}

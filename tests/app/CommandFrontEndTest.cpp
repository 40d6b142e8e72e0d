#include "app/CommandFrontEnd.h"
#include "app/CommandServer.h"
#include "app/StoreCommands.h"
#include "model/TaskList.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <future>
#include <gtest/gtest.h>

using namespace Cli;

namespace {

const TDateTime kNow = EncodeDateTime(2026, 12, 10, 14, 30, 0, 0);

// Records what the front end asked for; the lock and the running copy are scripted.
struct FakeServices : IFrontEndServices {
    bool LockFree = true; // no copy runs
    InstanceClient::TResult Reply{InstanceClient::TOutcome::Answered, {0, "from the copy\n", {}}, {}};
    bool LockFreeAfterNoCopy = false; // the copy ends between lock and socket
    bool Held = false;
    std::vector<TInstanceRequest> Sent;
    std::vector<TCommand> OnStore;

    bool TakeLock() override
    {
        Held = LockFree;
        return LockFree;
    }
    void ReleaseLock() override { Held = false; }
    InstanceClient::TResult Send(const TInstanceRequest &request) override
    {
        Sent.push_back(request);
        if (Reply.Outcome == InstanceClient::TOutcome::NoCopy && LockFreeAfterNoCopy)
            LockFree = true;
        return Reply;
    }
    TAnswer RunOnStore(const TCommand &command) override
    {
        EXPECT_TRUE(Held) << "the store file is worked on without the lock";
        OnStore.push_back(command);
        return {0, "stored\n", {}};
    }
};

TFrontEndResult Go(FakeServices &s, const QStringList &args)
{
    return RunFrontEnd(args, kNow, "/home/user/work", s);
}

} // namespace

TEST(SecondStart, UsageHelpAndVersionNeedNoCopyAndNoLock)
{
    FakeServices s;
    const TFrontEndResult bad = Go(s, {"add", "Tee"});
    EXPECT_EQ(bad.Answer.ExitCode, ExitUsage);
    EXPECT_TRUE(bad.Answer.Err.startsWith("brivane: ") && bad.Answer.Err.contains("--at or --in"));
    EXPECT_EQ(bad.Answer.Err.count('\n'), 1);
    EXPECT_TRUE(Go(s, {"--help"}).Answer.Out.contains("brivane add TITLE"));
    EXPECT_TRUE(Go(s, {"--version"}).Answer.Out.startsWith("Brivane "));
    EXPECT_TRUE(Go(s, {}).StartProgram);
    EXPECT_FALSE(Go(s, {}).OpenAfterStart);
    EXPECT_FALSE(Go(s, {"--help"}).StartProgram);
    EXPECT_TRUE(s.Sent.empty());
    EXPECT_TRUE(s.OnStore.empty());
}

TEST(SecondStart, WithACopyRunningTheCommandGoesToItAndItsAnswerComesBack)
{
    FakeServices s;
    s.LockFree = false;
    const TFrontEndResult r = Go(s, {"import", "tee.tsk"});
    EXPECT_FALSE(r.StartProgram);
    EXPECT_EQ(r.Answer.Out, "from the copy\n");
    ASSERT_EQ(s.Sent.size(), 1u);
    EXPECT_EQ(s.Sent[0], (TInstanceRequest{{"import", "tee.tsk"}, "/home/user/work"}));
    EXPECT_TRUE(s.OnStore.empty());

    s.Reply = {InstanceClient::TOutcome::NoAnswer, {}, "timed out"};
    const TFrontEndResult silent = Go(s, {"list"});
    EXPECT_EQ(silent.Answer.ExitCode, ExitFailure);
    EXPECT_TRUE(silent.Answer.Err.contains("timed out"));

    // A copy that holds the lock but never listens (stuck at a start-up question).
    s.Reply = {InstanceClient::TOutcome::NoCopy, {}, "no socket"};
    EXPECT_EQ(Go(s, {"list"}).Answer.ExitCode, ExitFailure);
    EXPECT_TRUE(s.OnStore.empty());
}

TEST(SecondStart, WithoutACopyTheStoreIsUsedUnderTheLockAndAddSaysSo)
{
    FakeServices s;
    const TFrontEndResult add = Go(s, {"add", "Tee", "--in", "5m"});
    EXPECT_FALSE(add.StartProgram);
    EXPECT_EQ(add.Answer.Out, "stored\n");
    EXPECT_EQ(add.Answer.Err, NotRunningNote());
    EXPECT_FALSE(s.Held);
    const TFrontEndResult exp = Go(s, {"export", "Tee", "out/tee.tsk"});
    EXPECT_TRUE(exp.Answer.Err.isEmpty());
    ASSERT_EQ(s.OnStore.size(), 2u);
    EXPECT_EQ(s.OnStore[1].File, "/home/user/work/out/tee.tsk");
    EXPECT_TRUE(s.Sent.empty());

    // The copy ended after the lock was tried: the store is used after all.
    FakeServices ending;
    ending.LockFree = false;
    ending.LockFreeAfterNoCopy = true;
    ending.Reply = {InstanceClient::TOutcome::NoCopy, {}, "gone"};
    EXPECT_EQ(Go(ending, {"list", "--json"}).Answer.Out, "stored\n");
    EXPECT_EQ(ending.OnStore.size(), 1u);
}

TEST(SecondStart, OpenStartsTheProgramWhenNoCopyRuns)
{
    FakeServices s;
    const TFrontEndResult none = Go(s, {"open", "preferences"});
    EXPECT_TRUE(none.StartProgram);
    EXPECT_EQ(none.OpenAfterStart, TWindow::Preferences);
    EXPECT_FALSE(s.Held); // the normal start takes it
    s.LockFree = false;
    const TFrontEndResult running = Go(s, {"open", "add"});
    EXPECT_FALSE(running.StartProgram);
    ASSERT_EQ(s.Sent.size(), 1u);
    s.Reply = {InstanceClient::TOutcome::NoCopy, {}, "gone"};
    EXPECT_EQ(Go(s, {"open", "reminders"}).OpenAfterStart, TWindow::Reminders);
}

namespace {

struct RunningCopy : ::testing::Test {
    TestSupport::ScopedTimeZone tz{"CET-1CEST,M3.5.0,M10.5.0/3"};
    TestSupport::PinnedClock clock{kNow};
    TTaskList list;
    TCommandServer server{list, nullptr};
    TInstanceChannel channel;
    QTemporaryDir dir;

    void SetUp() override
    {
        ASSERT_TRUE(channel.Listen(QStringLiteral("BrivaneServerTest-%1").arg(QCoreApplication::applicationPid())));
        QObject::connect(&channel, &TInstanceChannel::CommandRequested, &server, &TCommandServer::OnCommandRequested);
    }
    // What a second start gets back, sent from its own thread as a second process would.
    TInstanceAnswer Send(const QStringList &args)
    {
        const QString name = channel.ServerName();
        const TInstanceRequest request{args, dir.path()};
        auto pending = std::async(std::launch::async, [name, request] { return InstanceClient::Send(name, request); });
        QElapsedTimer t;
        t.start();
        while (pending.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready && t.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const InstanceClient::TResult r = pending.get();
        EXPECT_EQ(r.Outcome, InstanceClient::TOutcome::Answered) << r.Reason.toStdString();
        return r.Answer;
    }
};

} // namespace

TEST_F(RunningCopy, AddedReminderIsInItsListAtOnceAndListShowsIt)
{
    QSignalSpy changed(&server, &TCommandServer::ListChanged);
    const TInstanceAnswer added = Send({"add", "Tee 茶", "--in", "10m"});
    EXPECT_EQ(added, (TInstanceAnswer{0, "2026-12-10T14:40:00+01:00\n", {}}));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0].Title.Get(), "Tee 茶");
    EXPECT_EQ(changed.size(), 1);

    const QJsonArray shown = QJsonDocument::fromJson(Send({"list", "--json"}).Out.toUtf8()).array();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].toObject()["title"].toString(), "Tee 茶");
    EXPECT_EQ(changed.size(), 1);

    const TInstanceAnswer bad = Send({"add", "x", "--in", "soon"});
    EXPECT_EQ(bad.ExitCode, ExitUsage);
    EXPECT_TRUE(bad.Err.contains("soon"));
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(RunningCopy, FilesAreTheCallersAndOpenAsksForTheWindow)
{
    Send({"add", "Tee", "--in", "10m"});
    // Relative to the second start's folder, not the running copy's.
    EXPECT_EQ(Send({"export", "Tee", "tee.tsk"}).ExitCode, ExitOk);
    EXPECT_TRUE(QFile::exists(dir.filePath("tee.tsk")));
    QSignalSpy changed(&server, &TCommandServer::ListChanged);
    EXPECT_EQ(Send({"import", "tee.tsk"}).ExitCode, ExitOk);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(changed.size(), 1);
    const TInstanceAnswer missing = Send({"import", "nothing.tsk"});
    EXPECT_EQ(missing.ExitCode, ExitFailure);
    EXPECT_TRUE(missing.Err.contains(dir.filePath("nothing.tsk")));

    QSignalSpy open(&server, &TCommandServer::OpenRequested);
    EXPECT_EQ(Send({"open", "add"}), TInstanceAnswer{});
    ASSERT_EQ(open.size(), 1);
    EXPECT_EQ(open.at(0).at(0).value<TWindow>(), TWindow::Add);
}

namespace {

struct NoCopyRunning : ::testing::Test {
    TestSupport::ScopedTimeZone tz{"CET-1CEST,M3.5.0,M10.5.0/3"};
    TestSupport::PinnedClock clock{kNow};
    QTemporaryDir dir;
    TStoreSetup setup;
    void SetUp() override
    {
        setup.Path = dir.filePath("Documents/Brivane/Brivane.dat");
        setup.ProgramName = "Brivane";
    }
    TAnswer Do(const QStringList &args)
    {
        TParseResult p = Parse(args, kNow);
        EXPECT_TRUE(p.Ok()) << p.Error.toStdString();
        ResolveFiles(p.Command, dir.path());
        return RunOnStoreFile(setup, p.Command, kNow, QString());
    }
};

} // namespace

TEST_F(NoCopyRunning, AddWritesTheStoreAndListReadsItBack)
{
    EXPECT_EQ(Do({"list"}).Out.count('\n'), 1); // the captions alone: no file, no reminders
    EXPECT_FALSE(QFile::exists(setup.Path));
    EXPECT_EQ(Do({"add", "Tee", "--in", "10m"}).Out, "2026-12-10T14:40:00+01:00\n");
    EXPECT_EQ(Do({"add", "Kaffee", "--in", "5m"}).ExitCode, ExitOk);
    // The backup reminder a new store starts with, and the two.
    EXPECT_EQ(QFileInfo(setup.Path).size(), 3 * TaskElementSize);
    const QJsonArray shown = QJsonDocument::fromJson(Do({"list", "--json"}).Out.toUtf8()).array();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].toObject()["title"].toString(), "Kaffee");
    EXPECT_EQ(Do({"export", "Tee", "tee.tsk"}).ExitCode, ExitOk);
    EXPECT_EQ(Do({"import", "tee.tsk"}).ExitCode, ExitOk);
    EXPECT_EQ(QFileInfo(setup.Path).size(), 4 * TaskElementSize);
}

TEST_F(NoCopyRunning, AStoreThatCannotBeReadOrWaitsForRestoreIsLeftAlone)
{
    // Missing, with a backup the next start would offer to restore.
    QDir().mkpath(dir.filePath("Documents/Brivane/Backup"));
    TestSupport::WriteAll(dir.filePath("Documents/Brivane/Backup/Brivane-001.dat"), QByteArray(TaskElementSize, 0));
    const TAnswer waiting = Do({"add", "Tee", "--in", "10m"});
    EXPECT_EQ(waiting.ExitCode, ExitFailure);
    EXPECT_TRUE(waiting.Err.contains("backup"));
    EXPECT_FALSE(QFile::exists(setup.Path));

    const struct {
        QByteArray Bytes;
        const char *Why;
    } damaged[] = {{QByteArray(TaskElementSize + 10, '\0').replace(0, 2, "\x1a\x0a"), "cannot be read"},
                   {QByteArray(TaskElementSize, '\0').replace(0, 2, "\x1a\x05"), "older format"}};
    for (const auto &d : damaged) {
        ASSERT_TRUE(TestSupport::WriteAll(setup.Path, d.Bytes));
        const TAnswer a = Do({"add", "Tee", "--in", "10m"});
        EXPECT_EQ(a.ExitCode, ExitFailure) << d.Why;
        EXPECT_TRUE(a.Err.contains(d.Why)) << a.Err.toStdString();
        EXPECT_EQ(TestSupport::ReadAll(setup.Path), d.Bytes) << d.Why;
    }
}

TEST(SecondStartLock, OneHolderAtATimeAndReleasedForTheProgramsStart)
{
    const QString name = QStringLiteral("BrivaneFrontEndTest-%1").arg(QCoreApplication::applicationPid());
    TDesktopFrontEnd first(name, {}, {}), second(name, {}, {});
    EXPECT_TRUE(first.TakeLock());
    EXPECT_FALSE(second.TakeLock());
    first.ReleaseLock();
    EXPECT_TRUE(second.TakeLock());
    second.ReleaseLock();
}

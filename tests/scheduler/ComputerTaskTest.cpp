#include "platform/Desktop.h"
#include "scheduler/RunProgramActionFrm.h"
#include "scheduler/ShutdownFrm.h"
#include "tests/support/ActionWindows.h"
#include "tests/support/CapturedLog.h"

#include <QPushButton>
#include <QTimer>

using TestRecords::At;

namespace {

struct ComputerTaskTest : ActionWindowFixture {
    TTaskData &AddProgram(bool repeating = false)
    {
        TTaskData t = repeating ? TestRecords::Repeating(srDays, 1, At(2009, 2, 17, 10, 0, 0))
                                : TestRecords::Alarm(QStringLiteral("Backup photos"), At(2009, 2, 17, 10, 0, 0));
        t.Title.Set(QStringLiteral("Backup photos"));
        t.Taskkind = tkAutomatedTask;
        t.RunProgram = true;
        t.ProgramPathname.Set(QStringLiteral("/opt/tools/sync.sh"));
        t.ProgramParameters.Set(QStringLiteral("--all \"My Photos\""));
        t.InService = true;
        return list.AddTask(t);
    }
    TTaskData &AddShutdown(int type)
    {
        TTaskData t = TestRecords::Alarm(QStringLiteral("Night"), At(2009, 2, 17, 10, 0, 0));
        t.Taskkind = tkAutomatedTask;
        t.ShutdownComputer = true;
        t.ShutdownType = uint8_t(type);
        t.InService = true;
        return list.AddTask(t);
    }
};

} // namespace

TEST_F(ComputerTaskTest, ProgramStartsOnTheLastTickOfItsCountdownAndTheRunIsCounted)
{
    prefs.SetRunprogramWaittime(20);
    for (bool atOnce : {false, true}) {
        SCOPED_TRACE(atOnce);
        list.Clear();
        shell.Opened.clear();
        TTaskData &task = AddProgram();
        QPointer<TCountdownActionForm> form = new TRunProgramActionForm(context);
        form->SetStartAtOnce(atOnce);
        form->StartAction(0);
        const int ticks = atOnce ? 1 : 20;
        EXPECT_EQ(Child<QLabel>(form, "lblSecsRemaining")->text(), QStringLiteral("in %1 second(s)").arg(ticks));
        EXPECT_EQ(task.ActionCount, 1);
        EXPECT_TRUE(Child<QTimer>(form, "CancelTimer")->isActive());

        const QStringList shown = Tick(form, ticks - 1);
        if (!atOnce) {
            EXPECT_EQ(shown.first(), "in 19 second(s)");
            EXPECT_EQ(shown.last(), "in 1 second(s)");
            EXPECT_EQ(Child<QLabel>(form, "lblRunprogram")->text(), "Run: sync.sh --all \"My Photos\"");
        }
        EXPECT_TRUE(shell.Opened.isEmpty());
        form->CancelTimerTimer();
        ASSERT_EQ(shell.Opened, QStringList{"/opt/tools/sync.sh"});
        EXPECT_EQ(shell.LastParameters, "--all \"My Photos\"");
        EXPECT_TRUE(Closed(form)); // no pause after a successful start
        EXPECT_EQ(task.HasRun, 1);
        EXPECT_EQ(task.LastRun, now);
        EXPECT_TRUE(task.Delivered);
        EXPECT_EQ(task.ActionCount, 0);
        EXPECT_FALSE(task.InService);
    }
}

TEST_F(ComputerTaskTest, AFailedStartShowsItsReasonThenCancelsWithoutCountingARun)
{
    prefs.SetRunprogramWaittime(1);
    const struct {
        int code;
        const char *text;
    } cases[] = {{2, "File not found!"},        {3, "Path not found!"},
                 {11, "Bad format!"},           {27, "File association incomplete!"},
                 {31, "No association found!"}, {5, "in 0 second(s)"}}; // no text of its own: the countdown stays
    context.PauseMs = 100;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        list.Clear();
        shell.Result = c.code;
        TTaskData &task = AddProgram();
        const TDateTime lastRun = task.LastRun;
        QPointer<TCountdownActionForm> form = new TRunProgramActionForm(context);
        form->StartAction(0);
        form->CancelTimerTimer();
        EXPECT_EQ(Child<QLabel>(form, "lblSecsRemaining")->text(), c.text);
        EXPECT_TRUE(form->Pausing());
        EXPECT_FALSE(Child<QPushButton>(form, "btnCancel")->isEnabled());
        ASSERT_TRUE(
            Settle([&] { return !form || Child<QLabel>(form, "lblSecsRemaining")->text() == "Action canceled"; }));
        ASSERT_TRUE(Settle([&] { return Closed(form); }));
        EXPECT_EQ(shell.Opened.size(), 1);
        EXPECT_EQ(task.HasRun, 0);
        EXPECT_EQ(task.LastRun, lastRun);
        EXPECT_TRUE(task.Delivered); // a cancelled one-time task is done
        EXPECT_FALSE(task.InService);
        shell.Opened.clear();
    }
}

TEST_F(ComputerTaskTest, CancelMovesTheTaskOnUnlessItsNoteDecides)
{
    for (bool noteOpen : {false, true}) {
        SCOPED_TRACE(noteOpen);
        list.Clear();
        TTaskData &task = AddProgram(true);
        task.PopupNoteFormVisible = noteOpen;
        QPointer<TCountdownActionForm> form = new TRunProgramActionForm(context);
        form->StartAction(0);
        Child<QPushButton>(form, "btnCancel")->click();
        EXPECT_EQ(Child<QLabel>(form, "lblSecsRemaining")->text(), "Action canceled");
        Child<QPushButton>(form, "btnCancel")->click(); // a second press during the pause does nothing more
        ASSERT_TRUE(Settle([&] { return Closed(form); }));
        EXPECT_TRUE(shell.Opened.isEmpty());
        EXPECT_EQ(task.HasRun, 0);
        EXPECT_EQ(task.Scheduled, noteOpen ? At(2009, 2, 17, 10, 0, 0) : At(2009, 2, 18, 10, 0, 0));
        EXPECT_FALSE(task.Delivered);
    }
}

TEST_F(ComputerTaskTest, ShutdownCountsDownAndAsksTheLoginManagerForItsKind)
{
    prefs.SetShutdownWaittime(50);
    const QString user = Desktop::UserName();
    const struct {
        int type;
        QString first;
        IPower::TAction action;
    } cases[] = {{0, "Shutdown in 50 second(s)", IPower::TAction::PowerOff},
                 {1, "Restart in 50 second(s)", IPower::TAction::Reboot},
                 {2, "Log off " + user + " in 50 second(s)", IPower::TAction::LogOff}};
    for (const auto &c : cases) {
        for (bool atOnce : {false, true}) {
            SCOPED_TRACE(c.type * 10 + atOnce);
            list.Clear();
            power.Requests.clear();
            TTaskData &task = AddShutdown(c.type);
            TestSupport::CapturedLog log;
            QPointer<TCountdownActionForm> form = new TShutdownForm(context);
            form->SetStartAtOnce(atOnce);
            form->StartAction(0);
            const int from = atOnce ? 3 : 50;
            QString first = c.first;
            first.replace("50", QString::number(from));
            EXPECT_EQ(Child<QLabel>(form, "lblSecsRemaining")->text(), first);
            Tick(form, from - 1);
            EXPECT_TRUE(power.Requests.isEmpty());
            form->CancelTimerTimer();
            EXPECT_EQ(power.Requests, QVector<IPower::TAction>{c.action});
            EXPECT_TRUE(Closed(form));
            EXPECT_EQ(task.HasRun, 1);
            EXPECT_EQ(task.LastRun, now);
            EXPECT_TRUE(task.Delivered);
            EXPECT_FALSE(task.InService);
            EXPECT_TRUE(log.Contains("Info: About to execute: EWX_FORCE or EWX_SHUTDOWN or EWX_POWEROFF"));
            EXPECT_TRUE(boxes.Texts.isEmpty());
        }
    }

    // An unknown kind shows no text and asks for nothing.
    list.Clear();
    power.Requests.clear();
    AddShutdown(7);
    QPointer<TCountdownActionForm> form = new TShutdownForm(context);
    form->SetStartAtOnce(true);
    form->StartAction(0);
    EXPECT_EQ(Child<QLabel>(form, "lblSecsRemaining")->text(), "");
    Tick(form, 3);
    EXPECT_TRUE(power.Requests.isEmpty());
    EXPECT_TRUE(Closed(form));
}

TEST_F(ComputerTaskTest, ShutdownThatCannotBeAskedForSaysWhatFailedAndWhyAndCancelAsksNothing)
{
    const struct {
        int type;
        bool reachable;
        bool refused;
        const char *title, *text;
    } cases[] = {
        {0, false, false, "Could not power off", "The login manager could not be asked:\nno login manager"},
        {1, true, true, "Could not restart", "The login manager refused:\nInteractive authentication required."},
        {2, true, true, "Could not log off", "The login manager refused:\nInteractive authentication required."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.title);
        list.Clear();
        boxes.Texts.clear();
        boxes.Titles.clear();
        power.Requests.clear();
        power.Reachable = c.reachable;
        // A refused request: reachable, but the call fails.
        struct Refusing : FakePower {
            bool Request(TAction a, QString *e) override
            {
                FakePower::Request(a, e);
                if (e)
                    *e = QStringLiteral("Interactive authentication required.");
                return false;
            }
        } refusing;
        context.Power = c.refused ? static_cast<IPower *>(&refusing) : &power;
        TTaskData &task = AddShutdown(c.type);
        QPointer<TCountdownActionForm> form = new TShutdownForm(context);
        form->SetStartAtOnce(true);
        form->StartAction(0);
        Tick(form, 3);
        EXPECT_EQ(boxes.Texts, QStringList{c.text});
        EXPECT_EQ(boxes.Titles, QStringList{c.title});
        EXPECT_EQ(task.HasRun, 1); // the record was already updated
        EXPECT_TRUE(Closed(form));
        context.Power = &power;
    }
    power.Reachable = true;

    list.Clear();
    power.Requests.clear();
    AddShutdown(0);
    QPointer<TCountdownActionForm> form = new TShutdownForm(context);
    form->StartAction(0);
    Tick(form, 10);
    Child<QPushButton>(form, "btnCancel")->click();
    ASSERT_TRUE(Settle([&] { return Closed(form); }));
    EXPECT_TRUE(power.Requests.isEmpty());
}

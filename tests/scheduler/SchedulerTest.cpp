#include "app/hiddenfrm.h"
#include "model/ScheduleMath.h"
#include "model/TaskList.h"
#include "scheduler/ActionFactory.h"
#include "scheduler/ActionFrm.h"
#include "scheduler/ActionWindows.h"
#include "scheduler/TaskScheduler.h"
#include "storage/GlobalPreferences.h"
#include "storage/vornStorage.h"
#include "tests/fakes/FakeClockChangeSource.h"
#include "tests/fakes/FakeDesktopServices.h"
#include "tests/fakes/FakeSoundPlayer.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/Records.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <tuple>
#include <vector>

using TestRecords::At;
using TestSupport::PinnedClock;

namespace {

TTaskData Reminder(const QString &title, TDateTime when)
{
    return TestRecords::Alarm(title, when);
}

TTaskData Daily(const QString &title, TDateTime when)
{
    TTaskData t = TestRecords::Repeating(srDays, 1, when);
    t.Title.Set(title);
    return t;
}

struct TStarted {
    TActionKind Kind;
    QString Title;
    bool AtOnce;
};

// Stands in for the windows that would show: counts itself in the record like
// a real action window and closes only when the test finishes it.
class TRecordingForm : public TActionForm {
public:
    TRecordingForm(TActionContext &context, TActionKind kind, std::vector<TStarted> *log)
        : TActionForm(context)
        , FKind(kind)
        , FLog(log)
    {
    }
    void StartAction(int i) override
    {
        SetTaskData(i);
        IncActionCount();
        FLog->push_back({FKind, TaskData()->Title.Get(), StartAtOnce});
    }
    void Finish()
    {
        MayClose = true;
        close();
    }
    TActionKind Kind() const { return FKind; }

protected:
    void FormClose() override
    {
        BaseCloseSteps();
        DecActionCount();
        TaskData()->InService = HasOpenActions();
    }

private:
    TActionKind FKind;
    std::vector<TStarted> *FLog;
};

// Notes what the served record looks like while its sound starts.
class TProbingSoundPlayer : public FakeSoundPlayer {
public:
    void Play(const QString &path) override
    {
        Probe();
        FakeSoundPlayer::Play(path);
    }
    void PlayDefault() override
    {
        Probe();
        FakeSoundPlayer::PlayDefault();
    }
    const TTaskData *Watched = nullptr;
    std::vector<int> CountsAtPlay;
    std::vector<bool> InServiceAtPlay;

private:
    void Probe()
    {
        if (Watched) {
            CountsAtPlay.push_back(Watched->ActionCount);
            InServiceAtPlay.push_back(Watched->InService);
        }
    }
};

// Records every window the scheduler asks for: the sound window is the real
// one, the others are recording stand-ins.
class TRecordingWindows final : public IActionWindows {
public:
    TRecordingWindows(TActionContext &context, std::vector<TStarted> *started)
        : FContext(context)
        , FReal(context)
        , FStarted(started)
    {
    }
    bool Open(TActionKind kind, int i, bool startAtOnce) override
    {
        Made.push_back(kind);
        TActionForm *form = nullptr;
        if (kind == TActionKind::Sound) {
            form = FReal.Create(kind);
        } else {
            auto *recording = new TRecordingForm(FContext, kind, FStarted);
            Forms.push_back(recording);
            form = recording;
        }
        StartActionWindow(*form, i, startAtOnce);
        return true;
    }
    std::vector<TActionKind> Made;
    std::vector<QPointer<TRecordingForm>> Forms;

private:
    TActionContext &FContext;
    TActionWindowFactory FReal;
    std::vector<TStarted> *FStarted;
};

// A list, preferences, silent sound and the recording windows.
struct SchedulerFixture : ::testing::Test {
    SchedulerFixture()
    {
        context.List = &list;
        context.Preferences = &prefs;
        context.Sound = &player;
        context.ActionWindows = &windows;
    }
    void TearDown() override
    {
        for (const QPointer<TRecordingForm> &f : forms)
            delete f.data();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Clock::Unpin();
    }
    TRecordingForm *Open(TActionKind kind, const QString &title)
    {
        for (const QPointer<TRecordingForm> &f : forms)
            if (f && f->Kind() == kind && f->TaskData()->Title.Get() == title)
                return f.data();
        return nullptr;
    }
    std::vector<TActionKind> Made(const QString &title) const
    {
        std::vector<TActionKind> kinds;
        for (const TStarted &s : started)
            if (s.Title == title)
                kinds.push_back(s.Kind);
        return kinds;
    }

    TTaskList list;
    TPreferences prefs;
    TActionContext context;
    TProbingSoundPlayer player;
    std::vector<TStarted> started;
    TRecordingWindows windows{context, &started};
    std::vector<TActionKind> &made = windows.Made;
    std::vector<QPointer<TRecordingForm>> &forms = windows.Forms;
    TTaskScheduler scheduler{context};
};

using K = TActionKind;

} // namespace

TEST_F(SchedulerFixture, FiresOnlyStrictlyAfterItsTime)
{
    PinnedClock clock(At(2009, 2, 17, 10, 0, 0));
    TTaskData &tea = list.AddTask(Reminder("Tea", At(2009, 2, 17, 10, 0, 0)));
    tea.PopupNote = true;

    scheduler.TimerTick();
    EXPECT_TRUE(started.empty());
    EXPECT_FALSE(tea.InService);

    Clock::Advance(1.0 / 86400000.0); // one millisecond later
    scheduler.TimerTick();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].Kind, K::PopupNote);
    EXPECT_FALSE(started[0].AtOnce);
    EXPECT_TRUE(tea.InService);
    EXPECT_FALSE(tea.NewScheduleCalculated);
    EXPECT_EQ(tea.ActionCount, 1);

    // In service it is left alone, however often the passes come.
    Clock::Advance(1.0 / 24);
    scheduler.TimerTick();
    scheduler.TimerTick();
    EXPECT_EQ(started.size(), 1u);
}

TEST_F(SchedulerFixture, DisabledOverdueReminderWaitsUntilEnabled)
{
    PinnedClock clock(At(2009, 2, 17, 12, 0, 0));
    TTaskData &off = list.AddTask(Reminder("Off", At(2009, 2, 17, 10, 0, 0)));
    off.PopupNote = true;
    off.Enabled = false;

    for (int pass = 0; pass < 3; ++pass)
        scheduler.TimerTick();
    EXPECT_TRUE(started.empty());
    EXPECT_FALSE(off.InService);
    EXPECT_FALSE(off.Delivered);

    off.Enabled = true;
    scheduler.TimerTick();
    EXPECT_EQ(Made("Off"), std::vector<K>{K::PopupNote});
}

TEST_F(SchedulerFixture, OpensSoundThenPopupThenEmailAndStaysInServiceUntilTheLastCloses)
{
    PinnedClock clock(At(2009, 2, 17, 10, 0, 30));
    TTaskData t = Reminder("All", At(2009, 2, 17, 10, 0, 0));
    t.SendEmail = true; // flags set in another order than the windows open
    t.PopupNote = true;
    t.PlaySound = true;
    TTaskData &all = list.AddTask(t);
    TTaskData &later = list.AddTask(Reminder("Later", At(2009, 2, 17, 11, 0, 0)));
    later.PlaySound = true;

    scheduler.TimerTick();
    EXPECT_EQ(made, (std::vector<K>{K::Sound, K::PopupNote, K::Email}));
    EXPECT_EQ(player.Played.size(), 1); // the later one did not ring
    // The sound window closed at once without touching the schedule.
    EXPECT_EQ(all.ActionCount, 2);
    EXPECT_FALSE(all.Delivered);
    EXPECT_TRUE(all.InService);

    Open(K::PopupNote, "All")->Finish();
    EXPECT_TRUE(all.InService);
    Open(K::Email, "All")->Finish();
    EXPECT_FALSE(all.InService);
    EXPECT_EQ(all.ActionCount, 0);
}

TEST_F(SchedulerFixture, ProgramAndShutdownWaitForTheEventNotItsPreWarning)
{
    PinnedClock clock(At(2009, 2, 17, 9, 50, 30));
    TTaskData t = Reminder("Backup job", At(2009, 2, 17, 10, 0, 0));
    t.PreWarning = true;
    t.PreWarningRule = srMinutes;
    t.PreWarningNFactor = 10;
    t.Scheduled = TRecurrence::ScheduledTime(t);
    t.PopupNote = true;
    t.RunProgram = true;
    t.ShutdownComputer = true;
    TTaskData &job = list.AddTask(t);

    scheduler.TimerTick();
    EXPECT_EQ(Made("Backup job"), std::vector<K>{K::PopupNote});

    // Snoozed until the event itself: now the program and the shutdown come.
    Open(K::PopupNote, "Backup job")->Finish();
    job.Scheduled = job.EventDateTime;
    Clock::Pin(At(2009, 2, 17, 10, 0, 10));
    scheduler.TimerTick();
    EXPECT_EQ(Made("Backup job"), (std::vector<K>{K::PopupNote, K::PopupNote, K::RunProgram, K::Shutdown}));
}

TEST_F(SchedulerFixture, SoundOnlyReminderIsRescheduledWithinThePass)
{
    const TDateTime now = At(2009, 2, 17, 10, 0, 30);
    PinnedClock clock(now);
    TTaskData t = Daily("Pills", At(2009, 2, 17, 10, 0, 0));
    t.PlaySound = true;
    TTaskData &pills = list.AddTask(t);
    player.Watched = &pills;
    ASSERT_EQ(pills.ActionCount, 0);

    scheduler.TimerTick();
    EXPECT_EQ(player.CountsAtPlay, std::vector<int>{1});
    EXPECT_EQ(player.InServiceAtPlay, std::vector<bool>{true});
    EXPECT_EQ(pills.ActionCount, 0);
    EXPECT_FALSE(pills.InService);
    EXPECT_TRUE(pills.NewScheduleCalculated);
    EXPECT_EQ(pills.LastRun, now);
    EXPECT_EQ(pills.EventDateTime, At(2009, 2, 18, 10, 0, 0));
    EXPECT_EQ(pills.Scheduled, At(2009, 2, 18, 10, 0, 0));
    EXPECT_TRUE(started.empty());
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << w->windowTitle().toStdString();

    // Tomorrow it rings again.
    Clock::Pin(At(2009, 2, 18, 10, 0, 20));
    scheduler.TimerTick();
    EXPECT_EQ(player.CountsAtPlay, (std::vector<int>{1, 1}));
    EXPECT_EQ(pills.Scheduled, At(2009, 2, 19, 10, 0, 0));
}

TEST_F(SchedulerFixture, RecordsThatBreakTheScheduleRulesEndThePassAndStopFiring)
{
    PinnedClock clock(At(2009, 2, 17, 10, 0, 30));
    TTaskData t = Daily("Never", At(2009, 2, 16, 10, 0, 0));
    t.PlaySound = true;
    for (int d = 1; d <= 7; ++d)
        t.SetWeekdayExcluded(d, true);
    t.ExcludeWeekdays = true;
    TTaskData &never = list.AddTask(t);
    TTaskData u = Daily("Zero", At(2009, 2, 16, 10, 0, 0));
    u.PlaySound = true;
    u.RepeatNFactor = 0;
    TTaskData &zero = list.AddTask(u);

    scheduler.TimerTick();
    scheduler.TimerTick();
    EXPECT_EQ(player.Played.size(), 2); // once each, not again at the second pass
    EXPECT_TRUE(never.Delivered);
    EXPECT_TRUE(zero.Delivered);
    EXPECT_FALSE(never.InService);
    EXPECT_FALSE(zero.InService);
}

TEST_F(SchedulerFixture, RunNowFiresOnceWithShortCountdownsAndIgnoresWhatIsServedOrSuspended)
{
    PinnedClock clock(At(2009, 2, 17, 9, 0, 0));
    TTaskData t = Reminder("Job", At(2009, 2, 17, 10, 0, 0));
    t.PreWarning = true;
    t.PreWarningRule = srHours;
    t.PreWarningNFactor = 2;
    t.Scheduled = TRecurrence::ScheduledTime(t);
    t.PopupNote = true;
    t.SendEmail = true;
    t.RunProgram = true;
    t.ShutdownComputer = true;
    TTaskData &job = list.AddTask(t);
    TTaskData &off = list.AddTask(Reminder("Off", At(2009, 2, 18, 10, 0, 0)));
    off.PopupNote = true;
    off.Enabled = false;

    scheduler.RunTaskNow(0);
    ASSERT_EQ(started.size(), 4u);
    const std::vector<K> expected{K::PopupNote, K::Email, K::RunProgram, K::Shutdown};
    for (size_t n = 0; n < started.size(); ++n) {
        EXPECT_EQ(started[n].Kind, expected[n]);
        EXPECT_EQ(started[n].AtOnce, started[n].Kind != K::PopupNote);
    }
    EXPECT_TRUE(job.InService);

    const TTaskData before = job;
    scheduler.RunTaskNow(0); // already in service
    scheduler.RunTaskNow(1); // suspended
    scheduler.RunTaskNow(-1);
    scheduler.RunTaskNow(2);
    EXPECT_EQ(started.size(), 4u);
    EXPECT_EQ(job.ActionCount, before.ActionCount);
    EXPECT_EQ(job.Scheduled, before.Scheduled);
    EXPECT_FALSE(off.InService);
}

namespace {

// An overdue reminder of each sort the start-up treatment tells apart.
struct Missed {
    TTaskData *daily, *once, *moon, *off, *hidden, *future;
};

Missed AddMissed(TTaskList &list)
{
    const TDateTime yesterday = At(2009, 2, 16, 20, 0, 0);
    Missed m{};
    TTaskData d = Daily("Daily", yesterday);
    d.PopupNote = true;
    m.daily = &list.AddTask(d);
    TTaskData o = Reminder("Once", yesterday);
    o.PopupNote = true;
    o.SendEmail = true;
    m.once = &list.AddTask(o);
    TTaskData f = Reminder("Moon", yesterday);
    f.Taskkind = tkService;
    f.Tag = TAG_FULLMOON;
    f.SpecialForm = true;
    f.PlaySound = true;
    m.moon = &list.AddTask(f);
    TTaskData x = Reminder("Off", yesterday);
    x.PopupNote = true;
    x.Enabled = false;
    m.off = &list.AddTask(x);
    TTaskData h = Reminder("Hidden", yesterday);
    h.PopupNote = true;
    h.Visible = false;
    m.hidden = &list.AddTask(h);
    TTaskData l = Reminder("Future", At(2009, 2, 17, 12, 0, 0));
    l.PopupNote = true;
    m.future = &list.AddTask(l);
    return m;
}

} // namespace

TEST_F(SchedulerFixture, StartShowsEveryMissedReminderWhenAskedToShowAll)
{
    prefs.SetMissedTasksTreatment(mtShowAll);
    for (bool onlyRunOnce : {true, false}) {
        SCOPED_TRACE(onlyRunOnce);
        list.Clear();
        started.clear();
        made.clear();
        player.Played.clear();
        prefs.SetShowOnlyRunOnceMissedTasks(onlyRunOnce);
        PinnedClock clock(At(2009, 2, 17, 8, 0, 0));
        const Missed m = AddMissed(list);
        TTaskScheduler s(context);
        s.Start();
        EXPECT_TRUE(s.Running());
        EXPECT_EQ(Made("Daily"), std::vector<K>{K::PopupNote});
        EXPECT_EQ(Made("Once"), (std::vector<K>{K::PopupNote, K::Email}));
        EXPECT_EQ(Made("Hidden"), std::vector<K>{K::PopupNote});
        EXPECT_EQ(Made("Moon"), std::vector<K>{K::FullMoon});
        EXPECT_EQ(player.Played.size(), 1);
        EXPECT_TRUE(Made("Off").empty());
        EXPECT_TRUE(Made("Future").empty());
        for (const TStarted &w : started)
            EXPECT_FALSE(w.AtOnce);
        EXPECT_EQ(m.daily->EventDateTime, At(2009, 2, 16, 20, 0, 0)); // the note decides later
        s.Stop();
        EXPECT_FALSE(s.Running());
    }
}

TEST_F(SchedulerFixture, StartReschedulesMissedRemindersSilentlyExceptOneTimeOnesWhenAsked)
{
    prefs.SetMissedTasksTreatment(mtDontShowbutReschedule);
    prefs.SetShowOnlyRunOnceMissedTasks(true);
    PinnedClock clock(At(2009, 2, 17, 8, 0, 0));
    const Missed m = AddMissed(list);
    scheduler.Start();

    EXPECT_TRUE(Made("Daily").empty());
    EXPECT_EQ(m.daily->EventDateTime, At(2009, 2, 17, 20, 0, 0));
    EXPECT_EQ(m.daily->Scheduled, At(2009, 2, 17, 20, 0, 0));
    EXPECT_FALSE(m.daily->InService);
    // The one-time reminder is still shown, its e-mail without the long wait.
    ASSERT_EQ(Made("Once"), (std::vector<K>{K::PopupNote, K::Email}));
    for (const TStarted &w : started) {
        if (w.Title == "Once") {
            EXPECT_EQ(w.AtOnce, w.Kind == K::Email);
        }
    }
    EXPECT_FALSE(m.once->Delivered);
    EXPECT_TRUE(m.once->InService);
    // A service reminder is run, but only with the windows of its action flags.
    EXPECT_TRUE(Made("Moon").empty());
    EXPECT_EQ(player.Played.size(), 1);
    EXPECT_TRUE(m.moon->InService);
    // Suspended and hidden reminders are not touched.
    for (const TTaskData *t : {m.off, m.hidden}) {
        EXPECT_FALSE(t->InService);
        EXPECT_FALSE(t->Delivered);
        EXPECT_FALSE(t->NewScheduleCalculated);
    }
    EXPECT_TRUE(Made("Hidden").empty());
    EXPECT_TRUE(Made("Future").empty());
    EXPECT_FALSE(m.future->NewScheduleCalculated);
}

TEST_F(SchedulerFixture, StartDeliversMissedOneTimeRemindersUnseenWhenNotAskedToShowThem)
{
    prefs.SetMissedTasksTreatment(mtDontShowbutReschedule);
    prefs.SetShowOnlyRunOnceMissedTasks(false);
    PinnedClock clock(At(2009, 2, 17, 8, 0, 0));
    const Missed m = AddMissed(list);
    scheduler.Start();

    EXPECT_TRUE(Made("Once").empty());
    EXPECT_TRUE(m.once->Delivered);
    EXPECT_TRUE(m.once->NewScheduleCalculated);
    EXPECT_FALSE(m.once->InService);
    EXPECT_EQ(m.daily->Scheduled, At(2009, 2, 17, 20, 0, 0));
    EXPECT_EQ(player.Played.size(), 1); // the service reminder still runs
    EXPECT_TRUE(m.moon->InService);
    EXPECT_EQ(started.size(), 0u);
    EXPECT_TRUE(Made("Hidden").empty());

    // A silent reschedule alone is a change that the periodic save must keep.
    TTaskList alone;
    TTaskData &daily = alone.AddTask(Daily("Alone", At(2009, 2, 16, 20, 0, 0)));
    TActionContext aloneContext;
    aloneContext.List = &alone;
    aloneContext.Preferences = &prefs;
    TTaskScheduler quiet(aloneContext);
    quiet.Start();
    EXPECT_EQ(daily.Scheduled, At(2009, 2, 17, 20, 0, 0));
    EXPECT_EQ(alone.ModifiedAt(), Clock::Now());
}

namespace {

// A real store in a throw-away folder, read into the context's list and
// given to the context for its saves.
struct TempStore {
    explicit TempStore(TActionContext &context)
        : FContext(context)
    {
        QDir(dir.path()).mkpath(QStringLiteral("Backup"));
        TStoreSetup setup;
        setup.Path = dir.path() + QStringLiteral("/Brivane.dat");
        store = std::make_unique<TPalvaroStorage>(setup, *context.List);
        store->OpenStore();
        context.Store = store.get();
    }
    ~TempStore() { FContext.Store = nullptr; }
    TActionContext &FContext;
    QString Path() const { return dir.path() + QStringLiteral("/Brivane.dat"); }
    // Identity of the file on disk: a rewrite replaces it by a new one.
    std::tuple<ino_t, time_t, long> FileId() const
    {
        struct stat st { };
        ::stat(QFile::encodeName(Path()).constData(), &st);
        return {st.st_ino, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
    }
    QTemporaryDir dir;
    std::unique_ptr<TPalvaroStorage> store;
};

} // namespace

TEST_F(SchedulerFixture, PeriodicSaveWritesOnlyAChangedListAndOnlyAtTheTenthPass)
{
    TestSupport::CapturedLog log;
    const TDateTime real = Clock::Now();
    PinnedClock clock(real - 1.0 / 1440); // the list was read a minute before the file was last written
    TempStore temp(context);
    ASSERT_TRUE(temp.store->StoreRead());
    ASSERT_EQ(&list, &temp.store->List());
    ASSERT_TRUE(temp.store->SaveStore());
    const auto written = temp.FileId();

    for (int pass = 1; pass <= 10; ++pass)
        scheduler.TimerTick();
    EXPECT_EQ(temp.FileId(), written);
    EXPECT_EQ(scheduler.SaveCounter, 0);
    EXPECT_TRUE(log.AnyStartsWith("Info: Scheduler: *** saving tasklist fired *** "));

    for (int pass = 1; pass <= 3; ++pass)
        scheduler.TimerTick();
    Clock::Pin(real + 1.0 / 1440);
    TTaskData added = Reminder("Added", real + 1);
    added.PopupNote = true;
    temp.store->List().AddTask(added);
    temp.store->List().MarkModified();
    for (int pass = 4; pass <= 9; ++pass)
        scheduler.TimerTick();
    EXPECT_EQ(temp.FileId(), written);
    EXPECT_EQ(QFileInfo(temp.Path()).size(), TaskElementSize);

    scheduler.TimerTick();
    EXPECT_EQ(QFileInfo(temp.Path()).size(), 2 * TaskElementSize);
    const QByteArray bytes = TestSupport::ReadAll(temp.Path());
    TTaskData second;
    ASSERT_TRUE(TaskFromElementBytes(bytes.mid(TaskElementSize), second));
    EXPECT_EQ(second.Title.Get(), "Added");
    EXPECT_TRUE(started.empty());
}

TEST_F(SchedulerFixture, PassesOverAnEmptyListDoNotCount)
{
    for (int pass = 0; pass < 25; ++pass)
        scheduler.TimerTick();
    EXPECT_EQ(scheduler.SaveCounter, 0);
    list.AddTask(Reminder("Later", Clock::Now() + 1));
    scheduler.TimerTick();
    EXPECT_EQ(scheduler.SaveCounter, 1);
}

TEST_F(SchedulerFixture, BackupReminderMakesTheRescueCopyAndMovesOnAnHourWithoutAWindow)
{
    TestSupport::CapturedLog log;
    const TDateTime real = Clock::Now();
    PinnedClock clock(real);
    TempStore temp(context);
    int index = -1;
    ASSERT_TRUE(temp.store->List().FindServiceTask(TAG_BACKUP, index));
    TTaskData &backup = temp.store->List().GetTask(index);
    const TDateTime firing = backup.Scheduled;
    ASSERT_TRUE(SameDateTime(firing, real + 1.0 / 24));
    const QString rescue = temp.store->RescueCopyPath();
    ASSERT_FALSE(QFileInfo::exists(rescue));

    scheduler.TimerTick(); // not yet
    EXPECT_FALSE(QFileInfo::exists(rescue));

    const TDateTime later = real + 1.0 / 24 + 20.0 / 86400;
    Clock::Pin(later);
    scheduler.TimerTick();
    EXPECT_TRUE(log.Contains("Info: Scheduler: *** BACKUP task fired *** " + DateTimeToStr(firing)));
    EXPECT_TRUE(QFileInfo::exists(rescue));
    EXPECT_EQ(TestSupport::ReadAll(rescue), TestSupport::ReadAll(temp.Path()));
    EXPECT_TRUE(made.empty());
    EXPECT_FALSE(backup.InService);
    EXPECT_FALSE(backup.Delivered);
    EXPECT_TRUE(backup.NewScheduleCalculated);
    EXPECT_GT(backup.Scheduled, later);
    EXPECT_LE(backup.Scheduled, later + 1.0 / 24);
    EXPECT_EQ(temp.store->List().ModifiedAt(), later);
}

TEST_F(SchedulerFixture, HiddenWindowStartsTheSchedulerAndStopsItWhenDestroyed)
{
    PinnedClock clock(At(2009, 2, 17, 10, 0, 30));
    TTaskData &due = list.AddTask(Reminder("Due", At(2009, 2, 17, 10, 0, 0)));
    due.PopupNote = true;

    auto *window = new Thddnorm(context, nullptr, nullptr);
    ASSERT_NE(window->TaskScheduler(), nullptr);
    EXPECT_TRUE(window->TaskScheduler()->Running());
    EXPECT_EQ(Made("Due"), std::vector<K>{K::PopupNote}); // missed reminders are treated at once
    EXPECT_FALSE(window->isVisible());
    QPointer<TTaskScheduler> owned(window->TaskScheduler());
    delete window;
    EXPECT_TRUE(owned.isNull());
}

TEST(SchedulerIndexOperations, WorkOnTheListRecordInPlace)
{
    PinnedClock clock(At(2024, 5, 15, 10, 0, 30));
    TTaskList list;
    list.AddTask(TestRecords::Alarm(QStringLiteral("one")));
    TTaskData &r = list.AddTask(TestRecords::Repeating(srHours, 2, At(2024, 5, 15, 10)));
    r.PreWarning = true;
    r.PreWarningRule = srHours;
    r.PreWarningNFactor = 3;
    TActionContext context;
    context.List = &list;
    TTaskScheduler sched(context);
    EXPECT_EQ(sched.NextRepeatTime(1, r.EventDateTime), AddHours(2, r.EventDateTime));
    EXPECT_EQ(sched.PreWarningTime(1, r.EventDateTime), AddHours(-3, r.EventDateTime));
    EXPECT_EQ(sched.ScheduledTime(1), AddHours(-3, r.EventDateTime));
    EXPECT_EQ(sched.NextEventTime(1), AddHours(2, r.EventDateTime));
    EXPECT_FALSE(sched.IsExcludedDay(1, r.EventDateTime));
    r.ExcludeWednesday = true;
    EXPECT_TRUE(sched.IsExcludedDay(1, r.EventDateTime)); // 15 May 2024 is a Wednesday
    EXPECT_THROW(sched.ScheduledTime(2), std::out_of_range);
}

TEST_F(SchedulerFixture, WakingUpTreatsWhatFellDueInTheSleepLikeMissedReminders)
{
    FakePower power;
    context.Power = &power;
    for (TMissedTasksTreatment treatment : {mtDontShowbutReschedule, mtShowAll}) {
        SCOPED_TRACE(treatment);
        list.Clear();
        started.clear();
        player.Played.clear();
        prefs.SetMissedTasksTreatment(treatment);
        prefs.SetShowOnlyRunOnceMissedTasks(true);
        PinnedClock clock(At(2009, 2, 16, 19, 0, 0));
        const Missed m = AddMissed(list);
        TTaskScheduler s(context);
        s.Start();
        ASSERT_TRUE(power.Heard());
        EXPECT_TRUE(started.empty());

        emit power.SleepChanged(true);
        Clock::Pin(At(2009, 2, 17, 8, 0, 0)); // the night passes asleep
        emit power.SleepChanged(false);
        if (treatment == mtDontShowbutReschedule) {
            EXPECT_TRUE(Made("Daily").empty());
            EXPECT_EQ(m.daily->Scheduled, At(2009, 2, 17, 20, 0, 0));
            EXPECT_EQ(Made("Once"), (std::vector<K>{K::PopupNote, K::Email}));
            EXPECT_TRUE(Made("Moon").empty()); // run on request: only its sound
            // The pass after the treatment fires what the treatment leaves alone.
            EXPECT_EQ(Made("Hidden"), std::vector<K>{K::PopupNote});
        } else {
            EXPECT_EQ(Made("Daily"), std::vector<K>{K::PopupNote});
            EXPECT_EQ(Made("Once"), (std::vector<K>{K::PopupNote, K::Email}));
            EXPECT_EQ(Made("Moon"), std::vector<K>{K::FullMoon});
        }
        EXPECT_EQ(player.Played.size(), 1);
        EXPECT_TRUE(Made("Off").empty());
        EXPECT_TRUE(Made("Future").empty());
        s.Stop();
        EXPECT_FALSE(power.Heard()); // a stopped scheduler hears no more
        for (const QPointer<TRecordingForm> &f : forms)
            delete f.data();
        forms.clear();
    }
    context.Power = nullptr; // the fixture's own scheduler outlives this power source
}

TEST_F(SchedulerFixture, ANoticeOfASetClockFiresWhatBecameDueAtOnce)
{
    TestSupport::CapturedLog log;
    FakeClockChangeSource clockChanges;
    context.ClockChanges = &clockChanges;
    const auto setLines = [&] { return log.Text().count(QStringLiteral("Scheduler: the clock was set by ")); };
    PinnedClock clock(At(2009, 2, 17, 9, 0, 0));
    TTaskData t = Reminder("Standup", At(2009, 2, 17, 9, 30, 0));
    t.PopupNote = true;
    list.AddTask(t);
    scheduler.Start();
    scheduler.Start(); // started twice, it still hears each notice once

    // The kernel tells after a sleep too: the steady clock went along, no step.
    Clock::Advance(45.0 / 86400);
    clockChanges.ClockWasSet();
    Clock::Pin(At(2009, 2, 17, 9, 0, 50)); // set 5 s forward: too small to count
    clockChanges.ClockWasSet();
    EXPECT_EQ(setLines(), 0);
    Clock::Pin(At(2009, 2, 17, 8, 0, 0)); // set back an hour: a pass, nothing due
    clockChanges.ClockWasSet();
    EXPECT_EQ(setLines(), 1);
    EXPECT_TRUE(
        log.Text().contains(QStringLiteral("Scheduler: the clock was set by -3650 s, checking the reminders now")));
    EXPECT_TRUE(started.empty());
    Clock::Pin(At(2009, 2, 17, 9, 31, 0)); // set forward past the reminder
    clockChanges.ClockWasSet();
    EXPECT_EQ(Made("Standup"), std::vector<K>{K::PopupNote});
    EXPECT_EQ(setLines(), 2);
    clockChanges.ClockWasSet(); // a notice without a new step
    EXPECT_EQ(setLines(), 2);

    // A stopped scheduler hears no more notices.
    TTaskData later = Reminder("Lunch", At(2009, 2, 17, 12, 0, 0));
    later.PopupNote = true;
    list.AddTask(later);
    scheduler.Stop();
    Clock::Pin(At(2009, 2, 17, 13, 0, 0));
    clockChanges.ClockWasSet();
    EXPECT_TRUE(Made("Lunch").empty());
    EXPECT_EQ(setLines(), 2);
    context.ClockChanges = nullptr;
}

TEST_F(SchedulerFixture, HourlyReminderRingsEveryRealHourAcrossBothSummerTimeChanges)
{
    // Berlin: 31 Mar 2024 02:00 -> 03:00, 27 Oct 2024 03:00 -> 02:00 (01:00 UTC both days).
    TestSupport::ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const auto utc = [](int m, int d, int h, int mi) { return At(2024, m, d, h, mi, 30); };
    struct TTick {
        TDateTime Utc;
        bool Rings;
        TDateTime NextLocal;
    };
    const auto ringsAt = [&](TDateTime event, std::initializer_list<TTick> ticks, const char *name) {
        list.Clear();
        player.CountsAtPlay.clear();
        TTaskData t = Daily("Hourly", event);
        t.RepeatRule = srHours;
        t.PlaySound = true;
        TTaskData &hourly = list.AddTask(t);
        player.Watched = &hourly;
        size_t rings = 0;
        for (const TTick &tick : ticks) {
            Clock::PinUtc(tick.Utc);
            scheduler.TimerTick();
            rings += tick.Rings ? 1 : 0;
            EXPECT_EQ(player.CountsAtPlay.size(), rings) << name << " at " << DateTimeToStr(Clock::Now()).toStdString();
            EXPECT_TRUE(SameDateTime(hourly.Scheduled, tick.NextLocal))
                << name << ": next " << DateTimeToStr(hourly.Scheduled).toStdString();
        }
        Clock::Unpin();
    };
    const auto autumn = [](int h, int mi) { return At(2024, 10, 27, h, mi); };
    ringsAt(autumn(1, 45),
            {{utc(10, 26, 23, 45), true, autumn(2, 45)}, // 01:45 summer time
             {utc(10, 27, 0, 30), false, autumn(2, 45)}, // 02:30 summer time
             {utc(10, 27, 0, 45), true, autumn(2, 45)}, // 02:45 summer time, next the second 02:45
             {utc(10, 27, 1, 0), false, autumn(2, 45)}, // 02:00 winter time
             {utc(10, 27, 1, 45), true, autumn(3, 45)}, // 02:45 winter time
             {utc(10, 27, 2, 45), true, autumn(4, 45)}}, // 03:45
            "autumn");
    const auto spring = [](int h, int mi) { return At(2024, 3, 31, h, mi); };
    ringsAt(spring(1, 30),
            {{utc(3, 31, 0, 30), true, spring(3, 30)}, // 01:30 winter time
             {utc(3, 31, 1, 0), false, spring(3, 30)}, // 03:00 summer time
             {utc(3, 31, 1, 30), true, spring(4, 30)}}, // 03:30 summer time
            "spring");
}

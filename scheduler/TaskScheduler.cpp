#include "scheduler/TaskScheduler.h"

#include "core/Clock.h"
#include "core/vornLogFile.h"
#include "model/Recurrence.h"
#include "model/TaskList.h"
#include "platform/ClockChange.h"
#include "platform/Power.h"
#include "scheduler/ActionWindows.h"
#include "storage/vornStorage.h"

#include <QTimer>
#include <climits>
#include <cmath>
#include <stdexcept>

TTaskScheduler::TTaskScheduler(TActionContext &context, QObject *parent)
    : QObject(parent)
    , FContext(context)
    , FTimer(std::make_unique<QTimer>())
{
    FTimer->setInterval(TimerInterval);
    connect(FTimer.get(), &QTimer::timeout, this, &TTaskScheduler::TimerTick);
}

TTaskScheduler::~TTaskScheduler()
{
    Stop();
}

TTaskList *TTaskScheduler::ListOrNull() const
{
    return FContext.List;
}

TTaskList &TTaskScheduler::List() const
{
    TTaskList *list = ListOrNull();
    if (!list)
        throw std::logic_error("TTaskScheduler: no reminder list");
    return *list;
}

// --- firing ---

namespace {

// Not yet fired or served, and its time has passed (strictly, as instants:
// a change to or from summer time neither fires it early nor skips it).
bool IsDue(const TTaskData &task, TDateTime now)
{
    return !task.InService && !task.Delivered
           && TRecurrence::IsScheduledTimeReached(task, now, Clock::UtcOffsetSeconds());
}

// Opens the window of one action for the record at index i; a kind without a
// window leaves the reminder in service, as when its window is still open.
void OpenActionWindow(TActionContext &context, TActionKind kind, int i, bool startAtOnce)
{
    if (context.ActionWindows)
        context.ActionWindows->Open(kind, i, startAtOnce);
}

} // namespace

void TTaskScheduler::Start()
{
    FTimer->start();
    ResetClockWatch();
    if (FContext.ClockChanges && !FClockChanged)
        FClockChanged =
            connect(FContext.ClockChanges, &IClockChangeSource::ClockSet, this, &TTaskScheduler::CheckClock);
    if (FContext.Power && !FSleepChanged) {
        FSleepChanged = connect(FContext.Power, &IPower::SleepChanged, this, [this](bool sleeping) {
            if (sleeping)
                LogInfo(QStringLiteral("Scheduler: the computer goes to sleep"));
            else
                WokeUp();
        });
    }
    HandleMissedTasks();
}

void TTaskScheduler::Stop()
{
    FTimer->stop();
    disconnect(FClockChanged);
    FClockChanged = {};
    disconnect(FSleepChanged);
    FSleepChanged = {};
}

void TTaskScheduler::WokeUp()
{
    LogInfo(QStringLiteral("Scheduler: the computer woke up ") + DateTimeToStr(Clock::Now()));
    HandleMissedTasks();
    CheckDueTasks();
    ResetClockWatch();
}

void TTaskScheduler::ResetClockWatch()
{
    FLastWall = Clock::Now();
    FLastSteady = Clock::SteadyMs();
}

bool TTaskScheduler::CheckClock()
{
    const double wall = Clock::Now();
    const long long steady = Clock::SteadyMs();
    const long long wallStep = std::llround((wall - FLastWall) * 86400000.0);
    const long long drift = wallStep - (steady - FLastSteady);
    FLastWall = wall;
    FLastSteady = steady;
    if (std::llabs(drift) <= ClockJumpMs)
        return false;
    LogInfo(QStringLiteral("Scheduler: the clock was set by ") + QString::number(drift / 1000)
            + QStringLiteral(" s, checking the reminders now"));
    CheckDueTasks();
    return true;
}

bool TTaskScheduler::Running() const
{
    return FTimer->isActive();
}

void TTaskScheduler::TimerTick()
{
    TTaskList *list = ListOrNull();
    if (!list || list->Count() == 0)
        return;
    CheckDueTasks();
    if (++SaveCounter >= SavePasses) {
        LogInfo(QStringLiteral("Scheduler: *** saving tasklist fired *** ") + DateTimeToStr(Clock::Now()));
        if (FContext.Store)
            FContext.Store->SaveIfModified();
        SaveCounter = 0;
    }
}

void TTaskScheduler::CheckDueTasks()
{
    TTaskList *list = ListOrNull();
    if (!list)
        return;
    // Records added by the windows of this pass wait for the next one; the
    // count is re-read so that a record removed meanwhile ends the walk early
    // instead of reading past the end.
    const int n = list->Count();
    for (int i = 0; i < n && i < list->Count(); ++i) {
        const TTaskData &task = list->GetTask(i);
        if (!IsDue(task, Clock::Now()) || !task.Enabled)
            continue;
        FireDue(*list, i);
    }
}

void TTaskScheduler::FireDue(TTaskList &list, int i)
{
    // Held so the record stays valid whatever its windows do to the list.
    const TTaskList::TTaskRef ref = list.SharedTask(i);
    TTaskData &task = *ref;
    task.InService = true;
    task.NewScheduleCalculated = false;

    // Each window is given the record's current index.
    auto open = [&](TActionKind kind) {
        const int at = list.IndexOfTask(ref.get());
        if (at >= 0)
            OpenActionWindow(FContext, kind, at, false);
    };
    if (task.PlaySound)
        open(TActionKind::Sound);
    if (task.PopupNote)
        open(TActionKind::PopupNote);
    if (task.SendEmail)
        open(TActionKind::Email);
    // A program or a shutdown waits for the event itself, not its pre-warning.
    const bool atEvent = !task.PreWarning || task.EventDateTime <= task.Scheduled;
    if (task.RunProgram && atEvent)
        open(TActionKind::RunProgram);
    if (task.ShutdownComputer && atEvent)
        open(TActionKind::Shutdown);
    if (task.SpecialForm && task.Tag == TAG_FULLMOON)
        open(TActionKind::FullMoon);
    if (task.Tag == TAG_BACKUP) {
        LogInfo(QStringLiteral("Scheduler: *** BACKUP task fired *** ") + DateTimeToStr(task.Scheduled));
        if (TPalvaroStorage *store = FContext.Store) {
            // A failed copy must not keep the reminder in service for good.
            try {
                store->RescueBackup();
            } catch (const std::exception &e) {
                LogError(QStringLiteral("Backup failed: ") + QString::fromStdString(e.what()));
            }
        }
        TRecurrence::RescheduleAfterRun(task);
        list.MarkModified();
        task.InService = task.ActionCount > 0;
    }
}

void TTaskScheduler::HandleMissedTasks()
{
    TTaskList *list = ListOrNull();
    if (!list || list->Count() == 0)
        return;
    const TMissedTasksTreatment treatment =
        FContext.Preferences ? FContext.Preferences->MissedTasksTreatment() : mtShowAll;
    if (treatment == mtDontShowbutReschedule)
        RescheduleMissedTasks();
    else
        CheckDueTasks();
}

void TTaskScheduler::RescheduleMissedTasks()
{
    TTaskList *list = ListOrNull();
    if (!list)
        return;
    const bool showRunOnce = FContext.Preferences ? FContext.Preferences->ShowOnlyRunOnceMissedTasks() : true;
    const int n = list->Count();
    for (int i = 0; i < n && i < list->Count(); ++i) {
        TTaskData &task = list->GetTask(i);
        if (!IsDue(task, Clock::Now()) || !task.Visible || !task.Enabled)
            continue;
        if (showRunOnce && !task.RepeatTask)
            RunTaskNow(i);
        else if (task.Taskkind == tkService)
            RunTaskNow(i);
        else {
            TRecurrence::RescheduleAfterRun(task);
            // Written soon after, like every other change of the list.
            list->MarkModified();
        }
    }
}

void TTaskScheduler::RunTaskNow(int i)
{
    TTaskList *list = ListOrNull();
    if (!list || i < 0 || i >= list->Count())
        return;
    const TTaskList::TTaskRef ref = list->SharedTask(i);
    TTaskData &task = *ref;
    if (task.InService || !task.Enabled)
        return;
    task.InService = true;
    task.NewScheduleCalculated = false;

    // On request the countdowns start at one second, and a program runs even
    // at a pre-warning. The full-moon window and the backup are left to the
    // regular passes.
    auto open = [&](TActionKind kind, bool atOnce) {
        const int at = list->IndexOfTask(ref.get());
        if (at >= 0)
            OpenActionWindow(FContext, kind, at, atOnce);
    };
    if (task.PlaySound)
        open(TActionKind::Sound, false);
    if (task.PopupNote)
        open(TActionKind::PopupNote, false);
    if (task.SendEmail)
        open(TActionKind::Email, true);
    if (task.RunProgram)
        open(TActionKind::RunProgram, true);
    if (task.ShutdownComputer)
        open(TActionKind::Shutdown, true);
}

// --- index operations ---

TDateTime TTaskScheduler::NextRepeatTime(int i, TDateTime x) const
{
    return TRecurrence::NextRepeatTime(List().GetTask(i), x);
}

TDateTime TTaskScheduler::PreWarningTime(int i, TDateTime x) const
{
    return TRecurrence::PreWarningTime(List().GetTask(i), x);
}

bool TTaskScheduler::IsExcludedDay(int i, TDateTime x) const
{
    return TRecurrence::IsExcludedDay(List().GetTask(i), x);
}

TDateTime TTaskScheduler::NextEventTime(int i) const
{
    return TRecurrence::NextEventTime(List().GetTask(i));
}

TDateTime TTaskScheduler::ScheduledTime(int i) const
{
    return TRecurrence::ScheduledTime(List().GetTask(i));
}

void TTaskScheduler::RescheduleAfterRun(int i)
{
    TRecurrence::RescheduleAfterRun(List().GetTask(i));
}

TDateTime TTaskScheduler::NextSnoozeTime(int i, int n, TSnoozeType unit) const
{
    return TRecurrence::NextSnoozeTime(List().GetTask(i), n, unit);
}

TDateTime TTaskScheduler::PresetBeforeEvent(int i, int p, int n) const
{
    return TRecurrence::PresetBeforeEvent(List().GetTask(i), p, n);
}

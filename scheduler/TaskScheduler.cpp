#include "scheduler/TaskScheduler.h"

#include "app/vornLogFile.h"
#include "model/ScheduleMath.h"
#include "model/TaskList.h"
#include "platform/Clock.h"
#include "scheduler/ActionFactory.h"
#include "scheduler/ActionFrm.h"
#include "storage/vornStorage.h"

#include <QTimer>
#include <climits>
#include <cmath>
#include <stdexcept>

namespace {

// Once a walk has passed now it only skips excluded weekdays. Every rule's
// weekdays repeat within 10080 steps (a week of one-minute steps; months and
// years repeat within 4800 and 400), so two such rounds without a free weekday
// mean there is none.
constexpr int kMaxStepsAfterNow = 2 * 10080 + 16;
// Guards the walk up to now; a valid walk needs a few thousand rounds at most.
constexpr long kMaxWalkRounds = 4000000;

int Negated(int n)
{
    return n == INT_MIN ? INT_MAX : -n;
}

bool SameBinade(double a, double b)
{
    return a != 0 && b != 0 && std::isfinite(a) && std::isfinite(b) && std::signbit(a) == std::signbit(b)
           && std::ilogb(a) == std::ilogb(b);
}

// Advances x by whole steps as long as the next step is still not after limit:
// the same as "while (step(x) <= limit) x = step(x)", but fast.
//
// For steps that add a fixed amount (minutes, hours, days, weeks, a weekday),
// every step between two values of the same binary exponent adds exactly the
// same rounded increment, so a run of such steps is one multiplication. The
// jumps stop short of every exponent boundary, where single steps take over,
// and the rule's own step is checked at the end of every jump; the result is
// therefore bit for bit the one of the step-by-step walk.
//
// False when the steps stop moving forward.
template <typename Step>
bool SkipNotAfter(TDateTime &x, TDateTime limit, const Step &step, bool fixedIncrement)
{
    for (long round = 0; round < kMaxWalkRounds; ++round) {
        const TDateTime y = step(x);
        if (!(y <= limit) || !IsValidDateTime(y))
            return true; // the caller's own walk takes the next step and judges it
        if (!(y > x))
            return false;
        // The first step may start off the rule's grid (an event that is not on
        // the weekday of a weekly rule); jumps start from a step's result.
        if (fixedIncrement && round > 0 && SameBinade(x, y)) {
            const double q = y - x; // exact: both share one exponent
            const int e = std::ilogb(y);
            const long double top = y > 0 ? std::ldexp(1.0L, e + 1) : -std::ldexp(1.0L, e);
            const long double byLimit = std::floor((static_cast<long double>(limit) - y) / q);
            const long double byBinade = std::floor((top - y) / q) - 1;
            long double estimate = std::min(byLimit, byBinade);
            if (estimate >= 1) {
                int64_t j = int64_t(std::min(estimate, 1.0e15L));
                auto fits = [&](int64_t k) {
                    const double z = y + double(k) * q;
                    return z <= limit && SameBinade(z, y) && SameBinade(z + q, y);
                };
                for (int tries = 0; j > 0 && !fits(j); ++tries)
                    j = tries < 4 ? j - 1 : 0;
                if (j > 0) {
                    const double z = y + double(j) * q;
                    if (step(z - q) == z) {
                        x = z;
                        continue;
                    }
                }
            }
        }
        x = y;
    }
    return false;
}

bool FixedIncrementRule(int rule)
{
    return rule == srWeekday || rule == srDays || rule == srWeeks || rule == srHours || rule == srMinutes;
}

QString TitleOf(const TTaskData &task)
{
    return QStringLiteral("\"") + task.Title.Get() + QStringLiteral("\"");
}

} // namespace

TTaskScheduler::TTaskScheduler(TTaskList *list, QObject *parent)
    : QObject(parent)
    , FList(list)
    , FTimer(std::make_unique<QTimer>())
{
    FTimer->setInterval(TimerInterval);
    connect(FTimer.get(), &QTimer::timeout, this, &TTaskScheduler::TimerTick);
}

TTaskScheduler::~TTaskScheduler() = default;

TTaskList *TTaskScheduler::ListOrNull() const
{
    return FList ? FList : TaskList;
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

// Not yet fired or served, and its time has passed (strictly).
bool IsDue(const TTaskData &task, TDateTime now)
{
    return now > task.Scheduled && !task.InService && !task.Delivered;
}

// Creates and starts the window of one action for the record at index i.
void OpenActionWindow(TActionKind kind, int i, bool startAtOnce)
{
    TActionForm *form = CreateActionForm(kind);
    if (!form)
        return; // no window for this kind of action yet
    if (startAtOnce)
        form->SetStartAtOnce(true);
    if (kind == TActionKind::Sound) {
        if (auto *sound = qobject_cast<TPlaysoundForm *>(form)) {
            sound->StartSound(i);
            return;
        }
    }
    form->StartAction(i);
}

} // namespace

void TTaskScheduler::Start()
{
    FTimer->start();
    HandleMissedTasks();
}

void TTaskScheduler::Stop()
{
    FTimer->stop();
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
        if (Storage)
            Storage->SaveIfModified();
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
            OpenActionWindow(kind, at, false);
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
        if (Storage) {
            // A failed copy must not keep the reminder in service for good.
            try {
                Storage->RescueBackup();
            } catch (const std::exception &e) {
                LogError(QStringLiteral("Backup failed: ") + QString::fromStdString(e.what()));
            }
        }
        RescheduleAfterRun(task);
        list.MarkModified();
        task.InService = task.ActionCount > 0;
    }
}

void TTaskScheduler::HandleMissedTasks()
{
    TTaskList *list = ListOrNull();
    if (!list || list->Count() == 0)
        return;
    const TMissedTasksTreatment treatment = Preferences ? Preferences->MissedTasksTreatment() : mtShowAll;
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
    const bool showRunOnce = Preferences ? Preferences->ShowOnlyRunOnceMissedTasks() : true;
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
            RescheduleAfterRun(task);
            // Kept by the next periodic save, like every other change of the list.
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
            OpenActionWindow(kind, at, atOnce);
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

// --- record operations ---

TDateTime TTaskScheduler::NextRepeatTime(const TTaskData &task, TDateTime x)
{
    const int f = task.RepeatNFactor;
    switch (task.RepeatRule) {
    case srWeekday: return NextWeekday(f, x);
    case srMonthOfYear: return NextMonthOfYear(f, x);
    case srDays: return AddDays(f, x);
    case srWeeks: return AddWeeks(f, x);
    case srMonths: return AddMonths(f, x);
    case srYears: return AddYears(f, x);
    case srHours: return AddHours(f, x);
    case srMinutes: return AddMinutes(f, x);
    default: return x;
    }
}

TDateTime TTaskScheduler::PreWarningTime(const TTaskData &task, TDateTime x)
{
    const int f = Negated(task.PreWarningNFactor);
    switch (task.PreWarningRule) {
    case srDays: return AddDays(f, x);
    case srWeeks: return AddWeeks(f, x);
    case srMonths: return AddMonths(f, x);
    case srYears: return AddYears(f, x);
    case srHours: return AddHours(f, x);
    case srMinutes: return AddMinutes(f, x);
    default: return x;
    }
}

bool TTaskScheduler::IsExcludedDay(const TTaskData &task, TDateTime x)
{
    return task.IsWeekdayExcluded(DayOfTheWeek(x));
}

QString TTaskScheduler::RepeatDefect(const TTaskData &task)
{
    const int f = task.RepeatNFactor;
    if (!IsValidDateTime(task.EventDateTime))
        return QStringLiteral("its date-time is no calendar date");
    switch (task.RepeatRule) {
    case srWeekday:
        if (f < 1 || f > 7)
            return QStringLiteral("weekday %1 is outside 1..7").arg(f);
        if (task.IsWeekdayExcluded(f))
            return QStringLiteral("its weekday is excluded");
        break;
    case srMonthOfYear:
        if (f < 1 || f > 12)
            return QStringLiteral("month %1 is outside 1..12").arg(f);
        break;
    case srDays:
    case srWeeks:
    case srMonths:
    case srYears:
    case srHours:
    case srMinutes:
        if (f < 1)
            return QStringLiteral("repeat count %1 is below 1").arg(f);
        break;
    default: return QStringLiteral("repeat rule %1 is unknown").arg(task.RepeatRule);
    }
    if (task.ExcludedWeekdayCount() == 7)
        return QStringLiteral("all seven weekdays are excluded");
    return QString();
}

bool TTaskScheduler::TryNextEventTime(const TTaskData &task, TDateTime now, TDateTime &next, QString *why)
{
    auto fail = [why](const QString &reason) {
        if (why)
            *why = reason;
        return false;
    };
    const QString defect = RepeatDefect(task);
    if (!defect.isEmpty())
        return fail(defect);

    const auto step = [&task](TDateTime x) { return NextRepeatTime(task, x); };
    TDateTime x = task.EventDateTime;
    if (!SkipNotAfter(x, now, step, FixedIncrementRule(task.RepeatRule)))
        return fail(QStringLiteral("its steps do not move forward"));
    for (int n = 0; n < kMaxStepsAfterNow; ++n) {
        const TDateTime y = step(x);
        if (!(y > x) || !IsValidDateTime(y))
            return fail(QStringLiteral("its steps leave the calendar"));
        x = y;
        if (x > now && !IsExcludedDay(task, x)) {
            next = x;
            return true;
        }
    }
    return fail(QStringLiteral("every occurrence falls on an excluded weekday"));
}

TDateTime TTaskScheduler::NextEventTime(const TTaskData &task)
{
    TDateTime next = 0;
    QString why;
    if (TryNextEventTime(task, Clock::Now(), next, &why))
        return next;
    LogWarning(QStringLiteral("Reminder ") + TitleOf(task) + QStringLiteral(" has no next occurrence: ") + why);
    return task.EventDateTime;
}

TDateTime TTaskScheduler::ScheduledTime(const TTaskData &task)
{
    return task.PreWarning ? PreWarningTime(task, task.EventDateTime) : task.EventDateTime;
}

void TTaskScheduler::RescheduleAfterRun(TTaskData &task)
{
    if (task.RepeatTask) {
        TDateTime next = 0;
        QString why;
        if (TryNextEventTime(task, Clock::Now(), next, &why)) {
            task.EventDateTime = next;
            task.Scheduled = ScheduledTime(task);
            task.Delivered = false;
        } else {
            // Firing it again at every pass would be worse than finishing it.
            LogWarning(QStringLiteral("Reminder ") + TitleOf(task) + QStringLiteral(" has no next occurrence (")
                       + why + QStringLiteral("); marked completed."));
            task.Delivered = true;
        }
    } else {
        task.Delivered = true;
    }
    task.NewScheduleCalculated = true;
}

TDateTime TTaskScheduler::SnoozeStep(int n, TSnoozeType unit, TDateTime x)
{
    switch (unit) {
    case stMinutes: return AddMinutes(n, x);
    case stHours: return AddHours(n, x);
    case stDays: return AddDays(n, x);
    case stWeeks: return AddWeeks(n, x);
    case stMonths: return AddMonths(n, x);
    default: return x;
    }
}

TDateTime TTaskScheduler::NextSnoozeTime(const TTaskData &task, int n, TSnoozeType unit)
{
    if (n < 1 || unit > stMonths) {
        LogWarning(QStringLiteral("Snooze of %1 units of type %2 for ").arg(n).arg(int(unit)) + TitleOf(task)
                   + QStringLiteral(" taken as at least 1, in minutes when the type is unknown."));
        n = std::max(n, 1);
        if (unit > stMonths)
            unit = stMinutes;
    }
    const TDateTime now = Clock::Now();
    const auto step = [n, unit](TDateTime x) { return SnoozeStep(n, unit, x); };
    TDateTime x = task.Scheduled;
    if (IsValidDateTime(x) && SkipNotAfter(x, now, step, unit != stMonths)) {
        const TDateTime y = step(x);
        if (y > now && IsValidDateTime(y))
            return y;
    }
    // A Scheduled that is no date cannot carry the grid: count from now.
    return step(now);
}

TDateTime TTaskScheduler::PresetStep(int p, int n, TDateTime x)
{
    switch (p) {
    case 0: return AddMinutes(n, x);
    case 1: return AddHours(n, x);
    case 2: return AddDays(n, x);
    case 3: return AddWeeks(n, x);
    case 4: return AddMonths(n, x);
    case 5: return AddYears(n, x);
    default: return x;
    }
}

TDateTime TTaskScheduler::PresetFromNow(int p, int n)
{
    int y, m, d, h, mi, s, ms;
    DecodeDateTime(Clock::Now(), y, m, d, h, mi, s, ms);
    return PresetStep(p, n, EncodeDateTime(y, m, d, h, mi, 0, 0));
}

TDateTime TTaskScheduler::PresetBeforeEvent(const TTaskData &task, int p, int n)
{
    return PresetStep(p, Negated(n), task.EventDateTime);
}

// --- index operations ---

TDateTime TTaskScheduler::NextRepeatTime(int i, TDateTime x) const
{
    return NextRepeatTime(List().GetTask(i), x);
}

TDateTime TTaskScheduler::PreWarningTime(int i, TDateTime x) const
{
    return PreWarningTime(List().GetTask(i), x);
}

bool TTaskScheduler::IsExcludedDay(int i, TDateTime x) const
{
    return IsExcludedDay(List().GetTask(i), x);
}

TDateTime TTaskScheduler::NextEventTime(int i) const
{
    return NextEventTime(List().GetTask(i));
}

TDateTime TTaskScheduler::ScheduledTime(int i) const
{
    return ScheduledTime(List().GetTask(i));
}

void TTaskScheduler::RescheduleAfterRun(int i)
{
    RescheduleAfterRun(List().GetTask(i));
}

TDateTime TTaskScheduler::NextSnoozeTime(int i, int n, TSnoozeType unit) const
{
    return NextSnoozeTime(List().GetTask(i), n, unit);
}

TDateTime TTaskScheduler::PresetBeforeEvent(int i, int p, int n) const
{
    return PresetBeforeEvent(List().GetTask(i), p, n);
}

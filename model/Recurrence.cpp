#include "model/Recurrence.h"

#include "core/Clock.h"
#include "core/vornLogFile.h"
#include "model/ScheduleMath.h"

#include <algorithm>
#include <climits>
#include <cmath>

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

// The calendar unit of a repeat or pre-warning rule code; false for the
// weekday and month-of-year rules and unknown codes.
bool UnitOfRule(int rule, TStepUnit &unit)
{
    switch (rule) {
    case srMinutes: unit = TStepUnit::Minutes; return true;
    case srHours: unit = TStepUnit::Hours; return true;
    case srDays: unit = TStepUnit::Days; return true;
    case srWeeks: unit = TStepUnit::Weeks; return true;
    case srMonths: unit = TStepUnit::Months; return true;
    case srYears: unit = TStepUnit::Years; return true;
    default: return false;
    }
}

QString TitleOf(const TTaskData &task)
{
    return QStringLiteral("\"") + task.Title.Get() + QStringLiteral("\"");
}

} // namespace

TDateTime TRecurrence::NextRepeatTime(const TTaskData &task, TDateTime x)
{
    const int f = task.RepeatNFactor;
    if (task.RepeatRule == srWeekday)
        return NextWeekday(f, x);
    if (task.RepeatRule == srMonthOfYear)
        return NextMonthOfYear(f, x);
    TStepUnit unit;
    return UnitOfRule(task.RepeatRule, unit) ? StepBy(unit, f, x) : x;
}

TDateTime TRecurrence::PreWarningTime(const TTaskData &task, TDateTime x)
{
    TStepUnit unit;
    return UnitOfRule(task.PreWarningRule, unit) ? StepBy(unit, Negated(task.PreWarningNFactor), x) : x;
}

bool TRecurrence::IsExcludedDay(const TTaskData &task, TDateTime x)
{
    return task.IsWeekdayExcluded(DayOfTheWeek(x));
}

QString TRecurrence::RepeatDefect(const TTaskData &task)
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

bool TRecurrence::TryNextEventTime(const TTaskData &task, TDateTime now, TDateTime &next, QString *why)
{
    TDateTime earlier, later;
    LocalReadings(now, earlier, later);
    return TryNextEventTime(task, now, int(std::lround((now - earlier) * 86400.0)), next, why);
}

bool TRecurrence::TryNextEventTime(const TTaskData &task, TDateTime now, int nowOffset, TDateTime &next, QString *why)
{
    auto fail = [why](const QString &reason) {
        if (why)
            *why = reason;
        return false;
    };
    const QString defect = RepeatDefect(task);
    if (!defect.isEmpty())
        return fail(defect);

    // Hours and minutes are real time: the walk runs on a clock that keeps the
    // offset of the event's own reading, and each step is read back in the
    // offset in force then. Days and longer keep the wall-clock time.
    const bool elapsed = task.RepeatRule == srHours || task.RepeatRule == srMinutes;
    int offset = nowOffset;
    if (elapsed) {
        TDateTime earlier, later;
        const int readings = LocalReadings(task.EventDateTime, earlier, later);
        // A repeated wall time that has come round twice already ran in its second pass.
        const double nowUtc = now - nowOffset / 86400.0;
        const TDateTime utc = readings == 2 && later <= nowUtc ? later : earlier;
        offset = int(std::lround((task.EventDateTime - utc) * 86400.0));
    }
    const auto toLocal = [elapsed, offset](TDateTime x) {
        if (!elapsed)
            return x;
        const int actual = UtcOffsetAt(x - offset / 86400.0);
        return actual == offset ? x : x + (actual - offset) / 86400.0;
    };
    const TDateTime limit = offset == nowOffset ? now : now + (offset - nowOffset) / 86400.0;

    const auto step = [&task](TDateTime x) { return NextRepeatTime(task, x); };
    TDateTime x = task.EventDateTime;
    if (!SkipNotAfter(x, limit, step, FixedIncrementRule(task.RepeatRule)))
        return fail(QStringLiteral("its steps do not move forward"));
    for (int n = 0; n < kMaxStepsAfterNow; ++n) {
        const TDateTime y = step(x);
        if (!(y > x) || !IsValidDateTime(y))
            return fail(QStringLiteral("its steps leave the calendar"));
        x = y;
        if (x > limit && !IsExcludedDay(task, toLocal(x))) {
            next = toLocal(x);
            return true;
        }
    }
    return fail(QStringLiteral("every occurrence falls on an excluded weekday"));
}

bool TRecurrence::IsScheduledTimeReached(const TTaskData &task, TDateTime now, int nowOffset)
{
    const TDateTime s = task.Scheduled;
    TDateTime earlier, later;
    const int readings = LocalReadings(s, earlier, later);
    if (readings == 1 && std::lround((s - earlier) * 86400.0) == nowOffset)
        return now > s;
    const double nowUtc = now - nowOffset / 86400.0;
    if (nowUtc > later)
        return true;
    if (!(nowUtc > earlier))
        return false;
    // Between the two passes of a repeated hour's wall time: reached in the
    // first pass, unless the reminder already ran there after that wall time
    // (then its next time is the second pass); in the second pass not yet.
    return now > s && !(task.LastRun >= s && task.LastRun <= now);
}

TDateTime TRecurrence::NextEventTime(const TTaskData &task)
{
    TDateTime next = 0;
    QString why;
    if (TryNextEventTime(task, Clock::Now(), Clock::UtcOffsetSeconds(), next, &why))
        return next;
    LogWarning(QStringLiteral("Reminder ") + TitleOf(task) + QStringLiteral(" has no next occurrence: ") + why);
    return task.EventDateTime;
}

TDateTime TRecurrence::ScheduledTime(const TTaskData &task)
{
    return task.PreWarning ? PreWarningTime(task, task.EventDateTime) : task.EventDateTime;
}

void TRecurrence::RescheduleAfterRun(TTaskData &task)
{
    if (task.RepeatTask) {
        TDateTime next = 0;
        QString why;
        if (TryNextEventTime(task, Clock::Now(), Clock::UtcOffsetSeconds(), next, &why)) {
            task.EventDateTime = next;
            task.Scheduled = ScheduledTime(task);
            task.Delivered = false;
        } else {
            // Firing it again at every pass would be worse than finishing it.
            LogWarning(QStringLiteral("Reminder ") + TitleOf(task) + QStringLiteral(" has no next occurrence (") + why
                       + QStringLiteral("); marked completed."));
            task.Delivered = true;
        }
    } else {
        task.Delivered = true;
    }
    task.NewScheduleCalculated = true;
}

TDateTime TRecurrence::SnoozeStep(int n, TSnoozeType unit, TDateTime x)
{
    // The snooze units are the first five step units, in the same order.
    return unit <= stMonths ? StepBy(TStepUnit(unit), n, x) : x;
}

TDateTime TRecurrence::NextSnoozeTime(const TTaskData &task, int n, TSnoozeType unit)
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

TDateTime TRecurrence::PresetStep(int p, int n, TDateTime x)
{
    // Presets 0..5 are minutes .. years, the step units' order.
    return p >= 0 && p <= int(TStepUnit::Years) ? StepBy(TStepUnit(p), n, x) : x;
}

TDateTime TRecurrence::PresetFromNow(int p, int n)
{
    int y, m, d, h, mi, s, ms;
    DecodeDateTime(Clock::Now(), y, m, d, h, mi, s, ms);
    return PresetStep(p, n, EncodeDateTime(y, m, d, h, mi, 0, 0));
}

TDateTime TRecurrence::PresetBeforeEvent(const TTaskData &task, int p, int n)
{
    return PresetStep(p, Negated(n), task.EventDateTime);
}

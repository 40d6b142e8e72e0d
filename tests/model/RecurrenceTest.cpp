#include "model/Recurrence.h"
#include "model/ScheduleMath.h"
#include "model/TaskList.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/Records.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>

using namespace TestRecords;
using TestSupport::CapturedLog;
using TestSupport::PinnedClock;

namespace {

// The next occurrence exactly as the rule is written: one step per round from
// the stored event, until a step lies after now on a weekday that is not
// excluded. Gives up after maxAfterNow rounds past now.
bool PlainNextEvent(const TTaskData &t, TDateTime now, TDateTime &out, long maxAfterNow = 25000)
{
    auto step = [&t](TDateTime x) {
        const int f = t.RepeatNFactor;
        switch (t.RepeatRule) {
        case 0: return NextWeekday(f, x);
        case 1: return NextMonthOfYear(f, x);
        case 2: return AddDays(f, x);
        case 3: return AddWeeks(f, x);
        case 4: return AddMonths(f, x);
        case 5: return AddYears(f, x);
        case 6: return AddHours(f, x);
        case 7: return AddMinutes(f, x);
        }
        return x;
    };
    TDateTime x = t.EventDateTime;
    long afterNow = 0;
    do {
        x = step(x);
        if (!IsValidDateTime(x) || (x > now && ++afterNow > maxAfterNow))
            return false;
    } while (now >= x || t.IsWeekdayExcluded(DayOfTheWeek(x)));
    out = x;
    return true;
}

TDateTime Next(const TTaskData &t, TDateTime now)
{
    TDateTime next = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(TRecurrence::TryNextEventTime(t, now, next));
    return next;
}

} // namespace

TEST(NextEvent, WeeklyOnMondayNeverGivesTheSameDay)
{
    const TDateTime monday = At(2024, 5, 13, 10);
    TTaskData t = Repeating(srWeekday, 1, monday);
    EXPECT_EQ(Next(t, monday), At(2024, 5, 20, 10));
    EXPECT_EQ(Next(t, At(2024, 5, 12)), At(2024, 5, 20, 10)); // even when now is before the event
    EXPECT_EQ(Next(t, At(2024, 6, 4, 12)), At(2024, 6, 10, 10));
}

TEST(NextEvent, MonthlyFromThe31stCarriesTheClampingForward)
{
    TTaskData t = Repeating(srMonths, 1, At(2009, 1, 31, 10));
    EXPECT_EQ(Next(t, At(2009, 2, 1)), At(2009, 2, 28, 10));
    EXPECT_EQ(Next(t, At(2009, 3, 1)), At(2009, 3, 28, 10));
    EXPECT_EQ(Next(t, At(2009, 8, 1)), At(2009, 8, 28, 10));
    TTaskData leap = Repeating(srMonths, 1, At(2008, 1, 31, 10));
    EXPECT_EQ(Next(leap, At(2008, 2, 1)), At(2008, 2, 29, 10));
    EXPECT_EQ(Next(leap, At(2008, 3, 1)), At(2008, 3, 29, 10));
    TTaskData thirty = Repeating(srMonths, 1, At(2009, 3, 31, 10));
    EXPECT_EQ(Next(thirty, At(2009, 5, 1)), At(2009, 5, 30, 10));
}

TEST(NextEvent, YearlyMonthRuleFrom31January2009)
{
    TTaskData t = Repeating(srMonthOfYear, 1, At(2009, 1, 31, 9));
    EXPECT_EQ(Next(t, At(2009, 2, 1)), At(2010, 1, 28, 9));
    TTaskData years = Repeating(srYears, 1, At(2008, 2, 29, 9));
    EXPECT_EQ(Next(years, At(2008, 3, 1)), At(2009, 2, 28, 9));
    EXPECT_EQ(Next(years, At(2011, 3, 1)), At(2012, 2, 28, 9)); // stays on the 28th
}

TEST(NextEvent, HalfHourlyReminderSkipsTheExcludedWeekend)
{
    const TDateTime friday = At(2024, 5, 17, 23, 30);
    ASSERT_EQ(DayOfTheWeek(friday), 5);
    TTaskData t = Repeating(srMinutes, 30, friday);
    t.ExcludeSaturday = true;
    t.ExcludeSunday = true;
    const TDateTime next = Next(t, At(2024, 5, 18, 9));
    EXPECT_TRUE(SameDateTime(next, At(2024, 5, 20, 0, 0)))
        << FormatDateTime("dd.mm.yyyy hh:mm:ss.zzz", next).toStdString();
    EXPECT_EQ(DayOfTheWeek(next), 1);
}

TEST(NextEvent, IsStrictlyAfterNow)
{
    const TDateTime event = At(2024, 5, 15, 10);
    TTaskData t = Repeating(srMinutes, 30, event);
    const TDateTime step1 = AddMinutes(30, event);
    EXPECT_EQ(Next(t, step1), AddMinutes(30, step1));
    EXPECT_EQ(Next(t, step1 - OneMillisecond), step1);
    TTaskData daily = Repeating(srDays, 1, event);
    EXPECT_EQ(Next(daily, event + 3), event + 4);
}

TEST(Reschedule, PreWarningAfterRunMayAlreadyBePast)
{
    PinnedClock clock(At(2024, 5, 15, 10, 0, 30));
    TTaskData t = Repeating(srHours, 2, At(2024, 5, 15, 10));
    t.PreWarning = true;
    t.PreWarningRule = srHours;
    t.PreWarningNFactor = 3;
    t.Scheduled = At(2024, 5, 15, 7);
    t.InService = true;
    t.HasRun = 4;
    t.LastRun = At(2024, 5, 15, 7);
    t.Delivered = true;
    TTaskData before = t;
    TRecurrence::RescheduleAfterRun(t);
    EXPECT_TRUE(SameDateTime(t.EventDateTime, At(2024, 5, 15, 12)));
    EXPECT_EQ(t.Scheduled, AddHours(-3, t.EventDateTime));
    EXPECT_LT(t.Scheduled, Clock::Now()); // fires again at the next pass
    EXPECT_FALSE(t.Delivered);
    EXPECT_TRUE(t.NewScheduleCalculated);
    // Nothing else changes.
    before.EventDateTime = t.EventDateTime;
    before.Scheduled = t.Scheduled;
    before.Delivered = false;
    before.NewScheduleCalculated = true;
    EXPECT_EQ(t.ToBytes(), before.ToBytes());
}

TEST(Reschedule, OneTimeReminderIsDeliveredAndKeepsItsTimes)
{
    PinnedClock clock(At(2024, 5, 15, 10, 0, 30));
    TTaskData t = Alarm(QStringLiteral("once"), At(2024, 5, 15, 10));
    t.RepeatRule = srDays;
    t.RepeatNFactor = 1;
    t.InService = true;
    TTaskData before = t;
    TRecurrence::RescheduleAfterRun(t);
    EXPECT_TRUE(t.Delivered);
    EXPECT_TRUE(t.NewScheduleCalculated);
    EXPECT_EQ(t.EventDateTime, At(2024, 5, 15, 10));
    EXPECT_EQ(t.Scheduled, At(2024, 5, 15, 10));
    before.Delivered = true;
    before.NewScheduleCalculated = true;
    EXPECT_EQ(t.ToBytes(), before.ToBytes());
}

TEST(Snooze, FollowsTheGridOfTheScheduledTime)
{
    TTaskData t = Alarm(QStringLiteral("snooze"), At(2024, 5, 15, 10));
    {
        PinnedClock clock(At(2024, 5, 15, 10, 7));
        EXPECT_TRUE(SameDateTime(TRecurrence::NextSnoozeTime(t, 5, stMinutes), At(2024, 5, 15, 10, 10)));
    }
    {
        PinnedClock clock(At(2024, 5, 15, 10, 2));
        EXPECT_TRUE(SameDateTime(TRecurrence::NextSnoozeTime(t, 5, stMinutes), At(2024, 5, 15, 10, 5)));
    }
    {
        // On a grid point exactly: the next one.
        PinnedClock clock(AddMinutes(5, t.Scheduled));
        EXPECT_EQ(TRecurrence::NextSnoozeTime(t, 5, stMinutes), AddMinutes(5, AddMinutes(5, t.Scheduled)));
    }
    {
        PinnedClock clock(At(2024, 5, 15, 9));
        EXPECT_EQ(TRecurrence::NextSnoozeTime(t, 1, stHours), AddHours(1, t.Scheduled)); // at least one step
    }
    {
        PinnedClock clock(At(2024, 7, 20, 12));
        EXPECT_EQ(TRecurrence::NextSnoozeTime(t, 1, stWeeks), At(2024, 7, 24, 10));
        EXPECT_EQ(TRecurrence::NextSnoozeTime(t, 2, stDays), At(2024, 7, 22, 10));
        EXPECT_EQ(TRecurrence::NextSnoozeTime(t, 1, stMonths), At(2024, 8, 15, 10));
    }
    EXPECT_EQ(TRecurrence::SnoozeStep(3, stWeeks, At(2024, 1, 1)), At(2024, 1, 22));
    EXPECT_EQ(TRecurrence::SnoozeStep(1, stMonths, At(2024, 1, 31)), At(2024, 2, 29));
}

TEST(Snooze, AYearOfMissedGridPointsGivesTheStepByStepResult)
{
    TTaskData t = Alarm(QStringLiteral("snooze"), At(2023, 5, 15, 10, 0, 17));
    PinnedClock clock(At(2024, 5, 15, 14, 7, 45));
    TDateTime x = t.Scheduled;
    do
        x = AddMinutes(5, x);
    while (Clock::Now() >= x);
    EXPECT_EQ(TRecurrence::NextSnoozeTime(t, 5, stMinutes), x);
}

TEST(Presets, CountFromThePresentMinute)
{
    PinnedClock clock(At(2024, 5, 15, 14, 7, 45, 500));
    EXPECT_EQ(TRecurrence::PresetFromNow(0, 15), AddMinutes(15, At(2024, 5, 15, 14, 7)));
    EXPECT_TRUE(SameDateTime(TRecurrence::PresetFromNow(0, 15), At(2024, 5, 15, 14, 22)));
    EXPECT_TRUE(SameDateTime(TRecurrence::PresetFromNow(1, 10), At(2024, 5, 16, 0, 7)));
    EXPECT_EQ(TRecurrence::PresetFromNow(4, 9), At(2025, 2, 15, 14, 7));
    EXPECT_EQ(TRecurrence::PresetFromNow(6, 1), At(2024, 5, 15, 14, 7)); // unknown unit: no step
}

TEST(Presets, CountBackFromTheEvent)
{
    TTaskData t = Alarm(QStringLiteral("event"), At(2024, 3, 31, 9, 30));
    EXPECT_TRUE(SameDateTime(TRecurrence::PresetBeforeEvent(t, 1, 10), At(2024, 3, 30, 23, 30)));
    EXPECT_EQ(TRecurrence::PresetBeforeEvent(t, 3, 1), At(2024, 3, 24, 9, 30));
    EXPECT_EQ(TRecurrence::PresetBeforeEvent(t, 4, 1), At(2024, 2, 29, 9, 30));
    EXPECT_EQ(TRecurrence::PresetBeforeEvent(t, 5, 1), At(2023, 3, 31, 9, 30));
    EXPECT_EQ(TRecurrence::PresetBeforeEvent(t, 9, 1), t.EventDateTime);
}

TEST(PreWarning, EveryUnitAndUnknownOnes)
{
    TTaskData t = Alarm(QStringLiteral("lead"), At(2024, 3, 31, 9, 30));
    t.PreWarning = true;
    t.PreWarningNFactor = 1;
    const TDateTime e = t.EventDateTime;
    const std::pair<int, TDateTime> cases[] = {{srDays, e - 1},
                                               {srWeeks, e - 7},
                                               {srMonths, At(2024, 2, 29, 9, 30)},
                                               {srYears, At(2023, 3, 31, 9, 30)},
                                               {srHours, AddHours(-1, e)},
                                               {srMinutes, AddMinutes(-1, e)},
                                               {srWeekday, e},
                                               {srMonthOfYear, e},
                                               {9, e}};
    for (const auto &[rule, expected] : cases) {
        t.PreWarningRule = uint8_t(rule);
        EXPECT_EQ(TRecurrence::ScheduledTime(t), expected) << "rule " << rule;
    }
    t.PreWarning = false;
    t.PreWarningRule = srDays;
    EXPECT_EQ(TRecurrence::ScheduledTime(t), e);
}

// Records no editor makes, as stored or imported files may carry them: every
// calculation ends, with no next occurrence, and the reschedule completes them.
TEST(BrokenRecords, HaveNoNextOccurrenceAndEnd)
{
    PinnedClock clock(At(2024, 5, 15, 12));
    const TDateTime event = At(2024, 5, 13, 10); // a Monday
    struct Case {
        const char *name;
        TTaskData task;
    };
    std::vector<Case> cases;
    {
        TTaskData t = Repeating(srDays, 1, event);
        for (int d = 1; d <= 7; ++d)
            t.SetWeekdayExcluded(d, true);
        cases.push_back({"all seven weekdays excluded", t});
    }
    cases.push_back({"day factor 0", Repeating(srDays, 0, event)});
    cases.push_back({"minute factor -5", Repeating(srMinutes, -5, event)});
    cases.push_back({"month factor 0", Repeating(srMonths, 0, event)});
    cases.push_back({"weekday 0", Repeating(srWeekday, 0, event)});
    cases.push_back({"weekday 9", Repeating(srWeekday, 9, event)});
    cases.push_back({"month 13", Repeating(srMonthOfYear, 13, event)});
    cases.push_back({"month -1", Repeating(srMonthOfYear, -1, event)});
    cases.push_back({"rule 8", Repeating(8, 1, event)});
    cases.push_back({"rule 255", Repeating(255, 1, event)});
    {
        TTaskData t = Repeating(srWeekday, 1, event);
        t.ExcludeMonday = true;
        cases.push_back({"weekly rule on an excluded weekday", t});
    }
    {
        // Every step lands on a Monday, which is excluded; only the bound ends it.
        TTaskData t = Repeating(srDays, 7, event);
        t.ExcludeMonday = true;
        cases.push_back({"every 7 days on an excluded weekday", t});
    }
    {
        TTaskData t = Repeating(srHours, 168, event);
        t.ExcludeMonday = true;
        cases.push_back({"every 168 hours on an excluded weekday", t});
    }
    {
        TTaskData t = Repeating(srYears, 400, event);
        t.ExcludeMonday = true;
        cases.push_back({"every 400 years on an excluded weekday", t});
    }
    cases.push_back({"event not a number", Repeating(srMinutes, 1, std::numeric_limits<double>::quiet_NaN())});
    cases.push_back({"event infinite", Repeating(srDays, 1, std::numeric_limits<double>::infinity())});
    cases.push_back({"event beyond 9999", Repeating(srDays, 1, 1e300)});
    cases.push_back({"monthly at the end of the calendar", Repeating(srMonths, 1, At(9999, 12, 31, 10))});

    for (Case &c : cases) {
        SCOPED_TRACE(c.name);
        CapturedLog log;
        TDateTime next = 0;
        QString why;
        EXPECT_FALSE(TRecurrence::TryNextEventTime(c.task, Clock::Now(), next, &why));
        EXPECT_FALSE(why.isEmpty());

        TTaskData t = c.task;
        const QByteArray before = t.ToBytes();
        if (std::isfinite(t.EventDateTime)) { // NaN compares unequal to itself
            EXPECT_EQ(TRecurrence::NextEventTime(t), t.EventDateTime);
        }
        TRecurrence::RescheduleAfterRun(t);
        EXPECT_TRUE(t.Delivered);
        EXPECT_TRUE(t.NewScheduleCalculated);
        EXPECT_EQ(t.ToBytes().mid(24, 16), before.mid(24, 16)); // EventDateTime and Scheduled kept
        EXPECT_TRUE(log.AnyStartsWith(QStringLiteral("Warning: Reminder \"repeating\" has no next occurrence")));
    }
}

TEST(BrokenRecords, SnoozeWithAnInvalidCountOrUnitStillMovesForward)
{
    PinnedClock clock(At(2024, 5, 15, 10, 7));
    CapturedLog log;
    TTaskData t = Alarm(QStringLiteral("snooze"), At(2024, 5, 15, 10));
    EXPECT_EQ(TRecurrence::NextSnoozeTime(t, 0, stMinutes), TRecurrence::NextSnoozeTime(t, 1, stMinutes));
    EXPECT_EQ(TRecurrence::NextSnoozeTime(t, -4, stHours), AddHours(1, t.Scheduled));
    EXPECT_EQ(TRecurrence::NextSnoozeTime(t, 5, TSnoozeType(9)), TRecurrence::NextSnoozeTime(t, 5, stMinutes));
    EXPECT_TRUE(log.AnyStartsWith(QStringLiteral("Warning: Snooze of 0 units")));
    EXPECT_EQ(TRecurrence::SnoozeStep(5, TSnoozeType(9), t.Scheduled), t.Scheduled);

    // A Scheduled that is no date counts from now.
    t.Scheduled = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(TRecurrence::NextSnoozeTime(t, 5, stMinutes), AddMinutes(5, Clock::Now()));
}

TEST(NextEvent, EveryMinuteAYearBackGivesTheStepByStepResult)
{
    const TDateTime now = At(2024, 5, 15, 14, 7, 45, 250);
    TTaskData t = Repeating(srMinutes, 1, At(2023, 5, 15, 14, 7, 13));
    TDateTime plain = 0;
    ASSERT_TRUE(PlainNextEvent(t, now, plain));
    EXPECT_EQ(Next(t, now), plain);
    t.ExcludeSaturday = true;
    t.ExcludeSunday = true;
    const TDateTime saturday = At(2024, 5, 18, 9);
    ASSERT_TRUE(PlainNextEvent(t, saturday, plain));
    EXPECT_EQ(Next(t, saturday), plain);
    EXPECT_EQ(DayOfTheWeek(plain), 1);
}

// The fast walk against the step-by-step walk on many random records: same
// value to the last bit. The spans cross the exponent boundaries of the
// date-time doubles (1944, 1989, 2079), 30 December 1899 and dates before it.
TEST(NextEvent, FastWalkEqualsThePlainWalkOnRandomRecords)
{
    std::mt19937_64 rng(20240515);
    auto uniform = [&rng](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const double anchors[] = {16384.0, 32768.0, 65536.0, 0.0, -3000.0, 45000.0, 131072.0};

    int compared = 0;
    for (int n = 0; n < 1500; ++n) {
        const int rule = pick(0, 7);
        int factor = 1;
        double span = 0; // days between event and now
        switch (rule) {
        case srWeekday:
            factor = pick(1, 7);
            span = uniform(-10, 3000);
            break;
        case srMonthOfYear:
            factor = pick(1, 12);
            span = uniform(-400, 20000);
            break;
        case srDays:
            factor = pick(1, 40);
            span = uniform(-50, 20000);
            break;
        case srWeeks:
            factor = pick(1, 8);
            span = uniform(-50, 20000);
            break;
        case srMonths:
            factor = pick(1, 30);
            span = uniform(-100, 20000);
            break;
        case srYears:
            factor = pick(1, 5);
            span = uniform(-400, 30000);
            break;
        case srHours:
            factor = pick(1, 3) == 1 ? 168 : pick(1, 60);
            span = uniform(-5, 3000);
            break;
        case srMinutes:
            factor = pick(1, 4) == 1 ? pick(1, 3) : pick(1, 2000);
            span = uniform(-1, factor < 4 ? 60 : 400);
            break;
        }
        const double anchor = anchors[pick(0, 6)];
        // Events around an anchor, with any time of day and seconds.
        const TDateTime event = std::trunc(anchor + uniform(-span - 3, 3)) + (anchor < 0 ? -1 : 1) * uniform(0, 0.999);
        if (!IsValidDateTime(event))
            continue;
        TTaskData t = Repeating(uint8_t(rule), factor, event);
        const int excluded = pick(0, 4) == 0 ? 0 : pick(0, 6);
        for (int k = 0; k < excluded; ++k)
            t.SetWeekdayExcluded(pick(1, 7), true);
        if (t.ExcludedWeekdayCount() == 7)
            t.ExcludeMonday = false;
        if (rule == srWeekday && t.IsWeekdayExcluded(factor))
            t.SetWeekdayExcluded(factor, false);
        const TDateTime now = event + span + uniform(0, 1);

        TDateTime plain = 0, fast = 0;
        const bool plainFound = PlainNextEvent(t, now, plain);
        const bool fastFound = TRecurrence::TryNextEventTime(t, now, fast);
        if (!plainFound) {
            // Only a rule that cannot reach a free weekday gets here.
            EXPECT_FALSE(fastFound) << "case " << n;
            continue;
        }
        ASSERT_TRUE(fastFound) << "case " << n << " rule " << rule << " factor " << factor << " event " << event;
        ASSERT_EQ(fast, plain) << "case " << n << " rule " << rule << " factor " << factor << " event " << event
                               << " now " << now;
        ++compared;
    }
    EXPECT_GT(compared, 1300);
}

// Summer time in Berlin: 31 Mar 2024 02:00 -> 03:00, 27 Oct 2024 03:00 -> 02:00.
namespace {
const char *const kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr int kWinter = 3600;
constexpr int kSummer = 7200;

struct TDstCase {
    const char *Name;
    uint8_t Rule;
    int Factor;
    TDateTime Event;
    TDateTime Now;
    int NowOffset;
    TDateTime Expected;
};
} // namespace

TEST(NextEvent, HoursAndMinutesStepInRealTimeAcrossSummerTimeDaysKeepTheirWallClock)
{
    TestSupport::ScopedTimeZone zone(kBerlin);
    const auto autumn = [](int h, int mi) { return At(2024, 10, 27, h, mi); };
    const auto spring = [](int h, int mi) { return At(2024, 3, 31, h, mi); };
    const TDstCase cases[] = {
        {"hourly 02:45 summer -> 02:45 winter", srHours, 1, autumn(2, 45), autumn(2, 46), kSummer, autumn(2, 45)},
        {"hourly 02:45 winter -> 03:45", srHours, 1, autumn(2, 45), autumn(2, 46), kWinter, autumn(3, 45)},
        {"hourly 01:45 summer -> 02:45 summer", srHours, 1, autumn(1, 45), autumn(1, 46), kSummer, autumn(2, 45)},
        {"30 min 02:45 summer -> 02:15 winter", srMinutes, 30, autumn(2, 45), autumn(2, 46), kSummer, autumn(2, 15)},
        {"30 min 02:15 winter -> 02:45 winter", srMinutes, 30, autumn(2, 15), autumn(2, 16), kWinter, autumn(2, 45)},
        {"30 min 02:45 winter -> 03:15", srMinutes, 30, autumn(2, 45), autumn(2, 46), kWinter, autumn(3, 15)},
        {"90 min 01:30 summer -> 02:00 winter", srMinutes, 90, autumn(1, 30), autumn(1, 31), kSummer, autumn(2, 0)},
        {"daily 09:00 stays 09:00", srDays, 1, At(2024, 10, 26, 9, 0), At(2024, 10, 26, 9, 1), kSummer, autumn(9, 0)},
        {"hourly 01:30 -> 03:30 summer", srHours, 1, spring(1, 30), spring(1, 31), kWinter, spring(3, 30)},
        {"30 min 01:45 -> 03:15 summer", srMinutes, 30, spring(1, 45), spring(1, 46), kWinter, spring(3, 15)},
        {"hourly from the skipped 02:30 -> 04:30", srHours, 1, spring(2, 30), spring(3, 31), kSummer, spring(4, 30)},
        {"daily 02:30 keeps the skipped wall time", srDays, 1, At(2024, 3, 30, 2, 30), At(2024, 3, 30, 3, 0), kWinter,
         spring(2, 30)},
        // Months of one-minute steps taken in jumps: the grid stays in real time.
        {"every 7 min from January to July", srMinutes, 7, At(2024, 1, 1, 0, 0), At(2024, 7, 1, 12, 0), kSummer,
         At(2024, 7, 1, 12, 5)},
    };
    for (const TDstCase &c : cases) {
        TDateTime next = 0;
        ASSERT_TRUE(TRecurrence::TryNextEventTime(Repeating(c.Rule, c.Factor, c.Event), c.Now, c.NowOffset, next))
            << c.Name;
        // Within a second: months of steps gather milliseconds of rounding.
        EXPECT_LT(std::fabs(next - c.Expected), OneSecond) << c.Name << ": got " << DateTimeToStr(next).toStdString();
    }
}

TEST(ScheduledTimeReached, ComparesInstantsAcrossSummerTime)
{
    TestSupport::ScopedTimeZone zone(kBerlin);
    const auto autumn = [](int h, int mi) { return At(2024, 10, 27, h, mi); };
    // Just rescheduled in the first pass of the repeated hour to its second pass.
    TTaskData hourly = Repeating(srHours, 1, autumn(2, 45));
    hourly.LastRun = autumn(2, 45) + OneSecond;
    EXPECT_FALSE(TRecurrence::IsScheduledTimeReached(hourly, autumn(2, 47), kSummer));
    EXPECT_FALSE(TRecurrence::IsScheduledTimeReached(hourly, autumn(2, 30), kWinter));
    EXPECT_TRUE(TRecurrence::IsScheduledTimeReached(hourly, autumn(2, 46), kWinter));
    // Last run an hour before: the time is reached in the first pass already.
    hourly.LastRun = autumn(1, 45);
    EXPECT_FALSE(TRecurrence::IsScheduledTimeReached(hourly, autumn(2, 44), kSummer));
    EXPECT_TRUE(TRecurrence::IsScheduledTimeReached(hourly, autumn(2, 46), kSummer));
    // A wall time the spring change skips comes as late as it lies into the gap.
    const TTaskData skipped = Repeating(srDays, 1, At(2024, 3, 31, 2, 30));
    EXPECT_FALSE(TRecurrence::IsScheduledTimeReached(skipped, At(2024, 3, 31, 3, 29), kSummer));
    EXPECT_TRUE(TRecurrence::IsScheduledTimeReached(skipped, At(2024, 3, 31, 3, 31), kSummer));
    // Across the change, an hour of the clock is not an hour of time.
    const TTaskData winter = Repeating(srDays, 1, autumn(3, 15));
    EXPECT_FALSE(TRecurrence::IsScheduledTimeReached(winter, autumn(2, 30), kSummer));
}

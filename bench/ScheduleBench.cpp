// Long schedule walks: the reminder every minute last due a year ago, and the
// other rules over long spans, against the plain step-by-step walk.
#include "model/ScheduleMath.h"
#include "model/TaskData.h"
#include "scheduler/TaskScheduler.h"
#include "tests/fakes/FakeClock.h"

#include <benchmark/benchmark.h>

namespace {

const TDateTime kNow = EncodeDateTime(2024, 5, 15, 14, 7, 45, 0);

TTaskData Repeating(uint8_t rule, int factor, TDateTime event)
{
    TTaskData t;
    t.Taskkind = tkAlarm;
    t.RepeatTask = true;
    t.RepeatRule = rule;
    t.RepeatNFactor = factor;
    t.EventDateTime = event;
    t.Scheduled = event;
    return t;
}

void RunNextEvent(benchmark::State &state, const TTaskData &task)
{
    Clock::Pin(kNow);
    for (auto _ : state) {
        TDateTime next = 0;
        benchmark::DoNotOptimize(TRecurrence::TryNextEventTime(task, kNow, next));
        benchmark::DoNotOptimize(next);
    }
    Clock::Unpin();
}

void BM_NextEventTime_EveryMinute_YearBack(benchmark::State &state)
{
    RunNextEvent(state, Repeating(srMinutes, 1, kNow - 365.0));
}
BENCHMARK(BM_NextEventTime_EveryMinute_YearBack);

// The Part's walk, one AddMinutes per round, for comparison.
void BM_PlainWalk_EveryMinute_YearBack(benchmark::State &state)
{
    for (auto _ : state) {
        TDateTime x = kNow - 365.0;
        do
            x = AddMinutes(1, x);
        while (kNow >= x);
        benchmark::DoNotOptimize(x);
    }
}
BENCHMARK(BM_PlainWalk_EveryMinute_YearBack)->Unit(benchmark::kMillisecond);

void BM_NextEventTime_EveryMinute_WeekendExcluded(benchmark::State &state)
{
    TTaskData t = Repeating(srMinutes, 1, kNow - 365.0);
    t.ExcludeSaturday = true;
    t.ExcludeSunday = true;
    // Now on a Saturday morning: the walk crosses the weekend minute by minute.
    Clock::Pin(kNow);
    const TDateTime saturday = EncodeDateTime(2024, 5, 18, 9, 0, 0, 0);
    for (auto _ : state) {
        TDateTime next = 0;
        benchmark::DoNotOptimize(TRecurrence::TryNextEventTime(t, saturday, next));
    }
    Clock::Unpin();
}
BENCHMARK(BM_NextEventTime_EveryMinute_WeekendExcluded);

void BM_NextEventTime_EveryMinute_FromYear1(benchmark::State &state)
{
    RunNextEvent(state, Repeating(srMinutes, 1, EncodeDateTime(1, 1, 2, 10, 0, 0, 0)));
}
BENCHMARK(BM_NextEventTime_EveryMinute_FromYear1);

void BM_NextEventTime_Hourly_TenYearsBack(benchmark::State &state)
{
    RunNextEvent(state, Repeating(srHours, 1, kNow - 3652.0));
}
BENCHMARK(BM_NextEventTime_Hourly_TenYearsBack);

void BM_NextEventTime_Weekday_From1900(benchmark::State &state)
{
    RunNextEvent(state, Repeating(srWeekday, 3, EncodeDateTime(1900, 1, 1, 8, 0, 0, 0)));
}
BENCHMARK(BM_NextEventTime_Weekday_From1900);

void BM_NextEventTime_Monthly_FromYear1(benchmark::State &state)
{
    RunNextEvent(state, Repeating(srMonths, 1, EncodeDateTime(1, 1, 31, 8, 0, 0, 0)));
}
BENCHMARK(BM_NextEventTime_Monthly_FromYear1)->Unit(benchmark::kMillisecond);

void BM_NextEventTime_MonthOfYear_FromYear1(benchmark::State &state)
{
    RunNextEvent(state, Repeating(srMonthOfYear, 2, EncodeDateTime(1, 1, 31, 8, 0, 0, 0)));
}
BENCHMARK(BM_NextEventTime_MonthOfYear_FromYear1)->Unit(benchmark::kMillisecond);

void BM_NextSnoozeTime_FiveMinutes_YearBack(benchmark::State &state)
{
    TTaskData t = Repeating(srDays, 1, kNow - 365.0);
    Clock::Pin(kNow);
    for (auto _ : state)
        benchmark::DoNotOptimize(TRecurrence::NextSnoozeTime(t, 5, stMinutes));
    Clock::Unpin();
}
BENCHMARK(BM_NextSnoozeTime_FiveMinutes_YearBack);

} // namespace

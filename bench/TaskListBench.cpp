// Sorting a list of 10,000 reminders by each order.
#include "model/TaskList.h"

#include <benchmark/benchmark.h>
#include <random>

namespace {

void Fill(TTaskList &list, int n)
{
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> date(40000.0, 50000.0);
    std::uniform_int_distribution<int> runs(0, 500);
    std::uniform_int_distribution<int> letter(0, 51);
    const char *letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int i = 0; i < n; ++i) {
        TTaskData t;
        t.Taskkind = tkAlarm;
        QString title;
        for (int k = 0; k < 12; ++k)
            title += QLatin1Char(letters[letter(rng)]);
        t.Title.Set(title);
        t.Scheduled = date(rng);
        t.EventDateTime = date(rng);
        t.Created = date(rng);
        t.LastRun = date(rng);
        t.HasRun = runs(rng);
        list.AddTask(t);
    }
}

template <void (TTaskList::*Sort)()>
void BM_Sort10000(benchmark::State &state)
{
    TTaskList list;
    Fill(list, 10000);
    for (auto _ : state) {
        // Each round sorts the other way, so it never starts from a sorted list.
        list.SetAscending(!list.Ascending());
        (list.*Sort)();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Sort10000<&TTaskList::SortByTitle>)->Name("BM_Sort10000/Title")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort10000<&TTaskList::SortByScheduled>)->Name("BM_Sort10000/Scheduled")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort10000<&TTaskList::SortByEventDateTime>)
    ->Name("BM_Sort10000/EventDateTime")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort10000<&TTaskList::SortByCreated>)->Name("BM_Sort10000/Created")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort10000<&TTaskList::SortByHasRun>)->Name("BM_Sort10000/HasRun")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort10000<&TTaskList::SortByLastRun>)->Name("BM_Sort10000/LastRun")->Unit(benchmark::kMillisecond);

} // namespace

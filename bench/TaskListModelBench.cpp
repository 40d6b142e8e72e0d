// The Reminders window's rows over 10,000 reminders: opening (sort, rows and
// the first screen of cell texts), switching the filter, choosing a sort
// order, and redrawing after one record changed.
#include "bench/BenchLists.h"
#include "tests/fakes/FakeClock.h"
#include "ui/TaskListModel.h"

#include <benchmark/benchmark.h>

namespace {

const TDateTime kNow = EncodeDateTime(2024, 5, 15, 14, 7, 45, 0);
constexpr int kReminders = 10000;
constexpr int kScreenRows = 40; // what a maximised Details view shows at once

// The cell texts a view asks for when it paints the first screen.
void PaintFirstScreen(const TTaskListModel &model)
{
    const int rows = std::min(model.rowCount(), kScreenRows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < TaskColumnCount; ++c)
            benchmark::DoNotOptimize(model.index(r, c).data());
    benchmark::DoNotOptimize(model.CountStatusText());
}

TTaskListSettings AllReminders()
{
    TTaskListSettings s;
    s.Filter = tfAll;
    return s;
}

void BM_TaskListModel_Open10000(benchmark::State &state)
{
    Clock::Pin(kNow);
    TTaskList list;
    BenchLists::Fill(list, kNow, kReminders);
    TTaskListSettings settings = AllReminders();
    for (auto _ : state) {
        // Each round sorts the other way, so it never starts from a sorted list.
        settings.Ascending = !settings.Ascending;
        TTaskListModel model(list, nullptr);
        model.Open(settings);
        PaintFirstScreen(model);
    }
    Clock::Unpin();
}
BENCHMARK(BM_TaskListModel_Open10000)->Unit(benchmark::kMillisecond);

void BM_TaskListModel_SwitchFilter10000(benchmark::State &state)
{
    Clock::Pin(kNow);
    TTaskList list;
    BenchLists::Fill(list, kNow, kReminders);
    TTaskListModel model(list, nullptr);
    model.Open(AllReminders());
    bool all = true;
    for (auto _ : state) {
        // All and Completed: the two filters that show the most rows.
        all = !all;
        model.ChooseFilter(all ? tfAll : tfCompleted);
        PaintFirstScreen(model);
    }
    Clock::Unpin();
}
BENCHMARK(BM_TaskListModel_SwitchFilter10000)->Unit(benchmark::kMillisecond);

void BM_TaskListModel_SwitchSort10000(benchmark::State &state)
{
    Clock::Pin(kNow);
    TTaskList list;
    BenchLists::Fill(list, kNow, kReminders);
    TTaskListModel model(list, nullptr);
    model.Open(AllReminders());
    int order = 0;
    for (auto _ : state) {
        order = (order + 1) % TaskSortCount;
        model.ChooseSortOrder(order);
        PaintFirstScreen(model);
    }
    Clock::Unpin();
}
BENCHMARK(BM_TaskListModel_SwitchSort10000)->Unit(benchmark::kMillisecond);

void BM_TaskListModel_RefreshOneRecord10000(benchmark::State &state)
{
    Clock::Pin(kNow);
    TTaskList list;
    BenchLists::Fill(list, kNow, kReminders);
    TTaskListModel model(list, nullptr);
    model.Open(AllReminders());
    // A record near the end of the rows: the longest search for its row.
    TTaskData &task = *model.TaskAt(model.rowCount() - 2);
    for (auto _ : state) {
        task.HasRun += 1;
        benchmark::DoNotOptimize(model.RefreshTask(&task));
        benchmark::DoNotOptimize(model.index(model.rowCount() - 2, tcHasRun).data());
    }
    Clock::Unpin();
}
BENCHMARK(BM_TaskListModel_RefreshOneRecord10000)->Unit(benchmark::kMicrosecond);

} // namespace

// The Reminders window itself over 10,000 reminders (offscreen): opening it
// until its first screen is painted, switching the filter and the sort order,
// and the refresh another window asks for after one record changed.
#include "bench/BenchLists.h"
#include "scheduler/ActionContext.h"
#include "tests/fakes/FakeClock.h"
#include "ui/TaskListFrm.h"

#include <QApplication>
#include <QPixmap>
#include <benchmark/benchmark.h>

namespace {

const TDateTime kNow = EncodeDateTime(2024, 5, 15, 14, 7, 45, 0);
constexpr int kReminders = 10000;

struct FormBench {
    TTaskList List;
    TActionContext Actions;
    FormBench()
    {
        Clock::Pin(kNow);
        BenchLists::Fill(List, kNow, kReminders);
        Actions.List = &List;
    }
    ~FormBench() { Clock::Unpin(); }
    // Shown and painted once, in the Details view under the All filter.
    TTaskListForm *Open(int style = vsDetails)
    {
        TTaskListSetup s;
        s.Actions = &Actions;
        auto *form = new TTaskListForm(std::move(s));
        form->SetViewStyle(style);
        form->ChooseFilter(tfAll);
        form->show();
        benchmark::DoNotOptimize(form->grab());
        return form;
    }
};

void BM_TaskListForm_Open10000(benchmark::State &state)
{
    FormBench b;
    for (auto _ : state) {
        TTaskListForm *form = b.Open(int(state.range(0)));
        state.PauseTiming();
        delete form;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TaskListForm_Open10000)->Arg(vsLargeIcons)->Arg(vsDetails)->Unit(benchmark::kMillisecond);

void BM_TaskListForm_SwitchFilter10000(benchmark::State &state)
{
    FormBench b;
    std::unique_ptr<TTaskListForm> form(b.Open());
    int filter = 0;
    for (auto _ : state) {
        form->ChooseFilter(filter);
        benchmark::DoNotOptimize(form->grab());
        filter = (filter + 1) % TaskFilterCount;
    }
}
BENCHMARK(BM_TaskListForm_SwitchFilter10000)->Unit(benchmark::kMillisecond);

void BM_TaskListForm_SwitchSort10000(benchmark::State &state)
{
    FormBench b;
    std::unique_ptr<TTaskListForm> form(b.Open());
    int order = 0;
    for (auto _ : state) {
        form->ChooseSortOrder(order);
        benchmark::DoNotOptimize(form->grab());
        order = (order + 1) % TaskSortCount;
    }
}
BENCHMARK(BM_TaskListForm_SwitchSort10000)->Unit(benchmark::kMillisecond);

void BM_TaskListForm_RefreshAfterOneChange10000(benchmark::State &state)
{
    FormBench b;
    std::unique_ptr<TTaskListForm> form(b.Open());
    form->SelectRow(5);
    for (auto _ : state) {
        form->SelectedTask()->Enabled = !form->SelectedTask()->Enabled;
        form->RefreshTaskList();
    }
}
BENCHMARK(BM_TaskListForm_RefreshAfterOneChange10000)->Unit(benchmark::kMillisecond);

} // namespace

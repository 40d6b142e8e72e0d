// The Reminders window's rows over 10,000 reminders: opening (sort, rows and
// the first screen of cell texts), switching the filter, choosing a sort
// order, and redrawing after one record changed.
#include "tests/fakes/FakeClock.h"
#include "ui/TaskListModel.h"

#include <benchmark/benchmark.h>
#include <random>

namespace {

const TDateTime kNow = EncodeDateTime(2024, 5, 15, 14, 7, 45, 0);
constexpr int kReminders = 10000;
constexpr int kScreenRows = 40; // what a maximised Details view shows at once

// Reminders around now: past and completed ones, the next weeks, every kind
// of action, some suspended, some repeating, some with a pre-warning.
void Fill(TTaskList &list)
{
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> offset(-60.0, 60.0);
    std::uniform_int_distribution<int> coin(0, 99);
    std::uniform_int_distribution<int> letter(0, 25);
    for (int i = 0; i < kReminders; ++i) {
        TTaskData t;
        t.Taskkind = coin(rng) < 10 ? tkAutomatedTask : tkAlarm;
        QString title;
        for (int k = 0; k < 16; ++k)
            title += QLatin1Char(char('a' + letter(rng)));
        t.Title.Set(title);
        t.EventDateTime = kNow + offset(rng);
        t.Scheduled = t.EventDateTime;
        if (coin(rng) < 20) {
            t.PreWarning = true;
            t.Scheduled = t.EventDateTime - 1;
        }
        t.RepeatTask = coin(rng) < 30;
        t.RepeatRule = uint8_t(coin(rng) % 8);
        t.RepeatNFactor = 1 + coin(rng) % 7;
        t.PlaySound = coin(rng) < 50;
        t.PopupNote = coin(rng) < 70;
        t.SendEmail = coin(rng) < 10;
        t.RunProgram = t.Taskkind == tkAutomatedTask;
        t.Enabled = coin(rng) >= 5;
        t.Visible = true;
        t.Delivered = t.EventDateTime < kNow && !t.RepeatTask;
        t.HasRun = t.Delivered ? 1 + coin(rng) % 5 : 0;
        t.LastRun = t.HasRun ? t.EventDateTime : 0;
        t.Created = kNow - 90 + offset(rng);
        list.AddTask(t);
    }
}

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
    Fill(list);
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
    Fill(list);
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
    Fill(list);
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
    Fill(list);
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

#pragma once
// The reminder lists the benchmarks work on.

#include "model/TaskList.h"

#include <random>

namespace BenchLists {

// Reminders around now: past and completed ones, the next weeks, every kind
// of action, some suspended, some repeating, some with a pre-warning.
inline void Fill(TTaskList &list, TDateTime now, int count)
{
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> offset(-60.0, 60.0);
    std::uniform_int_distribution<int> coin(0, 99);
    std::uniform_int_distribution<int> letter(0, 25);
    for (int i = 0; i < count; ++i) {
        TTaskData t;
        t.Taskkind = coin(rng) < 10 ? tkAutomatedTask : tkAlarm;
        QString title;
        for (int k = 0; k < 16; ++k)
            title += QLatin1Char(char('a' + letter(rng)));
        t.Title.Set(title);
        t.EventDateTime = now + offset(rng);
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
        t.Delivered = t.EventDateTime < now && !t.RepeatTask;
        t.HasRun = t.Delivered ? 1 + coin(rng) % 5 : 0;
        t.LastRun = t.HasRun ? t.EventDateTime : 0;
        t.Created = now - 90 + offset(rng);
        list.AddTask(t);
    }
}

} // namespace BenchLists

// Soak: popup notes fired by the scheduler and dismissed, one after another,
// the way a reminder that repeats every minute runs for months. After a
// warm-up (Qt's caches, the picture, the fonts), what the heap holds must not
// grow with the number of notes: the counter heap_bytes_per_note is the growth
// of the allocated heap over the measured notes, divided by their number, and
// stays near 0. A few bytes either way are the allocator's noise.
//
//   <build>/bin/brivane_bench --benchmark_filter=NoteSoak
//
// It runs offscreen unless QT_QPA_PLATFORM says otherwise (xcb under Xvfb
// shows the X11 side as well).
#include "core/vornLogFile.h"
#include "model/TaskList.h"
#include "platform/ResourceLibrary.h"
#include "platform/SoundPlayer.h"
#include "scheduler/ActionFactory.h"
#include "scheduler/PopupNoteFrm.h"
#include "scheduler/TaskScheduler.h"
#include "storage/GlobalPreferences.h"
#include "storage/vornStorage.h"
#include "tests/fakes/FakeClock.h"

#include <memory>
#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {

const TDateTime kStart = EncodeDateTime(2024, 5, 15, 9, 0, 0, 0);
constexpr double kMinute = 1.0 / 1440;
constexpr double kSecond = 1.0 / 86400;
constexpr int kWarmUpNotes = 300;

// Plays nothing and keeps nothing: the fake of the tests records every sound,
// which would grow with the notes itself.
class SilentPlayer : public ISoundPlayer {
public:
    void Play(const QString &) override { }
    void PlayDefault() override { }
    void Stop() override { }
};

size_t HeapInUse()
{
    // Returns freed blocks at the top of the heap first, so that the figure is
    // what is allocated and not what the allocator keeps around.
    malloc_trim(0);
    return mallinfo2().uordblks;
}

void ProcessEvents()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

struct NoteSoak {
    QTemporaryDir Dir;
    TvornLogFile LogFile{Dir.filePath(QStringLiteral("soak.log")), 3, 1, 1};
    std::unique_ptr<TvornLogFile::TRecording> Recording;
    SilentPlayer Player;
    TResourceLibrary Library;
    TPreferences Prefs;
    TTaskList List;
    TActionContext Context;
    // Each dismissal is written to a real store, as in the program.
    std::unique_ptr<TPalvaroStorage> Store;
    // The program's windows; only the last one made is remembered.
    struct TRememberingWindows final : IActionWindows {
        explicit TRememberingWindows(NoteSoak &soak)
            : Soak(soak)
            , Real(soak.Context)
        {
        }
        bool Open(TActionKind kind, int i, bool startAtOnce) override
        {
            TActionForm *form = Real.Create(kind);
            if (!form)
                return false;
            Soak.Last = form;
            StartActionWindow(*form, i, startAtOnce);
            return true;
        }
        NoteSoak &Soak;
        TActionWindowFactory Real;
    } Windows{*this};
    TTaskScheduler Scheduler{Context};
    TTaskList::TTaskRef Reminder;
    QPointer<TActionForm> Last;
    TDateTime Now = kStart;

    NoteSoak()
    {
        Recording = std::make_unique<TvornLogFile::TRecording>(LogFile);
        Clock::Pin(Now);
        // The program's own pictures, when the build made them.
        Library.Load(QCoreApplication::applicationDirPath() + QStringLiteral("/../Brivane/grresrep.rcc"));
        Context.List = &List;
        Context.Preferences = &Prefs;
        Context.Library = Library.IsLoaded() ? &Library : nullptr;
        Context.Sound = &Player;
        Context.ActionWindows = &Windows;
        TTaskData t;
        t.Taskkind = tkAlarm;
        t.Enabled = true;
        t.Visible = true;
        t.Title.Set(QStringLiteral("Stretch"));
        t.Notes1.Set(QStringLiteral("Stand up, walk around, drink some water."));
        t.EventDateTime = kStart + kMinute;
        t.Scheduled = t.EventDateTime;
        t.RepeatTask = true;
        t.RepeatRule = srMinutes;
        t.RepeatNFactor = 1;
        t.PopupNote = true;
        t.PlaySound = true;
        List.AddTask(t);
        QDir(Dir.path()).mkpath(QStringLiteral("Backup"));
        TStoreSetup setup;
        setup.Path = Dir.filePath(QStringLiteral("Brivane.dat"));
        Store = std::make_unique<TPalvaroStorage>(setup, List);
        Store->SaveStore();
        Store->OpenStore(); // reads the reminder back and adds the hourly backup reminder
        Context.Store = Store.get();
        for (int i = 0; i < List.Count(); ++i) {
            if (List.GetTask(i).Title.Get() == QStringLiteral("Stretch"))
                Reminder = List.SharedTask(i);
        }
    }
    ~NoteSoak()
    {
        ProcessEvents();
        Clock::Unpin();
        Recording.reset();
    }

    // The next minute: the scheduler fires the note, it is shown and painted,
    // then dismissed and gone.
    bool OneNote()
    {
        if (!Reminder)
            return false;
        Now = Reminder->Scheduled + kSecond;
        Clock::Pin(Now);
        Scheduler.TimerTick();
        auto *note = qobject_cast<TPopupNoteForm *>(Last.data());
        if (!note || !note->isVisible())
            return false;
        ProcessEvents();
        auto *dismiss = note->findChild<QPushButton *>(QStringLiteral("btnOK"));
        if (!dismiss)
            return false;
        dismiss->click();
        ProcessEvents();
        Store->SaveIfModified();
        return Last.isNull();
    }
};

void BM_NoteSoak_ShowAndDismiss(benchmark::State &state)
{
    NoteSoak soak;
    for (int i = 0; i < kWarmUpNotes; ++i) {
        if (!soak.OneNote()) {
            state.SkipWithError("the note was not shown or not closed");
            return;
        }
    }
    const size_t before = HeapInUse();
    for (auto _ : state) {
        if (!soak.OneNote()) {
            state.SkipWithError("the note was not shown or not closed");
            return;
        }
    }
    const double grown = double(HeapInUse()) - double(before);
    state.counters["heap_bytes_per_note"] = grown / double(state.iterations());
    state.counters["heap_kb"] = double(HeapInUse()) / 1024.0;
}
BENCHMARK(BM_NoteSoak_ShowAndDismiss)->Iterations(1500)->Unit(benchmark::kMillisecond);

} // namespace

// A program without windows that opens a reminder store the way the program
// does and lets the scheduler look at it: proof that the domain needs nothing
// above Qt Core.
//   domain_console <store> [add <n>]
// Opens (or, when missing, creates) the store, adds n alarms and saves when
// asked, runs one firing pass (no action windows: nothing due can open one),
// and prints how many reminders the list holds.

#include "core/Clock.h"
#include "model/TaskList.h"
#include "scheduler/ActionContext.h"
#include "scheduler/TaskScheduler.h"
#include "storage/vornStorage.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 && !(args.size() == 4 && args[2] == QLatin1String("add"))) {
        std::fprintf(stderr, "usage: domain_console <store> [add <n>]\n");
        return 2;
    }
    TStoreSetup setup;
    setup.Path = QFileInfo(args[1]).absoluteFilePath();
    setup.ProgramName = QStringLiteral("domain_console");
    TTaskList list;
    TPalvaroStorage store(setup, list);
    const TStoreOpening opening = store.OpenStore();
    if (opening.State != TStoreOpening::TState::Opened) {
        std::fprintf(stderr, "the store did not open (state %d)\n", int(opening.State));
        return 1;
    }
    if (args.size() == 4) {
        const int n = args[3].toInt();
        for (int i = 0; i < n; ++i) {
            TTaskData alarm;
            alarm.Taskkind = tkAlarm;
            alarm.Title.Set(QStringLiteral("alarm %1").arg(i + 1));
            alarm.Scheduled = alarm.EventDateTime = Clock::Now() + 1;
            alarm.Enabled = true;
            alarm.Visible = true;
            list.AddTask(alarm);
        }
        list.MarkModified();
        if (!store.SaveStore()) {
            std::fprintf(stderr, "the store could not be saved: %s\n", qPrintable(store.LastSaveError()));
            return 1;
        }
    }
    TActionContext context;
    context.List = &list;
    TTaskScheduler scheduler(context);
    scheduler.CheckDueTasks();
    std::printf("%d\n", list.Count());
    return 0;
}

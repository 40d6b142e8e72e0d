#include "app/TaskListWindow.h"

#include "app/AppContext.h"
#include "app/PalvaroApplication.h"
#include "app/hiddenfrm.h"
#include "core/vornLogFile.h"
#include "scheduler/TaskScheduler.h"
#include "ui/TaskListFrm.h"

#include <QPointer>

namespace TaskListWindow {

void Wire(TAppContext &c, Thddnorm &tray)
{
    auto window = std::make_shared<QPointer<TTaskListForm>>();
    tray.OpenTaskListWindow = [&c, &tray, window] {
        if (TTaskListForm *open = window->data()) {
            if (open->isMinimized())
                open->showNormal();
            open->show();
            open->raise();
            open->activateWindow();
            return;
        }
        TPalvaroApplication &app = *c.Environment;
        TTaskListServices s;
        s.Actions = &c.Actions;
        s.CopyBuffer = &c.CopyBuffer;
        s.Ini = c.Ini.get();
        s.ProgramName = app.ProgramName;
        s.BuildTypeText = app.BuildTypeText;
        s.LargeImages = &tray.LargeImages;
        s.SmallImages = &tray.SmallImages;
        s.ToolbarImages = &tray.ToolbarImages;
        s.ToolbarSmallImages = &tray.ToolbarSmallImages;
        s.LoadImages = [&tray] {
            tray.LoadTaskListImages();
            tray.LoadToolbarImages();
        };
        s.RunTaskNow = [&tray](int index) {
            if (tray.TaskScheduler())
                tray.TaskScheduler()->RunTaskNow(index);
        };
        s.OpenHelpPage = [&app](const QString &key) { app.OpenHelpPage(key); };
        s.SetLogLevel = [&app](bool enabled) { app.SetLogLevel(enabled); };
        s.TerminateApplication = [&app](const QString &reason) { app.TerminateApplication(reason); };
        s.OpenPreferences = [&tray](QWidget *) { tray.popPreferencesClick(); };
        s.RunNewReminderWizard = tray.RunNewReminderWizard;
        s.EditReminder = tray.EditReminder;
        auto *form = new TTaskListForm(std::move(s));
        *window = form;
        LogInfo(QStringLiteral("Reminders window opened"));
        form->show();
        form->raise();
        form->activateWindow();
    };
}

} // namespace TaskListWindow

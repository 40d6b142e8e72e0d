#include "app/AppWindows.h"

#include "app/AppContext.h"
#include "app/PalvaroApplication.h"
#include "app/UpdateCheck.h"
#include "app/hiddenfrm.h"
#include "core/vornLogFile.h"
#include "scheduler/TaskScheduler.h"
#include "ui/TaskFrm.h"
#include "ui/TaskListFrm.h"

#include <QPointer>

namespace AppWindows {

namespace {

void BringToFront(QWidget *w)
{
    if (w->isMinimized())
        w->showNormal();
    w->show();
    w->raise();
    w->activateWindow();
}

// tray: where the actions' pictures come from; none while it is being made.
TTaskFormServices WizardServices(TAppContext &c, Thddnorm *tray)
{
    TTaskFormServices s;
    s.Actions = &c.Actions;
    s.Ini = c.Ini.get();
    if (tray) {
        s.LargeImages = &tray->LargeImages;
        s.LoadImages = [tray] { tray->LoadTaskListImages(); };
    }
    s.ProductName = c.Environment->ProductName;
    return s;
}

} // namespace

void WireChangeSchedule(TAppContext &c, std::function<Thddnorm *()> tray)
{
    QObject::connect(&c.Actions.Windows, &TOpenWindows::ChangeScheduleRequested, &c.Actions.Windows,
                     [&c, tray](std::shared_ptr<TTaskData> task, std::function<void(bool)> done) {
                         TTaskForm::OpenEditReminder(WizardServices(c, tray()), std::move(task), true, nullptr,
                                                     std::move(done));
                     });
}

void Wire(TAppContext &c, Thddnorm &tray)
{
    auto window = std::make_shared<QPointer<TTaskListForm>>();
    // One new-reminder wizard at a time: asking again brings it forward. The
    // record joins the list whether or not the Reminders window is still open.
    tray.OpenNewReminderWizard = [&c, &tray, window](QWidget *owner) {
        if (TTaskForm *open = TTaskForm::OpenWizard()) {
            BringToFront(open);
            return;
        }
        TTaskForm::OpenNewReminderWizard(WizardServices(c, &tray), owner, [&c, window](const TTaskData &task) {
            TTaskData &added = c.TaskList.AddTask(task);
            c.TaskList.MarkModified();
            if (TTaskListForm *open = window->data())
                open->ShowAddedReminder(added);
        });
    };
    tray.EditReminder = [&c, &tray](std::shared_ptr<TTaskData> task, QWidget *owner) {
        if (TTaskForm *open = TTaskForm::OpenWizard()) {
            BringToFront(open);
            return;
        }
        TTaskForm::OpenEditReminder(WizardServices(c, &tray), std::move(task), false, owner);
    };
    tray.OpenAddReminderWizard = [&tray] { tray.OpenNewReminderWizard(nullptr); };
    tray.OpenTaskListWindow = [&c, &tray, window] {
        if (TTaskListForm *open = window->data()) {
            BringToFront(open);
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
        if (UpdateCheck::Available(c))
            s.CheckForUpdates = [&c] { UpdateCheck::Start(c); };
        s.OpenNewReminderWizard = tray.OpenNewReminderWizard;
        s.EditReminder = tray.EditReminder;
        auto *form = new TTaskListForm(std::move(s));
        *window = form;
        LogInfo(QStringLiteral("Reminders window opened"));
        BringToFront(form);
    };
}

} // namespace AppWindows

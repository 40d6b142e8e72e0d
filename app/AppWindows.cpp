#include "app/AppWindows.h"

#include "app/AppContext.h"
#include "app/PalvaroApplication.h"
#include "app/UpdateCheck.h"
#include "app/hiddenfrm.h"
#include "core/vornLogFile.h"
#include "scheduler/TaskScheduler.h"
#include "ui/TaskFrm.h"
#include "ui/TaskListFrm.h"
#include "ui/ToolTipTime.h"

#include <QCoreApplication>

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
        tray->LoadTaskListImages();
        s.LargeImages = &tray->LargeImages;
    }
    s.Windows = &c.Windows;
    s.ProductName = c.Environment->ProductName;
    return s;
}

// One wizard at a time: asking again brings the open one forward.
bool RaiseOpenWizard(TAppContext &c)
{
    TTaskForm *open = TTaskForm::OpenWizard(c.Windows);
    if (open)
        BringToFront(open);
    return open;
}

} // namespace

void WireChangeSchedule(TAppContext &c, std::function<Thddnorm *()> tray)
{
    QObject::connect(&c.Actions.Windows, &TOpenWindows::ChangeScheduleRequested, &c.Actions.Windows,
                     [&c, tray](std::shared_ptr<TTaskData> task, std::function<void(bool)> done) {
                         TTaskForm *wizard =
                             TTaskForm::EditReminder(WizardServices(c, tray()), std::move(task), true, nullptr);
                         if (done)
                             QObject::connect(wizard, &TTaskForm::EditFinished, wizard, std::move(done));
                         wizard->Open();
                     });
}

void Wire(TAppContext &c, Thddnorm &tray)
{
    if (QCoreApplication::instance())
        c.ToolTips = std::make_unique<TToolTipTime>(*QCoreApplication::instance(), c.Actions);
    // The record joins the list whether or not the Reminders window is still open.
    QObject::connect(&tray, &Thddnorm::NewReminderWizardRequested, &tray, [&c, &tray](QWidget *owner) {
        if (RaiseOpenWizard(c))
            return;
        TTaskForm *wizard = TTaskForm::NewReminder(WizardServices(c, &tray), owner);
        QObject::connect(wizard, &TTaskForm::ReminderAdded, wizard, [&c](const TTaskData &task) {
            TTaskData &added = c.TaskList.AddTask(task);
            c.TaskList.MarkModified();
            if (TTaskListForm *open = c.Windows.Find<TTaskListForm>())
                open->ShowAddedReminder(added);
        });
        wizard->Open();
    });
    QObject::connect(&tray, &Thddnorm::EditReminderRequested, &tray,
                     [&c, &tray](std::shared_ptr<TTaskData> task, QWidget *owner) {
        if (RaiseOpenWizard(c))
            return;
        TTaskForm::EditReminder(WizardServices(c, &tray), std::move(task), false, owner)->Open();
    });
    QObject::connect(&tray, &Thddnorm::AddReminderWizardRequested, &tray,
                     [&tray] { tray.OpenNewReminderWizard(nullptr); });
    QObject::connect(&tray, &Thddnorm::TaskListWindowRequested, &tray, [&c, &tray] {
        if (auto *open = c.Windows.Find<TTaskListForm>()) {
            BringToFront(open);
            return;
        }
        TPalvaroApplication &app = *c.Environment;
        tray.LoadTaskListImages();
        tray.LoadToolbarImages();
        TTaskListSetup s;
        s.Actions = &c.Actions;
        s.CopyBuffer = &c.CopyBuffer;
        s.Ini = c.Ini.get();
        s.ProgramName = app.ProgramName;
        s.BuildTypeText = app.BuildTypeText;
        s.LargeImages = &tray.LargeImages;
        s.SmallImages = &tray.SmallImages;
        s.ToolbarImages = &tray.ToolbarImages;
        s.ToolbarSmallImages = &tray.ToolbarSmallImages;
        s.CanCheckForUpdates = UpdateCheck::Available(c);
        auto *form = new TTaskListForm(std::move(s));
        c.Windows.Add(form);
        QObject::connect(form, &TTaskListForm::addReminderRequested, form,
                         [&tray, form] { tray.OpenNewReminderWizard(form); });
        QObject::connect(form, &TTaskListForm::editRequested, form,
                         [&tray, form](const TTaskList::TTaskRef &task) { tray.EditReminder(task, form); });
        QObject::connect(form, &TTaskListForm::runNowRequested, form, [&tray](int index) {
            if (tray.TaskScheduler())
                tray.TaskScheduler()->RunTaskNow(index);
        });
        QObject::connect(form, &TTaskListForm::helpRequested, form,
                         [&app](const QString &key) { app.OpenHelpPage(key); });
        QObject::connect(form, &TTaskListForm::logRequested, form, [&app](bool enabled) { app.SetLogLevel(enabled); });
        QObject::connect(form, &TTaskListForm::closeProgramRequested, form,
                         [&app](const QString &reason) { app.TerminateApplication(reason); });
        QObject::connect(form, &TTaskListForm::checkForUpdatesRequested, form, [&c] { UpdateCheck::Start(c); });
        QObject::connect(form, &TTaskListForm::preferencesRequested, &tray, &Thddnorm::popPreferencesClick);
        LogInfo(QStringLiteral("Reminders window opened"));
        BringToFront(form);
    });
}

} // namespace AppWindows

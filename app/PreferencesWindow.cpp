#include "app/PreferencesWindow.h"

#include "scheduler/SendemailActionFrm.h"

#include <QThread>
#include <memory>

#include "app/AppContext.h"
#include "app/PalvaroApplication.h"
#include "app/UpdateCheck.h"
#include "app/hiddenfrm.h"
#include "core/vornLogFile.h"
#include "platform/SystemHelpers.h"
#include "storage/GlobalPreferences.h"
#include "ui/PreferencesFrm.h"
#include "ui/TaskListFrm.h"
#include "ui/ToolTipTime.h"

#include <QApplication>

namespace PreferencesWindow {

namespace {

// The open Reminders window, if any.
TTaskListForm *OpenTaskList(const TAppContext &c)
{
    if (!c.Actions.Windows.TaskList)
        return nullptr;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *form = qobject_cast<TTaskListForm *>(w))
            return form;
    }
    return nullptr;
}

TPreferencesServices Services(TAppContext &c, Thddnorm &tray)
{
    TPalvaroApplication &app = *c.Environment;
    TPreferencesServices s;
    s.Actions = &c.Actions;
    s.Ini = c.Ini.get();
    s.ProgramName = app.ProgramName;
    s.Version = app.Version;
    s.BuildDate = app.BuildDate;
    s.Edition = app.Edition;
    s.AboutCredit = app.AboutCredit;
    s.ContactAddress = app.GetInternet(QStringLiteral("CONTACT-EMAIL"));
    s.WebPage = app.GetInternet(QStringLiteral("WEBPAGE"));
    s.PreferencesImages = &tray.PreferencesImages;
    s.LargeImages = &tray.LargeImages;
    s.LoadImages = [&tray] {
        tray.LoadPreferencesImages();
        tray.LoadTaskListImages();
    };
    s.RegisterHotKey = [&tray](int kind, QChar letter) { return tray.RegisterHotKeyFor(kind, letter); };
    s.WarnShortcutInUse = [&tray](QChar letter) { tray.WarnShortcutInUse(letter); };
    s.RunOnStartupExists = [&app] { return RunOnStartupExists(app.ProgramName); };
    s.SetRunOnStartup = [&app](bool on) { return SetRunOnStartup(app.ProgramName, app.ExeName(), on); };
    s.OpenHelpPage = [&app](const QString &key) { app.OpenHelpPage(key); };
    s.ComposeEmail = [&c](const QString &address, const QString &subject, const QString &body) {
        SendContactEmail(*c.Shell, c.Boxes.get(), address, subject, body);
    };
    s.OpenAddress = [&c](const QString &address) { OpenWithShell(*c.Shell, address); };
    s.SendTestEmail = [&c](const TTestEmailSettings &t, QWidget *owner,
                           std::function<void(const TTestEmailResult &)> done) {
        // The exchange may wait up to a minute per reply: it runs on a thread of
        // its own and answers through the event loop, so nothing waits for it.
        auto result = std::make_shared<TTestEmailResult>();
        const QString signature = c.Preferences ? c.Preferences->EmailSignature() : QString();
        IMailTransport *mail = c.Actions.Mail;
        QThread *worker = QThread::create([result, mail, signature, t] {
            result->Sent = TSendemailActionForm::SendTestEmail(mail, signature, t.From, t.Server, t.UserID, t.Password,
                                                               t.Authentication, &result->Error);
        });
        QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
        // The mail transport goes with the program: an end waits for the exchange.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, worker, [worker] { worker->wait(); });
        QObject::connect(worker, &QThread::finished, owner, [result, done = std::move(done)] { done(*result); });
        worker->start();
    };
    s.AfterOk = [&c, &tray] {
        // The hot key letters and the 12/24-hour clock show in the tray's texts.
        tray.RefreshTrayTexts();
        if (TTaskListForm *list = OpenTaskList(c)) {
            list->UpdateMenus();
            list->ApplyToolbarOptions();
            list->UpdateCaption();
            list->RefreshTaskList();
            list->ApplyListFont();
        }
    };
    if (UpdateCheck::Available(c))
        s.CheckForUpdates = [&c] { UpdateCheck::Start(c); };
    // The test e-mail comes with the e-mail action; until then its button only logs.
    return s;
}

} // namespace

void Wire(TAppContext &c, Thddnorm &tray)
{
    if (c.Preferences)
        SetToolTipDisplayTime(c.Preferences->TooltipDisplayTime());
    tray.OpenPreferencesWindow = [&c, &tray] {
        if (TPreferencesForm *open = TPreferencesForm::Instance()) {
            open->raise();
            open->activateWindow();
            open->ShowPage(TPreferencesForm::pgReflexes);
            return;
        }
        if (!c.Preferences)
            return;
        LogInfo(QStringLiteral("Preferences window opened"));
        // An open Reminders window waits for it, as it is the window's owner.
        TPreferencesForm::ShowPreferences(Services(c, tray), OpenTaskList(c));
    };
}

} // namespace PreferencesWindow

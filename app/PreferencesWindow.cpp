#include "app/PreferencesWindow.h"

#include "app/AppContext.h"
#include "app/PalvaroApplication.h"
#include "app/UpdateCheck.h"
#include "app/hiddenfrm.h"
#include "core/vornLogFile.h"
#include "platform/MessageBoxes.h"
#include "platform/Shell.h"
#include "platform/SystemHelpers.h"
#include "scheduler/MailMessage.h"
#include "storage/GlobalPreferences.h"
#include "ui/PreferencesFrm.h"
#include "ui/TaskListFrm.h"

#include <QApplication>
#include <QThread>
#include <memory>

namespace PreferencesWindow {

namespace {

// The hot keys through the tray front, the log-on entry through the desktop's
// autostart folder. Lives as long as the window it serves.
class TDesktopSide final : public QObject, public IPreferencesDesktop {
public:
    TDesktopSide(Thddnorm &tray, TPalvaroApplication &app)
        : FTray(tray)
        , FApp(app)
    {
    }
    bool RegisterHotKey(int kind, QChar letter) override { return FTray.RegisterHotKeyFor(kind, letter); }
    bool RunOnStartupExists() override { return ::RunOnStartupExists(FApp.ProgramName); }
    bool SetRunOnStartup(bool enable) override { return ::SetRunOnStartup(FApp.ProgramName, FApp.ExeName(), enable); }

private:
    Thddnorm &FTray;
    TPalvaroApplication &FApp;
};

// The open Reminders window; one already closed waits only for its deletion.
TTaskListForm *OpenTaskList(const TAppContext &c)
{
    return c.Actions.Windows.TaskList ? c.Windows.Find<TTaskListForm>() : nullptr;
}

TPreferencesSetup Setup(TAppContext &c, Thddnorm &tray, IPreferencesDesktop *desktop)
{
    TPalvaroApplication &app = *c.Environment;
    TPreferencesSetup s;
    s.Actions = &c.Actions;
    s.Desktop = desktop;
    s.Ini = c.Ini.get();
    s.ProgramName = app.ProgramName;
    s.Version = app.Version;
    s.BuildDate = app.BuildDate;
    s.Edition = app.Edition;
    s.AboutCredit = app.AboutCredit;
    s.ContactAddress = app.GetInternet(QStringLiteral("CONTACT-EMAIL"));
    s.WebPage = app.GetInternet(QStringLiteral("WEBPAGE"));
    s.CanCheckForUpdates = UpdateCheck::Available(c);
    tray.LoadPreferencesImages();
    tray.LoadTaskListImages();
    s.PreferencesImages = &tray.PreferencesImages;
    s.LargeImages = &tray.LargeImages;
    return s;
}

// The exchange may wait up to a minute per reply: it runs on a thread of its
// own and answers through the event loop, so nothing waits for it.
void SendTestEmail(TAppContext &c, TPreferencesForm *form, const TTestEmailSettings &t)
{
    auto result = std::make_shared<TTestEmailResult>();
    const QString signature = c.Preferences ? c.Preferences->EmailSignature() : QString();
    IMailTransport *mail = c.Actions.Mail;
    QThread *worker = QThread::create([result, mail, signature, t] {
        result->Sent = MailText::SendTestEmail(mail, signature, t.From, t.Server, t.UserID, t.Password,
                                                           t.Authentication, &result->Error);
    });
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    // The mail transport goes with the program: an end waits for the exchange.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, worker, [worker] { worker->wait(); });
    // A window closed meanwhile gets no answer.
    QObject::connect(worker, &QThread::finished, form, [form, result, t] { form->TestEmailAnswered(t, *result); });
    worker->start();
}

} // namespace

void Open(TAppContext &c, Thddnorm &tray)
{
    if (auto *open = c.Windows.Find<TPreferencesForm>()) {
        open->raise();
        open->activateWindow();
        open->ShowPage(TPreferencesForm::pgReflexes);
        return;
    }
    if (!c.Preferences || !c.Boxes)
        return;
    LogInfo(QStringLiteral("Preferences window opened"));
    TPalvaroApplication &app = *c.Environment;
    auto *desktop = new TDesktopSide(tray, app);
    // An open Reminders window waits for it, as it is the window's owner.
    auto *form = new TPreferencesForm(Setup(c, tray, desktop), OpenTaskList(c));
    desktop->setParent(form);
    c.Windows.Add(form);

    QObject::connect(form, &TPreferencesForm::preferencesSaved, &tray, [&c, &tray] {
        // The hot key letters and the 12/24-hour clock show in the tray's texts.
        tray.RefreshTrayTexts();
        if (TTaskListForm *list = OpenTaskList(c))
            list->PreferencesChanged();
    });
    QObject::connect(form, &TPreferencesForm::hotKeyRefused, &tray, &Thddnorm::WarnShortcutInUse);
    QObject::connect(form, &TPreferencesForm::sendTestEmailRequested, form,
                     [&c, form](const TTestEmailSettings &settings) { SendTestEmail(c, form, settings); });
    QObject::connect(form, &TPreferencesForm::helpRequested, form,
                     [&app](const QString &key) { app.OpenHelpPage(key); });
    QObject::connect(form, &TPreferencesForm::composeEmailRequested, form,
                     [&c](const QString &address, const QString &subject, const QString &body) {
                         SendContactEmail(*c.Shell, c.Boxes.get(), address, subject, body);
                     });
    QObject::connect(form, &TPreferencesForm::openAddressRequested, form,
                     [&c](const QString &address) { c.Shell->Open(address, QString(), QString()); });
    QObject::connect(form, &TPreferencesForm::checkForUpdatesRequested, form, [&c] { UpdateCheck::Start(c); });

    // Modal to its owner only, not to the whole program: reminders that fire
    // meanwhile, and the notices this window opens, must still take clicks.
    c.Boxes->OpenDialog(form, {});
}

void Wire(TAppContext &c, Thddnorm &tray)
{
    QObject::connect(&tray, &Thddnorm::PreferencesWindowRequested, &tray, [&c, &tray] { Open(c, tray); });
}

} // namespace PreferencesWindow

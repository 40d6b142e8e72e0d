#include "app/hiddenfrm.h"

#include "app/PalvaroApplication.h"
#include "core/Clock.h"
#include "core/EndRequest.h"
#include "core/MessageTypes.h"
#include "core/vornIniFile.h"
#include "core/vornLogFile.h"
#include "extras/InfoDlgFrm.h"
#include "model/TaskList.h"
#include "platform/MessageBoxes.h"
#include "platform/SessionEnd.h"
#include "platform/SystemHelpers.h"
#include "platform/Tray.h"
#include "scheduler/TaskScheduler.h"

#include <QApplication>
#include <QMenu>
#include <QTimer>

#include <algorithm>
#include <cmath>

Thddnorm::Thddnorm(TActionContext &actions, TPalvaroApplication *app, ISessionEndSource *sessionEnd, ITrayIcon *tray,
                   IHotKeys *hotKeys, QWidget *parent)
    : QWidget(parent)
    , TrayPopupMenu(new QMenu(this))
    , FActions(actions)
    , FApp(app)
    , FTray(tray)
    , FHotKeys(hotKeys)
{
    setObjectName(QStringLiteral("hddnorm"));
    setWindowTitle(QStringLiteral("Thddnorm"));

    // The captions come from WriteMenuCaptions: a tray that reads the menu
    // over D-Bus shows it as first exported, before any aboutToShow.
    popAddTask = TrayPopupMenu->addAction(QString());
    TrayPopupMenu->addSeparator();
    popTaskList = TrayPopupMenu->addAction(QString());
    TrayPopupMenu->addSeparator();
    popPreferences = TrayPopupMenu->addAction(tr("Preferences..."));
    popAbout = TrayPopupMenu->addAction(tr("About"));
    TrayPopupMenu->addSeparator();
    popCloseApplication = TrayPopupMenu->addAction(QString());
    TrayPopupMenu->setObjectName(QStringLiteral("TrayPopupMenu"));
    popAddTask->setObjectName(QStringLiteral("popAddTask"));
    popTaskList->setObjectName(QStringLiteral("popTaskList"));
    popPreferences->setObjectName(QStringLiteral("popPreferences"));
    popAbout->setObjectName(QStringLiteral("popAbout"));
    popCloseApplication->setObjectName(QStringLiteral("popCloseApplication"));
    TrayPopupMenuPopup();
    connect(TrayPopupMenu, &QMenu::aboutToShow, this, &Thddnorm::TrayPopupMenuPopup);
    connect(popAddTask, &QAction::triggered, this, &Thddnorm::popAddTaskClick);
    connect(popTaskList, &QAction::triggered, this, &Thddnorm::popTaskListClick);
    connect(popPreferences, &QAction::triggered, this, &Thddnorm::popPreferencesClick);
    connect(popAbout, &QAction::triggered, this, &Thddnorm::popAboutClick);
    connect(popCloseApplication, &QAction::triggered, this, &Thddnorm::popCloseApplicationClick);

    if (FHotKeys) {
        connect(FHotKeys, &IHotKeys::Pressed, this, &Thddnorm::OnHotKey);
        // The Reminders window's key first: it is the one that reaches the program.
        using R = IHotKeys::TResult;
        const auto list = FHotKeys->Register(kTaskListHotKey, HotKeyLetter(kTaskListHotKey));
        if (list == R::Registered)
            FBoundLetters[kTaskListHotKey] = HotKeyLetter(kTaskListHotKey).toUpper();
        const auto add = FHotKeys->Register(kAddTaskHotKey, HotKeyLetter(kAddTaskHotKey));
        if (add == R::Registered)
            FBoundLetters[kAddTaskHotKey] = HotKeyLetter(kAddTaskHotKey).toUpper();
        // A desktop without global keys (not X11) is no other program's doing: no warning.
        if (list == R::Unsupported || add == R::Unsupported)
            LogInfo(QStringLiteral("Hot keys are not available on this desktop"));
        WarnHotKeysInUse(add != R::Taken, list != R::Taken);
    }
    if (FTray) {
        // Opening an open window only brings it forward: an XEmbed tray's
        // click followed by its double click leaves one window in front.
        connect(FTray, &ITrayIcon::Activated, this, &Thddnorm::popTaskListClick);
        const QIcon picture = FActions.Library ? FActions.Library->Icon(QStringLiteral("APPICON")) : QIcon();
        const QIcon icon = picture.isNull() ? QApplication::windowIcon() : picture;
        FTrayShown = FTray->Show(
            icon, TrayToolTip(ProgramName(), FActions.List, FActions.Prefs().TimeFormatSuffix(), Clock::Now()),
            TrayPopupMenu);
        if (!FTrayShown)
            LogInfo(
                QStringLiteral("No notification area: the hot keys and starting the program again open its windows"));
        FDayTimer = new QTimer(this);
        FDayTimer->setSingleShot(true);
        connect(FDayTimer, &QTimer::timeout, this, &Thddnorm::RefreshTrayTexts);
        if (FActions.List)
            FListListener = FActions.List->AddModifiedListener([this] { RefreshTrayTexts(); });
        RefreshTrayTexts();
    }

    if (sessionEnd)
        connect(sessionEnd, &ISessionEndSource::QueryEndSession, this, &Thddnorm::QueryEndSession);
    // Last, once the window is wired: overdue reminders may fire right here.
    FTaskScheduler = new TTaskScheduler(FActions);
    FTaskScheduler->Start();
}

Thddnorm::~Thddnorm()
{
    if (FHotKeys) {
        FHotKeys->Unregister(kAddTaskHotKey);
        FHotKeys->Unregister(kTaskListHotKey);
        FBoundLetters.clear();
        disconnect(FHotKeys, nullptr, this, nullptr);
    }
    if (FTaskScheduler) {
        FTaskScheduler->Stop();
        delete FTaskScheduler;
        FTaskScheduler = nullptr;
    }
    if (FListListener && FActions.List)
        FActions.List->RemoveModifiedListener(FListListener);
    if (FTray) {
        FTray->Hide();
        disconnect(FTray, nullptr, this, nullptr);
    }
}

QString Thddnorm::ProgramName() const
{
    return FApp ? FApp->ProgramName : FActions.ProductName;
}

QChar Thddnorm::HotKeyLetter(int kind) const
{
    const TPreferences &p = FActions.Prefs();
    const int32_t code = kind == kAddTaskHotKey ? p.HotKey1() : p.HotKey2();
    return code > 0 && code < 0x10000 ? QChar(char16_t(code)) : QChar(u'?');
}

bool Thddnorm::RegisterHotKeyFor(int kind, QChar letter)
{
    if (!FHotKeys)
        return false;
    letter = letter.toUpper();
    const QChar earlier = FBoundLetters.value(kind);
    if (earlier == letter)
        return true;
    // A kind holds one key: a letter left behind would still open its window
    // and stay taken from every other program.
    FHotKeys->Unregister(kind);
    FBoundLetters.remove(kind);
    if (Bind(kind, letter))
        return true;
    // Refused: the earlier key keeps working rather than none at all.
    if (!earlier.isNull())
        Bind(kind, earlier);
    return false;
}

bool Thddnorm::Bind(int kind, QChar letter)
{
    if (FHotKeys->Register(kind, letter) != IHotKeys::TResult::Registered)
        return false;
    FBoundLetters[kind] = letter;
    return true;
}

void Thddnorm::WarnHotKeysInUse(bool addOk, bool listOk)
{
    if (addOk && listOk)
        return;
    QString keys, verb = QStringLiteral("is"), plural;
    if (!addOk)
        keys = QStringLiteral("Ctrl+Shift+") + HotKeyLetter(kAddTaskHotKey);
    if (!listOk) {
        if (keys.isEmpty()) {
            keys = QStringLiteral("Ctrl+Shift+") + HotKeyLetter(kTaskListHotKey);
        } else {
            keys += QStringLiteral(", Ctrl+Shift+") + HotKeyLetter(kTaskListHotKey);
            verb = QStringLiteral("are");
            plural = QStringLiteral("s");
        }
    }
    ShowInfoDialog(FActions, ProgramName() + QStringLiteral(" - Warning"),
                   tr("Hotkey%1 %2 %3 already in use by another application.\rYou can set another HotKey "
                      "combination from the \"General\" tab of the \"Preferences\" window.")
                       .arg(plural, keys, verb));
}

void Thddnorm::WarnShortcutInUse(QChar letter)
{
    if (FActions.Boxes)
        FActions.Boxes->Notice(tr("Shortcut key Ctrl+Shift+%1 is in use by another program operation\ror another "
                                  "application. Please try another key.")
                                   .arg(letter),
                               TMsgIcon::Warning);
}

namespace {

// The reminder the user waits for next: the earliest Scheduled among those
// that will still fire on their own.
const TTaskData *NextReminder(const TTaskList *list)
{
    if (!list)
        return nullptr;
    const TTaskData *next = nullptr;
    for (const TTaskList::TTaskRef &ref : list->Items()) {
        const TTaskData &t = *ref;
        if (t.Delivered || !t.Enabled || t.Taskkind == tkService || t.Taskkind == tkReserved
            || !IsValidDateTime(t.Scheduled))
            continue;
        if (!next || t.Scheduled < next->Scheduled)
            next = &t;
    }
    return next;
}

} // namespace

QString Thddnorm::TrayToolTip(const QString &programName, const TTaskList *list, const QString &timeSuffix,
                              TDateTime now)
{
    const QString text = tr("%1 - click to open the Reminders window").arg(programName);
    const TTaskData *next = NextReminder(list);
    if (!next)
        return text;
    const TDateTime day = std::floor(next->Scheduled), today = std::floor(now);
    const QString time = FormatDateTime(QStringLiteral("hh:mm") + timeSuffix, next->Scheduled);
    QString when;
    if (day == today)
        when = tr("today %1").arg(time);
    else if (day == today + 1)
        when = tr("tomorrow %1").arg(time);
    else
        when = FormatDateTime(QStringLiteral("ddd, d mmm yyyy hh:mm") + timeSuffix, next->Scheduled);
    return text + QLatin1Char('\n') + tr("Next: %1, %2").arg(next->Title.Get(), when);
}

void Thddnorm::RefreshTrayTexts()
{
    WriteMenuCaptions();
    if (!FTray)
        return;
    const TDateTime now = Clock::Now();
    FTray->SetToolTip(TrayToolTip(ProgramName(), FActions.List, FActions.Prefs().TimeFormatSuffix(), now));
    // "today" and "tomorrow" move on at midnight, and a date two days off
    // becomes "tomorrow".
    const TTaskData *next = NextReminder(FActions.List);
    if (FDayTimer && next && std::floor(next->Scheduled) <= std::floor(now) + 2) {
        const double msToMidnight = (std::floor(now) + 1 - now) * 86400000.0;
        FDayTimer->start(int(std::clamp(msToMidnight, 0.0, 86400000.0)) + 1000);
    } else if (FDayTimer) {
        FDayTimer->stop();
    }
}

void Thddnorm::WriteMenuCaptions()
{
    popAbout->setVisible(true);
    popCloseApplication->setText(tr("Close ") + ProgramName());
    popAddTask->setText(tr("Add a Reminder...  (Ctrl+Shift+%1)").arg(HotKeyLetter(kAddTaskHotKey)));
    popTaskList->setText(tr("Reminders...           (Ctrl+Shift+%1)").arg(HotKeyLetter(kTaskListHotKey)));
}

void Thddnorm::TrayPopupMenuPopup()
{
    WriteMenuCaptions();
    if (TraypopImages.Count() == 0 && FActions.Library) {
        LoadImage(*FActions.Library, TraypopImages, 0, QStringLiteral("TB16_12"));
        LoadImage(*FActions.Library, TraypopImages, 1, QStringLiteral("TB16_0"));
        LoadImage(*FActions.Library, TraypopImages, 2, QStringLiteral("TB16_13"));
    }
    if (TraypopImages.Count() > 0)
        popPreferences->setIcon(TraypopImages.Icon(0));
}

void Thddnorm::OnHotKey(int id)
{
    if (id == kAddTaskHotKey)
        popAddTaskClick();
    else if (id == kTaskListHotKey)
        popTaskListClick();
}

void Thddnorm::popAddTaskClick()
{
    if (Answered(&Thddnorm::AddReminderWizardRequested))
        emit AddReminderWizardRequested();
    else
        LogInfo(QStringLiteral("Add a Reminder asked for; the wizard is not part of this build"));
}

void Thddnorm::popTaskListClick()
{
    if (Answered(&Thddnorm::TaskListWindowRequested))
        emit TaskListWindowRequested();
    else
        LogInfo(QStringLiteral("Reminders window asked for; it is not part of this build"));
}

void Thddnorm::popPreferencesClick()
{
    if (Answered(&Thddnorm::PreferencesWindowRequested))
        emit PreferencesWindowRequested();
    else
        LogInfo(QStringLiteral("Preferences window asked for; it is not part of this build"));
}

void Thddnorm::popAboutClick()
{
    // The preferences window opens on its About page.
    if (FApp && FApp->Ini)
        FApp->Ini->WriteInteger(QStringLiteral("Preferences"), QStringLiteral("Tab"), 6);
    popPreferencesClick();
}

void Thddnorm::popCloseApplicationClick()
{
    FActions.MarkListModified();
    if (FActions.Preferences) {
        FActions.Preferences->SetLastRun(Clock::Now());
        LogInfo(QStringLiteral("Last run: ")
                + FormatDateTime(QStringLiteral("ddd, d mmm yyyy \"at\" hh:mm"), FActions.Preferences->LastRun()));
    }
    if (FApp)
        FApp->TerminateApplication(QStringLiteral("popCloseApplicationClick"));
}

void Thddnorm::OpenNewReminderWizard(QWidget *owner)
{
    emit NewReminderWizardRequested(owner);
}

void Thddnorm::EditReminder(std::shared_ptr<TTaskData> task, QWidget *owner)
{
    emit EditReminderRequested(std::move(task), owner);
}

void Thddnorm::LoadTaskListImages()
{
    if (LargeImages.Count() == 0 && FActions.Library) {
        LoadNumberedImages(*FActions.Library, LargeImages, 13, QStringLiteral("TL_"));
        LoadNumberedImages(*FActions.Library, SmallImages, 16, QStringLiteral("TL20_"));
    }
}

void Thddnorm::LoadToolbarImages()
{
    if (ToolbarImages.Count() == 0 && FActions.Library) {
        LoadNumberedImages(*FActions.Library, ToolbarImages, 18, QStringLiteral("TB_"));
        LoadNumberedImages(*FActions.Library, ToolbarSmallImages, 18, QStringLiteral("TB16_"));
    }
}

void Thddnorm::LoadPreferencesImages()
{
    if (PreferencesImages.Count() == 0 && FActions.Library)
        LoadNumberedImages(*FActions.Library, PreferencesImages, 10, QStringLiteral("P_"));
}

void Thddnorm::ShowRequested(int status)
{
    LogInfo(QStringLiteral("Show request from another copy, status %1").arg(status));
    if (status == 3)
        popTaskListClick();
    else if (status == 0x20000)
        popAboutClick();
}

void Thddnorm::QueryEndSession()
{
    RequestProgramEnd();
    FActions.MarkListModified();
    if (FApp)
        FApp->TerminateApplication(QStringLiteral("SessionEnd"));
}

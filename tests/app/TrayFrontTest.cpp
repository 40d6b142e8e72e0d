#include "app/PalvaroApplication.h"
#include "app/hiddenfrm.h"
#include "core/vornIniFile.h"
#include "extras/InfoDlgFrm.h"
#include "model/TaskList.h"
#include "scheduler/TaskScheduler.h"
#include "tests/fakes/FakeDesktopServices.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The tray front on fakes, with counters behind its three window entry points.
struct Front {
    explicit Front(const QString &takenLetters = QString(), bool unsupported = false)
    {
        hotKeys.Taken = takenLetters;
        hotKeys.Unsupported = unsupported;
        context.List = &list;
        context.Preferences = &prefs;
        TestSupport::WriteAll(dir.filePath("Brivane"), "");
        app = std::make_unique<TPalvaroApplication>(dir.filePath("Brivane"));
        ini = std::make_unique<TvornIniFile>(app->IniPath());
        app->Ini = ini.get();
        window = std::make_unique<Thddnorm>(context, app.get(), nullptr, &tray, &hotKeys);
        QObject::connect(window.get(), &Thddnorm::AddReminderWizardRequested, [this] { ++wizard; });
        QObject::connect(window.get(), &Thddnorm::TaskListWindowRequested, [this] { ++taskList; });
        QObject::connect(window.get(), &Thddnorm::PreferencesWindowRequested, [this] { ++preferences; });
    }
    ~Front()
    {
        window.reset();
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<TInfoDlgForm *>(w))
                delete w;
    }
    static QStringList Warnings()
    {
        QStringList texts;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<TInfoDlgForm *>(w))
                texts << d->findChild<QLabel *>("lblTitle")->text() + " | " + d->findChild<QLabel *>("lblText")->text();
        return texts;
    }

    QTemporaryDir dir;
    TTaskList list;
    TPreferences prefs;
    TActionContext context;
    FakeTrayIcon tray;
    FakeHotKeys hotKeys;
    std::unique_ptr<TPalvaroApplication> app;
    std::unique_ptr<TvornIniFile> ini;
    std::unique_ptr<Thddnorm> window;
    int wizard = 0, taskList = 0, preferences = 0;
};

const QString kTail = "already in use by another application.\nYou can set another HotKey combination from the "
                      "\"General\" tab of the \"Preferences\" window.";

} // namespace

namespace {

QStringList Captions(const QMenu *menu)
{
    QStringList captions;
    for (QAction *a : menu->actions())
        captions << (a->isSeparator() ? QString("-") : a->text());
    return captions;
}

TTaskData Reminder(const char *title, TDateTime scheduled)
{
    TTaskData t;
    t.Taskkind = tkToDoList;
    t.Title.Set(title);
    t.EventDateTime = t.Scheduled = scheduled;
    t.Enabled = true;
    t.Visible = true;
    return t;
}

} // namespace

TEST(TrayFront, MenuCaptionsAreRightBeforeTheMenuFirstOpensAndAtEveryOpening)
{
    Front f;
    EXPECT_TRUE(f.tray.Shown);
    EXPECT_EQ(f.tray.ToolTip, "Brivane - click to open the Reminders window");
    ASSERT_EQ(f.tray.Menu, f.window->findChild<QMenu *>("TrayPopupMenu"));
    // A tray that reads the menu over D-Bus shows it as it is now, unopened.
    const QStringList shown{"Add a Reminder...  (Ctrl+Shift+T)",
                            "-",
                            "Reminders...           (Ctrl+Shift+L)",
                            "-",
                            "Preferences...",
                            "About",
                            "-",
                            "Close Brivane"};
    EXPECT_EQ(Captions(f.tray.Menu), shown);
    emit f.tray.Menu->aboutToShow();
    EXPECT_EQ(Captions(f.tray.Menu), shown);
    f.prefs.SetHotKey1('K');
    emit f.tray.Menu->aboutToShow();
    EXPECT_EQ(f.tray.Menu->findChild<QAction *>("popAddTask")->text(), "Add a Reminder...  (Ctrl+Shift+K)");
    // The preferences' OK writes them too, with no opening in between.
    f.prefs.SetHotKey2('J');
    f.window->RefreshTrayTexts();
    EXPECT_EQ(f.tray.Menu->findChild<QAction *>("popTaskList")->text(), "Reminders...           (Ctrl+Shift+J)");
}

TEST(TrayFront, TooltipNamesTheNextReminderThatWillFireOnItsOwn)
{
    const TDateTime now = EncodeDateTime(2027, 4, 6, 22, 30, 0, 0); // a Tuesday
    const std::string head = "Brivane - click to open the Reminders window";
    auto tip = [&](const TTaskList &list, bool hours24) {
        return Thddnorm::TrayToolTip("Brivane", &list, hours24 ? QString() : QString(" ampm"), now).toStdString();
    };
    TTaskList list;
    EXPECT_EQ(tip(list, true), head);
    EXPECT_EQ(Thddnorm::TrayToolTip("Brivane", nullptr, QString(), now).toStdString(), head);

    // Left out: completed, suspended, the program's own, and an unset time.
    TTaskData done = Reminder("Done", now + 0.01);
    done.Delivered = true;
    TTaskData off = Reminder("Suspended", now + 0.02);
    off.Enabled = false;
    TTaskData moon = Reminder("Full moon", now + 0.03);
    moon.Taskkind = tkService;
    TTaskData unset = Reminder("Unset", std::nan(""));
    for (const TTaskData &t : {done, off, moon, unset})
        list.AddTask(t);
    EXPECT_EQ(tip(list, true), head);

    // The earliest of the rest, wherever it stands in the list.
    list.AddTask(Reminder("Holiday", EncodeDateTime(2027, 4, 8, 7, 5, 0, 0)));
    EXPECT_EQ(tip(list, true), head + "\nNext: Holiday, Thu, 8 Apr 2027 07:05");
    EXPECT_EQ(tip(list, false), head + "\nNext: Holiday, Thu, 8 Apr 2027 07:05 am");
    list.AddTask(Reminder("Dentist", EncodeDateTime(2027, 4, 7, 9, 0, 0, 0)));
    EXPECT_EQ(tip(list, true), head + "\nNext: Dentist, tomorrow 09:00");
    list.AddTask(Reminder("Pills", EncodeDateTime(2027, 4, 6, 23, 15, 0, 0)));
    EXPECT_EQ(tip(list, true), head + "\nNext: Pills, today 23:15");
    EXPECT_EQ(tip(list, false), head + "\nNext: Pills, today 11:15 pm");
}

TEST(TrayFront, TooltipFollowsEveryChangeOfTheListBesideTheStoresListener)
{
    TestSupport::PinnedClock clock(EncodeDateTime(2027, 4, 6, 8, 0, 0, 0));
    Front f;
    int saved = 0;
    f.list.OnModified = [&] { ++saved; }; // where the store's autosave listens
    f.prefs.SetTimeBase24hour(true);
    TTaskData &dentist = f.list.AddTask(Reminder("Dentist", EncodeDateTime(2027, 4, 7, 9, 0, 0, 0)));
    f.list.MarkModified();
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(f.tray.ToolTip, "Brivane - click to open the Reminders window\nNext: Dentist, tomorrow 09:00");
    dentist.Delivered = true;
    f.list.MarkModified();
    EXPECT_EQ(saved, 2);
    EXPECT_EQ(f.tray.ToolTip, "Brivane - click to open the Reminders window");

    // Gone with the window: later changes reach the store alone.
    f.window.reset();
    f.tray.ToolTip.clear();
    f.list.MarkModified();
    EXPECT_EQ(saved, 3);
    EXPECT_TRUE(f.tray.ToolTip.isEmpty());
}

TEST(TrayFront, HotKeysRegisterListFirstAndWarnOnceForWhatOthersHold)
{
    const struct {
        const char *taken;
        bool unsupported;
        QStringList warnings;
    } cases[] = {
        {"", false, {}},
        {"L", false, {"Brivane - Warning | Hotkey Ctrl+Shift+L is " + kTail}},
        {"T", false, {"Brivane - Warning | Hotkey Ctrl+Shift+T is " + kTail}},
        {"TL", false, {"Brivane - Warning | Hotkeys Ctrl+Shift+T, Ctrl+Shift+L are " + kTail}},
        {"", true, {}}, // a desktop without global keys: nobody else holds them
    };
    for (const auto &c : cases) {
        TestSupport::CapturedLog log;
        Front f(c.taken, c.unsupported);
        EXPECT_EQ(Front::Warnings(), c.warnings) << c.taken;
        if (!c.unsupported && QString(c.taken).isEmpty()) {
            EXPECT_EQ(f.hotKeys.Keys.value('T'), Thddnorm::kAddTaskHotKey);
            EXPECT_EQ(f.hotKeys.Keys.value('L'), Thddnorm::kTaskListHotKey);
        }
        EXPECT_EQ(log.Contains("Info: Hot keys are not available on this desktop"), c.unsupported) << c.taken;
    }
}

TEST(TrayFront, KeysTheIconAndASecondCopyReachTheWindows)
{
    Front f;
    EXPECT_TRUE(f.hotKeys.Press('t'));
    EXPECT_TRUE(f.hotKeys.Press('L'));
    emit f.tray.Activated();
    f.window->ShowRequested(3);
    f.window->ShowRequested(1); // other statuses do nothing
    EXPECT_EQ(f.wizard, 1);
    EXPECT_EQ(f.taskList, 3);
    EXPECT_EQ(f.preferences, 0);

    // A new letter for the add key releases the earlier one.
    EXPECT_TRUE(f.window->RegisterHotKeyFor(Thddnorm::kAddTaskHotKey, 'K'));
    EXPECT_TRUE(f.hotKeys.Press('K'));
    EXPECT_FALSE(f.hotKeys.Press('T'));
    EXPECT_EQ(f.wizard, 2);
    EXPECT_EQ(f.hotKeys.Keys, (QMap<QChar, int>{{'K', Thddnorm::kAddTaskHotKey}, {'L', Thddnorm::kTaskListHotKey}}));
    // Choosing the bound letter again keeps it.
    EXPECT_TRUE(f.window->RegisterHotKeyFor(Thddnorm::kAddTaskHotKey, 'k'));
    EXPECT_TRUE(f.hotKeys.Press('K'));
    // A refused letter leaves the earlier key working.
    f.hotKeys.Taken = "Q";
    EXPECT_FALSE(f.window->RegisterHotKeyFor(Thddnorm::kTaskListHotKey, 'Q'));
    EXPECT_TRUE(f.hotKeys.Press('L'));
    EXPECT_EQ(f.taskList, 4);
    EXPECT_EQ(f.hotKeys.Keys, (QMap<QChar, int>{{'K', Thddnorm::kAddTaskHotKey}, {'L', Thddnorm::kTaskListHotKey}}));

    // About opens the preferences on their About page; status 0x20000 is About too.
    f.tray.Menu->findChild<QAction *>("popAbout")->trigger();
    EXPECT_EQ(f.ini->ReadInteger("Preferences", "Tab", 0), 6);
    f.window->ShowRequested(0x20000);
    EXPECT_EQ(f.preferences, 2);

    // The window is gone: its keys are withdrawn.
    f.window.reset();
    EXPECT_TRUE(f.hotKeys.Keys.isEmpty());
    EXPECT_FALSE(f.tray.Shown);
}

TEST(TrayFront, CloseRecordsTheLastRunMarksTheListAndEndsInOrder)
{
    TestSupport::CapturedLog log;
    const TDateTime now = EncodeDateTime(2009, 2, 17, 10, 15, 0, 0);
    TestSupport::PinnedClock clock(now);
    Front f;
    f.tray.Menu->findChild<QAction *>("popCloseApplication")->trigger();
    EXPECT_EQ(f.prefs.LastRun(), now);
    EXPECT_EQ(f.list.ModifiedAt(), now);
    EXPECT_TRUE(log.Contains("Info: Last run: Tue, 17 Feb 2009 at 10:15"));
    EXPECT_TRUE(log.Contains("Info: TerminateApplication: popCloseApplicationClick"));
    EXPECT_TRUE(f.app->TerminateRequested());
}

TEST(TrayFront, WithoutANotificationAreaTheProgramRunsOnAndSaysSo)
{
    TestSupport::CapturedLog log;
    FakeTrayIcon none;
    none.HasArea = false;
    TTaskList list;
    TActionContext context;
    context.List = &list;
    Thddnorm window(context, nullptr, nullptr, &none, nullptr);
    EXPECT_FALSE(window.TrayShown());
    EXPECT_TRUE(window.TaskScheduler()->Running());
    EXPECT_TRUE(log.AnyStartsWith("Info: No notification area"));
}

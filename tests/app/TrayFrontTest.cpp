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
        window = std::make_unique<Thddnorm>(context, app.get(), nullptr, nullptr, &tray, &hotKeys);
        window->OpenAddReminderWizard = [this] { ++wizard; };
        window->OpenTaskListWindow = [this] { ++taskList; };
        window->OpenPreferencesWindow = [this] { ++preferences; };
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
                texts << d->lblTitle->text() + " | " + d->lblText->text();
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

TEST(TrayFront, MenuCaptionsAreWrittenAnewAtEveryOpening)
{
    Front f;
    EXPECT_TRUE(f.tray.Shown);
    EXPECT_EQ(f.tray.ToolTip, "Brivane - double click to open the Reminders window");
    EXPECT_EQ(f.tray.Menu, f.window->TrayPopupMenu);
    f.window->TrayPopupMenuPopup();
    QStringList captions;
    for (QAction *a : f.window->TrayPopupMenu->actions())
        captions << (a->isSeparator() ? QString("-") : a->text());
    EXPECT_EQ(captions, (QStringList{"Add a Reminder...  (Ctrl+Shift+T)", "-", "Reminders...           (Ctrl+Shift+L)",
                                     "-", "Preferences...", "About", "-", "Close Brivane"}));
    f.prefs.SetHotKey1('K');
    f.window->TrayPopupMenuPopup();
    EXPECT_EQ(f.window->popAddTask->text(), "Add a Reminder...  (Ctrl+Shift+K)");
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

TEST(TrayFront, KeysDoubleClickAndASecondCopyReachTheWindows)
{
    Front f;
    EXPECT_TRUE(f.hotKeys.Press('t'));
    EXPECT_TRUE(f.hotKeys.Press('L'));
    f.tray.OnDoubleClick();
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
    f.window->popAboutClick();
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
    f.window->popCloseApplicationClick();
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
    Thddnorm window(context, nullptr, nullptr, nullptr, &none, nullptr);
    EXPECT_FALSE(window.TrayShown());
    EXPECT_TRUE(window.TaskScheduler()->Running());
    EXPECT_TRUE(log.AnyStartsWith("Info: No notification area"));
}

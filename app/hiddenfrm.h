#pragma once
// The hidden main window and tray front: never shown. It puts the program's
// icon and menu into the notification area, owns the two hot keys
// Ctrl+Shift+letter, receives the second copy's signal and the end of the
// session, and owns the scheduler: made and started with the window (its start
// treats the missed reminders at once), stopped and freed with it. Without a
// notification area the hot keys and the second copy still reach it.

#include "model/TaskData.h"
#include "platform/ResourceLibrary.h"

#include <QMap>
#include <QMetaMethod>
#include <QWidget>
#include <memory>

class IHotKeys;
class ITrayIcon;
class QAction;
class QMenu;
class TPalvaroApplication;
class ISessionEndSource;
class TTaskList;
class TTaskScheduler;
class QTimer;
struct TActionContext;

class Thddnorm : public QWidget {
    Q_OBJECT
public:
    // Hot key ids: 10 adds a reminder, 11 opens the Reminders window.
    static constexpr int kAddTaskHotKey = 10;
    static constexpr int kTaskListHotKey = 11;

    // actions: what the scheduler works with; app: the environment, ended in
    // order when the session ends (none in tests that only watch the
    // scheduler); sessionEnd: where the end of the session comes from (none:
    // it never comes); tray and hotKeys: the desktop's, or fakes (none: no
    // tray, no hot keys).
    Thddnorm(TActionContext &actions, TPalvaroApplication *app, ISessionEndSource *sessionEnd,
             ITrayIcon *tray = nullptr, IHotKeys *hotKeys = nullptr, QWidget *parent = nullptr);
    ~Thddnorm() override;

    // A second copy asked the running one to show itself.
    void ShowRequested(int status);
    // The session is ending: save and end in order, without waiting for an
    // answer to any box.
    void QueryEndSession();

    // Binds Ctrl+Shift+letter to kind 10 or 11 in place of the kind's earlier
    // letter, which is released; false when the desktop refused the new one,
    // and then the earlier letter stays bound.
    bool RegisterHotKeyFor(int kind, QChar letter);
    void WarnHotKeysInUse(bool addOk, bool listOk);
    void WarnShortcutInUse(QChar letter);

    // The menu's commands (also reached from the Reminders window and a
    // second copy).
    void popAddTaskClick();
    void popTaskListClick();
    void popPreferencesClick();
    void popAboutClick();
    void popCloseApplicationClick();

    // The Add Reminder wizard as the Reminders window asks for it, modal to
    // owner only: a new record (added to the list on Finish), and editing a
    // listed one.
    void OpenNewReminderWizard(QWidget *owner);
    void EditReminder(std::shared_ptr<TTaskData> task, QWidget *owner);

    // The shared picture lists, filled on first use.
    TImageList TraypopImages{16, 16};
    TImageList LargeImages{32, 32};
    TImageList SmallImages{20, 20};
    TImageList ToolbarImages{24, 24};
    TImageList ToolbarSmallImages{16, 16};
    TImageList PreferencesImages{32, 32};
    void LoadTaskListImages();
    void LoadToolbarImages();
    void LoadPreferencesImages();

    // The program's scheduler ("Run now!" asks it to fire a reminder).
    TTaskScheduler *TaskScheduler() const { return FTaskScheduler; }
    bool TrayShown() const { return FTrayShown; }

    // The icon's tooltip: what a click does and, when there is one, the next
    // reminder due ("Next: Dentist, tomorrow 09:00"). Completed, suspended
    // and the program's own reminders are left out. timeSuffix is " ampm"
    // on a 12-hour clock.
    static QString TrayToolTip(const QString &programName, const TTaskList *list, const QString &timeSuffix,
                               TDateTime now);
    // Writes the menu's captions and the tooltip anew (the list, the hot key
    // letters or the time preference changed).
    void RefreshTrayTexts();

signals:
    // The windows the menu, the hot keys and a second copy open. The
    // application opens them; while nothing is connected the command only logs.
    void AddReminderWizardRequested();
    void TaskListWindowRequested();
    void PreferencesWindowRequested();
    void NewReminderWizardRequested(QWidget *owner);
    void EditReminderRequested(std::shared_ptr<TTaskData> task, QWidget *owner);

private:
    // The menu, its captions rewritten each time it opens (and written when
    // it is made: some trays read it before it first opens).
    QMenu *TrayPopupMenu;
    QAction *popAddTask;
    QAction *popTaskList;
    QAction *popPreferences;
    QAction *popAbout;
    QAction *popCloseApplication;
    void TrayPopupMenuPopup();

    // True when something opens the window the signal asks for.
    template <class Signal>
    bool Answered(Signal signal) const
    {
        return isSignalConnected(QMetaMethod::fromSignal(signal));
    }
    void OnHotKey(int id);
    bool Bind(int kind, QChar letter);
    QString ProgramName() const;
    QChar HotKeyLetter(int kind) const;
    void WriteMenuCaptions();

    TActionContext &FActions;
    TPalvaroApplication *FApp;
    ITrayIcon *FTray;
    IHotKeys *FHotKeys;
    QMap<int, QChar> FBoundLetters; // kind -> the letter grabbed for it
    TTaskScheduler *FTaskScheduler = nullptr;
    bool FTrayShown = false;
    int FListListener = 0;
    // Wakes the tooltip at midnight, when "tomorrow" becomes "today".
    QTimer *FDayTimer = nullptr;
};

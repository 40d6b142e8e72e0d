#pragma once
// The program-wide objects, made once at start-up in this order and freed in
// the reverse order at the end: the environment, the ini file, the log, the
// picture library, the preferences, the reminder list with its copy buffer,
// the store, and what writes the store soon after each change. Classes are
// given the ones they use when they are made.

#include "model/TaskList.h"
#include "platform/Trash.h"
#include "scheduler/ActionContext.h"
#include "storage/StoreAutoSave.h"
#include "ui/ToolTipTime.h"
#include "ui/WindowRegistry.h"

#include <memory>

class IActionWindows;
class IClockChangeSource;
class IHotKeys;
class IMailTransport;
class IMessageBoxes;
class ISoundPlayer;
namespace Shell {
class IShell;
}
class IPower;
class ITrayIcon;
class TPalvaroApplication;
class TPalvaroStorage;
class TPreferences;
class TResourceLibrary;
class TvornIniFile;
class TvornLogFile;

struct TAppContext {
    TAppContext();
    ~TAppContext();
    TAppContext(const TAppContext &) = delete;
    TAppContext &operator=(const TAppContext &) = delete;

    // The desktop's message boxes, first made and last freed: every module
    // may need to tell the user something, at start-up and at the end.
    std::unique_ptr<IMessageBoxes> Boxes;
    // The desktop's shell (programs, documents, addresses) and sound player.
    std::unique_ptr<Shell::IShell> Shell;
    std::unique_ptr<ISoundPlayer> Sound;
    std::unique_ptr<TPalvaroApplication> Environment;
    std::unique_ptr<TvornIniFile> Ini;
    std::unique_ptr<TvornLogFile> Log;
    std::unique_ptr<TResourceLibrary> Library;
    std::unique_ptr<TPreferences> Preferences;
    // Where the reminders deleted from TaskList go.
    std::unique_ptr<ITrash> Trash = Trash::CreateDesktopTrash();
    TTaskList TaskList{Trash.get()};
    TTaskList CopyBuffer;
    std::unique_ptr<TPalvaroStorage> Store;
    std::unique_ptr<TStoreAutoSave> AutoSave;
    // The login manager and the mail transport the action windows use, and
    // what tells the scheduler that the clock was set.
    std::unique_ptr<IPower> Power;
    std::unique_ptr<IMailTransport> Mail;
    std::unique_ptr<IClockChangeSource> ClockChanges;
    // What the scheduler and the action windows see of the above.
    TActionContext Actions;
    // The windows the scheduler opens for the fired reminders.
    std::unique_ptr<IActionWindows> ActionWindows;
    // The desktop's notification area and hot keys, made with the tray front.
    std::unique_ptr<ITrayIcon> Tray;
    std::unique_ptr<IHotKeys> HotKeys;
    // How long tooltips stay up (the preferences' time); freed first.
    std::unique_ptr<TToolTipTime> ToolTips;
    // The windows the program keeps one of (Reminders, the wizard,
    // Preferences, the hidden window), for finding the open one.
    TWindowRegistry Windows;
};

#pragma once
// What the scheduler and its action windows work with. The program's context
// fills one at start-up; a test fills one with what it needs.

#include "platform/Desktop.h"
#include "storage/GlobalPreferences.h"

#include <QString>
#include <functional>
#include <memory>

class IClockChangeSource;
class IMessageBoxes;
class ISoundPlayer;
namespace Shell {
class IShell;
}
class IMailTransport;
class IPower;
class TPalvaroStorage;
class TResourceLibrary;
class TSetSnoozeForm;
class TTaskList;
struct TTaskData;

// Top-left corner of the most recently placed popup note, shared by all notes.
struct TNoteCascade {
    int Top = 0;
    int Left = 0;
};

// The windows of the program that show the reminder list, as far as the
// action windows need to know: the list window refreshes after a change,
// unless the editor is open.
struct TOpenWindows {
    bool TaskList = false;
    bool TaskForm = false;
    bool Preferences = false;
    std::function<void()> RefreshTaskList;
    std::function<void()> SortTaskList; // the list window's current sort order
    void ListChanged() const;
};

struct TActionContext {
    TTaskList *List = nullptr;
    TPreferences *Preferences = nullptr;
    TPalvaroStorage *Store = nullptr; // saves and backups; none in most tests
    const TResourceLibrary *Library = nullptr; // the window pictures; none: plain windows
    Desktop::SoundFolders Sounds; // the user's own and the program's
    QString ProductName = QStringLiteral("Brivane");
    // The login manager (power actions, sleep notices) and the mail server's
    // transport; none: the requests fail and the mails are not sent.
    IPower *Power = nullptr;
    IMailTransport *Mail = nullptr;
    // Tells the scheduler the wall clock was set; none: the next pass notices.
    IClockChangeSource *ClockChanges = nullptr;
    // How the windows ask and tell the user; none: nothing is shown and every
    // question gets the answer that changes nothing.
    IMessageBoxes *Boxes = nullptr;
    // Starts programs and documents, and plays the sounds; none: nothing
    // starts (reported as a missing file) and nothing is heard.
    Shell::IShell *Shell = nullptr;
    ISoundPlayer *Sound = nullptr;
    TOpenWindows Windows;
    TNoteCascade Cascade;
    // Opens the editor's change-schedule mode on the record; done learns later
    // whether the user confirmed. Empty until an editor offers it; the note's
    // "Change schedule" link is disabled then.
    std::function<void(std::shared_ptr<TTaskData> task, std::function<void(bool changed)> done)> ChangeSchedule;
    // How the snooze dialog runs (modally); tests fill the fields and press buttons.
    std::function<int(TSetSnoozeForm &dialog)> RunSnoozeDialog;

    // The preferences, or the defaults when there are none.
    const TPreferences &Prefs() const;
    // Marks the list modified (when there is one) and refreshes its window.
    void MarkListModified() const;
};

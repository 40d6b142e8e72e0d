#pragma once
// What the scheduler and its action windows work with. The program's context
// fills one at start-up; a test fills one with what it needs.

#include "platform/Desktop.h"
#include "storage/GlobalPreferences.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class IActionWindows;
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
class TTaskList;
struct TTaskData;

// Top-left corner of the most recently placed popup note, shared by all notes.
struct TNoteCascade {
    int Top = 0;
    int Left = 0;
};

// The windows of the program that show the reminder list, as far as the
// action windows need to know: which are open, and what the list window and
// the editor are asked to do. The list window and the editor connect to the
// signals while they are open.
class TOpenWindows : public QObject {
    Q_OBJECT
public:
    bool TaskList = false;
    bool TaskForm = false;
    bool Preferences = false;

    // The list window refreshes after a change, unless the editor is open.
    void ListChanged();
    // Whether an editor offers the change-schedule mode; the note's "Change
    // schedule" link is disabled when none does.
    bool CanChangeSchedule() const;

signals:
    // The list window redraws its rows.
    void RefreshListRequested();
    // The list window sorts by its current sort order.
    void SortListRequested();
    // Opens the editor's change-schedule mode on the record. done learns later
    // whether the user confirmed: a one-shot answer to this one request.
    void ChangeScheduleRequested(std::shared_ptr<TTaskData> task, std::function<void(bool changed)> done);
};

struct TActionContext {
    TTaskList *List = nullptr;
    TPreferences *Preferences = nullptr;
    TPalvaroStorage *Store = nullptr; // saves and backups; none in most tests
    const TResourceLibrary *Library = nullptr; // the window pictures; none: plain windows
    Desktop::SoundFolders Sounds; // the user's own and the program's
    QString ProductName = QStringLiteral("Brivane");
    // Opens the window of each action the scheduler fires; none: no window
    // opens and the fired reminder stays in service.
    IActionWindows *ActionWindows = nullptr;
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
    // How long a countdown window's result or "Action canceled" stays before
    // the window closes; tests shorten it.
    int PauseMs = 3500;
    TOpenWindows Windows;
    TNoteCascade Cascade;

    // The preferences, or the defaults when there are none.
    const TPreferences &Prefs() const;
    // Marks the list modified (when there is one) and refreshes its window.
    void MarkListModified() const;
};

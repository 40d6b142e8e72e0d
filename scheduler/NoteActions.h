#pragma once
// What the popup note decides, kept apart from its widgets: the cascade of
// open notes, the captions, the snoozes, dismiss, delete and the notes text.
// Each operation works on the record the note serves; "now" is Clock::Now().

#include "core/DateTime.h"
#include "model/TaskData.h"
#include "scheduler/ActionContext.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// Where the next note of size note goes on the screen's available area (the
// screen less its panels): 30 pixels right of and below the previous one; the
// first note of a round (servedNotes <= 1) starts from the area's middle, and
// a note that would not fit entirely inside the area, past its right or its
// bottom edge, goes to (10, 10) of the area. Answers screen coordinates;
// updates the cascade (kept relative to the area).
QPoint NextPopupNotePosition(TNoteCascade &cascade, int servedNotes, const QRect &area, const QSize &note);

// The firing is the pre-warning, not the event itself.
bool IsPreWarningFiring(const TTaskData &task);

// "snooze for " + N + " " + unit, from the preferences' preset 1..4.
QString SnoozePresetCaption(const TPreferences &prefs, int preset);
// "snooze until " + the event.
QString SnoozeUntilEventCaption(const TPreferences &prefs, const TTaskData &task);
// "Pre-warning for " + the event.
QString PreWarningCaption(const TPreferences &prefs, const TTaskData &task);
// The schedule line of a pre-warning: the firing time without the rule.
QString PreWarningScheduleText(const TPreferences &prefs, const TTaskData &task);
QString ExcludedSnoozeMessage(TDateTime t);

// The preset's snooze time: the first Scheduled + k * N units after now.
TDateTime PresetSnoozeTime(const TPreferences &prefs, const TTaskData &task, int preset);
// Moves the reminder to t (Scheduled = t, not delivered). With testWeekday, a t
// on an excluded weekday is refused (false; the note tells ExcludedSnoozeMessage)
// and nothing changes.
bool SnoozeNoteTo(TTaskData &task, TDateTime t, bool testWeekday);
// Dismiss: a pending immediate snooze first becomes the schedule, then the
// reminder moves to its next occurrence or is delivered.
void DismissNote(TTaskData &task);
// A reminder can be deleted from its note only while no other of its action
// windows is open; otherwise the note tells CannotDeleteFromNoteMessage.
bool MayDeleteFromNote(const TTaskData &task);
QString CannotDeleteFromNoteMessage();

// The record's notes as the memo shows them (line breaks as "\n").
QString NotesForMemo(const TTaskData &task);
// The memo text as the record stores it: "\r\n" line breaks, as written by
// other copies of the program.
QString MemoTextToNotes(const QString &memoText);
// Whether the memo text, stored with CR LF breaks, fits the record's two
// 250-byte note parts split between characters.
bool MemoTextFits(const QString &memoText);
// The longest start of the memo text that the record's two 250-byte parts hold.
QString FitMemoText(const QString &memoText);
// The fitted memo text into Notes1 and Notes2, split between characters.
void WriteBackNotes(TTaskData &task, const QString &memoText);

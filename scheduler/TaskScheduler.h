#pragma once
// The scheduler: the program's clock. Every 30 seconds it walks the reminder
// list and fires each enabled reminder whose Scheduled time has passed, by
// marking it InService and opening one action window per action (the hourly
// backup reminder it serves itself). Every tenth pass it has the store save
// the list if it changed. At start it treats the reminders missed while the
// program was not running, as the preferences say.
//
// The action windows bind to the program's TaskList by index, so the list the
// scheduler fires from must be that list.
//
// It also holds the schedule calculations: the next
// occurrence of a repeating reminder, the pre-warning lead, excluded weekdays,
// the reschedule after a run, snoozes and the editors' presets. Each index
// operation works on the record at that index of the reminder list, in place;
// the static record operations do the same on any record (the wizard's copy).
// "Now" always comes from Clock::Now().
//
// Records that break the rules the editors keep (all seven weekdays excluded,
// a factor below 1, a weekday outside 1..7, a month outside 1..12, an unknown
// rule, a date-time that is no calendar date) can arrive in stored and
// imported files. No calculation loops on them: such a record has no next
// occurrence; RescheduleAfterRun then completes it like a one-time reminder
// (Delivered) and logs a warning, so it neither hangs nor fires again at
// every pass.

#include "app/DateTime.h"
#include "model/TaskData.h"
#include "storage/GlobalPreferences.h"

#include <QObject>
#include <QString>
#include <memory>

class QTimer;
class TTaskList;

class TTaskScheduler : public QObject {
    Q_OBJECT
public:
    // list: the reminder list to work on; null means the program's TaskList.
    explicit TTaskScheduler(TTaskList *list = nullptr, QObject *parent = nullptr);
    ~TTaskScheduler() override;

    TTaskList &List() const;

    // --- Firing ---
    static constexpr int TimerInterval = 30000; // ms
    static constexpr int SavePasses = 10;       // passes between periodic saves

    // Enables the timer, then treats the missed reminders.
    void Start();
    // Disables the timer.
    void Stop();
    bool Running() const;
    // One timer pass: a firing pass, and every tenth pass the periodic save.
    void TimerTick();
    // Fires every due, enabled reminder of the list.
    void CheckDueTasks();
    // The start-up treatment of reminders whose time passed meanwhile.
    void HandleMissedTasks();
    // Moves missed reminders on without showing them, except one-time ones
    // (when ShowOnlyRunOnceMissedTasks is set) and service reminders.
    void RescheduleMissedTasks();
    // Fires the reminder at index i now ("Run now!"); nothing when it is in
    // service, disabled, or i is no index of the list.
    void RunTaskNow(int i);

    // Timer passes since the last periodic save.
    int SaveCounter = 0;

    // --- On the record at index i of the list ---
    // One repeat step from x by RepeatRule and RepeatNFactor (x when the rule is unknown).
    TDateTime NextRepeatTime(int i, TDateTime x) const;
    // x minus the pre-warning lead (x when the unit is unknown).
    TDateTime PreWarningTime(int i, TDateTime x) const;
    bool IsExcludedDay(int i, TDateTime x) const;
    // The first repeat step strictly after now on a weekday that is not
    // excluded; EventDateTime itself (with a warning logged) when there is none.
    TDateTime NextEventTime(int i) const;
    // The firing time of the current EventDateTime (minus the pre-warning when set).
    TDateTime ScheduledTime(int i) const;
    // After a run: the next occurrence (repeating) or Delivered (one-time).
    void RescheduleAfterRun(int i);
    // The first point Scheduled + k * n units (k >= 1) strictly after now.
    TDateTime NextSnoozeTime(int i, int n, TSnoozeType unit) const;
    // EventDateTime minus n units of preset unit p (0 minutes .. 5 years).
    TDateTime PresetBeforeEvent(int i, int p, int n) const;

    // --- The same on any record ---
    static TDateTime NextRepeatTime(const TTaskData &task, TDateTime x);
    static TDateTime PreWarningTime(const TTaskData &task, TDateTime x);
    static bool IsExcludedDay(const TTaskData &task, TDateTime x);
    // The next occurrence after now; false (and why, when asked) when there is none.
    static bool TryNextEventTime(const TTaskData &task, TDateTime now, TDateTime &next, QString *why = nullptr);
    static TDateTime NextEventTime(const TTaskData &task);
    static TDateTime ScheduledTime(const TTaskData &task);
    static void RescheduleAfterRun(TTaskData &task);
    static TDateTime NextSnoozeTime(const TTaskData &task, int n, TSnoozeType unit);
    static TDateTime PresetBeforeEvent(const TTaskData &task, int p, int n);
    // Why the record's repeat can have no next occurrence; empty when it can.
    static QString RepeatDefect(const TTaskData &task);

    // --- Pure calculations ---
    // x plus n units of snooze unit u (x when the unit is unknown).
    static TDateTime SnoozeStep(int n, TSnoozeType unit, TDateTime x);
    // n units of preset unit p from today's date at the present hour and minute.
    static TDateTime PresetFromNow(int p, int n);
    static TDateTime PresetStep(int p, int n, TDateTime x);

private:
    // The list to walk, or null when there is none yet.
    TTaskList *ListOrNull() const;
    void FireDue(TTaskList &list, int i);

    TTaskList *FList = nullptr;
    std::unique_ptr<QTimer> FTimer;
};

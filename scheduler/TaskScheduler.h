#pragma once
// The scheduler: the program's clock. Every 30 seconds it walks the reminder
// list and fires each enabled reminder whose Scheduled time has passed, by
// marking it InService and opening one action window per action (the hourly
// backup reminder it serves itself). Every tenth pass it has the store save
// the list if it changed: a second chance for a change whose write soon after
// it (storage/StoreAutoSave.h) failed. At start it treats the reminders missed
// while the program was not running, as the preferences say.
//
// A machine that wakes from sleep treats the reminders that fell due while it
// slept the same way, and fires at once; so does a wall clock that was set
// forward or back by more than a minute. Both are told, not looked for (the
// login manager's sleep notice, the context's clock-change source), so an idle
// program wakes for its 30-second pass only.
//
// The action windows bind to the context's list by index, the list the
// scheduler fires from.
//
// The index operations apply the schedule calculations of model/Recurrence.h
// to the record at that index of the reminder list, in place.

#include "core/DateTime.h"
#include "model/Recurrence.h"
#include "model/TaskData.h"
#include "scheduler/ActionContext.h"

#include <QMetaObject>
#include <QObject>
#include <QString>
#include <memory>

class QTimer;
class TTaskList;

class TTaskScheduler : public QObject {
    Q_OBJECT
public:
    // Works on context.List (none: nothing to fire) and hands context to the
    // action windows it opens; context must outlive the scheduler.
    explicit TTaskScheduler(TActionContext &context, QObject *parent = nullptr);
    ~TTaskScheduler() override;

    TTaskList &List() const;

    // --- Firing ---
    static constexpr int TimerInterval = 30000; // ms
    static constexpr int SavePasses = 10; // passes between periodic saves
    static constexpr long long ClockJumpMs = 60000; // a larger step is a clock that was set

    // Enables the timer, then treats the missed reminders.
    void Start();
    // Disables the timer; sleep and clock notices are no longer heard.
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
    // After a sleep: the missed treatment for what fell due, then a pass.
    void WokeUp();
    // On a clock-change notice: a firing pass at once when the wall clock
    // moved more than ClockJumpMs away from the steady clock since the last
    // look (a notice after sleep, or a small step, fires nothing); true when
    // it did.
    bool CheckClock();

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

private:
    // The list to walk, or null when there is none yet.
    TTaskList *ListOrNull() const;
    void FireDue(TTaskList &list, int i);

    void ResetClockWatch();

    TActionContext &FContext;
    std::unique_ptr<QTimer> FTimer;
    QMetaObject::Connection FClockChanged;
    QMetaObject::Connection FSleepChanged;
    double FLastWall = 0; // wall clock and steady clock at the last look
    long long FLastSteady = 0;
};

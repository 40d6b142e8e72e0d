#pragma once
// The schedule calculations on one reminder record: the next occurrence of a
// repeating reminder, the pre-warning lead, excluded weekdays, the reschedule
// after a run, snoozes and the editors' presets. "Now" always comes from
// Clock::Now().
//
// Records that break the rules the editors keep (all seven weekdays excluded,
// a factor below 1, a weekday outside 1..7, a month outside 1..12, an unknown
// rule, a date-time that is no calendar date) can arrive in stored and
// imported files. No calculation loops on them: such a record has no next
// occurrence; RescheduleAfterRun then completes it like a one-time reminder
// (Delivered) and logs a warning, so it neither hangs nor fires again at
// every pass.

#include "core/DateTime.h"
#include "model/TaskData.h"

#include <QString>
#include <cstdint>

// The units a snooze is counted in (stored as a byte in the preferences).
enum TSnoozeType : uint8_t { stMinutes, stHours, stDays, stWeeks, stMonths };

class TRecurrence {
public:
    // One repeat step from x by RepeatRule and RepeatNFactor (x when the rule is unknown).
    static TDateTime NextRepeatTime(const TTaskData &task, TDateTime x);
    // x minus the pre-warning lead (x when the unit is unknown).
    static TDateTime PreWarningTime(const TTaskData &task, TDateTime x);
    static bool IsExcludedDay(const TTaskData &task, TDateTime x);
    // The next occurrence after now; false (and why, when asked) when there is none.
    // Repeats of hours and minutes step in real time across a change of the
    // UTC offset, longer ones keep their wall-clock time. nowOffset is now's
    // offset from UTC in seconds; without it, the earlier reading of now.
    static bool TryNextEventTime(const TTaskData &task, TDateTime now, TDateTime &next, QString *why = nullptr);
    static bool TryNextEventTime(const TTaskData &task, TDateTime now, int nowOffset, TDateTime &next,
                                 QString *why = nullptr);
    // Whether now (with its UTC offset) has passed Scheduled, compared as
    // instants. Scheduled is a wall-clock time: one the spring change skips
    // counts as late as it lies into the gap; one the autumn change repeats
    // counts in its first pass unless the reminder already ran after it there.
    static bool IsScheduledTimeReached(const TTaskData &task, TDateTime now, int nowOffset);
    // The first repeat step strictly after now on a weekday that is not
    // excluded; EventDateTime itself (with a warning logged) when there is none.
    static TDateTime NextEventTime(const TTaskData &task);
    // The firing time of the current EventDateTime (minus the pre-warning when set).
    static TDateTime ScheduledTime(const TTaskData &task);
    // After a run: the next occurrence (repeating) or Delivered (one-time).
    static void RescheduleAfterRun(TTaskData &task);
    // The first point Scheduled + k * n units (k >= 1) strictly after now.
    static TDateTime NextSnoozeTime(const TTaskData &task, int n, TSnoozeType unit);
    // EventDateTime minus n units of preset unit p (0 minutes .. 5 years).
    static TDateTime PresetBeforeEvent(const TTaskData &task, int p, int n);
    // Why the record's repeat can have no next occurrence; empty when it can.
    static QString RepeatDefect(const TTaskData &task);

    // x plus n units of snooze unit u (x when the unit is unknown).
    static TDateTime SnoozeStep(int n, TSnoozeType unit, TDateTime x);
    // n units of preset unit p from today's date at the present hour and minute.
    static TDateTime PresetFromNow(int p, int n);
    static TDateTime PresetStep(int p, int n, TDateTime x);
};

#pragma once
// Calendar steps on date-times. Pure functions: no clock, no record.

#include "core/DateTime.h"

#include <cstdint>

// (x * 1440 + n) / 1440 and (x * 24 + n) / 24, product and sum in extended
// precision; exact to the last bit, not rounded to whole minutes or hours.
TDateTime AddMinutes(int n, TDateTime x);
TDateTime AddHours(int n, TDateTime x);
// x + n and x + 7n.
TDateTime AddDays(int n, TDateTime x);
TDateTime AddWeeks(int n, TDateTime x);
// Calendar-month step keeping the time of day; a day beyond the end of the
// target month becomes its last day. A month before year 1 gives -infinity,
// one after 9999 +infinity (no date shows them, every walk stops at them); an
// x outside the calendar is returned as it is.
TDateTime AddMonths(int64_t n, TDateTime x);
TDateTime AddYears(int n, TDateTime x);

// The calendar units every rule, snooze and preset steps by, shortest first.
enum class TStepUnit { Minutes, Hours, Days, Weeks, Months, Years };
// x plus n units (n may be negative).
TDateTime StepBy(TStepUnit unit, int n, TDateTime x);

// The next date on ISO weekday w (1 = Monday .. 7 = Sunday), at least one day
// later, same time of day. A w outside 1..7 has no such date: x is returned.
TDateTime NextWeekday(int w, TDateTime x);
// One-month steps until the month is m (at least one step); the clamping of
// each step is carried into the next. An m outside 1..12 returns x.
TDateTime NextMonthOfYear(int m, TDateTime x);

// Year, month and day of the date part of x (whole days toward zero, the same
// split the month steps use); all 0 when x is no calendar date.
void SplitDate(TDateTime x, int &year, int &month, int &day);

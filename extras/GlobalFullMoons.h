#pragma once
// The full-moon notice: a service reminder (Tag TAG_FULLMOON) built at start
// from the table of full moons when one falls on today, tomorrow or the day
// after (local dates). It is due at once, so the scheduler's next pass shows
// it in the full-moon window, and it is removed again at the end of the run,
// so the store written last never holds one.

#include "core/DateTime.h"
#include "model/TaskData.h"

#include <QString>
#include <vector>

class TPreferences;
class TTaskList;

// UTC minus local time as a fraction of a day (minutes / 1440), as the
// system's time zone gives it at the UTC instant utc; without an instant, at
// the clock's present moment. Throws std::runtime_error when the system gives
// no offset for the instant.
TDateTime UtcBias();
TDateTime UtcBias(TDateTime utc);
// The local date-time of a UTC instant, with the offset in force at that
// instant: a full moon after the next change to or from summer time gets the
// offset it will be shown under.
TDateTime UtcToLocal(TDateTime utc);

// "- \"Wolf Moon\"" ... "- \"Cold Moon\""; false (text untouched) outside 1..12.
bool FullMoonName(int month, QString &text);

// Every entry of the full-moon table as a local date-time, in table order.
std::vector<TDateTime> LocalFullMoons();

// The notice reminder for a full moon at local time x, due now. Its title
// says when ("today", "tonight", "tomorrow", "on <weekday>") with the month's
// name of the moon; Notes1 gives the time of best illumination.
TTaskData BuildFullMoonReminder(TDateTime x, const TPreferences &prefs);

// Adds the notice for the first full moon on today's, tomorrow's or the day
// after tomorrow's date; false when there is none (or the time zone cannot be
// read, which is logged as a warning).
bool AddNextFullMoon(TTaskList &list, const TPreferences &prefs);

// Removes every full-moon reminder from the list, logging each.
void RemoveFullMoons(TTaskList &list);

// The start of the run: log, remove what an earlier run left, add the next.
void InitFullMoons(TTaskList &list, const TPreferences &prefs);

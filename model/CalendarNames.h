#pragma once
// Weekday and month names in the user's language, for texts that name them.

#include <QStringList>

struct TCalendarNames {
    // Index 1 = Monday / January; index 0 is unused.
    QStringList Weekdays;
    QStringList ShortWeekdays;
    QStringList Months;

    // Built by formatting real dates, so they follow the default locale.
    static TCalendarNames FromLocale();
};

// The names of the default locale, built on first use.
const TCalendarNames &CalendarNames();
// Builds them again (after the default locale changed).
void RebuildCalendarNames();

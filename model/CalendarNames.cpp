#include "model/CalendarNames.h"

#include "core/Clock.h"
#include "core/DateTime.h"

namespace {
TCalendarNames &Names()
{
    static TCalendarNames names = TCalendarNames::FromLocale();
    return names;
}
} // namespace

TCalendarNames TCalendarNames::FromLocale()
{
    TCalendarNames n;
    n.Weekdays = QStringList{QString()};
    n.ShortWeekdays = QStringList{QString()};
    n.Months = QStringList{QString()};
    double day = Clock::Today();
    while (DayOfTheWeek(day) != 1)
        day += 1;
    for (int i = 0; i < 7; ++i, day += 1) {
        n.Weekdays << FormatDateTime(QStringLiteral("dddd"), day);
        n.ShortWeekdays << FormatDateTime(QStringLiteral("ddd"), day);
    }
    int y, m, d;
    DecodeDate(Clock::Today(), y, m, d);
    for (int i = 0; i < 12; ++i)
        n.Months << FormatDateTime(QStringLiteral("mmmm"), EncodeDate(y, i + 1, 1));
    return n;
}

const TCalendarNames &CalendarNames()
{
    return Names();
}

void RebuildCalendarNames()
{
    Names() = TCalendarNames::FromLocale();
}

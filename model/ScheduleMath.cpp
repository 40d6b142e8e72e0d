#include "model/ScheduleMath.h"

#include <cmath>
#include <limits>

TDateTime AddMinutes(int n, TDateTime x)
{
    const long double t = static_cast<long double>(x) * 1440.0L + static_cast<long double>(n);
    return static_cast<double>(t / 1440.0L);
}

TDateTime AddHours(int n, TDateTime x)
{
    const long double t = static_cast<long double>(x) * 24.0L + static_cast<long double>(n);
    return static_cast<double>(t / 24.0L);
}

TDateTime AddDays(int n, TDateTime x)
{
    return x + double(n);
}

TDateTime AddWeeks(int n, TDateTime x)
{
    return x + 7.0 * double(n);
}

void SplitDate(TDateTime x, int &year, int &month, int &day)
{
    year = month = day = 0;
    if (!IsValidDateTime(x))
        return;
    DecodeDate(std::trunc(x), year, month, day);
}

TDateTime AddMonths(int64_t n, TDateTime x)
{
    int year, month, day;
    SplitDate(x, year, month, day);
    if (year < 1 || year > 9999)
        return x;
    const TDateTime time = std::fabs(x - std::trunc(x));

    const int64_t total = int64_t(year) * 12 + (month - 1) + n;
    int64_t y = total >= 0 ? total / 12 : -((-total + 11) / 12);
    int64_t m = total - y * 12 + 1;
    if (y < 1)
        return -std::numeric_limits<double>::infinity();
    if (y > 9999)
        return std::numeric_limits<double>::infinity();
    const int last = DaysInMonth(int(y), int(m));
    if (day > last)
        day = last;
    return ComposeDateTime(EncodeDate(int(y), int(m), day), time);
}

TDateTime AddYears(int n, TDateTime x)
{
    return AddMonths(int64_t(n) * 12, x);
}

TDateTime NextWeekday(int w, TDateTime x)
{
    if (w < 1 || w > 7 || !IsValidDateTime(x))
        return x;
    // Seven days always reach w, eight where the date-times before 1899 meet
    // those after it (two values share that day); the bound only guards.
    TDateTime y = x;
    for (int i = 0; i < 14; ++i) {
        y = AddDays(1, y);
        if (DayOfTheWeek(y) == w)
            return y;
    }
    return x;
}

TDateTime NextMonthOfYear(int m, TDateTime x)
{
    if (m < 1 || m > 12)
        return x;
    TDateTime y = x;
    for (int i = 0; i < 12; ++i) {
        y = AddMonths(1, y);
        int yy, mm, dd;
        SplitDate(y, yy, mm, dd);
        if (mm == m)
            return y;
    }
    // Only reached beyond the end of the calendar.
    return y;
}

TDateTime StepBy(TStepUnit unit, int n, TDateTime x)
{
    switch (unit) {
    case TStepUnit::Minutes: return AddMinutes(n, x);
    case TStepUnit::Hours: return AddHours(n, x);
    case TStepUnit::Days: return AddDays(n, x);
    case TStepUnit::Weeks: return AddWeeks(n, x);
    case TStepUnit::Months: return AddMonths(n, x);
    case TStepUnit::Years: return AddYears(n, x);
    }
    return x;
}

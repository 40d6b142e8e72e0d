#pragma once
// Date-times are doubles counting days since 30 Dec 1899 (local time, no zone):
// whole part the date, fraction the time of day. Negative values keep the time
// of day as the absolute fraction, as stored files written elsewhere expect.

#include <QString>

class QDateTime;

using TDateTime = double;

constexpr double MSecsPerDay = 86400000.0;
constexpr double OneMillisecond = 1.0 / MSecsPerDay;
constexpr double OneSecond = 1.0 / 86400.0;
constexpr double OneMinute = 1.0 / 1440.0;
constexpr double OneHour = 1.0 / 24.0;
// 1 Jan 0001 00:00 and 31 Dec 9999 23:59:59.999
constexpr double MinDateTime = -693593.0;
constexpr double MaxDateTime = 2958465.99999999;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

bool TryEncodeDate(int year, int month, int day, TDateTime &out);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime &out);
// Out-of-range parts give 0 (the "never" date) rather than throwing.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
// Date plus time of day, honouring the negative-date convention.
TDateTime ComposeDateTime(TDateTime date, TDateTime time);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec);

// Values that are no calendar date-time (NaN, infinite, or outside years
// 1..9999 once rounded to the millisecond) decode to all-zero fields, give
// weekday 0, DateOf/TimeOf 0, an invalid QDateTime and empty texts.
void DecodeDate(TDateTime dt, int &year, int &month, int &day);
void DecodeTime(TDateTime dt, int &hour, int &min, int &sec, int &msec);
void DecodeDateTime(TDateTime dt, int &year, int &month, int &day, int &hour, int &min, int &sec, int &msec);
// The date part (toward zero) and the time-of-day fraction.
TDateTime DateOf(TDateTime dt);
TDateTime TimeOf(TDateTime dt);
// ISO weekday: 1 = Monday ... 7 = Sunday.
int DayOfTheWeek(TDateTime dt);
// False for the values above that decode to zeros.
bool IsValidDateTime(TDateTime dt);
// Equal when less than one millisecond apart.
bool SameDateTime(TDateTime a, TDateTime b);

// Local wall-clock time against UTC, both as days since 30 Dec 1899, by the
// system's time-zone rules. Offsets are in seconds east of UTC.
int UtcOffsetAt(TDateTime utc);
// The UTC readings of a local time: 1 for most, 2 inside the hour the autumn
// change repeats (earlier <= later), 0 inside the hour the spring change skips;
// such a time is read with the offset in force before the gap, which puts it
// as far after the gap as it lies into it (02:30 becomes 03:30 summer time).
int LocalReadings(TDateTime local, TDateTime &earlier, TDateTime &later);

QDateTime DateTimeToQDateTime(TDateTime dt);
TDateTime DateTimeFromQDateTime(const QDateTime &qdt);

// Display patterns: d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn s ss z zzz
// ampm am/pm a/p, "text" and 'text' literal; m/mm right after an hour or right
// before seconds mean minutes. Names and AM/PM come from the default QLocale.
QString FormatDateTime(const QString &pattern, TDateTime dt);
// The user's short date and long time formats, in the pattern language above.
QString ShortDateFormat();
QString LongTimeFormat();
QString DateToStr(TDateTime dt);
QString TimeToStr(TDateTime dt);
QString DateTimeToStr(TDateTime dt);
// Translate a Qt date/time format into the pattern language above.
QString PatternFromQtFormat(const QString &qtFormat);

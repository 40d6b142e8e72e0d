#include "core/DateTime.h"

#include <QDateTime>
#include <QLocale>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <utility>

namespace {

constexpr int64_t kMSecsPerDay = 86400000;
// Days from 1 Jan 0001 to 30 Dec 1899.
constexpr int64_t kDateDelta = 693594;
// Julian day number of 30 Dec 1899.
constexpr int64_t kJulianOfZero = 2415019;

const int kMonthDays[2][13] = {{0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                               {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

// Day numbers (days since 30 Dec 1899, toward zero) of 1 Jan 0001 and 31 Dec 9999.
constexpr int64_t kFirstDay = -693593;
constexpr int64_t kLastDay = 2958465;

// Whole value rounded to milliseconds, split into day number and ms of day.
// False, with both zero, for anything that is no calendar date-time: NaN,
// infinities and values outside years 1..9999, also when only the rounding
// takes them there. Such values must never reach the integer arithmetic.
bool Split(TDateTime dt, int64_t &days, int64_t &msOfDay)
{
    days = 0;
    msOfDay = 0;
    // Written so that NaN fails too. Times of day on 1 Jan 0001 lie below
    // MinDateTime as the date part is negative.
    if (!(dt > MinDateTime - 1.0 && dt < double(kLastDay + 1)))
        return false;
    // |dt| < 3e6 days here, so the product stays far below 2^63.
    const int64_t total = std::llround(dt * double(kMSecsPerDay));
    const int64_t d = total / kMSecsPerDay; // toward zero
    if (d < kFirstDay || d > kLastDay)
        return false;
    days = d;
    msOfDay = (total < 0 ? -total : total) % kMSecsPerDay;
    return true;
}

void DayNumberToDate(int64_t dayNumber, int &year, int &month, int &day)
{
    // dayNumber counts from 1 Jan 0001 = 1
    int64_t t = dayNumber - 1;
    if (t < 0) {
        year = month = day = 0;
        return;
    }
    int y = 1;
    const int64_t d400 = 146097, d100 = 36524, d4 = 1461;
    y += int(t / d400) * 400;
    t %= d400;
    int64_t c = t / d100;
    if (c == 4)
        c = 3;
    y += int(c) * 100;
    t -= c * d100;
    y += int(t / d4) * 4;
    t %= d4;
    int64_t yy = t / 365;
    if (yy == 4)
        yy = 3;
    y += int(yy);
    t -= yy * 365;
    const int leap = IsLeapYear(y) ? 1 : 0;
    int m = 1;
    while (t >= kMonthDays[leap][m]) {
        t -= kMonthDays[leap][m];
        ++m;
    }
    year = y;
    month = m;
    day = int(t) + 1;
}

QString Pad(int v, int width)
{
    return QString::number(v).rightJustified(width, QLatin1Char('0'));
}

} // namespace

bool IsLeapYear(int year)
{
    return (year % 4 == 0) && ((year % 100 != 0) || (year % 400 == 0));
}

int DaysInMonth(int year, int month)
{
    if (month < 1 || month > 12)
        return 0;
    return kMonthDays[IsLeapYear(year) ? 1 : 0][month];
}

bool TryEncodeDate(int year, int month, int day, TDateTime &out)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    int64_t d = day;
    const int leap = IsLeapYear(year) ? 1 : 0;
    for (int m = 1; m < month; ++m)
        d += kMonthDays[leap][m];
    const int64_t i = year - 1;
    d += i * 365 + i / 4 - i / 100 + i / 400;
    out = double(d - kDateDelta);
    return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime &out)
{
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999)
        return false;
    out = double(((int64_t(hour) * 60 + min) * 60 + sec) * 1000 + msec) / double(kMSecsPerDay);
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime r = 0;
    return TryEncodeDate(year, month, day, r) ? r : 0.0;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec)
{
    TDateTime r = 0;
    return TryEncodeTime(hour, min, sec, msec, r) ? r : 0.0;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time)
{
    return date < 0 ? date - std::fabs(time) : date + std::fabs(time);
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec)
{
    return ComposeDateTime(EncodeDate(year, month, day), EncodeTime(hour, min, sec, msec));
}

void DecodeDate(TDateTime dt, int &year, int &month, int &day)
{
    int64_t days, ms;
    if (!Split(dt, days, ms)) {
        year = month = day = 0;
        return;
    }
    DayNumberToDate(days + kDateDelta, year, month, day);
}

void DecodeTime(TDateTime dt, int &hour, int &min, int &sec, int &msec)
{
    int64_t days, ms;
    if (!Split(dt, days, ms)) {
        hour = min = sec = msec = 0;
        return;
    }
    hour = int(ms / 3600000);
    min = int(ms / 60000 % 60);
    sec = int(ms / 1000 % 60);
    msec = int(ms % 1000);
}

void DecodeDateTime(TDateTime dt, int &year, int &month, int &day, int &hour, int &min, int &sec, int &msec)
{
    DecodeDate(dt, year, month, day);
    DecodeTime(dt, hour, min, sec, msec);
}

TDateTime DateOf(TDateTime dt)
{
    int64_t days, ms;
    Split(dt, days, ms);
    return double(days);
}

TDateTime TimeOf(TDateTime dt)
{
    int64_t days, ms;
    Split(dt, days, ms);
    return double(ms) / double(kMSecsPerDay);
}

int DayOfTheWeek(TDateTime dt)
{
    int64_t days, ms;
    if (!Split(dt, days, ms))
        return 0;
    // 1 Jan 0001 was a Monday.
    const int64_t n = days + kDateDelta - 1;
    return int(((n % 7) + 7) % 7) + 1;
}

bool IsValidDateTime(TDateTime dt)
{
    int64_t days, ms;
    return Split(dt, days, ms);
}

bool SameDateTime(TDateTime a, TDateTime b)
{
    return std::fabs(a - b) < OneMillisecond;
}

namespace {
// 1 Jan 1970 as a date-time.
constexpr double kUnixEpochDay = 25569.0;
} // namespace

int UtcOffsetAt(TDateTime utc)
{
    if (!IsValidDateTime(utc))
        return 0;
    // Rounded to the millisecond first, so that 00:59:59.9999999 is 01:00.
    const double secs = std::floor(std::round((utc - kUnixEpochDay) * MSecsPerDay) / 1000.0);
    const time_t t = static_cast<time_t>(secs);
    tm parts{};
    if (!localtime_r(&t, &parts))
        return 0;
    return static_cast<int>(parts.tm_gmtoff);
}

int LocalReadings(TDateTime local, TDateTime &earlier, TDateTime &later)
{
    earlier = later = local;
    if (!IsValidDateTime(local))
        return 1;
    // No zone changes its offset twice within two days, nor by a day or more.
    const int before = UtcOffsetAt(local - 1.0);
    const int after = UtcOffsetAt(local + 1.0);
    int found = 0;
    for (const int offset : {before, after}) {
        if (found > 0 && offset == before)
            break;
        const TDateTime utc = local - offset / 86400.0;
        if (UtcOffsetAt(utc) != offset)
            continue;
        (found == 0 ? earlier : later) = utc;
        ++found;
    }
    if (found == 0) {
        earlier = later = local - before / 86400.0;
        return 0;
    }
    if (found == 1)
        later = earlier;
    else if (later < earlier)
        std::swap(earlier, later);
    return found;
}

QDateTime DateTimeToQDateTime(TDateTime dt)
{
    int64_t days, ms;
    if (!Split(dt, days, ms))
        return QDateTime();
    int y, m, d, h, n, s, z;
    DecodeDateTime(dt, y, m, d, h, n, s, z);
    return QDateTime(QDate(y, m, d), QTime(h, n, s, z));
}

TDateTime DateTimeFromQDateTime(const QDateTime &qdt)
{
    if (!qdt.isValid())
        return 0.0;
    const double date = double(qdt.date().toJulianDay() - kJulianOfZero);
    const double time = double(qdt.time().msecsSinceStartOfDay()) / double(kMSecsPerDay);
    return ComposeDateTime(date, time);
}

QString FormatDateTime(const QString &pattern, TDateTime dt)
{
    // No text at all rather than a made-up date such as 00/00/0000.
    int64_t days, ms;
    if (!Split(dt, days, ms))
        return QString();
    int year, month, day, hour, min, sec, msec;
    DecodeDateTime(dt, year, month, day, hour, min, sec, msec);
    const QLocale loc;
    const int qtDay = DayOfTheWeek(dt);

    // A 12-hour clock is used when an AM/PM marker appears anywhere outside quotes.
    bool twelve = false;
    {
        bool inQuote = false;
        QChar q;
        for (int i = 0; i < pattern.size(); ++i) {
            const QChar c = pattern[i];
            if (inQuote) {
                if (c == q)
                    inQuote = false;
                continue;
            }
            if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                inQuote = true;
                q = c;
                continue;
            }
            const QString rest = pattern.mid(i).toLower();
            if (rest.startsWith(QLatin1String("ampm")) || rest.startsWith(QLatin1String("am/pm"))
                || rest.startsWith(QLatin1String("a/p"))) {
                twelve = true;
                break;
            }
        }
    }
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    const int shownHour = twelve ? hour12 : hour;

    QString out;
    bool lastWasHour = false;
    const int n = pattern.size();
    int i = 0;
    auto runLength = [&](QChar ch) {
        int k = i;
        while (k < n && pattern[k].toLower() == ch)
            ++k;
        return k - i;
    };
    // True when the next pattern letter after position p (skipping separators) starts seconds.
    auto secondsFollow = [&](int p) {
        while (p < n) {
            const QChar c = pattern[p].toLower();
            if (c == QLatin1Char('s'))
                return true;
            if (c.isLetter() || c == QLatin1Char('"') || c == QLatin1Char('\''))
                return false;
            ++p;
        }
        return false;
    };
    while (i < n) {
        const QChar c = pattern[i];
        const QChar lc = c.toLower();
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            int k = i + 1;
            while (k < n && pattern[k] != c)
                out += pattern[k++];
            i = k < n ? k + 1 : k;
            continue;
        }
        const QString rest = pattern.mid(i, 5).toLower();
        if (rest.startsWith(QLatin1String("ampm"))) {
            out += hour < 12 ? loc.amText() : loc.pmText();
            i += 4;
            continue;
        }
        if (rest.startsWith(QLatin1String("am/pm"))) {
            const QString src = pattern.mid(i, 5);
            out += hour < 12 ? src.left(2) : src.mid(3, 2);
            i += 5;
            continue;
        }
        if (rest.startsWith(QLatin1String("a/p"))) {
            const QString src = pattern.mid(i, 3);
            out += hour < 12 ? src.left(1) : src.mid(2, 1);
            i += 3;
            continue;
        }
        if (lc == QLatin1Char('d')) {
            const int len = runLength(lc);
            if (len == 1)
                out += QString::number(day);
            else if (len == 2)
                out += Pad(day, 2);
            else if (len == 3)
                out += loc.dayName(qtDay, QLocale::ShortFormat);
            else if (len == 4)
                out += loc.dayName(qtDay, QLocale::LongFormat);
            else if (len == 5)
                out += FormatDateTime(ShortDateFormat(), dt);
            else
                out += loc.toString(DateTimeToQDateTime(dt).date(), QLocale::LongFormat);
            i += len;
            lastWasHour = false;
            continue;
        }
        if (lc == QLatin1Char('m')) {
            const int len = runLength(lc);
            const bool minutes = len <= 2 && (lastWasHour || secondsFollow(i + len));
            if (minutes)
                out += len == 1 ? QString::number(min) : Pad(min, 2);
            else if (len == 1)
                out += QString::number(month);
            else if (len == 2)
                out += Pad(month, 2);
            else if (len == 3)
                out += loc.monthName(month, QLocale::ShortFormat);
            else
                out += loc.monthName(month, QLocale::LongFormat);
            i += len;
            lastWasHour = false;
            continue;
        }
        if (lc == QLatin1Char('y')) {
            const int len = runLength(lc);
            out += len <= 2 ? Pad(year % 100, 2) : Pad(year, 4);
            i += len;
            lastWasHour = false;
            continue;
        }
        if (lc == QLatin1Char('h')) {
            const int len = runLength(lc);
            out += len == 1 ? QString::number(shownHour) : Pad(shownHour, 2);
            i += len;
            lastWasHour = true;
            continue;
        }
        if (lc == QLatin1Char('n')) {
            const int len = runLength(lc);
            out += len == 1 ? QString::number(min) : Pad(min, 2);
            i += len;
            lastWasHour = false;
            continue;
        }
        if (lc == QLatin1Char('s')) {
            const int len = runLength(lc);
            out += len == 1 ? QString::number(sec) : Pad(sec, 2);
            i += len;
            lastWasHour = false;
            continue;
        }
        if (lc == QLatin1Char('z')) {
            const int len = runLength(lc);
            out += len >= 3 ? Pad(msec, 3) : QString::number(msec);
            i += len;
            lastWasHour = false;
            continue;
        }
        if (lc == QLatin1Char('c') && runLength(lc) == 1) {
            out += FormatDateTime(ShortDateFormat(), dt);
            if (TimeOf(dt) != 0.0)
                out += QLatin1Char(' ') + FormatDateTime(LongTimeFormat(), dt);
            ++i;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

QString PatternFromQtFormat(const QString &qtFormat)
{
    QString out;
    const int n = qtFormat.size();
    int i = 0;
    while (i < n) {
        const QChar c = qtFormat[i];
        if (c == QLatin1Char('\'')) {
            int k = i + 1;
            QString lit;
            while (k < n && qtFormat[k] != QLatin1Char('\''))
                lit += qtFormat[k++];
            out += QLatin1Char('"') + lit + QLatin1Char('"');
            i = k < n ? k + 1 : k;
            continue;
        }
        int k = i;
        while (k < n && qtFormat[k] == c)
            ++k;
        const int len = k - i;
        switch (c.unicode()) {
        case 'd': out += QString(qMin(len, 4), QLatin1Char('d')); break;
        case 'M': out += QString(qMin(len, 4), QLatin1Char('m')); break;
        case 'y': out += len >= 4 ? QStringLiteral("yyyy") : QStringLiteral("yy"); break;
        case 'h':
        case 'H': out += len >= 2 ? QStringLiteral("hh") : QStringLiteral("h"); break;
        case 'm': out += len >= 2 ? QStringLiteral("nn") : QStringLiteral("n"); break;
        case 's': out += len >= 2 ? QStringLiteral("ss") : QStringLiteral("s"); break;
        case 'z': out += QStringLiteral("zzz"); break;
        case 'A':
        case 'a':
            out += QStringLiteral("ampm");
            if (k < n && (qtFormat[k] == QLatin1Char('P') || qtFormat[k] == QLatin1Char('p')))
                ++k;
            break;
        case 't': break; // no time zone in local date-times
        default:
            if (c.isLetter())
                out += QLatin1Char('"') + QString(len, c) + QLatin1Char('"');
            else
                out += QString(len, c);
        }
        i = k;
    }
    return out.trimmed();
}

QString ShortDateFormat()
{
    return PatternFromQtFormat(QLocale().dateFormat(QLocale::ShortFormat));
}

QString LongTimeFormat()
{
    return PatternFromQtFormat(QLocale().timeFormat(QLocale::LongFormat));
}

QString DateToStr(TDateTime dt)
{
    return FormatDateTime(ShortDateFormat(), dt);
}

QString TimeToStr(TDateTime dt)
{
    return FormatDateTime(LongTimeFormat(), dt);
}

QString DateTimeToStr(TDateTime dt)
{
    return FormatDateTime(QStringLiteral("c"), dt);
}

#include "core/DateTime.h"

#include <QDateTime>
#include <QLocale>
#include <QStringList>
#include <gtest/gtest.h>

#include <limits>

namespace {
struct LocaleScope {
    explicit LocaleScope(const QLocale &l)
        : old(QLocale())
    {
        QLocale::setDefault(l);
    }
    ~LocaleScope() { QLocale::setDefault(old); }
    QLocale old;
};
} // namespace

TEST(DateTime, EncodesKnownDates)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2009, 2, 17), 39861.0);
    EXPECT_EQ(EncodeDate(2000, 2, 29), 36585.0);
    EXPECT_EQ(EncodeDate(1, 1, 1), MinDateTime);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
    TDateTime out = 123;
    EXPECT_FALSE(TryEncodeDate(2009, 2, 29, out));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, out)); // not a leap year
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, out));
    EXPECT_FALSE(TryEncodeDate(10000, 1, 1, out));
    EXPECT_EQ(out, 123.0);
    EXPECT_DOUBLE_EQ(EncodeTime(6, 0, 0, 0), 0.25);
    EXPECT_DOUBLE_EQ(EncodeTime(23, 59, 59, 999), 86399999.0 / 86400000.0);
}

TEST(DateTime, DecodesEveryDayOfFourCenturiesBackToItself)
{
    // Covers the 100- and 400-year leap rules and every month end.
    for (double d = EncodeDate(1899, 1, 1); d <= EncodeDate(2301, 1, 1); d += 1) {
        int y, m, day;
        DecodeDate(d, y, m, day);
        ASSERT_EQ(EncodeDate(y, m, day), d) << y << "-" << m << "-" << day;
    }
    int y, m, d;
    DecodeDate(MaxDateTime, y, m, d);
    EXPECT_EQ(QDate(y, m, d), QDate(9999, 12, 31));
    DecodeDate(MinDateTime, y, m, d);
    EXPECT_EQ(QDate(y, m, d), QDate(1, 1, 1));
}

TEST(DateTime, NegativeValuesKeepTheTimeOfDayAsAbsoluteFraction)
{
    int y, m, d, h, n, s, z;
    DecodeDateTime(-1.25, y, m, d, h, n, s, z);
    EXPECT_EQ(QDate(y, m, d), QDate(1899, 12, 29));
    EXPECT_EQ(h, 6);
    EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
    EXPECT_EQ(DateOf(-1.25), -1.0);
    EXPECT_DOUBLE_EQ(TimeOf(-1.25), 0.25);
}

TEST(DateTime, TimeRoundsToTheNearestMillisecondWithoutSpillingIntoTomorrow)
{
    int h, n, s, z;
    DecodeTime(EncodeDate(2009, 2, 17) + 0.9999999999, h, n, s, z);
    int y, m, d;
    DecodeDate(EncodeDate(2009, 2, 17) + 0.9999999999, y, m, d);
    // Rounded up to midnight: the date moves on with it, never 24:00 on the 17th.
    EXPECT_EQ(QDate(y, m, d), QDate(2009, 2, 18));
    EXPECT_EQ(h, 0);
    const TDateTime t = EncodeDateTime(2009, 2, 17, 10, 15, 2, 345);
    DecodeTime(t, h, n, s, z);
    EXPECT_EQ(QTime(h, n, s, z), QTime(10, 15, 2, 345));
}

TEST(DateTime, WeekdaysAreIso)
{
    EXPECT_EQ(DayOfTheWeek(EncodeDate(2009, 2, 17)), 2); // Tuesday
    EXPECT_EQ(DayOfTheWeek(EncodeDate(2009, 2, 22)), 7); // Sunday
    EXPECT_EQ(DayOfTheWeek(EncodeDate(1, 1, 1)), 1); // Monday
    EXPECT_EQ(DayOfTheWeek(-1.25), 5); // 29 Dec 1899, Friday
}

TEST(DateTime, QtConversionRoundTripsAndEqualityIsToTheMillisecond)
{
    const QDateTime q(QDate(2026, 12, 9), QTime(5, 21, 47, 123));
    const TDateTime t = DateTimeFromQDateTime(q);
    EXPECT_EQ(DateTimeToQDateTime(t), q);
    EXPECT_TRUE(SameDateTime(t, t + 0.9 * OneMillisecond));
    EXPECT_FALSE(SameDateTime(t, t + 1.1 * OneMillisecond));
}

TEST(DateTimeFormat, PatternsProduceTheDocumentedTexts)
{
    LocaleScope en(QLocale(QLocale::English, QLocale::UnitedKingdom));
    const TDateTime t = EncodeDateTime(2009, 2, 17, 10, 5, 9, 0);
    EXPECT_EQ(FormatDateTime("ddd, d mmm yyyy hh:mm:ss", t), "Tue, 17 Feb 2009 10:05:09");
    EXPECT_EQ(FormatDateTime("dddd dd mmmm yy", t), "Tuesday 17 February 09");
    EXPECT_EQ(FormatDateTime("d/m/yyyy", EncodeDate(2009, 3, 5)), "5/3/2009");
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy", t), "17/02/2009");
    // mm after an hour means minutes, before seconds too; m alone after h as well.
    EXPECT_EQ(FormatDateTime("hh:mm", t), "10:05");
    EXPECT_EQ(FormatDateTime("h:m", t), "10:5");
    EXPECT_EQ(FormatDateTime("mm:ss", t), "05:09");
    EXPECT_EQ(FormatDateTime("ddd, d mmm yyyy \"at\" hh:mm", t), "Tue, 17 Feb 2009 at 10:05");
    // Letters inside quotes are copied, not interpreted.
    EXPECT_EQ(FormatDateTime("\"dd mm\" yyyy", t), "dd mm 2009");
}

TEST(DateTimeFormat, AmPmSwitchesToTwelveHoursWithTheLocaleDesignator)
{
    LocaleScope en(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(FormatDateTime("hh:mm ampm", EncodeTime(15, 7, 0, 0)), "03:07 PM");
    EXPECT_EQ(FormatDateTime("hh:mm ampm", EncodeTime(0, 30, 0, 0)), "12:30 AM");
    EXPECT_EQ(FormatDateTime("hh:mm ampm", EncodeTime(12, 0, 0, 0)), "12:00 PM");
    EXPECT_EQ(FormatDateTime("hh:mm", EncodeTime(15, 7, 0, 0)), "15:07");
}

TEST(DateTimeFormat, UserFormatsComeFromTheLocale)
{
    LocaleScope en(QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(ShortDateFormat(), "dd/mm/yyyy");
    EXPECT_EQ(DateToStr(EncodeDate(2009, 2, 17)), "17/02/2009");
    EXPECT_EQ(TimeToStr(EncodeTime(10, 15, 2, 0)), "10:15:02");
    LocaleScope de(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatDateTime("dddd, d. mmmm", EncodeDate(2009, 3, 3)), "Dienstag, 3. März");
}

TEST(DateTime, ValuesOutsideTheCalendarGiveEmptyTextsAndZeroFields)
{
    LocaleScope en(QLocale(QLocale::English, QLocale::UnitedKingdom));
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char *what;
        TDateTime value;
    };
    const Case outside[] = {
        {"NaN", std::numeric_limits<double>::quiet_NaN()},
        {"+inf", inf},
        {"-inf", -inf},
        {"1e308", 1e308},
        {"-1e308", -1e308},
        {"a day after the last", MaxDateTime + 1},
        {"a day before the first", MinDateTime - 1},
        // Below the end of 9999 as a double, but it rounds to midnight of year 10000.
        {"rounds into year 10000", 2958466.0 - 2e-9},
    };
    for (const Case &c : outside) {
        const QStringList texts{FormatDateTime(QStringLiteral("ddd dd/mm/yyyy hh:nn:ss.zzz ampm \"at\""), c.value),
                                DateToStr(c.value), TimeToStr(c.value), DateTimeToStr(c.value)};
        EXPECT_EQ(texts, QStringList(4, QString())) << c.what;
        int y = -1, m = -1, d = -1, h = -1, n = -1, s = -1, z = -1;
        DecodeDateTime(c.value, y, m, d, h, n, s, z);
        EXPECT_EQ(QList<int>({y, m, d, h, n, s, z}), QList<int>({0, 0, 0, 0, 0, 0, 0})) << c.what;
        EXPECT_EQ(DayOfTheWeek(c.value), 0) << c.what;
        EXPECT_EQ(DateOf(c.value), 0.0) << c.what;
        EXPECT_EQ(TimeOf(c.value), 0.0) << c.what;
        EXPECT_FALSE(DateTimeToQDateTime(c.value).isValid()) << c.what;
        EXPECT_FALSE(IsValidDateTime(c.value)) << c.what;
    }

    // The calendar's own ends and an ordinary value still work in full.
    struct Inside {
        TDateTime value;
        QDateTime expected;
        int weekday;
        const char *text;
    };
    const Inside inside[] = {
        {EncodeDateTime(2009, 2, 17, 10, 5, 9, 0), QDateTime(QDate(2009, 2, 17), QTime(10, 5, 9)), 2,
         "17/02/2009 10:05:09"},
        {MaxDateTime, QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999)), 5, "31/12/9999 23:59:59"},
        {MinDateTime - 0.25, QDateTime(QDate(1, 1, 1), QTime(6, 0)), 1, "01/01/0001 06:00:00"},
    };
    for (const Inside &c : inside) {
        EXPECT_EQ(DateTimeToStr(c.value), QString::fromLatin1(c.text));
        EXPECT_EQ(DateTimeToQDateTime(c.value), c.expected);
        EXPECT_EQ(DayOfTheWeek(c.value), c.weekday);
        EXPECT_TRUE(IsValidDateTime(c.value));
    }
}

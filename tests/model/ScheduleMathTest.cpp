#include "model/ScheduleMath.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/Records.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace TestRecords;
using TestSupport::CapturedLog;

TEST(DateSteps, MinutesAndHoursKeepSecondsAndStayExact)
{
    const TDateTime x = At(2024, 5, 15, 14, 7, 45, 123);
    EXPECT_TRUE(SameDateTime(AddMinutes(15, x), At(2024, 5, 15, 14, 22, 45, 123)));
    EXPECT_TRUE(SameDateTime(AddMinutes(-1440, x), At(2024, 5, 14, 14, 7, 45, 123)));
    EXPECT_TRUE(SameDateTime(AddHours(10, x), At(2024, 5, 16, 0, 7, 45, 123)));
    EXPECT_TRUE(SameDateTime(AddHours(-15, x), At(2024, 5, 14, 23, 7, 45, 123)));
    // Not rounded to whole minutes: the step is within the last bits of the exact value.
    const long double exact = static_cast<long double>(x) + 7.0L / 1440.0L;
    EXPECT_LE(std::fabs(static_cast<long double>(AddMinutes(7, x)) - exact),
              2.0L * std::ldexp(1.0L, std::ilogb(x) - 52));
    EXPECT_EQ(AddDays(3, x), x + 3);
    EXPECT_EQ(AddWeeks(-2, x), x - 14);
}

TEST(DateSteps, MonthStepClampsToTheMonthEndAndKeepsTheTime)
{
    EXPECT_EQ(AddMonths(1, At(2009, 1, 31, 10)), At(2009, 2, 28, 10));
    EXPECT_EQ(AddMonths(1, At(2008, 1, 31, 10)), At(2008, 2, 29, 10));
    EXPECT_EQ(AddMonths(-1, At(2009, 3, 31, 10)), At(2009, 2, 28, 10));
    EXPECT_EQ(AddMonths(-1, At(2012, 3, 31, 10)), At(2012, 2, 29, 10));
    EXPECT_EQ(AddMonths(-13, At(2009, 1, 15, 6)), At(2007, 12, 15, 6));
    EXPECT_EQ(AddMonths(14, At(2009, 11, 30, 23, 59)), At(2011, 1, 30, 23, 59));
    EXPECT_EQ(AddYears(1, At(2008, 2, 29, 8, 15)), At(2009, 2, 28, 8, 15));
    EXPECT_EQ(AddYears(4, At(2008, 2, 29)), At(2012, 2, 29));
    EXPECT_EQ(AddYears(-1, At(2000, 2, 29)), At(1999, 2, 28));
    // Dates before 30 Dec 1899 count their time of day from the date downwards.
    EXPECT_EQ(AddMonths(1, At(1850, 1, 31, 6)), At(1850, 2, 28, 6));
}

TEST(DateSteps, MonthClampingIsCarriedIntoEveryLaterStep)
{
    TDateTime x = At(2009, 1, 31, 10);
    const int expectDay[] = {28, 28, 28, 28};
    for (int i = 0; i < 4; ++i) {
        x = AddMonths(1, x);
        int y, m, d;
        SplitDate(x, y, m, d);
        EXPECT_EQ(m, 2 + i);
        EXPECT_EQ(d, expectDay[i]);
    }
    // Twelve single steps end on the 28th, one twelve-month step keeps the 31st.
    TDateTime twelve = At(2009, 1, 31, 10);
    for (int i = 0; i < 12; ++i)
        twelve = AddMonths(1, twelve);
    EXPECT_EQ(twelve, At(2010, 1, 28, 10));
    EXPECT_EQ(AddMonths(12, At(2009, 1, 31, 10)), At(2010, 1, 31, 10));
}

TEST(DateSteps, MonthStepBeyondTheCalendarGivesNoDate)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(AddMonths(2, At(9999, 10, 15, 12)), At(9999, 12, 15, 12));
    EXPECT_EQ(AddMonths(3, At(9999, 10, 15, 12)), inf);
    EXPECT_EQ(AddYears(-1, At(2, 6, 1, 12)), At(1, 6, 1, 12));
    EXPECT_EQ(AddYears(-3, At(2, 6, 1, 12)), -inf);
    EXPECT_EQ(AddYears(2000000000, At(2000, 1, 1)), inf);
    EXPECT_EQ(AddYears(-2000000000, At(2000, 1, 1)), -inf);
    const TDateTime huge = 1e300;
    EXPECT_EQ(AddMonths(1, huge), huge);
    EXPECT_TRUE(std::isnan(AddMonths(1, std::nan(""))));
}

TEST(DateSteps, NextWeekdayIsNeverTheSameDay)
{
    const TDateTime monday = At(2024, 5, 13, 10); // a Monday
    ASSERT_EQ(DayOfTheWeek(monday), 1);
    EXPECT_EQ(NextWeekday(1, monday), At(2024, 5, 20, 10));
    EXPECT_EQ(NextWeekday(2, monday), At(2024, 5, 14, 10));
    EXPECT_EQ(NextWeekday(7, monday), At(2024, 5, 19, 10));
    // No weekday 0 or 8: the value comes back unchanged instead of a search without end.
    EXPECT_EQ(NextWeekday(0, monday), monday);
    EXPECT_EQ(NextWeekday(8, monday), monday);
    EXPECT_EQ(NextWeekday(-3, monday), monday);
}

TEST(DateSteps, NextMonthOfYearCarriesTheClamping)
{
    EXPECT_EQ(NextMonthOfYear(1, At(2009, 1, 31, 9)), At(2010, 1, 28, 9));
    EXPECT_EQ(NextMonthOfYear(3, At(2009, 1, 31, 9)), At(2009, 3, 28, 9));
    EXPECT_EQ(NextMonthOfYear(12, At(2009, 1, 15, 9)), At(2009, 12, 15, 9));
    EXPECT_EQ(NextMonthOfYear(0, At(2009, 1, 15)), At(2009, 1, 15));
    EXPECT_EQ(NextMonthOfYear(13, At(2009, 1, 15)), At(2009, 1, 15));
    // At the end of the calendar there is no such month.
    EXPECT_EQ(NextMonthOfYear(6, At(9999, 12, 31, 9)), std::numeric_limits<double>::infinity());
}

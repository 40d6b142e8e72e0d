#include "extras/GlobalFullMoons.h"
#include "model/TaskList.h"
#include "storage/GlobalPreferences.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/Records.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/TestSupport.h"

#include <QLocale>
#include <gtest/gtest.h>

using TestRecords::At;
using TestSupport::PinnedClock;
using TestSupport::ScopedTimeZone;

namespace {

// Central Europe and the US east coast with their summer-time rules, spelled
// out so that no time-zone database is needed.
const char *const kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";
const char *const kNewYork = "EST5EDT,M3.2.0,M11.1.0";

struct TitleCase {
    const char *Name;
    TDateTime Now;
    TDateTime FullMoon; // local
    const char *Title;
    int Factor;
};

struct TableCase {
    const char *Name;
    const char *Zone;
    TDateTime Now;
    const char *Title; // empty: no notice
    int Factor;
    const char *Notes;
};

int CountFullMoons(const TTaskList &list)
{
    int n = 0;
    for (const auto &t : list.Items())
        n += t->Tag == TAG_FULLMOON ? 1 : 0;
    return n;
}

} // namespace

TEST(FullMoonReminder, TitleAndRepeatFactorFollowTheDayAndHourOfTheFullMoon)
{
    // Wednesday 14 January 2026 at noon.
    const TDateTime now = At(2026, 1, 14, 12, 0);
    const TitleCase cases[] = {
        {"already past today", now, At(2026, 1, 14, 1, 0), "Full moon today!- \"Wolf Moon\"", 3},
        {"small hours tomorrow", now, At(2026, 1, 15, 2, 10), "Full moon tonight!- \"Wolf Moon\"", 3},
        {"tomorrow from five", now, At(2026, 1, 15, 5, 0), "Full moon tomorrow!- \"Wolf Moon\"", 3},
        {"small hours in two days", now, At(2026, 1, 16, 3, 0), "Full moon tomorrow!- \"Wolf Moon\"", 6},
        {"evening in two days", now, At(2026, 1, 16, 18, 0), "Full moon on Friday!- \"Wolf Moon\"", 6},
        {"longest title", At(2026, 6, 15, 9, 0), At(2026, 6, 17, 22, 0), "Full moon on Wednesday!- \"Strawberry Moon\"",
         6},
    };
    TPreferences prefs;
    prefs.SetTimeBase24hour(true);
    for (const TitleCase &c : cases) {
        SCOPED_TRACE(c.Name);
        PinnedClock clock(c.Now);
        const TTaskData t = BuildFullMoonReminder(c.FullMoon, prefs);
        EXPECT_EQ(t.Title.Get(), QString::fromUtf8(c.Title));
        EXPECT_EQ(t.RepeatNFactor, c.Factor);
    }
}

TEST(FullMoonReminder, RecordIsADueServiceReminderWithTheTimeOfBestIllumination)
{
    TestSupport::CapturedLog log;
    const TDateTime now = At(2026, 1, 14, 12, 0, 5);
    PinnedClock clock(now);
    TPreferences prefs;
    prefs.SetTimeBase24hour(true);
    const TDateTime x = At(2026, 1, 16, 21, 34);
    const TTaskData t = BuildFullMoonReminder(x, prefs);

    EXPECT_EQ(t.Taskkind, tkService);
    EXPECT_EQ(t.Tag, TAG_FULLMOON);
    EXPECT_FALSE(t.RepeatTask);
    EXPECT_EQ(t.RepeatRule, srHours);
    EXPECT_EQ(t.Scheduled, now);
    EXPECT_EQ(t.Created, now);
    EXPECT_EQ(t.LastRun, 0.0);
    EXPECT_EQ(t.EventDateTime, 0.0);
    EXPECT_TRUE(t.PlaySound);
    EXPECT_TRUE(t.SoundFile.Get().isEmpty());
    EXPECT_TRUE(t.SpecialForm);
    EXPECT_TRUE(t.Enabled);
    EXPECT_FALSE(t.PopupNote || t.SendEmail || t.RunProgram || t.ShutdownComputer);
    EXPECT_FALSE(t.Visible || t.InService || t.Delivered || t.NewScheduleCalculated || t.PopupNoteFormVisible);
    EXPECT_EQ(t.HasRun, 0);
    EXPECT_TRUE(t.Reserved4IsZero());
    EXPECT_EQ(t.Notes1.Get(), QStringLiteral("best illumination at 21:34 local time "));
    EXPECT_TRUE(log.Contains(QStringLiteral("Info: Full moon task added. Schedule converted from (UTC to LOCAL): ")
                             + DateTimeToStr(x)));
    EXPECT_TRUE(log.Contains(QStringLiteral("Info: Full moon on Friday!- \"Wolf Moon\"")));
    EXPECT_TRUE(log.Contains(QStringLiteral("Info: Full moon task Schedule: ") + DateTimeToStr(now)));

    // The 12-hour clock and the preference that switches notices off.
    prefs.SetTimeBase24hour(false);
    prefs.SetShowFullMoons(false);
    const TTaskData twelve = BuildFullMoonReminder(x, prefs);
    EXPECT_EQ(twelve.Notes1.Get(), QStringLiteral("best illumination at 09:34 %1 local time ").arg(QLocale().pmText()));
    EXPECT_FALSE(twelve.Enabled);
}

// The names themselves are checked where a notice shows one; here only a
// month outside the year.
TEST(FullMoonReminder, NoMonthNameOutsideTheYear)
{
    QString untouched = QStringLiteral("x");
    EXPECT_FALSE(FullMoonName(0, untouched));
    EXPECT_FALSE(FullMoonName(13, untouched));
    EXPECT_EQ(untouched, QStringLiteral("x"));
}

TEST(FullMoonReminder, StartAnnouncesTheTableFullMoonOfTheNextThreeLocalDates)
{
    // Full moons of the table used here (UTC): 3 Jan 2026 10:03, 2 Apr 2026
    // 02:12, 31 May 2026 08:45, 29 Jun 2026 23:57, 26 Oct 2026 04:12 (the
    // night after summer time ends in Europe), 24 Dec 2026 01:28.
    const TableCase cases[] = {
        {"Saturday in Berlin", kBerlin, At(2026, 1, 1, 20, 0), "Full moon on Saturday!- \"Wolf Moon\"", 6,
         "best illumination at 11:03 local time "},
        {"five o'clock in New York", kNewYork, At(2026, 1, 1, 20, 0), "Full moon on Saturday!- \"Wolf Moon\"", 6,
         "best illumination at 05:03 local time "},
        {"three days ahead", kBerlin, At(2025, 12, 31, 23, 59), "", 0, ""},
        {"tonight, in summer time", kBerlin, At(2026, 4, 1, 9, 0), "Full moon tonight!- \"Pink Moon\"", 3,
         "best illumination at 04:12 local time "},
        {"earlier today", kBerlin, At(2026, 4, 2, 10, 0), "Full moon today!- \"Pink Moon\"", 3,
         "best illumination at 04:12 local time "},
        {"tomorrow", kBerlin, At(2026, 5, 30, 8, 0), "Full moon tomorrow!- \"Flower Moon\"", 3,
         "best illumination at 10:45 local time "},
        {"next day in Berlin", kBerlin, At(2026, 6, 29, 8, 0), "Full moon tonight!- \"Strawberry Moon\"", 3,
         "best illumination at 01:57 local time "},
        {"same day in UTC", "UTC0", At(2026, 6, 29, 8, 0), "Full moon today!- \"Strawberry Moon\"", 3,
         "best illumination at 23:57 local time "},
        // Winter time holds on the day of the full moon, not summer time as now.
        {"after summer time ends", kBerlin, At(2026, 10, 24, 12, 0), "Full moon on Monday!- \"Hunter's Moon\"", 6,
         "best illumination at 05:12 local time "},
        {"small hours in two days", kBerlin, At(2026, 12, 22, 12, 0), "Full moon tomorrow!- \"Cold Moon\"", 6,
         "best illumination at 02:28 local time "},
        {"after the table", kBerlin, At(2101, 1, 1, 12, 0), "", 0, ""},
    };
    TPreferences prefs;
    prefs.SetTimeBase24hour(true);
    for (const TableCase &c : cases) {
        SCOPED_TRACE(c.Name);
        ScopedTimeZone zone(c.Zone);
        PinnedClock clock(c.Now);
        TTaskList list;
        const bool added = AddNextFullMoon(list, prefs);
        ASSERT_EQ(added, *c.Title != '\0');
        ASSERT_EQ(list.Count(), added ? 1 : 0);
        if (!added)
            continue;
        EXPECT_EQ(list[0].Title.Get(), QString::fromUtf8(c.Title));
        EXPECT_EQ(list[0].RepeatNFactor, c.Factor);
        EXPECT_EQ(list[0].Notes1.Get(), QString::fromUtf8(c.Notes));
    }
}

TEST(FullMoonReminder, UtcBiasIsTheZoneOffsetInForceAtTheInstant)
{
    ScopedTimeZone zone(kBerlin);
    {
        PinnedClock winter(At(2026, 1, 10, 12, 0));
        EXPECT_DOUBLE_EQ(UtcBias(), -60.0 / 1440.0);
    }
    {
        PinnedClock summer(At(2026, 7, 10, 12, 0));
        EXPECT_DOUBLE_EQ(UtcBias(), -120.0 / 1440.0);
    }
    EXPECT_DOUBLE_EQ(UtcBias(At(2026, 10, 25, 0, 59)), -120.0 / 1440.0);
    EXPECT_DOUBLE_EQ(UtcBias(At(2026, 10, 25, 1, 0)), -60.0 / 1440.0);
    EXPECT_DOUBLE_EQ(UtcToLocal(At(2026, 10, 26, 4, 12)), At(2026, 10, 26, 5, 12));
    ScopedTimeZone west(kNewYork);
    EXPECT_DOUBLE_EQ(UtcBias(At(2026, 1, 3, 10, 3)), 300.0 / 1440.0);
}

TEST(FullMoonReminder, EachStartRemovesWhatAnEarlierRunLeftAndAddsOneNotice)
{
    TestSupport::CapturedLog log;
    ScopedTimeZone zone(kBerlin);
    PinnedClock clock(At(2026, 1, 1, 20, 0));
    TPreferences prefs;
    TTaskList list;
    list.AddTask(TestRecords::Alarm(QStringLiteral("Dentist"), At(2026, 1, 2, 9, 0)));
    // A store saved during an earlier run may hold its notice; a broken one may hold two.
    TTaskData stale = BuildFullMoonReminder(At(2025, 12, 4, 23, 14), prefs);
    list.AddTask(stale);
    list.AddTask(stale);

    InitFullMoons(list, prefs);
    EXPECT_EQ(CountFullMoons(list), 1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list[1].Title.Get(), QStringLiteral("Full moon on Saturday!- \"Wolf Moon\""));
    QStringList lines = log.Lines();
    const int init = int(lines.indexOf(QStringLiteral("Info: Initialize InitFullMoons")));
    ASSERT_GE(init, 0);
    EXPECT_EQ(lines.mid(init).count(QStringLiteral("Info: Full moon task found and deleted.")), 2);

    // A second start on the same day (its store saved with the notice).
    InitFullMoons(list, prefs);
    EXPECT_EQ(CountFullMoons(list), 1);
    EXPECT_EQ(list.Count(), 2);

    // The end of the run leaves the user's reminders alone.
    RemoveFullMoons(list);
    EXPECT_EQ(CountFullMoons(list), 0);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0].Title.Get(), QStringLiteral("Dentist"));
}

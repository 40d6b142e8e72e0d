#include "app/BrivaneApplication.h"
#include "app/PalvaroApplication.h"
#include "storage/GlobalPreferences.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeShell.h"
#include "tests/fakes/ScriptedAnswers.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// The environment and preferences that the clock check reads.
struct ClockCheck : ::testing::Test {
    void SetUp() override
    {
        exe = dir.filePath("Brivane");
        TestSupport::WriteAll(exe, "");
        app = std::make_unique<TPalvaroApplication>(exe, &boxes, &shell);
        prefs.SetLastRun(lastRun);
    }
    QTemporaryDir dir;
    QString exe;
    TScriptedAnswers boxes{[](TMsgButtons) { return TMsgResult::Ok; }};
    Shell::FakeShell shell;
    std::unique_ptr<TPalvaroApplication> app;
    TPreferences prefs{QStringLiteral("Brivane"), QStringLiteral("Brivane")};
    const TDateTime lastRun = EncodeDateTime(2009, 2, 17, 10, 15, 0, 0);
};
} // namespace

TEST_F(ClockCheck, ClockBehindLastRunWarnsAndOkOpensTheSettingsAndEnds)
{
    TestSupport::PinnedClock clock(lastRun - OneHour);
    TBrivaneApplication::CheckRunPastDate(*app, prefs);
    ASSERT_EQ(boxes.Texts.size(), 1);
    EXPECT_TRUE(boxes.Texts[0].startsWith("Brivane may not work properly, because your system's clock\n"));
    EXPECT_TRUE(boxes.Texts[0].contains("Last run was at Tue, 17 Feb 2009 at 10:15"));
    EXPECT_TRUE(boxes.Texts[0].endsWith("(and restart Brivane)\nor Ignore to continue."));
    EXPECT_EQ(shell.DateTimeSettingsStarted, 1);
    EXPECT_TRUE(app->TerminateRequested());
}

TEST_F(ClockCheck, IgnoreGoesOnAndEqualOrLaterTimesPassSilently)
{
    boxes.Answer = [](TMsgButtons) { return TMsgResult::Ignore; };
    {
        TestSupport::PinnedClock clock(lastRun - OneMinute);
        TBrivaneApplication::CheckRunPastDate(*app, prefs);
    }
    EXPECT_EQ(boxes.Texts.size(), 1);
    EXPECT_EQ(shell.DateTimeSettingsStarted, 0);
    EXPECT_FALSE(app->TerminateRequested());
    for (TDateTime now : {lastRun, lastRun + OneSecond}) {
        TestSupport::PinnedClock clock(now);
        TBrivaneApplication::CheckRunPastDate(*app, prefs);
    }
    EXPECT_EQ(boxes.Texts.size(), 1);
    // A LastRun that is no date (a damaged preferences file) says nothing about the clock.
    TestSupport::PinnedClock clock(lastRun);
    for (TDateTime damaged : {1e308, MaxDateTime + 1}) {
        prefs.SetLastRun(damaged);
        TBrivaneApplication::CheckRunPastDate(*app, prefs);
    }
    EXPECT_EQ(boxes.Texts.size(), 1);
}

TEST_F(ClockCheck, SummerTimeEndingIsNoClockSetBack)
{
    // Berlin, 27 Oct 2024: at 03:00 summer time (01:00 UTC) the clocks go back to 02:00.
    TestSupport::ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    prefs.SetLastRun(EncodeDateTime(2024, 10, 27, 2, 50, 0, 0));
    {
        TestSupport::PinnedClock clock(0);
        Clock::PinUtc(EncodeDateTime(2024, 10, 27, 1, 10, 0, 0)); // 02:10 winter time
        TBrivaneApplication::CheckRunPastDate(*app, prefs);
        EXPECT_TRUE(boxes.Texts.empty());
        EXPECT_FALSE(app->TerminateRequested());
        // 02:40 summer time, before the 02:50 that last closed the program: set back.
        Clock::PinUtc(EncodeDateTime(2024, 10, 27, 0, 40, 0, 0));
        TBrivaneApplication::CheckRunPastDate(*app, prefs);
        EXPECT_EQ(boxes.Texts.size(), 1);
    }
}

TEST(Modules, FinalizationsRunOnceNewestFirst)
{
    QStringList order;
    TBrivaneApplication program;
    program.BeginModule("first", [&] { order << "first"; });
    program.BeginModule("second", [&] { order << "second"; });
    program.RunFinalizations();
    program.RunFinalizations();
    EXPECT_EQ(order, (QStringList{"second", "first"}));
}

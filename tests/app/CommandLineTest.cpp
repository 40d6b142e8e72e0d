#include "app/CommandLine.h"
#include "model/TaskData.h"
#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>

using namespace Cli;

namespace {

// Thursday 10 Dec 2026, 14:30:20.
const TDateTime kNow = EncodeDateTime(2026, 12, 10, 14, 30, 20, 0);

TParseResult P(const QStringList &args)
{
    return Parse(args, kNow);
}

struct BadForm {
    QStringList Args;
    const char *Names; // what the one error line must name
};

} // namespace

TEST(CommandLine, VerbsWithoutOptions)
{
    EXPECT_EQ(P({}).Command.Verb, TVerb::Start);
    // The toolkit's own options still start the program.
    EXPECT_EQ(P({"-platform", "xcb"}).Command.Verb, TVerb::Start);
    EXPECT_EQ(P({"--help"}).Command.Verb, TVerb::Help);
    EXPECT_EQ(P({"--version"}).Command.Verb, TVerb::Version);
    const TParseResult list = P({"list", "--json", "--next-five"});
    ASSERT_TRUE(list.Ok()) << list.Error.toStdString();
    EXPECT_TRUE(list.Command.Json);
    EXPECT_EQ(list.Command.Filter, TListFilter::NextFive);
    EXPECT_EQ(P({"list"}).Command.Filter, TListFilter::NotCompleted);
    EXPECT_FALSE(P({"list"}).Command.Json);
    EXPECT_EQ(P({"open", "preferences"}).Command.Window, TWindow::Preferences);
    EXPECT_EQ(P({"open", "add"}).Command.Window, TWindow::Add);
    const TParseResult exp = P({"export", "Tee kochen", "/tmp/x.tsk"});
    EXPECT_EQ(exp.Command.Verb, TVerb::Export);
    EXPECT_EQ(exp.Command.Title, "Tee kochen");
    EXPECT_EQ(exp.Command.File, "/tmp/x.tsk");
    EXPECT_EQ(P({"import", "a.tsk"}).Command.File, "a.tsk");
}

TEST(CommandLine, AddOptionsAreRead)
{
    const TParseResult r = P({"add", "Zahnarzt 歯医者", "--at", "2026-12-24 09:05", "--note", "Karte mitnehmen",
                              "--every", "2", "weeks", "--except", "sat,Sunday", "--warn", "1h30m", "--sound",
                              "bell.wav", "--mail", "a@example.org", "--mail", "b@example.org"});
    ASSERT_TRUE(r.Ok()) << r.Error.toStdString();
    const TAddOptions &a = r.Command.Add;
    EXPECT_EQ(a.Title, "Zahnarzt 歯医者");
    EXPECT_DOUBLE_EQ(a.Start, EncodeDateTime(2026, 12, 24, 9, 5, 0, 0));
    EXPECT_EQ(a.Notes, "Karte mitnehmen");
    EXPECT_EQ(a.Every, (TRule{srWeeks, 2}));
    const bool excluded[7] = {false, false, false, false, false, true, true};
    EXPECT_TRUE(std::equal(std::begin(excluded), std::end(excluded), std::begin(a.ExcludedDays)));
    EXPECT_EQ(a.Warn, (TRule{srMinutes, 90}));
    EXPECT_EQ(a.Sound, "bell.wav");
    EXPECT_FALSE(a.Silent);
    EXPECT_EQ(a.Mail, QStringList({"a@example.org", "b@example.org"}));
}

TEST(CommandLine, BareTimeIsTodayUntilItsMinuteHasPassed)
{
    // 14:30 is the minute now runs in: still today.
    const struct {
        const char *At;
        TDateTime Expected;
    } cases[] = {{"14:31", EncodeDateTime(2026, 12, 10, 14, 31, 0, 0)},
                 {"14:30", EncodeDateTime(2026, 12, 10, 14, 30, 0, 0)},
                 {"14:29", EncodeDateTime(2026, 12, 11, 14, 29, 0, 0)},
                 {"0:00", EncodeDateTime(2026, 12, 11, 0, 0, 0, 0)},
                 {"23:59", EncodeDateTime(2026, 12, 10, 23, 59, 0, 0)}};
    for (const auto &c : cases) {
        const TParseResult r = P({"add", "x", "--at", c.At});
        ASSERT_TRUE(r.Ok()) << c.At;
        EXPECT_NEAR(r.Command.Add.Start, c.Expected, OneMillisecond / 2) << c.At;
    }
    // Across the end of a month and a year.
    const auto late = ParseAt("08:00", EncodeDateTime(2026, 12, 31, 23, 0, 0, 0));
    ASSERT_TRUE(late);
    EXPECT_NEAR(*late, EncodeDateTime(2027, 1, 1, 8, 0, 0, 0), OneMillisecond / 2);
}

TEST(CommandLine, DurationsAndTheirRules)
{
    EXPECT_EQ(ParseDuration("10m"), (TDuration{0, 0, 0, 10}));
    EXPECT_EQ(ParseDuration("2h"), (TDuration{0, 0, 2, 0}));
    EXPECT_EQ(ParseDuration("1w"), (TDuration{1, 0, 0, 0}));
    EXPECT_EQ(ParseDuration("1h30m"), (TDuration{0, 0, 1, 30}));
    EXPECT_EQ(ParseDuration("1d12h"), (TDuration{0, 1, 12, 0}));
    for (const char *bad : {"", "0m", "10", "m", "1m1h", "1h 30m", "-5m", "1.5h", "1x", "10mm"})
        EXPECT_FALSE(ParseDuration(bad)) << bad;

    EXPECT_EQ(WarnRule({0, 0, 0, 90}), (TRule{srMinutes, 90}));
    EXPECT_EQ(WarnRule({0, 0, 2, 0}), (TRule{srHours, 2}));
    EXPECT_EQ(WarnRule({0, 0, 48, 0}), (TRule{srDays, 2}));
    EXPECT_EQ(WarnRule({0, 7, 0, 0}), (TRule{srWeeks, 1}));
    EXPECT_EQ(WarnRule({0, 1, 1, 0}), (TRule{srHours, 25}));

    const TParseResult in = P({"add", "x", "--in", "1h30m"});
    ASSERT_TRUE(in.Ok());
    EXPECT_NEAR(in.Command.Add.Start, kNow + 90 * OneMinute, OneMillisecond / 2);
}

TEST(CommandLine, HoursCountRealTimeAcrossTheAutumnChangeDaysKeepTheClockTime)
{
    TestSupport::ScopedTimeZone tz("CET-1CEST,M3.5.0,M10.5.0/3");
    // Sunday 25 Oct 2026: 03:00 summer time goes back to 02:00.
    const TDateTime evening = EncodeDateTime(2026, 10, 24, 23, 0, 0, 0);
    EXPECT_NEAR(AddDuration(evening, {0, 0, 5, 0}), EncodeDateTime(2026, 10, 25, 3, 0, 0, 0), OneSecond);
    EXPECT_NEAR(AddDuration(evening, {0, 1, 0, 0}), EncodeDateTime(2026, 10, 25, 23, 0, 0, 0), OneSecond);
}

TEST(CommandLine, BadFormsAreUsageErrorsNamingTheArgument)
{
    const BadForm cases[] = {
        {{"frobnicate"}, "frobnicate"},
        {{"--verbose"}, "--verbose"},
        {{"--help", "add"}, "add"},
        {{"add"}, "TITLE"},
        {{"add", "x"}, "--at or --in"},
        {{"add", "  ", "--in", "5m"}, "title"},
        {{"add", "x", "y", "--in", "5m"}, "y"},
        {{"add", "x", "--at"}, "--at"},
        {{"add", "x", "--at", "25:00"}, "25:00"},
        {{"add", "x", "--at", "2026-02-30 10:00"}, "2026-02-30 10:00"},
        {{"add", "x", "--at", "tomorrow"}, "tomorrow"},
        {{"add", "x", "--at", "10:00", "--in", "5m"}, "--in"},
        {{"add", "x", "--in", "5"}, "5"},
        {{"add", "x", "--in", "0m"}, "0m"},
        {{"add", "x", "--in", "5m", "--every", "0", "days"}, "0"},
        {{"add", "x", "--in", "5m", "--every", "2", "fortnights"}, "fortnights"},
        {{"add", "x", "--in", "5m", "--every", "2"}, "--every"},
        {{"add", "x", "--in", "5m", "--except", "sat"}, "--except"},
        {{"add", "x", "--in", "5m", "--every", "1", "day", "--except", "sat,caturday"}, "caturday"},
        {{"add", "x", "--in", "5m", "--every", "1", "day", "--except", "mon,tue,wed,thu,fri,sat,sun"}, "--except"},
        {{"add", "x", "--in", "5m", "--warn", "soon"}, "soon"},
        {{"add", "x", "--in", "5m", "--sound", "a.wav", "--silent"}, "--silent"},
        {{"add", "x", "--in", "5m", "--mail", "nobody"}, "nobody"},
        {{"add", "x", "--in", "5m", "--mail", "a@b.org, c@d.org"}, "a@b.org, c@d.org"},
        {{"add", "x", "--in", "5m", "--loud"}, "--loud"},
        {{"list", "--today", "--tomorrow"}, "--tomorrow"},
        {{"list", "--yaml"}, "--yaml"},
        {{"open"}, "reminders"},
        {{"open", "calendar"}, "calendar"},
        {{"open", "add", "now"}, "now"},
        {{"import"}, "FILE.tsk"},
        {{"export", "x"}, "FILE.tsk"},
        {{"export", "x", "a.tsk", "b.tsk"}, "b.tsk"},
    };
    for (const BadForm &c : cases) {
        const TParseResult r = P(c.Args);
        const std::string args = c.Args.join(' ').toStdString();
        EXPECT_EQ(r.ExitCode, ExitUsage) << args;
        EXPECT_TRUE(r.Error.contains(QString::fromUtf8(c.Names))) << args << " -> " << r.Error.toStdString();
        EXPECT_FALSE(r.Error.contains(QLatin1Char('\n'))) << args;
    }
}

TEST(CommandLine, UsageNamesEveryCommandAndOption)
{
    const QString usage = UsageText();
    for (const char *word : {"brivane add TITLE", "--at", "--in", "--note", "--every", "--except", "--warn", "--sound",
                             "--silent", "--mail", "list [--json]", "--next-five", "--completed",
                             "open reminders|add|preferences", "import FILE.tsk", "export TITLE FILE.tsk", "--version"})
        EXPECT_TRUE(usage.contains(QLatin1String(word))) << word;
    EXPECT_TRUE(usage.endsWith(QLatin1Char('\n')));
}

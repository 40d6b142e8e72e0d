#include "app/Commands.h"
#include "model/TaskList.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Cli;

namespace {

const char *const kZone = "CET-1CEST,M3.5.0,M10.5.0/3";
// Thursday 10 Dec 2026, 14:30.
const TDateTime kNow = EncodeDateTime(2026, 12, 10, 14, 30, 0, 0);

TAddOptions AddArgs(const QStringList &args)
{
    const TParseResult r = Parse(QStringList{"add"} + args, kNow);
    EXPECT_TRUE(r.Ok()) << r.Error.toStdString();
    return r.Command.Add;
}

struct Commands : ::testing::Test {
    TestSupport::ScopedTimeZone tz{kZone};
    TestSupport::PinnedClock clock{kNow};
    TTaskList list;
    int modified = 0;
    void SetUp() override
    {
        list.OnModified = [this] { ++modified; };
    }
    TTaskData &Added(const QStringList &args)
    {
        const TAnswer a = Add(list, AddArgs(args));
        EXPECT_EQ(a.ExitCode, ExitOk) << a.Err.toStdString();
        return list.GetTask(list.Count() - 1);
    }
    QJsonArray Json(TListFilter filter = TListFilter::NotCompleted)
    {
        const TAnswer a = List(list, true, filter, kNow, QString());
        EXPECT_EQ(a.ExitCode, ExitOk);
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(a.Out.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << a.Out.toStdString();
        EXPECT_TRUE(doc.isArray());
        return doc.array();
    }
};

} // namespace

TEST_F(Commands, AddBuildsAnAlarmAsTheWizardWould)
{
    const TAnswer a = Add(list, AddArgs({"Tee", "--in", "10m"}));
    EXPECT_EQ(a.ExitCode, ExitOk);
    EXPECT_EQ(a.Out, "2026-12-10T14:40:00+01:00\n");
    EXPECT_TRUE(a.Err.isEmpty());
    EXPECT_EQ(modified, 1);
    ASSERT_EQ(list.Count(), 1);
    const TTaskData &t = list[0];
    EXPECT_EQ(t.Taskkind, tkAlarm);
    EXPECT_EQ(t.Title.Get(), "Tee");
    EXPECT_TRUE(t.PopupNote && t.PlaySound && t.Enabled && t.Visible);
    EXPECT_EQ(t.SoundFile.Get(), DefaultSoundFile);
    EXPECT_FALSE(t.SendEmail || t.RunProgram || t.ShutdownComputer || t.RepeatTask || t.PreWarning || t.Delivered);
    EXPECT_DOUBLE_EQ(t.Scheduled, t.EventDateTime);
    EXPECT_NEAR(t.Scheduled, kNow + 10 * OneMinute, OneMillisecond);
    EXPECT_DOUBLE_EQ(t.Created, kNow);
    EXPECT_EQ(t.HasRun, 0);
}

TEST_F(Commands, AddWithEveryOptionFillsTheirFields)
{
    const TTaskData &t =
        Added({"Stand-up", "--at", "2026-12-14 09:00", "--every", "1", "day", "--except", "sat,sun", "--warn", "15m",
               "--silent", "--mail", "a@example.org", "--mail", "b@example.org", "--note", "Raum 4"});
    EXPECT_TRUE(t.RepeatTask);
    EXPECT_EQ(t.RepeatRule, srDays);
    EXPECT_EQ(t.RepeatNFactor, 1);
    for (int d = 1; d <= 7; ++d)
        EXPECT_EQ(t.IsWeekdayExcluded(d), d >= 6) << d;
    EXPECT_TRUE(t.PreWarning);
    EXPECT_EQ(t.PreWarningRule, srMinutes);
    EXPECT_EQ(t.PreWarningNFactor, 15);
    EXPECT_NEAR(t.EventDateTime, EncodeDateTime(2026, 12, 14, 9, 0, 0, 0), OneMillisecond);
    EXPECT_NEAR(t.Scheduled, EncodeDateTime(2026, 12, 14, 8, 45, 0, 0), OneMillisecond);
    EXPECT_TRUE(t.PopupNote);
    EXPECT_FALSE(t.PlaySound);
    EXPECT_TRUE(t.SendEmail);
    EXPECT_EQ(t.EmailTo.Get(), "a@example.org, b@example.org");
    EXPECT_EQ(t.Notes(), "Raum 4");
}

TEST_F(Commands, AddKeepsLongTextsWholeWhereTheyFitAndRefusesWhatWouldBreak)
{
    // 300 three-byte characters: 83 fill the first half, 83 the second, the rest is cut and said so.
    const QString note(300, QChar(u'€'));
    const TAnswer cut = Add(list, AddArgs({"x", "--in", "5m", "--note", note}));
    EXPECT_EQ(cut.ExitCode, ExitOk);
    EXPECT_TRUE(cut.Err.contains("note was cut"));
    EXPECT_EQ(list[0].Notes(), note.left(166));
    EXPECT_EQ(list[0].Notes1.Len, 249);

    const QString longTitle = QString(60, QLatin1Char('a'));
    const TAnswer title = Add(list, AddArgs({longTitle, "--in", "5m"}));
    EXPECT_EQ(title.ExitCode, ExitOk);
    EXPECT_TRUE(title.Err.contains("title was cut"));
    EXPECT_EQ(list[1].Title.Get(), longTitle.left(50));

    // A cut sound path or address list would name another file or person: nothing is added.
    const int before = list.Count();
    const TAnswer sound =
        Add(list, AddArgs({"x", "--in", "5m", "--sound", "/home/someone/sounds/" + QString(40, 'b') + ".wav"}));
    EXPECT_EQ(sound.ExitCode, ExitUsage);
    EXPECT_TRUE(sound.Err.startsWith("--sound"));
    QStringList mails = {"x", "--in", "5m"};
    for (int i = 0; i < 6; ++i)
        mails << "--mail" << QStringLiteral("person%1@example.org").arg(i);
    EXPECT_EQ(Add(list, AddArgs(mails)).ExitCode, ExitUsage);
    // Friday 11 Dec excluded for a start on Friday.
    const TAnswer excluded =
        Add(list, AddArgs({"x", "--at", "2026-12-11 10:00", "--every", "1", "week", "--except", "fri"}));
    EXPECT_EQ(excluded.ExitCode, ExitUsage);
    EXPECT_TRUE(excluded.Err.contains("Friday"));
    EXPECT_EQ(list.Count(), before);
}

TEST_F(Commands, ListJsonHasTheKeysSortedByNextRun)
{
    Added({"Später", "--at", "2026-12-20 18:00"});
    Added({"Gleich 今", "--in", "10m", "--every", "1", "day", "--note", "zwei\nZeilen"});
    TTaskData &done = Added({"Erledigt", "--in", "5m"});
    done.Delivered = true;
    TTaskData &suspended = Added({"Ruht", "--at", "2026-12-12 08:00"});
    suspended.Enabled = false;
    TTaskData service = NewWizardTask();
    service.Taskkind = tkService;
    service.Tag = TAG_BACKUP;
    list.AddTask(service);

    const QJsonArray shown = Json();
    ASSERT_EQ(shown.size(), 3);
    const QJsonObject first = shown[0].toObject();
    EXPECT_EQ(first.keys(), QStringList({"completed", "enabled", "kind", "next", "notes", "repeat", "title"}));
    EXPECT_EQ(first["title"].toString(), "Gleich 今");
    EXPECT_EQ(first["kind"].toString(), "alarm");
    EXPECT_EQ(first["next"].toString(), "2026-12-10T14:40:00+01:00");
    EXPECT_EQ(first["repeat"].toString(), "Every 1 Day(s)");
    EXPECT_EQ(first["notes"].toString(), "zwei\nZeilen");
    EXPECT_EQ(shown[1].toObject()["title"].toString(), "Ruht");
    EXPECT_FALSE(shown[1].toObject()["enabled"].toBool());
    EXPECT_TRUE(shown[2].toObject()["repeat"].isNull());
    EXPECT_TRUE(shown[2].toObject()["enabled"].toBool());

    const QJsonArray all = Json(TListFilter::All);
    ASSERT_EQ(all.size(), 4);
    const QJsonObject last = all[3].toObject();
    EXPECT_EQ(last["title"].toString(), "Erledigt");
    EXPECT_TRUE(last["completed"].toBool());
    EXPECT_TRUE(last["next"].isNull());

    EXPECT_EQ(Json(TListFilter::Today).size(), 2); // the completed one is today too
    EXPECT_EQ(Json(TListFilter::NextFive).size(), 1);
    EXPECT_EQ(Json(TListFilter::Tomorrow).size(), 0);
    // An empty list is still one JSON array.
    TTaskList empty;
    EXPECT_EQ(List(empty, true, TListFilter::All, kNow, QString()).Out.trimmed(), "[\n]");
}

TEST_F(Commands, SummerTimeAndComputerTasksInJson)
{
    TTaskData &t = Added({"Sommer", "--at", "2027-07-01 18:00"});
    t.Taskkind = tkAutomatedTask;
    const QJsonObject o = Json()[0].toObject();
    EXPECT_EQ(o["next"].toString(), "2027-07-01T18:00:00+02:00");
    EXPECT_EQ(o["kind"].toString(), "computer task");
}

TEST_F(Commands, ListColumnsAlignUnderTheDetailsCaptions)
{
    Added({"Kurz", "--at", "2026-12-20 18:00"});
    Added({"Ein längerer Titel 長い", "--in", "10m", "--every", "2", "hours", "--note", "a\tb"});
    const TAnswer a = List(list, false, TListFilter::NotCompleted, kNow, QString());
    const QStringList lines = a.Out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("Title"));
    EXPECT_TRUE(lines[1].startsWith("Ein längerer Titel 長い"));
    EXPECT_TRUE(lines[1].contains("Today at 14:40"));
    EXPECT_TRUE(lines[1].contains("Every 2 Hour(s)"));
    EXPECT_TRUE(lines[2].contains("Run only once"));
    // The second column starts in the same terminal cell on every line: the
    // wide characters count twice.
    const int titleWidth = 18 + 2 * 2 + 2; // "Ein längerer Titel " + two wide + the gap
    EXPECT_EQ(lines[0].indexOf("Next Run"), titleWidth + 1);
    EXPECT_EQ(lines[2].indexOf("Sun, 20 Dec 2026"), titleWidth + 1);
    EXPECT_EQ(lines[1].indexOf("Today"), titleWidth + 1 - 2);
}

TEST_F(Commands, ExportAndImportRoundTripAndReportFailures)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("tee.tsk");
    Added({"Tee", "--in", "10m", "--note", "grün"});
    const QByteArray original = list[0].ToBytes();
    EXPECT_EQ(Export(list, "Tee", file).ExitCode, ExitOk);
    const TAnswer in = Import(list, file);
    EXPECT_EQ(in.ExitCode, ExitOk);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[1].ToBytes(), original);
    EXPECT_EQ(modified, 2);

    // Two of the same title now: which one is meant cannot be told.
    const TAnswer twice = Export(list, "Tee", dir.filePath("b.tsk"));
    EXPECT_EQ(twice.ExitCode, ExitFailure);
    EXPECT_TRUE(twice.Err.contains("2 reminders"));
    EXPECT_FALSE(QFile::exists(dir.filePath("b.tsk")));
    EXPECT_EQ(Export(list, "Kaffee", dir.filePath("c.tsk")).ExitCode, ExitFailure);
    EXPECT_EQ(Export(list, "Tee", dir.filePath("no/such/folder/d.tsk")).ExitCode, ExitFailure);

    const TAnswer missing = Import(list, dir.filePath("missing.tsk"));
    EXPECT_EQ(missing.ExitCode, ExitFailure);
    EXPECT_TRUE(missing.Err.contains("missing.tsk"));
    TestSupport::WriteAll(dir.filePath("short.tsk"), QByteArray(100, '\x1a'));
    const TAnswer damaged = Import(list, dir.filePath("short.tsk"));
    EXPECT_EQ(damaged.ExitCode, ExitFailure);
    EXPECT_TRUE(damaged.Err.contains("Error 06"));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(modified, 2);
}

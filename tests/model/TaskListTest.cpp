#include "model/TaskList.h"
#include "core/vornIniFile.h"
#include "model/CalendarNames.h"
#include "platform/Desktop.h"
#include "tests/fakes/FakeTrash.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/Records.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>

using namespace TestRecords;
using TestSupport::CapturedLog;
using TestSupport::PinnedClock;

namespace {

QStringList Titles(const TTaskList &list)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
        out << list.GetTask(i).Title.Get();
    return out;
}

TTaskData Service(int32_t tag, const QString &title)
{
    TTaskData t = Alarm(title);
    t.Taskkind = tkService;
    t.Tag = tag;
    return t;
}

} // namespace

TEST(TaskList, RecordsKeepTheirAddressAndAreFoundByIt)
{
    TTaskList list;
    EXPECT_TRUE(list.Ascending());
    EXPECT_EQ(list.ModifiedAt(), 0);
    TTaskData source = Alarm(QStringLiteral("a"));
    TTaskData &a = list.AddTask(source);
    TTaskData &b = list.AddTask(Alarm(QStringLiteral("b")));
    TTaskData &c = list.AddTask(Alarm(QStringLiteral("c")));
    EXPECT_NE(&a, &source); // a copy of its own
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.ModifiedAt(), 0); // adding does not mark the list
    EXPECT_EQ(&list.GetTask(1), &b);
    list.SetAscending(false);
    list.SortByTitle();
    EXPECT_EQ(&list.GetTask(0), &c); // sorting moves references, not records
    EXPECT_EQ(list.IndexOfTask(&a), 2);
    list.RemoveTask(&b);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.IndexOfTask(&b), -1);
    EXPECT_EQ(list.IndexOfTask(nullptr), -1);
    EXPECT_EQ(list.IndexOfTask(&source), -1);
    list.RemoveTask(&source); // not in the list: nothing happens
    EXPECT_EQ(list.Count(), 2);
    EXPECT_THROW(list.GetTask(2), std::out_of_range);
    EXPECT_THROW(list.GetTask(-1), std::out_of_range);
}

TEST(TaskList, RemovedRecordStaysReadableWhileAWindowHoldsIt)
{
    TTaskList list;
    list.AddTask(Alarm(QStringLiteral("first")));
    TTaskData &held = list.AddTask(Alarm(QStringLiteral("held by a window")));
    std::weak_ptr<TTaskData> watch;
    {
        const TTaskList::TTaskRef window = list.SharedTask(&held);
        ASSERT_EQ(window.get(), &held);
        watch = window;
        list.DeleteTask(nullptr); // nothing to delete
        list.RemoveTask(&held);
        EXPECT_EQ(list.IndexOfTask(window.get()), -1); // the window notices the removal
        EXPECT_EQ(window->Title.Get(), QStringLiteral("held by a window"));
        window->ActionCount -= 1; // and can still finish its bookkeeping
        // A new record cannot take the address while it is held.
        TTaskData &fresh = list.AddTask(Alarm(QStringLiteral("new")));
        EXPECT_NE(&fresh, window.get());
        EXPECT_EQ(list.IndexOfTask(window.get()), -1);
    }
    EXPECT_TRUE(watch.expired()); // freed with the last holder
    EXPECT_EQ(list.SharedTask(5), nullptr);
    EXPECT_EQ(list.SharedTask(&held), nullptr);
}

TEST(TaskList, MarkModifiedStampsAndLogs)
{
    CapturedLog log;
    TTaskList list;
    // Midnight included: the line always carries the time.
    for (const TDateTime at : {At(2024, 5, 15, 14, 7, 45), At(2024, 5, 16)}) {
        PinnedClock clock(at);
        list.MarkModified();
        EXPECT_EQ(list.ModifiedAt(), at);
        EXPECT_TRUE(log.Contains(QStringLiteral("Info: Tasklist modified at ")
                                 + FormatDateTime(ShortDateFormat() + QStringLiteral(" ") + LongTimeFormat(), at)));
    }
}

TEST(TaskList, LoadCheckRepairsKindTitleAndUnshowableDates)
{
    PinnedClock clock(At(2024, 5, 15, 9));
    TTaskList list;
    TTaskData bad = Alarm(QStringLiteral("   "));
    bad.Taskkind = 9;
    bad.Created = 1e300;
    bad.EventDateTime = 1e300;
    bad.Scheduled = std::numeric_limits<double>::quiet_NaN();
    bad.LastRun = -std::numeric_limits<double>::infinity();
    list.AddTask(bad);
    TTaskData good = Alarm(QStringLiteral(" fine "), At(2024, 1, 1));
    good.Taskkind = tkService;
    good.Created = At(1, 1, 1); // the first representable day
    list.AddTask(good);
    TTaskData empty = Alarm(QString());
    empty.Taskkind = 5;
    list.AddTask(empty);

    list.RepairLoaded();
    const TTaskData &r = list.GetTask(0);
    EXPECT_EQ(r.Taskkind, tkAutomatedTask);
    EXPECT_EQ(r.Title.Get(), QStringLiteral("Untitled"));
    EXPECT_EQ(r.Created, Clock::Now());
    EXPECT_EQ(r.Scheduled, Clock::Now());
    EXPECT_EQ(r.LastRun, Clock::Now());
    EXPECT_EQ(r.EventDateTime, 1e300); // never checked
    const TTaskData &g = list.GetTask(1);
    EXPECT_EQ(g.Taskkind, tkService);
    EXPECT_EQ(g.Title.Get(), QStringLiteral(" fine "));
    EXPECT_EQ(g.Created, At(1, 1, 1));
    EXPECT_EQ(g.LastRun, 0); // "never" is a date like any other
    EXPECT_EQ(list.GetTask(2).Title.Get(), QStringLiteral("Untitled"));
    EXPECT_EQ(list.GetTask(2).Taskkind, tkAlarm);

    for (int k = 0; k <= 255; ++k)
        EXPECT_EQ(TTaskList::IsValidKind(k), k <= 5) << k;
}

TEST(TaskList, LoadResetClearsWindowStateOnly)
{
    TTaskList list;
    TTaskData t = Alarm(QStringLiteral("served"));
    t.InService = true;
    t.ActionCount = 3;
    t.SnoozeInmedTime = 45000.5;
    t.Reserved4[0] = 1;
    t.Reserved4[9] = 0x40;
    t.PopupNoteFormVisible = true;
    t.Delivered = true;
    list.AddTask(t);
    list.ResetRuntimeState();
    const TTaskData &r = list.GetTask(0);
    EXPECT_FALSE(r.InService);
    EXPECT_EQ(r.ActionCount, 0);
    EXPECT_EQ(r.SnoozeInmedTime, 0);
    EXPECT_TRUE(r.Reserved4IsZero());
    EXPECT_TRUE(r.PopupNoteFormVisible);
    EXPECT_TRUE(r.Delivered);
}

TEST(TaskList, ShowDisabledTouchesOnlySuspendedUserReminders)
{
    TTaskList list;
    TTaskData suspended = Alarm(QStringLiteral("suspended"));
    suspended.Enabled = false;
    list.AddTask(suspended);
    list.AddTask(Alarm(QStringLiteral("enabled")));
    TTaskData service = Service(TAG_BACKUP, QStringLiteral("backup"));
    service.Enabled = false;
    list.AddTask(service);
    TTaskData reserved = suspended;
    reserved.Taskkind = tkReserved;
    list.AddTask(reserved);

    list.ApplyShowDisabled(false);
    EXPECT_FALSE(list.GetTask(0).Visible);
    EXPECT_TRUE(list.GetTask(1).Visible);
    EXPECT_TRUE(list.GetTask(2).Visible);
    EXPECT_TRUE(list.GetTask(3).Visible);
    list.ApplyShowDisabled(true);
    EXPECT_TRUE(list.GetTask(0).Visible);
}

TEST(TaskList, RepeatRuleTextInEnglish)
{
    RebuildCalendarNames();
    TTaskData t = Alarm(QStringLiteral("r"));
    t.RepeatRule = srDays;
    t.RepeatNFactor = 3;
    EXPECT_EQ(TTaskList::RepeatRuleText(t), QStringLiteral("run once"));
    t.RepeatTask = true;
    EXPECT_EQ(TTaskList::RepeatRuleText(t), QStringLiteral("repeat every 3 day(s)"));
    t.RepeatRule = srMinutes;
    EXPECT_EQ(TTaskList::RepeatRuleText(t), QStringLiteral("repeat every 3 minutes(s)"));
    t.RepeatRule = srMonthOfYear;
    t.RepeatNFactor = 12;
    EXPECT_EQ(TTaskList::RepeatRuleText(t), QStringLiteral("repeat every December"));
    t.RepeatRule = srWeekday;
    t.RepeatNFactor = 1;
    EXPECT_EQ(TTaskList::RepeatRuleText(t), QStringLiteral("repeat every Monday"));
    // Factors and rules no editor stores name nothing, without reading past the tables.
    for (const auto &[rule, factor] :
         {std::pair{srWeekday, 0}, {srWeekday, 8}, {srMonthOfYear, 13}, {TScheduleRule(8), 1}}) {
        t.RepeatRule = rule;
        t.RepeatNFactor = factor;
        EXPECT_EQ(TTaskList::RepeatRuleText(t), QStringLiteral("repeat every "));
    }
}

TEST(TaskList, FindServiceTaskNeedsServiceKindAndTakesTheFirst)
{
    CapturedLog log;
    TTaskList list;
    TTaskData notService = Alarm(QStringLiteral("user"));
    notService.Tag = TAG_BACKUP;
    list.AddTask(notService);
    list.AddTask(Service(TAG_FULLMOON, QStringLiteral("moon 1")));
    list.AddTask(Service(TAG_FULLMOON, QStringLiteral("moon 2")));
    list.AddTask(Service(TAG_UPDATEAUTOCHECK, QStringLiteral("update")));

    int index = 7;
    EXPECT_FALSE(list.FindServiceTask(TAG_BACKUP, index));
    EXPECT_EQ(index, -1);
    EXPECT_TRUE(list.FindServiceTask(TAG_FULLMOON, index));
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(log.Contains(QStringLiteral("Info: Service task TAG_FULLMOON found.")));
    EXPECT_TRUE(list.FindServiceTask(TAG_UPDATEAUTOCHECK, index));
    EXPECT_EQ(index, 3);
    EXPECT_TRUE(log.Contains(QStringLiteral("Info: Service task TAG_UPDATEAUTOCHECK  found.")));
    EXPECT_FALSE(log.AnyStartsWith(QStringLiteral("Info: Service task TAG_BACKUP")));
}

TEST(TaskList, DeleteHandsTheReminderToTheTrashAndRemovesIt)
{
    TFakeTrash trash;
    TTaskList list(&trash);
    TTaskData &t = list.AddTask(Alarm(QStringLiteral("Call: Bob / Ann"), At(2024, 5, 15, 10)));
    const QByteArray element = TaskElementBytes(t);
    list.AddTask(Alarm(QStringLiteral("other")));
    const QString expected = Desktop::TempFolder() + QStringLiteral("Call__Bob___Ann.tsk");

    list.DeleteTask(&t);
    EXPECT_EQ(trash.Paths, QStringList{expected});
    EXPECT_EQ(Titles(list), QStringList{QStringLiteral("other")});
    // What went to the trash is the reminder itself, as a task file.
    QFile file(expected);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), element);
    file.close();
    QFile::remove(expected);

    // With the preference off nothing is written or handed over.
    list.DeleteTask(list.GetTask(0), false);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(trash.Paths.size(), 1);
    EXPECT_FALSE(QFile::exists(Desktop::TempFolder() + QStringLiteral("other.tsk")));
}

TEST(TaskList, SortDirectionAndDateEquality)
{
    TTaskList list;
    const TDateTime base = At(2024, 5, 15, 10);
    const double days[] = {3, 1, 4, 2};
    for (double d : days) {
        TTaskData t = Alarm(QString::number(d), base + d);
        list.AddTask(t);
    }
    list.SortByScheduled();
    EXPECT_EQ(Titles(list), (QStringList{"1", "2", "3", "4"}));
    list.SetAscending(false);
    list.SortByScheduled();
    EXPECT_EQ(Titles(list), (QStringList{"4", "3", "2", "1"})); // latest first

    EXPECT_EQ(TTaskList::CompareDateTimes(base, base + 0.5 * OneMillisecond), 0);
    EXPECT_EQ(TTaskList::CompareDateTimes(base, base + 1.5 * OneMillisecond), -1);
    EXPECT_EQ(TTaskList::CompareDateTimes(base + 1.5 * OneMillisecond, base), 1);
    EXPECT_EQ(TTaskList::CompareFloats(base, base * (1 + 1e-13)), 0);
    // Relative to a date of today 1E-12 is about 4 ms.
    EXPECT_EQ(TTaskList::CompareFloats(base, base + 2 * OneMillisecond), 0);
    EXPECT_EQ(TTaskList::CompareFloats(base + 10 * OneMillisecond, base), 1);
    EXPECT_EQ(TTaskList::CompareFloats(0, 5e-13), 0);
    EXPECT_EQ(TTaskList::CompareFloats(0, 5e-12), -1);
    EXPECT_EQ(TTaskList::CompareIntegers(-3, 2), -1);
}

TEST(TaskList, EachSortUsesItsKey)
{
    TTaskList list;
    struct Row {
        const char *title;
        int event, created, hasRun, lastRun;
    };
    const Row rows[] = {{"delta", 2, 4, 1, 3}, {"Alpha", 3, 2, 4, 1}, {"charlie", 4, 1, 3, 2}, {"BRAVO", 1, 3, 2, 4}};
    for (const Row &r : rows) {
        TTaskData t = Alarm(QString::fromLatin1(r.title));
        t.EventDateTime = 45000 + r.event;
        t.Created = 45000 + r.created;
        t.HasRun = r.hasRun;
        t.LastRun = 45000 + r.lastRun;
        list.AddTask(t);
    }
    list.SortByTitle();
    EXPECT_EQ(Titles(list), (QStringList{"Alpha", "BRAVO", "charlie", "delta"}));
    list.SortByEventDateTime();
    EXPECT_EQ(Titles(list), (QStringList{"BRAVO", "delta", "Alpha", "charlie"}));
    list.SortByCreated();
    EXPECT_EQ(Titles(list), (QStringList{"charlie", "Alpha", "BRAVO", "delta"}));
    list.SortByHasRun();
    EXPECT_EQ(Titles(list), (QStringList{"delta", "BRAVO", "charlie", "Alpha"}));
    list.SortByLastRun();
    EXPECT_EQ(Titles(list), (QStringList{"Alpha", "charlie", "delta", "BRAVO"}));

    TTaskData a = Alarm(QStringLiteral("abc")), b = Alarm(QStringLiteral("ABCD")), c = Alarm(QStringLiteral("ABC"));
    EXPECT_LT(TTaskList::CompareTitles(a, b), 0);
    EXPECT_EQ(TTaskList::CompareTitles(a, c), 0);
}

// Titles sort as readers of the locale expect, not by their bytes.
TEST(TaskList, TitlesSortByTheLocalesCollation)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TTaskList list;
    for (const char *title : {"zebra", "Ärger", "Banana", "_note", "apple", "Äpfel", "Émile", "Eve"})
        list.AddTask(Alarm(QString::fromUtf8(title)));
    // A title an older version stored in its code page sorts by its letters too.
    TTaskData old = Alarm(QString());
    old.Title.Len = 5;
    std::memcpy(old.Title.Data, "\xC9lise", 5);
    list.AddTask(old);
    list.SetAscending(true);
    list.SortByTitle();
    EXPECT_EQ(Titles(list),
              (QStringList{"_note", "Äpfel", "apple", "Ärger", "Banana", "Élise", "Émile", "Eve", "zebra"}));
    EXPECT_LT(TTaskList::CompareTitles(Alarm(QString::fromUtf8("Äpfel")), Alarm(QStringLiteral("Banana"))), 0);
    EXPECT_LT(TTaskList::CompareTitles(Alarm(QString::fromUtf8("Émile")), Alarm(QStringLiteral("Eve"))), 0);
    EXPECT_EQ(TTaskList::CompareTitles(Alarm(QString::fromUtf8("ÄPFEL")), Alarm(QString::fromUtf8("äpfel"))), 0);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

// Values that break a strict order (damaged dates, chains of near-equal
// times) must neither crash the sort nor lose or duplicate a record.
TEST(TaskList, SortSurvivesDamagedAndNearEqualValues)
{
    std::mt19937 rng(7);
    TTaskList list;
    const TDateTime base = At(2024, 5, 15, 10);
    for (int i = 0; i < 2000; ++i) {
        TTaskData t = Alarm(QString::number(i));
        const int kind = int(rng() % 4);
        t.Scheduled =
            kind == 0 ? std::numeric_limits<double>::quiet_NaN() : base + double(rng() % 50) * 0.6 * OneMillisecond;
        t.EventDateTime = t.Scheduled;
        t.LastRun = t.Scheduled;
        list.AddTask(t);
    }
    std::vector<TTaskData *> before;
    for (const auto &ref : list.Items())
        before.push_back(ref.get());
    for (bool ascending : {true, false}) {
        list.SetAscending(ascending);
        list.SortByScheduled();
        list.SortByEventDateTime();
        list.SortByLastRun();
    }
    std::vector<TTaskData *> after;
    for (const auto &ref : list.Items())
        after.push_back(ref.get());
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    EXPECT_EQ(before, after);
    // Damaged values sort before every date; the last sorts ran descending, so they end last.
    EXPECT_TRUE(std::isnan(list.GetTask(list.Count() - 1).LastRun));
    EXPECT_FALSE(std::isnan(list.GetTask(0).LastRun));
}

TEST(TaskList, StartupSortFollowsTheStoredSetting)
{
    QTemporaryDir dir;
    TvornIniFile ini(dir.filePath(QStringLiteral("Brivane.ini")));
    TTaskList list;
    const int runs[] = {5, 1, 3};
    for (int r : runs) {
        TTaskData t = Alarm(QString::number(r), 45000 - r);
        t.HasRun = r;
        list.AddTask(t);
    }
    ini.WriteInteger(QStringLiteral("Tasklist"), QStringLiteral("SortBy"), 2);
    list.SortAtStartup(&ini);
    EXPECT_EQ(Titles(list), (QStringList{"1", "3", "5"}));
    ini.WriteInteger(QStringLiteral("Tasklist"), QStringLiteral("SortBy"), 7); // no sort
    list.AddTask(Alarm(QStringLiteral("0"), 44000));
    list.SortAtStartup(&ini);
    EXPECT_EQ(Titles(list), (QStringList{"1", "3", "5", "0"}));
    ini.DeleteKey(QStringLiteral("Tasklist"), QStringLiteral("SortBy")); // default: next run
    list.SortAtStartup(&ini);
    EXPECT_EQ(Titles(list), (QStringList{"0", "5", "3", "1"}));
}

TEST(CalendarNames, FollowTheLocaleMondayFirst)
{
    const TCalendarNames n = TCalendarNames::FromLocale();
    ASSERT_EQ(n.Weekdays.size(), 8);
    ASSERT_EQ(n.Months.size(), 13);
    EXPECT_EQ(n.Weekdays[1], "Monday");
    EXPECT_EQ(n.Weekdays[7], "Sunday");
    EXPECT_EQ(n.ShortWeekdays[3], "Wed");
    EXPECT_EQ(n.Months[1], "January");
    EXPECT_EQ(n.Months[12], "December");
}

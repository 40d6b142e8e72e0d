#include "ui/TaskListModel.h"
#include "core/vornIniFile.h"
#include "storage/GlobalPreferences.h"
#include "tests/support/Records.h"
#include "tests/support/TestSupport.h"

#include <QAbstractItemModelTester>
#include <QLocale>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

using namespace TestRecords;
using TestSupport::PinnedClock;

// Readable failure messages for texts.
void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

// Wednesday 15 May 2024, 10:30.
const TDateTime kNow = At(2024, 5, 15, 10, 30);
const TDateTime kToday = At(2024, 5, 15);
const TDateTime kTomorrow = At(2024, 5, 16);

TTaskData Once(const QString &title, TDateTime when, std::function<void(TTaskData &)> change = {})
{
    TTaskData t = Alarm(title, when);
    t.PopupNote = true;
    if (change)
        change(t);
    return t;
}

QStringList RowTitles(const TTaskListModel &model)
{
    QStringList out;
    for (int r = 1; r < model.rowCount(); ++r)
        out << model.TaskAt(r)->Title.Get();
    return out;
}

} // namespace

TEST(TaskListFilters, WindowsSuffixesAndEmptyTexts)
{
    struct Case {
        TTaskFilter filter;
        TDateTime start, end;
        QString suffix, empty;
    } cases[] = {
        {tfCompleted, At(1900, 1, 1), kNow, ", completed", "No Completed reminders."},
        {tfToday, kToday, kToday + 1, ", scheduled for today", "No reminders for Today."},
        {tfTomorrow, kToday + 1, kToday + 2, ", scheduled for tomorrow", "No reminders for Tomorrow."},
        {tfNextFiveDays, kToday + 1, kToday + 6, ", scheduled for the next five days",
         "No reminders for the Next five days."},
        {tfAll, At(1900, 1, 1), At(2100, 1, 1), "", "No reminders has been set."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.filter);
        const TFilterWindow w = TTaskListTexts::ComputeFilterWindow(c.filter, kNow);
        EXPECT_EQ(w.Start, c.start);
        EXPECT_EQ(w.End, c.end);
        EXPECT_EQ(TTaskListTexts::FilterSuffix(c.filter), c.suffix);
        EXPECT_EQ(TTaskListTexts::EmptyListText(c.filter), c.empty);
    }
    EXPECT_TRUE(TTaskListTexts::FilterFromInt(9) == tfCompleted && TTaskListTexts::FilterFromInt(-1) == tfCompleted);
}

TEST(TaskListFilters, MembershipAtTheBoundsAndByKindFlagsAndPreWarning)
{
    const double ms = OneMillisecond;
    auto delivered = [](TTaskData &t) { t.Delivered = true; };
    auto warnedADayEarly = [](TTaskData &t) {
        t.PreWarning = true;
        t.Scheduled = t.EventDateTime - 1;
    };
    struct Case {
        const char *what;
        TTaskFilter filter;
        TTaskData task;
        bool listed;
    } cases[] = {
        {"start of today itself", tfToday, Once("a", kToday), false},
        {"half a millisecond after the start", tfToday, Once("a", kToday + ms / 2), false},
        {"two milliseconds after the start", tfToday, Once("a", kToday + 2 * ms), true},
        {"midnight is in neither today", tfToday, Once("a", kTomorrow), false},
        {"nor tomorrow", tfTomorrow, Once("a", kTomorrow), false},
        {"a minute after midnight is tomorrow", tfTomorrow, Once("a", kTomorrow + OneMinute), true},
        {"next five days leave today out", tfNextFiveDays, Once("a", kNow + OneHour), false},
        {"next five days: fifth day late", tfNextFiveDays, Once("a", kToday + 5 + 0.99), true},
        {"next five days: sixth day", tfNextFiveDays, Once("a", kToday + 6 + OneHour), false},
        {"completed: passed, not delivered", tfCompleted, Once("a", kNow - OneMinute), true},
        {"completed: future, delivered", tfCompleted, Once("a", kNow + 30, delivered), true},
        {"completed: future, waiting", tfCompleted, Once("a", kNow + OneMinute), false},
        {"delivered counts only for completed", tfToday, Once("a", kToday - 1, delivered), false},
        {"pre-warned: listed on its event day", tfTomorrow, Once("a", kTomorrow + 0.375, warnedADayEarly), true},
        {"pre-warned: not on its warning day", tfToday, Once("a", kTomorrow + 0.375, warnedADayEarly), false},
        {"hidden suspended", tfAll, Once("a", kNow, [](TTaskData &t) { t.Visible = t.Enabled = false; }), false},
        {"shown suspended", tfAll, Once("a", kNow, [](TTaskData &t) { t.Enabled = false; }), true},
        {"service", tfAll, Once("a", kNow, [](TTaskData &t) { t.Taskkind = tkService; }), false},
        {"information notice", tfAll, Once("a", kNow, [](TTaskData &t) { t.Tag = TAG_INFODLG; }), false},
        {"damaged time", tfAll, Once("a", std::numeric_limits<double>::quiet_NaN()), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const TFilterWindow w = TTaskListTexts::ComputeFilterWindow(c.filter, kNow);
        EXPECT_EQ(TTaskListTexts::IsListed(c.task, c.filter, w), c.listed);
    }
}

TEST(TaskListColumns, TextsOfTheColumnsActionsAndPictures)
{
    const QString pm = QLocale().pmText();
    auto rec = [](std::function<void(TTaskData &)> f) { return Once("Dentist", At(2024, 5, 20, 8, 7), f); };
    const TDateTime at1405 = kToday + 14 * OneHour + 5 * OneMinute;
    struct Case {
        TTaskData task;
        int column;
        QString suffix, text;
    } cases[] = {
        {rec({}), tcNextRun, "", "Mon, 20 May 2024 at 08:07"},
        {rec([&](TTaskData &t) { t.Scheduled = at1405; }), tcNextRun, "", "Today at 14:05"},
        {rec([&](TTaskData &t) { t.Scheduled = at1405; }), tcNextRun, " ampm", "Today at 02:05 " + pm},
        {rec([](TTaskData &t) { t.Scheduled = kTomorrow + 9 * OneHour; }), tcNextRun, "", "Tomorrow at 09:00"},
        {rec([](TTaskData &t) { t.Delivered = true; }), tcNextRun, "", "Completed"},
        {rec([](TTaskData &t) { t.EventDateTime = 0; }), tcDateTime, "", "Set"},
        {rec({}), tcRepeat, "", "Run only once"},
        {Repeating(srDays, 3, kNow), tcRepeat, "", "Every 3 Day(s)"},
        {Repeating(srMonthOfYear, 12, kNow), tcRepeat, "", "Every December"},
        {Repeating(srWeekday, 9, kNow), tcRepeat, "", "Every 9"}, // no such weekday
        {rec({}), tcHasRun, "", "never"},
        {rec([](TTaskData &t) { t.HasRun = 12; }), tcHasRun, "", "12 time(s)"},
        {rec({}), tcLastRun, "", "never"},
        {rec([](TTaskData &t) { t.LastRun = At(2024, 5, 1, 23, 59); }), tcLastRun, " ampm",
         "Wed, 1 May 2024 at 11:59 " + pm},
        {rec([](TTaskData &t) { t.Enabled = false; }), tcEnabled, "", "No"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TTaskListTexts::ColumnText(c.task, c.column, c.suffix, kToday), c.text) << c.text.toStdString();

    // Through the preferences: with the 24-hour clock off every date column
    // ends in the locale's designator.
    TTaskList list;
    list.AddTask(Once("x", kNow + 7, [](TTaskData &t) { t.LastRun = t.Created = kNow - 3; }));
    TPreferences prefs;
    prefs.SetTimeBase24hour(false);
    PinnedClock clock(kNow);
    TTaskListModel model(list, &prefs);
    model.ChooseFilter(tfAll);
    for (int column : {tcNextRun, tcDateTime, tcLastRun, tcCreated})
        EXPECT_TRUE(model.index(1, column).data().toString().endsWith(QLocale().amText())) << column;

    enum { S = 1, P = 2, E = 4, R = 8, X = 16 };
    struct Actions {
        int actions;
        uint8_t shutdown;
        QString text;
        int image;
    } actions[] = {
        {S | P | X, skRestart, "Play a sound then popup a note and finally Restart the computer", 11},
        {R, 0, "Run a Program", 7},
        {S, 0, "Play a sound", 1},
        {S | E, 0, "Play a sound then send the e-mail", 5}, // the sound is not counted
        {X, skLogOff, "Log off computer", 9},
        {P | E | R, 0, "Popup a note then send the e-mail after that run a program", 11},
        {0, 0, "", 3},
    };
    for (const Actions &c : actions) {
        TTaskData t = Alarm("a", kNow);
        t.PlaySound = c.actions & S;
        t.PopupNote = c.actions & P;
        t.SendEmail = c.actions & E;
        t.RunProgram = c.actions & R;
        t.ShutdownComputer = c.actions & X;
        t.ShutdownType = c.shutdown;
        EXPECT_EQ(TTaskListTexts::ActionsText(t), c.text);
        EXPECT_EQ(TTaskListTexts::ImageIndex(t), c.image) << c.text.toStdString();
    }

    // State pictures: suspended wins over completed, which wins over a pending pre-warning.
    auto state = [](bool enabled, bool delivered, TDateTime scheduled) {
        TTaskData t = Alarm("a", kNow);
        t.Enabled = enabled;
        t.Delivered = delivered;
        t.PreWarning = true;
        t.Scheduled = scheduled;
        return TTaskListTexts::StateImageIndex(t);
    };
    EXPECT_EQ(state(false, true, kNow - 1), 1);
    EXPECT_EQ(state(true, true, kNow - 1), 0);
    EXPECT_EQ(state(true, false, kNow - 1), 3);
    EXPECT_EQ(state(true, false, kNow), NoImage); // snoozed up to the event: nothing pending
}

TEST(TaskListStatus, CountsSelectionSortDescriptionsAndHints)
{
    PinnedClock clock(kNow);
    TTaskList list;
    for (int i = 0; i < 7; ++i)
        list.AddTask(Once(QString("r%1").arg(i), kNow + i * OneMinute, [&](TTaskData &t) { t.Enabled = i >= 2; }));
    list.AddTask(Once("tomorrow", kTomorrow + OneHour));
    TTaskListModel model(list, nullptr);
    TTaskListSettings settings;
    settings.Filter = tfToday;
    model.Open(settings);
    EXPECT_EQ(model.CountStatusText(), " 7 reminder(s),2 suspended, scheduled for today");
    model.ChooseFilter(tfNextFiveDays);
    EXPECT_EQ(model.CountStatusText(), " 1 reminder(s), scheduled for the next five days");

    const TTaskData repeating = Repeating(srDays, 3, kToday + 14 * OneHour + 5 * OneMinute);
    const TTaskData done = Once("d", kNow - 1, [](TTaskData &t) { t.Delivered = true; });
    EXPECT_EQ(TTaskListTexts::SelectionStatusText(repeating, "", kToday),
              "Next Run: Today at 14:05 repeat Every 3 Day(s)");
    EXPECT_EQ(TTaskListTexts::SelectionStatusText(done, "", kToday), "Completed");
    EXPECT_EQ(TTaskListTexts::SortDescription(0, false), "Sorted by Title (DESCENDING)");

    // The add item shows the sort description; Details is the one simple-mode view.
    const TStatusBarTexts addItem = model.StatusBar(0, vsDetails, 8);
    EXPECT_TRUE(addItem.Simple);
    EXPECT_EQ(addItem.Panel0, model.CountStatusText());
    EXPECT_EQ(addItem.Panel0Width, int(model.CountStatusText().size()) * 5);
    EXPECT_EQ(addItem.Panel1, "Sorted by Next Run date (ASCENDING)");
    EXPECT_EQ(addItem.Hint, addItem.Panel1);
    EXPECT_EQ(addItem.EmptyListText, "No reminders for the Next five days.");
    const TStatusBarTexts reminder = model.StatusBar(1, vsList, 8);
    EXPECT_FALSE(reminder.Simple);
    EXPECT_EQ(reminder.Panel1, "Next Run: Tomorrow at 01:00, run once");

    struct Selection {
        int remembered, shown, selected;
    } selections[] = {{5, 3, 3}, {2, 0, 0}, {-1, 0, -1}, {2, 5, 2}};
    for (const Selection &s : selections)
        EXPECT_EQ(TTaskListTexts::RestoredSelection(s.remembered, s.shown), s.selected);

    TTaskData program = Once("p", kNow, [](TTaskData &t) {
        t.RunProgram = true;
        t.ProgramPathname.Set("C:\\Tools\\backup.exe");
        t.ProgramParameters.Set("/all");
    });
    EXPECT_EQ(TTaskListTexts::NotesHint(program), "Run program: backup.exe /all\n\nNotes\n\n<empty>");
    EXPECT_EQ(TTaskListTexts::ListHint(-1, nullptr, 0, tfToday), "No reminders for Today.");
    EXPECT_EQ(model.ListHint(0), "Start the Add Reminder wizard");
    program.InService = true;
    EXPECT_EQ(TTaskListTexts::ListHint(3, &program, 3, tfToday), "<Reminder currently running>");
}

TEST(TaskListModel, RowsShareTheListsRecordsInItsOrder)
{
    PinnedClock clock(kNow);
    TTaskList list;
    list.AddTask(Once("late", kNow + 2));
    list.AddTask(Once("service", kNow, [](TTaskData &t) { t.Taskkind = tkService; }));
    list.AddTask(Once("early", kNow + 1));
    TTaskListModel model(list, nullptr);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 1); // the add item until the rows are built
    TTaskListSettings settings;
    settings.Filter = tfAll;
    model.Open(settings);
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.index(0, tcTitle).data().toString(), "Add a Reminder");
    EXPECT_EQ(model.TaskAt(0), nullptr);
    EXPECT_EQ(RowTitles(model), QStringList({"early", "late"})); // sorted by next run on opening

    TTaskData &late = list.GetTask(list.Count() - 1);
    EXPECT_EQ(model.index(2, 0).data(TTaskListModel::TaskRole).value<TTaskList::TTaskRef>().get(), &late);
    EXPECT_EQ(model.RowOfTask(&late), 2);

    // A record removed from the list stays readable in its row until the rebuild.
    std::weak_ptr<TTaskData> watch = list.SharedTask(&late);
    list.RemoveTask(&late);
    EXPECT_EQ(model.index(2, tcTitle).data().toString(), "late");
    EXPECT_TRUE(model.RefreshTask(watch.lock().get()));
    EXPECT_EQ(RowTitles(model), QStringList({"early"}));
    EXPECT_TRUE(watch.expired());
}

TEST(TaskListModel, OneChangedRecordRedrawsOnlyItsRowUnlessItJoinsOrLeaves)
{
    PinnedClock clock(kNow);
    TTaskList list;
    for (int i = 0; i < 4; ++i)
        list.AddTask(Once(QString("r%1").arg(i), kNow + (i + 1) * OneMinute));
    TTaskData &outside = list.AddTask(Once("next week", kNow + 7));
    TTaskListModel model(list, nullptr);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    TTaskListSettings settings;
    settings.Filter = tfToday;
    model.Open(settings);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    TTaskData &r2 = *model.TaskAt(3);
    r2.HasRun = 4;
    r2.Enabled = false;
    EXPECT_FALSE(model.RefreshTask(&r2));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].value<QModelIndex>(), model.index(3, 0));
    EXPECT_EQ(changed[0][1].value<QModelIndex>(), model.index(3, tcCreated));
    EXPECT_EQ(model.index(3, tcHasRun).data().toString(), "4 time(s)");
    EXPECT_EQ(model.SuspendedCount(), 1);
    EXPECT_EQ(reset.count(), 0);

    EXPECT_FALSE(model.RefreshTask(&outside)); // not shown before or after
    EXPECT_FALSE(model.RefreshTask(nullptr));
    EXPECT_EQ(reset.count(), 0);

    r2.Scheduled = kNow + 3; // leaves today
    EXPECT_TRUE(model.RefreshTask(&r2));
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(RowTitles(model), QStringList({"r0", "r1", "r3"}));
    EXPECT_EQ(model.SuspendedCount(), 0);

    outside.Scheduled = kNow + OneHour; // joins, at its place in the list
    EXPECT_TRUE(model.RefreshTask(&outside));
    EXPECT_EQ(RowTitles(model), QStringList({"r0", "r1", "r3", "next week"}));
}

TEST(TaskListModel, FilterWindowIsKeptAcrossMidnightUntilAFilterIsChosen)
{
    PinnedClock clock(kToday + 0.999);
    TTaskList list;
    list.AddTask(Once("tomorrow", kTomorrow + 10 * OneHour));
    TTaskListModel model(list, nullptr);
    model.ChooseFilter(tfToday);
    EXPECT_EQ(model.ShownCount(), 0);
    Clock::Pin(kTomorrow + OneMinute);
    model.Refresh();
    EXPECT_EQ(model.ShownCount(), 0);
    model.ChooseFilter(tfToday);
    ASSERT_EQ(model.ShownCount(), 1);
    EXPECT_EQ(model.index(1, tcNextRun).data().toString(), "Today at 10:00");
}

TEST(TaskListSort, ChoosingInvertsTheDirectionAndCyclingKeepsIt)
{
    QTemporaryDir dir;
    TvornIniFile ini(dir.filePath("Brivane.ini"));
    PinnedClock clock(kNow);
    TTaskList list;
    // Title, next run, event and run count each put them in another order.
    const struct {
        const char *title;
        double scheduled, event;
        int hasRun;
    } records[] = {{"b", 2, 9, 1}, {"C", 1, 8, 3}, {"a", 3, 7, 2}};
    for (const auto &r : records)
        list.AddTask(Once(r.title, kNow + r.scheduled, [&](TTaskData &t) {
            t.EventDateTime = kNow + r.event;
            t.HasRun = r.hasRun;
        }));
    TTaskListModel model(list, nullptr);
    model.SetIniFile(&ini);
    TTaskListSettings settings;
    settings.Filter = tfAll;
    model.Open(settings);
    EXPECT_EQ(RowTitles(model), QStringList({"C", "b", "a"}));
    EXPECT_EQ(model.SortDescription(), "Sorted by Next Run date (ASCENDING)");

    model.ChooseSortOrder(1);
    EXPECT_FALSE(model.Ascending());
    EXPECT_EQ(RowTitles(model), QStringList({"a", "b", "C"}));
    EXPECT_EQ(model.SortDescription(), "Sorted by Next Run date (DESCENDING)");
    EXPECT_EQ(model.headerData(tcNextRun, Qt::Horizontal, TTaskListModel::HeaderImageRole).toInt(), 15);
    model.ChooseSortOrder(1);
    EXPECT_TRUE(model.Ascending()); // twice: back to where it was

    // Another order also turns the direction round.
    model.ChooseSortOrder(0);
    EXPECT_FALSE(model.Ascending());
    EXPECT_EQ(RowTitles(model), QStringList({"C", "b", "a"}));
    EXPECT_EQ(ini.ReadInteger("Tasklist", "SortBy", -1), 0);

    // F8 walks the orders, 5 back to 0, in the same direction.
    for (int expected : {1, 2, 3, 4, 5, 0}) {
        model.CycleSortOrder();
        EXPECT_EQ(model.SortIndex(), expected);
        EXPECT_FALSE(model.Ascending());
        EXPECT_EQ(ini.ReadInteger("Tasklist", "SortBy", -1), expected);
        if (expected == 2) { // the event's date here, not the run count as at start-up
            EXPECT_EQ(RowTitles(model), QStringList({"b", "C", "a"}));
        }
    }
    const int sortOfColumn[] = {0, 1, 2, -1, 3, 4, -1, -1, 5};
    for (int c = 0; c < TaskColumnCount; ++c) {
        EXPECT_EQ(TTaskListTexts::SortIndexOfColumn(c), sortOfColumn[c]);
        const int image = model.headerData(c, Qt::Horizontal, TTaskListModel::HeaderImageRole).toInt();
        EXPECT_EQ(image, sortOfColumn[c] < 0 ? NoImage : (c == tcTitle ? 15 : 13)) << c;
    }
    EXPECT_FALSE(model.ColumnClicked(tcActions));
    EXPECT_EQ(model.SortIndex(), 0);
    EXPECT_FALSE(model.Ascending());
    EXPECT_TRUE(model.ColumnClicked(tcHasRun));
    EXPECT_EQ(model.SortIndex(), 3);
    EXPECT_TRUE(model.Ascending());
    EXPECT_EQ(RowTitles(model), QStringList({"b", "a", "C"}));
}

TEST(TaskListSettings, IniRoundTripDefaultsAndBadValues)
{
    QTemporaryDir dir;
    TvornIniFile ini(dir.filePath("Brivane.ini"));
    const TTaskListSettings defaults = TTaskListSettings::Read(&ini);
    EXPECT_TRUE(defaults.ViewStyle == vsLargeIcons && defaults.Filter == tfTomorrow && defaults.SortBy == 1
                && defaults.Ascending && defaults.LastItem == 0);
    EXPECT_EQ(defaults.ColumnWidths[4], 70);
    EXPECT_TRUE(TTaskListSettings::IsFirstRun(&ini));

    TTaskListSettings s;
    s.ViewStyle = vsDetails;
    s.Filter = tfNextFiveDays;
    s.Ascending = false;
    s.LastItem = -1;
    s.ColumnWidths[8] = 120;
    s.WriteOnClose(&ini);
    TTaskListSettings::WriteSortBy(&ini, 4);
    const TTaskListSettings back = TTaskListSettings::Read(&ini);
    EXPECT_TRUE(back.ViewStyle == vsDetails && back.ViewStyleKnown && back.Filter == tfNextFiveDays && back.SortBy == 4
                && !back.Ascending && back.LastItem == -1);
    EXPECT_EQ(back.ColumnWidths, s.ColumnWidths);
    EXPECT_FALSE(TTaskListSettings::IsFirstRun(&ini));
    EXPECT_EQ(ini.ReadInteger("Tasklist", "Col8Width", 0), 120);

    ini.WriteInteger("Tasklist", "TaskFilter", 7);
    ini.WriteInteger("Tasklist", "Style", 4);
    ini.WriteInteger("Tasklist", "SortBy", 6);
    const TTaskListSettings bad = TTaskListSettings::Read(&ini);
    EXPECT_TRUE(bad.Filter == tfCompleted && bad.ViewStyle == vsDetails && !bad.ViewStyleKnown && bad.SortBy == 1);

    // Opening puts the stored direction into the list.
    TTaskList list;
    TTaskListModel model(list, nullptr);
    model.Open(back);
    EXPECT_FALSE(list.Ascending());
    EXPECT_EQ(model.Settings().Filter, tfNextFiveDays);
    EXPECT_EQ(model.Settings().SortBy, 4);
}

#include "model/TaskList.h"
#include "platform/ResourceLibrary.h"
#include "scheduler/NoteActions.h"
#include "scheduler/PopupNoteFrm.h"
#include "scheduler/SetSnoozeFrm.h"
#include "storage/GlobalPreferences.h"
#include "tests/fakes/FakeSoundPlayer.h"
#include "tests/fakes/ScriptedAnswers.h"
#include "tests/support/ActionWindows.h"
#include "tests/fakes/FakeTrash.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/PaletteKeyRecorder.h"
#include "tests/support/Records.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QTextCursor>
#include <QTimeEdit>
#include <gtest/gtest.h>

namespace {

// Tuesday 17 February 2009.
TDateTime At(int hour, int min, int day = 17)
{
    return EncodeDateTime(2009, 2, day, hour, min, 0, 0);
}

TTaskData Alarm(const QString &title, TDateTime when)
{
    TTaskData t = TestRecords::Alarm(title, when);
    t.PopupNote = true;
    t.InService = true; // the scheduler sets it before the note is made
    return t;
}

// A two-hour pre-warning of an event at 12:00, firing at 10:00.
TTaskData PreWarnedAlarm()
{
    TTaskData t = Alarm("Meeting", At(12, 0));
    t.PreWarning = true;
    t.PreWarningRule = srHours;
    t.PreWarningNFactor = 2;
    t.Scheduled = At(10, 0);
    return t;
}

void ProcessDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct NoteFixture : ::testing::Test {
    void SetUp() override
    {
        context.List = &list;
        context.Preferences = &prefs;
        context.Sound = &player;
        context.Boxes = &boxes;
        prefs.SetTimeBase24hour(true);
    }
    void TearDown() override { ProcessDeletes(); }

    // A note started on the record at index i.
    QPointer<TPopupNoteForm> Open(int i = 0)
    {
        auto *note = new TPopupNoteForm(context);
        note->StartAction(i);
        return note;
    }

    TFakeTrash trash;
    TTaskList list{&trash};
    TPreferences prefs{QStringLiteral("Brivane"), QStringLiteral("Brivane")};
    TActionContext context;
    FakeSoundPlayer player;
    TScriptedAnswers boxes{[](TMsgButtons) { return TMsgResult::Ok; }};

    // The snooze dialog is driven by answer instead of being shown.
    void AnswerSnooze(std::function<int(TSetSnoozeForm &)> answer)
    {
        boxes.DialogAnswer = [answer = std::move(answer)](QDialog &dialog) {
            return answer(static_cast<TSetSnoozeForm &>(dialog));
        };
    }
};

} // namespace

TEST(PopupNoteCascade, EachNoteGoesThirtyPixelsOnAndWrapsToTheTopLeftBeforeAnyEdge)
{
    const QRect screen(0, 0, 1280, 1024);
    const QRect panels(64, 32, 1216, 992); // the same screen less a panel on the left and one at the top
    const QSize note(TPopupNoteForm::kNoteWidth, TPopupNoteForm::kNoteHeight);
    const QSize preWarning(note.width(), note.height() + TPopupNoteForm::kPreWarningShift);
    struct Case {
        const char *what;
        QRect area;
        QSize size;
        TNoteCascade before; // Top, Left
        int served;
        QPoint expected;
    };
    const Case cases[] = {
        {"first note of a round starts from the middle", screen, note, {900, 900}, 1, {640 - 233 + 30, 512 - 177 + 30}},
        {"the next one 30 pixels on", screen, note, {365, 437}, 2, {467, 395}},
        {"last that fits above the bottom edge", screen, note, {1024 - 243 - 30, 100}, 3, {130, 1024 - 243}},
        {"one pixel past the bottom edge", screen, note, {1024 - 243 - 29, 100}, 3, {10, 10}},
        {"a taller pre-warning note wraps earlier", screen, preWarning, {1024 - 243 - 30, 100}, 3, {10, 10}},
        {"last that fits left of the right edge", screen, note, {100, 1280 - 367 - 30}, 3, {1280 - 367, 130}},
        {"one pixel past the right edge", screen, note, {100, 1280 - 367 - 29}, 3, {10, 10}},
        {"past the right edge of a narrow screen", QRect(0, 0, 800, 1280), note, {300, 420}, 3, {10, 10}},
        {"all others closed: middle of a small screen", QRect(0, 0, 800, 600), note, {10, 10}, 1, {167 + 30, 123 + 30}},
        {"panels shift the middle", panels, note, {0, 0}, 1, {64 + 608 - 233 + 30, 32 + 496 - 177 + 30}},
        {"the wrap goes to the area's corner, not the screen's", panels, note, {100, 1216 - 367 - 29}, 3, {74, 42}},
    };
    for (const Case &c : cases) {
        TNoteCascade cascade = c.before;
        EXPECT_EQ(NextPopupNotePosition(cascade, c.served, c.area, c.size), c.expected) << c.what;
        // The cascade goes on from the note just placed.
        EXPECT_EQ(QPoint(cascade.Left, cascade.Top), c.expected - c.area.topLeft()) << c.what;
    }

    // However many notes open in a row, each lies entirely on the area.
    for (const QRect &area : {screen, QRect(0, 0, 1024, 1280), QRect(0, 0, 800, 600), panels}) {
        TNoteCascade cascade;
        int wraps = 0;
        for (int served = 1; served <= 200; ++served) {
            const QRect placed(NextPopupNotePosition(cascade, served, area, note), note);
            ASSERT_TRUE(area.contains(placed)) << "note " << served << " at " << placed.x() << "," << placed.y()
                                               << " on " << area.width() << "x" << area.height();
            wraps += placed.topLeft() == area.topLeft() + QPoint(10, 10) ? 1 : 0;
        }
        EXPECT_GT(wraps, 1) << area.width() << "x" << area.height();
    }
}

TEST_F(NoteFixture, SecondNoteOpensBelowRightOfTheFirst)
{
    list.AddTask(Alarm("One", At(10, 0)));
    QPointer<TPopupNoteForm> first = Open(0);
    TTaskData second = Alarm("Two", At(10, 0));
    list.AddTask(second);
    QPointer<TPopupNoteForm> next = Open(1);
    EXPECT_EQ(next->pos() - first->pos(), QPoint(30, 30));
    delete first;
    delete next;
}

TEST_F(NoteFixture, NoteShowsTheReminderAndCountsItselfUntilClosedByItsOwnPaths)
{
    TestSupport::PinnedClock clock(At(10, 0) + 5 * OneSecond);
    TTaskData t = Alarm("Dentist", At(10, 0));
    t.Notes1.Set("Bring the card");
    t.HasRun = 3;
    TTaskData &rec = list.AddTask(t);

    QPointer<TPopupNoteForm> note = Open();
    ASSERT_TRUE(note->isVisible());
    EXPECT_FALSE(note->IsPreWarning());
    EXPECT_EQ(note->windowTitle(), "Dentist");
    EXPECT_EQ(Child<QLabel>(note, "lblTitle")->text(), "Dentist");
    EXPECT_EQ(Child<QLabel>(note, "labSchedule")->text(), "  Tue, 17 Feb 2009, 10:00, run once");
    EXPECT_EQ(Child<QLabel>(note, "lblAppName")->text(), context.ProductName);
    EXPECT_FALSE(Child<QLabel>(note, "lblPrewarning")->isVisible());
    EXPECT_EQ(Child<TNoteMemo>(note, "lblNotes")->toPlainText(), "Bring the card");
    EXPECT_TRUE(Child<TNoteMemo>(note, "lblNotes")->isReadOnly()); // EditableNotes is off
    EXPECT_EQ(Child<TNoteMemo>(note, "lblNotes")->palette().color(QPalette::Text), QColor(0, 0, 128));
    EXPECT_EQ(Child<QPushButton>(note, "btnOK")->text(), "Dismiss");
    EXPECT_EQ(Child<QPushButton>(note, "btnSnooze")->text(), "Snooze");
    // Without a picture library the note keeps its plain size and no outline.
    EXPECT_EQ(note->size(), QSize(TPopupNoteForm::kNoteWidth, TPopupNoteForm::kNoteHeight));
    EXPECT_TRUE(note->mask().isEmpty());
    EXPECT_EQ(Child<QPushButton>(note, "btnOK")->mapTo(note.data(), Child<QPushButton>(note, "btnOK")->rect().center())
                  + QPoint(1, 1),
              QPoint(TPopupNoteForm::kDismissCentreX, note->height() - TPopupNoteForm::kDismissCentreFromBottom));
    EXPECT_TRUE(rec.PopupNoteFormVisible);
    EXPECT_EQ(rec.HasRun, 4);
    EXPECT_EQ(rec.LastRun, Clock::Now());
    EXPECT_EQ(rec.ActionCount, 1);

    EXPECT_FALSE(note->close()); // the window manager's close
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(rec.ActionCount, 1);

    Child<QPushButton>(note, "btnOK")->click();
    ProcessDeletes();
    EXPECT_TRUE(note.isNull());
    EXPECT_TRUE(rec.Delivered);
    EXPECT_TRUE(rec.NewScheduleCalculated);
    EXPECT_FALSE(rec.PopupNoteFormVisible);
    EXPECT_EQ(rec.ActionCount, 0);
    EXPECT_FALSE(rec.InService);
    EXPECT_EQ(player.Stops, 1);
    EXPECT_GT(list.ModifiedAt(), 0.0);
}

TEST_F(NoteFixture, PresetSnoozeLandsOnTheFirstGridPointAfterNow)
{
    TTaskData &rec = list.AddTask(Alarm("Tea", At(10, 0)));
    {
        TestSupport::PinnedClock clock(At(10, 7));
        QPointer<TPopupNoteForm> note = Open();
        Child<QAction>(note, "popSnooze1")->trigger(); // 5 minutes by default
        EXPECT_TRUE(SameDateTime(rec.Scheduled, At(10, 10))) << rec.Scheduled;
        EXPECT_FALSE(rec.Delivered);
        EXPECT_EQ(rec.ActionCount, 0);
        EXPECT_FALSE(rec.InService);
        EXPECT_FALSE(note->isVisible());
    }
    {
        rec.Scheduled = At(10, 0);
        rec.InService = true;
        TestSupport::PinnedClock clock(At(10, 2));
        Child<QAction>(Open(), "popSnooze1")->trigger();
        EXPECT_TRUE(SameDateTime(rec.Scheduled, At(10, 5))) << rec.Scheduled;
    }
    {
        rec.Scheduled = At(10, 0);
        rec.InService = true;
        rec.Delivered = true;
        TestSupport::PinnedClock clock(At(23, 59));
        Child<QAction>(Open(), "popSnooze3")->trigger(); // 1 day
        EXPECT_TRUE(SameDateTime(rec.Scheduled, At(10, 0, 18))) << rec.Scheduled;
        EXPECT_FALSE(rec.Delivered);
    }
}

TEST_F(NoteFixture, SnoozeMenuCaptionsFollowThePreferencesAtEachOpening)
{
    TestSupport::PinnedClock clock(At(10, 1));
    list.AddTask(Alarm("Tea", At(10, 0)));
    QPointer<TPopupNoteForm> note = Open();
    EXPECT_TRUE(Child<QAction>(note, "popSnooze1")->isVisible());
    EXPECT_TRUE(Child<QAction>(note, "popChooseSnooze")->isVisible());
    EXPECT_FALSE(Child<QAction>(note, "popSnoozeuntilEventDateTime")->isVisible());
    EXPECT_FALSE(Child<QAction>(note, "popChoosePrewarningSnooze")->isVisible());

    Child<QPushButton>(note, "btnSnooze")->click();
    EXPECT_EQ(Child<QAction>(note, "popSnooze1")->text(), "snooze for 5 minute(s)");
    EXPECT_EQ(Child<QAction>(note, "popSnooze4")->text(), "snooze for 1 week(s)");
    Child<QMenu>(note, "popSnooze")->hide();
    prefs.SetSnooze1N(2);
    prefs.SetSnooze1Type(stHours);
    Child<QPushButton>(note, "btnSnooze")->click();
    EXPECT_EQ(Child<QAction>(note, "popSnooze1")->text(), "snooze for 2 hour(s)");
    Child<QMenu>(note, "popSnooze")->hide();
    delete note;
}

TEST_F(NoteFixture, SnoozeOntoAnExcludedWeekdayIsRefusedAndChangesNothing)
{
    TestSupport::PinnedClock clock(At(10, 30));
    TTaskData t = Alarm("Gym", At(10, 0));
    t.ExcludeWednesday = true; // the master switch stays off: the day flag alone counts
    TTaskData &rec = list.AddTask(t);
    boxes.Texts.clear();

    QPointer<TPopupNoteForm> note = Open();
    const QByteArray before = rec.ToBytes();
    Child<QAction>(note, "popSnooze3")->trigger(); // 1 day: Wednesday
    ASSERT_EQ(boxes.Texts.size(), 1);
    EXPECT_EQ(boxes.Texts[0].toStdString(),
              "You cannot snooze until Wed, 18 Feb 2009.\nWed is excluded from this reminder's schedule.");
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(rec.ToBytes(), before);

    // The same test applies to a time chosen in the snooze dialog.
    AnswerSnooze([](TSetSnoozeForm &d) {
        Child<QRadioButton>(&d, "rbtAbsoluteDateTime")->click();
        Child<QDateEdit>(&d, "dedStartDate")->setDate(QDate(2009, 2, 18));
        Child<QTimeEdit>(&d, "sedStartTime")->setTime(QTime(9, 0));
        Child<QPushButton>(&d, "btnOK")->click();
        return d.result();
    });
    Child<QAction>(note, "popChooseSnooze")->trigger();
    EXPECT_EQ(boxes.Texts.size(), 2);
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(rec.ToBytes(), before);

    // A Thursday is fine.
    AnswerSnooze([](TSetSnoozeForm &d) {
        Child<QRadioButton>(&d, "rbtAbsoluteDateTime")->click();
        Child<QDateEdit>(&d, "dedStartDate")->setDate(QDate(2009, 2, 19));
        Child<QTimeEdit>(&d, "sedStartTime")->setTime(QTime(23, 30));
        Child<QPushButton>(&d, "btnOK")->click();
        return d.result();
    });
    Child<QAction>(note, "popChooseSnooze")->trigger();
    EXPECT_EQ(rec.Scheduled, At(23, 30, 19));
    EXPECT_FALSE(note->isVisible());
}

TEST_F(NoteFixture, PreWarningNoteOffersItsOwnMenuAndSnoozesUpToTheEvent)
{
    TestSupport::PinnedClock clock(At(10, 1));
    TTaskData t = PreWarnedAlarm();
    t.ExcludeTuesday = true; // pre-warning snoozes are not weekday-tested
    TTaskData &rec = list.AddTask(t);

    QPointer<TPopupNoteForm> note = Open();
    ASSERT_TRUE(note->IsPreWarning());
    EXPECT_TRUE(Child<QLabel>(note, "lblPrewarning")->isVisible());
    EXPECT_EQ(Child<QLabel>(note, "lblPrewarning")->text(), "Pre-warning for Tue, 17 Feb 2009 at 12:00");
    EXPECT_EQ(Child<QLabel>(note, "labSchedule")->text(), "  Tue, 17 Feb 2009, 10:00");
    EXPECT_EQ(Child<QLabel>(note, "lblTitle")->y(), 62);
    EXPECT_EQ(Child<TNoteMemo>(note, "lblNotes")->y(), 82);
    EXPECT_EQ(Child<QFrame>(note, "pnlLinks")->y(), 235);
    EXPECT_EQ(Child<QFrame>(note, "pnlOK")->y(), 241);
    EXPECT_EQ(note->height(), TPopupNoteForm::kNoteHeight + TPopupNoteForm::kPreWarningShift);
    EXPECT_FALSE(Child<QAction>(note, "popSnooze1")->isVisible());
    EXPECT_FALSE(Child<QAction>(note, "popChooseSnooze")->isVisible());
    EXPECT_TRUE(Child<QAction>(note, "popChoosePrewarningSnooze")->isVisible());
    EXPECT_EQ(Child<QAction>(note, "popSnoozeuntilEventDateTime")->text(), "snooze until Tue, 17 Feb 2009 at 12:00");

    QStringList offered;
    AnswerSnooze([&](TSetSnoozeForm &d) {
        for (int k = 0; k < Child<QComboBox>(&d, "cbxPresetDate")->count(); ++k)
            offered << Child<QComboBox>(&d, "cbxPresetDate")->itemText(k);
        EXPECT_EQ(Child<QRadioButton>(&d, "rbtRelatedDateTime")->text(), "until");
        EXPECT_EQ(Child<QGroupBox>(&d, "gbxDataTime")->title(), " Relative or exact Date/Time before the event ");
        Child<QRadioButton>(&d, "rbtAbsoluteDateTime")->click();
        Child<QDateEdit>(&d, "dedStartDate")->setDate(QDate(2009, 2, 17));
        Child<QTimeEdit>(&d, "sedStartTime")->setTime(QTime(12, 0)); // the event itself
        Child<QPushButton>(&d, "btnOK")->click();
        return d.result();
    });
    boxes.Texts.clear();
    Child<QAction>(note, "popChoosePrewarningSnooze")->trigger();
    EXPECT_EQ(offered, (QStringList{"minute(s) before the event", "hour(s)  before the event"}));
    EXPECT_TRUE(boxes.Texts.isEmpty());
    EXPECT_EQ(rec.Scheduled, At(12, 0));
    EXPECT_FALSE(note->isVisible());
    EXPECT_FALSE(rec.InService);
}

TEST_F(NoteFixture, SnoozeDialogChecksAgainstNowAndTheEventToTheMillisecond)
{
    TestSupport::PinnedClock clock(At(10, 1) + 30 * OneSecond);
    TTaskData &rec = list.AddTask(PreWarnedAlarm());
    boxes.Texts.clear();

    TSetSnoozeForm pre(context);
    pre.SetupPreWarning(0);
    // The relative row counts back from the event.
    Child<QComboBox>(&pre, "cbxPresetDate")->setCurrentIndex(1);
    EXPECT_EQ(pre.RelativeValue(), At(11, 0));
    EXPECT_EQ(Child<QDateEdit>(&pre, "dedStartDate")->date(), QDate(2009, 2, 17));
    EXPECT_EQ(Child<QTimeEdit>(&pre, "sedStartTime")->time(), QTime(11, 0));
    Child<QRadioButton>(&pre, "rbtAbsoluteDateTime")->click();
    EXPECT_FALSE(Child<QComboBox>(&pre, "cbxPresetDate")->isEnabled());
    EXPECT_FALSE(Child<QRadioButton>(&pre, "rbtRelatedDateTime")->isChecked());
    Child<QTimeEdit>(&pre, "sedStartTime")->setTime(QTime(12, 1));
    Child<QPushButton>(&pre, "btnOK")->click();
    EXPECT_EQ(boxes.Texts.last(), "Snooze time cannot be later than 17 Feb 2009, 12:00");
    EXPECT_EQ(pre.result(), 0); // still open
    Child<QTimeEdit>(&pre, "sedStartTime")->setTime(QTime(10, 0));
    Child<QPushButton>(&pre, "btnOK")->click();
    EXPECT_EQ(boxes.Texts.last(), "Snooze time cannot be earlier than 10:01");
    Child<QRadioButton>(&pre, "rbtRelatedDateTime")->click();
    Child<QPushButton>(&pre, "btnOK")->click();
    EXPECT_EQ(pre.result(), int(QDialog::Accepted));
    EXPECT_EQ(pre.SnoozeDateTime, At(11, 0));

    // Less than a millisecond counts as equal; one more does not.
    const TDateTime now = Clock::Now();
    QString why;
    EXPECT_TRUE(
        TSetSnoozeForm::CheckSnoozeTime(1, rec.EventDateTime + 0.5 * OneMillisecond, now, rec.EventDateTime, &why));
    EXPECT_FALSE(
        TSetSnoozeForm::CheckSnoozeTime(1, rec.EventDateTime + 2 * OneMillisecond, now, rec.EventDateTime, &why));
    EXPECT_TRUE(TSetSnoozeForm::CheckSnoozeTime(0, now - 0.5 * OneMillisecond, now, 0, &why));
    EXPECT_FALSE(TSetSnoozeForm::CheckSnoozeTime(0, now - 2 * OneMillisecond, now, 0, &why));
    EXPECT_EQ(why, "Snooze time must be later than 17 Feb 2009, 10:01");

    // An ordinary dialog starts one minute on from the present minute and
    // follows its relative row.
    TSetSnoozeForm plain(context);
    plain.SetupOrdinary(0);
    EXPECT_EQ(Child<QComboBox>(&plain, "cbxPresetDate")->count(), 6);
    EXPECT_EQ(Child<QComboBox>(&plain, "cbxPresetDate")->itemText(1), "hour(s)  from now");
    EXPECT_EQ(Child<QGroupBox>(&plain, "gbxDataTime")->title(), " Relative or exact Date/Time ");
    EXPECT_FALSE(Child<QDateEdit>(&plain, "dedStartDate")->isEnabled());
    EXPECT_EQ(Child<QTimeEdit>(&plain, "sedStartTime")->time(), QTime(10, 2));
    Child<QSpinBox>(&plain, "sedPresetNTimes")->setValue(3);
    Child<QComboBox>(&plain, "cbxPresetDate")->setCurrentIndex(2);
    EXPECT_EQ(Child<QDateEdit>(&plain, "dedStartDate")->date(), QDate(2009, 2, 20));
    EXPECT_EQ(Child<QTimeEdit>(&plain, "sedStartTime")->time(), QTime(10, 1));
    EXPECT_EQ(plain.ChosenValue(), At(10, 1, 20));
}

TEST_F(NoteFixture, DismissMovesARepeatOnAndDeliversAOneTimePreWarning)
{
    TestSupport::PinnedClock clock(At(10, 1));
    TTaskData &once = list.AddTask(PreWarnedAlarm());
    Child<QPushButton>(Open(0), "btnOK")->click();
    // The event itself will not pop up.
    EXPECT_TRUE(once.Delivered);
    EXPECT_EQ(once.Scheduled, At(10, 0));
    EXPECT_FALSE(once.InService);

    TTaskData daily = Alarm("Pills", At(9, 0));
    daily.RepeatTask = true;
    daily.RepeatRule = srDays;
    daily.RepeatNFactor = 1;
    daily.SnoozeInmedTime = At(9, 30);
    TTaskData &rec = list.AddTask(daily);
    Child<QPushButton>(Open(1), "btnOK")->click();
    EXPECT_FALSE(rec.Delivered);
    EXPECT_EQ(rec.EventDateTime, At(9, 0, 18));
    EXPECT_EQ(rec.Scheduled, At(9, 0, 18));
    EXPECT_EQ(rec.SnoozeInmedTime, 0.0);
}

TEST_F(NoteFixture, SnoozeUntilTheEventSkipsTheWeekdayTest)
{
    TestSupport::PinnedClock clock(At(10, 1));
    TTaskData t = PreWarnedAlarm();
    t.ExcludeTuesday = true;
    TTaskData &rec = list.AddTask(t);
    boxes.Texts.clear();
    Child<QAction>(Open(), "popSnoozeuntilEventDateTime")->trigger();
    EXPECT_TRUE(boxes.Texts.isEmpty());
    EXPECT_EQ(rec.Scheduled, At(12, 0));
    EXPECT_FALSE(rec.Delivered);
}

TEST_F(NoteFixture, EditedNotesAreWrittenBackSplitAtTwoHundredFifty)
{
    prefs.SetEditableNotes(true);
    TTaskData t = Alarm("List", At(10, 0));
    t.Notes1.Set("old");
    TTaskData &rec = list.AddTask(t);

    QPointer<TPopupNoteForm> note = Open();
    EXPECT_FALSE(Child<TNoteMemo>(note, "lblNotes")->isReadOnly());
    EXPECT_FALSE(note->NotesChanged); // filling the memo is no edit
    const QString text = QString(250, QLatin1Char('a')) + QString(50, QLatin1Char('b'));
    Child<TNoteMemo>(note, "lblNotes")->setPlainText(text);
    EXPECT_TRUE(note->NotesChanged);
    Child<QPushButton>(note, "btnOK")->click();
    EXPECT_EQ(rec.Notes1.Get(), QString(250, QLatin1Char('a')));
    EXPECT_EQ(rec.Notes2.Get(), QString(50, QLatin1Char('b')));

    // Cleared notes store two empty parts.
    rec.InService = true;
    note = Open();
    Child<TNoteMemo>(note, "lblNotes")->clear();
    Child<QPushButton>(note, "btnOK")->click();
    EXPECT_EQ(rec.Notes1.Get(), "");
    EXPECT_EQ(rec.Notes2.Get(), "");

    // Line breaks are stored as the store has always held them, and the memo
    // takes no more than the record holds.
    rec.InService = true;
    note = Open();
    Child<TNoteMemo>(note, "lblNotes")->setPlainText(QStringLiteral("milk\nbread") + QString(600, QLatin1Char('x')));
    EXPECT_EQ(MemoTextToNotes(Child<TNoteMemo>(note, "lblNotes")->toPlainText()).size(), 500);
    Child<QPushButton>(note, "btnOK")->click();
    EXPECT_TRUE(rec.Notes1.Get().startsWith("milk\r\nbread"));
    EXPECT_EQ(rec.Notes2.Get(), QString(250, QLatin1Char('x')));
    rec.InService = true;
    note = Open();
    EXPECT_TRUE(Child<TNoteMemo>(note, "lblNotes")->toPlainText().startsWith("milk\nbread"));

    // Room is counted in UTF-8 bytes, and a character that would straddle the
    // two parts moves whole into the second one.
    const QString n = QString::fromUtf8("ń");
    Child<TNoteMemo>(note, "lblNotes")->clear();
    Child<TNoteMemo>(note, "lblNotes")->insertPlainText(QString(249, 'a') + n.repeated(200));
    EXPECT_EQ(Child<TNoteMemo>(note, "lblNotes")->toPlainText(), QString(249, 'a') + n.repeated(125));
    Child<TNoteMemo>(note, "lblNotes")->clear();
    Child<TNoteMemo>(note, "lblNotes")->insertPlainText("x" + QString::fromUtf8("🎂").repeated(130) + "\nyz");
    EXPECT_EQ(Child<TNoteMemo>(note, "lblNotes")->toPlainText(), "x" + QString::fromUtf8("🎂").repeated(124));
    // Typing in the middle takes what still fits after the split moves.
    QTextCursor c = Child<TNoteMemo>(note, "lblNotes")->textCursor();
    c.setPosition(1);
    Child<TNoteMemo>(note, "lblNotes")->setTextCursor(c);
    QTest::keyClicks(Child<TNoteMemo>(note, "lblNotes"), "qqq");
    EXPECT_EQ(Child<TNoteMemo>(note, "lblNotes")->toPlainText(), "xq" + QString::fromUtf8("🎂").repeated(124));
    delete note;
}

// The memo is fitted to what the record's two parts hold in bytes: a
// character that crosses the end of the first part moves to the second.
TEST(NoteText, FitsTheRecordsBytesAndNeverSplitsACharacter)
{
    const QString emoji = QString::fromUtf8("😀");
    const struct {
        const char *what;
        QString memo;
        QString kept;
    } cases[] = {
        {"two-byte letters", QString(300, QChar(0x0105)), QString(250, QChar(0x0105))},
        {"three bytes across the split",
         QString(249, QLatin1Char('a')) + QString::fromUtf8("日") + QString(300, QLatin1Char('b')),
         QString(249, QLatin1Char('a')) + QString::fromUtf8("日") + QString(247, QLatin1Char('b'))},
        {"emoji at the end", QString(498, QLatin1Char('c')) + emoji, QString(498, QLatin1Char('c'))},
        {"line breaks take two bytes",
         QString(248, QLatin1Char('d')) + QStringLiteral("\n") + emoji + QString(300, QLatin1Char('e')),
         QString(248, QLatin1Char('d')) + QStringLiteral("\n") + emoji + QString(246, QLatin1Char('e'))},
        {"fits whole", QString::fromUtf8("Zadzwoń do mamy\nПривет 日本 ✓"),
         QString::fromUtf8("Zadzwoń do mamy\nПривет 日本 ✓")},
    };
    for (const auto &c : cases) {
        const QString fitted = FitMemoText(c.memo);
        EXPECT_EQ(fitted, c.kept) << c.what;
        TTaskData t;
        WriteBackNotes(t, c.memo);
        EXPECT_EQ(NotesForMemo(t), fitted) << c.what;
    }
}

TEST_F(NoteFixture, UneditedNotesAreNotWrittenBack)
{
    prefs.SetEditableNotes(true);
    TTaskData t = Alarm("List", At(10, 0));
    t.Notes1.Set("first\r\nsecond");
    TTaskData &rec = list.AddTask(t);
    QPointer<TPopupNoteForm> note = Open();
    // Meanwhile the reminder's notes were changed in the editor.
    rec.Notes1.Set("from the editor");
    Child<QPushButton>(note, "btnOK")->click();
    EXPECT_EQ(rec.Notes1.Get(), "from the editor");
}

TEST_F(NoteFixture, DeleteWaitsForTheReminderOtherActionWindows)
{
    TTaskData &rec = list.AddTask(Alarm("Report", At(10, 0)));
    QPointer<TPopupNoteForm> note = Open();
    boxes.Texts.clear();
    rec.ActionCount = 2; // an e-mail window is counting down
    ActivateLink(Child<QLabel>(note, "lblDelete"));
    EXPECT_EQ(boxes.Texts, QStringList{"Cannot delete Reminder. Other actions are still running."});
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(trash.Paths.isEmpty());

    rec.ActionCount = 1;
    int refreshes = 0;
    QObject::connect(&context.Windows, &TOpenWindows::RefreshListRequested, [&] { ++refreshes; });
    context.Windows.TaskList = true;
    ActivateLink(Child<QLabel>(note, "lblDelete"));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(trash.Paths.size(), 1);
    EXPECT_FALSE(note->isVisible());
    EXPECT_EQ(note->TaskData()->ActionCount, 0);
    EXPECT_EQ(refreshes, 2); // the close steps and the delete
}

namespace {

// Pixels of a widget drawn in a clearly blue colour (an active link).
int BluePixels(QWidget *w)
{
    const QImage image = w->grab().toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.blue() > c.red() + 80 && c.blue() > c.green() + 80;
        }
    return n;
}

} // namespace

TEST_F(NoteFixture, ChangeScheduleGoesThroughTheEditorHook)
{
    TestSupport::CapturedLog log;
    TestSupport::PinnedClock clock(At(10, 1));
    TTaskData &rec = list.AddTask(Alarm("Review", At(10, 0)));
    QPointer<TPopupNoteForm> note = Open();
    EXPECT_FALSE(Child<QLabel>(note, "lblResetSchedule")->isEnabled()); // no editor mode yet
    // ...and it looks it: not drawn in the link colour, unlike Delete.
    EXPECT_EQ(BluePixels(Child<QLabel>(note, "lblResetSchedule")), 0);
    EXPECT_GT(BluePixels(Child<QLabel>(note, "lblDelete")), 0);
    ActivateLink(Child<QLabel>(note, "lblResetSchedule"));
    EXPECT_TRUE(note->isVisible());
    delete note; // gone without its close steps, as at program end
    rec.ActionCount = 0;
    rec.InService = true;
    int asked = 0;
    QObject::connect(&context.Windows, &TOpenWindows::ChangeScheduleRequested,
                     [&](std::shared_ptr<TTaskData> task, std::function<void(bool)> done) {
                         if (++asked == 1)
                             return done(false); // cancelled
                         task->ActionCount = 7; // the editor's own bookkeeping must not stick
                         done(true);
                     });
    note = Open();
    EXPECT_TRUE(Child<QLabel>(note, "lblResetSchedule")->isEnabled());
    EXPECT_GT(BluePixels(Child<QLabel>(note, "lblResetSchedule")), 0);
    ActivateLink(Child<QLabel>(note, "lblResetSchedule"));
    EXPECT_TRUE(note->isVisible());
    ActivateLink(Child<QLabel>(note, "lblResetSchedule"));
    EXPECT_TRUE(log.Contains("Info: Review's schedule changed."));
    EXPECT_TRUE(log.Contains("Info:  --- ActionCount. #:1")); // the note itself
    // Unchanged schedule: the reminder is rescheduled as after a run.
    EXPECT_TRUE(rec.Delivered);
    EXPECT_FALSE(note->isVisible());
    EXPECT_EQ(rec.ActionCount, 0);
    EXPECT_FALSE(rec.InService);
}

TEST_F(NoteFixture, WithThePictureLibraryTheNoteTakesThePictureOutline)
{
    TResourceLibrary library;
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/../Brivane/grresrep.rcc");
    ASSERT_TRUE(library.Load(path)) << qPrintable(path);
    context.Library = &library;
    TestSupport::PinnedClock clock(At(10, 1));
    list.AddTask(Alarm("Plain", At(10, 0)));
    list.AddTask(PreWarnedAlarm());

    QPointer<TPopupNoteForm> note = Open(0);
    EXPECT_EQ(note->size(), library.Picture("NOTE").size());
    EXPECT_FALSE(note->mask().isEmpty());
    EXPECT_FALSE(note->mask().contains(QPoint(note->width() - 1, note->height() - 1)));
    EXPECT_TRUE(note->mask().contains(Child<QFrame>(note, "pnlOK")->geometry().center()));
    QPointer<TPopupNoteForm> pre = Open(1);
    EXPECT_EQ(pre->size(), library.Picture("PRE_WARNING_NOTE").size());
    EXPECT_TRUE(pre->mask().contains(Child<QFrame>(pre, "pnlSnooze")->geometry().bottomRight()));
    delete note;
    delete pre;
}

TEST_F(NoteFixture, SnoozeDialogOpensAboveItsNoteAndLeavesTheRestLive)
{
    TestSupport::PinnedClock clock(At(10, 30));
    TTaskData &rec = list.AddTask(Alarm("Gym", At(10, 0)));
    QPointer<TPopupNoteForm> note = Open();
    Child<QAction>(note, "popChooseSnooze")->trigger(); // no test hook: the real dialog
    TSetSnoozeForm *dialog = note->findChild<TSetSnoozeForm *>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    // The note stays on top: the dialog must be too, as its own window above it.
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(dialog->isWindow());
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal) << "modal to its note, not to the program";

    Child<QRadioButton>(dialog, "rbtAbsoluteDateTime")->click();
    Child<QDateEdit>(dialog, "dedStartDate")->setDate(QDate(2009, 2, 19));
    Child<QTimeEdit>(dialog, "sedStartTime")->setTime(QTime(8, 15));
    QPointer<TSetSnoozeForm> gone(dialog);
    Child<QPushButton>(dialog, "btnOK")->click();
    EXPECT_EQ(rec.Scheduled, At(8, 15, 19));
    EXPECT_FALSE(note->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull()) << "the dialog is freed once answered";
    delete note;
}

TEST_F(NoteFixture, KeyboardReachesDismissFirstReturnDismissesAndEscPutsTheNoteOff)
{
    TestSupport::PinnedClock clock(At(10, 7));
    list.AddTask(Alarm("Tea", At(10, 0)));
    list.AddTask(PreWarnedAlarm());
    TTaskData &rec = list[0];
    const auto active = [](TPopupNoteForm *note) {
        note->activateWindow();
        return QTest::qWaitForWindowActive(note);
    };

    // Dismiss is the default button and the keyboard starts on it.
    QPointer<TPopupNoteForm> note = Open(0);
    ASSERT_TRUE(active(note));
    EXPECT_TRUE(Child<QPushButton>(note, "btnOK")->isDefault());
    EXPECT_EQ(note->focusWidget(), Child<QPushButton>(note, "btnOK"));
    // One Tab on is Snooze, and Return there opens the snooze menu, not Dismiss.
    QTest::keyClick(Child<QPushButton>(note, "btnOK"), Qt::Key_Tab);
    EXPECT_EQ(note->focusWidget(), Child<QPushButton>(note, "btnSnooze"));
    QTest::keyClick(Child<QPushButton>(note, "btnSnooze"), Qt::Key_Return);
    EXPECT_TRUE(Child<QMenu>(note, "popSnooze")->isVisible());
    Child<QMenu>(note, "popSnooze")->hide();
    EXPECT_TRUE(note->isVisible());
    // Esc is the first snooze preset: the reminder comes back.
    QTest::keyClick(Child<TNoteMemo>(note, "lblNotes"), Qt::Key_Escape);
    ProcessDeletes();
    EXPECT_FALSE(note);
    EXPECT_TRUE(SameDateTime(rec.Scheduled, At(10, 10))) << rec.Scheduled;
    EXPECT_FALSE(rec.Delivered);

    // Return from the read-only notes dismisses.
    rec.InService = true;
    note = Open(0);
    ASSERT_TRUE(active(note));
    QTest::keyClick(Child<TNoteMemo>(note, "lblNotes"), Qt::Key_Return);
    ProcessDeletes();
    EXPECT_FALSE(note);
    EXPECT_TRUE(rec.Delivered);

    // In notes the user may edit, Return is a new line.
    prefs.SetEditableNotes(true);
    rec.InService = true;
    rec.Delivered = false;
    note = Open(0);
    ASSERT_TRUE(active(note));
    Child<TNoteMemo>(note, "lblNotes")->setFocus();
    QTest::keyClick(Child<TNoteMemo>(note, "lblNotes"), Qt::Key_Return);
    ProcessDeletes();
    ASSERT_TRUE(note);
    EXPECT_EQ(Child<TNoteMemo>(note, "lblNotes")->toPlainText(), "\n");
    Child<QPushButton>(note, "btnOK")->click();

    // A pre-warning has no presets: Esc puts it off to the event.
    QPointer<TPopupNoteForm> pre = Open(1);
    ASSERT_TRUE(active(pre));
    QTest::keyClick(Child<QPushButton>(pre, "btnOK"), Qt::Key_Escape);
    ProcessDeletes();
    EXPECT_FALSE(pre);
    EXPECT_EQ(list[1].Scheduled, At(12, 0));
}

TEST_F(NoteFixture, EveryNoteDrawsItsButtonsAndScrollBarWithTheSamePalette)
{
    // The style caches its drawings under the palette's identity, and the
    // cache never forgets a key: a new identity for each note would make the
    // program grow with every note it shows.
    TestSupport::PinnedClock clock(At(10, 1));
    list.AddTask(Alarm("Water the plants", At(10, 0)));
    list.AddTask(Alarm("Stretch", At(10, 0)));
    TestSupport::PaletteKeyRecorder style;
    auto drawn = [&](int i) {
        QPointer<TPopupNoteForm> note = Open(i);
        for (QWidget *w : {static_cast<QWidget *>(Child<QPushButton>(note, "btnOK")),
                           static_cast<QWidget *>(Child<QPushButton>(note, "btnSnooze")),
                           static_cast<QWidget *>(Child<TNoteMemo>(note, "lblNotes")->verticalScrollBar())})
            w->setStyle(&style);
        style.Keys.clear();
        note->grab();
        const QMap<QString, qint64> keys = style.Keys;
        Child<QPushButton>(note, "btnOK")->click();
        ProcessDeletes();
        return keys;
    };
    const QMap<QString, qint64> first = drawn(0);
    EXPECT_EQ(first.keys(), (QStringList{"btnOK", "btnSnooze", "scroll bar"}));
    EXPECT_EQ(drawn(1), first);
}

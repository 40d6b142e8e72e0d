#include "model/TaskList.h"
#include "scheduler/ActionFrm.h"
#include "tests/fakes/FakeSoundPlayer.h"
#include "tests/fakes/ScriptedAnswers.h"
#include "tests/support/ActionWindows.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/Records.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <gtest/gtest.h>

namespace {

using TestRecords::Alarm;

// A list and a silent sound player for one test.
struct ActionFixture : ::testing::Test {
    void SetUp() override
    {
        context.List = &list;
        context.Sound = &player;
    }
    TTaskList list;
    TActionContext context;
    FakeSoundPlayer player;
    const TDateTime now = EncodeDateTime(2009, 2, 17, 10, 0, 30, 0);
};

} // namespace

TEST_F(ActionFixture, SoundOnlyReminderIsRescheduledWithinTheStartAndLeavesNoWindow)
{
    TestSupport::PinnedClock clock(now);
    TTaskData t = Alarm("Tea", EncodeDateTime(2009, 2, 17, 10, 0, 0, 0));
    t.PlaySound = true;
    t.SoundFile.Set("reminder.wav");
    t.InService = true;
    TTaskData &rec = list.AddTask(t);

    QPointer<TPlaysoundForm> form = new TPlaysoundForm(context);
    form->StartSound(0);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(rec.ActionCount, 0);
    EXPECT_FALSE(rec.InService);
    EXPECT_EQ(rec.LastRun, now);
    EXPECT_TRUE(rec.Delivered); // a one-time reminder is done
    EXPECT_EQ(rec.HasRun, 0);
    EXPECT_GT(list.ModifiedAt(), 0.0);
    // An empty or missing file plays the desktop's default sound.
    ASSERT_EQ(player.Played.size(), 1);
    EXPECT_EQ(player.Played[0], "<default>");
    EXPECT_EQ(player.Stops, 0); // closing the sound window does not stop its own sound
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
}

TEST_F(ActionFixture, SoundBesideANoteLeavesTheScheduleAndServiceToTheNote)
{
    TestSupport::PinnedClock clock(now);
    TTaskData t = Alarm("Call", EncodeDateTime(2009, 2, 17, 10, 0, 0, 0));
    t.PlaySound = true;
    t.PopupNote = true;
    t.InService = true;
    t.ActionCount = 1; // the note is open
    TTaskData &rec = list.AddTask(t);
    const TTaskData before = rec;

    (new TPlaysoundForm(context))->StartSound(0);
    EXPECT_EQ(rec.ActionCount, 1);
    EXPECT_TRUE(rec.InService);
    EXPECT_EQ(rec.Scheduled, before.Scheduled);
    EXPECT_FALSE(rec.Delivered);
    EXPECT_EQ(rec.LastRun, before.LastRun);
}

TEST_F(ActionFixture, OnlyTheWindowItselfMayCloseItAndClosingStopsTheSound)
{
    list.AddTask(Alarm("Note", now));
    int refreshes = 0;
    QObject::connect(&context.Windows, &TOpenWindows::RefreshListRequested, [&] { ++refreshes; });
    context.Windows.TaskList = true;

    QPointer<TActionForm> form = new TActionForm(context);
    form->StartAction(0);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "Note");
    EXPECT_EQ(Child<QLabel>(form, "lblTitle")->text(), "Note");
    EXPECT_EQ(Child<QLabel>(form, "labSchedule")->text(), "  Tue, 17 Feb 2009, 10:00, run once");
    EXPECT_FALSE(form->close()); // window manager close, Alt+F4
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(refreshes, 0);

    form->MayClose = true;
    EXPECT_TRUE(form->close());
    EXPECT_EQ(player.Stops, 1);
    EXPECT_EQ(refreshes, 1);
    EXPECT_GT(list.ModifiedAt(), 0.0);

    // While the wizard is open the task list is left alone.
    context.Windows.TaskForm = true;
    QPointer<TActionForm> second = new TActionForm(context);
    second->StartAction(0);
    second->MayClose = true;
    second->close();
    EXPECT_EQ(refreshes, 1);
}

TEST_F(ActionFixture, ARecordRemovedWhileItsWindowIsOpenStaysReadable)
{
    list.AddTask(Alarm("First", now));
    list.AddTask(Alarm("Second", now));
    auto *form = new TActionForm(context);
    form->StartAction(1);
    EXPECT_EQ(form->RecordIndex(), 1);
    list.RemoveTask(&list.GetTask(0));
    EXPECT_EQ(form->RecordIndex(), 0); // found again after the list shrank
    list.RemoveTask(form->TaskData());
    EXPECT_EQ(form->RecordIndex(), -1);
    form->IncActionCount();
    EXPECT_EQ(form->TaskData()->Title.Get(), "Second");
    EXPECT_EQ(form->TaskData()->ActionCount, 1);
    delete form;
}

TEST_F(ActionFixture, UnboundWindowSaysSoWhenAskedForItsIndex)
{
    TScriptedAnswers boxes;
    context.Boxes = &boxes;
    TActionForm form(context);
    EXPECT_EQ(form.RecordIndex(), -1);
    EXPECT_EQ(boxes.Texts, QStringList{"FTaskData unassigned"});
}

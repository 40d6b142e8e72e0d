#include "extras/GlobalFullMoons.h"
#include "model/TaskList.h"
#include "platform/FormShaper.h"
#include "platform/ResourceLibrary.h"
#include "scheduler/ActionFactory.h"
#include "scheduler/FullMoonFrm.h"
#include "scheduler/TaskScheduler.h"
#include "storage/GlobalPreferences.h"
#include "tests/fakes/FakeSoundPlayer.h"
#include "tests/support/ActionWindows.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/PaletteKeyRecorder.h"
#include "tests/support/Records.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <gtest/gtest.h>

using TestRecords::At;
using TestSupport::PinnedClock;

namespace {

// The program's own windows, the picture library and a silent sound player,
// around one full-moon reminder built for a Friday-evening full moon.
struct FullMoonFixture : ::testing::Test {
    void SetUp() override
    {
        const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/../Brivane/grresrep.rcc");
        ASSERT_TRUE(library.Load(path)) << qPrintable(path);
        context.List = &list;
        context.Preferences = &prefs;
        context.Library = &library;
        context.Sound = &player;
        context.ActionWindows = &windows;
        prefs.SetTimeBase24hour(true);
    }
    void TearDown() override
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<TFullMoonForm *>(w))
                delete w;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Clock::Unpin();
    }
    TTaskData &AddNotice() { return list.AddTask(BuildFullMoonReminder(At(2026, 1, 16, 21, 34), prefs)); }
    static TFullMoonForm *OpenNotice()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *f = qobject_cast<TFullMoonForm *>(w); f && f->isVisible())
                return f;
        return nullptr;
    }

    TTaskList list;
    TPreferences prefs;
    TResourceLibrary library;
    FakeSoundPlayer player;
    TActionContext context;
    TActionWindowFactory windows{context};
    TTaskScheduler scheduler{context};
};

} // namespace

TEST_F(FullMoonFixture, SchedulerShowsTheNoticeWithItsSoundAndDismissCompletesIt)
{
    TestSupport::CapturedLog log;
    Clock::Pin(At(2026, 1, 14, 12, 0));
    TTaskData &rec = AddNotice();
    Clock::Advance(30 * OneSecond);
    scheduler.TimerTick();

    ASSERT_EQ(player.Played.size(), 1);
    EXPECT_EQ(player.Played[0], QStringLiteral("<default>")); // no sound file of its own
    QPointer<TFullMoonForm> form = OpenNotice();
    ASSERT_TRUE(form);
    // Shaped by its picture and centred on the screen.
    EXPECT_EQ(form->size(), library.Picture(QStringLiteral("FULLMOON")).size());
    EXPECT_FALSE(form->mask().isEmpty());
    EXPECT_TRUE(form->mask().contains(Child<QFrame>(form, "pnlBtnPanel")->geometry().center()));
    EXPECT_LE(
        (form->geometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center()).manhattanLength(),
        2);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Full moon on Friday!- \"Wolf Moon\""));
    EXPECT_EQ(Child<QLabel>(form, "lblTitle")->text(), form->windowTitle());
    EXPECT_EQ(Child<QLabel>(form, "lblLocaltimeinfo")->text(),
              QStringLiteral("best illumination at 21:34 local time "));
    EXPECT_EQ(Child<QLabel>(form, "lblAppName")->text(), context.ProductName);
    EXPECT_EQ(Child<QPushButton>(form, "btnOK")->text(), QStringLiteral("Dismiss"));
    EXPECT_FALSE(Child<QLabel>(form, "labSchedule")->isVisible());
    EXPECT_EQ(Child<QLabel>(form, "labSchedule")->text(), QStringLiteral("  Wed, 14 Jan 2026, 12:00"));
    EXPECT_EQ(rec.ActionCount, 1);
    EXPECT_TRUE(rec.InService);
    EXPECT_EQ(rec.LastRun, Clock::Now());

    // Only Dismiss closes it.
    form->close();
    EXPECT_TRUE(form->isVisible());
    const int stops = player.Stops;
    Child<QPushButton>(form, "btnOK")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
    EXPECT_TRUE(rec.Delivered);
    EXPECT_FALSE(rec.InService);
    EXPECT_EQ(rec.ActionCount, 0);
    EXPECT_EQ(player.Stops, stops + 1);
    EXPECT_GT(list.ModifiedAt(), 0.0);
    EXPECT_TRUE(log.Contains(QStringLiteral("Info: New Full moon task Schedule: ") + DateTimeToStr(rec.Scheduled)));

    // It stays in the list, done.
    Clock::Advance(OneHour);
    scheduler.TimerTick();
    EXPECT_EQ(player.Played.size(), 1);
    EXPECT_EQ(OpenNotice(), nullptr);
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(FullMoonFixture, SwitchedOffNoticeFiresAtTheNextTickOnceSwitchedOn)
{
    prefs.SetShowFullMoons(false);
    Clock::Pin(At(2026, 1, 14, 12, 0));
    TTaskData &rec = AddNotice();
    EXPECT_FALSE(rec.Enabled);
    Clock::Advance(30 * OneSecond);
    scheduler.TimerTick();
    Clock::Advance(30 * OneSecond);
    scheduler.TimerTick();
    EXPECT_TRUE(player.Played.isEmpty());
    EXPECT_EQ(OpenNotice(), nullptr);

    // What the preferences window does when the notices are switched back on.
    rec.Enabled = true;
    Clock::Advance(30 * OneSecond);
    scheduler.TimerTick();
    EXPECT_EQ(player.Played.size(), 1);
    EXPECT_NE(OpenNotice(), nullptr);
}

TEST_F(FullMoonFixture, WithoutThePictureLibraryTheNoticeIsAPlainCardOfTheSameSize)
{
    context.Library = nullptr;
    Clock::Pin(At(2026, 1, 14, 12, 0));
    AddNotice();
    QPointer<TFullMoonForm> form = new TFullMoonForm(context);
    form->StartAction(0);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->size(), QSize(TFullMoonForm::kWidth, TFullMoonForm::kHeight));
    EXPECT_TRUE(form->mask().isEmpty());
    delete form.data();
}

TEST_F(FullMoonFixture, EveryNoticeDrawsItsButtonWithTheSamePalette)
{
    // As with the notes: a new palette identity per window would leave the
    // style's cache keys behind for good.
    TestSupport::PaletteKeyRecorder style;
    auto drawn = [&] {
        std::unique_ptr<TFullMoonForm> form(new TFullMoonForm(context));
        Child<QPushButton>(form.get(), "btnOK")->setStyle(&style);
        style.Keys.clear();
        form->grab();
        return style.Keys;
    };
    const QMap<QString, qint64> first = drawn();
    EXPECT_EQ(first.size(), 1);
    EXPECT_EQ(drawn(), first);
}

// How long tooltips stay up follows the preferences.
#include "ui/ToolTipTime.h"

#include "scheduler/ActionContext.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

// Asks label for its tooltip as the mouse resting on it would; true when one shows.
bool HoverShowsTip(QLabel &label)
{
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), label.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&label, &help);
    return QTest::qWaitFor([] { return QToolTip::isVisible(); }, 2000);
}

} // namespace

TEST(ToolTipTime, TheTipGoesAfterThePreferencesTimeUnlessTheWidgetHasItsOwn)
{
    TPreferences preferences(QStringLiteral("Brivane"), QStringLiteral("Brivane"));
    TActionContext actions;
    actions.Preferences = &preferences;
    TToolTipTime time(*QCoreApplication::instance(), actions);
    QLabel label(QStringLiteral("hover me"));
    label.setToolTip(QStringLiteral("a tip"));
    label.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&label));

    // Qt's own tips stay ten seconds for so short a text; this one goes long before.
    preferences.SetTooltipDisplayTime(150);
    EXPECT_EQ(time.DisplayTime(), 150);
    ASSERT_TRUE(HoverShowsTip(label));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("a tip"));
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 5000));

    // A widget with a time of its own keeps it.
    label.setToolTipDuration(60000);
    ASSERT_TRUE(HoverShowsTip(label));
    QTest::qWait(600);
    EXPECT_TRUE(QToolTip::isVisible());
    QToolTip::hideText();

    // Without preferences their defaults hold.
    actions.Preferences = nullptr;
    EXPECT_EQ(time.DisplayTime(), TPreferences(QStringLiteral("x"), QStringLiteral("x")).TooltipDisplayTime());
}

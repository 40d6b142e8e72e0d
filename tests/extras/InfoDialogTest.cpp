#include "extras/InfoDlgFrm.h"
#include "platform/ResourceLibrary.h"
#include "tests/support/ActionWindows.h"
#include "tests/support/Records.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {
void ProcessDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
} // namespace

TEST(InfoDialog, SeveralStayOpenUntilTheirOwnOkAndClosingCountsAsAListChange)
{
    TTaskList list;
    TActionContext context;
    context.List = &list;
    int refreshes = 0;
    QObject::connect(&context.Windows, &TOpenWindows::RefreshListRequested, [&] { ++refreshes; });
    context.Windows.TaskList = true;

    QPointer<TInfoDlgForm> first = ShowInfoDialog(context, "Error 11", "A test e-mail could not be sent\rreason");
    QPointer<TInfoDlgForm> second = ShowInfoDialog(context, "Error 11", "again");
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.data(), second.data());
    EXPECT_TRUE(first->isVisible() && second->isVisible());
    EXPECT_EQ(Child<QLabel>(first, "lblTitle")->text(), "Error 11");
    EXPECT_EQ(Child<QLabel>(first, "lblText")->text(), "A test e-mail could not be sent\nreason");
    EXPECT_EQ(first->size(), QSize(TInfoDlgForm::kWidth, TInfoDlgForm::kHeight));
    EXPECT_EQ(first->TaskData(), nullptr); // it serves no reminder

    // Alt+F4 and the window manager's close are refused.
    EXPECT_FALSE(first->close());
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(list.ModifiedAt(), 0.0);

    Child<QPushButton>(first, "btnOK")->click();
    ProcessDeletes();
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(second->isVisible());
    EXPECT_GT(list.ModifiedAt(), 0.0);
    EXPECT_EQ(refreshes, 1);

    // With the wizard open the list window is left alone.
    context.Windows.TaskForm = true;
    Child<QPushButton>(second, "btnOK")->click();
    ProcessDeletes();
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(refreshes, 1);
}

TEST(InfoDialog, TakesTheOutlineOfItsPicture)
{
    TResourceLibrary library;
    const QString path = QStringLiteral(BRIVANE_TEST_RUN_DIR) + QStringLiteral("/grresrep.rcc");
    ASSERT_TRUE(library.Load(path)) << qPrintable(path);
    TActionContext context;
    context.Library = &library;
    QPointer<TInfoDlgForm> dialog = ShowInfoDialog(context, "Brivane - Warning", "text");
    EXPECT_FALSE(dialog->mask().isEmpty());
    EXPECT_TRUE(dialog->mask().contains(Child<QPushButton>(dialog, "btnOK")->geometry().center()));
    Child<QPushButton>(dialog, "btnOK")->click();
    ProcessDeletes();
    EXPECT_TRUE(dialog.isNull());
}

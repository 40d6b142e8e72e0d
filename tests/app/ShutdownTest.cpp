#include "app/BrivaneApplication.h"
#include "app/PalvaroApplication.h"
#include "app/hiddenfrm.h"
#include "core/EndRequest.h"
#include "model/TaskList.h"
#include "platform/DesktopMessageBoxes.h"
#include "scheduler/ActionContext.h"
#include "tests/fakes/FakeSessionEndSource.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// A window that frees another, parentless one when it goes, as an owner frees
// what it made.
class FreeingWindow : public QWidget {
public:
    QPointer<QWidget> Other;
    ~FreeingWindow() override { delete Other.data(); }
};
} // namespace

TEST(Teardown, FreesEveryWindowOnceWhateverOwnsWhat)
{
    std::vector<QPointer<QWidget>> windows;
    // Several of each, as the order of the toolkit's window list is not fixed.
    for (int i = 0; i < 5; ++i) {
        auto *note = new QWidget(nullptr, Qt::Window);
        auto *menu = new QMenu(note); // a top-level window its note frees
        auto *freed = new QWidget(nullptr, Qt::Window);
        auto *freeing = new FreeingWindow;
        freeing->Other = freed;
        windows.insert(windows.end(), {note, menu, freed, freeing});
    }
    TBrivaneApplication::DeleteTopLevelWindows();
    for (const QPointer<QWidget> &w : windows)
        EXPECT_TRUE(w.isNull());
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST(HiddenWindow, EndOfSessionEndsTheProgramInOrderAndNoBoxWaitsAfterIt)
{
    QTemporaryDir dir;
    const QString exe = dir.filePath("Brivane");
    TestSupport::WriteAll(exe, "");
    TPalvaroApplication app(exe);
    TTaskList list;
    TActionContext actions;
    actions.List = &list;
    FakeSessionEndSource source;
    Thddnorm window(actions, &app, nullptr, &source);
    ASSERT_FALSE(app.TerminateRequested());
    ASSERT_EQ(list.ModifiedAt(), 0);

    source.EndSession();
    EXPECT_TRUE(app.TerminateRequested());
    EXPECT_TRUE(ProgramEndRequested());
    // Marked modified, so that the saves at the end write the list.
    EXPECT_NE(list.ModifiedAt(), 0);
    // A real box from now on gives the cautious answer at once instead of
    // waiting for someone who is logging out.
    TDesktopMessageBoxes boxes;
    EXPECT_EQ(boxes.Show("Still there?", TMsgIcon::Warning, TMsgButtons::YesNo, QString()), TMsgResult::No);
}

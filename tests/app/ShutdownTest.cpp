#include "app/BrivaneApplication.h"
#include "app/PalvaroApplication.h"
#include "app/hiddenfrm.h"
#include "core/EndRequest.h"
#include "model/TaskList.h"
#include "platform/DesktopMessageBoxes.h"
#include "scheduler/ActionContext.h"
#include "core/vornLogFile.h"
#include "tests/fakes/FakeSessionEndSource.h"
#include "tests/fakes/ScriptedAnswers.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// Counts what the two ends ask of the modules' owner.
struct CountingModules final : IProgramModules {
    void SaveStoreNow() override { ++Saves; }
    void RunFinalizations() override { ++Finalizations; }
    int Saves = 0, Finalizations = 0;
};

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
    Thddnorm window(actions, &app, &source);
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

TEST(OrderlyEnd, SavesThroughTheOwnerAndReportsLoggedErrorsOnlyOnceTheCopyIsOnTheDesktop)
{
    QTemporaryDir dir;
    const QString exe = dir.filePath("Brivane");
    TestSupport::WriteAll(exe, "");
    TScriptedAnswers boxes;
    CountingModules modules;
    TPalvaroApplication app(exe, &boxes, nullptr, &modules);
    const QString copy = app.GetFolder("DESKTOP") + "Brivane.log";
    QFile::remove(copy);
    {
        TvornLogFile log(app.LogPath(), 1, 1, 1);
        const TvornLogFile::TRecording recording(log);
        app.TerminateApplication("quiet");
        EXPECT_EQ(modules.Saves, 1);
        EXPECT_TRUE(app.TerminateRequested());
        EXPECT_TRUE(boxes.Texts.isEmpty());
        EXPECT_FALSE(QFile::exists(copy));

        log.Error("a fault");
        app.TerminateApplication("after a fault");
    }
    EXPECT_EQ(modules.Saves, 2);
    EXPECT_EQ(modules.Finalizations, 0);
    ASSERT_EQ(boxes.Texts.size(), 1);
    EXPECT_TRUE(boxes.Texts[0].startsWith("Error(s) have been detected during Brivane's operation."));
    EXPECT_EQ(boxes.Icons[0], TMsgIcon::Warning);
    EXPECT_TRUE(TestSupport::ReadAll(copy).contains("a fault"));

    // A desktop that takes no copy is said so, and the report does not claim one.
    QFile::remove(copy);
    QDir().mkpath(copy); // a folder where the copy would go
    boxes.Texts.clear();
    EXPECT_FALSE(app.CopyLogToDesktop());
    ASSERT_EQ(boxes.Texts.size(), 1);
    EXPECT_TRUE(boxes.Texts[0].startsWith("Error 17: Unable to copy LOG file: "));
    QDir(copy).removeRecursively();
}

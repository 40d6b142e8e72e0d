#include "app/InitApp.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>
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
    InitApp::DeleteTopLevelWindows();
    for (const QPointer<QWidget> &w : windows)
        EXPECT_TRUE(w.isNull());
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

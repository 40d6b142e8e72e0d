// The Reminders window driven through its commands, keys and settings.
#include "ui/TaskListFrm.h"

#include "core/vornIniFile.h"
#include "platform/ResourceLibrary.h"
#include "platform/SystemHelpers.h"
#include "scheduler/ActionContext.h"
#include "storage/GlobalPreferences.h"
#include "storage/vornStorage.h"
#include "tests/fakes/ScriptedAnswers.h"
#include "tests/fakes/FakeTrash.h"
#include "tests/support/Records.h"
#include "tests/support/TestSupport.h"

#include <QAbstractItemView>
#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPaintEngine>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QStackedWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace TestRecords;
using TestSupport::PinnedClock;

namespace {

const TDateTime kNow = At(2024, 5, 15, 10, 30); // a Wednesday

// A window on a list of its own, with an ini file, a store for task files,
// an answerer for its boxes and dialogs, and a record of what it asked the
// program to do.
struct FormEnv {
    QTemporaryDir Dir;
    PinnedClock Clock{kNow};
    TFakeTrash Trash;
    TTaskList List{&Trash};
    TTaskList CopyBuffer;
    TPreferences Preferences{QStringLiteral("Brivane"), QStringLiteral("Brivane")};
    TActionContext Actions;
    TvornIniFile Ini{Dir.filePath(QStringLiteral("Brivane.ini"))};
    std::unique_ptr<TPalvaroStorage> Store;
    TScriptedAnswers Boxes;
    QStringList Calls;
    int Modified = 0;

    FormEnv()
    {
        Actions.List = &List;
        Actions.Boxes = &Boxes;
        // The file dialogs choose NextPath (none: cancelled); the print dialog
        // prints into it as a PDF file.
        Boxes.DialogAnswer = [this](QDialog &dialog) {
            if (NextPath.isEmpty())
                return int(QDialog::Rejected);
            if (auto *files = qobject_cast<QFileDialog *>(&dialog)) {
                if (files->acceptMode() == QFileDialog::AcceptSave)
                    Calls << QStringLiteral("propose ") + QFileInfo(files->selectedFiles().value(0)).fileName();
                files->selectFile(NextPath);
            } else if (auto *print = qobject_cast<QPrintDialog *>(&dialog)) {
                print->printer()->setOutputFormat(QPrinter::PdfFormat);
                print->printer()->setOutputFileName(NextPath);
            }
            return int(QDialog::Accepted);
        };
        Actions.Preferences = &Preferences;
        Store = std::make_unique<TPalvaroStorage>(
            TStoreSetup{Dir.filePath(QStringLiteral("Tasks.dat")), {}, {}, {}, {}, QStringLiteral("Brivane")}, List);
        Actions.Store = Store.get();
        List.OnModified = [this] { ++Modified; };
    }

    TTaskData &Add(const QString &title, TDateTime when, std::function<void(TTaskData &)> change = {})
    {
        TTaskData t = Alarm(title, when);
        t.PopupNote = true;
        t.Created = kNow - 1;
        if (change)
            change(t);
        return List.AddTask(t);
    }

    TTaskListForm *Open()
    {
        TTaskListSetup s;
        s.Actions = &Actions;
        s.CopyBuffer = &CopyBuffer;
        s.Ini = &Ini;
        s.LargeImages = LargeImages;
        s.CanCheckForUpdates = CanCheckForUpdates;
        auto *form = new TTaskListForm(std::move(s));
        QObject::connect(form, &TTaskListForm::runNowRequested, form,
                         [this](int i) { Calls << QStringLiteral("run %1").arg(i); });
        QObject::connect(form, &TTaskListForm::logRequested, form, [this](bool on) {
            Ini.WriteInteger(QStringLiteral("Debug"), QStringLiteral("Level"), on ? 3 : 1);
        });
        QObject::connect(form, &TTaskListForm::closeProgramRequested, form,
                         [this](const QString &why) { Calls << why; });
        QObject::connect(form, &TTaskListForm::preferencesRequested, form, [this] {
            Calls << QStringLiteral("preferences tab %1")
                         .arg(Ini.ReadInteger(QStringLiteral("Preferences"), QStringLiteral("Tab"), 0));
        });
        QObject::connect(form, &TTaskListForm::checkForUpdatesRequested, form,
                         [this] { Calls << QStringLiteral("check"); });
        return form;
    }
    QString NextPath;
    bool CanCheckForUpdates = false; // the build has no update address
    const TImageList *LargeImages = nullptr;
};

// A control of the window by its name; T is QAction for menu items.
template <typename T = QAction>
T *Find(TTaskListForm *form, const QString &name)
{
    T *found = form->findChild<T *>(name);
    if (!found) {
        ADD_FAILURE() << "no control named " << name.toStdString();
        found = new T(form);
    }
    return found;
}

template <typename T = QAction>
T *Find(const std::unique_ptr<TTaskListForm> &form, const QString &name)
{
    return Find<T>(form.get(), name);
}

QAbstractItemView *ActiveView(TTaskListForm *form)
{
    return qobject_cast<QAbstractItemView *>(Find<QStackedWidget>(form, QStringLiteral("TaskViews"))->currentWidget());
}

QAbstractItemView *ActiveView(const std::unique_ptr<TTaskListForm> &form)
{
    return ActiveView(form.get());
}

void Key(TTaskListForm *form, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(ActiveView(form), Qt::Key(key), modifiers);
}

QString Cell(TTaskListForm *form, int row, int column)
{
    return form->Model().index(row, column).data().toString();
}

// A paint device that keeps the texts drawn on it, as the style lays them out
// (one piece per line, elided where it did not fit).
class TextRecorder : public QPaintDevice {
public:
    explicit TextRecorder(QSize size)
        : FSize(size)
    {
    }
    QPaintEngine *paintEngine() const override { return &FEngine; }
    QStringList Texts() const { return FEngine.Texts; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return FSize.width();
        case PdmHeight: return FSize.height();
        case PdmDepth: return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    struct Engine : QPaintEngine {
        QStringList Texts;
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState &) override { }
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override { }
        void drawTextItem(const QPointF &, const QTextItem &item) override { Texts << item.text(); }
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override { }
        Type type() const override { return User; }
    };
    QSize FSize;
    mutable Engine FEngine;
};

// The view as the user sees it: laid out and shown.
template <typename View>
View *ShownView(TTaskListForm *form, const char *name)
{
    form->show();
    QCoreApplication::processEvents();
    return form->findChild<View *>(QString::fromLatin1(name));
}

} // namespace

TEST(TaskListForm, EnablingFollowsTheSelectionAndTheOpeningMenu)
{
    TTaskData enabled = Alarm(QStringLiteral("on"), kNow);
    TTaskData suspended = enabled;
    suspended.Enabled = false;
    TTaskData served = enabled;
    served.InService = true;
    struct Case {
        const TTaskData *task;
        int onSelection, onMenu;
    } cases[] = {{nullptr, 0, 0}, {&served, 0, 0}, {&enabled, 31, 63}, {&suspended, 23, 23}};
    for (const Case &c : cases) {
        EXPECT_EQ(TTaskListForm::CommandMask(c.task, false), c.onSelection);
        EXPECT_EQ(TTaskListForm::CommandMask(c.task, true), c.onMenu);
    }

    FormEnv env;
    env.Add(QStringLiteral("Dentist"), kNow + 0.5);
    env.Add(QStringLiteral("Paused"), kNow + 0.6, [](TTaskData &t) { t.Enabled = false; });
    env.Ini.WriteInteger(QStringLiteral("Tasklist"), QStringLiteral("TaskFilter"), tfAll);
    std::unique_ptr<TTaskListForm> form(env.Open());
    // Shown: the add item selected, nothing but Add to do.
    EXPECT_EQ(form->SelectedRow(), 0);
    EXPECT_FALSE(Find(form, QStringLiteral("mnuDelete"))->isEnabled()
                 || Find(form, QStringLiteral("popCopy"))->isEnabled()
                 || Find(form, QStringLiteral("popPaste"))->isEnabled());

    form->SelectRow(1);
    EXPECT_EQ(Find(form, QStringLiteral("mnuEnable"))->text(), QStringLiteral("&Suspend   (Ctrl-F3)"));
    EXPECT_TRUE(Find(form, QStringLiteral("mnuRunNow"))->isEnabled()
                && Find(form, QStringLiteral("mnuSaveAs"))->isEnabled());
    EXPECT_FALSE(Find(form, QStringLiteral("popMarkCompleted"))->isEnabled())
        << "31 leaves Mark as Completed to the opening menu";
    form->EnableCommandsForMenu();
    EXPECT_TRUE(Find(form, QStringLiteral("popMarkCompleted"))->isEnabled()
                && Find(form, QStringLiteral("popCopy"))->isEnabled());
    EXPECT_FALSE(Find(form, QStringLiteral("popPaste"))->isEnabled());

    form->SelectRow(2);
    EXPECT_EQ(Find(form, QStringLiteral("mnuEnable"))->text(), QStringLiteral("&Resume   (Ctrl-F3)"));
    EXPECT_FALSE(Find(form, QStringLiteral("mnuRunNow"))->isEnabled());
    EXPECT_TRUE(Find(form, QStringLiteral("mnuProperties"))->isEnabled()
                && Find(form, QStringLiteral("mnuDelete"))->isEnabled()
                && Find(form, QStringLiteral("mnuSaveAs"))->isEnabled());
    // Ctrl+F3 resumes it and the caption follows at once; with Shift it is no command.
    Key(form.get(), Qt::Key_F3, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(env.List[1].Enabled);
    Key(form.get(), Qt::Key_F3, Qt::ControlModifier);
    EXPECT_TRUE(env.List[1].Enabled);
    EXPECT_EQ(Find(form, QStringLiteral("mnuEnable"))->text(), QStringLiteral("&Suspend   (Ctrl-F3)"));
    EXPECT_EQ(env.Modified, 1) << "a resume must reach the disk like any change";
    form->ToggleSuspend();
    EXPECT_FALSE(env.List[1].Enabled);
    EXPECT_EQ(env.Modified, 2) << "so must a suspension";
}

TEST(TaskListForm, TheSuspendItemNamesWhatItWillDoWheneverAMenuOpens)
{
    FormEnv env;
    env.Add(QStringLiteral("Dentist"), kNow + 0.5);
    env.Add(QStringLiteral("Paused"), kNow + 0.6, [](TTaskData &t) { t.Enabled = false; });
    env.Ini.WriteInteger(QStringLiteral("Tasklist"), QStringLiteral("TaskFilter"), tfAll);
    std::unique_ptr<TTaskListForm> form(env.Open());
    form->show();
    QMenu *file = form->menuBar()->actions().value(0)->menu();
    ASSERT_TRUE(file);
    const auto captions = [&] {
        return QStringList{Find(form, QStringLiteral("mnuEnable"))->text(),
                           Find(form, QStringLiteral("popEnable"))->text()};
    };
    const QStringList suspend{QStringLiteral("&Suspend   (Ctrl-F3)"), QStringLiteral("&Suspend   (Ctrl-F3)")};
    const QStringList resume{QStringLiteral("&Resume   (Ctrl-F3)"), QStringLiteral("&Resume   (Ctrl-F3)")};

    // Nothing selected yet: never the word "Enable".
    EXPECT_EQ(form->SelectedRow(), 0);
    EXPECT_EQ(captions(), suspend);

    // The reminder changes under a standing selection (a note, another
    // window): the opening menu says what the click will do now.
    form->SelectRow(1);
    env.List[0].Enabled = false;
    emit file->aboutToShow();
    EXPECT_EQ(captions(), resume);
    env.List[0].Enabled = true;
    emit ActiveView(form)->customContextMenuRequested(ActiveView(form)->visualRect(form->Model().index(1, 0)).center());
    EXPECT_TRUE(Find<QMenu>(form, QStringLiteral("TaskPopupMenu"))->isVisible());
    Find<QMenu>(form, QStringLiteral("TaskPopupMenu"))->hide();
    EXPECT_EQ(captions(), suspend);
    Find(form, QStringLiteral("mnuEnable"))->trigger();
    EXPECT_FALSE(env.List[0].Enabled) << "Suspend suspended it";
    EXPECT_EQ(captions(), resume);
    form->close();
}

TEST(TaskListForm, MenusHaveMnemonicsAndF10OpensTheMenuBar)
{
    FormEnv env;
    std::unique_ptr<TTaskListForm> form(env.Open());
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    // One letter per item, none used twice in a menu.
    const auto mnemonicsOf = [](const QList<QAction *> &actions) {
        QString letters;
        for (QAction *a : actions) {
            if (a->isSeparator())
                continue;
            const QString text = a->text();
            const qsizetype at = text.indexOf(QLatin1Char('&'));
            EXPECT_TRUE(at >= 0 && at + 1 < text.size()) << "no mnemonic: " << text.toStdString();
            const QChar letter = at >= 0 ? text.at(at + 1).toUpper() : QChar();
            EXPECT_FALSE(letters.contains(letter)) << "used twice: " << text.toStdString();
            letters += letter;
        }
        return letters;
    };
    EXPECT_EQ(mnemonicsOf(form->menuBar()->actions()), QStringLiteral("FVISH"));
    for (QAction *menu : form->menuBar()->actions())
        mnemonicsOf(menu->menu()->actions());
    mnemonicsOf(Find<QMenu>(form, QStringLiteral("TaskPopupMenu"))->actions());
    EXPECT_EQ(Find(form, QStringLiteral("mnuCloseProgram"))->text(), QStringLiteral("&Close Brivane"));

    // Alt+F opens File; F10 opens the first menu, File.
    QMenu *file = form->menuBar()->actions().value(0)->menu();
    QTest::keyClick(ActiveView(form), Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return file->isVisible(); }, 2000));
    file->hide();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !file->isVisible(); }, 2000));
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(ActiveView(form), Qt::Key_F10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return file->isVisible(); }, 2000));
    EXPECT_EQ(form->menuBar()->activeAction(), file->menuAction());
    file->hide();
    form->close();
}

TEST(TaskListForm, DeleteAsksAndDropsAReminderThatWentIntoService)
{
    FormEnv env;
    env.Add(QStringLiteral("Dentist"), kNow + 0.5);
    env.Add(QStringLiteral("Bills"), kNow + 0.6);
    env.Ini.WriteInteger(QStringLiteral("Tasklist"), QStringLiteral("TaskFilter"), tfAll);
    env.Ini.WriteInteger(QStringLiteral("Tasklist"), QStringLiteral("SortBy"), 1);
    std::unique_ptr<TTaskListForm> form(env.Open());

    TScriptedAnswers &boxes = env.Boxes;
    boxes.Answer = [](TMsgButtons) { return TMsgResult::No; };
    Key(form.get(), Qt::Key_Delete); // on the add item: nothing
    EXPECT_TRUE(boxes.Texts.isEmpty());

    form->SelectRow(2);
    const TTaskList::TTaskRef bills = form->SelectedTask();
    Key(form.get(), Qt::Key_Delete);
    ASSERT_EQ(boxes.Texts.size(), 1);
    EXPECT_EQ(boxes.Texts[0],
              QStringLiteral("Are you sure you want to delete reminder \"%1\"?").arg(bills->Title.Get()));
    EXPECT_EQ(env.List.Count(), 2);

    // It fires while the question is open: Yes deletes nothing.
    boxes.Decide = [&](const QString &) {
        bills->InService = true;
        return TMsgResult::Yes;
    };
    form->DeleteSelected(false);
    EXPECT_EQ(env.List.Count(), 2);
    Key(form.get(), Qt::Key_Delete); // and Del no longer asks
    EXPECT_EQ(boxes.Texts.size(), 2);

    bills->InService = false;
    boxes.Decide = nullptr;
    boxes.Answer = [](TMsgButtons) { return TMsgResult::Yes; };
    form->SelectRow(2);
    Key(form.get(), Qt::Key_Delete);
    EXPECT_EQ(env.List.Count(), 1);
    EXPECT_EQ(env.Modified, 1);
    // Fewer rows than the remembered selection: the last one is selected.
    EXPECT_EQ(form->SelectedRow(), 1);
}

TEST(TaskListForm, CopyPasteAndMarkCompleted)
{
    FormEnv env;
    env.Add(QStringLiteral("Daily"), kNow + 0.5, [](TTaskData &t) {
        t.RepeatTask = true;
        t.RepeatRule = 2;
        t.RepeatNFactor = 1;
        t.HasRun = 4;
    });
    env.Ini.WriteInteger(QStringLiteral("Tasklist"), QStringLiteral("TaskFilter"), tfAll);
    std::unique_ptr<TTaskListForm> form(env.Open());

    form->SelectRow(1);
    Key(form.get(), Qt::Key_C, Qt::ControlModifier);
    env.List[0].Title.Set(QStringLiteral("Changed after the copy"));
    Key(form.get(), Qt::Key_V, Qt::ControlModifier);
    Key(form.get(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(env.List.Count(), 3);
    for (int i : {1, 2}) {
        EXPECT_EQ(env.List[i].Title.Get(), QStringLiteral("Daily"));
        EXPECT_EQ(env.List[i].HasRun, 0);
        EXPECT_FALSE(env.List[i].Delivered);
        EXPECT_TRUE(env.List[i].RepeatTask);
    }
    EXPECT_EQ(form->Model().ShownCount(), 3);
    EXPECT_EQ(env.Modified, 2) << "each paste must reach the disk";

    form->SelectRow(1);
    form->MarkCompleted();
    const int row = form->Model().RowOfTask(&env.List[0]);
    EXPECT_EQ(Cell(form.get(), row, tcNextRun), QStringLiteral("Completed"));
    EXPECT_EQ(Cell(form.get(), row, tcRepeat), QStringLiteral("Run only once"));
    EXPECT_EQ(env.Modified, 3) << "so must marking it completed";

    // A reminder in service is not copied.
    env.CopyBuffer.Clear();
    env.List[1].InService = true;
    form->SelectRow(form->Model().RowOfTask(&env.List[1]));
    form->CopySelected();
    EXPECT_EQ(env.CopyBuffer.Count(), 0);
}

TEST(TaskListForm, SettingsAreReadOnShowAndWrittenOnClose)
{
    FormEnv env;
    for (int i = 0; i < 3; ++i)
        env.Add(QStringLiteral("R%1").arg(i), kNow + 1.2 + i * 0.01); // tomorrow
    const QString s = QStringLiteral("Tasklist");
    env.Ini.WriteInteger(s, QStringLiteral("Style"), 7); // no such style
    env.Ini.WriteInteger(s, QStringLiteral("TaskFilter"), 2);
    env.Ini.WriteInteger(s, QStringLiteral("LastItem"), 40); // no such item
    env.Ini.WriteInteger(s, QStringLiteral("Col6Width"), 123);
    env.Ini.WriteInteger(QStringLiteral("Debug"), QStringLiteral("Level"), 3);
    TTaskListForm *form = env.Open();
    form->show();
    EXPECT_TRUE(env.Actions.Windows.TaskList);
    EXPECT_EQ(form->ViewStyle(), vsDetails);
    for (int style = 0; style < TaskViewStyleCount; ++style)
        EXPECT_FALSE(Find(form, QStringLiteral("mnuViews%1").arg(style))->isChecked());
    EXPECT_TRUE(form->StatusSimple());
    EXPECT_EQ(form->StatusPanel(2), QStringLiteral(" 3 reminder(s), scheduled for tomorrow"));
    EXPECT_EQ(form->SelectedRow(), 0);
    EXPECT_TRUE(Find(form, QStringLiteral("mnuEnableLog"))->isChecked());
    EXPECT_TRUE(Find<QToolButton>(form, QStringLiteral("tbFilters%1").arg(2))->isChecked()
                && Find<QAction>(form, QStringLiteral("mnuFilters%1").arg(2))->isChecked());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Reminders  - Wednesday, 15 May 2024"));

    // F6 cycles the styles (two panels outside Details), F7 the filters, F8
    // the sort orders without turning the direction.
    Key(form, Qt::Key_F6);
    EXPECT_EQ(form->ViewStyle(), vsLargeIcons);
    EXPECT_FALSE(form->StatusSimple());
    Key(form, Qt::Key_F7);
    EXPECT_EQ(form->Model().Filter(), tfNextFiveDays);
    const bool ascending = form->Model().Ascending();
    Key(form, Qt::Key_F8);
    EXPECT_EQ(form->Model().SortIndex(), 2);
    EXPECT_EQ(form->Model().Ascending(), ascending);
    EXPECT_EQ(form->StatusPanel(1), TTaskListTexts::SortDescription(2, ascending));
    EXPECT_EQ(env.Ini.ReadInteger(s, QStringLiteral("SortBy"), -1), 2);
    Key(form, Qt::Key_F7);
    Key(form, Qt::Key_F7); // All, then Completed: nothing listed
    EXPECT_EQ(form->Model().Filter(), tfCompleted);
    EXPECT_TRUE(Find<QLabel>(form, QStringLiteral("lblFoundTasksInfo"))->isVisible());
    EXPECT_EQ(Find<QLabel>(form, QStringLiteral("lblFoundTasksInfo"))->text(),
              QStringLiteral("No Completed reminders."));
    EXPECT_FALSE(Find<QToolButton>(form, QStringLiteral("tbPrint"))->isEnabled());

    // The log menu item writes the level; checked it tells where the log goes.
    {
        TScriptedAnswers &boxes = env.Boxes;
        Find(form, QStringLiteral("mnuEnableLog"))->trigger();
        EXPECT_EQ(env.Ini.ReadInteger(QStringLiteral("Debug"), QStringLiteral("Level"), 0), 1);
        EXPECT_TRUE(boxes.Texts.isEmpty());
        Find(form, QStringLiteral("mnuEnableLog"))->trigger();
        EXPECT_EQ(env.Ini.ReadInteger(QStringLiteral("Debug"), QStringLiteral("Level"), 0), 3);
        ASSERT_EQ(boxes.Texts.size(), 1);
        EXPECT_TRUE(boxes.Texts[0].startsWith(QStringLiteral("You have enabled Brivane's logging operation.\nUncheck "
                                                             "the \"Enable log\" menu item to disable it.")));
    }
    // About opens the preferences on their About page.
    env.Ini.WriteInteger(QStringLiteral("Preferences"), QStringLiteral("Tab"), 2);
    Find(form, QStringLiteral("mnuAbout"))->trigger();
    EXPECT_EQ(env.Calls.last(), QStringLiteral("preferences tab 6"));

    QPointer<TTaskListForm> gone(form);
    Key(form, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());
    EXPECT_FALSE(env.Actions.Windows.TaskList);
    EXPECT_EQ(env.Ini.ReadInteger(s, QStringLiteral("Style"), -1), vsLargeIcons);
    EXPECT_EQ(env.Ini.ReadInteger(s, QStringLiteral("TaskFilter"), -1), tfCompleted);
    EXPECT_EQ(env.Ini.ReadInteger(s, QStringLiteral("FirstRun"), -1), 0);
    EXPECT_EQ(env.Ini.ReadInteger(s, QStringLiteral("LastItem"), -2), 0);
    EXPECT_EQ(env.Ini.ReadInteger(s, QStringLiteral("Col6Width"), -1), 123);
    EXPECT_EQ(env.Ini.ReadInteger(s, QStringLiteral("Col0Width"), -1), 200);
}

TEST(TaskListForm, StateIsWrittenWhenTheProgramEndsWithTheWindowOpen)
{
    FormEnv env;
    env.Add(QStringLiteral("R"), kNow + 1.2);
    const QString s = QStringLiteral("Tasklist");
    env.Ini.WriteInteger(s, QStringLiteral("Style"), vsDetails);
    env.Ini.WriteInteger(s, QStringLiteral("TaskFilter"), tfAll);
    TTaskListForm *form = env.Open();
    form->show();
    Key(form, Qt::Key_F6); // Details -> Large Icons
    Key(form, Qt::Key_F7); // All -> Completed
    form->setGeometry(130, 140, 520, 380);

    // The end of the program frees the window without closing it.
    delete form;
    EXPECT_FALSE(env.Actions.Windows.TaskList);
    EXPECT_EQ(env.Ini.ReadInteger(s, QStringLiteral("Style"), -1), vsLargeIcons);
    EXPECT_EQ(env.Ini.ReadInteger(s, QStringLiteral("TaskFilter"), -1), tfCompleted);
    const QString place = QStringLiteral("TaskList");
    EXPECT_EQ(env.Ini.ReadInteger(place, QStringLiteral("Left"), -1), 130);
    EXPECT_EQ(env.Ini.ReadInteger(place, QStringLiteral("Top"), -1), 140);
    EXPECT_EQ(env.Ini.ReadInteger(place, QStringLiteral("Width"), -1), 520);
    EXPECT_EQ(env.Ini.ReadInteger(place, QStringLiteral("Height"), -1), 380);
    // Not closed: a new user still meets the window at the next start.
    EXPECT_FALSE(env.Ini.ValueExists(s, QStringLiteral("FirstRun")));

    // The next window opens as this one was left.
    form = env.Open();
    form->show();
    EXPECT_EQ(form->ViewStyle(), vsLargeIcons);
    EXPECT_EQ(form->Model().Filter(), tfCompleted);
    EXPECT_EQ(form->geometry(), QRect(130, 140, 520, 380));
    delete form;
}

TEST(TaskListForm, FileCommandsReportWhatHappened)
{
    FormEnv env;
    env.Add(QStringLiteral("Tax: Q2/Q3?"), kNow + 0.5);
    env.Ini.WriteInteger(QStringLiteral("Tasklist"), QStringLiteral("TaskFilter"), tfAll);
    std::unique_ptr<TTaskListForm> form(env.Open());
    form->SelectRow(1);
    const TScriptedAnswers &boxes = env.Boxes;

    env.NextPath = env.Dir.filePath(QStringLiteral("tax.tsk"));
    form->SaveTaskAs();
    // The dialog proposes the title as a file name, with the task files' suffix.
    EXPECT_TRUE(env.Calls.contains(QStringLiteral("propose ") + SafeFileName(QStringLiteral("Tax: Q2/Q3?"))
                                   + QStringLiteral(".tsk")))
        << env.Calls.join(u'|').toStdString();
    EXPECT_EQ(boxes.Texts.value(0), QStringLiteral("Reminder successfully exported."));
    EXPECT_EQ(QFileInfo(env.NextPath).size(), TaskElementSize);

    env.NextPath = env.Dir.filePath(QStringLiteral("no/such/folder/tax.tsk"));
    form->SaveTaskAs();
    EXPECT_TRUE(boxes.Texts.value(1).startsWith(QStringLiteral("The reminder could not be saved")));
    EXPECT_EQ(boxes.Texts.size(), 2) << "no success message after a failed save";

    env.NextPath = env.Dir.filePath(QStringLiteral("tax.tsk"));
    form->ImportTask();
    EXPECT_EQ(boxes.Texts.value(2), QStringLiteral("Reminder successfully imported."));
    EXPECT_EQ(env.List.Count(), 2);
    EXPECT_EQ(env.Modified, 1);
    EXPECT_EQ(form->Model().ShownCount(), 2);

    env.NextPath = env.Dir.filePath(QStringLiteral("missing.tsk"));
    form->ImportTask();
    EXPECT_TRUE(boxes.Texts.value(3).startsWith(QStringLiteral("The reminder file")));
    EXPECT_EQ(env.List.Count(), 2);
    EXPECT_EQ(env.Modified, 1);

    // Print: cancelled prints nothing; a failure shows its own message only.
    const int before = boxes.Texts.size();
    env.NextPath.clear();
    form->Print();
    EXPECT_EQ(boxes.Texts.size(), before);
    env.NextPath = env.Dir.filePath(QStringLiteral("list.pdf"));
    form->Print();
    EXPECT_EQ(boxes.Texts.value(before), QStringLiteral("Task schedule list has printed successfully"));
    EXPECT_GT(QFileInfo(env.NextPath).size(), 0);
    env.NextPath = env.Dir.filePath(QStringLiteral("no/such/folder/list.pdf"));
    form->Print();
    ASSERT_EQ(boxes.Texts.size(), before + 2);
    EXPECT_NE(boxes.Texts.last(), QStringLiteral("Task schedule list has printed successfully"));

    // Close Program: marked modified, last run noted, the program asked to end.
    form->CloseProgram();
    EXPECT_EQ(env.Modified, 2);
    EXPECT_EQ(env.Preferences.LastRun(), kNow);
    EXPECT_EQ(env.Calls.last(), QStringLiteral("mnuCloseProgramClick"));
}

TEST(TaskListForm, AReminderJustAddedIsShownAndSelectedWhateverTheFilter)
{
    FormEnv env;
    env.Add(QStringLiteral("Tomorrow's dentist"), kNow + 1);
    env.Ini.WriteInteger(QStringLiteral("Tasklist"), QStringLiteral("TaskFilter"), tfTomorrow);
    std::unique_ptr<TTaskListForm> form(env.Open());
    // The program's part of Add: the wizard's record joins the list, then the window shows it.
    auto add = [&](TDateTime when, const QString &title) -> TTaskData & {
        TTaskData &added = env.Add(title, when);
        form->ShowAddedReminder(added);
        return added;
    };

    // Due in two minutes while Tomorrow is shown: the window moves to Today.
    TTaskData &soon = add(kNow + 2.0 / 1440, QStringLiteral("Soon"));
    EXPECT_EQ(form->Model().Filter(), tfToday);
    EXPECT_TRUE(Find<QAction>(form, QStringLiteral("mnuFilters%1").arg(tfToday))->isChecked());
    EXPECT_EQ(form->SelectedTask().get(), &soon);

    // One the current filter lists keeps the filter.
    TTaskData &later = add(kNow + 0.1, QStringLiteral("Later today"));
    EXPECT_EQ(form->Model().Filter(), tfToday);
    EXPECT_EQ(form->SelectedTask().get(), &later);

    // Beyond the next five days only All lists it.
    TTaskData &far = add(kNow + 40, QStringLiteral("Passport"));
    EXPECT_EQ(form->Model().Filter(), tfAll);
    EXPECT_EQ(form->SelectedTask().get(), &far);
}

TEST(TaskListForm, CheckForUpdatesIsOfferedOnlyWhenTheBuildCanCheck)
{
    FormEnv env;
    std::unique_ptr<TTaskListForm> form(env.Open());
    EXPECT_FALSE(Find(form, QStringLiteral("mnuCheckUpdates"))->isVisible());
    form.reset();

    env.CanCheckForUpdates = true;
    form.reset(env.Open());
    EXPECT_TRUE(Find(form, QStringLiteral("mnuCheckUpdates"))->isVisible());
    Find(form, QStringLiteral("mnuCheckUpdates"))->trigger();
    EXPECT_EQ(env.Calls, QStringList{QStringLiteral("check")});
}

TEST(TaskListForm, DateColumnsFitTheirLongestTextUnlessTheUserChoseAWidth)
{
    FormEnv env;
    // The widest names and the afternoon on a 12-hour clock: "Wed, 22 Sep 2027 at 10:58 PM".
    env.Preferences.SetTimeBase24hour(false);
    env.Add(QStringLiteral("Far"), At(2027, 9, 22, 22, 58), [](TTaskData &t) {
        t.EventDateTime = t.Scheduled;
        t.LastRun = At(2027, 9, 15, 22, 58);
        t.Created = At(2026, 12, 29, 22, 58);
    });
    const QString s = QStringLiteral("Tasklist");
    env.Ini.WriteInteger(s, QStringLiteral("Style"), vsDetails);
    env.Ini.WriteInteger(s, QStringLiteral("TaskFilter"), tfAll);
    env.Ini.WriteInteger(s, QStringLiteral("Col2Width"), 170); // the old default: fitted as well
    env.Ini.WriteInteger(s, QStringLiteral("Col5Width"), 90); // the user's own: kept
    std::unique_ptr<TTaskListForm> form(env.Open());
    auto *view = ShownView<QTableView>(form.get(), "TaskDetailsView");
    ASSERT_TRUE(view);

    auto checkFits = [&](const char *when) {
        const QFontMetrics fm(view->font());
        for (int c : {tcNextRun, tcDateTime, tcCreated}) {
            const QString text = Cell(form.get(), 1, c);
            EXPECT_TRUE(text.endsWith(QStringLiteral("pm"), Qt::CaseInsensitive)) << text.toStdString();
            EXPECT_GE(view->columnWidth(c), fm.horizontalAdvance(text) + 6)
                << when << ": column " << c << " cuts \"" << text.toStdString() << "\"";
        }
        EXPECT_EQ(view->columnWidth(tcLastRun), 90) << when;
    };
    checkFits("shown");

    // A larger font from the preferences widens the fitted columns again.
    env.Preferences.SetFontSize(env.Preferences.FontSize() > 0 ? env.Preferences.FontSize() * 2 : 20);
    form->ApplyListFont();
    ASSERT_GT(QFontInfo(view->font()).pixelSize(), 14);
    checkFits("larger font");

    // A width the user drags stays through a change of font.
    view->horizontalHeader()->resizeSection(tcCreated, 77);
    form->ApplyListFont();
    EXPECT_EQ(view->columnWidth(tcCreated), 77);
}

TEST(TaskListForm, LargeIconLabelsWrapToTwoLinesInsteadOfBeingCut)
{
    FormEnv env;
    TImageList pictures(32, 32);
    QImage blue(32, 32, QImage::Format_ARGB32);
    blue.fill(Qt::blue);
    for (int i = 0; i < 16; ++i)
        pictures.Replace(i, blue);
    env.LargeImages = &pictures;
    env.Add(QStringLiteral("Stretch break"), kNow + 1.2);
    env.Ini.WriteInteger(QStringLiteral("Tasklist"), QStringLiteral("Style"), vsLargeIcons);
    std::unique_ptr<TTaskListForm> form(env.Open());
    auto *view = ShownView<QListView>(form.get(), "TaskListView");
    ASSERT_TRUE(view);
    ASSERT_EQ(view->viewMode(), QListView::IconMode);
    EXPECT_TRUE(view->wordWrap());

    TextRecorder recorder(view->viewport()->size());
    view->viewport()->render(&recorder);
    // The labels' lines, in order, make the whole labels, with no ellipsis.
    QStringList drawn;
    for (const QString &piece : recorder.Texts())
        drawn << piece.trimmed();
    const QString all = drawn.join(QLatin1Char(' '));
    for (const QString &label : {QStringLiteral("Add a Reminder"), QStringLiteral("Stretch break")})
        EXPECT_TRUE(all.contains(label)) << "drawn: " << drawn.join(QStringLiteral(" | ")).toStdString();
    EXPECT_FALSE(all.contains(QChar(0x2026))) << all.toStdString();

    // A title too long for two lines is still cut, after the second line.
    env.Add(QStringLiteral("Renew the passport before the summer holidays begin"), kNow + 1.3);
    form->RefreshTaskList();
    QCoreApplication::processEvents();
    TextRecorder again(view->viewport()->size());
    view->viewport()->render(&again);
    const QString title = QStringLiteral("Renew the passport before the summer holidays begin");
    int linesOfLong = 0;
    bool elided = false;
    for (QString piece : again.Texts()) {
        piece = piece.trimmed();
        const bool cut = piece.endsWith(QChar(0x2026));
        if (cut)
            piece.chop(1);
        if (!piece.isEmpty() && title.contains(piece)) {
            ++linesOfLong;
            elided = elided || cut;
        }
    }
    EXPECT_EQ(linesOfLong, 2) << again.Texts().join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(elided);
}

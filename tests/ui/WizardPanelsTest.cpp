// The wizard's start/repeat panels and its two detail dialogs.
#include "ui/ComponentFrm.h"
#include "ui/RunProgramFrm.h"
#include "ui/SendemailFrm.h"

#include "core/Clock.h"
#include "tests/fakes/ScriptedAnswers.h"
#include "tests/support/Records.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace TestRecords;
using TestSupport::PinnedClock;

namespace {

// The control named name under parent; the test fails when there is none.
template <class T = QWidget>
T *Control(const QObject &parent, const char *name)
{
    T *found = parent.findChild<T *>(QLatin1String(name));
    if (!found)
        throw std::runtime_error(std::string("no control named ") + name);
    return found;
}

const char *const kExcludeBoxes[] = {"chkExcludeMonday",   "chkExcludeTuesday", "chkExcludeWednesday",
                                     "chkExcludeThursday", "chkExcludeFriday",  "chkExcludeSaturday",
                                     "chkExcludeSunday"};

const QStringList kWeekdays = {QStringLiteral("Monday"),   QStringLiteral("Tuesday"), QStringLiteral("Wednesday"),
                               QStringLiteral("Thursday"), QStringLiteral("Friday"),  QStringLiteral("Saturday"),
                               QStringLiteral("Sunday")};
const QStringList kShortWeekdays = {QStringLiteral("Mon"), QStringLiteral("Tue"), QStringLiteral("Wed"),
                                    QStringLiteral("Thu"), QStringLiteral("Fri"), QStringLiteral("Sat"),
                                    QStringLiteral("Sun")};
const QStringList kMonths = {QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"),
                             QStringLiteral("April"),   QStringLiteral("May"),      QStringLiteral("June"),
                             QStringLiteral("July"),    QStringLiteral("August"),   QStringLiteral("September"),
                             QStringLiteral("October"), QStringLiteral("November"), QStringLiteral("December")};

// A panel form named as the wizard names it, repeating switched on; Boxes
// records what it tells the user.
struct Panel {
    TScriptedAnswers Boxes;
    Tcomponentform Form{&Boxes};
    Panel()
    {
        Form.SetNames(kWeekdays, kMonths, kShortWeekdays);
        Form.SetRepeat(true);
    }
    template <class T>
    T *C(const char *name) const
    {
        return Control<T>(Form, name);
    }
    QRadioButton *Radio(const char *name) const { return C<QRadioButton>(name); }
    QSpinBox *Spin(const char *name) const { return C<QSpinBox>(name); }
    QComboBox *List(const char *name) const { return C<QComboBox>(name); }
    QCheckBox *Exclude(int mondayIs0) const { return C<QCheckBox>(kExcludeBoxes[mondayIs0]); }
    QTimeEdit *Time() const { return C<QTimeEdit>("sedStartTime"); }
};

// As shown: the line break of the program's text arrives as a newline.
const char *const kStartOnWednesday = "You cannot set the reminder's Date/Time to start on Wednesday.\n"
                                      "You have excluded it.";

// A program block whose reserved bytes all carry a pattern.
TProgramBlock PatternedProgramBlock(const QString &path, const QString &parameters)
{
    TProgramBlock b;
    std::memset(b.Reserved1, 0xA5, sizeof b.Reserved1);
    std::memset(b.Reserved2, 0x5A, sizeof b.Reserved2);
    b.Pad = 0x7E;
    b.ProgramPathname.Set(path);
    b.ProgramParameters.Set(parameters);
    return b;
}

TEmailBlock EmailBlock(const QString &to, const QString &cc, const QString &bcc)
{
    TEmailBlock b{};
    b.EmailTo.Set(to);
    b.EmailCc.Set(cc);
    b.EmailBcc.Set(bcc);
    b.EmailSubject.Set(QStringLiteral("subject kept"));
    b.EmailBody.Set(QStringLiteral("body kept"));
    return b;
}

} // namespace

TEST(WizardPanels, RepeatRuleIsStoredAndLoadedByTheTable)
{
    Panel p;
    uint8_t rule = 99;
    int32_t factor = -1;

    p.Spin("sedEveryNTimes")->setValue(2);
    p.List("cbxEveryNTimes")->setCurrentIndex(3); // week(s)
    p.Form.ReadRepeatRule(rule, factor);
    EXPECT_EQ(rule, 3);
    EXPECT_EQ(factor, 2);

    p.Radio("rbtEveryYearMonth")->click();
    p.List("cbxEveryYearMonth")->setCurrentIndex(2); // March
    p.Form.ReadRepeatRule(rule, factor);
    EXPECT_EQ(rule, 1);
    EXPECT_EQ(factor, 3);

    p.Radio("rbtEveryWeekday")->click();
    p.List("cbxEveryWeekday")->setCurrentIndex(6); // Sunday
    p.Form.ReadRepeatRule(rule, factor);
    EXPECT_EQ(rule, 0);
    EXPECT_EQ(factor, 7);

    // Loading selects the choice of each stored rule and reads back unchanged.
    struct Row {
        uint8_t Rule;
        int32_t Factor;
        const char *Choice;
        QString Unit;
    };
    const Row rows[] = {
        {7, 15, "rbtEveryNTimes", QStringLiteral("minute(s)")},
        {6, 80, "rbtEveryNTimes", QStringLiteral("hour(s)")},
        {2, 1, "rbtEveryNTimes", QStringLiteral("day(s)")},
        {3, 2, "rbtEveryNTimes", QStringLiteral("week(s)")},
        {4, 6, "rbtEveryNTimes", QStringLiteral("month(s)")},
        {5, 1, "rbtEveryNTimes", QStringLiteral("year(s)")},
        {1, 3, "rbtEveryYearMonth", QStringLiteral("March")},
        {1, 12, "rbtEveryYearMonth", QStringLiteral("December")},
        {0, 7, "rbtEveryWeekday", QStringLiteral("Sunday")},
        {0, 1, "rbtEveryWeekday", QStringLiteral("Monday")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.Rule);
        SCOPED_TRACE(row.Factor);
        p.Form.LoadRepeatRule(row.Rule, row.Factor);
        EXPECT_TRUE(p.Radio(row.Choice)->isChecked());
        const QComboBox *list = row.Rule == 0   ? p.List("cbxEveryWeekday")
                                : row.Rule == 1 ? p.List("cbxEveryYearMonth")
                                                : p.List("cbxEveryNTimes");
        EXPECT_EQ(list->currentText(), row.Unit);
        p.Form.ReadRepeatRule(rule, factor);
        EXPECT_EQ(rule, row.Rule);
        EXPECT_EQ(factor, row.Factor);
    }
}

TEST(WizardPanels, StartComesFromTheFieldsOrCountsFromThePresentMinute)
{
    Panel p;
    {
        PinnedClock clock(At(2024, 5, 15, 10, 30, 45, 500));
        p.Form.SetStart(At(2024, 6, 1, 9, 15, 20));
        EXPECT_TRUE(p.Radio("rbtAbsoluteDateTime")->isChecked());
        EXPECT_TRUE(SameDateTime(p.Form.StartDateTime(), At(2024, 6, 1, 9, 15)));

        p.Radio("rbtRelatedDateTime")->click();
        p.Spin("sedPresetNTimes")->setValue(90);
        p.List("cbxPresetDate")->setCurrentIndex(0); // minute(s) from now
        EXPECT_TRUE(SameDateTime(p.Form.StartDateTime(), At(2024, 5, 15, 12, 0)));
    }
    {
        PinnedClock clock(At(2024, 1, 31, 14, 7, 33));
        p.Spin("sedPresetNTimes")->setValue(1);
        p.List("cbxPresetDate")->setCurrentIndex(4); // month(s) from today
        EXPECT_TRUE(SameDateTime(p.Form.StartDateTime(), At(2024, 2, 29, 14, 7)));

        p.Radio("rbtAbsoluteDateTime")->click();
        EXPECT_TRUE(SameDateTime(p.Form.StartDateTime(), At(2024, 6, 1, 9, 15)));
    }
}

TEST(WizardPanels, TimeFieldStopsAt2300ButKeepsALoadedLaterStart)
{
    PinnedClock clock(At(2024, 5, 15, 23, 40));
    Panel p;
    p.Form.ResetStartToNow();
    EXPECT_EQ(p.Time()->time(), QTime(23, 0));
    p.Time()->setTime(QTime(22, 0));
    p.Time()->stepBy(1);
    p.Time()->stepBy(1);
    EXPECT_EQ(p.Time()->time(), QTime(23, 0));
    EXPECT_EQ(p.List("cbxEveryWeekday")->currentText(), QStringLiteral("Wednesday"));
    EXPECT_EQ(p.List("cbxEveryYearMonth")->currentText(), QStringLiteral("May"));

    // A stored 23:30 start (reachable through "or in") survives an edit.
    p.Form.SetStart(At(2024, 5, 20, 23, 30));
    EXPECT_TRUE(SameDateTime(p.Form.StartDateTime(), At(2024, 5, 20, 23, 30)));
    p.Form.ResetStartToNow();
    p.Time()->setTime(QTime(23, 30));
    EXPECT_EQ(p.Time()->time(), QTime(23, 0));
}

TEST(WizardPanels, TabbingThroughChoosesNothingAndSaturdayCanBeExcluded)
{
    Panel p;
    const QStringList &boxes = p.Boxes.Texts;
    p.Form.SetStart(At(2024, 5, 15, 9, 0)); // a Wednesday
    p.Form.show();
    p.Form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&p.Form));
    // From the start field through every list of the repeat group to Saturday.
    p.C<QDateEdit>("dedStartDate")->setFocus(Qt::TabFocusReason);
    QStringList passed;
    for (int i = 0; i < 40 && QApplication::focusWidget() != p.Exclude(5); ++i) {
        QWidget *at = QApplication::focusWidget();
        ASSERT_TRUE(at);
        passed << at->objectName();
        QTest::keyClick(at, Qt::Key_Tab);
    }
    ASSERT_EQ(QApplication::focusWidget(), p.Exclude(5)) << passed.join(QLatin1Char(' ')).toStdString();
    for (const char *name : {"sedStartTime", "sedPresetNTimes", "cbxPresetDate", "sedEveryNTimes", "cbxEveryNTimes",
                             "cbxEveryYearMonth", "cbxEveryWeekday"})
        EXPECT_TRUE(passed.contains(QLatin1String(name))) << name << " was skipped";
    EXPECT_TRUE(p.Radio("rbtAbsoluteDateTime")->isChecked());
    EXPECT_TRUE(p.Radio("rbtEveryNTimes")->isChecked()) << "a list chose its rule when the focus passed";
    QTest::keyClick(p.Exclude(5), Qt::Key_Space);
    EXPECT_TRUE(p.Exclude(5)->isChecked());
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(QLatin1Char('|')).toStdString();
    p.Form.hide();
}

TEST(WizardPanels, AChangedValueOrAClickChoosesItsRow)
{
    Panel p;
    p.Form.show();
    p.Form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&p.Form));
    // An arrow key on a list changes its value: its rule is chosen.
    QTest::keyClick(p.List("cbxEveryYearMonth"), Qt::Key_Down);
    EXPECT_TRUE(p.Radio("rbtEveryYearMonth")->isChecked());
    QTest::keyClick(p.Spin("sedEveryNTimes"), Qt::Key_Up);
    EXPECT_TRUE(p.Radio("rbtEveryNTimes")->isChecked());
    // A click, even without a new value.
    QTest::mouseClick(p.List("cbxEveryWeekday"), Qt::LeftButton);
    EXPECT_TRUE(p.Radio("rbtEveryWeekday")->isChecked());
    if (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
    // The start rows: a new count means "or in", a new time means "On".
    QTest::keyClick(p.Spin("sedPresetNTimes"), Qt::Key_Up);
    EXPECT_TRUE(p.Radio("rbtRelatedDateTime")->isChecked());
    EXPECT_EQ(p.Spin("sedPresetNTimes")->value(), 2);
    QTest::keyClick(p.Time(), Qt::Key_Up);
    EXPECT_TRUE(p.Radio("rbtAbsoluteDateTime")->isChecked());
    // Values the program sets choose nothing.
    p.Radio("rbtRelatedDateTime")->click();
    p.Form.LoadRepeatRule(srWeekday, 3);
    p.Form.ResetStartToNow();
    EXPECT_TRUE(p.Radio("rbtRelatedDateTime")->isChecked());
    EXPECT_TRUE(p.Radio("rbtEveryWeekday")->isChecked());
    p.Form.hide();

    // Unticked, the repeat group cannot be changed at all.
    p.C<QCheckBox>("chkRepeatTask")->click();
    EXPECT_FALSE(p.C<QCheckBox>("chkRepeatTask")->isChecked());
    for (QWidget *w : {static_cast<QWidget *>(p.Radio("rbtEveryWeekday")),
                       static_cast<QWidget *>(p.List("cbxEveryNTimes")), static_cast<QWidget *>(p.Exclude(6))})
        EXPECT_FALSE(w->isEnabled());
}

TEST(WizardPanels, ExcludeBoxesRefuseTheStartDayTheLastFreeDayAndARepeatedWeekday)
{
    Panel p;
    const QStringList &boxes = p.Boxes.Texts;
    p.Form.SetStart(At(2024, 5, 15, 9, 0)); // a Wednesday
    const auto box = [&p](int mondayIs0) { return p.Exclude(mondayIs0); };

    box(2)->click();
    EXPECT_FALSE(box(2)->isChecked());
    box(3)->click();
    EXPECT_TRUE(box(3)->isChecked());
    ASSERT_EQ(boxes, QStringList{QString::fromLatin1(kStartOnWednesday)});

    // Unticking creates no conflict and asks nothing.
    p.Form.SetExcludes({false, false, true, true, false, false, false});
    box(3)->click();
    EXPECT_FALSE(box(3)->isChecked());
    EXPECT_EQ(boxes.size(), 1);

    p.Form.SetExcludes({true, true, false, true, true, true, true});
    box(2)->click();
    EXPECT_FALSE(box(2)->isChecked());
    EXPECT_EQ(boxes.value(1), QStringLiteral("You cannot exclude all weekdays in a repeated reminder."));

    p.Form.SetExcludes({false, false, false, false, false, true, true});
    p.Radio("rbtEveryWeekday")->click();
    EXPECT_EQ(p.Form.Excludes(), (std::array<bool, 7>{}));
    box(0)->click();
    EXPECT_FALSE(box(0)->isChecked());
    EXPECT_EQ(boxes.value(2), QStringLiteral("You cannot exclude a repeated weekday."));
    EXPECT_EQ(boxes.size(), 3);
}

// Drives a dialog of type T with drive, then gives the result its buttons set.
template <class T>
std::function<int(QDialog &)> Drive(std::function<void(T &)> drive)
{
    return [fn = std::move(drive)](QDialog &dialog) {
        auto *form = qobject_cast<T *>(&dialog);
        if (!form)
            return int(QDialog::Rejected);
        fn(*form);
        return dialog.result();
    };
}

// The dialogs' answer as the wizard receives it: -1 when none came; the block
// takes the edit on OK.
int EditProgram(IMessageBoxes *boxes, TProgramBlock &block, const QString &product)
{
    int result = -1;
    TRunProgramForm::Edit(boxes, block, nullptr, product, nullptr, [&](bool accepted, const TProgramBlock &edited) {
        result = accepted ? QDialog::Accepted : QDialog::Rejected;
        if (accepted)
            block = edited;
    });
    return result;
}

int EditRecipients(IMessageBoxes *boxes, TEmailBlock &block)
{
    int result = -1;
    TSendemailForm::Edit(boxes, block, nullptr, QFont(), nullptr, [&](bool accepted, const TEmailBlock &edited) {
        result = accepted ? QDialog::Accepted : QDialog::Rejected;
        if (accepted)
            block = edited;
    });
    return result;
}

namespace {

// The names the browse dialog lists in its folder, sorted, once it has read
// the folder (want of them), or what it lists after a few seconds.
QStringList ListedNames(QFileDialog &dialog, const QStringList &want)
{
    auto *view = dialog.findChild<QListView *>(QStringLiteral("listView"));
    QStringList names;
    for (int tries = 0; tries < 100; ++tries) {
        names.clear();
        if (view && view->model()) {
            const QModelIndex root = view->rootIndex();
            for (int i = 0; i < view->model()->rowCount(root); ++i)
                names << view->model()->index(i, 0, root).data().toString();
        }
        names.sort();
        if (names == want)
            break;
        QTest::qWait(50);
    }
    return names;
}

} // namespace

TEST(WizardDialogs, RunDialogBrowsesForProgramsByTheirExecutableBit)
{
    QTemporaryDir dir;
    ASSERT_TRUE(TestSupport::WriteAll(dir.filePath(QStringLiteral("tool")), "#!/bin/sh\n"));
    ASSERT_TRUE(QFile::setPermissions(dir.filePath(QStringLiteral("tool")),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    ASSERT_TRUE(TestSupport::WriteAll(dir.filePath(QStringLiteral("notes.txt")), "text"));
    ASSERT_TRUE(TestSupport::WriteAll(dir.filePath(QStringLiteral("setup.exe")), "MZ"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));

    TScriptedAnswers boxes; // the browse dialog is shown for real
    TRunProgramForm f(&boxes, nullptr, QStringLiteral("Brivane"));
    Control<QLineEdit>(f, "fedProgramPathname")->setText(dir.path());
    f.show();
    Control<QToolButton>(f, "btnBrowse")->click();
    auto *dialog = f.findChild<QFileDialog *>(QStringLiteral("ProgramBrowseDialog"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->nameFilters(), (QStringList{QStringLiteral("Programs (*)"), QStringLiteral("All files (*)")}));
    EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("Programs (*)"));
    const QStringList programs{QStringLiteral("sub"), QStringLiteral("tool")};
    EXPECT_EQ(ListedNames(*dialog, programs), programs) << "folders and executable files only";

    const QStringList all{QStringLiteral("notes.txt"), QStringLiteral("setup.exe"), QStringLiteral("sub"),
                          QStringLiteral("tool")};
    auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    QTest::keyClick(types, Qt::Key_Down); // as the user picks "All files"
    ASSERT_EQ(dialog->selectedNameFilter(), QStringLiteral("All files (*)"));
    EXPECT_EQ(ListedNames(*dialog, all), all);

    // The file typed in the dialog becomes the program.
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QStringLiteral("tool"));
    static_cast<QDialog *>(dialog)->accept(); // as Open does, with its checks
    EXPECT_EQ(Control<QLineEdit>(f, "fedProgramPathname")->text().toStdString(),
              dir.filePath(QStringLiteral("tool")).toStdString());
}

TEST(WizardDialogs, RunDialogStoresTheTrimmedUnquotedProgram)
{
    const QString product = QStringLiteral("Brivane");
    TScriptedAnswers boxes;
    TProgramBlock block = PatternedProgramBlock(QStringLiteral("old"), QStringLiteral("-x"));
    const TProgramBlock before = block;

    // Cancel after editing: nothing was written.
    {
        boxes.DialogAnswer = Drive<TRunProgramForm>([](TRunProgramForm &f) {
            Control<QLineEdit>(f, "fedProgramPathname")->setText(QStringLiteral("changed"));
            Control<QPushButton>(f, "btnCancel")->click();
        });
        EXPECT_EQ(EditProgram(&boxes, block, product), QDialog::Rejected);
        EXPECT_EQ(std::memcmp(static_cast<const void *>(&block), &before, sizeof block), 0);
    }
    // Quotes go as they arrive, blanks on OK; typing stops at 50 characters;
    // the reserved bytes pass through.
    {
        boxes.DialogAnswer = Drive<TRunProgramForm>([&](TRunProgramForm &f) {
            EXPECT_EQ(Control<QLabel>(f, "LMDLabel3")->text(),
                      QStringLiteral("Type the name of a program, folder, document, \n"
                                     "or Internet resource and %1 will open it for you")
                          .arg(product));
            EXPECT_EQ(f.windowTitle(), QStringLiteral("Run"));
            Control<QLineEdit>(f, "fedProgramPathname")->setText(QStringLiteral("  \"/opt/my apps/tool\"  "));
            EXPECT_EQ(Control<QLineEdit>(f, "fedProgramPathname")->text(), QStringLiteral("  /opt/my apps/tool  "));
            Control<QLineEdit>(f, "edtProgramParameters")->clear();
            QTest::keyClicks(Control<QLineEdit>(f, "edtProgramParameters"), QString(60, QLatin1Char('p')));
            EXPECT_EQ(Control<QLineEdit>(f, "edtProgramParameters")->text().size(), 50);
            Control<QPushButton>(f, "btnOK")->click();
        });
        EXPECT_EQ(EditProgram(&boxes, block, product), QDialog::Accepted);
        EXPECT_EQ(block.ProgramPathname.Get(), QStringLiteral("/opt/my apps/tool"));
        EXPECT_EQ(block.ProgramParameters.Get(), QString(50, QLatin1Char('p')));
        EXPECT_EQ(std::memcmp(block.Reserved1, before.Reserved1, sizeof block.Reserved1), 0);
        EXPECT_EQ(std::memcmp(block.Reserved2, before.Reserved2, sizeof block.Reserved2), 0);
        EXPECT_EQ(block.Pad, before.Pad);
        EXPECT_TRUE(TRunProgramForm::Test(block));
    }
    // Stored parameters longer than can be typed are not cut by OK.
    {
        block.ProgramParameters.Set(QString(80, QLatin1Char('q')));
        boxes.DialogAnswer =
            Drive<TRunProgramForm>([](TRunProgramForm &f) { Control<QPushButton>(f, "btnOK")->click(); });
        EditProgram(&boxes, block, product);
        EXPECT_EQ(block.ProgramParameters.Get(), QString(80, QLatin1Char('q')));
    }
    // Clear then OK empties name and parameters: the block is no longer usable.
    {
        boxes.DialogAnswer = Drive<TRunProgramForm>([](TRunProgramForm &f) {
            Control<QPushButton>(f, "btnClear")->click();
            Control<QPushButton>(f, "btnOK")->click();
        });
        EXPECT_EQ(EditProgram(&boxes, block, product), QDialog::Accepted);
        EXPECT_TRUE(block.ProgramPathname.Get().isEmpty());
        EXPECT_TRUE(block.ProgramParameters.Get().isEmpty());
        EXPECT_FALSE(TRunProgramForm::Test(block));
        block.ProgramPathname.Set(QStringLiteral("   "));
        EXPECT_FALSE(TRunProgramForm::Test(block));
    }
}

TEST(WizardDialogs, RecipientsDialogTrimsOnOkAndAnyLineCounts)
{
    EXPECT_FALSE(TSendemailForm::Test(EmailBlock(QStringLiteral(" "), {}, QStringLiteral("  "))));
    EXPECT_TRUE(TSendemailForm::Test(EmailBlock({}, {}, QStringLiteral("c@example.org"))));
    EXPECT_TRUE(TSendemailForm::Test(EmailBlock({}, QStringLiteral("b@example.org"), {})));

    TScriptedAnswers boxes;
    TEmailBlock block = EmailBlock(QStringLiteral("a@example.org"), {}, {});
    const TEmailBlock before = block;
    {
        boxes.DialogAnswer = Drive<TSendemailForm>([](TSendemailForm &f) {
            EXPECT_EQ(f.windowTitle(), QStringLiteral("Recipients"));
            EXPECT_FALSE(Control<QLineEdit>(f, "edtSubject")->isVisibleTo(&f));
            Control<QLineEdit>(f, "edtTo")->clear();
            Control<QLineEdit>(f, "edtBcc")->setText(QStringLiteral("x@example.org"));
            Control<QPushButton>(f, "btnCancel")->click();
        });
        EXPECT_EQ(EditRecipients(&boxes, block), QDialog::Rejected);
        EXPECT_EQ(std::memcmp(static_cast<const void *>(&block), &before, sizeof block), 0);
    }
    {
        boxes.DialogAnswer = Drive<TSendemailForm>([](TSendemailForm &f) {
            Control<QLineEdit>(f, "edtTo")->setText(QStringLiteral("   "));
            Control<QLineEdit>(f, "edtBcc")->setText(QStringLiteral("  x@example.org; y@example.org "));
            Control<QPushButton>(f, "btnOK")->click();
        });
        EXPECT_EQ(EditRecipients(&boxes, block), QDialog::Accepted);
        EXPECT_EQ(block.EmailTo.Get(), QString());
        EXPECT_EQ(block.EmailBcc.Get(), QStringLiteral("x@example.org; y@example.org"));
        EXPECT_EQ(block.EmailSubject.Get(), QStringLiteral("subject kept"));
        EXPECT_EQ(block.EmailBody.Get(), QStringLiteral("body kept"));
        EXPECT_TRUE(TSendemailForm::Test(block));
    }
}

TEST(WizardDialogs, OpenWithTheFirstFieldInTheKeyboardAndTabInReadingOrder)
{
    TScriptedAnswers boxes; // shown for real
    const auto tabOrder = [](QDialog &dialog, const char *first) {
        QStringList order;
        QWidget *start = dialog.focusWidget();
        order << (start ? start->objectName() : QStringLiteral("none"));
        for (QWidget *w = start ? start->nextInFocusChain() : nullptr; w && w != start; w = w->nextInFocusChain())
            if (w->isVisibleTo(&dialog) && w->focusPolicy() & Qt::TabFocus)
                order << w->objectName();
        EXPECT_EQ(order.value(0), QLatin1String(first));
        return order;
    };
    TProgramBlock program = PatternedProgramBlock(QStringLiteral("/bin/true"), {});
    boxes.DialogAnswer = [&](QDialog &d) {
        d.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
        EXPECT_EQ(
            tabOrder(d, "fedProgramPathname"),
            (QStringList{"fedProgramPathname", "btnBrowse", "edtProgramParameters", "btnOK", "btnClear", "btnCancel"}));
        EXPECT_TRUE(Control<QPushButton>(d, "btnOK")->isDefault());
        return int(QDialog::Rejected);
    };
    EXPECT_EQ(EditProgram(&boxes, program, QStringLiteral("Brivane")), QDialog::Rejected);
    TEmailBlock mail = EmailBlock(QStringLiteral("a@example.org"), {}, {});
    boxes.DialogAnswer = [&](QDialog &d) {
        d.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
        EXPECT_EQ(tabOrder(d, "edtTo"), (QStringList{"edtTo", "edtCc", "edtBcc", "btnOK", "btnCancel"}));
        return int(QDialog::Rejected);
    };
    EXPECT_EQ(EditRecipients(&boxes, mail), QDialog::Rejected);
}

TEST(WizardDialogs, WithoutMessageBoxesNothingOpensAndTheBlockStays)
{
    TProgramBlock program = PatternedProgramBlock(QStringLiteral("/bin/true"), QStringLiteral("-x"));
    const TProgramBlock programBefore = program;
    EXPECT_EQ(EditProgram(nullptr, program, QStringLiteral("Brivane")), QDialog::Rejected);
    EXPECT_EQ(std::memcmp(static_cast<const void *>(&program), &programBefore, sizeof program), 0);
    TEmailBlock mail = EmailBlock(QStringLiteral("a@example.org"), {}, {});
    const TEmailBlock mailBefore = mail;
    EXPECT_EQ(EditRecipients(nullptr, mail), QDialog::Rejected);
    EXPECT_EQ(std::memcmp(static_cast<const void *>(&mail), &mailBefore, sizeof mail), 0);
    EXPECT_TRUE(std::ranges::none_of(QApplication::topLevelWidgets(), [](QWidget *w) { return w->isVisible(); }));

    // Browse without boxes shows nothing either.
    TRunProgramForm f(nullptr, nullptr, QStringLiteral("Brivane"));
    Control<QToolButton>(f, "btnBrowse")->click();
    EXPECT_EQ(f.findChild<QFileDialog *>(), nullptr);
}

// The wizard's start/repeat panels and its two detail dialogs.
#include "ui/ComponentFrm.h"
#include "ui/RunProgramFrm.h"
#include "ui/SendemailFrm.h"

#include "core/Clock.h"
#include "tests/support/ModalAnswer.h"
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
#include <cstring>
#include <gtest/gtest.h>

using namespace TestRecords;
using TestSupport::Drive;
using TestSupport::MessageBoxRecorder;
using TestSupport::ModalAnswer;
using TestSupport::PinnedClock;

namespace {

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

// A panel form named as the wizard names it, repeating switched on.
struct Panel {
    Tcomponentform Form;
    Panel()
    {
        Form.SetNames(kWeekdays, kMonths, kShortWeekdays);
        Form.SetRepeat(true);
    }
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

    p.Form.sedEveryNTimes->setValue(2);
    p.Form.cbxEveryNTimes->setCurrentIndex(3); // week(s)
    p.Form.ReadRepeatRule(rule, factor);
    EXPECT_EQ(rule, 3);
    EXPECT_EQ(factor, 2);

    p.Form.rbtEveryYearMonth->click();
    p.Form.cbxEveryYearMonth->setCurrentIndex(2); // March
    p.Form.ReadRepeatRule(rule, factor);
    EXPECT_EQ(rule, 1);
    EXPECT_EQ(factor, 3);

    p.Form.rbtEveryWeekday->click();
    p.Form.cbxEveryWeekday->setCurrentIndex(6); // Sunday
    p.Form.ReadRepeatRule(rule, factor);
    EXPECT_EQ(rule, 0);
    EXPECT_EQ(factor, 7);

    // Loading selects the choice of each stored rule and reads back unchanged.
    struct Row {
        uint8_t Rule;
        int32_t Factor;
        QRadioButton *Tcomponentform::*Choice;
        QString Unit;
    };
    const Row rows[] = {
        {7, 15, &Tcomponentform::rbtEveryNTimes, QStringLiteral("minute(s)")},
        {6, 80, &Tcomponentform::rbtEveryNTimes, QStringLiteral("hour(s)")},
        {2, 1, &Tcomponentform::rbtEveryNTimes, QStringLiteral("day(s)")},
        {3, 2, &Tcomponentform::rbtEveryNTimes, QStringLiteral("week(s)")},
        {4, 6, &Tcomponentform::rbtEveryNTimes, QStringLiteral("month(s)")},
        {5, 1, &Tcomponentform::rbtEveryNTimes, QStringLiteral("year(s)")},
        {1, 3, &Tcomponentform::rbtEveryYearMonth, QStringLiteral("March")},
        {1, 12, &Tcomponentform::rbtEveryYearMonth, QStringLiteral("December")},
        {0, 7, &Tcomponentform::rbtEveryWeekday, QStringLiteral("Sunday")},
        {0, 1, &Tcomponentform::rbtEveryWeekday, QStringLiteral("Monday")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.Rule);
        SCOPED_TRACE(row.Factor);
        p.Form.LoadRepeatRule(row.Rule, row.Factor);
        EXPECT_TRUE((p.Form.*row.Choice)->isChecked());
        const QComboBox *list = row.Rule == 0   ? p.Form.cbxEveryWeekday
                                : row.Rule == 1 ? p.Form.cbxEveryYearMonth
                                                : p.Form.cbxEveryNTimes;
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
        EXPECT_TRUE(p.Form.rbtAbsoleteDateTime->isChecked());
        EXPECT_TRUE(SameDateTime(p.Form.StartDateTime(), At(2024, 6, 1, 9, 15)));

        p.Form.rbtRelatedDateTime->click();
        p.Form.sedPresetNTimes->setValue(90);
        p.Form.cbxPresetDate->setCurrentIndex(0); // minute(s) from now
        EXPECT_TRUE(SameDateTime(p.Form.StartDateTime(), At(2024, 5, 15, 12, 0)));
    }
    {
        PinnedClock clock(At(2024, 1, 31, 14, 7, 33));
        p.Form.sedPresetNTimes->setValue(1);
        p.Form.cbxPresetDate->setCurrentIndex(4); // month(s) from today
        EXPECT_TRUE(SameDateTime(p.Form.StartDateTime(), At(2024, 2, 29, 14, 7)));

        p.Form.rbtAbsoleteDateTime->click();
        EXPECT_TRUE(SameDateTime(p.Form.StartDateTime(), At(2024, 6, 1, 9, 15)));
    }
}

TEST(WizardPanels, TimeFieldStopsAt2300ButKeepsALoadedLaterStart)
{
    PinnedClock clock(At(2024, 5, 15, 23, 40));
    Panel p;
    p.Form.ResetStartToNow();
    EXPECT_EQ(p.Form.sedStartTime->time(), QTime(23, 0));
    p.Form.sedStartTime->setTime(QTime(22, 0));
    p.Form.sedStartTime->stepBy(1);
    p.Form.sedStartTime->stepBy(1);
    EXPECT_EQ(p.Form.sedStartTime->time(), QTime(23, 0));
    EXPECT_EQ(p.Form.cbxEveryWeekday->currentText(), QStringLiteral("Wednesday"));
    EXPECT_EQ(p.Form.cbxEveryYearMonth->currentText(), QStringLiteral("May"));

    // A stored 23:30 start (reachable through "or in") survives an edit.
    p.Form.SetStart(At(2024, 5, 20, 23, 30));
    EXPECT_TRUE(SameDateTime(p.Form.StartDateTime(), At(2024, 5, 20, 23, 30)));
    p.Form.ResetStartToNow();
    p.Form.sedStartTime->setTime(QTime(23, 30));
    EXPECT_EQ(p.Form.sedStartTime->time(), QTime(23, 0));
}

TEST(WizardPanels, TabbingThroughChoosesNothingAndSaturdayCanBeExcluded)
{
    Panel p;
    MessageBoxRecorder boxes;
    p.Form.SetStart(At(2024, 5, 15, 9, 0)); // a Wednesday
    p.Form.show();
    p.Form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&p.Form));
    // From the start field through every list of the repeat group to Saturday.
    p.Form.dedStartDate->setFocus(Qt::TabFocusReason);
    QStringList passed;
    for (int i = 0; i < 40 && QApplication::focusWidget() != p.Form.chkExclude[5]; ++i) {
        QWidget *at = QApplication::focusWidget();
        ASSERT_TRUE(at);
        passed << at->objectName();
        QTest::keyClick(at, Qt::Key_Tab);
    }
    ASSERT_EQ(QApplication::focusWidget(), p.Form.chkExclude[5]) << passed.join(QLatin1Char(' ')).toStdString();
    for (const char *name : {"sedStartTime", "sedPresetNTimes", "cbxPresetDate", "sedEveryNTimes", "cbxEveryNTimes",
                             "cbxEveryYearMonth", "cbxEveryWeekday"})
        EXPECT_TRUE(passed.contains(QLatin1String(name))) << name << " was skipped";
    EXPECT_TRUE(p.Form.rbtAbsoleteDateTime->isChecked());
    EXPECT_TRUE(p.Form.rbtEveryNTimes->isChecked()) << "a list chose its rule when the focus passed";
    QTest::keyClick(p.Form.chkExclude[5], Qt::Key_Space);
    EXPECT_TRUE(p.Form.chkExclude[5]->isChecked());
    EXPECT_TRUE(boxes.Texts.isEmpty()) << boxes.Texts.join(QLatin1Char('|')).toStdString();
    p.Form.hide();
}

TEST(WizardPanels, AChangedValueOrAClickChoosesItsRow)
{
    Panel p;
    p.Form.show();
    p.Form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&p.Form));
    // An arrow key on a list changes its value: its rule is chosen.
    QTest::keyClick(p.Form.cbxEveryYearMonth, Qt::Key_Down);
    EXPECT_TRUE(p.Form.rbtEveryYearMonth->isChecked());
    QTest::keyClick(p.Form.sedEveryNTimes, Qt::Key_Up);
    EXPECT_TRUE(p.Form.rbtEveryNTimes->isChecked());
    // A click, even without a new value.
    QTest::mouseClick(p.Form.cbxEveryWeekday, Qt::LeftButton);
    EXPECT_TRUE(p.Form.rbtEveryWeekday->isChecked());
    if (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
    // The start rows: a new count means "or in", a new time means "On".
    QTest::keyClick(p.Form.sedPresetNTimes, Qt::Key_Up);
    EXPECT_TRUE(p.Form.rbtRelatedDateTime->isChecked());
    EXPECT_EQ(p.Form.sedPresetNTimes->value(), 2);
    QTest::keyClick(p.Form.sedStartTime, Qt::Key_Up);
    EXPECT_TRUE(p.Form.rbtAbsoleteDateTime->isChecked());
    // Values the program sets choose nothing.
    p.Form.rbtRelatedDateTime->click();
    p.Form.LoadRepeatRule(srWeekday, 3);
    p.Form.ResetStartToNow();
    EXPECT_TRUE(p.Form.rbtRelatedDateTime->isChecked());
    EXPECT_TRUE(p.Form.rbtEveryWeekday->isChecked());
    p.Form.hide();

    // Unticked, the repeat group cannot be changed at all.
    p.Form.chkRepeatTask->click();
    EXPECT_FALSE(p.Form.chkRepeatTask->isChecked());
    for (QWidget *w : {static_cast<QWidget *>(p.Form.rbtEveryWeekday), static_cast<QWidget *>(p.Form.cbxEveryNTimes),
                       static_cast<QWidget *>(p.Form.chkExclude[6])})
        EXPECT_FALSE(w->isEnabled());
}

TEST(WizardPanels, ExcludeBoxesRefuseTheStartDayTheLastFreeDayAndARepeatedWeekday)
{
    Panel p;
    MessageBoxRecorder boxes;
    p.Form.SetStart(At(2024, 5, 15, 9, 0)); // a Wednesday
    auto &box = p.Form.chkExclude;

    box[2]->click();
    EXPECT_FALSE(box[2]->isChecked());
    box[3]->click();
    EXPECT_TRUE(box[3]->isChecked());
    ASSERT_EQ(boxes.Texts, QStringList{QString::fromLatin1(kStartOnWednesday)});

    // Unticking creates no conflict and asks nothing.
    p.Form.SetExcludes({false, false, true, true, false, false, false});
    box[3]->click();
    EXPECT_FALSE(box[3]->isChecked());
    EXPECT_EQ(boxes.Texts.size(), 1);

    p.Form.SetExcludes({true, true, false, true, true, true, true});
    box[2]->click();
    EXPECT_FALSE(box[2]->isChecked());
    EXPECT_EQ(boxes.Texts.value(1), QStringLiteral("You cannot exclude all weekdays in a repeated reminder."));

    p.Form.SetExcludes({false, false, false, false, false, true, true});
    p.Form.rbtEveryWeekday->click();
    EXPECT_EQ(p.Form.Excludes(), (std::array<bool, 7>{}));
    box[0]->click();
    EXPECT_FALSE(box[0]->isChecked());
    EXPECT_EQ(boxes.Texts.value(2), QStringLiteral("You cannot exclude a repeated weekday."));
    EXPECT_EQ(boxes.Texts.size(), 3);
}

// The dialogs' answer as the wizard receives it: -1 when none came; the block
// takes the edit on OK.
int EditProgram(TProgramBlock &block, const QString &product)
{
    int result = -1;
    TRunProgramForm::Edit(block, nullptr, product, nullptr, [&](bool accepted, const TProgramBlock &edited) {
        result = accepted ? QDialog::Accepted : QDialog::Rejected;
        if (accepted)
            block = edited;
    });
    return result;
}

int EditRecipients(TEmailBlock &block)
{
    int result = -1;
    TSendemailForm::Edit(block, nullptr, QFont(), nullptr, [&](bool accepted, const TEmailBlock &edited) {
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

    TRunProgramForm f(nullptr, QStringLiteral("Brivane"));
    f.fedProgramPathname->setText(dir.path());
    f.show();
    f.btnBrowse->click();
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
    EXPECT_EQ(f.fedProgramPathname->text().toStdString(), dir.filePath(QStringLiteral("tool")).toStdString());
}

TEST(WizardDialogs, RunDialogStoresTheTrimmedUnquotedProgram)
{
    const QString product = QStringLiteral("Brivane");
    TProgramBlock block = PatternedProgramBlock(QStringLiteral("old"), QStringLiteral("-x"));
    const TProgramBlock before = block;

    // Cancel after editing: nothing was written.
    {
        ModalAnswer answer(Drive<TRunProgramForm>([](TRunProgramForm &f) {
            f.fedProgramPathname->setText(QStringLiteral("changed"));
            f.btnCancel->click();
        }));
        EXPECT_EQ(EditProgram(block, product), QDialog::Rejected);
        EXPECT_EQ(std::memcmp(static_cast<const void *>(&block), &before, sizeof block), 0);
    }
    // Quotes go as they arrive, blanks on OK; typing stops at 50 characters;
    // the reserved bytes pass through.
    {
        ModalAnswer answer(Drive<TRunProgramForm>([&](TRunProgramForm &f) {
            EXPECT_EQ(f.LMDLabel3->text(), QStringLiteral("Type the name of a program, folder, document, \n"
                                                          "or Internet resource and %1 will open it for you")
                                               .arg(product));
            EXPECT_EQ(f.windowTitle(), QStringLiteral("Run"));
            f.fedProgramPathname->setText(QStringLiteral("  \"/opt/my apps/tool\"  "));
            EXPECT_EQ(f.fedProgramPathname->text(), QStringLiteral("  /opt/my apps/tool  "));
            f.edtProgramParameters->clear();
            QTest::keyClicks(f.edtProgramParameters, QString(60, QLatin1Char('p')));
            EXPECT_EQ(f.edtProgramParameters->text().size(), 50);
            f.btnOK->click();
        }));
        EXPECT_EQ(EditProgram(block, product), QDialog::Accepted);
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
        ModalAnswer answer(Drive<TRunProgramForm>([](TRunProgramForm &f) { f.btnOK->click(); }));
        EditProgram(block, product);
        EXPECT_EQ(block.ProgramParameters.Get(), QString(80, QLatin1Char('q')));
    }
    // Clear then OK empties name and parameters: the block is no longer usable.
    {
        ModalAnswer answer(Drive<TRunProgramForm>([](TRunProgramForm &f) {
            f.btnClear->click();
            f.btnOK->click();
        }));
        EXPECT_EQ(EditProgram(block, product), QDialog::Accepted);
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

    TEmailBlock block = EmailBlock(QStringLiteral("a@example.org"), {}, {});
    const TEmailBlock before = block;
    {
        ModalAnswer answer(Drive<TSendemailForm>([](TSendemailForm &f) {
            EXPECT_EQ(f.windowTitle(), QStringLiteral("Recipients"));
            EXPECT_FALSE(f.edtSubject->isVisibleTo(&f));
            f.edtTo->clear();
            f.edtBcc->setText(QStringLiteral("x@example.org"));
            f.btnCancel->click();
        }));
        EXPECT_EQ(EditRecipients(block), QDialog::Rejected);
        EXPECT_EQ(std::memcmp(static_cast<const void *>(&block), &before, sizeof block), 0);
    }
    {
        ModalAnswer answer(Drive<TSendemailForm>([](TSendemailForm &f) {
            f.edtTo->setText(QStringLiteral("   "));
            f.edtBcc->setText(QStringLiteral("  x@example.org; y@example.org "));
            f.btnOK->click();
        }));
        EXPECT_EQ(EditRecipients(block), QDialog::Accepted);
        EXPECT_EQ(block.EmailTo.Get(), QString());
        EXPECT_EQ(block.EmailBcc.Get(), QStringLiteral("x@example.org; y@example.org"));
        EXPECT_EQ(block.EmailSubject.Get(), QStringLiteral("subject kept"));
        EXPECT_EQ(block.EmailBody.Get(), QStringLiteral("body kept"));
        EXPECT_TRUE(TSendemailForm::Test(block));
    }
}

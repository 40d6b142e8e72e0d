#include "ui/TaskListPrint.h"
#include "tests/support/Records.h"

#include <QFile>
#include <QFont>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

using namespace TestRecords;

namespace {

// Wednesday 15 May 2024 to Monday 20 May 2024, as a five-day filter shows it.
const TFilterWindow kWindow{At(2024, 5, 15), At(2024, 5, 20)};

struct TRecordCase {
    const char *title;
    TDateTime scheduled;
    bool listed;
    std::function<void(TTaskData &)> change;
};

// In list order, which is not the order of their dates.
const std::vector<TRecordCase> &Records()
{
    static const std::vector<TRecordCase> cases = {
        {"Water plants", At(2024, 5, 18, 9, 0), true,
         [](TTaskData &t) {
             t.RepeatTask = true;
             t.RepeatRule = srDays;
             t.RepeatNFactor = 3;
             t.HasRun = 4;
             t.LastRun = At(2024, 5, 12, 9, 0);
         }},
        {"Suspended", At(2024, 5, 16), false, [](TTaskData &t) { t.Enabled = false; }},
        {"Hidden", At(2024, 5, 16), false, [](TTaskData &t) { t.Visible = false; }},
        // Not repeating, but with a rule left from when it did.
        {"Dentist", At(2024, 5, 16, 14, 30), true,
         [](TTaskData &t) {
             t.RepeatRule = srWeeks;
             t.RepeatNFactor = 2;
         }},
        {"Before", At(2024, 5, 14, 23, 59), false, {}},
        // Within a millisecond of a bound counts as the bound, which is outside.
        {"At the start", At(2024, 5, 15) + 0.5 * OneMillisecond, false, {}},
        {"At the end", At(2024, 5, 20) - 0.5 * OneMillisecond, false, {}},
        {"Just after the start", At(2024, 5, 15) + 2 * OneMillisecond, true, {}},
        {"After", At(2024, 5, 21), false, {}},
        // The program's own record, marked visible by a damaged file.
        {"Service", At(2024, 5, 17), false, [](TTaskData &t) { t.Taskkind = tkService; }},
    };
    return cases;
}

void Fill(TTaskList &list)
{
    for (const TRecordCase &c : Records()) {
        TTaskData t = Alarm(QString::fromLatin1(c.title), c.scheduled);
        if (c.change)
            c.change(t);
        list.AddTask(t);
    }
}

QStringList ListedTitles()
{
    QStringList titles;
    for (const TRecordCase &c : Records())
        if (c.listed)
            titles << QString::fromLatin1(c.title);
    return titles;
}

// The text of a PDF as laid out on the page; empty when the reader failed.
QString PdfText(const QString &pdftotext, const QString &pdf)
{
    QProcess reader;
    reader.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!reader.waitForFinished(30000) || reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0)
        return QString();
    return QString::fromUtf8(reader.readAllStandardOutput());
}

// A small font, so that the long date texts do not run into the next column
// and the layout reader keeps the cells apart.
QFont ListFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(6);
    return font;
}

} // namespace

TEST(TaskListPrint, RowsAreTheEnabledVisibleRecordsStrictlyInsideTheWindowInListOrder)
{
    TTaskList list;
    Fill(list);
    QStringList titles;
    for (const TTaskList::TTaskRef &ref : TTaskListPrint::ScheduleListRows(list, kWindow))
        titles << ref->Title.Get();
    EXPECT_EQ(titles, ListedTitles());
    // The rows share the list's records rather than copying them.
    const auto rows = TTaskListPrint::ScheduleListRows(list, kWindow);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front().get(), &list[0]);

    TTaskList empty;
    EXPECT_TRUE(TTaskListPrint::ScheduleListRows(empty, kWindow).empty());
}

TEST(TaskListPrint, PdfShowsHeadingColumnsAndNumberedRows)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed; the print-out cannot be read back";

    TTaskList list;
    Fill(list);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("list.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QString error = QStringLiteral("stale");
    ASSERT_TRUE(TTaskListPrint::PrintScheduleList(printer, list, kWindow, ListFont(), QStringLiteral("Brivane"),
                                                  QString(), &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(printer.docName(), "Brivane - Task schedule list");

    const QString text = PdfText(pdftotext, pdf);
    ASSERT_FALSE(text.isEmpty()) << "pdftotext read nothing from " << pdf.toStdString();
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    SCOPED_TRACE(text.toStdString());

    EXPECT_TRUE(text.contains("Task schedule list"));
    // The six column heads share one line, left to right.
    const QStringList heads = {"#", "Title", "Schedule", "Repeat", "Has run", "Last run"};
    const auto headLine =
        std::find_if(lines.begin(), lines.end(), [](const QString &l) { return l.contains("Schedule"); });
    ASSERT_NE(headLine, lines.end());
    qsizetype from = 0;
    for (const QString &head : heads) {
        const qsizetype at = headLine->indexOf(head, from);
        EXPECT_GE(at, 0) << head.toStdString();
        from = std::max(from, at + 1);
    }

    // Row lines: number, title, schedule, repeat, run count, last run.
    const QStringList expected[] = {
        {"1", "Water plants", "Sat, 18 May 2024 at 09:00", "Every 3 Day(s)", "4 time(s)", "Sun, 12 May 2024 at 09:00"},
        {"2", "Dentist", "Thu, 16 May 2024 at 14:30", "Run only once", "never", "never"},
        {"3", "Just after the start", "Wed, 15 May 2024 at 00:00", "Run only once", "never", "never"},
    };
    qsizetype previousRow = headLine - lines.begin();
    for (const QStringList &cells : expected) {
        SCOPED_TRACE(cells[1].toStdString());
        const auto row =
            std::find_if(lines.begin(), lines.end(), [&](const QString &l) { return l.contains(cells[1]); });
        ASSERT_NE(row, lines.end());
        EXPECT_GT(row - lines.begin(), previousRow); // below the one before
        previousRow = row - lines.begin();
        EXPECT_TRUE(row->trimmed().startsWith(cells[0] + QLatin1Char(' ')));
        qsizetype at = 0;
        for (const QString &cell : cells) {
            const qsizetype found = row->indexOf(cell, at);
            EXPECT_GE(found, at) << cell.toStdString();
            at = std::max(at, found + 1);
        }
    }
    for (const TRecordCase &c : Records()) {
        if (!c.listed) {
            EXPECT_FALSE(text.contains(QString::fromLatin1(c.title))) << c.title;
        }
    }
    EXPECT_FALSE(text.contains("Every 2 Week(s)"));
    EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("^\\s*4\\s"), QRegularExpression::MultilineOption)));
}

TEST(TaskListPrint, AnOutputFileThatCannotBeWrittenIsAFailureWithAMessage)
{
    TTaskList list;
    Fill(list);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A folder that does not exist refuses the file even to root.
    const QString pdf = dir.filePath(QStringLiteral("missing/list.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QString error;
    EXPECT_FALSE(TTaskListPrint::PrintScheduleList(printer, list, kWindow, ListFont(), QStringLiteral("Brivane"),
                                                   QString(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("could not be printed"))) << error.toStdString();
    EXPECT_TRUE(error.contains(pdf)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
    // Without a place for the message it still fails.
    EXPECT_FALSE(TTaskListPrint::PrintScheduleList(printer, list, kWindow, ListFont(), QStringLiteral("Brivane"),
                                                   QString(), nullptr));
}

#include "ui/TaskListPrint.h"

#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QRect>
#include <algorithm>

namespace {

constexpr int kUnitsPerPage = 80;

// Starts, in units.
constexpr int kHeadingX = 37;
constexpr int kNumberX = 3;
constexpr int kTitleX = 6;
constexpr int kScheduleX = 30;
constexpr int kRepeatX = 45;
constexpr int kHasRunX = 55;
constexpr int kLastRunX = 62;

// One line of text with its top at (x, y). A title read from an outside file
// may hold line breaks; its row stays one line all the same.
void DrawLine(QPainter &painter, int x, int y, int pageWidth, const QString &text)
{
    const QRect box(x, y, std::max(pageWidth - x, 1), painter.fontMetrics().height());
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, text);
}

void SetError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

std::vector<TTaskList::TTaskRef> TTaskListPrint::ScheduleListRows(const TTaskList &list, const TFilterWindow &window)
{
    std::vector<TTaskList::TTaskRef> rows;
    for (const TTaskList::TTaskRef &ref : list.Items()) {
        const TTaskData &task = *ref;
        // The program's own records are never the user's reminders, even when a
        // damaged file marks them visible: the window does not list them either.
        if (task.Taskkind == tkService || task.Taskkind == tkReserved || task.Tag == TAG_INFODLG)
            continue;
        if (task.Enabled && task.Visible && TTaskListTexts::InsideWindow(task.Scheduled, window))
            rows.push_back(ref);
    }
    return rows;
}

void TTaskListPrint::PaintScheduleList(QPainter &painter, int pageWidth, const std::vector<TTaskList::TTaskRef> &rows,
                                       const QString &timeSuffix)
{
    const int u = pageWidth / kUnitsPerPage;
    // Every text is one line of the painter's font, so one height serves all:
    // an empty title does not lift its row into the one above.
    const int h = painter.fontMetrics().height();
    auto cell = [&](int xUnits, int y, const QString &text) { DrawLine(painter, xUnits * u, y, pageWidth, text); };

    cell(kHeadingX, h + u, tr("Task schedule list"));

    const int headY = h + 3 * u;
    cell(kNumberX, headY, tr("#"));
    cell(kTitleX, headY, tr("Title"));
    cell(kScheduleX, headY, tr("Schedule"));
    cell(kRepeatX, headY, tr("Repeat"));
    cell(kHasRunX, headY, tr("Has run"));
    cell(kLastRunX, headY, tr("Last run"));

    const int lineY = h + 4 * u + u / 2;
    painter.drawLine(0, lineY, pageWidth, lineY);

    const QString pattern = TTaskListTexts::DateTimePattern(timeSuffix);
    int n = 0;
    for (const TTaskList::TTaskRef &ref : rows) {
        const TTaskData &task = *ref;
        ++n;
        const int y = h * n + 5 * u;
        cell(kNumberX, y, QString::number(n));
        cell(kTitleX, y, task.Title.Get());
        cell(kScheduleX, y, FormatDateTime(pattern, task.Scheduled));
        // A one-off reminder keeps whatever rule it last had (zero: "Every 0"),
        // which on paper would read as a repetition; it says it runs once instead.
        cell(kRepeatX, y, TTaskListTexts::RepeatScheduleText(task));
        cell(kHasRunX, y, TTaskListTexts::HasRunText(task.HasRun));
        cell(kLastRunX, y, TTaskListTexts::LastRunText(task.LastRun, timeSuffix));
    }
}

bool TTaskListPrint::PrintScheduleList(QPrinter &printer, const TTaskList &list, const TFilterWindow &window,
                                       const QFont &font, const QString &programName, const QString &timeSuffix,
                                       QString *error)
{
    printer.setDocName(programName + tr(" - Task schedule list"));
    const QString target = printer.outputFileName().isEmpty() ? tr("the printer \"%1\"").arg(printer.printerName())
                                                              : QDir::toNativeSeparators(printer.outputFileName());

    QPainter painter;
    if (!painter.begin(&printer)) {
        SetError(error, tr("The schedule list could not be printed: %1 could not be opened.").arg(target));
        return false;
    }
    painter.setFont(font);
    PaintScheduleList(painter, printer.width(), ScheduleListRows(list, window), timeSuffix);
    // A file is completed only as the document ends, so a write that fails
    // late (a full disk) shows here and not at the start.
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        SetError(error, tr("The schedule list could not be printed: %1 did not take the whole document.").arg(target));
        return false;
    }
    if (error)
        error->clear();
    return true;
}

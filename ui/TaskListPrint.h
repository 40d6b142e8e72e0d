#pragma once
// The Reminders window's one-page print-out: the enabled, listed reminders
// whose next run lies inside the chosen filter's window, one numbered row
// each, in the list's order. Positions are multiples of a unit of one
// eightieth of the page width, so the layout is the same on any printer.

#include "ui/TaskListTexts.h"

#include "model/TaskList.h"

#include <QCoreApplication>
#include <QString>
#include <vector>

class QFont;
class QPainter;
class QPrinter;

class TTaskListPrint {
    Q_DECLARE_TR_FUNCTIONS(TTaskListPrint)
public:
    // The records the print-out lists, in list order.
    static std::vector<TTaskList::TTaskRef> ScheduleListRows(const TTaskList &list, const TFilterWindow &window);
    // Paints the print-out with the painter's font on an open painter whose
    // device is one page pageWidth pixels wide. Rows past the page end fall off.
    static void PaintScheduleList(QPainter &painter, int pageWidth, const std::vector<TTaskList::TTaskRef> &rows,
                                  const QString &timeSuffix);
    // Prints onto a printer already set up (by the print dialog or a test).
    // False, with *error set when error is given, when the printer could not
    // be started or the document not finished.
    static bool PrintScheduleList(QPrinter &printer, const TTaskList &list, const TFilterWindow &window,
                                  const QFont &font, const QString &programName, const QString &timeSuffix,
                                  QString *error);
};

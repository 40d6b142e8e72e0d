#pragma once
// What the Reminders window shows, as plain functions of a record, the clock
// and a few window values: the filter windows and who passes them, the column
// texts, the image indexes, the status and hint texts and the sort orders.
// Nothing here touches a widget, so tests and the model share one definition.

#include "core/DateTime.h"
#include "model/TaskData.h"

#include <QCoreApplication>
#include <QString>

// The schedule filters, in toolbar and menu order.
enum TTaskFilter : int { tfCompleted = 0, tfToday = 1, tfTomorrow = 2, tfNextFiveDays = 3, tfAll = 4 };
constexpr int TaskFilterCount = 5;

// The list view styles, in menu order; the status bar is in simple mode in Details.
enum TTaskViewStyle : int { vsLargeIcons = 0, vsSmallIcons = 1, vsList = 2, vsDetails = 3 };
constexpr int TaskViewStyleCount = 4;

enum TTaskColumn : int {
    tcTitle = 0,
    tcNextRun = 1,
    tcDateTime = 2,
    tcRepeat = 3,
    tcHasRun = 4,
    tcLastRun = 5,
    tcActions = 6,
    tcEnabled = 7,
    tcCreated = 8,
};
constexpr int TaskColumnCount = 9;
constexpr int TaskSortCount = 6;

// Picture indexes of the shared image lists. NoImage: nothing drawn.
constexpr int NoImage = -1;
constexpr int AddItemImage = 0;
constexpr int HeaderImageSortable = 13;
constexpr int HeaderImageAscending = 14;
constexpr int HeaderImageDescending = 15;

// The span a filter lists: records whose reference time lies strictly inside.
struct TFilterWindow {
    TDateTime Start = 0;
    TDateTime End = 0;
};

// What the two panels of the status bar and the empty-list label show.
struct TStatusBarTexts {
    bool Simple = false; // one text only (the Details view)
    QString Panel0; // the count text
    int Panel0Width = 0;
    QString Panel1; // the selection's next run, or the sort description
    QString Hint;
    QString EmptyListText;
};

class TTaskListTexts {
    Q_DECLARE_TR_FUNCTIONS(TTaskListTexts)
public:
    // Filters. A value outside 0..4 means Completed, as a bad stored value does.
    static TTaskFilter FilterFromInt(int value);
    static TFilterWindow ComputeFilterWindow(TTaskFilter filter, TDateTime now);
    static QString FilterSuffix(TTaskFilter filter);
    static QString EmptyListText(TTaskFilter filter);

    // EventDateTime for a reminder with a pre-warning, Scheduled otherwise:
    // a pre-warned reminder is listed on the day of its event.
    static TDateTime ReferenceTime(const TTaskData &task);
    // Strictly inside: values within a millisecond of a bound count as the bound.
    static bool InsideWindow(TDateTime t, const TFilterWindow &window);
    // Whether the window lists the record under the filter.
    static bool IsListed(const TTaskData &task, TTaskFilter filter, const TFilterWindow &window);

    // Column texts. timeSuffix is " ampm" for a 12-hour clock, else empty;
    // today is the date (whole days) that "Today" and "Tomorrow" refer to.
    static QString DateTimePattern(const QString &timeSuffix);
    static QString ColumnText(const TTaskData &task, int column, const QString &timeSuffix, TDateTime today);
    static QString NextRunText(const TTaskData &task, const QString &timeSuffix, TDateTime today);
    static QString DateOrSetText(TDateTime value, const QString &timeSuffix);
    static QString RepeatScheduleText(const TTaskData &task);
    // The rule alone, whether or not the record repeats ("Every 3 Day(s)").
    static QString RepeatText(int rule, int factor);
    // A reminder that never ran reads "never" in both run columns.
    static QString HasRunText(int hasRun);
    static QString LastRunText(TDateTime lastRun, const QString &timeSuffix);
    static QString ActionsText(const TTaskData &task);
    static QString EnabledText(bool enabled);

    // Large / small picture by the actions; the sound alone does not count as one.
    static int ImageIndex(const TTaskData &task);
    static int StateImageIndex(const TTaskData &task);

    // Columns.
    static QString ColumnCaption(int column);
    // The sort key a sortable column carries, -1 for the others.
    static int ColumnTag(int column);
    static int ColumnDefaultWidth(int column);
    // The sort order a column click chooses, -1 for columns that sort nothing.
    static int SortIndexOfColumn(int column);
    // 13 on sortable columns, 14 / 15 on the sorted one; NoImage elsewhere.
    static int HeaderImage(int column, int sortIndex, bool ascending);

    // Sort orders 0..5.
    static bool IsValidSortIndex(int index) { return index >= 0 && index < TaskSortCount; }
    static int SortKey(int sortIndex);
    static QString SortMenuCaption(int sortIndex);
    static QString SortDescription(int sortIndex, bool ascending);

    // " 7 reminder(s),2 suspended, scheduled for today".
    static QString CountStatusText(int shown, int suspended, TTaskFilter filter);
    // The selected reminder's next run and repeat, for the second panel.
    static QString SelectionStatusText(const TTaskData &task, const QString &timeSuffix, TDateTime today);
    // The whole status bar; selected is null for the add item or no selection.
    static TStatusBarTexts StatusBar(int viewStyle, int windowFontSize, const QString &countText,
                                     const TTaskData *selected, const QString &sortDescription, TTaskFilter filter,
                                     const QString &timeSuffix, TDateTime today);

    // The list's tooltip; row -1 = no selection, 0 = the add item.
    static QString ListHint(int row, const TTaskData *task, int shown, TTaskFilter filter);
    static QString NotesHint(const TTaskData &task);

    // The item to select after a rebuild: the remembered one, or the last when
    // fewer are shown now (-1 stays -1).
    static int RestoredSelection(int remembered, int shown);
    // The view style after the Views button or F6.
    static int NextViewStyle(int style) { return style >= 0 && style < 3 ? style + 1 : 0; }
};

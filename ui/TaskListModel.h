#pragma once
// The rows of the Reminders window: row 0 is the add item, the others each
// share one record of the reminder list (not a copy), in the list's order,
// narrowed by the chosen schedule filter. The model also holds the window's
// filter and sort order and the texts of its status bar, so that every view
// style of the window can sit on it.
//
// Cell texts are made when a view asks for them, so a rebuild costs a walk of
// the list and nothing per column. They speak of "Today" as of the last
// rebuild, as the rows do.

#include "ui/TaskListTexts.h"

#include "model/TaskList.h"

#include <QAbstractTableModel>
#include <QFontMetrics>
#include <array>
#include <functional>
#include <vector>

class TPreferences;
class TvornIniFile;

// The [Tasklist] values of the ini file the window reads when shown and
// writes when closed.
struct TTaskListSettings {
    int ViewStyle = vsLargeIcons;
    // False when the stored style was none of the four: the window then shows
    // the Details view with no style checked.
    bool ViewStyleKnown = true;
    TTaskFilter Filter = tfTomorrow;
    int SortBy = 1;
    bool Ascending = true;
    int LastItem = 0;
    std::array<int, TaskColumnCount> ColumnWidths{};

    TTaskListSettings();

    // The values of the ini file (the defaults without one).
    static TTaskListSettings Read(const TvornIniFile *ini);
    // The view, filter, direction, selection and column widths. SortBy is
    // written each time a sort order is applied instead.
    void Write(TvornIniFile *ini) const;
    // What closing the window writes: Write() and "FirstRun" = 0.
    void WriteOnClose(TvornIniFile *ini) const;
    static void WriteSortBy(TvornIniFile *ini, int sortIndex);
    // Whether start-up opens the window ("FirstRun" still 1).
    static bool IsFirstRun(const TvornIniFile *ini);
};

class TTaskListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TRole {
        // The record's shared reference (TTaskList::TTaskRef); empty for the add item.
        TaskRole = Qt::UserRole + 1,
        // Picture indexes of the shared image lists (NoImage: none).
        ImageIndexRole,
        StateImageRole,
        HeaderImageRole,
        // The column's sort key (-1: the column sorts nothing) and default width.
        ColumnTagRole,
        DefaultWidthRole,
    };
    enum class TImageKind { Item, State, Header };
    // Turns a picture index into what a view draws (an icon); without one,
    // DecorationRole answers the index itself. A function, not a signal:
    // data() needs the picture at once.
    using TImageProvider = std::function<QVariant(TImageKind kind, int index)>;

    // Shows only the add item until Open or Refresh builds the rows.
    TTaskListModel(TTaskList &list, const TPreferences *preferences, QObject *parent = nullptr);

    // Where SortTaskList records the sort order; none by default.
    void SetIniFile(TvornIniFile *ini) { FIni = ini; }
    void SetImageProvider(TImageProvider provider) { FImageProvider = std::move(provider); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Applies what the window reads when shown: filter and its window, sort
    // order and direction; then sorts and rebuilds.
    void Open(const TTaskListSettings &settings);
    // The model's part of what the window writes when closed.
    TTaskListSettings Settings() const;

    // The record of a row; null for the add item and rows out of range.
    TTaskList::TTaskRef TaskAt(int row) const;
    // The row of a record, -1 when not shown.
    int RowOfTask(const TTaskData *task) const;
    int ShownCount() const { return int(FRows.size()); }
    int SuspendedCount() const { return FSuspended; }

    // Rebuilds the rows from the list with the stored filter window.
    void Refresh();
    // After one record changed in place: when it stays in its row only that
    // row is redrawn; otherwise (it joins, leaves or was removed) the rows are
    // rebuilt. Returns true when the rows were rebuilt.
    bool RefreshTask(const TTaskData *task);

    // Choosing a filter recomputes its window (from now) and rebuilds; the
    // window is kept otherwise, also across midnight.
    TTaskFilter Filter() const { return FFilter; }
    TFilterWindow Window() const { return FWindow; }
    void ChooseFilter(int filter);

    int SortIndex() const { return FSortIndex; }
    bool Ascending() const { return FList.Ascending(); }
    // A sort order from the menu or a column: always inverts the list's
    // direction, so choosing the same order twice restores it.
    void ChooseSortOrder(int sortIndex);
    // A column click: the column's sort order; false for columns that sort nothing.
    bool ColumnClicked(int column);
    // The next sort order (5 wraps to 0) in the same direction.
    void CycleSortOrder();
    // Sorts the list by the current order and records it in the ini file.
    void SortTaskList();
    QString SortDescription() const;
    int HeaderImage(int column) const;

    // " 7 reminder(s),2 suspended, scheduled for today".
    QString CountStatusText() const;
    QString EmptyListText() const { return TTaskListTexts::EmptyListText(FFilter); }
    // The status bar for a selected row (-1: none).
    TStatusBarTexts StatusBar(int selectedRow, int viewStyle, int windowFontSize) const;
    QString ListHint(int selectedRow) const;
    // " ampm" when the preferences ask for a 12-hour clock.
    QString TimeSuffix() const;

    // The columns that show a date and time in the window's date format.
    static bool IsDateColumn(int column);
    // The widest date text of the current format, over every month and
    // weekday name and both halves of the day, as fm measures it.
    int WidestDateText(const QFontMetrics &fm) const;
    // What a date column needs to show its longest text whole: the text plus
    // the cell's margins. Other columns keep their default width.
    int FittedColumnWidth(int column, const QFontMetrics &fm) const;

signals:
    // The counts, texts or the sort changed: the status bar is out of date.
    void StatusChanged();

private:
    struct TRow {
        TTaskList::TTaskRef Task;
        bool Suspended;
    };

    QVariant Image(TImageKind kind, int index) const;

    TTaskList &FList;
    const TPreferences *FPreferences;
    TvornIniFile *FIni = nullptr;
    TImageProvider FImageProvider;
    std::vector<TRow> FRows; // shown records; model row = position + 1
    int FSuspended = 0;
    TTaskFilter FFilter = tfTomorrow;
    TFilterWindow FWindow;
    int FSortIndex = 1;
    TDateTime FToday = 0; // "Today" of the cell texts, from the last rebuild
};

#include "ui/TaskListModel.h"

#include "core/Clock.h"
#include "core/DateTime.h"
#include "core/vornIniFile.h"
#include "storage/GlobalPreferences.h"

namespace {

const QString kSection = QStringLiteral("Tasklist");

QString WidthKey(int column)
{
    return QStringLiteral("Col") + QString::number(column) + QStringLiteral("Width");
}

} // namespace

TTaskListSettings::TTaskListSettings()
{
    for (int c = 0; c < TaskColumnCount; ++c)
        ColumnWidths[std::size_t(c)] = TTaskListTexts::ColumnDefaultWidth(c);
}

TTaskListSettings TTaskListSettings::Read(const TvornIniFile *ini)
{
    TTaskListSettings s;
    if (!ini)
        return s;
    const int style = ini->ReadInteger(kSection, QStringLiteral("Style"), vsLargeIcons);
    s.ViewStyleKnown = style >= 0 && style < TaskViewStyleCount;
    s.ViewStyle = s.ViewStyleKnown ? style : vsDetails;
    s.Filter = TTaskListTexts::FilterFromInt(ini->ReadInteger(kSection, QStringLiteral("TaskFilter"), tfTomorrow));
    // Only the six orders have a menu item and a column; anything else is taken
    // as the default order.
    const int sortBy = ini->ReadInteger(kSection, QStringLiteral("SortBy"), 1);
    s.SortBy = TTaskListTexts::IsValidSortIndex(sortBy) ? sortBy : 1;
    s.Ascending = ini->ReadBool(kSection, QStringLiteral("Ascending"), true);
    s.LastItem = ini->ReadInteger(kSection, QStringLiteral("LastItem"), 0);
    for (int c = 0; c < TaskColumnCount; ++c)
        s.ColumnWidths[std::size_t(c)] = ini->ReadInteger(kSection, WidthKey(c), TTaskListTexts::ColumnDefaultWidth(c));
    return s;
}

void TTaskListSettings::Write(TvornIniFile *ini) const
{
    if (!ini)
        return;
    ini->WriteInteger(kSection, QStringLiteral("Style"), ViewStyle);
    ini->WriteInteger(kSection, QStringLiteral("TaskFilter"), Filter);
    ini->WriteInteger(kSection, QStringLiteral("LastItem"), LastItem);
    ini->WriteBool(kSection, QStringLiteral("Ascending"), Ascending);
    for (int c = 0; c < TaskColumnCount; ++c)
        ini->WriteInteger(kSection, WidthKey(c), ColumnWidths[std::size_t(c)]);
}

void TTaskListSettings::WriteOnClose(TvornIniFile *ini) const
{
    Write(ini);
    if (ini)
        ini->WriteInteger(kSection, QStringLiteral("FirstRun"), 0);
}

void TTaskListSettings::WriteSortBy(TvornIniFile *ini, int sortIndex)
{
    if (ini)
        ini->WriteInteger(kSection, QStringLiteral("SortBy"), sortIndex);
}

bool TTaskListSettings::IsFirstRun(const TvornIniFile *ini)
{
    return !ini || ini->ReadInteger(kSection, QStringLiteral("FirstRun"), 1) == 1;
}

TTaskListModel::TTaskListModel(TTaskList &list, const TPreferences *preferences, QObject *parent)
    : QAbstractTableModel(parent)
    , FList(list)
    , FPreferences(preferences)
    , FWindow(TTaskListTexts::ComputeFilterWindow(FFilter, Clock::Now()))
    , FToday(Clock::Today())
{
    // The rows come with Open or Refresh: the window builds them once, after
    // it has read its settings.
}

int TTaskListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(FRows.size()) + 1;
}

int TTaskListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : TaskColumnCount;
}

QVariant TTaskListModel::Image(TImageKind kind, int index) const
{
    if (index == NoImage)
        return QVariant();
    return FImageProvider ? FImageProvider(kind, index) : QVariant(index);
}

QVariant TTaskListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const int row = index.row();
    const int column = index.column();
    if (row == 0) {
        switch (role) {
        case Qt::DisplayRole: return column == tcTitle ? tr("Add a Reminder") : QString();
        case Qt::DecorationRole: return column == tcTitle ? Image(TImageKind::Item, AddItemImage) : QVariant();
        case ImageIndexRole: return AddItemImage;
        case StateImageRole: return NoImage;
        default: return QVariant();
        }
    }
    const TTaskList::TTaskRef &task = FRows[std::size_t(row - 1)].Task;
    switch (role) {
    case Qt::DisplayRole: return TTaskListTexts::ColumnText(*task, column, TimeSuffix(), FToday);
    case Qt::DecorationRole:
        return column == tcTitle ? Image(TImageKind::Item, TTaskListTexts::ImageIndex(*task)) : QVariant();
    case ImageIndexRole: return TTaskListTexts::ImageIndex(*task);
    case StateImageRole: return TTaskListTexts::StateImageIndex(*task);
    case TaskRole: return QVariant::fromValue(task);
    default: return QVariant();
    }
}

QVariant TTaskListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= TaskColumnCount)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole: return TTaskListTexts::ColumnCaption(section);
    case Qt::DecorationRole: return Image(TImageKind::Header, HeaderImage(section));
    case HeaderImageRole: return HeaderImage(section);
    case ColumnTagRole: return TTaskListTexts::ColumnTag(section);
    case DefaultWidthRole: return TTaskListTexts::ColumnDefaultWidth(section);
    default: return QVariant();
    }
}

Qt::ItemFlags TTaskListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void TTaskListModel::Open(const TTaskListSettings &settings)
{
    FFilter = TTaskListTexts::FilterFromInt(settings.Filter);
    FWindow = TTaskListTexts::ComputeFilterWindow(FFilter, Clock::Now());
    FSortIndex = TTaskListTexts::IsValidSortIndex(settings.SortBy) ? settings.SortBy : 1;
    FList.SetAscending(settings.Ascending);
    SortTaskList();
    Refresh();
}

TTaskListSettings TTaskListModel::Settings() const
{
    TTaskListSettings s;
    s.Filter = FFilter;
    s.SortBy = FSortIndex;
    s.Ascending = FList.Ascending();
    return s;
}

TTaskList::TTaskRef TTaskListModel::TaskAt(int row) const
{
    if (row < 1 || row > int(FRows.size()))
        return nullptr;
    return FRows[std::size_t(row - 1)].Task;
}

int TTaskListModel::RowOfTask(const TTaskData *task) const
{
    if (!task)
        return -1;
    for (std::size_t i = 0; i < FRows.size(); ++i)
        if (FRows[i].Task.get() == task)
            return int(i) + 1;
    return -1;
}

void TTaskListModel::Refresh()
{
    beginResetModel();
    FRows.clear();
    FSuspended = 0;
    FToday = Clock::Today();
    for (const TTaskList::TTaskRef &task : FList.Items()) {
        if (!TTaskListTexts::IsListed(*task, FFilter, FWindow))
            continue;
        const bool suspended = !task->Enabled;
        FRows.push_back({task, suspended});
        FSuspended += suspended ? 1 : 0;
    }
    endResetModel();
    emit StatusChanged();
}

bool TTaskListModel::RefreshTask(const TTaskData *task)
{
    const int row = RowOfTask(task);
    const bool listed = task && FList.IndexOfTask(task) >= 0 && TTaskListTexts::IsListed(*task, FFilter, FWindow);
    if (row > 0 && listed) {
        TRow &r = FRows[std::size_t(row - 1)];
        const bool suspended = !task->Enabled;
        if (suspended != r.Suspended) {
            FSuspended += suspended ? 1 : -1;
            r.Suspended = suspended;
        }
        emit dataChanged(index(row, 0), index(row, TaskColumnCount - 1));
        emit StatusChanged();
        return false;
    }
    if (row < 0 && !listed)
        return false; // neither shown before nor now
    // It joins or leaves the rows: its place among the others is the list's.
    Refresh();
    return true;
}

void TTaskListModel::ChooseFilter(int filter)
{
    FFilter = TTaskListTexts::FilterFromInt(filter);
    FWindow = TTaskListTexts::ComputeFilterWindow(FFilter, Clock::Now());
    Refresh();
}

void TTaskListModel::ChooseSortOrder(int sortIndex)
{
    if (!TTaskListTexts::IsValidSortIndex(sortIndex))
        return;
    FSortIndex = sortIndex;
    FList.SetAscending(!FList.Ascending());
    SortTaskList();
    Refresh();
}

bool TTaskListModel::ColumnClicked(int column)
{
    const int sortIndex = TTaskListTexts::SortIndexOfColumn(column);
    if (sortIndex < 0)
        return false;
    ChooseSortOrder(sortIndex);
    return true;
}

void TTaskListModel::CycleSortOrder()
{
    FSortIndex = (FSortIndex + 1) % TaskSortCount;
    SortTaskList();
    Refresh();
}

void TTaskListModel::SortTaskList()
{
    switch (FSortIndex) {
    case 0: FList.SortByTitle(); break;
    case 1: FList.SortByScheduled(); break;
    case 2: FList.SortByEventDateTime(); break;
    case 3: FList.SortByHasRun(); break;
    case 4: FList.SortByLastRun(); break;
    case 5: FList.SortByCreated(); break;
    default: break;
    }
    TTaskListSettings::WriteSortBy(FIni, FSortIndex);
    emit headerDataChanged(Qt::Horizontal, 0, TaskColumnCount - 1);
}

QString TTaskListModel::SortDescription() const
{
    return TTaskListTexts::SortDescription(FSortIndex, FList.Ascending());
}

int TTaskListModel::HeaderImage(int column) const
{
    return TTaskListTexts::HeaderImage(column, FSortIndex, FList.Ascending());
}

QString TTaskListModel::CountStatusText() const
{
    return TTaskListTexts::CountStatusText(ShownCount(), FSuspended, FFilter);
}

TStatusBarTexts TTaskListModel::StatusBar(int selectedRow, int viewStyle, int windowFontSize) const
{
    const TTaskList::TTaskRef task = TaskAt(selectedRow);
    return TTaskListTexts::StatusBar(viewStyle, windowFontSize, CountStatusText(), task.get(), SortDescription(),
                                     FFilter, TimeSuffix(), FToday);
}

QString TTaskListModel::ListHint(int selectedRow) const
{
    const int row = selectedRow >= 0 && selectedRow < rowCount() ? selectedRow : -1;
    return TTaskListTexts::ListHint(row, TaskAt(row).get(), ShownCount(), FFilter);
}

QString TTaskListModel::TimeSuffix() const
{
    return FPreferences ? FPreferences->TimeFormatSuffix() : QString();
}

bool TTaskListModel::IsDateColumn(int column)
{
    return column == tcNextRun || column == tcDateTime || column == tcLastRun || column == tcCreated;
}

int TTaskListModel::WidestDateText(const QFontMetrics &fm) const
{
    // A week of every month covers all the day and month names; the hours
    // 10 and 22 are two digits on either clock, once before and once after noon.
    const QString pattern = TTaskListTexts::DateTimePattern(TimeSuffix());
    int widest = 0;
    for (int month = 1; month <= 12; ++month)
        for (int day = 22; day <= 28; ++day)
            for (int hour : {10, 22})
                widest = qMax(widest, fm.horizontalAdvance(
                                          FormatDateTime(pattern, EncodeDateTime(2027, month, day, hour, 58, 0, 0))));
    // "Today at ..." and "Tomorrow at ..." stand for near dates in Next Run.
    const QString time =
        FormatDateTime(QStringLiteral("\"at\" hh:mm") + TimeSuffix(), EncodeDateTime(2027, 1, 1, 22, 58, 0, 0));
    for (const QString &day : {TTaskListTexts::tr("Today"), TTaskListTexts::tr("Tomorrow")})
        widest = qMax(widest, fm.horizontalAdvance(day + QLatin1Char(' ') + time));
    return qMax(widest, fm.horizontalAdvance(TTaskListTexts::tr("Completed")));
}

int TTaskListModel::FittedColumnWidth(int column, const QFontMetrics &fm) const
{
    if (!IsDateColumn(column))
        return TTaskListTexts::ColumnDefaultWidth(column);
    // The cell's text margins, the grid line, and room for a digit of another width.
    return WidestDateText(fm) + 2 * fm.averageCharWidth() + 8;
}

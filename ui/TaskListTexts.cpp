#include "ui/TaskListTexts.h"

#include "core/FileNames.h"
#include "core/LineBreaks.h"
#include "model/CalendarNames.h"
#include "model/TaskList.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

struct TColumnInfo {
    const char *Caption;
    int Tag;
    int Width;
};

constexpr std::array<TColumnInfo, TaskColumnCount> kColumns{{
    {QT_TRANSLATE_NOOP("TTaskListTexts", "Title"), 0, 200},
    {QT_TRANSLATE_NOOP("TTaskListTexts", "Next Run"), 1, 170},
    {QT_TRANSLATE_NOOP("TTaskListTexts", "Date/Time"), 2, 170},
    {QT_TRANSLATE_NOOP("TTaskListTexts", "Repeat schedule"), -1, 200},
    {QT_TRANSLATE_NOOP("TTaskListTexts", "Has run"), 4, 70},
    {QT_TRANSLATE_NOOP("TTaskListTexts", "Last run"), 5, 170},
    {QT_TRANSLATE_NOOP("TTaskListTexts", "Actions"), -1, 100},
    {QT_TRANSLATE_NOOP("TTaskListTexts", "Enabled"), -1, 200},
    {QT_TRANSLATE_NOOP("TTaskListTexts", "Created"), 8, 50},
}};

struct TSortInfo {
    const char *MenuCaption;
    int Key;
    const char *StatusPattern;
};

constexpr std::array<TSortInfo, TaskSortCount> kSorts{{
    {QT_TRANSLATE_NOOP("TTaskListTexts", "by Title"), 0, QT_TRANSLATE_NOOP("TTaskListTexts", "%sSorted by Title %s")},
    {QT_TRANSLATE_NOOP("TTaskListTexts", "by Next Run date"), 1,
     QT_TRANSLATE_NOOP("TTaskListTexts", "%sSorted by Next Run date %s")},
    {QT_TRANSLATE_NOOP("TTaskListTexts", "by Date/Time date"), 2,
     QT_TRANSLATE_NOOP("TTaskListTexts", "%sSorted by Date/Time date %s")},
    {QT_TRANSLATE_NOOP("TTaskListTexts", "by Run times"), 4,
     QT_TRANSLATE_NOOP("TTaskListTexts", "%sSorted by Run times %s")},
    {QT_TRANSLATE_NOOP("TTaskListTexts", "by LastRun date"), 5,
     QT_TRANSLATE_NOOP("TTaskListTexts", "%sSorted by LastRun date %s")},
    {QT_TRANSLATE_NOOP("TTaskListTexts", "by Creation date"), 8,
     QT_TRANSLATE_NOOP("TTaskListTexts", "%sSorted by Creation date %s")},
}};

bool ValidColumn(int column)
{
    return column >= 0 && column < TaskColumnCount;
}

// Fills the "%s" places of a pattern in order, as the pattern texts are written.
QString FillPattern(QString pattern, const QStringList &values)
{
    int from = 0;
    for (const QString &v : values) {
        const int at = pattern.indexOf(QLatin1String("%s"), from);
        if (at < 0)
            break;
        pattern.replace(at, 2, v);
        from = at + int(v.size());
    }
    return pattern;
}

// Line breaks are written as in message texts; a tooltip wants plain newlines.
QString WithNewlines(QString text)
{
    return ToLineFeeds(std::move(text));
}

} // namespace

TTaskFilter TTaskListTexts::FilterFromInt(int value)
{
    return value >= 0 && value < TaskFilterCount ? TTaskFilter(value) : tfCompleted;
}

TFilterWindow TTaskListTexts::ComputeFilterWindow(TTaskFilter filter, TDateTime now)
{
    const TDateTime date = std::floor(now);
    const TDateTime from1900 = EncodeDate(1900, 1, 1);
    switch (filter) {
    case tfToday: return {date, date + 1};
    case tfTomorrow: return {date + 1, date + 2};
    // Today is left out: the five calendar days after it.
    case tfNextFiveDays: return {date + 1, date + 6};
    case tfAll: return {from1900, EncodeDate(2100, 1, 1)};
    case tfCompleted:
    default: return {from1900, now};
    }
}

QString TTaskListTexts::FilterSuffix(TTaskFilter filter)
{
    switch (filter) {
    case tfCompleted: return tr(", completed");
    case tfToday: return tr(", scheduled for today");
    case tfTomorrow: return tr(", scheduled for tomorrow");
    case tfNextFiveDays: return tr(", scheduled for the next five days");
    case tfAll:
    default: return QString();
    }
}

QString TTaskListTexts::EmptyListText(TTaskFilter filter)
{
    switch (filter) {
    case tfCompleted: return tr("No Completed reminders.");
    case tfToday: return tr("No reminders for Today.");
    case tfTomorrow: return tr("No reminders for Tomorrow.");
    case tfNextFiveDays: return tr("No reminders for the Next five days.");
    case tfAll:
    default: return tr("No reminders has been set.");
    }
}

TDateTime TTaskListTexts::ReferenceTime(const TTaskData &task)
{
    return task.PreWarning ? task.EventDateTime : task.Scheduled;
}

bool TTaskListTexts::InsideWindow(TDateTime t, const TFilterWindow &window)
{
    return TTaskList::CompareDateTimes(t, window.Start) > 0 && TTaskList::CompareDateTimes(t, window.End) < 0;
}

bool TTaskListTexts::IsListed(const TTaskData &task, TTaskFilter filter, const TFilterWindow &window)
{
    if (!task.Visible || task.Taskkind == tkService || task.Taskkind == tkReserved)
        return false;
    // Information notices are never stored, so they are not the user's reminders
    // whatever their kind.
    if (task.Tag == TAG_INFODLG)
        return false;
    if (InsideWindow(ReferenceTime(task), window))
        return true;
    return filter == tfCompleted && task.Delivered;
}

QString TTaskListTexts::DateTimePattern(const QString &timeSuffix)
{
    return QStringLiteral("ddd, d mmm yyyy \"at\" hh:mm") + timeSuffix;
}

QString TTaskListTexts::NextRunText(const TTaskData &task, const QString &timeSuffix, TDateTime today)
{
    if (task.Delivered)
        return tr("Completed");
    const TDateTime day = std::floor(task.Scheduled);
    if (day == today || day == today + 1) {
        const QString time = FormatDateTime(QStringLiteral("\"at\" hh:mm") + timeSuffix, task.Scheduled);
        return (day == today ? tr("Today") : tr("Tomorrow")) + QLatin1Char(' ') + time;
    }
    return FormatDateTime(DateTimePattern(timeSuffix), task.Scheduled);
}

QString TTaskListTexts::DateOrSetText(TDateTime value, const QString &timeSuffix)
{
    return value == 0 ? tr("Set") : FormatDateTime(DateTimePattern(timeSuffix), value);
}

QString TTaskListTexts::RepeatText(int rule, int factor)
{
    const QString n = QString::number(factor);
    const TCalendarNames &names = CalendarNames();
    switch (rule) {
    case srWeekday:
        // A factor the editors never store shows as its number rather than
        // reading past the name table.
        if (factor >= 1 && factor <= 7 && factor < names.Weekdays.size())
            return tr("Every ") + names.Weekdays[factor];
        return tr("Every ") + n;
    case srMonthOfYear:
        if (factor >= 1 && factor <= 12 && factor < names.Months.size())
            return tr("Every ") + names.Months[factor];
        return tr("Every ") + n;
    case srDays: return tr("Every ") + n + tr(" Day(s)");
    case srWeeks: return tr("Every ") + n + tr(" Week(s)");
    case srMonths: return tr("Every ") + n + tr(" Month(s)");
    case srYears: return tr("Every ") + n + tr(" Year(s)");
    case srHours: return tr("Every ") + n + tr(" Hour(s)");
    case srMinutes: return tr("Every ") + n + tr(" Minute(s)");
    default: return QString();
    }
}

QString TTaskListTexts::RepeatScheduleText(const TTaskData &task)
{
    return task.RepeatTask ? RepeatText(task.RepeatRule, task.RepeatNFactor) : tr("Run only once");
}

QString TTaskListTexts::HasRunText(int hasRun)
{
    return hasRun == 0 ? tr("never") : QString::number(hasRun) + tr(" time(s)");
}

QString TTaskListTexts::LastRunText(TDateTime lastRun, const QString &timeSuffix)
{
    return lastRun == 0 ? tr("never") : FormatDateTime(DateTimePattern(timeSuffix), lastRun);
}

QString TTaskListTexts::ActionsText(const TTaskData &task)
{
    QString text;
    if (task.PlaySound)
        text = tr("Play a sound");
    if (task.PopupNote)
        text = text.isEmpty() ? tr("Popup a note") : text + tr(" then popup a note");
    if (task.SendEmail)
        text = text.isEmpty() ? tr("Send an e-mail") : text + tr(" then send the e-mail");
    if (task.RunProgram)
        text = text.isEmpty() ? tr("Run a Program") : text + tr(" after that run a program");
    if (task.ShutdownComputer) {
        QString x;
        switch (task.ShutdownType) {
        case skRestart: x = tr("Restart"); break;
        case skLogOff: x = tr("Log off"); break;
        // An unknown type is carried out as a shutdown, so it reads as one.
        default: x = tr("Shutdown"); break;
        }
        text = text.isEmpty() ? x + tr(" computer") : text + tr(" and finally ") + x + tr(" the computer");
    }
    return text;
}

QString TTaskListTexts::EnabledText(bool enabled)
{
    return enabled ? tr("Yes") : tr("No");
}

QString TTaskListTexts::ColumnText(const TTaskData &task, int column, const QString &timeSuffix, TDateTime today)
{
    switch (column) {
    case tcTitle: return task.Title.Get();
    case tcNextRun: return NextRunText(task, timeSuffix, today);
    case tcDateTime: return DateOrSetText(task.EventDateTime, timeSuffix);
    case tcRepeat: return RepeatScheduleText(task);
    case tcHasRun: return HasRunText(task.HasRun);
    case tcLastRun: return LastRunText(task.LastRun, timeSuffix);
    case tcActions: return ActionsText(task);
    case tcEnabled: return EnabledText(task.Enabled);
    case tcCreated: return FormatDateTime(DateTimePattern(timeSuffix), task.Created);
    default: return QString();
    }
}

int TTaskListTexts::ImageIndex(const TTaskData &task)
{
    // A record without actions (only from a damaged file) looks like an alarm's note.
    int image = 3;
    if (task.PlaySound)
        image = 1;
    if (task.PopupNote)
        image = 3;
    if (task.SendEmail)
        image = 5;
    if (task.RunProgram)
        image = 7;
    if (task.ShutdownComputer)
        image = 9;
    const int actions = int(bool(task.PopupNote)) + int(bool(task.SendEmail)) + int(bool(task.RunProgram))
                        + int(bool(task.ShutdownComputer));
    return actions > 1 ? 11 : image;
}

int TTaskListTexts::StateImageIndex(const TTaskData &task)
{
    if (!task.Enabled)
        return 1;
    if (task.Delivered)
        return 0;
    if (task.PreWarning && TTaskList::CompareDateTimes(task.Scheduled, task.EventDateTime) < 0)
        return 3;
    return NoImage;
}

QString TTaskListTexts::ColumnCaption(int column)
{
    return ValidColumn(column) ? tr(kColumns[std::size_t(column)].Caption) : QString();
}

int TTaskListTexts::ColumnTag(int column)
{
    return ValidColumn(column) ? kColumns[std::size_t(column)].Tag : -1;
}

int TTaskListTexts::ColumnDefaultWidth(int column)
{
    return ValidColumn(column) ? kColumns[std::size_t(column)].Width : 0;
}

int TTaskListTexts::SortIndexOfColumn(int column)
{
    const int tag = ColumnTag(column);
    if (tag < 0)
        return -1;
    for (int i = 0; i < TaskSortCount; ++i)
        if (kSorts[std::size_t(i)].Key == tag)
            return i;
    return -1;
}

int TTaskListTexts::HeaderImage(int column, int sortIndex, bool ascending)
{
    const int tag = ColumnTag(column);
    if (tag < 0)
        return NoImage;
    if (IsValidSortIndex(sortIndex) && tag == SortKey(sortIndex))
        return ascending ? HeaderImageAscending : HeaderImageDescending;
    return HeaderImageSortable;
}

int TTaskListTexts::SortKey(int sortIndex)
{
    return IsValidSortIndex(sortIndex) ? kSorts[std::size_t(sortIndex)].Key : -1;
}

QString TTaskListTexts::SortMenuCaption(int sortIndex)
{
    return IsValidSortIndex(sortIndex) ? tr(kSorts[std::size_t(sortIndex)].MenuCaption) : QString();
}

QString TTaskListTexts::SortDescription(int sortIndex, bool ascending)
{
    if (!IsValidSortIndex(sortIndex))
        return QString();
    return FillPattern(tr(kSorts[std::size_t(sortIndex)].StatusPattern),
                       {QString(), ascending ? tr("(ASCENDING)") : tr("(DESCENDING)")});
}

QString TTaskListTexts::CountStatusText(int shown, int suspended, TTaskFilter filter)
{
    QString text = QLatin1Char(' ') + QString::number(shown) + tr(" reminder(s)");
    if (suspended > 0)
        text += QLatin1Char(',') + QString::number(suspended) + tr(" suspended");
    return text + FilterSuffix(filter);
}

QString TTaskListTexts::SelectionStatusText(const TTaskData &task, const QString &timeSuffix, TDateTime today)
{
    QString text = (task.Delivered ? QString() : tr("Next Run: ")) + NextRunText(task, timeSuffix, today);
    if (task.RepeatTask)
        text += tr(" repeat ") + RepeatText(task.RepeatRule, task.RepeatNFactor);
    else if (!task.Delivered)
        text += tr(", run once");
    return text;
}

TStatusBarTexts TTaskListTexts::StatusBar(int viewStyle, int windowFontSize, const QString &countText,
                                          const TTaskData *selected, const QString &sortDescription, TTaskFilter filter,
                                          const QString &timeSuffix, TDateTime today)
{
    TStatusBarTexts s;
    s.Simple = viewStyle == vsDetails;
    s.Panel0 = countText;
    s.Panel0Width = int(countText.size()) * (windowFontSize - 3);
    s.Panel1 = selected ? SelectionStatusText(*selected, timeSuffix, today) : sortDescription;
    s.Hint = s.Panel1;
    s.EmptyListText = EmptyListText(filter);
    return s;
}

QString TTaskListTexts::NotesHint(const TTaskData &task)
{
    QString hint;
    if (task.SendEmail)
        hint += tr("Send e-mail") + QStringLiteral("\r\n") + tr("To: ") + task.EmailTo.Get() + QLatin1Char('\r')
                + tr("Cc: ") + task.EmailCc.Get() + QLatin1Char(',') + task.EmailBcc.Get() + QLatin1Char('\r');
    if (task.RunProgram)
        hint += tr("Run program: ") + FileNamePart(task.ProgramPathname.Get()) + QLatin1Char(' ')
                + task.ProgramParameters.Get() + QStringLiteral("\r\r");
    const QString notes = task.Notes();
    hint += tr("Notes") + QStringLiteral("\r\n\r\n") + (notes.isEmpty() ? tr("<empty>") : notes);
    return WithNewlines(hint);
}

QString TTaskListTexts::ListHint(int row, const TTaskData *task, int shown, TTaskFilter filter)
{
    if (row < 0 || (row > 0 && !task))
        return shown < 1 ? EmptyListText(filter) : tr("Click on a Reminder to view its Notes");
    if (row == 0)
        return tr("Start the Add Reminder wizard");
    if (task->InService)
        return tr("<Reminder currently running>");
    return NotesHint(*task);
}

int TTaskListTexts::RestoredSelection(int remembered, int shown)
{
    return shown < remembered ? shown : remembered;
}

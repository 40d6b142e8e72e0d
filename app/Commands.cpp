#include "app/Commands.h"

#include "core/TextLimit.h"
#include "core/vornFile.h"
#include "model/CalendarNames.h"
#include "model/Recurrence.h"
#include "model/TaskList.h"
#include "ui/TaskListTexts.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>

namespace Cli {

namespace {

constexpr int kTitleBytes = int(decltype(TTaskData::Title)::Capacity);
constexpr int kSoundBytes = int(decltype(TTaskData::SoundFile)::Capacity);
constexpr int kMailToBytes = int(decltype(TTaskData::EmailTo)::Capacity);

bool IsUserReminder(const TTaskData &t)
{
    return t.Taskkind != tkService && t.Taskkind != tkReserved && t.Tag != TAG_INFODLG;
}

QString EnglishWeekday(int isoDay)
{
    static const char *const kNames[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
    return isoDay >= 1 && isoDay <= 7 ? QLatin1String(kNames[isoDay - 1]) : QString();
}

// Columns on a terminal: East Asian wide characters take two cells, combining marks none.
int CellWidth(const QString &text)
{
    int width = 0;
    for (const char32_t u : text.toUcs4()) {
        const QChar::Category c = QChar::category(u);
        if (c == QChar::Mark_NonSpacing || c == QChar::Mark_Enclosing || c == QChar::Other_Format)
            continue;
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF && u != 0x303F)
                          || (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF)
                          || (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60)
                          || (u >= 0xFFE0 && u <= 0xFFE6) || (u >= 0x1F300 && u <= 0x1F64F)
                          || (u >= 0x1F900 && u <= 0x1F9FF) || (u >= 0x20000 && u <= 0x3FFFD);
        width += wide ? 2 : 1;
    }
    return width;
}

// A title or note is one cell of a line: its line breaks and tabs must not break the table.
QString OneLine(QString text)
{
    for (QChar &c : text)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    return text;
}

TAnswer Failure(int code, const QString &text)
{
    return {code, QString(), text + QLatin1Char('\n')};
}

} // namespace

TBuiltTask BuildAddTask(const TAddOptions &o)
{
    TBuiltTask b;
    auto refuse = [&b](const QString &text) {
        b.ExitCode = ExitUsage;
        b.Error = text;
        return b;
    };
    TTaskData &t = b.Task;
    t = NewWizardTask();

    const QString title = CutToUtf8(o.Title, kTitleBytes);
    if (title != o.Title)
        b.Warnings << QStringLiteral("the title was cut to %1 bytes: %2").arg(kTitleBytes).arg(title);
    t.Title.Set(title);
    if (o.Notes) {
        t.SetNotes(*o.Notes);
        if (t.Notes() != *o.Notes)
            b.Warnings << QStringLiteral("the note was cut to %1 bytes").arg(2 * NotesPartLength);
    }

    if (o.Every) {
        t.RepeatTask = true;
        t.RepeatRule = uint8_t(o.Every->Rule);
        t.RepeatNFactor = o.Every->Factor;
        for (int d = 1; d <= 7; ++d)
            t.SetWeekdayExcluded(d, o.ExcludedDays[d - 1]);
        // The wizard refuses such a start too: the first run would fall on a day the user ruled out.
        if (t.IsWeekdayExcluded(DayOfTheWeek(o.Start)))
            return refuse(QStringLiteral("--except: the start falls on %1, an excluded weekday")
                              .arg(EnglishWeekday(DayOfTheWeek(o.Start))));
    }
    t.EventDateTime = o.Start;
    if (o.Warn) {
        t.PreWarning = true;
        t.PreWarningRule = uint8_t(o.Warn->Rule);
        t.PreWarningNFactor = o.Warn->Factor;
    }
    t.Scheduled = t.PreWarning ? TRecurrence::ScheduledTime(t) : o.Start;

    t.PopupNote = true;
    t.PlaySound = !o.Silent;
    if (o.Sound) {
        // A cut path would name another file, or none.
        if (Utf8Size(*o.Sound) > kSoundBytes)
            return refuse(
                QStringLiteral("--sound: the path is longer than %1 bytes: %2").arg(kSoundBytes).arg(*o.Sound));
        t.SoundFile.Set(*o.Sound);
    } else if (t.PlaySound) {
        t.SoundFile.Set(DefaultSoundFile);
    }
    if (!o.Mail.isEmpty()) {
        const QString to = o.Mail.join(QStringLiteral(", "));
        if (Utf8Size(to) > kMailToBytes)
            return refuse(
                QStringLiteral("--mail: the addresses take more than %1 bytes: %2").arg(kMailToBytes).arg(to));
        t.SendEmail = true;
        t.EmailTo.Set(to);
    }
    ApplyFinishDefaults(t, true);
    return b;
}

std::vector<const TTaskData *> ListedTasks(const TTaskList &list, TListFilter filter, TDateTime now)
{
    TTaskFilter windowFilter = tfAll;
    switch (filter) {
    case TListFilter::Today: windowFilter = tfToday; break;
    case TListFilter::Tomorrow: windowFilter = tfTomorrow; break;
    case TListFilter::NextFive: windowFilter = tfNextFiveDays; break;
    case TListFilter::Completed: windowFilter = tfCompleted; break;
    default: break;
    }
    const TFilterWindow window = TTaskListTexts::ComputeFilterWindow(windowFilter, now);
    std::vector<const TTaskData *> shown;
    for (const TTaskList::TTaskRef &ref : list.Items()) {
        const TTaskData &t = *ref;
        if (!IsUserReminder(t))
            continue;
        bool listed = false;
        switch (filter) {
        case TListFilter::NotCompleted: listed = !t.Delivered; break;
        case TListFilter::All: listed = true; break;
        default:
            listed = TTaskListTexts::InsideWindow(TTaskListTexts::ReferenceTime(t), window)
                     || (filter == TListFilter::Completed && t.Delivered);
        }
        if (listed)
            shown.push_back(&t);
    }
    std::stable_sort(shown.begin(), shown.end(), [](const TTaskData *a, const TTaskData *b) {
        if (bool(a->Delivered) != bool(b->Delivered))
            return !a->Delivered;
        return !a->Delivered && TTaskList::CompareDateTimes(a->Scheduled, b->Scheduled) < 0;
    });
    return shown;
}

QString IsoLocalTime(TDateTime local)
{
    if (!IsValidDateTime(local))
        return QString();
    int y, mo, d, h, mi, s, ms;
    DecodeDateTime(local, y, mo, d, h, mi, s, ms);
    // The hour the autumn change repeats is read in its first pass, as the scheduler does.
    TDateTime earlier = 0, later = 0;
    LocalReadings(local, earlier, later);
    const int offset = UtcOffsetAt(earlier);
    const int a = std::abs(offset) / 60;
    return QStringLiteral("%1-%2-%3T%4:%5:%6%7%8:%9")
        .arg(y, 4, 10, QLatin1Char('0'))
        .arg(mo, 2, 10, QLatin1Char('0'))
        .arg(d, 2, 10, QLatin1Char('0'))
        .arg(h, 2, 10, QLatin1Char('0'))
        .arg(mi, 2, 10, QLatin1Char('0'))
        .arg(s, 2, 10, QLatin1Char('0'))
        .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(a / 60, 2, 10, QLatin1Char('0'))
        .arg(a % 60, 2, 10, QLatin1Char('0'));
}

QString ListJson(const std::vector<const TTaskData *> &tasks)
{
    QJsonArray array;
    for (const TTaskData *t : tasks) {
        QJsonObject o;
        o.insert(QStringLiteral("title"), t->Title.Get());
        o.insert(QStringLiteral("kind"),
                 t->Taskkind == tkAutomatedTask ? QStringLiteral("computer task") : QStringLiteral("alarm"));
        const QString next = t->Delivered ? QString() : IsoLocalTime(t->Scheduled);
        o.insert(QStringLiteral("next"), next.isEmpty() ? QJsonValue() : QJsonValue(next));
        o.insert(QStringLiteral("repeat"), t->RepeatTask
                                               ? QJsonValue(TTaskListTexts::RepeatText(t->RepeatRule, t->RepeatNFactor))
                                               : QJsonValue());
        o.insert(QStringLiteral("notes"), t->Notes());
        o.insert(QStringLiteral("enabled"), bool(t->Enabled));
        o.insert(QStringLiteral("completed"), bool(t->Delivered));
        array.append(o);
    }
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

QString ListColumns(const std::vector<const TTaskData *> &tasks, const QString &timeSuffix, TDateTime today)
{
    std::vector<QStringList> rows;
    QStringList header;
    for (int c = 0; c < TaskColumnCount; ++c)
        header << TTaskListTexts::ColumnCaption(c);
    rows.push_back(header);
    for (const TTaskData *t : tasks) {
        QStringList row;
        for (int c = 0; c < TaskColumnCount; ++c)
            row << OneLine(TTaskListTexts::ColumnText(*t, c, timeSuffix, today));
        rows.push_back(row);
    }
    std::vector<int> widths(TaskColumnCount, 0);
    for (const QStringList &row : rows)
        for (int c = 0; c < TaskColumnCount; ++c)
            widths[std::size_t(c)] = std::max(widths[std::size_t(c)], CellWidth(row[c]));
    QString out;
    for (const QStringList &row : rows) {
        QString line;
        for (int c = 0; c < TaskColumnCount; ++c) {
            line += row[c];
            if (c + 1 < TaskColumnCount)
                line += QString(widths[std::size_t(c)] - CellWidth(row[c]) + 2, QLatin1Char(' '));
        }
        out += line + QLatin1Char('\n');
    }
    return out;
}

TAnswer Add(TTaskList &list, const TAddOptions &options)
{
    const TBuiltTask built = BuildAddTask(options);
    if (built.ExitCode != ExitOk)
        return Failure(built.ExitCode, built.Error);
    TAnswer answer;
    for (const QString &w : built.Warnings)
        answer.Err += w + QLatin1Char('\n');
    const TTaskData &added = list.AddTask(built.Task);
    list.MarkModified();
    answer.Out = IsoLocalTime(added.Scheduled) + QLatin1Char('\n');
    return answer;
}

TAnswer List(const TTaskList &list, bool json, TListFilter filter, TDateTime now, const QString &timeSuffix)
{
    const std::vector<const TTaskData *> tasks = ListedTasks(list, filter, now);
    TAnswer answer;
    answer.Out = json ? ListJson(tasks) : ListColumns(tasks, timeSuffix, std::floor(now));
    return answer;
}

TAnswer Import(TTaskList &list, const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return Failure(ExitFailure, QStringLiteral("cannot read %1: %2").arg(path, f.errorString()));
    // Anything after the first element is ignored, as in the Reminders window.
    const QByteArray element = f.read(TaskElementSize);
    TTaskData task;
    if (element.size() < TaskElementSize || !TaskFromElementBytes(element, task))
        return Failure(ExitFailure, QStringLiteral("%1: Error 06: Invalid or Corrupted reminder file.").arg(path));
    list.AddTask(task);
    list.MarkModified();
    return {ExitOk, QStringLiteral("Imported: %1\n").arg(task.Title.Get()), QString()};
}

TAnswer Export(const TTaskList &list, const QString &title, const QString &path)
{
    const TTaskData *found = nullptr;
    int matches = 0;
    for (const TTaskList::TTaskRef &ref : list.Items()) {
        if (IsUserReminder(*ref) && ref->Title.Get() == title) {
            found = found ? found : ref.get();
            ++matches;
        }
    }
    if (matches == 0)
        return Failure(ExitFailure, QStringLiteral("no reminder is titled \"%1\"").arg(title));
    // Writing one of several at random would leave the script with the wrong one.
    if (matches > 1)
        return Failure(ExitFailure, QStringLiteral("%1 reminders are titled \"%2\"").arg(matches).arg(title));
    QString error;
    if (!WriteFileAtomically(path, TaskElementBytes(*found), &error))
        return Failure(ExitFailure, QStringLiteral("cannot write %1: %2").arg(path, error));
    return {};
}

TAnswer RunOnList(TTaskList &list, const TCommand &command, TDateTime now, const QString &timeSuffix)
{
    switch (command.Verb) {
    case TVerb::Add: return Add(list, command.Add);
    case TVerb::List: return List(list, command.Json, command.Filter, now, timeSuffix);
    case TVerb::Import: return Import(list, command.File);
    case TVerb::Export: return Export(list, command.Title, command.File);
    default: return Failure(ExitFailure, QStringLiteral("not a command on the reminders"));
    }
}

} // namespace Cli

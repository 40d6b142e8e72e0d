#include "scheduler/NoteActions.h"

#include "core/Clock.h"
#include "core/LineBreaks.h"
#include "core/MessageTypes.h"
#include "core/TextLimit.h"
#include "model/Recurrence.h"
#include "storage/GlobalPreferences.h"

QPoint NextPopupNotePosition(TNoteCascade &cascade, int servedNotes, const QRect &area, const QSize &note)
{
    if (servedNotes <= 1) {
        cascade.Top = area.height() / 2 - 177;
        cascade.Left = area.width() / 2 - 233;
    }
    int top = cascade.Top + 30;
    int left = cascade.Left + 30;
    // The whole note must be on the area, its buttons at the bottom right above all.
    if (left + note.width() > area.width() || top + note.height() > area.height()) {
        top = 10;
        left = 10;
    }
    cascade.Top = top;
    cascade.Left = left;
    return area.topLeft() + QPoint(left, top);
}

bool IsPreWarningFiring(const TTaskData &task)
{
    return task.PreWarning && task.Scheduled < task.EventDateTime;
}

QString SnoozePresetCaption(const TPreferences &p, int preset)
{
    return QStringLiteral("snooze for ") + QString::number(p.SnoozeN(preset)) + QStringLiteral(" ")
           + TPreferences::SnoozeUnitText(p.SnoozeType(preset));
}

QString SnoozeUntilEventCaption(const TPreferences &prefs, const TTaskData &task)
{
    return QStringLiteral("snooze until ")
           + FormatDateTime(QStringLiteral("ddd, d mmm yyyy \"at\" hh:mm") + prefs.TimeFormatSuffix(),
                            task.EventDateTime);
}

QString PreWarningCaption(const TPreferences &prefs, const TTaskData &task)
{
    return FormatDateTime(QStringLiteral("\"Pre-warning for\" ddd, d mmm yyyy \"at\" hh:mm") + prefs.TimeFormatSuffix(),
                          task.EventDateTime);
}

QString PreWarningScheduleText(const TPreferences &prefs, const TTaskData &task)
{
    return FormatDateTime(QStringLiteral("  ddd, d mmm yyyy, hh:mm") + prefs.TimeFormatSuffix(), task.Scheduled);
}

QString ExcludedSnoozeMessage(TDateTime t)
{
    return QStringLiteral("You cannot snooze until %1.\r%2 is excluded from this reminder's schedule.")
        .arg(FormatDateTime(QStringLiteral("ddd, d mmm yyyy"), t), FormatDateTime(QStringLiteral("ddd"), t));
}

TDateTime PresetSnoozeTime(const TPreferences &p, const TTaskData &task, int preset)
{
    return TRecurrence::NextSnoozeTime(task, p.SnoozeN(preset), p.SnoozeType(preset));
}

bool SnoozeNoteTo(TTaskData &task, TDateTime t, bool testWeekday)
{
    if (testWeekday && TRecurrence::IsExcludedDay(task, t))
        return false;
    task.Scheduled = t;
    task.Delivered = false;
    return true;
}

void DismissNote(TTaskData &task)
{
    if (task.SnoozeInmedTime > 0) {
        task.Scheduled = task.SnoozeInmedTime;
        task.SnoozeInmedTime = 0;
    }
    TRecurrence::RescheduleAfterRun(task);
}

QString CannotDeleteFromNoteMessage()
{
    return QStringLiteral("Cannot delete Reminder. Other actions are still running.");
}

bool MayDeleteFromNote(const TTaskData &task)
{
    return task.ActionCount < 2;
}

QString NotesForMemo(const TTaskData &task)
{
    return ToLineFeeds(task.Notes());
}

namespace {

// Every kind of line break as one "\n".
QString WithPlainBreaks(const QString &memoText)
{
    QString text = ToLineFeeds(memoText);
    // The memo's paragraph separator, should one slip through.
    text.replace(QChar(0x2029), QLatin1Char('\n'));
    return text;
}

} // namespace

QString MemoTextToNotes(const QString &memoText)
{
    QString text = WithPlainBreaks(memoText);
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

bool MemoTextFits(const QString &memoText)
{
    const QString notes = MemoTextToNotes(memoText);
    return NotesFitLength(notes) == notes.size();
}

QString FitMemoText(const QString &memoText)
{
    const QString text = WithPlainBreaks(memoText);
    // What the record keeps, counted in the stored form, where a line break is "\r\n".
    const qsizetype kept = NotesFitLength(MemoTextToNotes(text));
    qsizetype stored = 0;
    qsizetype n = 0;
    for (; n < text.size(); ++n) {
        const qsizetype w = text.at(n) == QLatin1Char('\n') ? 2 : 1;
        if (stored + w > kept)
            break;
        stored += w;
    }
    // Never end between the halves of a surrogate pair.
    if (n < text.size() && n > 0 && text.at(n).isLowSurrogate())
        --n;
    return n == text.size() ? memoText : text.left(n);
}

void WriteBackNotes(TTaskData &task, const QString &memoText)
{
    task.SetNotes(MemoTextToNotes(FitMemoText(memoText)));
}

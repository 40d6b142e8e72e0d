// One store element, which is also the whole of a task file (what deleting a
// reminder puts in the trash and what the user may bring back). The program
// has no reader of task files apart from the element reader, so this target
// takes the element as both, loads it the way the store does (repair, reset),
// and then puts the record through everything that reads its fields: the
// list's texts, the sorts, the schedule and snooze calculations, and the
// delete path that writes it out as a task file again.
#include "fuzz/FuzzSupport.h"

#include "core/Clock.h"
#include "model/Recurrence.h"
#include "model/TaskData.h"
#include "model/TaskList.h"
#include "platform/Trash.h"

#include <QDir>
#include <QFile>
#include <cstring>

using FuzzSupport::Check;

namespace {

bool SameRecord(const TTaskData &a, const TTaskData &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The rule RepairLoaded keeps: some byte of the title within its length shows.
bool HasVisibleTitle(const TTaskData &task)
{
    const int len = std::min<int>(task.Title.Len, int(task.Title.Capacity));
    for (int i = 0; i < len; ++i)
        if (static_cast<unsigned char>(task.Title.Data[i]) > ' ')
            return true;
    return false;
}

void Texts(const TTaskData &task)
{
    task.Title.Get();
    task.Notes();
    task.SoundFile.Get();
    task.EmailBlock();
    task.ProgramBlock().ProgramParameters.Get();
    TTaskList::RepeatRuleText(task);
    ServiceTagName(task.Tag);
    TaskKindName(task.Taskkind);
    ComputerTaskTitle(task);
    for (const TDateTime t : {task.EventDateTime, task.Scheduled, task.LastRun, task.Created, task.SnoozeInmedTime})
        DateTimeToStr(t);
}

void Schedule(const TTaskData &task)
{
    const TDateTime now = Clock::Now();
    TRecurrence::RepeatDefect(task);
    TRecurrence::ScheduledTime(task);
    TRecurrence::IsExcludedDay(task, task.EventDateTime);
    TDateTime next = 0;
    if (TRecurrence::TryNextEventTime(task, now, next)) {
        Check(next > now, "the next occurrence lies after now");
        Check(IsValidDateTime(next), "the next occurrence is a calendar date");
        Check(!task.IsWeekdayExcluded(DayOfTheWeek(next)), "the next occurrence is on a weekday that is not excluded");
    }
    TTaskData run = task;
    TRecurrence::RescheduleAfterRun(run);
    Check(run.NewScheduleCalculated, "a run always settles the schedule");
    if (!run.Delivered)
        Check(run.EventDateTime > now, "a reminder that goes on is next due after now");
    // The snooze counts come from the preferences; the record's own factors
    // are as good a source of awkward numbers as any.
    for (int unit = 0; unit <= int(stMonths) + 1; ++unit)
        TRecurrence::NextSnoozeTime(task, task.PreWarningNFactor, TSnoozeType(unit));
    TRecurrence::PresetBeforeEvent(task, task.PreWarningRule, task.RepeatNFactor);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::Prepare();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray element = FuzzSupport::Bytes(data, size);
    TTaskData read;
    uint8_t signature = 0, version = 0;
    if (!TaskFromElementBytes(element, read, &signature, &version)) {
        Check(size < std::size_t(TaskElementSize), "a whole element is always read");
        return 0;
    }
    Check(std::memcmp(&read, data + TaskElementHeaderSize, TTaskData::Size) == 0, "the record is read as it lies");
    Check(signature == data[0] && version == data[1], "the header is reported as it lies");

    // Takes the task file a deletion hands over and removes it.
    struct TakingTrash final : ITrash {
        bool MoveToTrash(const QString &path, QString *) override
        {
            Path = path;
            Bytes = FuzzSupport::ReadFile(path);
            QFile::remove(path);
            return true;
        }
        QString Path;
        QByteArray Bytes;
    } trash;
    TTaskList list(&trash);
    TTaskData &task = list.AddTask(read);
    list.RepairLoaded();
    list.ResetRuntimeState();
    Check(TTaskList::IsValidKind(task.Taskkind), "a loaded reminder has a known kind");
    Check(IsValidDateTime(task.Scheduled) && IsValidDateTime(task.LastRun) && IsValidDateTime(task.Created),
          "a loaded reminder's run dates are calendar dates");
    Check(HasVisibleTitle(task), "a loaded reminder has a title");
    const TTaskData repaired = task;
    TTaskData again;
    Check(TaskFromElementBytes(TaskElementBytes(repaired), again) && SameRecord(again, repaired),
          "a written element reads back as the same record");

    Texts(task);
    Schedule(task);

    // The startup sorts, against the record as it came and a pasted copy.
    list.AddTask(read);
    list.AddTask(task.CopyForPaste());
    for (int by = 0; by <= 5; ++by) {
        list.SetAscending(by % 2 == 0);
        list.SortBySetting(by);
    }
    list.SortByEventDateTime();
    Check(list.Count() == 3, "sorting keeps every record");
    list.ApplyShowDisabled(false);
    int index = -1;
    list.FindServiceTask(task.Tag, index);

    // Deleting it writes the task file the user can bring back from the trash.
    const int at = list.IndexOfTask(task);
    Check(at >= 0, "the record is still in the list");
    const TTaskData deleting = task;
    list.DeleteTask(task);
    Check(list.Count() == 2, "the deleted record is gone");
    if (!trash.Path.isEmpty()) {
        Check(trash.Path.startsWith(QDir::tempPath()), "a task file stays in the temporary folder");
        TTaskData back;
        Check(TaskFromElementBytes(trash.Bytes, back) && SameRecord(back, deleting),
              "the task file holds the deleted record");
    }
    return 0;
}

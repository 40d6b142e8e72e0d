#pragma once
// The in-memory reminder list, and the one-record copy buffer.
//
// Lifetime of records: each record lives in its own heap block, shared between
// the list and whoever holds it. A window that keeps a record across events
// (an action window, the task list) holds the std::shared_ptr from SharedTask():
// when the record is removed from the list meanwhile, the block stays alive and
// readable until the last holder lets go, and IndexOfTask() answers -1, which
// is how the holder notices. Plain addresses are fine within one event; kept
// longer they could be reused by a new record after a removal.

#include "core/DateTime.h"
#include "model/TaskData.h"

class ITrash;
class TvornIniFile;

#include <QString>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class TTaskList {
public:
    using TTaskRef = std::shared_ptr<TTaskData>;

    // trash receives the reminders DeleteTask moves there; null: none are.
    explicit TTaskList(ITrash *trash = nullptr);
    TTaskList(const TTaskList &) = delete;
    TTaskList &operator=(const TTaskList &) = delete;

    int Count() const { return int(FItems.size()); }
    const std::vector<TTaskRef> &Items() const { return FItems; }

    // Copies the record into a new block at the end; does not mark the list modified.
    TTaskData &AddTask(const TTaskData &task);
    // The record at index; an index outside 0..Count-1 throws std::out_of_range.
    TTaskData &GetTask(int index) const;
    TTaskData &operator[](int index) const { return GetTask(index); }
    // The shared block of a record, to keep it beyond the current event.
    TTaskRef SharedTask(int index) const;
    TTaskRef SharedTask(const TTaskData *task) const; // null when not in the list
    // Removes the record (nothing happens when it is not in the list).
    void RemoveTask(const TTaskData *task);
    void RemoveTask(const TTaskData &task) { RemoveTask(&task); }
    // Position of the record, -1 when absent (for instance removed meanwhile).
    int IndexOfTask(const TTaskData *task) const;
    int IndexOfTask(const TTaskData &task) const { return IndexOfTask(&task); }
    void Clear();

    // When the list was last marked modified; 0 until the first change.
    TDateTime ModifiedAt() const { return FModifiedAt; }
    // Every change of the list or of a record in it ends here.
    void MarkModified();
    // Called at the end of every MarkModified: whoever keeps the list on disk
    // learns of each change as it happens.
    std::function<void()> OnModified;
    // Further listeners to every change (the tray's tooltip), called after
    // OnModified in the order added. The id removes one again.
    int AddModifiedListener(std::function<void()> listener);
    void RemoveModifiedListener(int id);

    // Direction of all six sorts; true at creation.
    bool Ascending() const { return FAscending; }
    void SetAscending(bool ascending) { FAscending = ascending; }

    bool IsInfoNotice(int index) const;
    static bool IsValidKind(int kind);

    // Load-time check: kind outside 0..5 becomes 0, a blank title "Untitled",
    // Scheduled / LastRun / Created that are no showable date-time become now.
    void RepairLoaded();
    // Load-time reset of what describes windows of a running program.
    void ResetRuntimeState();
    // Suspended user reminders are listed or not.
    void ApplyShowDisabled(bool show);
    int CountServedPopupNotes() const;

    // "run once" or "repeat every " + the rule's unit text.
    static QString RepeatRuleText(const TTaskData &task);

    // Deletes a reminder on the user's behalf: with moveToTrash (the
    // preference MoveDelTasksToRecycleBin), the reminder is first written as a
    // task file named after its title in the temporary folder and that file is
    // handed to the list's trash (without one nothing is written); then the
    // record is removed.
    void DeleteTask(const TTaskData *task, bool moveToTrash = true);
    void DeleteTask(const TTaskData &task, bool moveToTrash = true) { DeleteTask(&task, moveToTrash); }
    // The path DeleteTask hands over for a record.
    static QString TrashFilePath(const TTaskData &task);

    // Copy: the record at index replaces what buffer holds (or goes into the
    // empty buffer), unless it is in service. False when nothing was copied.
    static bool CopyToBuffer(const TTaskList &list, int index, TTaskList &buffer);
    // Paste: a copy of the buffer's record, never run and not completed, at the
    // end of list. Neither sorts nor marks the list modified. False when the
    // buffer is empty.
    static bool PasteFromBuffer(const TTaskList &buffer, TTaskList &list);

    // The first record of kind Service with the tag; logs "Service task <name> found.".
    bool FindServiceTask(int32_t tag, int &index) const;

    // The six sort orders (a quicksort; records that compare equal keep no defined order).
    void SortByTitle();
    void SortByScheduled();
    void SortByEventDateTime();
    void SortByCreated();
    void SortByHasRun();
    void SortByLastRun();
    // The comparisons before the direction is applied: negative, 0 or positive.
    static int CompareTitles(const TTaskData &a, const TTaskData &b);
    static int CompareDateTimes(TDateTime a, TDateTime b); // equal within a millisecond
    static int CompareFloats(TDateTime a, TDateTime b); // equal within 1E-12 relative
    static int CompareIntegers(int32_t a, int32_t b);

    // The start-up sort by the stored "SortBy" value: 0 title, 1 next run,
    // 2 run count, 3 last run, 4 creation date, anything else no sort.
    void SortBySetting(int sortBy);
    // Reads [Tasklist] "SortBy" (default 1; 1 without an ini file) and sorts by it.
    void SortAtStartup(const TvornIniFile *ini);

private:
    ITrash *FTrash = nullptr;
    template <typename Compare>
    void Sort(Compare compare);

    std::vector<TTaskRef> FItems;
    std::vector<std::pair<int, std::function<void()>>> FListeners;
    int FNextListenerId = 1;
    TDateTime FModifiedAt = 0;
    bool FAscending = true;
};

#include "model/TaskList.h"

#include "core/Clock.h"
#include "core/vornIniFile.h"
#include "core/vornLogFile.h"
#include "model/CalendarNames.h"
#include "platform/Desktop.h"
#include "platform/Trash.h"

#include <QCollator>
#include <QFile>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <unordered_map>

TTaskList::TTaskList(ITrash *trash)
    : FTrash(trash)
{
}

TTaskData &TTaskList::AddTask(const TTaskData &task)
{
    FItems.push_back(std::make_shared<TTaskData>(task));
    return *FItems.back();
}

TTaskData &TTaskList::GetTask(int index) const
{
    if (index < 0 || index >= Count())
        throw std::out_of_range("TTaskList::GetTask: index " + std::to_string(index) + " outside 0.."
                                + std::to_string(Count() - 1));
    return *FItems[std::size_t(index)];
}

TTaskList::TTaskRef TTaskList::SharedTask(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return FItems[std::size_t(index)];
}

TTaskList::TTaskRef TTaskList::SharedTask(const TTaskData *task) const
{
    const int i = IndexOfTask(task);
    return i < 0 ? nullptr : FItems[std::size_t(i)];
}

void TTaskList::RemoveTask(const TTaskData *task)
{
    const int i = IndexOfTask(task);
    if (i < 0)
        return;
    FItems.erase(FItems.begin() + i);
    FItems.shrink_to_fit();
}

int TTaskList::IndexOfTask(const TTaskData *task) const
{
    if (!task)
        return -1;
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == task)
            return int(i);
    return -1;
}

void TTaskList::Clear()
{
    FItems.clear();
    FItems.shrink_to_fit();
}

void TTaskList::MarkModified()
{
    FModifiedAt = Clock::Now();
    // Always with the time: the locale's date-time text drops it at midnight.
    LogInfo(QStringLiteral("Tasklist modified at ")
            + FormatDateTime(ShortDateFormat() + QStringLiteral(" ") + LongTimeFormat(), FModifiedAt));
    if (OnModified)
        OnModified();
    // A copy: a listener may add or remove listeners while it is called.
    const auto listeners = FListeners;
    for (const auto &[id, listener] : listeners)
        if (listener)
            listener();
}

int TTaskList::AddModifiedListener(std::function<void()> listener)
{
    const int id = FNextListenerId++;
    FListeners.emplace_back(id, std::move(listener));
    return id;
}

void TTaskList::RemoveModifiedListener(int id)
{
    std::erase_if(FListeners, [id](const auto &entry) { return entry.first == id; });
}

bool TTaskList::IsInfoNotice(int index) const
{
    return GetTask(index).Tag == TAG_INFODLG;
}

bool TTaskList::IsValidKind(int kind)
{
    return kind >= tkAutomatedTask && kind <= tkAlarm;
}

void TTaskList::RepairLoaded()
{
    const TDateTime now = Clock::Now();
    for (const TTaskRef &ref : FItems) {
        TTaskData &task = *ref;
        if (!IsValidKind(task.Taskkind))
            task.Taskkind = tkAutomatedTask;
        bool blank = true;
        const int len = std::min<int>(task.Title.Len, int(task.Title.Capacity));
        for (int i = 0; i < len && blank; ++i)
            blank = static_cast<unsigned char>(task.Title.Data[i]) <= ' ';
        if (blank)
            task.Title.Set(QStringLiteral("Untitled"));
        // A value no date-time text can show (NaN, infinite, beyond the calendar).
        for (TDateTime *field : {&task.Scheduled, &task.LastRun, &task.Created})
            if (!IsValidDateTime(*field))
                *field = now;
    }
}

void TTaskList::ResetRuntimeState()
{
    for (const TTaskRef &ref : FItems) {
        ref->InService = false;
        ref->SnoozeInmedTime = 0;
        ref->ActionCount = 0;
        ref->ClearReserved4();
    }
}

void TTaskList::ApplyShowDisabled(bool show)
{
    for (const TTaskRef &ref : FItems)
        if (ref->Taskkind != tkService && ref->Taskkind != tkReserved && !ref->Enabled)
            ref->Visible = show;
}

int TTaskList::CountServedPopupNotes() const
{
    int n = 0;
    for (const TTaskRef &ref : FItems)
        if (ref->InService && ref->PopupNote)
            ++n;
    return n;
}

QString TTaskList::RepeatRuleText(const TTaskData &task)
{
    if (!task.RepeatTask)
        return QStringLiteral("run once");
    const int n = task.RepeatNFactor;
    const QString num = QString::number(n);
    QString unit;
    const TCalendarNames &names = CalendarNames();
    switch (task.RepeatRule) {
    case srWeekday:
        // A factor the editors never store names nothing rather than read past the table.
        if (n >= 1 && n <= 7 && n < names.Weekdays.size())
            unit = names.Weekdays[n];
        break;
    case srMonthOfYear:
        if (n >= 1 && n <= 12 && n < names.Months.size())
            unit = names.Months[n];
        break;
    case srDays: unit = num + QStringLiteral(" day(s)"); break;
    case srWeeks: unit = num + QStringLiteral(" weeks(s)"); break;
    case srMonths: unit = num + QStringLiteral(" months(s)"); break;
    case srYears: unit = num + QStringLiteral(" year(s)"); break;
    case srHours: unit = num + QStringLiteral(" hours(s)"); break;
    case srMinutes: unit = num + QStringLiteral(" minutes(s)"); break;
    default: break;
    }
    return QStringLiteral("repeat every ") + unit;
}

QString TTaskList::TrashFilePath(const TTaskData &task)
{
    return Desktop::TempFolder() + SafeFileName(task.Title.Get()) + QStringLiteral(".tsk");
}

void TTaskList::DeleteTask(const TTaskData *task, bool moveToTrash)
{
    if (IndexOfTask(task) < 0)
        return;
    if (moveToTrash && FTrash) {
        // Hand over the reminder itself, as a task file the user can import
        // again, so that the trash really holds what was deleted.
        const QString path = TrashFilePath(*task);
        QFile file(path);
        const QByteArray element = TaskElementBytes(*task);
        const bool written =
            file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(element) == element.size();
        file.close();
        if (written) {
            FTrash->MoveToTrash(path);
        } else {
            LogWarning(QStringLiteral("Deleted reminder not written to ") + path + QStringLiteral(": ")
                       + file.errorString());
        }
    }
    RemoveTask(task);
}

bool TTaskList::CopyToBuffer(const TTaskList &list, int index, TTaskList &buffer)
{
    if (index < 0 || index >= list.Count() || list.GetTask(index).InService)
        return false;
    const TTaskData copy = list.GetTask(index);
    if (buffer.Count() > 0)
        buffer.GetTask(0) = copy;
    else
        buffer.AddTask(copy);
    return true;
}

bool TTaskList::PasteFromBuffer(const TTaskList &buffer, TTaskList &list)
{
    if (buffer.Count() == 0)
        return false;
    list.AddTask(buffer.GetTask(0).CopyForPaste());
    return true;
}

bool TTaskList::FindServiceTask(int32_t tag, int &index) const
{
    index = -1;
    for (int i = 0; i < Count(); ++i) {
        const TTaskData &task = *FItems[std::size_t(i)];
        if (task.Taskkind == tkService && task.Tag == tag) {
            index = i;
            LogInfo(QStringLiteral("Service task ") + ServiceTagName(tag) + QStringLiteral(" found."));
            return true;
        }
    }
    return false;
}

namespace {

// Titles compare as the user reads them, in the current locale, letter case
// aside. The collator is made once per locale: making one is costly.
const QCollator &TitleCollator()
{
    static thread_local QString localeName;
    static thread_local std::optional<QCollator> collator;
    const QLocale locale;
    if (!collator || locale.name() != localeName) {
        collator.emplace(locale);
        collator->setCaseSensitivity(Qt::CaseInsensitive);
        collator->setNumericMode(false);
        localeName = locale.name();
    }
    return *collator;
}

} // namespace

int TTaskList::CompareTitles(const TTaskData &a, const TTaskData &b)
{
    return TitleCollator().compare(a.Title.Get(), b.Title.Get());
}

namespace {

// Damaged values (NaN) sort before every number and equal to each other, so
// that every comparison stays consistent.
int CompareNaN(double a, double b, bool &decided)
{
    const bool na = std::isnan(a), nb = std::isnan(b);
    decided = na || nb;
    if (na && nb)
        return 0;
    return na ? -1 : (nb ? 1 : 0);
}

} // namespace

int TTaskList::CompareDateTimes(TDateTime a, TDateTime b)
{
    bool decided;
    const int c = CompareNaN(a, b, decided);
    if (decided)
        return c;
    if (SameDateTime(a, b))
        return 0;
    return a < b ? -1 : 1;
}

int TTaskList::CompareFloats(TDateTime a, TDateTime b)
{
    bool decided;
    const int c = CompareNaN(a, b, decided);
    if (decided)
        return c;
    const double eps = std::max(std::min(std::fabs(a), std::fabs(b)) * 1e-12, 1e-12);
    if (std::fabs(a - b) <= eps)
        return 0;
    return a < b ? -1 : 1;
}

int TTaskList::CompareIntegers(int32_t a, int32_t b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

template <typename Compare>
void TTaskList::Sort(Compare compare)
{
    if (FItems.size() < 2)
        return;
    const bool ascending = FAscending;
    auto cmp = [&](const TTaskRef &a, const TTaskRef &b) {
        const int c = compare(*a, *b);
        return ascending ? c : -c;
    };
    // Quicksort whose scans are bounded by the range itself, so that a
    // comparison that is not a strict order (the one-millisecond equality is
    // not transitive) can never lead outside the list.
    std::vector<std::pair<int, int>> ranges{{0, int(FItems.size()) - 1}};
    while (!ranges.empty()) {
        auto [lo, hi] = ranges.back();
        ranges.pop_back();
        while (lo < hi) {
            int i = lo, j = hi;
            const TTaskRef pivot = FItems[std::size_t(lo + (hi - lo) / 2)];
            do {
                while (i < hi && cmp(FItems[std::size_t(i)], pivot) < 0)
                    ++i;
                while (j > lo && cmp(FItems[std::size_t(j)], pivot) > 0)
                    --j;
                if (i <= j) {
                    std::swap(FItems[std::size_t(i)], FItems[std::size_t(j)]);
                    ++i;
                    --j;
                }
            } while (i <= j);
            // Keep the larger part for later and go on with the smaller one:
            // every kept range is at least half of its parent, so few are kept.
            if (j - lo < hi - i) {
                if (i < hi)
                    ranges.emplace_back(i, hi);
                hi = j;
            } else {
                if (lo < j)
                    ranges.emplace_back(lo, j);
                lo = i;
            }
        }
    }
}

void TTaskList::SortByTitle()
{
    // One sort key per record rather than a collation per comparison.
    const QCollator &collator = TitleCollator();
    std::unordered_map<const TTaskData *, QCollatorSortKey> keys;
    keys.reserve(FItems.size());
    for (const TTaskRef &t : FItems)
        keys.emplace(t.get(), collator.sortKey(t->Title.Get()));
    Sort([&keys](const TTaskData &a, const TTaskData &b) { return keys.at(&a).compare(keys.at(&b)); });
}

void TTaskList::SortByScheduled()
{
    Sort([](const TTaskData &a, const TTaskData &b) { return CompareDateTimes(a.Scheduled, b.Scheduled); });
}

void TTaskList::SortByEventDateTime()
{
    Sort([](const TTaskData &a, const TTaskData &b) { return CompareDateTimes(a.EventDateTime, b.EventDateTime); });
}

void TTaskList::SortByCreated()
{
    Sort([](const TTaskData &a, const TTaskData &b) { return CompareDateTimes(a.Created, b.Created); });
}

void TTaskList::SortByHasRun()
{
    Sort([](const TTaskData &a, const TTaskData &b) { return CompareIntegers(a.HasRun, b.HasRun); });
}

void TTaskList::SortByLastRun()
{
    Sort([](const TTaskData &a, const TTaskData &b) { return CompareFloats(a.LastRun, b.LastRun); });
}

void TTaskList::SortBySetting(int sortBy)
{
    switch (sortBy) {
    case 0: SortByTitle(); break;
    case 1: SortByScheduled(); break;
    case 2: SortByHasRun(); break;
    case 3: SortByLastRun(); break;
    case 4: SortByCreated(); break;
    default: break;
    }
}

void TTaskList::SortAtStartup(const TvornIniFile *ini)
{
    const int sortBy = ini ? ini->ReadInteger(QStringLiteral("Tasklist"), QStringLiteral("SortBy"), 1) : 1;
    SortBySetting(sortBy);
}

#include "model/TaskData.h"

#include "core/Clock.h"
#include "platform/Desktop.h"

#include <cstring>

namespace {

template <std::size_t N>
void SetRawText(TShortText<N> &field, const QByteArray &bytes)
{
    const std::size_t n = std::min<std::size_t>(N, std::size_t(bytes.size()));
    field.Clear();
    std::memcpy(field.Data, bytes.constData(), n);
    field.Len = uint8_t(n);
}

// The flag of an ISO weekday, for const and non-const records alike.
template <typename Task>
auto WeekdayFlag(Task &task, int isoDay) -> decltype(&task.ExcludeMonday)
{
    switch (isoDay) {
    case 1: return &task.ExcludeMonday;
    case 2: return &task.ExcludeTuesday;
    case 3: return &task.ExcludeWednesday;
    case 4: return &task.ExcludeThursday;
    case 5: return &task.ExcludeFriday;
    case 6: return &task.ExcludeSaturday;
    case 7: return &task.ExcludeSunday;
    default: return nullptr;
    }
}

} // namespace

QString ServiceTagName(int32_t tag)
{
    switch (tag) {
    case TAG_FULLMOON: return QStringLiteral("TAG_FULLMOON");
    case TAG_INFODLG: return QStringLiteral("TAG_INFODLG");
    case TAG_BACKUP: return QStringLiteral("TAG_BACKUP");
    case TAG_UPDATEAUTOCHECK: return QStringLiteral("TAG_UPDATEAUTOCHECK ");
    default: return QString::number(tag);
    }
}

QString TaskKindName(int kind)
{
    switch (kind) {
    case tkAutomatedTask: return QStringLiteral("Automated Task");
    case tkAnniversary: return QStringLiteral("Anniversary");
    case tkToDoList: return QStringLiteral("To-Do list");
    case tkService: return QStringLiteral("Service");
    case tkAlarm: return QStringLiteral("Alarm");
    default: return QString();
    }
}

QString TTaskData::Notes() const
{
    return Notes1.Get() + Notes2.Get();
}

void TTaskData::SetNotes(const QString &text)
{
    // Unchanged notes keep their bytes, whatever code page wrote them.
    if (Notes() == text)
        return;
    // Each part is read on its own, so a character never straddles the split:
    // the first part ends before the character that would not fit.
    const qsizetype first = FittingLength(text, NotesPartLength);
    SetRawText(Notes1, EncodeText(text.left(first)));
    SetRawText(Notes2, EncodeText(text.mid(first), NotesPartLength));
}

qsizetype NotesFitLength(const QString &text)
{
    const qsizetype first = FittingLength(text, NotesPartLength);
    return first + FittingLength(text.mid(first), NotesPartLength);
}

bool TTaskData::IsWeekdayExcluded(int isoDay) const
{
    const TByteBool *flag = WeekdayFlag(*this, isoDay);
    return flag && *flag;
}

void TTaskData::SetWeekdayExcluded(int isoDay, bool excluded)
{
    if (TByteBool *flag = WeekdayFlag(*this, isoDay))
        *flag = excluded;
}

int TTaskData::ExcludedWeekdayCount() const
{
    int n = 0;
    for (int d = 1; d <= 7; ++d)
        n += IsWeekdayExcluded(d) ? 1 : 0;
    return n;
}

TEmailBlock TTaskData::EmailBlock() const
{
    TEmailBlock block;
    std::memcpy(static_cast<void *>(&block), &EmailTo, sizeof block);
    return block;
}

void TTaskData::SetEmailBlock(const TEmailBlock &block)
{
    std::memcpy(static_cast<void *>(&EmailTo), &block, sizeof block);
}

TProgramBlock TTaskData::ProgramBlock() const
{
    TProgramBlock block;
    std::memcpy(static_cast<void *>(&block), &ProgramPathname, sizeof block);
    return block;
}

void TTaskData::SetProgramBlock(const TProgramBlock &block)
{
    std::memcpy(static_cast<void *>(&ProgramPathname), &block, sizeof block);
}

QByteArray TTaskData::ToBytes() const
{
    return QByteArray(reinterpret_cast<const char *>(this), Size);
}

bool TTaskData::FromBytes(const char *data, qsizetype size, TTaskData &out)
{
    if (!data || size < Size)
        return false;
    std::memcpy(static_cast<void *>(&out), data, Size);
    return true;
}

TTaskData TTaskData::CopyForPaste() const
{
    TTaskData copy = *this;
    copy.HasRun = 0;
    copy.Delivered = false;
    return copy;
}

void TTaskData::ClearReserved4()
{
    std::memset(Reserved4, 0, sizeof Reserved4);
}

bool TTaskData::Reserved4IsZero() const
{
    for (const uint8_t b : Reserved4)
        if (b != 0)
            return false;
    return true;
}

QByteArray TaskElementBytes(const TTaskData &task)
{
    QByteArray element(TaskElementSize, '\0');
    element[0] = char(TaskElementSignature);
    element[1] = char(TaskElementVersion);
    std::memcpy(element.data() + TaskElementHeaderSize, &task, TTaskData::Size);
    return element;
}

bool TaskFromElementBytes(const QByteArray &element, TTaskData &task, uint8_t *signature, uint8_t *version)
{
    if (element.size() < TaskElementSize)
        return false;
    if (signature)
        *signature = uint8_t(element[0]);
    if (version)
        *version = uint8_t(element[1]);
    return TTaskData::FromBytes(element.constData() + TaskElementHeaderSize, TTaskData::Size, task);
}

TTaskData NewWizardTask()
{
    TTaskData task;
    task.Taskkind = tkAlarm;
    return task;
}

QString ComputerTaskTitle(const TTaskData &task)
{
    if (task.RunProgram && task.ShutdownComputer)
        return QStringLiteral("Run program and shutdown computer");
    if (task.RunProgram)
        return QStringLiteral("Run a program");
    switch (task.ShutdownType) {
    case skRestart: return QStringLiteral("Restart Computer");
    case skLogOff: return QStringLiteral("Log off ") + Desktop::UserName();
    default: return QStringLiteral("Shutdown Computer");
    }
}

bool ApplyFinishDefaults(TTaskData &task, bool adding)
{
    if (task.Taskkind == tkAutomatedTask) {
        if (!task.RunProgram && !task.ShutdownComputer)
            return false;
        task.PopupNote = false;
        task.PlaySound = false;
        task.SendEmail = false;
        task.PreWarning = false;
        task.Scheduled = task.EventDateTime;
        task.Title.Set(ComputerTaskTitle(task));
    } else if (task.Taskkind == tkAlarm) {
        if (!task.PopupNote && !task.PlaySound && !task.SendEmail) {
            task.PopupNote = true;
            task.PlaySound = true;
            task.SoundFile.Set(DefaultSoundFile);
        } else if (task.PlaySound && task.SoundFile.Len == 0) {
            task.SoundFile.Set(DefaultSoundFile);
        }
        task.RunProgram = false;
        task.ShutdownComputer = false;
    }
    task.Enabled = true;
    task.Visible = true;
    task.InService = false;
    task.Delivered = false;
    task.SpecialForm = false;
    task.ClearReserved4();
    if (adding) {
        task.LastRun = 0;
        task.Created = Clock::Now();
        task.HasRun = 0;
    }
    return true;
}

#pragma once
// The reminder record: one fixed 1888-byte block, the same bytes in memory, in
// the store file and in task files. It holds no pointers and is copied whole.
// Every field sits at a fixed offset (checked at compile time below); the pad
// bytes are members so that a record built by the program is all zero there.

#include "core/Codepage.h"
#include "core/DateTime.h"

#include <QByteArray>
#include <QString>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

static_assert(std::endian::native == std::endian::little, "records are stored little-endian as held in memory");

// A one-byte boolean as stored: any non-zero byte reads as true. A plain bool
// cannot hold the bytes other programs may have written (2..255) safely.
struct TByteBool {
    uint8_t Value = 0;

    TByteBool() = default;
    constexpr TByteBool(bool b)
        : Value(b ? 1 : 0)
    {
    }
    constexpr operator bool() const { return Value != 0; }
};
static_assert(sizeof(TByteBool) == 1 && alignof(TByteBool) == 1);

// Taskkind
enum TTaskKind : uint8_t {
    tkAutomatedTask = 0,
    tkAnniversary = 1,
    tkToDoList = 2,
    tkService = 3,
    tkReserved = 4,
    tkAlarm = 5,
};

// RepeatRule and PreWarningRule (0 and 1 are repeat rules only).
enum TScheduleRule : uint8_t {
    srWeekday = 0, // every week on weekday RepeatNFactor (1 = Monday .. 7 = Sunday)
    srMonthOfYear = 1, // every year in month RepeatNFactor (1..12)
    srDays = 2,
    srWeeks = 3,
    srMonths = 4,
    srYears = 5,
    srHours = 6,
    srMinutes = 7,
};

// ShutdownType
enum TShutdownKind : uint8_t { skShutdown = 0, skRestart = 1, skLogOff = 2 };

// Service tags: Tag of the program's own reminders (Taskkind tkService).
constexpr int32_t TAG_FULLMOON = -10;
constexpr int32_t TAG_INFODLG = -9;
constexpr int32_t TAG_BACKUP = -8;
constexpr int32_t TAG_UPDATEAUTOCHECK = -6;

// The name of a service tag as log lines print it ("TAG_UPDATEAUTOCHECK " keeps
// its trailing blank); tags without a name give their number.
QString ServiceTagName(int32_t tag);
// "Automated Task", "Anniversary", "To-Do list", "Service", "Alarm"; empty for others.
QString TaskKindName(int kind);

// How many UTF-16 units at the start of a notes text SetNotes keeps.
qsizetype NotesFitLength(const QString &text);

inline const QString DefaultSoundFile = QStringLiteral("reminder.wav");
constexpr int NotesPartLength = 250;

// The e-mail block (record offsets 666..1320), edited and copied back as one unit.
struct TEmailBlock {
    TShortText<100> EmailTo{};
    TShortText<100> EmailCc{};
    TShortText<100> EmailBcc{};
    TShortText<100> EmailSubject{};
    TShortText<250> EmailBody{};
};
static_assert(sizeof(TEmailBlock) == 655);

// The program block (record offsets 1328..1839), edited and copied back as one unit.
struct TProgramBlock {
    TShortText<200> ProgramPathname{};
    uint8_t Reserved1[201]{};
    TShortText<100> ProgramParameters{};
    uint8_t Pad{};
    uint8_t Reserved2[8]{};
};
static_assert(sizeof(TProgramBlock) == 512);

struct TTaskData {
    uint8_t Taskkind = 0;
    TByteBool PreWarning;
    TByteBool RepeatTask;
    TByteBool RepeatSound;
    uint8_t PreWarningRule = 0;
    uint8_t RepeatRule = 0;
    uint8_t Pad6[2]{};
    int32_t PreWarningNFactor = 0;
    int32_t RepeatNFactor = 0;
    int32_t HasRun = 0;
    int32_t Tag = 0;
    TDateTime EventDateTime = 0;
    TDateTime Scheduled = 0;
    TDateTime LastRun = 0;
    TDateTime Created = 0;
    TShortText<50> Title{};
    TShortText<250> Notes1{};
    TShortText<250> Notes2{};
    TByteBool PopupNote;
    TByteBool PlaySound;
    TByteBool SendEmail;
    TByteBool RunProgram;
    TByteBool ShutdownComputer;
    TByteBool DeleteAfterRun;
    TShortText<50> SoundFile{};
    TShortText<100> EmailTo{};
    TShortText<100> EmailCc{};
    TShortText<100> EmailBcc{};
    TShortText<100> EmailSubject{};
    TShortText<250> EmailBody{};
    uint8_t Pad1321[7]{};
    TShortText<200> ProgramPathname{};
    uint8_t Reserved1[201]{};
    TShortText<100> ProgramParameters{};
    uint8_t Pad1831{};
    uint8_t Reserved2[8]{};
    uint8_t Reserved3{};
    uint8_t ShutdownType = 0;
    TByteBool ExcludeWeekdays;
    TByteBool ExcludeMonday;
    TByteBool ExcludeTuesday;
    TByteBool ExcludeWednesday;
    TByteBool ExcludeThursday;
    TByteBool ExcludeFriday;
    TByteBool ExcludeSaturday;
    TByteBool ExcludeSunday;
    TByteBool Enabled;
    TByteBool SpecialForm;
    TByteBool Visible;
    TByteBool InService;
    TByteBool Delivered;
    TByteBool NewScheduleCalculated;
    TByteBool PopupNoteFormVisible;
    uint8_t Pad1857[3]{};
    int32_t ActionCount = 0;
    TDateTime SnoozeInmedTime = 0;
    uint8_t Reserved4[10]{}; // an 80-bit float, kept zero
    uint8_t Pad1882[6]{};

    static constexpr int Size = 1888;

    // Notes1 followed by Notes2.
    QString Notes() const;
    // Split into two parts of at most 250 bytes each, the first ending before
    // the character that would not fit; what fits in neither is cut.
    void SetNotes(const QString &text);

    // The exclusion flag of an ISO weekday (1 = Monday .. 7 = Sunday); false outside.
    bool IsWeekdayExcluded(int isoDay) const;
    void SetWeekdayExcluded(int isoDay, bool excluded);
    int ExcludedWeekdayCount() const;

    TEmailBlock EmailBlock() const;
    void SetEmailBlock(const TEmailBlock &block);
    TProgramBlock ProgramBlock() const;
    void SetProgramBlock(const TProgramBlock &block);

    // The 1888-byte image, and a record read back from one (false when too short).
    QByteArray ToBytes() const;
    static bool FromBytes(const char *data, qsizetype size, TTaskData &out);
    static bool FromBytes(const QByteArray &bytes, TTaskData &out)
    {
        return FromBytes(bytes.constData(), bytes.size(), out);
    }

    // A copy for pasting: identical except HasRun 0 and not delivered.
    TTaskData CopyForPaste() const;

    void ClearReserved4();
    bool Reserved4IsZero() const;
};

static_assert(std::is_standard_layout_v<TTaskData>);
static_assert(std::is_trivially_copyable_v<TTaskData>);
static_assert(sizeof(TTaskData) == 1888, "the record is 1888 bytes");
static_assert(alignof(TTaskData) == 8);
static_assert(offsetof(TTaskData, Taskkind) == 0);
static_assert(offsetof(TTaskData, PreWarning) == 1);
static_assert(offsetof(TTaskData, RepeatTask) == 2);
static_assert(offsetof(TTaskData, RepeatSound) == 3);
static_assert(offsetof(TTaskData, PreWarningRule) == 4);
static_assert(offsetof(TTaskData, RepeatRule) == 5);
static_assert(offsetof(TTaskData, Pad6) == 6);
static_assert(offsetof(TTaskData, PreWarningNFactor) == 8);
static_assert(offsetof(TTaskData, RepeatNFactor) == 12);
static_assert(offsetof(TTaskData, HasRun) == 16);
static_assert(offsetof(TTaskData, Tag) == 20);
static_assert(offsetof(TTaskData, EventDateTime) == 24);
static_assert(offsetof(TTaskData, Scheduled) == 32);
static_assert(offsetof(TTaskData, LastRun) == 40);
static_assert(offsetof(TTaskData, Created) == 48);
static_assert(offsetof(TTaskData, Title) == 56);
static_assert(offsetof(TTaskData, Notes1) == 107);
static_assert(offsetof(TTaskData, Notes2) == 358);
static_assert(offsetof(TTaskData, PopupNote) == 609);
static_assert(offsetof(TTaskData, PlaySound) == 610);
static_assert(offsetof(TTaskData, SendEmail) == 611);
static_assert(offsetof(TTaskData, RunProgram) == 612);
static_assert(offsetof(TTaskData, ShutdownComputer) == 613);
static_assert(offsetof(TTaskData, DeleteAfterRun) == 614);
static_assert(offsetof(TTaskData, SoundFile) == 615);
static_assert(offsetof(TTaskData, EmailTo) == 666);
static_assert(offsetof(TTaskData, EmailCc) == 767);
static_assert(offsetof(TTaskData, EmailBcc) == 868);
static_assert(offsetof(TTaskData, EmailSubject) == 969);
static_assert(offsetof(TTaskData, EmailBody) == 1070);
static_assert(offsetof(TTaskData, Pad1321) == 1321);
static_assert(offsetof(TTaskData, ProgramPathname) == 1328);
static_assert(offsetof(TTaskData, Reserved1) == 1529);
static_assert(offsetof(TTaskData, ProgramParameters) == 1730);
static_assert(offsetof(TTaskData, Pad1831) == 1831);
static_assert(offsetof(TTaskData, Reserved2) == 1832);
static_assert(offsetof(TTaskData, Reserved3) == 1840);
static_assert(offsetof(TTaskData, ShutdownType) == 1841);
static_assert(offsetof(TTaskData, ExcludeWeekdays) == 1842);
static_assert(offsetof(TTaskData, ExcludeMonday) == 1843);
static_assert(offsetof(TTaskData, ExcludeTuesday) == 1844);
static_assert(offsetof(TTaskData, ExcludeWednesday) == 1845);
static_assert(offsetof(TTaskData, ExcludeThursday) == 1846);
static_assert(offsetof(TTaskData, ExcludeFriday) == 1847);
static_assert(offsetof(TTaskData, ExcludeSaturday) == 1848);
static_assert(offsetof(TTaskData, ExcludeSunday) == 1849);
static_assert(offsetof(TTaskData, Enabled) == 1850);
static_assert(offsetof(TTaskData, SpecialForm) == 1851);
static_assert(offsetof(TTaskData, Visible) == 1852);
static_assert(offsetof(TTaskData, InService) == 1853);
static_assert(offsetof(TTaskData, Delivered) == 1854);
static_assert(offsetof(TTaskData, NewScheduleCalculated) == 1855);
static_assert(offsetof(TTaskData, PopupNoteFormVisible) == 1856);
static_assert(offsetof(TTaskData, Pad1857) == 1857);
static_assert(offsetof(TTaskData, ActionCount) == 1860);
static_assert(offsetof(TTaskData, SnoozeInmedTime) == 1864);
static_assert(offsetof(TTaskData, Reserved4) == 1872);
static_assert(offsetof(TTaskData, Pad1882) == 1882);
// The two blocks handed to the detail dialogs.
static_assert(offsetof(TTaskData, EmailTo) + sizeof(TEmailBlock) == offsetof(TTaskData, Pad1321));
static_assert(offsetof(TTaskData, ProgramPathname) % 8 == 0);
static_assert(offsetof(TTaskData, ProgramPathname) + sizeof(TProgramBlock) == offsetof(TTaskData, Reserved3));

// One element of the store and of a task file: signature, format version, six
// unused bytes, then the record.
constexpr int TaskElementSize = 1896;
constexpr int TaskElementHeaderSize = 8;
constexpr uint8_t TaskElementSignature = 0x1A;
constexpr uint8_t TaskElementVersion = 10;
static_assert(TaskElementHeaderSize + TTaskData::Size == TaskElementSize);

QByteArray TaskElementBytes(const TTaskData &task);
// Reads the record of an element; signature and version are reported, not judged.
bool TaskFromElementBytes(const QByteArray &element, TTaskData &task, uint8_t *signature = nullptr,
                          uint8_t *version = nullptr);

// A new record as the wizard starts it: all zero, kind Alarm.
TTaskData NewWizardTask();
// The fields the wizard sets when the user presses Finish, after it has copied
// its pages into the record. adding: a new reminder (not an edit). Returns
// false, leaving the record untouched, for a computer task without an action.
bool ApplyFinishDefaults(TTaskData &task, bool adding);
// Title of a computer task from its actions ("Log off " + the log-on name).
QString ComputerTaskTitle(const TTaskData &task);

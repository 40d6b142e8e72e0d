// Writes the seed corpus of every fuzz target into fuzz/corpus/<target>/,
// from the program's own writers where it has them, so that the seeds follow
// the formats when they change. Usage: fuzz_seed_writer <corpus folder>
#include "fuzz/FuzzSupport.h"

#include "core/DateTime.h"
#include "model/TaskData.h"
#include "storage/GlobalPreferences.h"
#include "storage/PrefStream.h"

#include <QDir>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

QString g_out;

void Seed(const char *target, const char *name, const QByteArray &bytes)
{
    const QString folder = g_out + QLatin1Char('/') + QLatin1String(target);
    QDir().mkpath(folder);
    if (!FuzzSupport::WriteFile(folder + QLatin1Char('/') + QLatin1String(name), bytes))
        FuzzSupport::Fail("a seed could not be written");
}

TTaskData WeeklyAlarm()
{
    TTaskData t = NewWizardTask();
    t.Title.Set(QStringLiteral("Team meeting"));
    t.SetNotes(QStringLiteral("Bring the figures.\r\nRoom 4 – second floor"));
    t.EventDateTime = EncodeDateTime(2024, 6, 17, 9, 30, 0, 0);
    t.PreWarning = true;
    t.PreWarningRule = srMinutes;
    t.PreWarningNFactor = 15;
    t.RepeatTask = true;
    t.RepeatRule = srWeekday;
    t.RepeatNFactor = 1;
    t.SendEmail = true;
    t.EmailTo.Set(QStringLiteral("team@example.com"));
    t.EmailSubject.Set(QStringLiteral("Meeting"));
    t.ExcludeWeekdays = true;
    t.ExcludeSaturday = true;
    t.ExcludeSunday = true;
    ApplyFinishDefaults(t, true);
    t.Scheduled = EncodeDateTime(2024, 6, 17, 9, 15, 0, 0);
    return t;
}

TTaskData MonthlyProgram()
{
    TTaskData t;
    t.Taskkind = tkAutomatedTask;
    t.RunProgram = true;
    t.ShutdownComputer = true;
    t.ShutdownType = skRestart;
    t.ProgramPathname.Set(QStringLiteral("/usr/bin/backup-tool"));
    t.ProgramParameters.Set(QStringLiteral("--all \"/home/user/My Files\""));
    t.EventDateTime = EncodeDateTime(2024, 1, 31, 23, 0, 0, 0);
    t.RepeatTask = true;
    t.RepeatRule = srMonths;
    t.RepeatNFactor = 1;
    t.HasRun = 5;
    ApplyFinishDefaults(t, true);
    return t;
}

TTaskData BackupReminder()
{
    TTaskData t;
    t.Taskkind = tkService;
    t.Tag = TAG_BACKUP;
    t.RepeatTask = true;
    t.RepeatRule = srHours;
    t.RepeatNFactor = 1;
    t.Title.Len = 1;
    t.Title.Data[0] = char(0xCD);
    t.Scheduled = t.EventDateTime = t.Created = EncodeDateTime(2024, 6, 15, 13, 0, 0, 0);
    t.Enabled = true;
    return t;
}

// What other programs and old versions leave behind.
TTaskData Damaged()
{
    TTaskData t = WeeklyAlarm();
    t.Taskkind = 9;
    t.RepeatRule = 42;
    t.RepeatNFactor = -7;
    t.Title.Len = 255;
    std::memset(t.Title.Data, ' ', sizeof t.Title.Data);
    double nan;
    const uint64_t bits = 0x7FF8000000000001ull;
    std::memcpy(&nan, &bits, sizeof nan);
    t.Scheduled = nan;
    t.LastRun = 1e300;
    t.Created = -1e6;
    t.ExcludeMonday = t.ExcludeTuesday = t.ExcludeWednesday = t.ExcludeThursday = t.ExcludeFriday = true;
    t.Delivered = 200;
    return t;
}

template <std::size_t N>
void SetRaw(TShortText<N> &field, const QByteArray &bytes)
{
    field.Clear();
    const std::size_t n = std::min<std::size_t>(N, std::size_t(bytes.size()));
    std::memcpy(field.Data, bytes.constData(), n);
    field.Len = uint8_t(n);
}

// Bytes of a given length: ASCII, then one multi-byte sequence that crosses
// the end, cut there (so not valid UTF-8).
QByteArray CutSequence(int length, const QByteArray &sequence, int kept)
{
    return QByteArray(length - kept, 'a') + sequence.left(kept);
}

// Every text field filled to its capacity, the last character one that does
// not fit whole: the writer cuts before it.
TTaskData ScriptsAtCapacity()
{
    TTaskData t = WeeklyAlarm();
    const auto fill = [](auto &field, const QString &text) {
        QString s;
        while (s.toUtf8().size() <= int(field.Capacity))
            s += text;
        field.Set(s);
    };
    fill(t.Title, QStringLiteral("Zadzwoń 日本 "));
    fill(t.SoundFile, QStringLiteral("Привет"));
    fill(t.EmailTo, QStringLiteral("Καλημέρα"));
    fill(t.EmailCc, QStringLiteral("会議"));
    fill(t.EmailBcc, QStringLiteral("🎉😀"));
    fill(t.EmailSubject, QStringLiteral("żółć "));
    fill(t.EmailBody, QStringLiteral("Crème brûlée ✓ "));
    fill(t.ProgramPathname, QStringLiteral("/home/użytkownik/日本"));
    fill(t.ProgramParameters, QStringLiteral("--név=Ünnep "));
    QString notes;
    while (notes.toUtf8().size() < 520)
        notes += QStringLiteral("Привет 日本 🎉\r\n");
    t.SetNotes(notes);
    return t;
}

// Texts an older version wrote in its code page, and sequences cut at every
// capacity (also across the split of the notes) as damaged files hold them.
TTaskData CutSequences()
{
    TTaskData t = WeeklyAlarm();
    SetRaw(t.Title, QByteArray("Caf\xE9 \x96 R\xE9union \x80"));
    const QByteArray euro("\xE2\x82\xAC"), emoji("\xF0\x9F\x98\x80");
    SetRaw(t.Notes1, CutSequence(250, emoji, 2));
    SetRaw(t.Notes2, emoji.mid(2) + CutSequence(248, euro, 1));
    SetRaw(t.SoundFile, CutSequence(50, euro, 2));
    SetRaw(t.EmailTo, CutSequence(100, emoji, 3));
    SetRaw(t.EmailCc, CutSequence(100, QByteArray("\xC5\x84"), 1));
    SetRaw(t.EmailBcc, QByteArray("\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\xFF\xFE"));
    SetRaw(t.EmailSubject, CutSequence(100, euro, 1));
    SetRaw(t.EmailBody, CutSequence(250, emoji, 1));
    SetRaw(t.ProgramPathname, CutSequence(200, euro, 2));
    SetRaw(t.ProgramParameters, CutSequence(100, emoji, 3));
    return t;
}

// The defaults, with a store folder that does not name the sandbox (whose
// name changes from run to run).
TPreferences DefaultPreferences()
{
    TPreferences p(QStringLiteral("Brivane"));
    p.SetTaskStoreFolder(QStringLiteral("/home/user/Documents/Brivane"));
    return p;
}

QByteArray PreferencesWithEverything()
{
    TPreferences p = DefaultPreferences();
    p.SetTag(-3);
    p.SetHost(QStringLiteral("smtp.example.org"));
    p.SetUserID(QStringLiteral("jörg")); // written as UTF-8
    p.SetPassword(QStringLiteral("s3cret"));
    p.SetFromName(QStringLiteral("Brivane – 提醒"));
    p.SetEmailSignature(QString(300, QLatin1Char('x'))); // cut, written as a long string
    p.SetFontName(QStringLiteral("DejaVu Sans"));
    p.SetFontSize(-13);
    p.SetFontStyle(FontStyleBit(fsBold) | FontStyleBit(fsStrikeOut));
    p.SetFontCharset(204);
    p.SetFontColor(0x123456);
    p.SetEmailActionWaittime(200);
    p.SetSnoozeType(3, stMonths);
    p.SetSnoozeN(2, 100000);
    p.SetLastRun(EncodeDateTime(2024, 6, 15, 12, 0, 0, 0));
    p.SetMissedTasksTreatment(mtDontShowbutReschedule);
    return p.ToFileBytes();
}

// The forms other writers use: filer flags, identifiers for booleans, 64-bit
// and double values, and properties this version does not know.
QByteArray PreferencesFromOtherWriters()
{
    using namespace PrefStream;
    TWriter w;
    w.WriteByte('T');
    w.WriteByte('P');
    w.WriteByte('F');
    w.WriteByte('0');
    w.WriteByte(0xF2);
    w.WriteInteger(3);
    w.WriteShortString("TPreferences");
    w.WriteShortString("Prefs");
    w.WriteShortString("EnableToolbar");
    w.WriteIdent("False");
    w.WriteShortString("TooltipDisplayTime");
    w.WriteByte(vaInt64);
    for (int i = 0; i < 8; ++i)
        w.WriteByte(i == 0 ? 0x10 : 0);
    w.WriteShortString("LastRun");
    w.WriteByte(vaDouble);
    const double v = 45000.5;
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int i = 0; i < 8; ++i)
        w.WriteByte(uint8_t(bits >> (8 * i)));
    w.WriteShortString("FontColor");
    w.WriteIdent("clWindowText");
    w.WriteShortString("FontCharset");
    w.WriteIdent("DEFAULT_CHARSET");
    w.WriteShortString("FutureOption");
    w.WriteSet({"alpha", "beta"});
    w.WriteShortString("FutureText");
    w.WriteText(QStringLiteral("from a newer version"));
    w.WriteShortString("Snooze2Type");
    w.WriteIdent("stWeeks");
    w.WriteEnd();
    return WrapResource("TPreferences", w.Data());
}

// Texts in many scripts at their capacities, and texts in the forms older
// files hold them: code-page bytes, UTF-8 in a short string, cut sequences,
// bad UTF-8 in a UTF-8 string and a lone surrogate in UTF-16.
QByteArray PreferencesWithScripts()
{
    TPreferences p = DefaultPreferences();
    const auto fill = [](const QString &text, int capacity) {
        QString s;
        while (s.toUtf8().size() <= capacity)
            s += text;
        return s;
    };
    p.SetHost(fill(QStringLiteral("smtp.zürich.日本"), TPreferences::kTextCapacity));
    p.SetFromName(fill(QStringLiteral("Zadzwoń 🎉"), TPreferences::kTextCapacity));
    p.SetEmailSignature(fill(QStringLiteral("Привет, Καλημέρα ✓\r\n"), TPreferences::kEmailSignatureCapacity));
    p.SetTaskStoreFolder(fill(QStringLiteral("/home/użytkownik/会議"), TPreferences::kTaskStoreFolderCapacity));
    return p.ToFileBytes();
}

QByteArray PreferencesInOldTextForms()
{
    using namespace PrefStream;
    const auto shortString = [](TWriter &w, const QByteArray &bytes) {
        w.WriteByte(vaString);
        w.WriteShortString(bytes);
    };
    const auto longForm = [](TWriter &w, uint8_t type, const QByteArray &bytes, int count) {
        w.WriteByte(type);
        for (int i = 0; i < 4; ++i)
            w.WriteByte(uint8_t(uint32_t(count) >> (8 * i)));
        for (const char c : bytes)
            w.WriteByte(uint8_t(c));
    };
    TWriter w;
    w.WriteHeader("TPreferences", QByteArray());
    w.WriteShortString("Host");
    shortString(w, CutSequence(50, QByteArray("\xE2\x82\xAC"), 2));
    w.WriteShortString("UserID");
    shortString(w, QByteArray("j\xF6rg"));
    w.WriteShortString("Password");
    shortString(w, QByteArray("p\xC3\xA4ss \xF0\x9F\x98\x80"));
    w.WriteShortString("FromName");
    longForm(w, vaUTF8String, QByteArray("bad \xC0\xAF \xED\xA0\x80 \xF0\x9F"), 12);
    w.WriteShortString("EmailSignature");
    longForm(w, vaLString, CutSequence(250, QByteArray("\xF0\x9F\x98\x80"), 3) + "\xE9\xE9\xE9", 253);
    w.WriteShortString("FontName");
    longForm(w, vaWString,
             QByteArray("A\0\x3D\xD8"
                        "B\0",
                        6),
             3);
    w.WriteShortString("TaskStoreFolder");
    shortString(w, QByteArray("/home/J\xFCrgen/Dokumente"));
    w.WriteEnd();
    return WrapResource("TPreferences", w.Data());
}

// Numbers at the edges of what the stream holds.
QByteArray PreferencesAtTheEdges()
{
    TPreferences p = DefaultPreferences();
    p.SetTag(INT32_MAX);
    p.SetFontSize(-INT32_MAX);
    p.SetHotKey1(INT32_MIN);
    p.SetSnoozeN(1, INT32_MIN);
    p.SetSnoozeN(4, -1);
    p.SetStartofWeek(-1);
    p.SetTooltipDisplayTime(-32769);
    p.SetFontColor(TColor(0xFF0000FFu));
    p.SetFontCharset(255);
    p.SetLastRun(-693594.5);
    return p.ToFileBytes();
}

QByteArray DateSeed(TDateTime dt, const char *pattern)
{
    QByteArray out(reinterpret_cast<const char *>(&dt), sizeof dt);
    out.append(pattern);
    return out;
}

// The layout the ini target's FuzzedDataProvider reads: three texts, each
// ended by a backslash and one more byte, then the file.
QByteArray IniSeed(const char *section, const char *key, const char *value, const char *file)
{
    return QByteArray(section) + "\\;" + key + "\\;" + value + "\\;" + file;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    FuzzSupport::Prepare(FuzzSupport::TApp::Gui);

    Seed("fuzz_task_element", "weekly-alarm.tsk", TaskElementBytes(WeeklyAlarm()));
    Seed("fuzz_task_element", "monthly-program.tsk", TaskElementBytes(MonthlyProgram()));
    Seed("fuzz_task_element", "damaged.tsk", TaskElementBytes(Damaged()));
    Seed("fuzz_task_element", "scripts-at-capacity.tsk", TaskElementBytes(ScriptsAtCapacity()));
    Seed("fuzz_task_element", "cut-sequences.tsk", TaskElementBytes(CutSequences()));

    TTaskData notice = WeeklyAlarm();
    notice.Tag = TAG_INFODLG;
    QByteArray store = TaskElementBytes(BackupReminder()) + TaskElementBytes(WeeklyAlarm()) + TaskElementBytes(notice);
    Seed("fuzz_store_file", "three.dat", store);
    QByteArray older = TaskElementBytes(MonthlyProgram());
    older[1] = 9;
    Seed("fuzz_store_file", "older-format.dat", older);
    Seed("fuzz_store_file", "cut-without-backup.dat", TaskElementBytes(Damaged()) + QByteArray(40, '\x1A'));
    Seed("fuzz_store_file", "scripts.dat",
         TaskElementBytes(BackupReminder()) + TaskElementBytes(ScriptsAtCapacity()) + TaskElementBytes(CutSequences()));

    Seed("fuzz_preferences", "defaults.pfc", DefaultPreferences().ToFileBytes());
    Seed("fuzz_preferences", "everything.pfc", PreferencesWithEverything());
    Seed("fuzz_preferences", "other-writers.pfc", PreferencesFromOtherWriters());
    Seed("fuzz_preferences", "edges.pfc", PreferencesAtTheEdges());
    Seed("fuzz_preferences", "scripts.pfc", PreferencesWithScripts());
    Seed("fuzz_preferences", "old-text-forms.pfc", PreferencesInOldTextForms());

    Seed("fuzz_ini_file", "program.ini",
         IniSeed("Tasklist", "SortBy", "4",
                 "[Preferences]\r\nDB=/home/user/Documents/Brivane\r\n\r\n[Tasklist]\r\nSortBy=1\r\n\r\n"
                 "[Debug]\r\nLevel=$1F\r\nMode=0x2\r\n"));
    Seed("fuzz_ini_file", "odd.ini",
         IniSeed("debug", "mode", "'quoted'",
                 "; comment=yes\n[ Debug ]\nmode = \"7\"\n[Debug]\nMode=8\n[broken\n=empty key\n"));

    Seed("fuzz_date_format", "log-stamp", DateSeed(45458.5208333, "ddd, d mmm yyyy \"at\" hh:mm:ss"));
    Seed("fuzz_date_format", "twelve-hour", DateSeed(-1.75, "dddd dd/mm/yy h:n:s.zzz am/pm 'literal' c"));
    Seed("fuzz_date_format", "qt-format", DateSeed(2958465.99, "dd MMMM yyyy HH:mm:ss AP t z"));
    Seed("fuzz_date_format", "ampm", DateSeed(0.999, "hh:mm a/p ampm ddddd dddddd mmmm"));
    return 0;
}

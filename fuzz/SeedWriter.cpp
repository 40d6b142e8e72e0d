// Writes the seed corpus of every fuzz target into fuzz/corpus/<target>/,
// from the program's own writers where it has them, so that the seeds follow
// the formats when they change. Usage: fuzz_seed_writer <corpus folder>
#include "fuzz/FuzzSupport.h"

#include "core/DateTime.h"
#include "model/TaskData.h"
#include "storage/GlobalPreferences.h"
#include "storage/PrefStream.h"

#include <QDir>
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
    p.SetUserID(QStringLiteral("jörg")); // code page, written as UTF-8
    p.SetPassword(QStringLiteral("s3cret"));
    p.SetFromName(QStringLiteral("Brivane – 提醒")); // written as UTF-16
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

    TTaskData notice = WeeklyAlarm();
    notice.Tag = TAG_INFODLG;
    QByteArray store = TaskElementBytes(BackupReminder()) + TaskElementBytes(WeeklyAlarm()) + TaskElementBytes(notice);
    Seed("fuzz_store_file", "three.dat", store);
    QByteArray older = TaskElementBytes(MonthlyProgram());
    older[1] = 9;
    Seed("fuzz_store_file", "older-format.dat", older);
    Seed("fuzz_store_file", "cut-without-backup.dat", TaskElementBytes(Damaged()) + QByteArray(40, '\x1A'));

    Seed("fuzz_preferences", "defaults.pfc", DefaultPreferences().ToFileBytes());
    Seed("fuzz_preferences", "everything.pfc", PreferencesWithEverything());
    Seed("fuzz_preferences", "other-writers.pfc", PreferencesFromOtherWriters());
    Seed("fuzz_preferences", "edges.pfc", PreferencesAtTheEdges());

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

#include "core/Codepage.h"
#include "core/vornIniFile.h"
#include "core/vornLogFile.h"
#include "storage/GlobalPreferences.h"
#include "platform/TextLookGui.h"
#include "storage/PrefExtended.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <utility>

using TestSupport::PinnedClock;
using TestSupport::ReadAll;
using TestSupport::WriteAll;

namespace {

// 1 Jan 2025 12:00, whose extended form is worked out by hand below.
constexpr double kNoon2025 = 45658.5;
const QByteArray kNoon2025Extended = QByteArray::fromHex("0000000000805AB20E40");

using TempLog = TestSupport::CapturedLog;

// Hand-written stream pieces, independent of the program's writer.
QByteArray Short(const QByteArray &s)
{
    return char(s.size()) + s;
}
QByteArray Le32(uint32_t v)
{
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b.append(char(uint8_t(v >> (8 * i))));
    return b;
}
QByteArray Prop(const QByteArray &name, const QByteArray &value)
{
    return Short(name) + value;
}
QByteArray Ident(const QByteArray &s)
{
    return '\x07' + Short(s);
}
QByteArray Str(const QString &s)
{
    return '\x06' + Short(s.toLatin1());
}
QByteArray Wrap(const QByteArray &stream)
{
    return QByteArray("\xFF\x0A\x00", 3) + QByteArray("TPREFERENCES\0", 13) + QByteArray("\x30\x10", 2)
           + Le32(uint32_t(stream.size())) + stream;
}
QByteArray StreamStart()
{
    return QByteArray("TPF0") + Short("TPreferences") + QByteArray(1, '\0');
}
const QByteArray F("\x08", 1);
const QByteArray T("\x09", 1);
QByteArray I8(int v)
{
    return QByteArray(1, '\x02') + char(int8_t(v));
}

// The value-type byte that follows a property name in a file image.
int TypeAfter(const QByteArray &file, const QByteArray &name)
{
    const int at = int(file.indexOf(Short(name)));
    return at < 0 ? -1 : uint8_t(file[at + name.size() + 1]);
}

class PreferencesFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path() const { return dir.path() + QStringLiteral("/Brivane.pfc"); }
};

} // namespace

TEST(PreferencesFile, DefaultFileIsByteExact)
{
    PinnedClock clock(kNoon2025);
    TPreferences prefs(QStringLiteral("Brivane"), QStringLiteral("Brivane"));

    QByteArray s = StreamStart();
    s += Prop("MissedTasksTreatment", Ident("mtShowAll"));
    s += Prop("Host", Str(prefs.Host()));
    s += Prop("Port", Str(QStringLiteral("25")));
    s += Prop("Fromaddress", Str(prefs.Fromaddress()));
    s += Prop("FromName", Str(QStringLiteral("Brivane User")));
    s += Prop("SMTPRequiresAuthentication", F);
    s += Prop("TooltipDisplayTime", QByteArray("\x03\xA0\x0F", 3));
    s += Prop("EmailActionWaittime", I8(5));
    s += Prop("RunprogramWaittime", I8(20));
    s += Prop("ShutdownWaittime", I8(50));
    s += Prop("ShowOnlyRunOnceMissedTasks", T);
    s += Prop("EnableToolbar", T);
    s += Prop("ShowToolbuttonsText", T);
    s += Prop("UseSmallToolbarIcons", F);
    s += Prop("CopyNotesToemailBody", T);
    s += Prop("Snooze1N", I8(5)) + Prop("Snooze1Type", Ident("stMinutes"));
    s += Prop("Snooze2N", I8(1)) + Prop("Snooze2Type", Ident("stHours"));
    s += Prop("Snooze3N", I8(1)) + Prop("Snooze3Type", Ident("stDays"));
    s += Prop("Snooze4N", I8(1)) + Prop("Snooze4Type", Ident("stWeeks"));
    s += Prop("EditableNotes", F);
    s += Prop("MoveDelTasksToRecycleBin", T);
    s += Prop("ShowFullMoons", T);
    s += Prop("NeverShowSplash", F);
    s += Prop("FontStyle", QByteArray("\x0B\x00", 2));
    s += Prop("FontSize", I8(0));
    s += Prop("FontCharset", Ident("ANSI_CHARSET"));
    s += Prop("FontColor", Ident("clBlack"));
    s += Prop("LastRun", '\x05' + kNoon2025Extended);
    s += Prop("RunOnStartup", T);
    s += Prop("ShowDisabledTasks", T);
    s += Prop("TaskStoreFolder", Str(prefs.TaskStoreFolder()));
    s += Prop("TimeBase24hour", F);
    s += Prop("HotKey1", I8('T'));
    s += Prop("HotKey2", I8('L'));
    s += Prop("StartofWeek", I8(7));
    s += QByteArray(2, '\0');

    EXPECT_EQ(prefs.ToFileBytes().toHex(' '), Wrap(s).toHex(' '));
    EXPECT_TRUE(prefs.TaskStoreFolder().endsWith(QStringLiteral("/Brivane")));
    EXPECT_FALSE(prefs.Host().isEmpty());
    EXPECT_TRUE(prefs.Fromaddress().contains(QLatin1Char('@')));
}

TEST_F(PreferencesFileTest, FirstLoadWritesDefaultsPrivatelyAndSetsIniKey)
{
    PinnedClock clock(kNoon2025);
    TempLog log;
    TvornIniFile ini(dir.path() + QStringLiteral("/Brivane.ini"));

    TPreferences prefs(QStringLiteral("Brivane"), QStringLiteral("Brivane"));
    prefs.SetFilePath(Path());
    EXPECT_TRUE(prefs.LoadPreferences(&ini));

    EXPECT_EQ(ReadAll(Path()), prefs.ToFileBytes());
    // The file holds the SMTP password in clear.
    EXPECT_EQ(QFileInfo(Path()).permissions(),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Preferences"), QStringLiteral("DB"), QString()), prefs.TaskStoreFolder());
    EXPECT_TRUE(log.Text().contains(QStringLiteral("Info: Preferences Opened.")));
    EXPECT_FALSE(log.Text().contains(QStringLiteral("Preferences saved.")));
    EXPECT_FALSE(log.Text().contains(QStringLiteral("Error")));
}

TEST_F(PreferencesFileTest, SaveReplacesAWorldReadableFileWithAPrivateOne)
{
    TempLog log;
    ASSERT_TRUE(WriteAll(Path(), QByteArray("old contents")));
    QFile(Path()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                 | QFileDevice::ReadOther);
    TPreferences prefs(QStringLiteral("Brivane"));
    prefs.SetFilePath(Path());
    prefs.SetPassword(QStringLiteral("s3cret"));
    EXPECT_TRUE(prefs.SavePreferences());

    EXPECT_EQ(ReadAll(Path()), prefs.ToFileBytes());
    EXPECT_FALSE(QFileInfo(Path()).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther));
    EXPECT_TRUE(log.Text().contains(QStringLiteral("Info: Preferences saved.")));
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(PreferencesFileTest, SaveIntoAnUnwritablePlaceReportsFailure)
{
    TempLog log;
    ASSERT_TRUE(WriteAll(dir.path() + QStringLiteral("/blocker"), "x"));
    TPreferences prefs(QStringLiteral("Brivane"));
    prefs.SetFilePath(dir.path() + QStringLiteral("/blocker/Brivane.pfc"));
    EXPECT_FALSE(prefs.SavePreferences());
    EXPECT_FALSE(log.Text().contains(QStringLiteral("Preferences saved.")));
    EXPECT_TRUE(log.Text().contains(QStringLiteral("Error: Preferences: ")));
}

TEST(PreferencesFile, EveryValueTypeRoundTrips)
{
    PinnedClock clock(kNoon2025);
    TPreferences out(QStringLiteral("Brivane"));
    out.SetTag(123456);
    out.SetMissedTasksTreatment(mtDontShowbutReschedule);
    out.SetHost(QStringLiteral("smtp.zürich.example")); // UTF-8 shorter than 2 bytes a character
    out.SetPort(QStringLiteral("587"));
    out.SetUserID(QStringLiteral("someone"));
    out.SetPassword(QStringLiteral("pa ss"));
    out.SetFromName(QStringLiteral("ÉÀÜ日本")); // UTF-8 even where UTF-16 would be shorter
    out.SetEmailSignature(QStringLiteral("Regards,\r\nme"));
    out.SetSMTPRequiresAuthentication(true);
    out.SetTooltipDisplayTime(-70000); // type 4
    out.SetEmailActionWaittime(255);
    out.SetRunprogramWaittime(200);
    out.SetShutdownWaittime(0);
    out.SetShowOnlyRunOnceMissedTasks(false);
    out.SetSnooze1N(-200); // type 3
    out.SetSnooze1Type(stMonths);
    out.SetSnooze2N(-5); // type 2
    out.SetSnooze3N(40000);
    out.SetSnooze4Type(stMinutes);
    out.SetFontStyle(FontStyleBit(fsBold) | FontStyleBit(fsStrikeOut));
    out.SetFontName(QString(300, QLatin1Char('F'))); // type 12
    out.SetFontSize(-13);
    out.SetFontCharset(204);
    out.SetFontColor(0x123456); // no standard name: a number
    out.SetLastRun(-1.25);
    out.SetRunOnStartup(false);
    out.SetTaskStoreFolder(QStringLiteral("/data/tasks"));
    out.SetTimeBase24hour(true);
    out.SetHotKey1('Q');
    out.SetHotKey2('Z');
    out.SetStartofWeek(1);

    const QByteArray file = out.ToFileBytes();
    EXPECT_EQ(TypeAfter(file, "Tag"), 4);
    EXPECT_EQ(TypeAfter(file, "Host"), 20);
    EXPECT_EQ(TypeAfter(file, "FromName"), 20);
    EXPECT_EQ(TypeAfter(file, "FontName"), 12);
    EXPECT_EQ(TypeAfter(file, "TooltipDisplayTime"), 4);
    EXPECT_EQ(TypeAfter(file, "Snooze1N"), 3);
    EXPECT_EQ(TypeAfter(file, "Snooze2N"), 2);
    EXPECT_EQ(TypeAfter(file, "EmailActionWaittime"), 3);
    EXPECT_EQ(TypeAfter(file, "FontColor"), 4);
    EXPECT_EQ(TypeAfter(file, "FontCharset"), 7);
    EXPECT_TRUE(file.contains(Short("RUSSIAN_CHARSET")));
    EXPECT_TRUE(file.contains(QByteArray("\x0B\x06"
                                         "fsBold\x0B"
                                         "fsStrikeOut\x00",
                                         21)));

    TPreferences in(QStringLiteral("Other"));
    QString error;
    ASSERT_TRUE(in.ReadFileBytes(file, &error)) << error.toStdString();
    EXPECT_EQ(in.Tag(), 123456);
    EXPECT_EQ(in.MissedTasksTreatment(), mtDontShowbutReschedule);
    EXPECT_EQ(in.Host(), out.Host());
    EXPECT_EQ(in.Port(), QStringLiteral("587"));
    EXPECT_EQ(in.UserID(), QStringLiteral("someone"));
    EXPECT_EQ(in.Password(), QStringLiteral("pa ss"));
    EXPECT_EQ(in.FromName(), QStringLiteral("ÉÀÜ日本"));
    EXPECT_EQ(in.EmailSignature(), QStringLiteral("Regards,\r\nme"));
    EXPECT_TRUE(in.SMTPRequiresAuthentication());
    EXPECT_EQ(in.TooltipDisplayTime(), -70000);
    EXPECT_EQ(in.EmailActionWaittime(), 255);
    EXPECT_EQ(in.RunprogramWaittime(), 200);
    EXPECT_EQ(in.ShutdownWaittime(), 0);
    EXPECT_FALSE(in.ShowOnlyRunOnceMissedTasks());
    EXPECT_EQ(in.Snooze1N(), -200);
    EXPECT_EQ(in.Snooze1Type(), stMonths);
    EXPECT_EQ(in.Snooze2N(), -5);
    EXPECT_EQ(in.Snooze3N(), 40000);
    EXPECT_EQ(in.Snooze4Type(), stMinutes);
    EXPECT_EQ(in.FontStyle(), FontStyleBit(fsBold) | FontStyleBit(fsStrikeOut));
    EXPECT_EQ(in.FontName(), QString(300, QLatin1Char('F')));
    EXPECT_EQ(in.FontSize(), -13);
    EXPECT_EQ(in.FontCharset(), 204);
    EXPECT_EQ(in.FontColor(), 0x123456);
    EXPECT_EQ(in.LastRun(), -1.25);
    EXPECT_FALSE(in.RunOnStartup());
    EXPECT_EQ(in.TaskStoreFolder(), QStringLiteral("/data/tasks"));
    EXPECT_TRUE(in.TimeBase24hour());
    EXPECT_EQ(in.HotKey1(), 'Q');
    EXPECT_EQ(in.HotKey2(), 'Z');
    EXPECT_EQ(in.StartofWeek(), 1);
    // Read back, the file is the same again.
    EXPECT_EQ(in.ToFileBytes(), file);
}

TEST(PreferencesFile, EmptyTextsAndZeroLastRunAreLeftOut)
{
    TPreferences prefs(QStringLiteral("Brivane"));
    prefs.SetLastRun(0);
    prefs.SetHost(QString());
    const QByteArray file = prefs.ToFileBytes();
    for (const char *absent : {"Host", "UserID", "Password", "EmailSignature", "FontName", "LastRun", "Tag"})
        EXPECT_EQ(TypeAfter(file, absent), -1) << absent;
}

TEST_F(PreferencesFileTest, ShortFileKeepsWhatWasReadAndLogs)
{
    TempLog log;
    QByteArray s = StreamStart();
    s += Prop("MissedTasksTreatment", Ident("mtDontShowbutReschedule"));
    s += Prop("Host", Str(QStringLiteral("mail.short.test")));
    s += Prop("Port", Str(QStringLiteral("587")));
    ASSERT_TRUE(WriteAll(Path(), Wrap(s)));

    TPreferences prefs(QStringLiteral("Brivane"));
    const QString defaultFrom = prefs.Fromaddress();
    prefs.SetFilePath(Path());
    EXPECT_FALSE(prefs.LoadPreferences());
    EXPECT_EQ(prefs.MissedTasksTreatment(), mtDontShowbutReschedule);
    EXPECT_EQ(prefs.Host(), QStringLiteral("mail.short.test"));
    EXPECT_EQ(prefs.Port(), QStringLiteral("587"));
    EXPECT_EQ(prefs.Fromaddress(), defaultFrom);
    EXPECT_EQ(prefs.ShutdownWaittime(), 50);
    EXPECT_EQ(prefs.StartofWeek(), 7);
    EXPECT_TRUE(log.Text().contains(QStringLiteral("Error: Preferences: Stream read error")));
    EXPECT_TRUE(log.Text().contains(QStringLiteral("Info: Preferences Opened.")));
    // A damaged file is not overwritten by loading.
    EXPECT_EQ(ReadAll(Path()), Wrap(s));
}

TEST(PreferencesFile, FaultsStopReadingAtThePointOfTheFault)
{
    struct Case {
        const char *what;
        QByteArray file;
        QString expectedError;
    };
    const QByteArray host = Prop("Host", Str(QStringLiteral("read.before.fault")));
    const QByteArray port = Prop("Port", Str(QStringLiteral("2525")));
    const QByteArray end(2, '\0');
    const Case cases[] = {
        {"unknown name with an unknown value type",
         Wrap(StreamStart() + host + Prop("Colour", QByteArray("\x63\x01", 2)) + port + end),
         QStringLiteral(
             "Error reading Preferences.Colour: Property Colour does not exist; its value type 99 cannot be skipped")},
        {"unknown name cut inside its value",
         Wrap(StreamStart() + host
              + Prop("Colour", QByteArray("\x0C\x09\x00\x00\x00"
                                          "abc",
                                          8))),
         QStringLiteral("Error reading Preferences.Colour: Stream read error")},
        {"text given a number", Wrap(StreamStart() + host + Prop("Port", I8(25)) + end),
         QStringLiteral("Error reading Preferences.Port: Invalid property value")},
        {"unknown enumeration name", Wrap(StreamStart() + host + Prop("Snooze1Type", Ident("stYears")) + port + end),
         QStringLiteral("Error reading Preferences.Snooze1Type: Invalid property value")},
        {"boolean given a text",
         Wrap(StreamStart() + host + Prop("EditableNotes", Str(QStringLiteral("yes"))) + port + end),
         QStringLiteral("Error reading Preferences.EditableNotes: Invalid property value")},
        {"cut inside a value", Wrap(StreamStart() + host + Prop("TooltipDisplayTime", QByteArray("\x04\x01\x02", 3))),
         QStringLiteral("Error reading Preferences.TooltipDisplayTime: Stream read error")},
    };
    for (const Case &c : cases) {
        TPreferences prefs(QStringLiteral("Brivane"));
        QString error;
        EXPECT_FALSE(prefs.ReadFileBytes(c.file, &error)) << c.what;
        EXPECT_EQ(error, c.expectedError) << c.what;
        EXPECT_EQ(prefs.Host(), QStringLiteral("read.before.fault")) << c.what;
        EXPECT_EQ(prefs.Port(), QStringLiteral("25")) << c.what;
        EXPECT_EQ(prefs.Snooze1Type(), stMinutes) << c.what;
        EXPECT_FALSE(prefs.EditableNotes()) << c.what;
        EXPECT_EQ(prefs.TooltipDisplayTime(), 4000) << c.what;
    }

    // Not a preferences file at all: nothing changes.
    for (const QByteArray &bad :
         {QByteArray(), QByteArray("\xFF\x0A", 2), QByteArray("hello world"),
          Wrap(QByteArray("TPF1") + Short("TPreferences") + QByteArray(1, '\0') + host + end)}) {
        TPreferences prefs(QStringLiteral("Brivane"));
        const QString host0 = prefs.Host();
        QString error;
        EXPECT_FALSE(prefs.ReadFileBytes(bad, &error));
        EXPECT_EQ(error, QStringLiteral("Invalid stream format"));
        EXPECT_EQ(prefs.Host(), host0);
    }
}

TEST_F(PreferencesFileTest, UnknownPropertiesOfEveryValueTypeAreSkippedWithAWarning)
{
    // Values that would be misread as a following name when skipped by the wrong length.
    const QByteArray eightBytes("\x04Port\x06\x01!", 8);
    const struct {
        const char *what;
        QByteArray value;
    } unknown[] = {
        {"null", QByteArray("\x00", 1)},
        {"false", F},
        {"true", T},
        {"int8", I8(-3)},
        {"int16", QByteArray("\x03\x04\x05", 3)},
        {"int32", QByteArray("\x04\x04\x05\x06\x07", 5)},
        {"int64", QByteArray("\x13", 1) + eightBytes},
        {"extended", '\x05' + kNoon2025Extended},
        {"date", QByteArray("\x11", 1) + eightBytes},
        {"double", QByteArray("\x15", 1) + eightBytes},
        {"short text", Str(QStringLiteral("\x04Port"))},
        {"long text", QByteArray("\x0C", 1) + Le32(300) + QByteArray(300, '\x04')},
        {"wide text", QByteArray("\x12", 1) + Le32(3) + QByteArray("P\0o\0r\0", 6)},
        {"UTF-8 text", QByteArray("\x14", 1) + Le32(5) + QByteArray("Jos\xC3\xA9")},
        {"identifier", Ident("clFuture")},
        {"set", QByteArray("\x0B\x06"
                           "fsBold\x04Port\x00",
                           14)},
        {"empty set", QByteArray("\x0B\x00", 2)},
    };
    for (const auto &c : unknown) {
        QByteArray s = StreamStart();
        s += Prop("Host", Str(QStringLiteral("before.unknown")));
        s += Prop("FutureOption", c.value);
        s += Prop("Port", Str(QStringLiteral("2525")));
        s += Prop("Snooze1Type", Ident("stDays"));
        s += Prop("LastRun", '\x05' + kNoon2025Extended);
        s += Prop("StartofWeek", I8(2));
        s += QByteArray(2, '\0');

        TPreferences prefs(QStringLiteral("Brivane"));
        QString error;
        QStringList skipped;
        EXPECT_TRUE(prefs.ReadFileBytes(Wrap(s), &error, &skipped)) << c.what << ": " << error.toStdString();
        EXPECT_EQ(skipped, QStringList{QStringLiteral("FutureOption")}) << c.what;
        EXPECT_EQ(prefs.Host(), QStringLiteral("before.unknown")) << c.what;
        EXPECT_EQ(prefs.Port(), QStringLiteral("2525")) << c.what;
        EXPECT_EQ(prefs.Snooze1Type(), stDays) << c.what;
        EXPECT_EQ(prefs.LastRun(), kNoon2025) << c.what;
        EXPECT_EQ(prefs.StartofWeek(), 2) << c.what;
    }

    // Through the file: each skipped name is logged, the load counts as good and nothing is set aside.
    TempLog log;
    QByteArray s = StreamStart() + Prop("OldOption", I8(1)) + Prop("Port", Str(QStringLiteral("2626")))
                   + Prop("NewOption", Ident("x")) + QByteArray(2, '\0');
    ASSERT_TRUE(WriteAll(Path(), Wrap(s)));
    TPreferences prefs(QStringLiteral("Brivane"));
    prefs.SetFilePath(Path());
    EXPECT_TRUE(prefs.LoadPreferences());
    EXPECT_EQ(prefs.Port(), QStringLiteral("2626"));
    EXPECT_TRUE(log.Text().contains(QStringLiteral("Warning: Preferences: unknown property OldOption skipped")));
    EXPECT_TRUE(log.Text().contains(QStringLiteral("Warning: Preferences: unknown property NewOption skipped")));
    EXPECT_FALSE(log.Text().contains(QStringLiteral("Error")));
    EXPECT_FALSE(QFileInfo::exists(Path() + QStringLiteral(".bad")));
}

TEST_F(PreferencesFileTest, AnUnreadableFileIsSetAsideOnceBeforeItIsOverwritten)
{
    TempLog log;
    const QByteArray port = Prop("Port", Str(QStringLiteral("2525")));
    const QByteArray end(2, '\0');
    const struct {
        const char *what;
        QByteArray file;
        bool setAside;
    } cases[] = {
        {"unknown value type", Wrap(StreamStart() + Prop("FutureOption", QByteArray("\x63\x00", 2)) + port + end),
         true},
        {"wrong signature", Wrap(QByteArray("TPF1") + Short("TPreferences") + QByteArray(1, '\0') + port + end), true},
        {"no wrapper", QByteArray("hello world"), true},
        {"cut short", Wrap(StreamStart() + port), true},
        {"good file", Wrap(StreamStart() + port + end), false},
        {"good file with an unknown property", Wrap(StreamStart() + Prop("FutureOption", I8(1)) + port + end), false},
    };
    const QString bad = Path() + QStringLiteral(".bad");
    for (const auto &c : cases) {
        QFile::remove(bad);
        ASSERT_TRUE(WriteAll(Path(), c.file)) << c.what;
        TPreferences prefs(QStringLiteral("Brivane"));
        prefs.SetFilePath(Path());
        EXPECT_EQ(prefs.LoadPreferences(), !c.setAside) << c.what;
        EXPECT_EQ(QFileInfo::exists(bad), c.setAside) << c.what;
        if (!c.setAside)
            continue;
        EXPECT_EQ(ReadAll(bad), c.file) << c.what;
        // It holds the SMTP password in clear like the file itself.
        EXPECT_FALSE(QFileInfo(bad).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther)) << c.what;

        // The save at exit replaces the file; the copy stays, and a second load
        // of another damaged file in the same run leaves the first copy alone.
        ASSERT_TRUE(prefs.SavePreferences()) << c.what;
        EXPECT_EQ(ReadAll(Path()), prefs.ToFileBytes()) << c.what;
        ASSERT_TRUE(WriteAll(Path(), QByteArray("damaged again")));
        EXPECT_FALSE(prefs.LoadPreferences()) << c.what;
        EXPECT_EQ(ReadAll(bad), c.file) << c.what;
    }
    EXPECT_TRUE(log.Text().contains(QStringLiteral("Preferences: unreadable file kept as ") + bad));
}

TEST(PreferencesFile, ReadingCutsTextsAndAcceptsOtherWritersForms)
{
    QByteArray s = StreamStart();
    s += Prop("Tag", QByteArray("\x02\xFF", 2)); // -1
    s += Prop("Host", Str(QString(60, QLatin1Char('h'))));
    s += Prop("UserID", QByteArray("\x06\x04Jos\xE9", 6)); // code-page bytes from an old writer
    s += Prop("Password", QByteArray("\x0C", 1) + Le32(300) + QByteArray(300, 'p'));
    s += Prop("fontcolor", Ident("clRed")); // names are not case-sensitive
    s += Prop("FontCharset", I8(1));
    s += Prop("EmailActionWaittime", QByteArray("\x03\x2C\x01", 3)); // 300 does not fit a byte
    s += Prop("LastRun", QByteArray("\x11", 1) + QByteArray::fromHex("0000000020B4E540")); // 8-byte date
    s += QByteArray(2, '\0');

    TPreferences prefs(QStringLiteral("Brivane"));
    QString error;
    ASSERT_TRUE(prefs.ReadFileBytes(Wrap(s), &error)) << error.toStdString();
    EXPECT_EQ(prefs.Tag(), -1);
    EXPECT_EQ(prefs.Host(), QString(50, QLatin1Char('h')));
    EXPECT_EQ(prefs.UserID(), QStringLiteral("José"));
    EXPECT_EQ(prefs.Password(), QString(50, QLatin1Char('p')));
    EXPECT_EQ(prefs.FontColor(), 0x0000FF);
    EXPECT_EQ(ColorToQColor(prefs.FontColor()), QColor(255, 0, 0));
    EXPECT_EQ(prefs.FontCharset(), 1);
    EXPECT_EQ(prefs.EmailActionWaittime(), 255);
    EXPECT_DOUBLE_EQ(prefs.LastRun(), 44449.0);

    // What is written back is in our own, canonical form, texts aside.
    const QByteArray again = prefs.ToFileBytes();
    EXPECT_TRUE(again.contains(Prop("FontCharset", Ident("DEFAULT_CHARSET"))));
    // An unchanged text keeps the bytes the old writer gave it.
    EXPECT_TRUE(again.contains(Prop("UserID", QByteArray("\x06\x04Jos\xE9", 6))));
    EXPECT_TRUE(again.contains(Prop("RunprogramWaittime", I8(20))));
}

TEST(PreferencesFile, WaitTimeOf200IsWrittenAsSixteenBits)
{
    TPreferences prefs(QStringLiteral("Brivane"));
    prefs.SetRunprogramWaittime(200);
    EXPECT_TRUE(prefs.ToFileBytes().contains(Prop("RunprogramWaittime", QByteArray("\x03\xC8\x00", 3))));

    // The edges of each integer type, written and read back.
    for (const auto &[value, type] : std::initializer_list<std::pair<int32_t, int>>{{127, 2},
                                                                                    {-128, 2},
                                                                                    {128, 3},
                                                                                    {-129, 3},
                                                                                    {32767, 3},
                                                                                    {-32768, 3},
                                                                                    {32768, 4},
                                                                                    {-32769, 4},
                                                                                    {INT32_MIN, 4}}) {
        prefs.SetSnooze3N(value);
        const QByteArray file = prefs.ToFileBytes();
        EXPECT_EQ(TypeAfter(file, "Snooze3N"), type) << value;
        TPreferences in(QStringLiteral("Brivane"));
        ASSERT_TRUE(in.ReadFileBytes(file)) << value;
        EXPECT_EQ(in.Snooze3N(), value);
    }
    // A plain text takes the long form from 256 bytes on.
    prefs.SetFontName(QString(255, QLatin1Char('f')));
    EXPECT_EQ(TypeAfter(prefs.ToFileBytes(), "FontName"), 6);
    prefs.SetFontName(QString(256, QLatin1Char('f')));
    EXPECT_EQ(TypeAfter(prefs.ToFileBytes(), "FontName"), 12);
}

TEST(PreferencesValues, DefaultsFollowProgramAndProduct)
{
    TPreferences prefs(QStringLiteral("Corvisk"), QStringLiteral("CorviskPro"));
    EXPECT_EQ(prefs.FromName(), QStringLiteral("Corvisk User"));
    EXPECT_TRUE(prefs.TaskStoreFolder().endsWith(QStringLiteral("/CorviskPro")));
    EXPECT_TRUE(QFileInfo(prefs.TaskStoreFolder()).isAbsolute());
}

TEST(PreferencesValues, TimeSuffixWeekStartAndSnoozeUnits)
{
    TPreferences prefs(QStringLiteral("Brivane"));
    EXPECT_EQ(QStringLiteral("hh:mm") + prefs.TimeFormatSuffix(), QStringLiteral("hh:mm ampm"));
    prefs.SetTimeBase24hour(true);
    EXPECT_EQ(QStringLiteral("hh:mm") + prefs.TimeFormatSuffix(), QStringLiteral("hh:mm"));

    EXPECT_EQ(prefs.CalendarStartOfWeek(), 0);
    prefs.SetStartofWeek(1);
    EXPECT_EQ(prefs.CalendarStartOfWeek(), 1);
    prefs.SetStartofWeek(6);
    EXPECT_EQ(prefs.CalendarStartOfWeek(), 6);

    EXPECT_EQ(TPreferences::SnoozeUnitText(stMinutes), QStringLiteral("minute(s)"));
    EXPECT_EQ(TPreferences::SnoozeUnitText(stWeeks), QStringLiteral("week(s)"));
    EXPECT_EQ(TPreferences::SnoozeUnitText(stMonths), QStringLiteral("month(s)"));
    EXPECT_EQ(prefs.SnoozeN(2), 1);
    EXPECT_EQ(prefs.SnoozeType(2), stHours);
}

TEST(PreferencesValues, SharedFontFollowsFontProperties)
{
    TPreferences prefs(QStringLiteral("Brivane"));
    const QFont initial = TextFont(prefs.TextLook());
    EXPECT_FALSE(initial.bold());

    QByteArray s = StreamStart();
    s += Prop("FontStyle", QByteArray("\x0B\x08"
                                      "fsItalic\x0B"
                                      "fsUnderline\x00",
                                      23));
    s += Prop("FontName", Str(QStringLiteral("Brivane Test Face")));
    s += Prop("FontSize", I8(17));
    s += Prop("FontColor", Ident("clBlue"));
    s += QByteArray(2, '\0');
    ASSERT_TRUE(prefs.ReadFileBytes(Wrap(s)));
    EXPECT_TRUE(TextFont(prefs.TextLook()).italic());
    EXPECT_TRUE(TextFont(prefs.TextLook()).underline());
    EXPECT_FALSE(TextFont(prefs.TextLook()).bold());
    EXPECT_EQ(TextFont(prefs.TextLook()).family(), QStringLiteral("Brivane Test Face"));
    EXPECT_EQ(TextFont(prefs.TextLook()).pointSize(), 17);
    EXPECT_EQ(ColorToQColor(prefs.FontColor()), QColor(0, 0, 255));

    prefs.SetFontStyle(FontStyleBit(fsBold));
    prefs.SetFontSize(0);
    prefs.SetFontName(QString());
    EXPECT_TRUE(TextFont(prefs.TextLook()).bold());
    EXPECT_FALSE(TextFont(prefs.TextLook()).italic());
    EXPECT_EQ(TextFont(prefs.TextLook()).pointSize(), initial.pointSize());
    EXPECT_EQ(TextFont(prefs.TextLook()).family(), initial.family());
}

TEST(ExtendedFloat, KnownValuesAndRoundTrips)
{
    const auto hex = [](double v) {
        const TExtended80 e = DoubleToExtended(v);
        return QByteArray(reinterpret_cast<const char *>(e.data()), 10).toHex();
    };
    EXPECT_EQ(hex(0.0), QByteArray("00000000000000000000"));
    EXPECT_EQ(hex(1.0), QByteArray("0000000000000080ff3f"));
    EXPECT_EQ(hex(kNoon2025), kNoon2025Extended.toHex());
    EXPECT_EQ(hex(-0.25), QByteArray("0000000000000080fdbf"));

    for (double v : {0.0, 1.0, -1.0, kNoon2025, -693593.75, 46365.123456789, 2958465.99999999, 1e-310, 1e300,
                     std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(ExtendedToDouble(DoubleToExtended(v)), v) << v;
    }
    EXPECT_TRUE(std::signbit(ExtendedToDouble(DoubleToExtended(-0.0))));
    EXPECT_TRUE(std::isnan(ExtendedToDouble(DoubleToExtended(std::numeric_limits<double>::quiet_NaN()))));

    // Mantissa bits beyond a double's round to nearest: 1 + 2^-53 + 2^-63 is nearer 1 + 2^-52.
    TExtended80 e{};
    const uint64_t m = (uint64_t(1) << 63) | (uint64_t(1) << 10) | 1;
    for (int i = 0; i < 8; ++i)
        e[i] = uint8_t(m >> (8 * i));
    e[8] = 0xFF;
    e[9] = 0x3F;
    EXPECT_EQ(ExtendedToDouble(e), 1.0 + std::ldexp(1.0, -52));
    // Beyond the double range.
    e[8] = 0xFE;
    e[9] = 0x7F;
    EXPECT_EQ(ExtendedToDouble(e), std::numeric_limits<double>::infinity());
}

// A file of an older version holds texts in the old code page (and other
// writers' forms): it loads as it was and, while nothing is edited, is written
// back byte for byte. An edited text is written in UTF-8.
TEST(PreferencesFile, OldTextsLoadUnchangedAndAreWrittenBackByteForByte)
{
    PinnedClock clock(kNoon2025);
    TPreferences defaults(QStringLiteral("Brivane"), QStringLiteral("Brivane"));
    const QByteArray stream = defaults.ToFileBytes().mid(22);
    // 250 code-page bytes with accents: more than 250 bytes in UTF-8.
    QByteArray signature = QByteArray("Gr\xFC\xDF"
                                      "e, Jos\xE9 \x96 ");
    while (signature.size() < 250)
        signature += '\xE9';
    QByteArray wide("\x12", 1);
    wide += Le32(3) + QByteArray("\x41\x04\x42\x04\x1F\x04", 6); // "стП" in UTF-16, another writer's form
    QByteArray s = stream;
    const QByteArray fromName = Prop("FromName", Str(QStringLiteral("Brivane User")));
    ASSERT_TRUE(s.contains(fromName));
    s.replace(fromName, Prop("FromName", '\x06' + Short("Jos\xE9 M\xFCller"))
                            + Prop("EmailSignature", '\x0C' + Le32(uint32_t(signature.size())) + signature));
    const QByteArray port = Prop("Port", Str(QStringLiteral("25")));
    s.replace(port, port + Prop("UserID", wide) + Prop("Password", '\x06' + Short("p\xC3\xA4ss")));
    const QByteArray file = Wrap(s);

    TPreferences prefs(QStringLiteral("Brivane"));
    QString error;
    ASSERT_TRUE(prefs.ReadFileBytes(file, &error)) << error.toStdString();
    EXPECT_EQ(prefs.FromName(), QString::fromUtf8("José Müller"));
    EXPECT_EQ(prefs.EmailSignature(), FromCp1252(signature));
    EXPECT_EQ(prefs.UserID(), QString::fromUtf8("стП"));
    EXPECT_EQ(prefs.Password(), QString::fromUtf8("päss")); // UTF-8 inside a short string
    EXPECT_EQ(prefs.ToFileBytes().toHex(' '), file.toHex(' '));

    prefs.SetFromName(QString::fromUtf8("José Müller-Nowak"));
    const QByteArray again = prefs.ToFileBytes();
    EXPECT_TRUE(again.contains(Prop("FromName", QByteArray("\x14", 1) + Le32(19) + "Jos\xC3\xA9 M\xC3\xBCller-Nowak")));
    EXPECT_TRUE(again.contains(Prop("UserID", wide)));

    // A new text is held to the capacity in UTF-8 bytes, cut between characters.
    prefs.SetFromName(QString(48, QLatin1Char('a')) + QString::fromUtf8("€"));
    EXPECT_EQ(prefs.FromName(), QString(48, QLatin1Char('a')));
    prefs.SetFromName(QString(24, QChar(0x0416)) + QString::fromUtf8("😀"));
    EXPECT_EQ(prefs.FromName(), QString(24, QChar(0x0416)));
}

#include "model/TaskData.h"
#include "platform/Desktop.h"
#include "tests/fakes/FakeClock.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/Records.h"
#include "tests/support/TestSupport.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace TestRecords;
using TestSupport::CapturedLog;

namespace {

template <typename T>
T ReadAt(const QByteArray &bytes, int offset)
{
    T v;
    std::memcpy(&v, bytes.constData() + offset, sizeof v);
    return v;
}

// A record with a distinct value in every field the program uses.
TTaskData FullRecord()
{
    TTaskData t;
    t.Taskkind = tkAlarm;
    t.PreWarning = true;
    t.RepeatTask = true;
    t.PreWarningRule = srHours;
    t.RepeatRule = srMonths;
    t.PreWarningNFactor = 3;
    t.RepeatNFactor = -2;
    t.HasRun = 12;
    t.Tag = TAG_BACKUP;
    t.EventDateTime = At(2024, 2, 29, 10, 30);
    t.Scheduled = At(2024, 2, 29, 7, 30);
    t.LastRun = At(2023, 1, 1, 8);
    t.Created = At(2020, 6, 15, 12);
    t.Title.Set(QStringLiteral("Café – meeting"));
    t.SetNotes(QString(300, QLatin1Char('n')));
    t.SendEmail = true;
    t.SoundFile.Set(QStringLiteral("bell.wav"));
    t.EmailTo.Set(QStringLiteral("a@example.org,b@example.org"));
    t.EmailBody.Set(QStringLiteral("body"));
    t.ProgramPathname.Set(QStringLiteral("/usr/bin/true"));
    t.ProgramParameters.Set(QStringLiteral("--flag"));
    t.ShutdownType = skLogOff;
    t.ExcludeSunday = true;
    t.Enabled = true;
    t.Visible = true;
    t.Delivered = true;
    t.ActionCount = 2;
    t.SnoozeInmedTime = At(2024, 2, 29, 10, 35);
    return t;
}

} // namespace

// Where each field lies is fixed at compile time; what matters here is how
// the values are written: little-endian, texts as a length byte and UTF-8,
// pads and reserved parts zero.
TEST(TaskRecord, ByteImageIsLittleEndianWithUtf8TextsAndZeroPads)
{
    const TTaskData t = FullRecord();
    const QByteArray b = t.ToBytes();
    ASSERT_EQ(b.size(), 1888);
    EXPECT_EQ(ReadAt<int32_t>(b, 12), -2);
    EXPECT_EQ(uint8_t(b[12]), 0xFE); // little-endian
    EXPECT_EQ(ReadAt<double>(b, 24), t.EventDateTime);
    // Title in UTF-8: length byte then the bytes ("é" C3 A9, "–" E2 80 93).
    EXPECT_EQ(uint8_t(b[56]), 17);
    EXPECT_EQ(b.mid(56 + 4, 2), QByteArray("\xC3\xA9"));
    EXPECT_EQ(b.mid(56 + 7, 3), QByteArray("\xE2\x80\x93"));
    EXPECT_EQ(uint8_t(b[107]), 250);
    EXPECT_EQ(b.mid(616, 8), QByteArray("bell.wav"));
    // Pads and reserved parts of a record the program builds are zero.
    for (int off : {6, 7, 1321, 1327, 1529, 1729, 1831, 1832, 1839, 1840, 1857, 1859, 1872, 1881, 1882, 1887})
        EXPECT_EQ(b[off], 0) << "offset " << off;
}

TEST(TaskRecord, RoundTripThroughTheStoreElementKeepsEveryByte)
{
    TTaskData t = FullRecord();
    // Bytes written elsewhere: a boolean stored as 2 and a non-zero pad survive as they are.
    QByteArray raw = t.ToBytes();
    raw[1853] = 2;
    raw[7] = char(0x55);
    ASSERT_TRUE(TTaskData::FromBytes(raw, t));

    const QByteArray element = TaskElementBytes(t);
    ASSERT_EQ(element.size(), 1896);
    EXPECT_EQ(uint8_t(element[0]), 0x1A);
    EXPECT_EQ(uint8_t(element[1]), 10);
    EXPECT_EQ(element.mid(2, 6), QByteArray(6, '\0'));
    EXPECT_EQ(element.mid(8), raw);

    TTaskData back;
    uint8_t signature = 0, version = 0;
    ASSERT_TRUE(TaskFromElementBytes(element, back, &signature, &version));
    EXPECT_EQ(signature, 0x1A);
    EXPECT_EQ(version, 10);
    EXPECT_EQ(back.ToBytes(), raw);
    EXPECT_TRUE(back.InService); // any non-zero byte reads as true
    EXPECT_EQ(back.Title.Get(), QStringLiteral("Café – meeting"));
    EXPECT_EQ(back.Notes(), QString(300, QLatin1Char('n')));

    EXPECT_FALSE(TaskFromElementBytes(element.left(1895), back));
    EXPECT_FALSE(TTaskData::FromBytes(raw.left(100), back));
}

TEST(TaskRecord, NotesSplitAt250AndReadBackWhole)
{
    TTaskData t;
    QString notes;
    for (int i = 0; i < 320; ++i)
        notes += QChar(u'a' + i % 26);
    t.SetNotes(notes);
    EXPECT_EQ(t.Notes1.Len, 250);
    EXPECT_EQ(t.Notes2.Len, 70);
    EXPECT_EQ(t.Notes1.Get(), notes.left(250));
    EXPECT_EQ(t.Notes(), notes);

    t.SetNotes(QString(600, QLatin1Char('z')));
    EXPECT_EQ(t.Notes().size(), 500);
    t.SetNotes(QStringLiteral("short"));
    EXPECT_EQ(t.Notes2.Len, 0);
    EXPECT_EQ(t.Notes(), QStringLiteral("short"));
}

// The notes are read part by part, so neither the split nor the cut at the
// end may fall inside a character.
TEST(TaskRecord, NotesSplitAndCutBetweenCharacters)
{
    const QString wide[] = {QString::fromUtf8("ń"), QString::fromUtf8("日"), QString::fromUtf8("😀")};
    for (const QString &c : wide) {
        const int w = int(c.toUtf8().size());
        for (int before = 1; before < w; ++before) {
            TTaskData t;
            const QString head(250 - before, QLatin1Char('a'));
            const QString notes = head + c + QStringLiteral("tail");
            t.SetNotes(notes);
            EXPECT_EQ(t.Notes1.Len, 250 - before) << w;
            EXPECT_EQ(t.Notes1.Get(), head) << w;
            EXPECT_EQ(t.Notes2.Get(), c + QStringLiteral("tail")) << w;
            EXPECT_EQ(t.Notes(), notes) << w;
            EXPECT_EQ(NotesFitLength(notes), notes.size()) << w;

            // The end of the second part.
            const QString full = QString(250, QLatin1Char('x')) + QString(250 - before, QLatin1Char('y')) + c;
            t.SetNotes(full);
            EXPECT_EQ(t.Notes2.Len, 250 - before) << w;
            EXPECT_EQ(t.Notes(), full.left(500 - before)) << w;
            EXPECT_EQ(NotesFitLength(full), 500 - before) << w;
        }
    }
    // 300 Cyrillic letters of two bytes each: 125 in each part.
    TTaskData t;
    const QString cyrillic = QString(300, QChar(0x0416));
    t.SetNotes(cyrillic);
    EXPECT_EQ(t.Notes(), cyrillic.left(250));
    EXPECT_EQ(NotesFitLength(cyrillic), 250);

    // Notes an older version wrote in its code page stay as they are when set
    // unchanged, as an editor does that writes back what it showed.
    TTaskData old;
    old.Notes1.Len = 4;
    std::memcpy(old.Notes1.Data, "Caf\xE9", 4);
    old.Notes2.Len = 2;
    std::memcpy(old.Notes2.Data, "\x80\x35", 2);
    const QByteArray before = old.ToBytes();
    ASSERT_EQ(old.Notes(), QString::fromUtf8("Café€5"));
    old.SetNotes(old.Notes());
    EXPECT_EQ(old.ToBytes(), before);
}

// Every text field of the record holds its capacity in bytes and is cut
// before a character that crosses it.
TEST(TaskRecord, TextFieldsCutAtTheirByteCapacity)
{
    TTaskData t;
    const auto check = [](auto &field, int capacity, const char *name) {
        const QString c = QString::fromUtf8("€"); // three bytes
        ASSERT_EQ(int(field.Capacity), capacity) << name;
        field.Set(QString(capacity - 2, QLatin1Char('a')) + c);
        EXPECT_EQ(field.Get(), QString(capacity - 2, QLatin1Char('a'))) << name;
        field.Set(QString(capacity - 3, QLatin1Char('a')) + c + c);
        EXPECT_EQ(field.Get(), QString(capacity - 3, QLatin1Char('a')) + c) << name;
        EXPECT_EQ(field.Len, capacity) << name;
    };
    check(t.Title, 50, "Title");
    check(t.Notes1, 250, "Notes1");
    check(t.Notes2, 250, "Notes2");
    check(t.SoundFile, 50, "SoundFile");
    check(t.EmailTo, 100, "EmailTo");
    check(t.EmailCc, 100, "EmailCc");
    check(t.EmailBcc, 100, "EmailBcc");
    check(t.EmailSubject, 100, "EmailSubject");
    check(t.EmailBody, 250, "EmailBody");
    check(t.ProgramPathname, 200, "ProgramPathname");
    check(t.ProgramParameters, 100, "ProgramParameters");
}

TEST(TaskRecord, CopyForPasteClearsOnlyRunCountAndCompletion)
{
    TTaskData t = FullRecord();
    ASSERT_EQ(t.HasRun, 12);
    ASSERT_TRUE(t.Delivered);
    const TTaskData copy = t.CopyForPaste();
    EXPECT_EQ(copy.HasRun, 0);
    EXPECT_FALSE(copy.Delivered);
    t.HasRun = 0;
    t.Delivered = false;
    EXPECT_EQ(copy.ToBytes(), t.ToBytes());
}

TEST(TaskRecord, BlocksCopyAsOneUnit)
{
    const TTaskData a = FullRecord();
    TTaskData b;
    b.SetEmailBlock(a.EmailBlock());
    b.SetProgramBlock(a.ProgramBlock());
    EXPECT_EQ(b.ToBytes().mid(666, 655), a.ToBytes().mid(666, 655));
    EXPECT_EQ(b.ToBytes().mid(1328, 512), a.ToBytes().mid(1328, 512));
    EXPECT_EQ(b.ToBytes().left(666), TTaskData().ToBytes().left(666)); // nothing outside the blocks
    EXPECT_EQ(b.ShutdownType, 0);
}

TEST(TaskRecord, ServiceTagNamesForLogLines)
{
    EXPECT_EQ(ServiceTagName(-10), QStringLiteral("TAG_FULLMOON"));
    EXPECT_EQ(ServiceTagName(-6), QStringLiteral("TAG_UPDATEAUTOCHECK ")); // with its trailing blank
    EXPECT_EQ(ServiceTagName(-7), QStringLiteral("-7"));
}

TEST(WizardDefaults, AlarmWithoutActionPopsUpAndPlaysTheDefaultSound)
{
    TestSupport::PinnedClock clock(At(2024, 3, 1, 9));
    TTaskData t = NewWizardTask();
    EXPECT_EQ(t.Taskkind, tkAlarm);
    t.RunProgram = true; // left over from the other kind's page
    t.InService = true;
    t.Reserved4[3] = 7;
    t.HasRun = 4;
    ASSERT_TRUE(ApplyFinishDefaults(t, true));
    EXPECT_TRUE(t.PopupNote);
    EXPECT_TRUE(t.PlaySound);
    EXPECT_EQ(t.SoundFile.Get(), QStringLiteral("reminder.wav"));
    EXPECT_FALSE(t.RunProgram);
    EXPECT_TRUE(t.Enabled);
    EXPECT_TRUE(t.Visible);
    EXPECT_FALSE(t.InService);
    EXPECT_TRUE(t.Reserved4IsZero());
    EXPECT_EQ(t.Created, At(2024, 3, 1, 9));
    EXPECT_EQ(t.HasRun, 0);
}

TEST(WizardDefaults, AlarmKeepsChosenActionsAndEditsKeepHistory)
{
    TTaskData t = NewWizardTask();
    t.SendEmail = true;
    t.PlaySound = true;
    t.Created = 100;
    t.LastRun = 200;
    t.HasRun = 3;
    t.Delivered = true;
    t.Enabled = false;
    ASSERT_TRUE(ApplyFinishDefaults(t, false));
    EXPECT_FALSE(t.PopupNote);
    EXPECT_EQ(t.SoundFile.Get(), QStringLiteral("reminder.wav")); // sound on, name empty
    EXPECT_EQ(t.Created, 100);
    EXPECT_EQ(t.LastRun, 200);
    EXPECT_EQ(t.HasRun, 3);
    EXPECT_FALSE(t.Delivered);
    EXPECT_TRUE(t.Enabled);

    TTaskData named = NewWizardTask();
    named.PlaySound = true;
    named.SoundFile.Set(QStringLiteral("gong.wav"));
    ASSERT_TRUE(ApplyFinishDefaults(named, true));
    EXPECT_EQ(named.SoundFile.Get(), QStringLiteral("gong.wav"));
}

TEST(WizardDefaults, ComputerTaskTitleFollowsItsActions)
{
    TTaskData t = NewWizardTask();
    t.Taskkind = tkAutomatedTask;
    t.EventDateTime = At(2024, 3, 1, 22);
    t.Scheduled = At(2024, 3, 1, 21);
    t.PreWarning = true;
    t.PopupNote = true;
    EXPECT_FALSE(ApplyFinishDefaults(t, true)); // no action: refused, record untouched
    EXPECT_TRUE(t.PopupNote);
    EXPECT_EQ(t.Title.Len, 0);

    t.RunProgram = true;
    t.ShutdownComputer = true;
    ASSERT_TRUE(ApplyFinishDefaults(t, true));
    EXPECT_EQ(t.Title.Get(), QStringLiteral("Run program and shutdown computer"));
    EXPECT_FALSE(t.PopupNote);
    EXPECT_FALSE(t.PreWarning);
    EXPECT_EQ(t.Scheduled, t.EventDateTime);

    t.ShutdownComputer = false;
    ApplyFinishDefaults(t, false);
    EXPECT_EQ(t.Title.Get(), QStringLiteral("Run a program"));
    t.RunProgram = false;
    t.ShutdownComputer = true;
    t.ShutdownType = skShutdown;
    ApplyFinishDefaults(t, false);
    EXPECT_EQ(t.Title.Get(), QStringLiteral("Shutdown Computer"));
    t.ShutdownType = skRestart;
    ApplyFinishDefaults(t, false);
    EXPECT_EQ(t.Title.Get(), QStringLiteral("Restart Computer"));
    t.ShutdownType = skLogOff;
    ApplyFinishDefaults(t, false);
    EXPECT_EQ(t.Title.Get(), CutToCapacity(QStringLiteral("Log off ") + Desktop::UserName(), 50));
}

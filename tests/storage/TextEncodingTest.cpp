// Texts in every script through the record, the store, a task file and the
// preferences file; files of older versions in their single-byte code page.
#include "storage/GlobalPreferences.h"
#include "tests/storage/StoreTestSupport.h"

#include <gtest/gtest.h>

using namespace StoreTest;
using TestSupport::PinnedClock;
using TestSupport::ReadAll;
using TestSupport::WriteAll;

namespace {

const TDateTime kNow = EncodeDateTime(2025, 12, 8, 14, 30, 0, 0);

const struct {
    const char *script;
    const char *text;
} kTexts[] = {
    {"Latin-1", "Crème brûlée, 5 € à Zürich"},
    {"Polish", "Zadzwoń do mamy — żółć"},
    {"Greek", "Καλημέρα κόσμε"},
    {"Cyrillic", "Привет, мир"},
    {"CJK", "日本語のメモ 会議"},
    {"emoji", "Party 🎉😀 🇵🇱"},
    {"mixed", "Zadzwoń — Привет 日本 ✓"},
};

// Every text field of a record filled from one text; the notes are long
// enough to cross the split between their two parts.
TTaskData Filled(const QString &text)
{
    TTaskData t = StoreTest::Alarm(text);
    QString notes;
    while (notes.toUtf8().size() < 400)
        notes += text + QStringLiteral("\r\n");
    t.SetNotes(notes);
    t.SoundFile.Set(text);
    t.EmailTo.Set(text);
    t.EmailCc.Set(text);
    t.EmailBcc.Set(text);
    t.EmailSubject.Set(text);
    t.EmailBody.Set(text);
    t.ProgramPathname.Set(QStringLiteral("/home/user/") + text);
    t.ProgramParameters.Set(text);
    return t;
}

void ExpectTexts(const TTaskData &t, const QString &text, const QString &notes, const char *where)
{
    EXPECT_EQ(t.Title.Get(), text) << where;
    EXPECT_EQ(t.Notes(), notes) << where;
    EXPECT_EQ(t.SoundFile.Get(), text) << where;
    EXPECT_EQ(t.EmailTo.Get(), text) << where;
    EXPECT_EQ(t.EmailCc.Get(), text) << where;
    EXPECT_EQ(t.EmailBcc.Get(), text) << where;
    EXPECT_EQ(t.EmailSubject.Get(), text) << where;
    EXPECT_EQ(t.EmailBody.Get(), text) << where;
    EXPECT_EQ(t.ProgramPathname.Get(), QStringLiteral("/home/user/") + text) << where;
    EXPECT_EQ(t.ProgramParameters.Get(), text) << where;
}

} // namespace

TEST(TextEncoding, EveryScriptSurvivesTheStoreATaskFileAndThePreferences)
{
    PinnedClock clock(kNow);
    for (const auto &c : kTexts) {
        const QString text = QString::fromUtf8(c.text);
        const TTaskData record = Filled(text);
        // The whole notes text fits: the test must see it come back whole.
        QString notes;
        while (notes.toUtf8().size() < 400)
            notes += text + QStringLiteral("\r\n");
        ExpectTexts(record, text, notes, c.script);

        StoreEnv env;
        ASSERT_TRUE(WriteAll(env.StorePath(), Element(StoreTest::Alarm("first"))));
        env.MakeStore();
        env.Open();
        env.List.AddTask(record);
        const int index = env.List.Count() - 1;
        ASSERT_TRUE(env.Store->SaveStore()) << c.script;
        const QString taskFile = env.StoreFolder() + QStringLiteral("one.tsk");
        ASSERT_TRUE(env.Store->ExportTask(taskFile, index)) << c.script;

        TPalvaroStorage &again = env.MakeStore();
        env.Open();
        ASSERT_EQ(env.List.Count(), index + 1) << c.script;
        ExpectTexts(env.List.GetTask(index), text, notes, c.script);
        ASSERT_TRUE(again.ImportTask(taskFile)) << c.script;
        ExpectTexts(env.List.GetTask(env.List.Count() - 1), text, notes, c.script);

        TPreferences out(QStringLiteral("Brivane"));
        out.SetFromName(text);
        out.SetEmailSignature(text + QStringLiteral("\r\n") + text);
        out.SetTaskStoreFolder(QStringLiteral("/home/user/") + text);
        TPreferences in(QStringLiteral("Brivane"));
        QString error;
        ASSERT_TRUE(in.ReadFileBytes(out.ToFileBytes(), &error)) << error.toStdString();
        EXPECT_EQ(in.FromName(), text) << c.script;
        EXPECT_EQ(in.EmailSignature(), text + QStringLiteral("\r\n") + text) << c.script;
        EXPECT_EQ(in.TaskStoreFolder(), QStringLiteral("/home/user/") + text) << c.script;
    }
}

// A store an older version wrote holds its texts in the old code page: they
// read as that code page, and records whose texts are set again unchanged (as
// the editors do) go back to the file byte for byte.
TEST(TextEncoding, OldStoreLoadsInItsCodePageAndIsWrittenBackUnchanged)
{
    PinnedClock clock(kNow);
    TTaskData old = StoreTest::Alarm("x");
    old.Title.Len = 14;
    std::memcpy(old.Title.Data, "Caf\xE9 \x96 R\xE9union", 14);
    old.Notes1.Len = 250;
    std::memset(old.Notes1.Data, 'n', 250);
    old.Notes1.Data[249] = char(0xE9);
    old.Notes2.Len = 6;
    std::memcpy(old.Notes2.Data, "\x93ok\x94\r\n", 6);
    old.EmailSubject.Len = 4;
    std::memcpy(old.EmailSubject.Data, "\x80\x31\x30\x30", 4);
    old.Title.Data[40] = 0x33; // bytes after a text are kept as well
    const TTaskData backup = Service(TAG_BACKUP, kNow + 1);
    const QByteArray file = Element(old) + Element(backup);

    StoreEnv env;
    ASSERT_TRUE(WriteAll(env.StorePath(), file));
    TPalvaroStorage &store = env.MakeStore();
    env.Open();
    ASSERT_EQ(env.List.Count(), 2);
    TTaskData &loaded = env.List.GetTask(0);
    EXPECT_EQ(loaded.Title.Get(), QString::fromUtf8("Café – Réunion"));
    EXPECT_EQ(loaded.Notes(), QString(249, QLatin1Char('n')) + QString::fromUtf8("é“ok”\r\n"));
    EXPECT_EQ(loaded.EmailSubject.Get(), QString::fromUtf8("€100"));

    // What an editor does with texts it showed and the user left alone.
    loaded.Title.Set(loaded.Title.Get());
    loaded.SetNotes(loaded.Notes());
    TEmailBlock block = loaded.EmailBlock();
    block.EmailSubject.Set(block.EmailSubject.Get());
    loaded.SetEmailBlock(block);
    env.List.GetTask(1).Title.Set(env.List.GetTask(1).Title.Get());
    ASSERT_TRUE(store.SaveStore());
    // The backup reminder is moved at each open; its marker title stays.
    const QByteArray saved = ReadAll(env.StorePath());
    ASSERT_EQ(saved.size(), file.size());
    EXPECT_EQ(saved.left(1896).toHex(), file.left(1896).toHex());
    EXPECT_EQ(saved.mid(1896 + 8 + 56, 51).toHex(), file.mid(1896 + 8 + 56, 51).toHex());

    // An edited title is written in UTF-8; the other texts keep their bytes.
    loaded.Title.Set(QString::fromUtf8("Café – Réunion!"));
    ASSERT_TRUE(store.SaveStore());
    const TTaskData written = RecordAt(ReadAll(env.StorePath()), 0);
    EXPECT_EQ(QByteArray(written.Title.Data, written.Title.Len),
              QByteArray("Caf\xC3\xA9 \xE2\x80\x93 R\xC3\xA9union!"));
    EXPECT_EQ(QByteArray(written.Notes2.Data, written.Notes2.Len), QByteArray("\x93ok\x94\r\n"));
}

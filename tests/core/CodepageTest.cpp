#include "core/Codepage.h"

#include <cstring>
#include <gtest/gtest.h>

TEST(Codepage, MapsTheWindowsRangeAndReplacesWhatItCannotHold)
{
    EXPECT_EQ(ToCp1252(QString::fromUtf8("€ é Ž „")), QByteArray("\x80 \xE9 \x8E \x84"));
    EXPECT_EQ(FromCp1252(QByteArray("\x80\x9F\xE9\xFF")), QString::fromUtf8("€Ÿéÿ"));
    // One '?' per character, also for characters outside the basic plane.
    EXPECT_EQ(ToCp1252(QString::fromUtf8("a中😀b")), QByteArray("a??b"));
    // The five unassigned bytes survive a round trip.
    const QByteArray odd("\x81\x8D\x8F\x90\x9D", 5);
    EXPECT_EQ(ToCp1252(FromCp1252(odd)), odd);
}

TEST(Codepage, ShortTextIsLengthPrefixedUtf8AndCutToCapacity)
{
    static_assert(sizeof(TShortText<5>) == 6);
    static_assert(alignof(TShortText<50>) == 1);
    TShortText<5> t;
    t.Set(QStringLiteral("abcdefgh"));
    EXPECT_EQ(t.Len, 5);
    EXPECT_EQ(t.Get(), "abcde");
    t.Set(QString::fromUtf8("é€"));
    EXPECT_EQ(t.Len, 5);
    EXPECT_EQ(QByteArray(t.Data, 5), QByteArray("\xC3\xA9\xE2\x82\xAC"));
    t.Set(QStringLiteral("x"));
    EXPECT_EQ(t.Data[1], 0); // the rest is cleared, so stored images stay stable
    // A damaged length byte never reads past the capacity.
    t.Len = 200;
    EXPECT_EQ(t.Get().size(), 5);
    EXPECT_EQ(CutToCapacity(QStringLiteral("Reminder"), 3), "Rem");
}

// Stored bytes that are valid UTF-8 read as UTF-8; anything else was written
// in the old code page.
TEST(Codepage, StoredTextsReadAsUtf8ElseAsTheOldCodePage)
{
    const struct {
        const char *what;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"ASCII", "Call Bob", QStringLiteral("Call Bob")},
        {"Latin-1", "Caf\xC3\xA9 cr\xC3\xA8me", QString::fromUtf8("Café crème")},
        {"Polish", "Zadzwo\xC5\x84 do mamy", QString::fromUtf8("Zadzwoń do mamy")},
        {"CJK", "\xE6\x97\xA5\xE6\x9C\xAC", QString::fromUtf8("日本")},
        {"emoji", "ok \xF0\x9F\x98\x80", QString::fromUtf8("ok 😀")},
        {"old code page",
         "Caf\xE9 \x80"
         "5",
         QString::fromUtf8("Café €5")},
        {"overlong slash", "a\xC0\xAF", QString::fromUtf8("aÀ¯")},
        {"encoded surrogate", "\xED\xA0\x80", QString::fromUtf8("í\u00A0€")},
        {"sequence cut off", "x\xE2\x82", QString::fromUtf8("xâ‚")},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", QString::fromUtf8("ô\u0090€€")},
        {"lone continuation", "\x93quoted\x94", QString::fromUtf8("“quoted”")},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(DecodeStoredText(c.bytes), c.text) << c.what;
        EXPECT_EQ(IsValidUtf8(c.bytes.constData(), int(c.bytes.size())), c.text.toUtf8() == c.bytes) << c.what;
        // Written back untouched when the text did not change.
        TShortText<20> t;
        t.Len = uint8_t(c.bytes.size());
        std::memset(t.Data, 0x55, sizeof t.Data);
        std::memcpy(t.Data, c.bytes.constData(), std::size_t(c.bytes.size()));
        const TShortText<20> before = t;
        t.Set(t.Get());
        EXPECT_EQ(std::memcmp(&t, &before, sizeof t), 0) << c.what;
    }
    // A changed text is written in UTF-8.
    TShortText<20> t;
    t.Len = 4;
    std::memcpy(t.Data, "Caf\xE9", 4);
    t.Set(QString::fromUtf8("Café!"));
    EXPECT_EQ(QByteArray(t.Data, t.Len), QByteArray("Caf\xC3\xA9!"));
}

// A cut at any capacity ends before the character that would not fit.
TEST(Codepage, CutsNeverSplitACharacter)
{
    const QString wide[] = {QString::fromUtf8("é"), QString::fromUtf8("€"), QString::fromUtf8("😀")};
    for (const QString &c : wide) {
        const int w = int(c.toUtf8().size());
        for (int before = 1; before < w; ++before) {
            // The character starts `before` bytes ahead of the end.
            TShortText<50> t;
            const QString head(50 - before, QLatin1Char('a'));
            t.Set(head + c + QStringLiteral("b"));
            EXPECT_EQ(t.Len, 50 - before) << w;
            EXPECT_EQ(t.Get(), head) << w;
            EXPECT_EQ(CutToCapacity(head + c, 50), head) << w;
        }
        // Exactly at the edge it fits.
        TShortText<50> t;
        const QString head(50 - w, QLatin1Char('a'));
        t.Set(head + c + c);
        EXPECT_EQ(t.Get(), head + c);
        EXPECT_EQ(t.Len, 50);
    }
    // Half of a surrogate pair (left over by a cut in UTF-16 units) has no
    // UTF-8 form and is left out rather than written as garbage.
    const QString emoji = QString::fromUtf8("😀");
    TShortText<10> t;
    t.Set(QStringLiteral("ab") + emoji.left(1));
    EXPECT_EQ(QByteArray(t.Data, t.Len), QByteArray("ab"));
    EXPECT_EQ(FittingLength(QStringLiteral("ab") + emoji, 5), 2);
    EXPECT_EQ(FittingLength(QStringLiteral("ab") + emoji, 6), 4);
}

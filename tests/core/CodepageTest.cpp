#include "core/Codepage.h"

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

TEST(Codepage, ShortTextIsLengthPrefixedAndCutToCapacity)
{
    static_assert(sizeof(TShortText<5>) == 6);
    static_assert(alignof(TShortText<50>) == 1);
    TShortText<5> t;
    t.Set(QStringLiteral("abcdefgh"));
    EXPECT_EQ(t.Len, 5);
    EXPECT_EQ(t.Get(), "abcde");
    t.Set(QString::fromUtf8("é€"));
    EXPECT_EQ(t.Len, 2);
    EXPECT_EQ(QByteArray(t.Data, 2), QByteArray("\xE9\x80"));
    EXPECT_EQ(t.Data[2], 0); // the rest is cleared, so stored images stay stable
    // A damaged length byte never reads past the capacity.
    t.Len = 200;
    EXPECT_EQ(t.Get().size(), 5);
    EXPECT_EQ(CutToCapacity(QStringLiteral("Reminder"), 3), "Rem");
}

// Files that once broke a reader (found by the fuzz targets in fuzz/), kept as
// they were found so that every test run replays them.
#include "storage/GlobalPreferences.h"
#include "platform/TextLookGui.h"
#include "tests/storage/StoreTestSupport.h"

#include <gtest/gtest.h>

#include <climits>

using namespace StoreTest;
using TestSupport::WriteAll;

namespace {

QByteArray Bytes(const char *literal, std::size_t sizeWithNul)
{
    return QByteArray(literal, qsizetype(sizeWithNul - 1));
}
#define BYTES(literal) Bytes(literal, sizeof(literal))

} // namespace

// Only a file too short for its header is damaged; every version byte a file
// can hold, 255 included, is a version (from 10 up read alike).
TEST(DamagedFiles, StoreVersionByteIsNeverTakenForDamage)
{
    struct Case {
        const char *name;
        QByteArray file;
        bool read;
        int boxes;
        QStringList halts;
    };
    const Case cases[] = {
        {"first element of version 255", Element(Alarm("newer"), 255), true, 0, {}},
        {"first element of version 254", Element(Alarm("newer"), 254), true, 0, {}},
        {"first element of version 0", Element(Alarm("zero"), 0), true, 0, {}},
        {"one byte", BYTES("\x1A"), false, 1, {"INVALID_DB_FORMAT -> mrAbort"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        StoreEnv env;
        ASSERT_TRUE(WriteAll(env.StorePath(), c.file));
        BoxRecorder boxes(TMsgResult::Abort);
        TPalvaroStorage &store = env.MakeStore();
        env.Open(boxes);
        EXPECT_EQ(store.StoreRead(), c.read);
        EXPECT_EQ(store.VersionUnreadable, !c.read);
        EXPECT_EQ(boxes.Texts.size(), c.boxes) << boxes.Texts.join('|').toStdString();
        EXPECT_EQ(env.Halts, c.halts);
        if (c.read) {
            ASSERT_EQ(env.List.Count(), 2); // the reminder and the added backup reminder
            EXPECT_EQ(store.DBVersion, uint8_t(c.file[1]));
            EXPECT_TRUE(env.Logged("Info: DB version found: " + QString::number(uint8_t(c.file[1]))));
        }
    }
}

// A font size of -2^31 (a pixel height) has no positive counterpart in 32 bits.
TEST(DamagedFiles, PreferencesFontSizesOfEveryMagnitudeGiveAUsableFont)
{
    struct Case {
        const char *name;
        QByteArray file;
        int32_t size;
        int pointSize;
        int pixelSize;
    };
    const Case cases[] = {
        {"lowest pixel height",
         BYTES("\xFF\x0A\x00TPREFERENCES\x00\x30\x10\x22\x00\x00\x00"
               "TPF0\x0CTPreferences\x00\x08"
               "FontSize\x04\x00\x00\x00\x80\x00\x00"),
         INT32_MIN, -1, INT32_MAX},
        {"next lowest pixel height",
         BYTES("\xFF\x0A\x00TPREFERENCES\x00\x30\x10\x22\x00\x00\x00"
               "TPF0\x0CTPreferences\x00\x08"
               "FontSize\x04\x01\x00\x00\x80\x00\x00"),
         INT32_MIN + 1, -1, INT32_MAX},
        {"largest point size",
         BYTES("\xFF\x0A\x00TPREFERENCES\x00\x30\x10\x22\x00\x00\x00"
               "TPF0\x0CTPreferences\x00\x08"
               "FontSize\x04\xFF\xFF\xFF\x7F\x00\x00"),
         INT32_MAX, INT32_MAX, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TPreferences prefs;
        QString error;
        ASSERT_TRUE(prefs.ReadFileBytes(c.file, &error)) << error.toStdString();
        EXPECT_EQ(prefs.FontSize(), c.size);
        EXPECT_EQ(TextFont(prefs.TextLook()).pointSize(), c.pointSize);
        EXPECT_EQ(TextFont(prefs.TextLook()).pixelSize(), c.pixelSize);
        // The file keeps the size as it was.
        TPreferences again;
        ASSERT_TRUE(again.ReadFileBytes(prefs.ToFileBytes()));
        EXPECT_EQ(again.FontSize(), c.size);
    }
}

// The built picture library, reminder sound and help pages of the run folder.
#include "platform/ResourceLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

QString RunDir()
{
#ifdef BRIVANE_TEST_RUN_DIR
    return QStringLiteral(BRIVANE_TEST_RUN_DIR);
#else
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../Brivane");
#endif
}

QString LibraryPath()
{
    return RunDir() + QStringLiteral("/grresrep.rcc");
}

// Pixels that are almost, but not exactly, the key colour: an antialiased
// outline blended into the key would leave such a fringe around the window.
int NearKeyPixels(const QImage &img, QRgb key)
{
    int count = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y) & 0x00FFFFFFu;
            if (c == (key & 0x00FFFFFFu))
                continue;
            const int d =
                std::abs(qRed(c) - qRed(key)) + std::abs(qGreen(c) - qGreen(key)) + std::abs(qBlue(c) - qBlue(key));
            if (d < 150)
                ++count;
        }
    return count;
}

struct Series {
    const char *prefix;
    int count;
    int size;
};
constexpr Series kSeries[] = {{"TL_", 13, 32}, {"TL20_", 16, 20}, {"TB_", 18, 24}, {"TB16_", 18, 16}, {"P_", 10, 32}};

const char *const kShaped[] = {"SPL0", "NOTE", "PRE_WARNING_NOTE", "ACTN", "FULLMOON", "UPDT", "INFO"};

} // namespace

TEST(ResourceLibrary, WindowPicturesHaveTheirSizesAndAKeyedOutline)
{
    TResourceLibrary lib;
    ASSERT_TRUE(lib.Load(LibraryPath())) << qPrintable(LibraryPath());

    EXPECT_EQ(lib.Picture("SPL0").size(), QSize(250, 175));
    EXPECT_EQ(lib.Picture("FULLMOON").size(), QSize(324, 270));
    EXPECT_EQ(lib.Picture("UPDT").size(), QSize(295, 119));
    EXPECT_EQ(lib.Picture("INFO").size(), QSize(367, 179));
    const QImage note = lib.Picture("NOTE");
    const QImage pre = lib.Picture("PRE_WARNING_NOTE");
    EXPECT_EQ(note.size(), QSize(367, 243));
    EXPECT_EQ(pre.width(), note.width());
    // The pre-warning note puts its buttons at y = 241: it must reach below them.
    EXPECT_GT(pre.height(), note.height());
    EXPECT_GE(pre.height(), 241 + 25);
    // The action windows put a 25-pixel button at (275, 88) and are 395 wide.
    const QImage actn = lib.Picture("ACTN");
    EXPECT_EQ(actn.width(), 395);
    EXPECT_GE(actn.height(), 88 + 25);

    for (const char *name : kShaped) {
        SCOPED_TRACE(name);
        const QImage img = lib.Picture(name);
        ASSERT_FALSE(img.isNull());
        const QRgb key = img.pixel(img.width() - 1, img.height() - 1);
        // The window region drops the key colour: the inside must not be key,
        // and the corners must be, or the window would be a plain rectangle.
        EXPECT_NE(img.pixel(img.width() / 2, img.height() / 2), key);
        EXPECT_EQ(img.pixel(0, 0), key);
        EXPECT_EQ(img.pixel(img.width() - 1, 0), key);
        EXPECT_EQ(img.pixel(0, img.height() - 1), key);
        EXPECT_EQ(NearKeyPixels(img, key), 0);
    }

    // The splash's white version label sits at (168, 17): its background must be dark.
    const QImage splash = lib.Picture("SPL0");
    for (int y = 17; y < 30; ++y)
        for (int x = 168; x < 230; ++x)
            ASSERT_LT(qGray(splash.pixel(x, y)), 110) << x << "," << y;
}

TEST(ResourceLibrary, NumberedSeriesAreCompleteWithLimeBackground)
{
    TResourceLibrary lib;
    ASSERT_TRUE(lib.Load(LibraryPath()));
    const QRgb lime = qRgb(0, 255, 0);
    for (const Series &s : kSeries) {
        for (int k = 0; k < s.count; ++k) {
            const QString name = QString::fromLatin1(s.prefix) + QString::number(k);
            SCOPED_TRACE(qPrintable(name));
            ASSERT_TRUE(lib.HasPicture(name));
            const QImage img = lib.Picture(name);
            EXPECT_EQ(img.size(), QSize(s.size, s.size));
            EXPECT_EQ(img.pixel(s.size - 1, s.size - 1) & 0x00FFFFFFu, lime & 0x00FFFFFFu);
            // Not blank, and no green-tinted fringe that would survive the transparency.
            int drawn = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    drawn += (img.pixel(x, y) & 0x00FFFFFFu) != (lime & 0x00FFFFFFu);
            EXPECT_GT(drawn, s.size * s.size / 20);
            EXPECT_EQ(NearKeyPixels(img, lime), 0);
        }
        EXPECT_FALSE(lib.HasPicture(QString::fromLatin1(s.prefix) + QString::number(s.count + 4)));
    }

    // Loaded into an image list, lime becomes transparent and the drawing stays.
    TImageList list(32, 32);
    list.Replace(5, lib.Picture("TL_5"));
    const QImage shown = list.Pixmap(5).toImage();
    EXPECT_EQ(qAlpha(shown.pixel(31, 31)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(16, 16)), 255);
}

TEST(ResourceLibrary, MissingOrForeignLibraryFailsToLoad)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TResourceLibrary lib;
    EXPECT_FALSE(lib.Load(dir.filePath("grresrep.rcc")));
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_TRUE(lib.Picture("SPL0").isNull());
    EXPECT_FALSE(lib.HasPicture("SPL0"));

    QFile junk(dir.filePath("junk.rcc"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    EXPECT_FALSE(lib.Load(junk.fileName()));
    EXPECT_FALSE(lib.IsLoaded());

    // A failed load after a good one leaves nothing registered.
    ASSERT_TRUE(lib.Load(LibraryPath()));
    EXPECT_TRUE(lib.HasPicture("NOTE"));
    EXPECT_FALSE(lib.Load(dir.filePath("gone.rcc")));
    EXPECT_FALSE(lib.HasPicture("NOTE"));
}

TEST(RunFolder, ReminderSoundIsSoftPcmChime)
{
    QFile f(RunDir() + QStringLiteral("/Sounds/reminder.wav"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray wav = f.readAll();
    ASSERT_GE(wav.size(), 44);
    const char *d = wav.constData();
    auto u16 = [&](int at) { return qFromLittleEndian<quint16>(d + at); };
    auto u32 = [&](int at) { return qFromLittleEndian<quint32>(d + at); };
    EXPECT_EQ(wav.left(4), "RIFF");
    EXPECT_EQ(u32(4), quint32(wav.size() - 8));
    EXPECT_EQ(wav.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(u16(20), 1); // PCM
    EXPECT_EQ(u16(22), 1); // mono
    EXPECT_EQ(u32(24), 44100u);
    EXPECT_EQ(u32(28), 88200u);
    EXPECT_EQ(u16(32), 2);
    EXPECT_EQ(u16(34), 16);
    EXPECT_EQ(wav.mid(36, 4), "data");
    const quint32 bytes = u32(40);
    ASSERT_EQ(bytes, quint32(wav.size() - 44));
    const int samples = int(bytes / 2);
    const double seconds = samples / 44100.0;
    EXPECT_GE(seconds, 1.0);
    EXPECT_LE(seconds, 3.0);

    int peak = 0;
    for (int i = 0; i < samples; ++i)
        peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(d + 44 + 2 * i))));
    EXPECT_LT(peak, 32767); // never clipped
    EXPECT_GT(peak, 8000); // audible
    // Starts and ends quietly: no click.
    EXPECT_LT(std::abs(int(qFromLittleEndian<qint16>(d + 44))), 200);
    EXPECT_LT(std::abs(int(qFromLittleEndian<qint16>(d + 44 + 2 * (samples - 1)))), 200);
}

TEST(RunFolder, HelpPagesHaveTheAnchorsThePreferencesOpen)
{
    const QDir help(RunDir() + QStringLiteral("/Help"));
    for (const char *page : {"help_index.html", "help_support.html", "help_smtp.html", "help_preferences.html"}) {
        QFile f(help.filePath(QString::fromLatin1(page)));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << page;
        EXPECT_TRUE(f.readAll().contains("</html>")) << page;
    }
    QFile prefs(help.filePath("help_preferences.html"));
    ASSERT_TRUE(prefs.open(QIODevice::ReadOnly));
    const QByteArray text = prefs.readAll();
    for (const char *anchor : {"general", "tasklist", "popupnote", "e-mail", "reflexes", "about"})
        EXPECT_TRUE(text.contains(QByteArray("id=\"") + anchor + "\"")) << anchor;
}

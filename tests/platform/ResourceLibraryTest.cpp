// The built picture library, reminder sound and help pages of the run folder.
#include "platform/ResourceLibrary.h"

#include "platform/FormShaper.h"
#include "platform/SystemHelpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QSet>
#include <QTemporaryDir>
#include <QWidget>
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

// The share of 2 x 2 blocks whose pixels differ: none in a picture merely
// enlarged by doubling its pixels, many along the edges of one drawn at that size.
double DetailedBlocks(const QImage &img)
{
    const QImage rgb = img.convertToFormat(QImage::Format_RGB32);
    int detailed = 0, blocks = 0;
    for (int y = 0; y + 1 < rgb.height(); y += 2)
        for (int x = 0; x + 1 < rgb.width(); x += 2) {
            const QRgb c = rgb.pixel(x, y);
            ++blocks;
            detailed += rgb.pixel(x + 1, y) != c || rgb.pixel(x, y + 1) != c || rgb.pixel(x + 1, y + 1) != c;
        }
    return blocks ? double(detailed) / blocks : 0.0;
}

QStringList PlainPictureNames()
{
    QStringList names;
    const QFileInfo first(TResourceLibrary::ResourcePath(QStringLiteral("x")));
    for (const QString &file : QDir(first.path()).entryList({QStringLiteral("*.png")}))
        if (!file.endsWith(QLatin1String("@2x.png")))
            names << file.chopped(4);
    return names;
}

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

TEST(ResourceLibrary, EveryPictureHasAVariantDrawnAtTwiceTheSize)
{
    TResourceLibrary lib;
    ASSERT_TRUE(lib.Load(LibraryPath()));
    const QStringList names = PlainPictureNames();
    ASSERT_GT(names.size(), 80);
    for (const QString &name : names) {
        SCOPED_TRACE(qPrintable(name));
        const QImage plain = lib.Picture(name);
        const QImage twice = lib.Picture(TResourceLibrary::HiDpiName(name));
        ASSERT_FALSE(twice.isNull());
        EXPECT_EQ(twice.size(), plain.size() * 2);
        // The same colour keys its outside, so the window and icon outlines match.
        EXPECT_EQ(twice.pixel(twice.width() - 1, twice.height() - 1) & 0x00FFFFFFu,
                  plain.pixel(plain.width() - 1, plain.height() - 1) & 0x00FFFFFFu);
        // Drawn anew, not enlarged: edges fall inside the doubled pixels.
        EXPECT_GT(DetailedBlocks(twice), 0.02);
        const QImage doubled = plain.scaled(plain.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        EXPECT_EQ(DetailedBlocks(doubled), 0.0);
    }
    for (const char *name : kShaped) {
        const QImage twice = lib.Picture(TResourceLibrary::HiDpiName(QString::fromLatin1(name)));
        EXPECT_EQ(NearKeyPixels(twice, twice.pixel(twice.width() - 1, twice.height() - 1)), 0) << name;
    }
}

TEST(ResourceLibrary, PicturesAndIconsFollowTheDevicePixelRatio)
{
    TResourceLibrary lib;
    ASSERT_TRUE(lib.Load(LibraryPath()));
    // Dense screen: twice the pixels over the same device-independent size.
    const QImage dense = lib.Picture(QStringLiteral("SPL0"), 2.0);
    EXPECT_EQ(dense.devicePixelRatio(), 2.0);
    EXPECT_EQ(dense.size(), QSize(500, 350));
    EXPECT_EQ(dense.deviceIndependentSize().toSize(), QSize(250, 175));
    const QImage plain = lib.Picture(QStringLiteral("SPL0"), 1.0);
    EXPECT_EQ(plain.devicePixelRatio(), 1.0);
    EXPECT_EQ(plain.size(), QSize(250, 175));
    // A fractional ratio takes the sharper variant too; a picture without one stays plain.
    EXPECT_EQ(lib.Picture(QStringLiteral("NOTE"), 1.5).devicePixelRatio(), 2.0);
    TResourceLibrary empty;
    EXPECT_TRUE(empty.Picture(QStringLiteral("SPL0"), 2.0).isNull());

    const QIcon tray = lib.Icon(QStringLiteral("APPICON"));
    const QPixmap trayDense = tray.pixmap(QSize(22, 22), 2.0);
    EXPECT_EQ(trayDense.devicePixelRatio(), 2.0);
    EXPECT_EQ(trayDense.size(), QSize(44, 44));
    EXPECT_GE(tray.availableSizes().size(), 2);

    // Image lists: each picture with its variant, lime transparent in both.
    TImageList toolbar(24, 24);
    LoadNumberedImages(lib, toolbar, 18, QStringLiteral("TB_"));
    ASSERT_EQ(toolbar.Count(), 18);
    for (int i = 0; i < toolbar.Count(); ++i) {
        SCOPED_TRACE(i);
        const QPixmap pm = toolbar.Pixmap(i, 2.0);
        EXPECT_EQ(pm.devicePixelRatio(), 2.0);
        EXPECT_EQ(pm.size(), QSize(48, 48));
        EXPECT_EQ(qAlpha(pm.toImage().pixel(47, 47)), 0);
        EXPECT_EQ(toolbar.Pixmap(i, 1.0).size(), QSize(24, 24));
        const QPixmap fromIcon = toolbar.Icon(i).pixmap(QSize(24, 24), 2.0);
        EXPECT_EQ(fromIcon.size(), QSize(48, 48));
        EXPECT_EQ(fromIcon.toImage(), pm.toImage()) << "the icon must hand out the drawn variant, not an enlargement";
    }
    // A list whose source has no variants falls back to the plain pictures.
    TImageList plainOnly(16, 16);
    LoadNumberedImages(
        [](const QString &name) {
            return name.endsWith(QLatin1String("@2x")) ? QImage() : QImage(16, 16, QImage::Format_RGB32);
        },
        plainOnly, 2, QStringLiteral("X"));
    EXPECT_EQ(plainOnly.Pixmap(1, 2.0).size(), QSize(16, 16));
}

TEST(ResourceLibrary, ShapedWindowsKeepTheirSizeAndOutlineOnDenseScreens)
{
    TResourceLibrary lib;
    ASSERT_TRUE(lib.Load(LibraryPath()));
    for (const char *name : kShaped) {
        SCOPED_TRACE(name);
        const QImage plain = lib.Picture(QString::fromLatin1(name), 1.0);
        const QImage dense = lib.Picture(QString::fromLatin1(name), 2.0);
        const QRegion plainMask = TFormShaper::BuildRegion(plain);
        const QRegion denseMask = TFormShaper::BuildRegion(dense);
        // In device-independent pixels, as the window's own size.
        EXPECT_EQ(denseMask.boundingRect().united(QRect(QPoint(0, 0), plain.size())),
                  QRect(QPoint(0, 0), plain.size()));
        // The same outline up to its antialiased edge.
        auto area = [](const QRegion &r) {
            long a = 0;
            for (const QRect &rect : r)
                a += long(rect.width()) * rect.height();
            return a;
        };
        const long differ = area(plainMask.xored(denseMask));
        EXPECT_LT(differ, area(plainMask) / 50) << differ;
        // No key colour inside the dense window: every covered picture pixel is drawn.
        const QRgb key = dense.pixel(dense.width() - 1, dense.height() - 1);
        int keyInside = 0;
        for (const QRect &r : denseMask)
            for (int x = r.left(); x <= r.right(); ++x)
                for (int d = 0; d < 4; ++d)
                    keyInside += dense.pixel(2 * x + d % 2, 2 * r.top() + d / 2) == key;
        EXPECT_EQ(keyInside, 0);

        QWidget window;
        TFormShaper shaper(&window);
        shaper.SetPicture(dense);
        EXPECT_EQ(window.size(), plain.size());
        EXPECT_EQ(window.mask(), denseMask);
    }
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

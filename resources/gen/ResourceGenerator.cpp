// Build-time generator: draws every picture of the picture library, writes the
// resource collection file that rcc turns into the library, synthesises the
// reminder sound and draws the application icon: the desktop's icon sizes as
// pictures and, from the same drawing, a scalable one.
//
// Usage: brivane_resgen <output folder> <reminder.wav path>

#include "GenCommon.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSvgGenerator>
#include <QTextStream>

#include <cstdio>

namespace {

bool Fail(const QString &what)
{
    std::fprintf(stderr, "brivane_resgen: %s\n", qPrintable(what));
    return false;
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        return Fail(QStringLiteral("cannot write ") + path);
    return true;
}

// Every picture has its variant at twice the size.
bool CheckHiDpiVariant(const gen::PictureSet &set, const QString &name, const QImage &img)
{
    if (name.endsWith(QLatin1String("@2x")))
        return true;
    const auto twice = set.find(gen::HiDpiName(name));
    if (twice == set.end() || twice->second.size() != img.size() * 2)
        return Fail(name + QStringLiteral(": no variant at twice the size"));
    return true;
}

// A shaped picture whose bottom-right pixel is not the outside colour would give
// the window a wrong outline; an icon with a non-lime corner an opaque square.
bool CheckPicture(const QString &name, const QImage &img)
{
    if (name.startsWith(QLatin1String("APPICON")))
        return img.hasAlphaChannel(); // the program's icon keeps its own transparency
    const bool icon = name.contains(QLatin1Char('_')) && !name.startsWith(QLatin1String("PRE_WARNING_NOTE"));
    const QRgb key = (icon ? gen::IconKey() : gen::ShapeKey()).rgb() & 0x00FFFFFFu;
    const QRgb corner = img.pixel(img.width() - 1, img.height() - 1) & 0x00FFFFFFu;
    if (corner != key)
        return Fail(name + QStringLiteral(": bottom-right pixel is not the transparent colour"));
    const QRgb centre = img.pixel(img.width() / 2, img.height() / 2) & 0x00FFFFFFu;
    if (!icon && centre == key)
        return Fail(name + QStringLiteral(": centre is transparent"));
    return true;
}

// The same drawing as the pictures, written as SVG with a 64 x 64 view box.
bool WriteScalableIcon(const QString &path)
{
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(64, 64));
    svg.setViewBox(QRect(0, 0, 64, 64));
    svg.setResolution(96); // the size desktops assume for an SVG given in millimetres
    svg.setTitle(QStringLiteral("Brivane"));
    svg.setDescription(QStringLiteral("A sticky note with an alarm clock"));
    QPainter p;
    if (!p.begin(&svg))
        return Fail(QStringLiteral("cannot write ") + path);
    p.setRenderHint(QPainter::Antialiasing);
    gen::PaintAppIcon(p);
    return p.end() || Fail(QStringLiteral("cannot write ") + path);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        Fail(QStringLiteral("usage: brivane_resgen <output folder> <reminder.wav path>"));
        return 2;
    }
    const QDir out(args.at(1));
    const QString wavPath = args.at(2);
    QDir().mkpath(out.filePath(QStringLiteral("pictures")));
    QDir().mkpath(out.filePath(QStringLiteral("icons")));

    gen::PictureSet set;
    gen::AddWindowPictures(set);
    gen::AddIconSeries(set);
    set[QStringLiteral("APPICON")] = gen::AppIcon(64);
    set[gen::HiDpiName(QStringLiteral("APPICON"))] = gen::AppIcon(128);

    QByteArray qrc;
    QTextStream qs(&qrc);
    qs << "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/pictures\">\n";
    for (const auto &[name, img] : set) {
        if (!CheckPicture(name, img) || !CheckHiDpiVariant(set, name, img))
            return 1;
        const QString file = QStringLiteral("pictures/") + name + QStringLiteral(".png");
        if (!img.save(out.filePath(file), "PNG")) {
            Fail(QStringLiteral("cannot save ") + file);
            return 1;
        }
        qs << "  <file alias=\"" << name << ".png\">" << file << "</file>\n";
    }
    qs << "</qresource>\n</RCC>\n";
    qs.flush();
    if (!WriteFile(out.filePath(QStringLiteral("library.qrc")), qrc))
        return 1;

    // The sizes the desktop's icon theme folders hold (hicolor).
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString file = out.filePath(QStringLiteral("icons/brivane-%1.png").arg(size));
        if (!gen::AppIcon(size).save(file, "PNG")) {
            Fail(QStringLiteral("cannot save ") + file);
            return 1;
        }
    }

    if (!WriteScalableIcon(out.filePath(QStringLiteral("icons/brivane.svg"))))
        return 1;

    if (!WriteFile(wavPath, gen::ChimeWav()))
        return 1;
    return 0;
}

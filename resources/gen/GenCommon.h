#pragma once
// Shared drawing helpers for the build-time generator of the picture library.
// Shaped pictures are composed so that their outline is crisp against the key
// colour (the window region is cut from exact colour matches), and icons are
// composed onto lime green, which the image lists turn transparent.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPoint>
#include <QSize>
#include <QString>

#include <functional>
#include <map>

namespace gen {

// Outside of every shaped picture; the window region drops this colour.
inline QColor ShapeKey()
{
    return QColor(255, 0, 255);
}
// Background of every numbered icon.
inline QColor IconKey()
{
    return QColor(0, 255, 0);
}

// Window body colours shared by the action, update and information windows.
inline QColor FooterColour()
{
    return QColor(239, 234, 216);
}
inline QColor BodyColour()
{
    return QColor(252, 251, 247);
}

struct Shadow {
    QPoint offset{4, 4};
    int blur = 4; // box-blur radius in pixels
    QColor dark{96, 98, 106}; // right under the body
    QColor light{196, 198, 204}; // at the crisp outer edge
    double cut = 0.22; // blurred coverage below this becomes the key
};

using PaintFn = std::function<void(QPainter &)>;

// A shaped picture: `paint` draws the body (clipped with antialiasing to `outline`)
// over a soft but opaque drop shadow; everything else is the key colour.
// At scale 2 the same drawing fills twice the pixels (the high-density variant):
// size, outline and shadow stay in the 1x units, paint draws in them too.
QImage ComposeShaped(QSize size, const QPainterPath &outline, const Shadow &shadow, const PaintFn &paint,
                     int scale = 1);

// An icon of `size` pixels: `paint` draws in a 32 x 32 coordinate system.
// Partly covered edge pixels are matted onto a light grey when they are mostly
// covered and become lime green otherwise, so no lime-tinted fringe remains.
QImage ComposeIcon(int size, const PaintFn &paint);

// Font families present on a plain Debian desktop, best first.
QFont SansFont(double pixelSize, bool bold = false);
QFont SerifFont(double pixelSize, bool bold = false);

QLinearGradient VerticalGradient(double y0, double y1, const QColor &top, const QColor &bottom);
QColor Mix(const QColor &a, const QColor &b, double t); // t = 0 gives a

// A deterministic pseudo-random source so every build draws the same stars.
class Lcg {
public:
    explicit Lcg(quint32 seed)
        : FState(seed)
    {
    }
    double Next()
    {
        FState = FState * 1664525u + 1013904223u;
        return double(FState >> 8) / double(1u << 24);
    }

private:
    quint32 FState;
};

// Pictures by library name.
using PictureSet = std::map<QString, QImage>;

// The name of a picture's variant for screens of twice the density.
inline QString HiDpiName(const QString &name)
{
    return name + QStringLiteral("@2x");
}

// Each picture at its size under its name, and drawn at twice the size under
// HiDpiName(name).
void AddWindowPictures(PictureSet &set);
void AddIconSeries(PictureSet &set);
// The application icon at the given size (transparent background).
QImage AppIcon(int size);
// Draws the application icon in a 64 x 64 box; AppIcon and the scalable icon share it.
void PaintAppIcon(QPainter &p);

// Icon painters in 32 x 32 coordinates, shared by the icons and the big pictures.
namespace art {
void AlarmClock(QPainter &p);
void Moon(QPainter &p);
} // namespace art

// The reminder chime: 16-bit PCM mono, 44.1 kHz.
QByteArray ChimeWav();

} // namespace gen

#include "GenCommon.h"

#include <QFontDatabase>

#include <algorithm>
#include <cmath>
#include <vector>

namespace gen {

namespace {

// One horizontal and one vertical box pass over an 8-bit coverage buffer.
void BoxBlur(std::vector<double> &a, int w, int h, int r)
{
    if (r <= 0)
        return;
    std::vector<double> tmp(a.size());
    const double norm = 1.0 / (2 * r + 1);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            double s = 0;
            for (int k = -r; k <= r; ++k) {
                const int xx = std::clamp(x + k, 0, w - 1);
                s += a[size_t(y) * w + xx];
            }
            tmp[size_t(y) * w + x] = s * norm;
        }
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            double s = 0;
            for (int k = -r; k <= r; ++k) {
                const int yy = std::clamp(y + k, 0, h - 1);
                s += tmp[size_t(yy) * w + x];
            }
            a[size_t(y) * w + x] = s * norm;
        }
    }
}

QFont PickFont(const QStringList &families, double pixelSize, bool bold)
{
    const QStringList present = QFontDatabase::families();
    QFont f;
    for (const QString &name : families) {
        if (present.contains(name)) {
            f.setFamily(name);
            break;
        }
    }
    f.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

} // namespace

QColor Mix(const QColor &a, const QColor &b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return QColor(int(std::lround(a.red() + (b.red() - a.red()) * t)),
                  int(std::lround(a.green() + (b.green() - a.green()) * t)),
                  int(std::lround(a.blue() + (b.blue() - a.blue()) * t)));
}

QLinearGradient VerticalGradient(double y0, double y1, const QColor &top, const QColor &bottom)
{
    QLinearGradient g(0, y0, 0, y1);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

QFont SansFont(double pixelSize, bool bold)
{
    return PickFont({QStringLiteral("DejaVu Sans"), QStringLiteral("Nimbus Sans"), QStringLiteral("Liberation Sans"),
                     QStringLiteral("Noto Sans")},
                    pixelSize, bold);
}

QFont SerifFont(double pixelSize, bool bold)
{
    return PickFont({QStringLiteral("DejaVu Serif"), QStringLiteral("Nimbus Roman"), QStringLiteral("Liberation Serif"),
                     QStringLiteral("P052")},
                    pixelSize, bold);
}

QImage ComposeShaped(QSize unscaledSize, const QPainterPath &unscaledOutline, const Shadow &unscaledShadow,
                     const PaintFn &paint, int scale)
{
    const QSize size = unscaledSize * scale;
    const QPainterPath outline = QTransform::fromScale(scale, scale).map(unscaledOutline);
    Shadow shadow = unscaledShadow;
    shadow.offset *= scale;
    shadow.blur *= scale;
    const int w = size.width();
    const int h = size.height();
    QImage out(size, QImage::Format_RGB32);
    out.fill(ShapeKey());
    const QRgb key = ShapeKey().rgb();

    // Shadow: blurred coverage of the offset outline, drawn opaque with a colour
    // that lightens outwards and a hard cut where the coverage becomes thin.
    {
        QImage mask(size, QImage::Format_Grayscale8);
        mask.fill(0);
        QPainter mp(&mask);
        mp.setRenderHint(QPainter::Antialiasing);
        mp.fillPath(outline.translated(shadow.offset), Qt::white);
        mp.end();
        std::vector<double> cov(size_t(w) * h);
        for (int y = 0; y < h; ++y) {
            const uchar *line = mask.constScanLine(y);
            for (int x = 0; x < w; ++x)
                cov[size_t(y) * w + x] = line[x] / 255.0;
        }
        for (int pass = 0; pass < 3; ++pass)
            BoxBlur(cov, w, h, std::max(0, shadow.blur / 2));
        for (int y = 0; y < h; ++y) {
            auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const double s = cov[size_t(y) * w + x];
                if (s < shadow.cut)
                    continue;
                const double t = std::pow((s - shadow.cut) / (1.0 - shadow.cut), 0.8);
                line[x] = Mix(shadow.light, shadow.dark, t).rgb();
            }
        }
    }

    // Body on its own layer, then masked by the antialiased outline.
    QImage layer(size, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.scale(scale, scale);
        paint(p);
        // Clear everything outside the outline (DestinationIn would leave
        // pixels the path does not reach untouched).
        QPainterPath outside;
        outside.setFillRule(Qt::OddEvenFill);
        outside.addRect(QRectF(-4, -4, w + 8, h + 8));
        outside.addPath(outline);
        p.resetTransform();
        p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        p.fillPath(outside, Qt::black);
    }
    layer = layer.convertToFormat(QImage::Format_ARGB32);

    for (int y = 0; y < h; ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(layer.constScanLine(y));
        auto *dst = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int a = qAlpha(src[x]);
            if (a == 0)
                continue;
            if (dst[x] == key) {
                // Nothing opaque underneath: keep the edge crisp instead of mixing in the key.
                if (a >= 128)
                    dst[x] = qRgb(qRed(src[x]), qGreen(src[x]), qBlue(src[x]));
                continue;
            }
            const double t = a / 255.0;
            dst[x] = qRgb(int(std::lround(qRed(src[x]) * t + qRed(dst[x]) * (1 - t))),
                          int(std::lround(qGreen(src[x]) * t + qGreen(dst[x]) * (1 - t))),
                          int(std::lround(qBlue(src[x]) * t + qBlue(dst[x]) * (1 - t))));
        }
    }

    // The key must come only from the outside, never from a stray body pixel.
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < w; ++x)
            if (line[x] == key && qAlpha(layer.pixel(x, y)) >= 128)
                line[x] = qRgb(254, 0, 254);
    }
    return out;
}

QImage ComposeIcon(int size, const PaintFn &paint)
{
    QImage layer(size, size, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(size / 32.0, size / 32.0);
        paint(p);
    }
    layer = layer.convertToFormat(QImage::Format_ARGB32);

    const QColor matte(236, 236, 236);
    QImage out(size, size, QImage::Format_RGB32);
    out.fill(IconKey());
    for (int y = 0; y < size; ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(layer.constScanLine(y));
        auto *dst = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < size; ++x) {
            const int a = qAlpha(src[x]);
            if (a < 90)
                continue;
            const double t = std::min(1.0, a / 230.0);
            QRgb c = qRgb(int(std::lround(qRed(src[x]) * t + matte.red() * (1 - t))),
                          int(std::lround(qGreen(src[x]) * t + matte.green() * (1 - t))),
                          int(std::lround(qBlue(src[x]) * t + matte.blue() * (1 - t))));
            if ((c & 0x00FFFFFFu) == (IconKey().rgb() & 0x00FFFFFFu))
                c = qRgb(0, 254, 0); // a drawn pixel must not vanish as background
            dst[x] = c;
        }
    }
    return out;
}

} // namespace gen

// The window pictures: the splash, the two notes, the action window, the
// full-moon notice, the update check and the information dialog. Each is the
// background and the outline of a borderless window, so the zones where the
// windows put their labels and buttons are kept plain:
//   ACTN      header 0..28 (light blue), body 29..69, footer 70..118 in the
//             button-panel colour; width 395, height 124.
//   NOTE      paper 0..359 x 0..235, coloured band 0..30, ruled paper below.
//   PRE_WARNING_NOTE  the same paper 28 pixels taller, amber band and edge.
//   FULLMOON  night sky 0..199 (moon centred at 162, 86), footer 200..263.
//   UPDT      header 0..26, body, footer 78..112.
//   INFO      header 0..28, body 29..133, footer 134..172.
//   SPL0      dark blue card; the area right of x = 160 in the top 36 rows is
//             left empty for the white version label.

#include "GenCommon.h"

#include <QPainterPath>

#include <cmath>

namespace gen {

namespace {

const QColor kHeaderTop(228, 237, 250);
const QColor kHeaderBottom(192, 211, 239);
const QColor kHeaderLine(142, 166, 206);
const QColor kCardEdge(112, 124, 148);

QPainterPath Rounded(const QRectF &r, double radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

// The edge stroke straddles the outline; the outer half is cut away by the mask.
void Edge(QPainter &p, const QPainterPath &outline, const QColor &c)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c, 2.0));
    p.drawPath(outline);
}

void Band(QPainter &p, const QRectF &r, const QBrush &fill, const QColor &lineBelow)
{
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRect(r);
    p.setPen(QPen(lineBelow, 1));
    p.drawLine(QPointF(r.left(), r.bottom() + 0.5), QPointF(r.right(), r.bottom() + 0.5));
}

void Footer(QPainter &p, double top, double width, double bottom)
{
    p.setPen(Qt::NoPen);
    p.setBrush(FooterColour());
    p.drawRect(QRectF(0, top, width, bottom - top));
    p.setPen(QPen(QColor(212, 204, 178), 1));
    p.drawLine(QPointF(0, top + 0.5), QPointF(width, top + 0.5));
    p.setPen(QPen(QColor(250, 248, 240), 1));
    p.drawLine(QPointF(0, top + 1.5), QPointF(width, top + 1.5));
}

// A plain card: light blue header, pale body, footer in the button-panel colour.
QImage Card(int scale, QSize size, double headerBottom, double footerTop, const PaintFn &extra = {})
{
    const QRectF body(0, 0, size.width() - 6, size.height() - 6);
    const QPainterPath outline = Rounded(body, 7);
    Shadow shadow;
    shadow.offset = QPoint(3, 3);
    shadow.blur = 4;
    return ComposeShaped(
        size, outline, shadow,
        [&](QPainter &p) {
            p.fillRect(body, BodyColour());
            Band(p, QRectF(0, 0, body.width(), headerBottom),
                 VerticalGradient(0, headerBottom, kHeaderTop, kHeaderBottom), kHeaderLine);
            p.setPen(QPen(QColor(255, 255, 255, 150), 1));
            p.drawLine(QPointF(6, 1.5), QPointF(body.width() - 6, 1.5));
            Footer(p, footerTop, body.width(), body.height());
            if (extra)
                extra(p);
            Edge(p, outline, kCardEdge);
        },
        scale);
}

QImage Splash(int scale)
{
    const QSize size(250, 175);
    const QRectF body(0, 0, 245, 170);
    const QPainterPath outline = Rounded(body, 12);
    Shadow shadow;
    shadow.offset = QPoint(3, 3);
    shadow.blur = 4;
    return ComposeShaped(
        size, outline, shadow,
        [&](QPainter &p) {
            QLinearGradient bg(0, 0, body.width(), body.height());
            bg.setColorAt(0, QColor(16, 30, 74));
            bg.setColorAt(0.55, QColor(26, 58, 124));
            bg.setColorAt(1, QColor(40, 92, 168));
            p.fillRect(body, bg);
            // Soft light behind the emblem and a faint arc for depth.
            QRadialGradient glow(QPointF(60, 92), 70);
            glow.setColorAt(0, QColor(255, 255, 255, 52));
            glow.setColorAt(1, QColor(255, 255, 255, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(glow);
            p.drawEllipse(QPointF(60, 92), 70, 70);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(QColor(255, 255, 255, 22), 14));
            p.drawArc(QRectF(-90, 96, 430, 230), 20 * 16, 140 * 16);

            p.save();
            p.translate(24, 54);
            p.scale(2.25, 2.25);
            art::AlarmClock(p);
            p.restore();

            p.setPen(QColor(255, 255, 255));
            p.setFont(SansFont(29, true));
            p.drawText(QRectF(104, 62, 140, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Brivane"));
            p.setPen(QColor(186, 208, 246));
            p.setFont(SansFont(10.5));
            p.drawText(QRectF(106, 102, 138, 16), Qt::AlignLeft | Qt::AlignVCenter,
                       QStringLiteral("reminders & tasks"));
            QLinearGradient rule(106, 0, 236, 0);
            rule.setColorAt(0, QColor(255, 190, 80, 220));
            rule.setColorAt(1, QColor(255, 190, 80, 0));
            p.setPen(QPen(QBrush(rule), 2));
            p.drawLine(QPointF(107, 124), QPointF(236, 124));

            p.setPen(QPen(QColor(255, 255, 255, 60), 1));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(body.adjusted(1.5, 1.5, -1.5, -1.5), 11, 11);
            Edge(p, outline, QColor(8, 16, 44));
        },
        scale);
}

QImage PaperNote(int scale, QSize size, bool preWarning)
{
    const QRectF paper(0, 0, size.width() - 8, size.height() - 8);
    const QPainterPath outline = Rounded(paper, 5);
    Shadow shadow;
    shadow.offset = QPoint(3, 4);
    shadow.blur = 5;
    return ComposeShaped(
        size, outline, shadow,
        [&](QPainter &p) {
            p.fillRect(paper, VerticalGradient(0, paper.height(), QColor(255, 255, 253), QColor(249, 248, 241)));
            // Faint ruled lines and a margin line, as on a notepad.
            const double firstRule = preWarning ? 80.5 : 60.5;
            p.setPen(QPen(QColor(212, 224, 242), 1));
            for (double y = firstRule; y < paper.height() - 34; y += 18)
                p.drawLine(QPointF(4, y), QPointF(paper.width() - 4, y));
            p.setPen(QPen(QColor(242, 200, 200), 1));
            p.drawLine(QPointF(10.5, 31), QPointF(10.5, paper.height() - 2));

            const QColor bandTop = preWarning ? QColor(255, 214, 146) : QColor(255, 244, 184);
            const QColor bandBottom = preWarning ? QColor(247, 170, 66) : QColor(255, 229, 132);
            const QColor bandLine = preWarning ? QColor(206, 124, 30) : QColor(226, 194, 88);
            Band(p, QRectF(0, 0, paper.width(), 30), VerticalGradient(0, 30, bandTop, bandBottom), bandLine);
            p.setPen(QPen(QColor(255, 255, 255, 140), 1));
            p.drawLine(QPointF(5, 1.5), QPointF(paper.width() - 5, 1.5));
            if (preWarning) {
                // Amber edge down the left side marks the early warning.
                p.setPen(Qt::NoPen);
                p.setBrush(VerticalGradient(31, paper.height(), QColor(250, 184, 80), QColor(236, 146, 40)));
                p.drawRect(QRectF(0, 31, 5, paper.height() - 31));
            }
            Edge(p, outline, preWarning ? QColor(186, 120, 40) : QColor(196, 184, 140));
        },
        scale);
}

QImage Action(int scale)
{
    return Card(scale, QSize(395, 124), 28, 70);
}

QImage FullMoon(int scale)
{
    const QSize size(324, 270);
    const QRectF body(0, 0, 318, 264);
    const QPainterPath outline = Rounded(body, 10);
    Shadow shadow;
    shadow.offset = QPoint(3, 3);
    shadow.blur = 4;
    return ComposeShaped(
        size, outline, shadow,
        [&](QPainter &p) {
            const double skyBottom = 200;
            p.fillRect(QRectF(0, 0, body.width(), skyBottom),
                       VerticalGradient(0, skyBottom, QColor(6, 12, 34), QColor(32, 50, 102)));
            const QPointF moon(162, 86);
            const double r = 52;
            Lcg rnd(20240601);
            p.setPen(Qt::NoPen);
            for (int i = 0; i < 90; ++i) {
                const QPointF s(4 + rnd.Next() * (body.width() - 8), 4 + rnd.Next() * 170);
                const double size = 0.5 + rnd.Next() * 1.1;
                const int alpha = 90 + int(rnd.Next() * 165);
                if (std::hypot(s.x() - moon.x(), s.y() - moon.y()) < r + 26)
                    continue;
                p.setBrush(QColor(255, 255, 240, alpha));
                p.drawEllipse(s, size, size);
            }
            QRadialGradient halo(moon, r * 1.9);
            halo.setColorAt(0, QColor(255, 250, 220, 90));
            halo.setColorAt(0.55, QColor(255, 250, 220, 28));
            halo.setColorAt(1, QColor(255, 250, 220, 0));
            p.setBrush(halo);
            p.drawEllipse(moon, r * 1.9, r * 1.9);
            QRadialGradient disk(moon + QPointF(-r * 0.3, -r * 0.35), r * 1.35);
            disk.setColorAt(0, QColor(255, 254, 240));
            disk.setColorAt(0.7, QColor(240, 234, 204));
            disk.setColorAt(1, QColor(214, 204, 166));
            p.setBrush(disk);
            p.drawEllipse(moon, r, r);
            // Seas: large soft grey patches.
            p.setBrush(QColor(196, 190, 162, 120));
            p.drawEllipse(moon + QPointF(-18, -14), 20, 15);
            p.drawEllipse(moon + QPointF(12, -20), 14, 11);
            p.drawEllipse(moon + QPointF(6, 10), 17, 12);
            p.drawEllipse(moon + QPointF(-20, 18), 10, 8);
            // Craters: a darker bowl with a light rim on the far side.
            const struct {
                double x, y, rad;
            } craters[] = {{-30, 0, 5.5}, {22, 24, 6.5}, {28, -4, 4},   {-8, -34, 4.5}, {-6, 30, 3.5},
                           {34, 16, 3},   {-36, -18, 3}, {10, -2, 2.6}, {-22, 34, 2.4}, {18, 40, 2.8}};
            for (const auto &c : craters) {
                const QPointF cc = moon + QPointF(c.x, c.y);
                p.setBrush(QColor(250, 246, 226, 200));
                p.drawEllipse(cc + QPointF(0.8, 0.8), c.rad, c.rad);
                p.setBrush(QColor(184, 176, 140, 210));
                p.drawEllipse(cc, c.rad, c.rad);
            }
            // Distant hills close the sky above the footer.
            QPainterPath hills;
            hills.moveTo(0, skyBottom);
            hills.lineTo(0, 186);
            hills.cubicTo(50, 172, 90, 184, 140, 182);
            hills.cubicTo(190, 180, 230, 168, body.width(), 180);
            hills.lineTo(body.width(), skyBottom);
            hills.closeSubpath();
            p.setBrush(QColor(12, 20, 46));
            p.drawPath(hills);
            Footer(p, skyBottom, body.width(), body.height());
            Edge(p, outline, QColor(20, 28, 56));
        },
        scale);
}

QImage Update(int scale)
{
    return Card(scale, QSize(295, 119), 26, 78, [](QPainter &p) {
        // Download badge at the right of the header.
        p.setPen(QPen(QColor(20, 96, 40), 1));
        p.setBrush(VerticalGradient(4, 22, QColor(120, 214, 120), QColor(30, 146, 52)));
        p.drawEllipse(QPointF(270, 13), 9, 9);
        p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(270, 8), QPointF(270, 17));
        p.drawPolyline(QPolygonF() << QPointF(266, 13.5) << QPointF(270, 17.5) << QPointF(274, 13.5));
    });
}

QImage Info(int scale)
{
    return Card(scale, QSize(367, 179), 28, 134, [](QPainter &p) {
        p.setPen(QPen(QColor(20, 70, 170), 1));
        p.setBrush(VerticalGradient(4, 24, QColor(110, 170, 250), QColor(24, 84, 190)));
        p.drawEllipse(QPointF(340, 14), 9.5, 9.5);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(340, 9.5), 1.7, 1.7);
        p.drawRoundedRect(QRectF(338.5, 12.5, 3, 7.5), 0.8, 0.8);
    });
}

} // namespace

void AddWindowPictures(PictureSet &set)
{
    for (int scale : {1, 2}) {
        const auto put = [&](const char *name, const QImage &picture) {
            const QString n = QString::fromLatin1(name);
            set[scale == 1 ? n : HiDpiName(n)] = picture;
        };
        put("SPL0", Splash(scale));
        put("NOTE", PaperNote(scale, QSize(367, 243), false));
        put("PRE_WARNING_NOTE", PaperNote(scale, QSize(367, 271), true));
        put("ACTN", Action(scale));
        put("FULLMOON", FullMoon(scale));
        put("UPDT", Update(scale));
        put("INFO", Info(scale));
    }
}

} // namespace gen

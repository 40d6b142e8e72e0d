// The numbered icon series. Every painter draws in a 32 x 32 box; the small
// sizes reuse the same drawing, so shapes are kept bold with firm outlines.

#include "GenCommon.h"

#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <numbers>
#include <vector>

namespace gen {

namespace {

const QColor kInk(52, 56, 68);

QPen Outline(const QColor &c = kInk, double w = 1.3)
{
    QPen pen(c, w);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

QPen Stroke(const QColor &c, double w)
{
    QPen pen(c, w);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void RoundBox(QPainter &p, const QRectF &r, double radius, const QBrush &fill, const QPen &pen = Outline())
{
    p.setPen(pen);
    p.setBrush(fill);
    p.drawRoundedRect(r, radius, radius);
}

QRadialGradient Ball(const QPointF &centre, double radius, const QColor &light, const QColor &dark)
{
    QRadialGradient g(centre + QPointF(-radius * 0.35, -radius * 0.4), radius * 1.3);
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    return g;
}

// Draws `fn` scaled by `s` with its 32 x 32 box moved to (dx, dy).
void Placed(QPainter &p, double dx, double dy, double s, const std::function<void(QPainter &)> &fn)
{
    p.save();
    p.translate(dx, dy);
    p.scale(s, s);
    fn(p);
    p.restore();
}

void Badge(QPainter &p, const QPointF &c, double r, const QColor &light, const QColor &dark)
{
    p.setPen(Outline(dark.darker(150), 1.2));
    p.setBrush(Ball(c, r, light, dark));
    p.drawEllipse(c, r, r);
}

} // namespace

namespace art {

void Speaker(QPainter &p)
{
    QPainterPath body;
    body.moveTo(2, 11.5);
    body.lineTo(8, 11.5);
    body.lineTo(15, 4.5);
    body.lineTo(15, 27.5);
    body.lineTo(8, 20.5);
    body.lineTo(2, 20.5);
    body.closeSubpath();
    p.setPen(Outline());
    p.setBrush(VerticalGradient(5, 27, QColor(150, 162, 186), QColor(72, 82, 104)));
    p.drawPath(body);
    p.setBrush(Qt::NoBrush);
    p.setPen(Stroke(QColor(30, 110, 210), 2.8));
    p.drawArc(QRectF(9, 10, 12, 12), -50 * 16, 100 * 16);
    p.drawArc(QRectF(4.5, 5.5, 21, 21), -50 * 16, 100 * 16);
    p.drawArc(QRectF(0, 1, 30, 30), -45 * 16, 90 * 16);
}

void Note(QPainter &p, const QColor &top = QColor(255, 238, 140), const QColor &bottom = QColor(250, 208, 70))
{
    QPainterPath sheet;
    sheet.moveTo(5, 4);
    sheet.lineTo(27, 4);
    sheet.lineTo(27, 21);
    sheet.lineTo(21, 28);
    sheet.lineTo(5, 28);
    sheet.closeSubpath();
    p.setPen(Outline(QColor(138, 104, 20)));
    p.setBrush(VerticalGradient(4, 28, top, bottom));
    p.drawPath(sheet);
    QPainterPath fold;
    fold.moveTo(27, 21);
    fold.lineTo(21, 21);
    fold.lineTo(21, 28);
    fold.closeSubpath();
    p.setBrush(bottom.darker(125));
    p.drawPath(fold);
    p.setPen(Stroke(QColor(150, 120, 60), 1.6));
    for (double y : {10.0, 14.5, 19.0})
        p.drawLine(QPointF(9, y), QPointF(23, y));
    p.drawLine(QPointF(9, 23.5), QPointF(17, 23.5));
}

void Envelope(QPainter &p)
{
    RoundBox(p, QRectF(3, 8, 26, 17), 1.5, VerticalGradient(8, 25, QColor(252, 252, 255), QColor(210, 222, 240)));
    p.setBrush(Qt::NoBrush);
    p.setPen(Outline(QColor(90, 104, 140), 1.3));
    p.drawLine(QPointF(4, 24), QPointF(13, 16));
    p.drawLine(QPointF(28, 24), QPointF(19, 16));
    QPainterPath flap;
    flap.moveTo(3.5, 8.5);
    flap.lineTo(16, 18);
    flap.lineTo(28.5, 8.5);
    p.setPen(Outline(QColor(70, 84, 120), 1.5));
    p.setBrush(VerticalGradient(8, 18, QColor(240, 244, 252), QColor(200, 212, 234)));
    p.drawPath(flap);
    // A small red stamp makes it read as mail even at 16 pixels.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 64, 52));
    p.drawRect(QRectF(22.5, 10, 3.5, 3.5));
}

void Gear(QPainter &p, const QPointF &c, double rOuter, double rInner, int teeth, const QColor &light,
          const QColor &dark)
{
    QPainterPath gear;
    const double step = 2 * std::numbers::pi / teeth;
    for (int i = 0; i < teeth; ++i) {
        const double a = i * step;
        const double pts[4][2] = {
            {a - step * 0.30, rInner}, {a - step * 0.16, rOuter}, {a + step * 0.16, rOuter}, {a + step * 0.30, rInner}};
        for (int k = 0; k < 4; ++k) {
            const QPointF q(c.x() + std::cos(pts[k][0]) * pts[k][1], c.y() + std::sin(pts[k][0]) * pts[k][1]);
            if (i == 0 && k == 0)
                gear.moveTo(q);
            else
                gear.lineTo(q);
        }
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, rInner * 0.38, rInner * 0.38);
    gear = gear.subtracted(hole);
    p.setPen(Outline(dark.darker(140), 1.2));
    p.setBrush(Ball(c, rOuter, light, dark));
    p.drawPath(gear);
}

void ProgramWindow(QPainter &p)
{
    RoundBox(p, QRectF(2.5, 4, 25, 21), 2, QColor(250, 251, 253));
    p.setPen(Qt::NoPen);
    p.setBrush(VerticalGradient(4, 10, QColor(90, 150, 230), QColor(36, 92, 180)));
    p.drawRect(QRectF(3.2, 4.7, 23.6, 5.3));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(21.5, 6.2, 3.5, 2.2));
    p.setPen(Stroke(QColor(170, 178, 195), 1.4));
    p.drawLine(QPointF(6, 14), QPointF(17, 14));
    p.drawLine(QPointF(6, 18), QPointF(13, 18));
    p.setPen(Outline());
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(2.5, 4, 25, 21), 2, 2);
    Gear(p, QPointF(22.5, 22.5), 8.2, 5.8, 8, QColor(214, 218, 226), QColor(104, 112, 128));
}

void Power(QPainter &p)
{
    Badge(p, QPointF(16, 16), 12.5, QColor(250, 120, 100), QColor(186, 28, 28));
    p.setBrush(Qt::NoBrush);
    p.setPen(Stroke(Qt::white, 2.8));
    p.drawArc(QRectF(9.5, 9.5, 13, 13), 125 * 16, 290 * 16);
    p.drawLine(QPointF(16, 7.5), QPointF(16, 15.5));
}

void AlarmClock(QPainter &p)
{
    // Bells, legs, then the face.
    p.setPen(Outline());
    p.setBrush(Ball(QPointF(7, 7), 5, QColor(255, 160, 140), QColor(190, 40, 36)));
    p.drawChord(QRectF(2.5, 2.5, 10, 10), 40 * 16, 180 * 16);
    p.setBrush(Ball(QPointF(25, 7), 5, QColor(255, 160, 140), QColor(190, 40, 36)));
    p.drawChord(QRectF(19.5, 2.5, 10, 10), -40 * 16, 180 * 16);
    p.setPen(Stroke(kInk, 2.2));
    p.drawLine(QPointF(9, 26), QPointF(6.5, 29.5));
    p.drawLine(QPointF(23, 26), QPointF(25.5, 29.5));
    p.setPen(Outline(QColor(120, 20, 20), 1.3));
    p.setBrush(Ball(QPointF(16, 17.5), 11.5, QColor(255, 120, 100), QColor(176, 24, 24)));
    p.drawEllipse(QPointF(16, 17.5), 11.5, 11.5);
    p.setPen(Outline(QColor(150, 150, 160), 0.8));
    p.setBrush(VerticalGradient(9, 26, Qt::white, QColor(226, 230, 238)));
    p.drawEllipse(QPointF(16, 17.5), 8.6, 8.6);
    p.setPen(Stroke(kInk, 1.9));
    p.drawLine(QPointF(16, 17.5), QPointF(16, 11.5));
    p.drawLine(QPointF(16, 17.5), QPointF(20.5, 19.5));
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(16, 17.5), 1.2, 1.2);
}

void Moon(QPainter &p)
{
    QRadialGradient glow(QPointF(13, 12), 17);
    glow.setColorAt(0, QColor(255, 252, 230));
    glow.setColorAt(1, QColor(214, 204, 160));
    p.setPen(Outline(QColor(150, 140, 96), 1.2));
    p.setBrush(glow);
    p.drawEllipse(QPointF(16, 16), 12.5, 12.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 190, 148));
    p.drawEllipse(QPointF(11.5, 12.5), 3.2, 2.8);
    p.drawEllipse(QPointF(20, 19.5), 4, 3.6);
    p.drawEllipse(QPointF(13, 22), 2, 1.8);
    p.drawEllipse(QPointF(21.5, 10.5), 1.8, 1.6);
}

void Calendar(QPainter &p, int mark)
{
    RoundBox(p, QRectF(3.5, 6, 25, 23), 2, VerticalGradient(6, 29, Qt::white, QColor(228, 232, 240)));
    p.setPen(Qt::NoPen);
    p.setBrush(VerticalGradient(6, 12, QColor(240, 96, 84), QColor(190, 36, 36)));
    p.drawRect(QRectF(4.2, 6.7, 23.6, 5.8));
    p.setPen(Outline());
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(3.5, 6, 25, 23), 2, 2);
    p.setBrush(QColor(90, 96, 110));
    p.drawRoundedRect(QRectF(9, 3, 2.6, 6), 1.2, 1.2);
    p.drawRoundedRect(QRectF(20.4, 3, 2.6, 6), 1.2, 1.2);
    if (mark == 0 || mark == 1) {
        p.setPen(Qt::NoPen);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c) {
                const QRectF cell(6.5 + c * 5, 15 + r * 4.5, 3.4, 3);
                const bool today = mark == 1 && r == 1 && c == 2;
                p.setBrush(today ? QColor(30, 110, 210) : QColor(176, 182, 196));
                p.drawRect(today ? cell.adjusted(-1, -1, 1, 1) : cell);
            }
    } else if (mark == 2) {
        // Tomorrow: an arrow onto the next day.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(176, 182, 196));
        p.drawRect(QRectF(6.5, 17.5, 5, 5));
        QPainterPath arrow;
        arrow.moveTo(12.5, 18.6);
        arrow.lineTo(18.5, 18.6);
        arrow.lineTo(18.5, 15.5);
        arrow.lineTo(25.5, 20);
        arrow.lineTo(18.5, 24.5);
        arrow.lineTo(18.5, 21.4);
        arrow.lineTo(12.5, 21.4);
        arrow.closeSubpath();
        p.setPen(Outline(QColor(20, 110, 40), 1));
        p.setBrush(VerticalGradient(15, 25, QColor(110, 210, 110), QColor(30, 150, 50)));
        p.drawPath(arrow);
    } else if (mark == 3) {
        p.setPen(QColor(30, 80, 170));
        p.setFont(SansFont(14.5, true));
        p.drawText(QRectF(3.5, 12, 25, 17), Qt::AlignCenter, QStringLiteral("5"));
    }
}

void Folder(QPainter &p)
{
    QPainterPath back;
    back.moveTo(3, 8);
    back.lineTo(12, 8);
    back.lineTo(14.5, 10.5);
    back.lineTo(28, 10.5);
    back.lineTo(28, 26);
    back.lineTo(3, 26);
    back.closeSubpath();
    p.setPen(Outline(QColor(140, 96, 16)));
    p.setBrush(VerticalGradient(8, 26, QColor(250, 210, 110), QColor(220, 160, 40)));
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(3, 26);
    front.lineTo(6.5, 14);
    front.lineTo(30.5, 14);
    front.lineTo(28, 26);
    front.closeSubpath();
    p.setBrush(VerticalGradient(14, 26, QColor(255, 228, 140), QColor(240, 184, 60)));
    p.drawPath(front);
}

void Document(QPainter &p)
{
    QPainterPath sheet;
    sheet.moveTo(7, 3);
    sheet.lineTo(19, 3);
    sheet.lineTo(25, 9);
    sheet.lineTo(25, 29);
    sheet.lineTo(7, 29);
    sheet.closeSubpath();
    p.setPen(Outline(QColor(90, 98, 116)));
    p.setBrush(VerticalGradient(3, 29, Qt::white, QColor(226, 231, 240)));
    p.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(19, 3);
    corner.lineTo(19, 9);
    corner.lineTo(25, 9);
    p.setBrush(QColor(204, 210, 222));
    p.drawPath(corner);
    p.setPen(Stroke(QColor(110, 150, 210), 1.5));
    for (double y : {13.0, 17.0, 21.0, 25.0})
        p.drawLine(QPointF(10.5, y), QPointF(y > 24 ? 17.0 : 21.5, y));
}

void OpenDocument(QPainter &p)
{
    Placed(p, -2, 0, 0.9, Document);
    // A green "go" arrow: the document is opened with its program.
    QPainterPath arrow;
    arrow.moveTo(14, 20);
    arrow.lineTo(21, 20);
    arrow.lineTo(21, 16);
    arrow.lineTo(29.5, 23);
    arrow.lineTo(21, 30);
    arrow.lineTo(21, 26);
    arrow.lineTo(14, 26);
    arrow.closeSubpath();
    p.setPen(Outline(QColor(20, 100, 36), 1.2));
    p.setBrush(VerticalGradient(16, 30, QColor(120, 216, 110), QColor(34, 150, 52)));
    p.drawPath(arrow);
}

void Restart(QPainter &p)
{
    Badge(p, QPointF(16, 16), 12.5, QColor(120, 214, 120), QColor(24, 130, 48));
    p.setBrush(Qt::NoBrush);
    p.setPen(Stroke(Qt::white, 2.6));
    p.drawArc(QRectF(9.5, 9.5, 13, 13), 100 * 16, 280 * 16);
    QPainterPath head;
    head.moveTo(13.6, 6.2);
    head.lineTo(19.6, 9.8);
    head.lineTo(13.6, 13.2);
    head.closeSubpath();
    p.setPen(Outline(Qt::white, 0.8));
    p.setBrush(Qt::white);
    p.drawPath(head);
}

void LogOff(QPainter &p)
{
    // An open door with an arrow leaving through it.
    p.setPen(Outline(QColor(96, 64, 30)));
    p.setBrush(VerticalGradient(3, 29, QColor(222, 226, 234), QColor(186, 192, 204)));
    p.drawRect(QRectF(4, 3, 14, 26));
    QPainterPath door;
    door.moveTo(4, 3);
    door.lineTo(12, 6);
    door.lineTo(12, 31);
    door.lineTo(4, 29);
    door.closeSubpath();
    p.setBrush(VerticalGradient(3, 31, QColor(210, 150, 90), QColor(150, 90, 40)));
    p.drawPath(door);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 220, 120));
    p.drawEllipse(QPointF(10, 18), 1.1, 1.1);
    QPainterPath arrow;
    arrow.moveTo(14, 13.5);
    arrow.lineTo(21, 13.5);
    arrow.lineTo(21, 9.5);
    arrow.lineTo(29.5, 16);
    arrow.lineTo(21, 22.5);
    arrow.lineTo(21, 18.5);
    arrow.lineTo(14, 18.5);
    arrow.closeSubpath();
    p.setPen(Outline(QColor(20, 70, 150), 1.2));
    p.setBrush(VerticalGradient(9, 23, QColor(110, 170, 240), QColor(30, 96, 200)));
    p.drawPath(arrow);
}

void Several(QPainter &p)
{
    // Three action icons piled up: a note, an envelope and the power button in front.
    Placed(p, -1.5, -1, 0.66, [](QPainter &q) { Note(q); });
    Placed(p, 11.5, -0.5, 0.66, Envelope);
    Placed(p, 5.5, 11.5, 0.64, Power);
}

void AddReminder(QPainter &p)
{
    Placed(p, -2, -1, 0.92, [](QPainter &q) { Note(q); });
    Badge(p, QPointF(23, 23), 7.5, QColor(130, 220, 120), QColor(30, 140, 50));
    p.setPen(Stroke(Qt::white, 2.6));
    p.drawLine(QPointF(23, 19), QPointF(23, 27));
    p.drawLine(QPointF(19, 23), QPointF(27, 23));
}

void SortArrow(QPainter &p, int dir)
{
    p.setPen(Outline(QColor(80, 86, 100), 1.0));
    auto tri = [&](bool up, double cy, const QColor &c) {
        QPolygonF t;
        if (up)
            t << QPointF(16, cy - 5) << QPointF(22, cy + 3) << QPointF(10, cy + 3);
        else
            t << QPointF(16, cy + 5) << QPointF(22, cy - 3) << QPointF(10, cy - 3);
        p.setBrush(c);
        p.drawPolygon(t);
    };
    if (dir == 0) {
        tri(true, 10, QColor(190, 196, 208));
        tri(false, 22, QColor(190, 196, 208));
    } else {
        tri(dir > 0, 16, QColor(40, 110, 210));
    }
}

void Pencil(QPainter &p)
{
    p.save();
    p.translate(16, 16);
    p.rotate(45);
    p.setPen(Outline());
    p.setBrush(VerticalGradient(-4, 4, QColor(255, 220, 110), QColor(230, 160, 30)));
    p.drawRect(QRectF(-10, -3.6, 17, 7.2));
    p.setBrush(QColor(240, 140, 150));
    p.drawRoundedRect(QRectF(-14.5, -3.6, 4.5, 7.2), 1.5, 1.5);
    QPolygonF tip;
    tip << QPointF(7, -3.6) << QPointF(14, 0) << QPointF(7, 3.6);
    p.setBrush(QColor(244, 222, 186));
    p.drawPolygon(tip);
    p.setBrush(kInk);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF() << QPointF(11.6, -1.2) << QPointF(14, 0) << QPointF(11.6, 1.2));
    p.restore();
}

void DeleteCross(QPainter &p)
{
    p.setPen(Stroke(QColor(130, 16, 16), 7.5));
    p.drawLine(QPointF(8, 8), QPointF(24, 24));
    p.drawLine(QPointF(24, 8), QPointF(8, 24));
    p.setPen(Stroke(QColor(230, 56, 48), 5));
    p.drawLine(QPointF(8, 8), QPointF(24, 24));
    p.drawLine(QPointF(24, 8), QPointF(8, 24));
}

void Suspend(QPainter &p)
{
    Badge(p, QPointF(16, 16), 12.5, QColor(255, 200, 110), QColor(214, 120, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(11, 9.5, 3.6, 13), 1, 1);
    p.drawRoundedRect(QRectF(17.4, 9.5, 3.6, 13), 1, 1);
}

void Resume(QPainter &p)
{
    Badge(p, QPointF(16, 16), 12.5, QColor(130, 220, 120), QColor(26, 136, 50));
    p.setPen(Outline(Qt::white, 0.8));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF() << QPointF(12.5, 9) << QPointF(23, 16) << QPointF(12.5, 23));
}

void Lightning(QPainter &p)
{
    QPolygonF bolt;
    bolt << QPointF(19, 2) << QPointF(7, 18) << QPointF(15, 18) << QPointF(11, 30) << QPointF(25, 12) << QPointF(17, 12)
         << QPointF(22, 2);
    p.setPen(Outline(QColor(150, 84, 0), 1.4));
    p.setBrush(VerticalGradient(2, 30, QColor(255, 236, 110), QColor(250, 150, 20)));
    p.drawPolygon(bolt);
}

void Copy(QPainter &p)
{
    Placed(p, -3, -2, 0.78, Document);
    Placed(p, 6, 6, 0.78, Document);
}

void Paste(QPainter &p)
{
    RoundBox(p, QRectF(4, 5, 20, 25), 2, VerticalGradient(5, 30, QColor(206, 150, 90), QColor(150, 96, 44)),
             Outline(QColor(96, 60, 20)));
    RoundBox(p, QRectF(9, 2.5, 10, 5), 1.5, QColor(180, 186, 198));
    Placed(p, 10, 9, 0.72, Document);
}

void Views(QPainter &p)
{
    const QColor colours[4] = {QColor(60, 130, 220), QColor(240, 170, 40), QColor(70, 170, 90), QColor(220, 80, 70)};
    for (int i = 0; i < 4; ++i) {
        const double x = 4 + (i % 2) * 13;
        const double y = 4 + (i / 2) * 13;
        RoundBox(p, QRectF(x, y, 11, 11), 2, Ball(QPointF(x + 5.5, y + 5.5), 6, colours[i].lighter(140), colours[i]),
                 Outline(colours[i].darker(170), 1.1));
    }
}

void ListAll(QPainter &p)
{
    RoundBox(p, QRectF(3, 3, 26, 26), 2.5, VerticalGradient(3, 29, Qt::white, QColor(226, 231, 240)));
    for (int i = 0; i < 4; ++i) {
        const double y = 8.5 + i * 5.2;
        p.setPen(Outline(QColor(20, 90, 180), 0.8));
        p.setBrush(QColor(60, 140, 230));
        p.drawRect(QRectF(6.5, y - 1.6, 3.2, 3.2));
        p.setPen(Stroke(QColor(96, 104, 122), 1.6));
        p.drawLine(QPointF(12.5, y), QPointF(i == 3 ? 19.0 : 25.0, y));
    }
}

void Import(QPainter &p)
{
    Folder(p);
    QPolygonF arrow;
    arrow << QPointF(13.5, 1) << QPointF(18.5, 1) << QPointF(18.5, 9) << QPointF(22.5, 9) << QPointF(16, 17)
          << QPointF(9.5, 9) << QPointF(13.5, 9);
    p.setPen(Outline(QColor(20, 70, 150), 1.2));
    p.setBrush(VerticalGradient(1, 17, QColor(110, 170, 240), QColor(30, 96, 200)));
    p.drawPolygon(arrow);
}

void Printer(QPainter &p)
{
    RoundBox(p, QRectF(9, 3, 14, 10), 1, Qt::white, Outline(QColor(100, 106, 120)));
    RoundBox(p, QRectF(3, 11, 26, 12), 2.5, VerticalGradient(11, 23, QColor(200, 206, 218), QColor(120, 128, 146)));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(80, 200, 90));
    p.drawEllipse(QPointF(24.5, 15), 1.4, 1.4);
    RoundBox(p, QRectF(8, 19, 16, 10), 1, Qt::white, Outline(QColor(100, 106, 120)));
    p.setPen(Stroke(QColor(150, 160, 180), 1.2));
    p.drawLine(QPointF(11, 23), QPointF(21, 23));
    p.drawLine(QPointF(11, 26), QPointF(18, 26));
}

void Preferences(QPainter &p)
{
    Gear(p, QPointF(13, 13), 11, 8, 9, QColor(220, 224, 232), QColor(100, 108, 124));
    Gear(p, QPointF(23.5, 23.5), 7, 5, 7, QColor(150, 190, 240), QColor(40, 96, 180));
}

void Info(QPainter &p)
{
    Badge(p, QPointF(16, 16), 12.5, QColor(110, 170, 250), QColor(24, 84, 190));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 9.6), 2.1, 2.1);
    p.drawRoundedRect(QRectF(14, 13.5, 4, 11), 1, 1);
}

void CheckMark(QPainter &p)
{
    QPainterPath tick;
    tick.moveTo(5, 17);
    tick.lineTo(13, 25);
    tick.lineTo(27, 7);
    p.setBrush(Qt::NoBrush);
    p.setPen(Stroke(QColor(16, 100, 36), 7.5));
    p.drawPath(tick);
    p.setPen(Stroke(QColor(60, 184, 70), 5));
    p.drawPath(tick);
}

void KeyCap(QPainter &p)
{
    RoundBox(p, QRectF(3, 4, 26, 24), 4, VerticalGradient(4, 28, QColor(250, 250, 252), QColor(176, 182, 196)));
    RoundBox(p, QRectF(6, 6, 20, 16), 3, VerticalGradient(6, 22, Qt::white, QColor(222, 226, 234)),
             Outline(QColor(150, 156, 170), 0.8));
    p.setPen(QColor(40, 60, 110));
    p.setFont(SansFont(13, true));
    p.drawText(QRectF(6, 5.5, 20, 16), Qt::AlignCenter, QStringLiteral("T"));
}

void ToolbarStrip(QPainter &p)
{
    RoundBox(p, QRectF(2.5, 5, 27, 22), 2, QColor(250, 251, 253));
    p.setPen(Qt::NoPen);
    p.setBrush(VerticalGradient(5, 14, QColor(226, 232, 242), QColor(196, 206, 224)));
    p.drawRect(QRectF(3.2, 5.7, 25.6, 8.5));
    const QColor c[3] = {QColor(60, 130, 220), QColor(70, 170, 90), QColor(230, 80, 70)};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(c[i]);
        p.setPen(Outline(c[i].darker(160), 0.8));
        p.drawRoundedRect(QRectF(5.5 + i * 7.5, 7.2, 5.5, 5.5), 1, 1);
    }
    p.setPen(Outline());
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(2.5, 5, 27, 22), 2, 2);
}

void Balloon(QPainter &p)
{
    QPainterPath b;
    b.addRoundedRect(QRectF(2.5, 4, 27, 18), 5, 5);
    QPainterPath tail;
    tail.moveTo(8, 20);
    tail.lineTo(7, 29);
    tail.lineTo(15, 21);
    tail.closeSubpath();
    b = b.united(tail);
    p.setPen(Outline(QColor(150, 120, 40)));
    p.setBrush(VerticalGradient(4, 29, QColor(255, 250, 210), QColor(250, 226, 140)));
    p.drawPath(b);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 100, 50));
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(10 + i * 6, 13), 1.7, 1.7);
}

void FontGlyph(QPainter &p)
{
    p.setPen(QColor(30, 60, 140));
    p.setFont(SerifFont(27, true));
    p.drawText(QRectF(0, -1, 24, 30), Qt::AlignCenter, QStringLiteral("A"));
    p.setPen(QColor(200, 60, 40));
    p.setFont(SerifFont(17, true));
    p.drawText(QRectF(16, 8, 16, 22), Qt::AlignCenter, QStringLiteral("a"));
}

void Snooze(QPainter &p)
{
    Placed(p, 0, 5, 0.8, AlarmClock);
    p.setPen(QColor(30, 90, 190));
    p.setFont(SansFont(11, true));
    p.drawText(QRectF(17, 0, 10, 12), Qt::AlignCenter, QStringLiteral("z"));
    p.setFont(SansFont(8, true));
    p.drawText(QRectF(24, 6, 8, 9), Qt::AlignCenter, QStringLiteral("z"));
}

void Server(QPainter &p)
{
    RoundBox(p, QRectF(4, 2.5, 15, 27), 2, VerticalGradient(2, 30, QColor(190, 198, 212), QColor(104, 112, 130)));
    p.setPen(Stroke(QColor(64, 70, 84), 1.3));
    for (double y : {8.0, 12.0, 16.0})
        p.drawLine(QPointF(7, y), QPointF(16, y));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(80, 210, 90));
    p.drawEllipse(QPointF(8, 25), 1.3, 1.3);
    Placed(p, 11, 12.5, 0.62, Envelope);
}

void Hourglass(QPainter &p)
{
    p.setPen(Outline(QColor(96, 64, 30)));
    p.setBrush(VerticalGradient(2, 6, QColor(210, 150, 90), QColor(150, 90, 40)));
    p.drawRoundedRect(QRectF(6, 2, 20, 4), 1.5, 1.5);
    p.drawRoundedRect(QRectF(6, 26, 20, 4), 1.5, 1.5);
    QPainterPath glass;
    glass.moveTo(9, 6);
    glass.lineTo(23, 6);
    glass.cubicTo(23, 12, 17.5, 14, 17.5, 16);
    glass.cubicTo(17.5, 18, 23, 20, 23, 26);
    glass.lineTo(9, 26);
    glass.cubicTo(9, 20, 14.5, 18, 14.5, 16);
    glass.cubicTo(14.5, 14, 9, 12, 9, 6);
    glass.closeSubpath();
    p.setPen(Outline(QColor(110, 130, 160), 1.1));
    p.setBrush(QColor(226, 238, 252));
    p.drawPath(glass);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(236, 176, 60));
    QPainterPath sand;
    sand.moveTo(11, 9.5);
    sand.lineTo(21, 9.5);
    sand.cubicTo(20, 12, 16.5, 13.5, 16, 15.5);
    sand.cubicTo(15.5, 13.5, 12, 12, 11, 9.5);
    p.drawPath(sand);
    QPainterPath pile;
    pile.moveTo(10, 25.5);
    pile.cubicTo(12, 21, 20, 21, 22, 25.5);
    pile.closeSubpath();
    p.drawPath(pile);
}

void Missed(QPainter &p)
{
    Placed(p, -1, -1, 0.88, AlarmClock);
    Badge(p, QPointF(24, 24), 7, QColor(255, 200, 90), QColor(220, 120, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(22.8, 19, 2.4, 6.5), 1, 1);
    p.drawEllipse(QPointF(24, 28), 1.3, 1.3);
}

void Heart(QPainter &p)
{
    QPainterPath h;
    h.moveTo(16, 28);
    h.cubicTo(4, 20, 2, 13, 4.5, 8.5);
    h.cubicTo(7.5, 3.5, 14, 4.5, 16, 10);
    h.cubicTo(18, 4.5, 24.5, 3.5, 27.5, 8.5);
    h.cubicTo(30, 13, 28, 20, 16, 28);
    h.closeSubpath();
    p.setPen(Outline(QColor(130, 16, 40)));
    p.setBrush(Ball(QPointF(16, 15), 12, QColor(255, 130, 150), QColor(200, 30, 60)));
    p.drawPath(h);
}

} // namespace art

namespace {

using Painter = std::function<void(QPainter &)>;

// Reminder pictures of the task list and the wizard: 1 sound, 3 popup note,
// 5 e-mail, 7 run program, 9 shutdown, 11 several actions; item 0 is the add
// item; the even ones between are the related variants (alarm, calendar,
// opened document, restart, log off) and 12 the full-moon notice.
std::vector<Painter> ReminderPainters()
{
    return {art::AddReminder,
            art::Speaker,
            art::AlarmClock,
            [](QPainter &p) { art::Note(p); },
            [](QPainter &p) { art::Calendar(p, 1); },
            art::Envelope,
            art::OpenDocument,
            art::ProgramWindow,
            art::Restart,
            art::Power,
            art::LogOff,
            art::Several,
            art::Moon};
}

// Toolbar and menu pictures: 0 add, 1 properties, 2 delete, 3 suspend, 4 resume,
// 5 run now, 6 copy, 7 paste, 8 views, 9 all reminders, 10 import, 11 print,
// 12 preferences, 13 about, 14 completed, 15 today, 16 tomorrow, 17 next five days.
std::vector<Painter> ToolbarPainters()
{
    return {art::AddReminder,
            art::Pencil,
            art::DeleteCross,
            art::Suspend,
            art::Resume,
            art::Lightning,
            art::Copy,
            art::Paste,
            art::Views,
            art::ListAll,
            art::Import,
            art::Printer,
            art::Preferences,
            art::Info,
            art::CheckMark,
            [](QPainter &p) { art::Calendar(p, 1); },
            [](QPainter &p) { art::Calendar(p, 2); },
            [](QPainter &p) { art::Calendar(p, 3); }};
}

// Preferences group pictures: 0 missed reminders, 1 shortcut keys, 2 calendar
// and time settings, 3 toolbar, 4 tooltips, 5 font, 6 snooze, 7 mail server,
// 8 wait times of the actions, 9 about.
std::vector<Painter> PreferencesPainters()
{
    return {art::Missed,       art::KeyCap,  [](QPainter &p) { art::Calendar(p, 0); },
            art::ToolbarStrip, art::Balloon, art::FontGlyph,
            art::Snooze,       art::Server,  art::Hourglass,
            art::Info};
}

void AddSeries(PictureSet &set, const QString &prefix, int size, const std::vector<Painter> &painters)
{
    for (size_t i = 0; i < painters.size(); ++i) {
        const QString name = prefix + QString::number(i);
        set[name] = ComposeIcon(size, painters[i]);
        set[HiDpiName(name)] = ComposeIcon(2 * size, painters[i]);
    }
}

} // namespace

void AddIconSeries(PictureSet &set)
{
    const auto reminder = ReminderPainters();
    AddSeries(set, QStringLiteral("TL_"), 32, reminder);
    auto small = reminder;
    // Column header pictures: sortable, ascending, descending.
    small.push_back([](QPainter &p) { art::SortArrow(p, 0); });
    small.push_back([](QPainter &p) { art::SortArrow(p, 1); });
    small.push_back([](QPainter &p) { art::SortArrow(p, -1); });
    AddSeries(set, QStringLiteral("TL20_"), 20, small);
    const auto toolbar = ToolbarPainters();
    AddSeries(set, QStringLiteral("TB_"), 24, toolbar);
    AddSeries(set, QStringLiteral("TB16_"), 16, toolbar);
    AddSeries(set, QStringLiteral("P_"), 32, PreferencesPainters());
}

void PaintAppIcon(QPainter &p)
{
    QLinearGradient bg(0, 0, 64, 64);
    bg.setColorAt(0, QColor(46, 110, 200));
    bg.setColorAt(1, QColor(20, 44, 106));
    p.setPen(QPen(QColor(16, 34, 84), 1.5));
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(3, 3, 58, 58), 13, 13);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 36));
    p.drawRoundedRect(QRectF(5, 5, 54, 26), 11, 11);
    // A sticky note with the alarm clock on it.
    Placed(p, 10, 12, 1.25, [](QPainter &q) { art::Note(q); });
    Placed(p, 24, 24, 1.05, art::AlarmClock);
}

QImage AppIcon(int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 64.0, size / 64.0);
    PaintAppIcon(p);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

} // namespace gen

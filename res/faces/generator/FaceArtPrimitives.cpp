#include "FaceArtPrimitives.h"

#include <QFont>
#include <QtMath>
#include <functional>

namespace FaceArt {

void ink(QPainter &p, qreal width, const QColor &colour)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
}

void faceBase(QPainter &p, const QColor &fill, qreal radius, QPointF centre)
{
    QRadialGradient shade(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
    shade.setColorAt(0, fill.lighter(125));
    shade.setColorAt(1, fill.darker(108));
    p.setPen(QPen(kSkinEdge, 1));
    p.setBrush(shade);
    p.drawEllipse(centre, radius, radius);
}

namespace {

void eyePair(qreal y, const std::function<void(QPointF)> &one)
{
    one({ 8.3, y });
    one({ 15.7, y });
}

void arc(QPainter &p, QPointF centre, qreal w, qreal h, int startDeg, int spanDeg)
{
    p.drawArc(QRectF(centre.x() - w / 2, centre.y() - h / 2, w, h), startDeg * 16, spanDeg * 16);
}

} // namespace

void eyes(QPainter &p, Eyes kind, qreal y)
{
    switch (kind) {
    case Eyes::Dots:
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        eyePair(y, [&](QPointF c) { p.drawEllipse(c, 1.4, 1.9); });
        break;
    case Eyes::Small:
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        eyePair(y, [&](QPointF c) { p.drawEllipse(c, 0.9, 0.9); });
        break;
    case Eyes::Happy:
        ink(p, 1.4);
        eyePair(y + 0.8, [&](QPointF c) { arc(p, c, 4, 3.4, 20, 140); });
        break;
    case Eyes::Closed:
        ink(p, 1.3);
        eyePair(y - 0.6, [&](QPointF c) { arc(p, c, 4, 3, 200, 140); });
        break;
    case Eyes::Tired:
        ink(p, 1.3);
        eyePair(y, [&](QPointF c) { p.drawLine(c - QPointF(1.8, 0), c + QPointF(1.8, 0)); });
        break;
    case Eyes::Wide:
        p.setPen(QPen(kInk, 0.8));
        p.setBrush(kWhite);
        eyePair(y, [&](QPointF c) { p.drawEllipse(c, 2.3, 2.7); });
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        eyePair(y, [&](QPointF c) { p.drawEllipse(c, 1.0, 1.0); });
        break;
    case Eyes::Rolled:
        p.setPen(QPen(kInk, 0.8));
        p.setBrush(kWhite);
        eyePair(y, [&](QPointF c) { p.drawEllipse(c, 2.2, 2.4); });
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        eyePair(y, [&](QPointF c) { p.drawEllipse(c + QPointF(0.8, -1.2), 0.9, 0.9); });
        break;
    case Eyes::Cross:
        ink(p, 1.2);
        eyePair(y, [&](QPointF c) {
            p.drawLine(c + QPointF(-1.6, -1.6), c + QPointF(1.6, 1.6));
            p.drawLine(c + QPointF(-1.6, 1.6), c + QPointF(1.6, -1.6));
        });
        break;
    case Eyes::Hearts:
        eyePair(y, [&](QPointF c) { heart(p, c, 4.2); });
        break;
    case Eyes::Spirals:
        ink(p, 0.9);
        eyePair(y, [&](QPointF c) {
            QPainterPath path;
            for (int i = 0; i <= 40; ++i) {
                const qreal a = i * 0.45;
                const qreal r = 0.1 + i * 0.055;
                const QPointF pt = c + QPointF(r * qCos(a), r * qSin(a));
                i ? path.lineTo(pt) : path.moveTo(pt);
            }
            p.drawPath(path);
        });
        break;
    case Eyes::Angry:
        eyes(p, Eyes::Dots, y + 0.5);
        ink(p, 1.3);
        p.drawLine(QPointF(6, y - 3), QPointF(10.3, y - 1.3));
        p.drawLine(QPointF(18, y - 3), QPointF(13.7, y - 1.3));
        break;
    case Eyes::Sad:
        eyes(p, Eyes::Dots, y + 0.5);
        ink(p, 1.2);
        p.drawLine(QPointF(6.2, y - 1.5), QPointF(10, y - 3.2));
        p.drawLine(QPointF(17.8, y - 1.5), QPointF(14, y - 3.2));
        break;
    case Eyes::Shades:
        p.setPen(QPen(Qt::black, 0.8));
        p.setBrush(QColor(0x20, 0x20, 0x28));
        p.drawRoundedRect(QRectF(4.4, y - 2.3, 6.6, 4.4), 1.6, 1.6);
        p.drawRoundedRect(QRectF(13, y - 2.3, 6.6, 4.4), 1.6, 1.6);
        p.drawLine(QPointF(11, y - 1.2), QPointF(13, y - 1.2));
        p.setPen(QPen(QColor(0xB0, 0xC8, 0xFF), 0.8));
        p.drawLine(QPointF(5.8, y - 1.2), QPointF(7.4, y - 1.2));
        p.drawLine(QPointF(14.4, y - 1.2), QPointF(16, y - 1.2));
        break;
    case Eyes::Wink:
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(8.3, y), 1.4, 1.9);
        ink(p, 1.4);
        arc(p, QPointF(15.7, y + 0.8), 4, 3.4, 20, 140);
        break;
    }
}

void mouth(QPainter &p, Mouth kind, qreal y)
{
    switch (kind) {
    case Mouth::None:
        break;
    case Mouth::Smile:
        ink(p, 1.4);
        arc(p, QPointF(12, y - 2), 9, 6, 200, 140);
        break;
    case Mouth::Grin:
    case Mouth::Teeth: {
        QPainterPath path;
        path.moveTo(6.8, y - 1.6);
        path.cubicTo(7.5, y + 5, 16.5, y + 5, 17.2, y - 1.6);
        path.closeSubpath();
        p.setPen(QPen(kInk, 1));
        p.setBrush(kind == Mouth::Grin ? QColor(0x8A, 0x20, 0x20) : kWhite);
        p.drawPath(path);
        if (kind == Mouth::Grin) {
            p.setPen(Qt::NoPen);
            p.setBrush(kWhite);
            p.drawRect(QRectF(7.6, y - 1.3, 8.8, 1.6));
        } else {
            ink(p, 0.6);
            for (qreal x = 9; x < 16; x += 2.2)
                p.drawLine(QPointF(x, y - 1.4), QPointF(x, y + 2.6));
            p.drawLine(QPointF(7.2, y + 0.4), QPointF(16.8, y + 0.4));
        }
        break;
    }
    case Mouth::Open: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(0x8A, 0x20, 0x20));
        p.drawEllipse(QPointF(12, y + 0.5), 3.2, 2.6);
        p.setPen(Qt::NoPen);
        p.setBrush(kPink);
        p.drawEllipse(QPointF(12, y + 1.8), 1.8, 1);
        break;
    }
    case Mouth::Frown:
        ink(p, 1.4);
        arc(p, QPointF(12, y + 2.2), 8, 5, 30, 120);
        break;
    case Mouth::Flat:
        ink(p, 1.4);
        p.drawLine(QPointF(8.5, y), QPointF(15.5, y));
        break;
    case Mouth::O:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(0x8A, 0x20, 0x20));
        p.drawEllipse(QPointF(12, y + 0.3), 2, 2.6);
        break;
    case Mouth::SmallO:
        ink(p, 1.1);
        p.drawEllipse(QPointF(12, y), 1.1, 1.1);
        break;
    case Mouth::Wavy: {
        ink(p, 1.3);
        QPainterPath path;
        path.moveTo(7.5, y + 0.5);
        path.cubicTo(9, y - 1.5, 10.5, y - 1.5, 12, y + 0.3);
        path.cubicTo(13.5, y + 2, 15, y + 2, 16.5, y - 0.2);
        p.drawPath(path);
        break;
    }
    case Mouth::Zigzag: {
        ink(p, 1.2);
        QPainterPath path;
        path.moveTo(7.5, y);
        for (int i = 1; i <= 6; ++i)
            path.lineTo(7.5 + i * 1.5, y + ((i % 2) ? -1 : 1));
        p.drawPath(path);
        break;
    }
    case Mouth::Tongue:
        mouth(p, Mouth::Smile, y);
        p.setPen(QPen(QColor(0xB0, 0x30, 0x40), 0.8));
        p.setBrush(kPink);
        p.drawChord(QRectF(10.2, y - 0.2, 4.4, 5.2), 180 * 16, 180 * 16);
        break;
    case Mouth::Sneer:
        ink(p, 1.3);
        p.drawLine(QPointF(9, y + 0.6), QPointF(15.5, y - 0.8));
        break;
    case Mouth::Drool:
        mouth(p, Mouth::O, y);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x9C, 0xD8, 0xFF));
        p.drawEllipse(QPointF(14.6, y + 3.4), 1, 1.5);
        break;
    }
}

void tear(QPainter &p, QPointF top, qreal length)
{
    QPainterPath path;
    path.moveTo(top);
    path.cubicTo(top + QPointF(1.8, length * 0.6), top + QPointF(1.2, length), top + QPointF(0, length));
    path.cubicTo(top + QPointF(-1.2, length), top + QPointF(-1.8, length * 0.6), top);
    p.setPen(QPen(QColor(0x1E, 0x6F, 0xC8), 0.6));
    p.setBrush(QColor(0x8C, 0xD0, 0xFF));
    p.drawPath(path);
}

void blush(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xFF, 0x70, 0x80, 150));
    p.drawEllipse(QPointF(5.8, 14.2), 2, 1.2);
    p.drawEllipse(QPointF(18.2, 14.2), 2, 1.2);
}

void sweatDrop(QPainter &p, QPointF at)
{
    tear(p, at, 4.5);
}

void angerVein(QPainter &p, QPointF at)
{
    ink(p, 1.2, kRed);
    for (int i = 0; i < 4; ++i) {
        const qreal a = qDegreesToRadians(45.0 + 90 * i);
        const QPointF d(qCos(a), qSin(a));
        const QPointF side(-d.y(), d.x());
        p.drawLine(at + d * 0.8 + side * 1.1, at + d * 2.4 + side * 0.4);
        p.drawLine(at + d * 0.8 - side * 1.1, at + d * 2.4 - side * 0.4);
    }
}

void heart(QPainter &p, QPointF c, qreal size, const QColor &fill)
{
    const qreal s = size / 2;
    QPainterPath path;
    path.moveTo(c.x(), c.y() + s);
    path.cubicTo(c.x() - s * 2.1, c.y() - s * 0.1, c.x() - s * 0.9, c.y() - s * 1.5, c.x(), c.y() - s * 0.5);
    path.cubicTo(c.x() + s * 0.9, c.y() - s * 1.5, c.x() + s * 2.1, c.y() - s * 0.1, c.x(), c.y() + s);
    p.setPen(QPen(fill.darker(150), 0.7));
    p.setBrush(fill);
    p.drawPath(path);
}

void star(QPainter &p, QPointF c, qreal outer, const QColor &fill)
{
    QPolygonF poly;
    for (int i = 0; i < 10; ++i) {
        const qreal r = (i % 2) ? outer * 0.45 : outer;
        const qreal a = qDegreesToRadians(-90.0 + 36 * i);
        poly << c + QPointF(r * qCos(a), r * qSin(a));
    }
    p.setPen(QPen(fill.darker(160), 0.8));
    p.setBrush(fill);
    p.drawPolygon(poly);
}

void letter(QPainter &p, const QString &text, const QRectF &box, const QColor &colour, qreal pixelSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(qRound(pixelSize));
    font.setBold(bold);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(box, Qt::AlignCenter, text);
}

void cloud(QPainter &p, QPointF c, qreal k, const QColor &fill)
{
    QPainterPath path;
    path.addEllipse(c + QPointF(-5 * k, 1 * k), 4 * k, 3.2 * k);
    path.addEllipse(c + QPointF(0, -1.5 * k), 5 * k, 4.4 * k);
    path.addEllipse(c + QPointF(5 * k, 1 * k), 4 * k, 3.2 * k);
    path.addRect(QRectF(c + QPointF(-5 * k, 0), c + QPointF(5 * k, 4.2 * k)));
    path.setFillRule(Qt::WindingFill);
    p.setPen(QPen(fill.darker(140), 0.8));
    p.setBrush(fill);
    p.drawPath(path.simplified());
}

void thumb(QPainter &p, bool up)
{
    p.save();
    if (!up) {
        p.translate(12, 12);
        p.rotate(180);
        p.translate(-12, -12);
    }
    p.setPen(QPen(kSkinEdge, 1));
    p.setBrush(kSkin);
    QPainterPath fist;
    fist.addRoundedRect(QRectF(7, 10, 11, 10), 2.5, 2.5);
    QPainterPath thumbPath;
    thumbPath.addRoundedRect(QRectF(8, 2.5, 4.4, 10), 2.2, 2.2);
    p.drawPath(fist.united(thumbPath));
    ink(p, 0.8, kSkinEdge);
    for (qreal y = 13; y < 20; y += 2.4)
        p.drawLine(QPointF(13, y), QPointF(17.5, y));
    p.setPen(QPen(QColor(0x30, 0x50, 0x90), 0.8));
    p.setBrush(QColor(0x50, 0x80, 0xD0));
    p.drawRect(QRectF(4, 11, 3, 9));
    p.restore();
}

void genderSign(QPainter &p, bool male)
{
    const QColor colour = male ? kBlue : QColor(0xE8, 0x4A, 0x8A);
    p.setPen(QPen(colour, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    if (male) {
        p.drawEllipse(QPointF(10, 14), 5, 5);
        p.drawLine(QPointF(13.6, 10.4), QPointF(19, 5));
        p.drawLine(QPointF(19, 5), QPointF(14.5, 5));
        p.drawLine(QPointF(19, 5), QPointF(19, 9.5));
    } else {
        p.drawEllipse(QPointF(12, 9), 5, 5);
        p.drawLine(QPointF(12, 14), QPointF(12, 22));
        p.drawLine(QPointF(8.5, 18.5), QPointF(15.5, 18.5));
    }
}

} // namespace FaceArt

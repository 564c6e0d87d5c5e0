#include "Painters.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace Art {
namespace {

QColor hsv(int h, int s, int v)
{
    return QColor::fromHsv(((h % 360) + 360) % 360, s, v);
}

void tile(QPainter &p, const QColor &base)
{
    QLinearGradient g(0, 0, 0, 64);
    g.setColorAt(0, base.lighter(135));
    g.setColorAt(1, base);
    p.setPen(QPen(base.darker(130), 1.5));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(1, 1, 62, 62), 12, 12);
}

// Everything drawn after this stays inside the rounded tile.
void clipToTile(QPainter &p)
{
    QPainterPath clip;
    clip.addRoundedRect(QRectF(1.8, 1.8, 60.4, 60.4), 11, 11);
    p.setClipPath(clip);
}

void shoulders(QPainter &p, const QColor &shirt)
{
    p.setPen(QPen(shirt.darker(140), 1.2));
    p.setBrush(shirt);
    p.drawEllipse(QRectF(9, 46, 46, 36));
}

void face(QPainter &p, const QColor &skin)
{
    p.setPen(QPen(skin.darker(135), 1.2));
    p.setBrush(skin);
    p.drawEllipse(QRectF(17, 13, 30, 34));
    // ears
    p.drawEllipse(QRectF(14, 27, 6, 9));
    p.drawEllipse(QRectF(44, 27, 6, 9));
}

void eyes(QPainter &p, int style)
{
    const QColor ink(40, 40, 48);
    p.setBrush(ink);
    p.setPen(Qt::NoPen);
    switch (style) {
    case 0:
        p.drawEllipse(QPointF(26, 30), 2.4, 2.8);
        p.drawEllipse(QPointF(38, 30), 2.4, 2.8);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(26.8, 29.2), 0.8, 0.8);
        p.drawEllipse(QPointF(38.8, 29.2), 0.8, 0.8);
        break;
    case 1:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(22.5, 28, 7, 6), 20 * 16, 140 * 16);
        p.drawArc(QRectF(34.5, 28, 7, 6), 20 * 16, 140 * 16);
        break;
    default:
        p.drawEllipse(QPointF(26, 30), 1.8, 2.1);
        p.drawEllipse(QPointF(38, 30), 1.8, 2.1);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(30, 30, 30), 1.6));
        p.drawEllipse(QPointF(26, 30), 5, 4.5);
        p.drawEllipse(QPointF(38, 30), 5, 4.5);
        p.drawLine(QPointF(31, 30), QPointF(33, 30));
        break;
    }
}

void mouth(QPainter &p, int style)
{
    const QColor lip(190, 60, 60);
    switch (style) {
    case 0:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(lip, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(26, 34, 12, 7), 200 * 16, 140 * 16);
        break;
    case 1:
        p.setPen(QPen(lip.darker(120), 1));
        p.setBrush(lip);
        p.drawChord(QRectF(26, 33, 12, 10), 180 * 16, 180 * 16);
        break;
    default:
        p.setPen(QPen(lip, 1.5));
        p.setBrush(lip.lighter(130));
        p.drawEllipse(QPointF(32, 39.5), 2.2, 2.4);
        break;
    }
}

void blush(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 120, 130, 90));
    p.drawEllipse(QPointF(22, 36), 3.2, 2.2);
    p.drawEllipse(QPointF(42, 36), 3.2, 2.2);
}

void hairBack(QPainter &p, int style, const QColor &hair)
{
    p.setPen(QPen(hair.darker(130), 1));
    p.setBrush(hair);
    if (style == 2) // long hair falls behind the shoulders
        p.drawRoundedRect(QRectF(14, 12, 36, 44), 14, 14);
    if (style == 6) { // pigtails
        p.drawEllipse(QRectF(7, 24, 11, 15));
        p.drawEllipse(QRectF(46, 24, 11, 15));
    }
    if (style == 4) // bun
        p.drawEllipse(QRectF(25, 3, 14, 13));
}

void hairFront(QPainter &p, int style, const QColor &hair, const QColor &accent)
{
    p.setPen(QPen(hair.darker(130), 1));
    p.setBrush(hair);
    QPainterPath path;
    switch (style) {
    case 3: { // spiky
        path.moveTo(16, 28);
        const double xs[] = {16, 20, 23, 27, 31, 35, 39, 43, 46, 48};
        const double ys[] = {28, 10, 17, 6, 14, 5, 14, 8, 18, 28};
        for (int i = 1; i < 10; ++i)
            path.lineTo(xs[i], ys[i]);
        path.quadTo(32, 18, 16, 28);
        p.drawPath(path);
        break;
    }
    case 5: { // cap with a brim
        p.setBrush(accent);
        p.setPen(QPen(accent.darker(140), 1));
        p.drawChord(QRectF(15, 8, 34, 30), 0, 180 * 16);
        p.drawRoundedRect(QRectF(30, 20, 22, 4), 2, 2);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(32, 9.5), 2, 2);
        break;
    }
    case 1: // side parting with a fringe
        path.moveTo(16, 30);
        path.cubicTo(14, 6, 50, 6, 48, 30);
        path.quadTo(42, 18, 30, 19);
        path.quadTo(22, 22, 16, 30);
        p.drawPath(path);
        break;
    default: // a plain crop, also under buns, pigtails and long hair
        path.moveTo(16, 29);
        path.cubicTo(15, 8, 49, 8, 48, 29);
        path.quadTo(46, 20, 40, 18);
        path.quadTo(32, 23, 24, 18);
        path.quadTo(18, 21, 16, 29);
        p.drawPath(path);
        break;
    }
}

void person(QPainter &p, int h)
{
    static const QColor skins[] = {QColor(0xF9, 0xD9, 0xBA), QColor(0xF1, 0xC2, 0x8D), QColor(0xDE, 0xAA, 0x74),
        QColor(0xB9, 0x80, 0x55)};
    static const QColor hairs[] = {QColor(0x2B, 0x2B, 0x30), QColor(0x5A, 0x38, 0x25), QColor(0x8D, 0x55, 0x24),
        QColor(0xD9, 0xA4, 0x41), QColor(0xA8, 0x3A, 0x32), QColor(0x70, 0x70, 0x78)};
    const QColor skin = skins[(h / 2) % 4];
    const int style = h % 7;
    const QColor hair = hairs[(h / 7) % 6];
    const QColor shirt = hsv(h * 53 + 20, 150, 200);
    hairBack(p, style, hair);
    shoulders(p, shirt);
    // collar
    p.setPen(Qt::NoPen);
    p.setBrush(shirt.lighter(150));
    QPainterPath collar;
    collar.moveTo(26, 47);
    collar.lineTo(32, 54);
    collar.lineTo(38, 47);
    collar.closeSubpath();
    p.drawPath(collar);
    face(p, skin);
    hairFront(p, style, hair, hsv(h * 29 + 180, 170, 210));
    const int eyeStyles[] = {0, 1, 0, 2};
    eyes(p, eyeStyles[(h / 3) % 4]);
    mouth(p, (h / 4) % 3);
    if (h % 3 == 0)
        blush(p);
}

void animal(QPainter &p, int h)
{
    const int species = (h / 5) % 8;
    const QColor furs[] = {QColor(0xF0, 0xA0, 0x50), QColor(0x9A, 0x6A, 0x48), QColor(0xF4, 0xF0, 0xEE),
        QColor(0xFA, 0xFA, 0xFA), QColor(0xC8, 0x9A, 0x68), QColor(0x4A, 0x8E, 0xE0), QColor(0xE8, 0x70, 0x30),
        QColor(0x6C, 0xC0, 0x5A)};
    const QColor fur = furs[species];
    const QColor ink(40, 40, 48);
    p.setPen(QPen(fur.darker(150), 1.2));
    p.setBrush(fur);
    switch (species) {
    case 0: // cat
    case 6: { // fox
        QPainterPath ears;
        ears.moveTo(14, 30);
        ears.lineTo(17, 8);
        ears.lineTo(30, 18);
        ears.moveTo(50, 30);
        ears.lineTo(47, 8);
        ears.lineTo(34, 18);
        p.drawPath(ears);
        break;
    }
    case 1: // bear
    case 3: // panda
        p.setBrush(species == 3 ? QColor(35, 35, 40) : fur);
        p.drawEllipse(QRectF(11, 10, 15, 15));
        p.drawEllipse(QRectF(38, 10, 15, 15));
        p.setBrush(fur);
        break;
    case 2: // rabbit
        p.drawEllipse(QRectF(19, 0, 9, 26));
        p.drawEllipse(QRectF(36, 0, 9, 26));
        p.setBrush(QColor(255, 180, 190));
        p.drawEllipse(QRectF(21.5, 4, 4, 18));
        p.drawEllipse(QRectF(38.5, 4, 4, 18));
        p.setBrush(fur);
        break;
    case 4: // dog: floppy ears
        p.setBrush(fur.darker(130));
        p.drawEllipse(QRectF(8, 18, 13, 24));
        p.drawEllipse(QRectF(43, 18, 13, 24));
        p.setBrush(fur);
        break;
    default:
        break;
    }
    // head
    if (species == 7) // frog: wide head with eyes on top
        p.drawEllipse(QRectF(10, 20, 44, 34));
    else
        p.drawEllipse(QRectF(13, 14, 38, 38));
    if (species == 6 || species == 0) { // pale muzzle
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 245, 230));
        p.drawEllipse(QRectF(22, 33, 20, 15));
    }
    if (species == 3) { // panda eye patches
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(35, 35, 40));
        p.drawEllipse(QRectF(19, 26, 10, 11));
        p.drawEllipse(QRectF(35, 26, 10, 11));
    }
    if (species == 7) {
        p.setPen(QPen(fur.darker(150), 1.2));
        p.setBrush(fur);
        p.drawEllipse(QRectF(14, 12, 14, 14));
        p.drawEllipse(QRectF(36, 12, 14, 14));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(17, 15, 8, 8));
        p.drawEllipse(QRectF(39, 15, 8, 8));
        p.setBrush(ink);
        p.drawEllipse(QRectF(19.5, 17.5, 3.5, 3.5));
        p.drawEllipse(QRectF(41.5, 17.5, 3.5, 3.5));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(20, 30, 24, 14), 200 * 16, 140 * 16);
        return;
    }
    // eyes
    p.setPen(Qt::NoPen);
    p.setBrush(species == 3 ? QColor(Qt::white) : ink);
    p.drawEllipse(QPointF(25.5, 31), 2.3, 2.6);
    p.drawEllipse(QPointF(38.5, 31), 2.3, 2.6);
    if (species == 5) { // bird: beak
        p.setBrush(QColor(0xF5, 0xB0, 0x20));
        QPainterPath beak;
        beak.moveTo(27, 37);
        beak.lineTo(37, 37);
        beak.lineTo(32, 45);
        beak.closeSubpath();
        p.drawPath(beak);
        return;
    }
    // nose and mouth
    p.setBrush(ink);
    p.drawEllipse(QPointF(32, 38), 2.6, 2);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(26.5, 36.5, 5.5, 5), 200 * 16, 140 * 16);
    p.drawArc(QRectF(32, 36.5, 5.5, 5), 200 * 16, 140 * 16);
    if (species == 0 || species == 6) { // whiskers
        p.setPen(QPen(ink, 0.9));
        p.drawLine(QPointF(14, 36), QPointF(22, 38));
        p.drawLine(QPointF(14, 41), QPointF(22, 40));
        p.drawLine(QPointF(50, 36), QPointF(42, 38));
        p.drawLine(QPointF(50, 41), QPointF(42, 40));
    }
}

void silhouette(QPainter &p, const QColor &c, QPointF at, double scale)
{
    p.save();
    p.translate(at);
    p.scale(scale, scale);
    p.setPen(QPen(c.darker(140), 1.2));
    p.setBrush(c);
    p.drawEllipse(QRectF(-9, -22, 18, 20));
    p.drawChord(QRectF(-16, -2, 32, 34), 0, 180 * 16);
    p.restore();
}

void monitor(QPainter &p)
{
    tile(p, QColor(0xA8, 0xB4, 0xC4));
    p.setPen(QPen(QColor(50, 60, 75), 1.5));
    p.setBrush(QColor(70, 80, 95));
    p.drawRoundedRect(QRectF(10, 12, 44, 32), 3, 3);
    QLinearGradient screen(0, 15, 0, 41);
    screen.setColorAt(0, QColor(150, 210, 255));
    screen.setColorAt(1, QColor(60, 130, 210));
    p.setBrush(screen);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(14, 16, 36, 24));
    p.setBrush(QColor(70, 80, 95));
    p.drawRect(QRectF(28, 44, 8, 7));
    p.drawRoundedRect(QRectF(19, 50, 26, 4), 2, 2);
}

void groupNode(QPainter &p, bool expanded)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3A, 0x6E, 0xC8));
    QPainterPath arrow;
    if (expanded) {
        arrow.moveTo(18, 24);
        arrow.lineTo(46, 24);
        arrow.lineTo(32, 42);
    } else {
        arrow.moveTo(24, 18);
        arrow.lineTo(42, 32);
        arrow.lineTo(24, 46);
    }
    arrow.closeSubpath();
    p.drawPath(arrow);
}

} // namespace

void drawHeadImage(QPainter &p, int index)
{
    p.setRenderHint(QPainter::Antialiasing);
    if (index == 0) {
        monitor(p);
        return;
    }
    if (index == 89 || index == 90) {
        groupNode(p, index == 89);
        return;
    }
    if (index >= 84) {
        const QColor bases[] = {QColor(0x8C, 0xA6, 0xC8), QColor(0x4F, 0x8F, 0xE8), QColor(0x5C, 0xB8, 0x7A),
            QColor(0xE8, 0xA0, 0x50), QColor(0xA8, 0x80, 0xD0)};
        tile(p, bases[index - 84]);
        clipToTile(p);
        if (index == 85) { // a group: three people
            silhouette(p, QColor(0xDD, 0xEE, 0xFF), QPointF(18, 38), 0.8);
            silhouette(p, QColor(0xDD, 0xEE, 0xFF), QPointF(46, 38), 0.8);
            silhouette(p, Qt::white, QPointF(32, 44), 1.0);
        } else if (index == 86) { // a group's members: a small chart
            p.setPen(QPen(Qt::white, 2.2));
            p.drawLine(QPointF(32, 22), QPointF(32, 32));
            p.drawLine(QPointF(16, 32), QPointF(48, 32));
            p.drawLine(QPointF(16, 32), QPointF(16, 40));
            p.drawLine(QPointF(48, 32), QPointF(48, 40));
            p.setBrush(QColor(0xF8, 0xF8, 0xF0));
            p.setPen(QPen(QColor(0x2E, 0x7A, 0x4A), 1.5));
            p.drawRoundedRect(QRectF(22, 10, 20, 13), 3, 3);
            p.drawRoundedRect(QRectF(7, 40, 18, 13), 3, 3);
            p.drawRoundedRect(QRectF(39, 40, 18, 13), 3, 3);
        } else {
            silhouette(p, Qt::white, QPointF(32, 40), 1.15);
        }
        return;
    }
    const int h = index - 1;
    tile(p, hsv(h * 37 + 200, 90, 240));
    clipToTile(p);
    if (h % 5 == 4)
        animal(p, h);
    else
        person(p, h);
}

void drawBird(QPainter &p, const QColor &body, const QColor &belly, int frame)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QColor outline = body.darker(160);
    // tail
    QPainterPath tail;
    tail.moveTo(16, 38);
    tail.lineTo(2, 44);
    tail.lineTo(6, 36);
    tail.lineTo(1, 30);
    tail.lineTo(18, 31);
    tail.closeSubpath();
    p.setPen(QPen(outline, 1.3));
    p.setBrush(body.darker(115));
    p.drawPath(tail);
    // body
    QPainterPath bodyPath;
    bodyPath.moveTo(12, 34);
    bodyPath.cubicTo(14, 20, 34, 16, 44, 22);
    bodyPath.cubicTo(52, 28, 50, 44, 38, 50);
    bodyPath.cubicTo(28, 55, 14, 48, 12, 34);
    p.setBrush(body);
    p.drawPath(bodyPath);
    // belly
    QPainterPath bellyPath;
    bellyPath.moveTo(22, 47);
    bellyPath.cubicTo(30, 52, 44, 48, 47, 36);
    bellyPath.cubicTo(44, 44, 32, 47, 22, 47);
    p.setPen(Qt::NoPen);
    p.setBrush(belly);
    p.drawPath(bellyPath);
    // head
    p.setPen(QPen(outline, 1.3));
    p.setBrush(body);
    p.drawEllipse(QRectF(36, 10, 22, 21));
    // beak
    QPainterPath beak;
    beak.moveTo(56, 17);
    beak.lineTo(63, 21);
    beak.lineTo(56, 24);
    beak.closeSubpath();
    p.setBrush(QColor(0xF5, 0xB0, 0x20));
    p.setPen(QPen(QColor(0xB0, 0x70, 0x10), 1));
    p.drawPath(beak);
    // eye
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(50, 18), 3.6, 3.6);
    p.setBrush(QColor(20, 20, 30));
    p.drawEllipse(QPointF(51, 18), 2, 2);
    // wing
    QPainterPath wing;
    if (frame == 0) {
        wing.moveTo(20, 30);
        wing.cubicTo(22, 12, 30, 4, 40, 2);
        wing.cubicTo(36, 14, 36, 26, 32, 34);
        wing.closeSubpath();
    } else {
        wing.moveTo(20, 32);
        wing.cubicTo(26, 26, 36, 28, 42, 34);
        wing.cubicTo(34, 44, 24, 46, 18, 44);
        wing.closeSubpath();
    }
    p.setPen(QPen(outline, 1.2));
    p.setBrush(body.darker(125));
    p.drawPath(wing);
}

void drawTrayIcon(QPainter &p, TrayKind kind)
{
    p.setRenderHint(QPainter::Antialiasing);
    if (kind == TrayMessage) {
        p.setPen(QPen(QColor(0x2A, 0x5C, 0xB0), 2.5));
        QLinearGradient g(0, 14, 0, 52);
        g.setColorAt(0, Qt::white);
        g.setColorAt(1, QColor(0xE4, 0xEE, 0xFA));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(4, 14, 56, 38), 5, 5);
        QPainterPath flap;
        flap.moveTo(6, 17);
        flap.lineTo(32, 38);
        flap.lineTo(58, 17);
        p.setBrush(Qt::NoBrush);
        p.drawPath(flap);
        p.setPen(QPen(Qt::white, 2));
        p.setBrush(QColor(0xE0, 0x30, 0x30));
        p.drawEllipse(QPointF(52, 14), 10, 10);
        return;
    }
    if (kind == TrayHidden) {
        p.setOpacity(0.75);
        drawBird(p, QColor(0x9A, 0xA0, 0xA8), QColor(0xDC, 0xDE, 0xE0), 1);
        p.setOpacity(1);
        return;
    }
    drawBird(p, QColor(0x1E, 0x6F, 0xD9), QColor(0xD8, 0xEC, 0xFF), 1);
    if (kind == TrayAway) {
        // a small clock at the lower left
        p.setPen(QPen(Qt::white, 2));
        p.setBrush(QColor(0xF0, 0xA0, 0x10));
        p.drawEllipse(QPointF(14, 50), 12, 12);
        p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14, 50), QPointF(14, 42));
        p.drawLine(QPointF(14, 50), QPointF(20, 53));
    }
}

void drawProgramIcon(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 64);
    g.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
    g.setColorAt(1, QColor(0xBF, 0xDD, 0xFA));
    p.setPen(QPen(QColor(0x2A, 0x5C, 0xB0), 1.5));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(1, 1, 62, 62), 14, 14);
    p.save();
    p.translate(4, 6);
    p.scale(0.88, 0.88);
    drawBird(p, QColor(0x1E, 0x6F, 0xD9), QColor(0xD8, 0xEC, 0xFF), 0);
    p.restore();
}

void drawToolIcon(QPainter &p, int index)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QColor blue(0x1E, 0x5F, 0xC0);
    const QPen pen(blue, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (index) {
    case 0: { // refresh: a circular arrow
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 290 * 16);
        QPainterPath head;
        head.moveTo(10.5, 1);
        head.lineTo(14, 4.5);
        head.lineTo(9.5, 6);
        head.closeSubpath();
        p.setBrush(blue);
        p.drawPath(head);
        break;
    }
    case 1: // multi-send: two people and an arrow
        p.setBrush(QColor(0x8C, 0xBE, 0xF5));
        p.drawEllipse(QRectF(1.5, 3, 4, 4));
        p.drawChord(QRectF(0.5, 7.5, 6, 7), 0, 180 * 16);
        p.drawEllipse(QRectF(6, 2, 4, 4));
        p.drawChord(QRectF(5, 6.5, 6, 7), 0, 180 * 16);
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(10, 12), QPointF(15, 12));
        p.drawLine(QPointF(13, 10), QPointF(15, 12));
        p.drawLine(QPointF(13, 14), QPointF(15, 12));
        break;
    case 2: // recent contacts: a clock
        p.setBrush(QColor(0xEA, 0xF3, 0xFF));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.drawLine(QPointF(8, 8), QPointF(8, 4));
        p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
        break;
    case 3: // search: a magnifier
        p.setBrush(QColor(0xEA, 0xF3, 0xFF));
        p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
        p.setPen(QPen(blue, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
        break;
    case 4: { // shared files: an open folder
        p.setPen(QPen(QColor(0xB0, 0x78, 0x10), 1.2));
        p.setBrush(QColor(0xF5, 0xC8, 0x50));
        p.drawRoundedRect(QRectF(1, 3, 14, 11), 1.5, 1.5);
        QPainterPath front;
        front.moveTo(1, 14);
        front.lineTo(3.5, 7);
        front.lineTo(15.5, 7);
        front.lineTo(15, 14);
        front.closeSubpath();
        p.setBrush(QColor(0xFA, 0xDC, 0x7A));
        p.drawPath(front);
        break;
    }
    case 5: { // settings: a gear
        p.setBrush(QColor(0x8C, 0xBE, 0xF5));
        QPainterPath gear;
        for (int i = 0; i < 16; ++i) {
            const double a = i * M_PI / 8;
            const double r = (i % 2 == 0) ? 7 : 5.2;
            const QPointF pt(8 + r * std::cos(a), 8 + r * std::sin(a));
            if (i == 0)
                gear.moveTo(pt);
            else
                gear.lineTo(pt);
        }
        gear.closeSubpath();
        p.drawPath(gear);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 8), 2.2, 2.2);
        break;
    }
    case 6: // more functions: four squares
        p.setBrush(QColor(0x8C, 0xBE, 0xF5));
        p.drawRoundedRect(QRectF(1.5, 1.5, 5.5, 5.5), 1, 1);
        p.drawRoundedRect(QRectF(9, 1.5, 5.5, 5.5), 1, 1);
        p.drawRoundedRect(QRectF(1.5, 9, 5.5, 5.5), 1, 1);
        p.setBrush(QColor(0xF5, 0xB0, 0x20));
        p.drawRoundedRect(QRectF(9, 9, 5.5, 5.5), 1, 1);
        break;
    default: { // help: a question mark in a circle
        p.setBrush(blue);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(5.5, 3.5, 5, 5), -60 * 16, 240 * 16);
        p.drawLine(QPointF(8.3, 8.6), QPointF(8, 10));
        p.drawPoint(QPointF(8, 12.5));
        break;
    }
    }
}

} // namespace Art

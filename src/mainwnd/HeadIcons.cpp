#include "mainwnd/HeadIcons.h"

#include "mainwnd/HeadImage.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

QPixmap canvas(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

QPixmap drawnHead(int index, int size)
{
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // Spread the hues so neighbouring numbers look different.
    const QColor base = QColor::fromHsv((index * 137) % 360, 150, 215);
    QRadialGradient g(QPointF(size * 0.35, size * 0.3), size * 0.75);
    g.setColorAt(0, base.lighter(140));
    g.setColorAt(1, base.darker(115));
    p.setBrush(g);
    p.setPen(QPen(base.darker(150), size >= 24 ? 1.5 : 1.0));
    const qreal m = size >= 24 ? 1.5 : 1.0;
    p.drawEllipse(QRectF(m, m, size - 2 * m, size - 2 * m));
    QFont f;
    f.setPixelSize(index >= 10 ? size * 9 / 20 : size * 11 / 20);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QString::number(index));
    return pm;
}

// A plain IP Messenger peer: a small screen.
QPixmap drawnPlainPeer(int size)
{
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    p.setPen(QPen(QColor(70, 80, 100), s / 16));
    p.setBrush(QColor(150, 190, 230));
    p.drawRoundedRect(QRectF(s * 0.1, s * 0.12, s * 0.8, s * 0.56), s * 0.06, s * 0.06);
    p.setBrush(QColor(70, 80, 100));
    p.drawRect(QRectF(s * 0.42, s * 0.68, s * 0.16, s * 0.12));
    p.drawRect(QRectF(s * 0.25, s * 0.8, s * 0.5, s * 0.06));
    return pm;
}

QPixmap drawnGroup(int size, bool members)
{
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QColor back = members ? QColor(90, 160, 90) : QColor(60, 120, 200);
    const QColor front = members ? QColor(120, 200, 110) : QColor(90, 160, 240);
    auto person = [&](qreal cx, qreal top, qreal scale, const QColor &c) {
        p.setBrush(c);
        p.setPen(QPen(c.darker(140), s / 20));
        p.drawEllipse(QPointF(cx, top + scale * 0.18), scale * 0.16, scale * 0.16);
        QPainterPath body;
        body.moveTo(cx - scale * 0.3, top + scale * 0.8);
        body.quadTo(cx, top + scale * 0.2, cx + scale * 0.3, top + scale * 0.8);
        body.closeSubpath();
        p.drawPath(body);
    };
    person(s * 0.62, s * 0.08, s * 0.85, back);
    person(s * 0.38, s * 0.16, s * 0.85, front);
    return pm;
}

// The node marks: a triangle pointing down (expanded) or right (collapsed).
QPixmap drawnMark(int size, bool expanded)
{
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QPolygonF t;
    if (expanded)
        t << QPointF(s * 0.22, s * 0.34) << QPointF(s * 0.78, s * 0.34) << QPointF(s * 0.5, s * 0.72);
    else
        t << QPointF(s * 0.34, s * 0.2) << QPointF(s * 0.72, s * 0.5) << QPointF(s * 0.34, s * 0.8);
    p.setPen(QPen(QColor(60, 80, 120), 1));
    p.setBrush(QColor(90, 110, 150));
    p.drawPolygon(t);
    return pm;
}

QHash<quint64, QPixmap> &cache()
{
    static QHash<quint64, QPixmap> pixmaps;
    return pixmaps;
}

quint64 cacheKey(int kind, int index, int size)
{
    return (quint64(quint32(kind)) << 48) | (quint64(quint32(index) & 0xFFFFu) << 32) | quint32(size);
}

// Head icon 0..83: the program's own picture, or a drawn stand-in.
QPixmap headIcon(int index, int size)
{
    if (size <= 0)
        return {};
    const quint64 key = cacheKey(1, index, size);
    if (const auto it = cache().constFind(key); it != cache().cend())
        return *it;
    QPixmap pm;
    const QString path = QStringLiteral(":/heads/%1.png").arg(index);
    if (QFile::exists(path) && pm.load(path))
        pm = pm.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    else
        pm = drawnHead(index, size);
    cache().insert(key, pm);
    return pm;
}

} // namespace

QPixmap HeadImagePixmap(int image, int size)
{
    if (image >= HeadImage::kDefaultHead && image <= HeadImage::kHeadIconCount + 1)
        return headIcon(image - 1, size);
    if (size <= 0)
        return {};
    const quint64 key = cacheKey(2, image, size);
    if (const auto it = cache().constFind(key); it != cache().cend())
        return *it;
    QPixmap pm;
    switch (image) {
    case HeadImage::kPlainPeer:
        pm = drawnPlainPeer(size);
        break;
    case HeadImage::kGroupWindow:
        pm = drawnGroup(size, false);
        break;
    case HeadImage::kGroupMembers:
        pm = drawnGroup(size, true);
        break;
    case HeadImage::kExpanded:
        pm = drawnMark(size, true);
        break;
    case HeadImage::kCollapsed:
        pm = drawnMark(size, false);
        break;
    default:
        pm = headIcon(0, size);
        break;
    }
    cache().insert(key, pm);
    return pm;
}

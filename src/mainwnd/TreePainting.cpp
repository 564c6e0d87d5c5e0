#include "mainwnd/TreePainting.h"

#include "controls/SkinFont.h"
#include "core/CConfig.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

QColor ColorFromRef(uint32_t c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QFont SongTiFont(int pixelHeight, int weight)
{
    return SongFont(pixelHeight, weight);
}

TreeStyle::TreeStyle()
    : gradient1(ColorFromRef(0xFFFFFF))
    , gradient2(ColorFromRef(0xF8EBC4))
    , fill(ColorFromRef(0xFFA080))
    , selectionFrame(ColorFromRef(0xC6A88B))
    , selectionFill(ColorFromRef(0xFEE9CE))
    , nick(ColorFromRef(0x000000))
    , host(ColorFromRef(0xFF0000))
    , signature(ColorFromRef(0x808080))
    , address(ColorFromRef(0x0000FF))
    , type(ColorFromRef(0xFF0000))
    , objectGroup(ColorFromRef(0xA27A00))
    , user(ColorFromRef(0x404000))
    , group(ColorFromRef(0x400040))
{
}

TreeStyle TreeStyle::FromConfig(const CConfig *c)
{
    TreeStyle s;
    if (!c)
        return s;
    s.background = c->TreeBkStyle;
    s.defaultPicture = c->TreeDefaultPic != 0;
    s.picturePath = c->TreeBmpPath;
    s.stretch = c->TreeBmpStretch != 0;
    s.gradientMode = c->TreeGradMode;
    s.gradient1 = ColorFromRef(c->TreeGradClr1);
    s.gradient2 = ColorFromRef(c->TreeGradClr2);
    s.fill = ColorFromRef(c->TreeFillClr);
    s.selectionFrame = ColorFromRef(c->TreeSelFrameClr);
    s.selectionFill = ColorFromRef(c->TreeSelFillClr);
    s.nick = ColorFromRef(c->TreeNickClr);
    s.host = ColorFromRef(c->TreeHostClr);
    s.signature = ColorFromRef(c->TreeSignClr);
    s.address = ColorFromRef(c->TreeIPClr);
    s.type = ColorFromRef(c->TreeTypeClr);
    s.objectGroup = ColorFromRef(c->TreeObjectGroupClr);
    s.user = ColorFromRef(c->TreeUserClr);
    s.group = ColorFromRef(c->TreeGroupClr);
    s.noHostIfMemo = c->NoShowHostIfMemo != 0;
    s.smallFields = c->TreeStryleSmallIcon_STR;
    s.largeLine1 = c->TreeStryleLargeIcon1_STR;
    s.largeLine2 = c->TreeStryleLargeIcon2_STR;
    return s;
}

void PaintGradientRect(QPainter &painter, const QRect &rect, const QColor &from, const QColor &to, int mode)
{
    if (rect.isEmpty())
        return;
    if (from == to) {
        painter.fillRect(rect, from);
        return;
    }
    if (mode == 2) {
        // One quarter from its outer corner to the centre, mirrored.
        const int w = (rect.width() + 1) / 2;
        const int h = (rect.height() + 1) / 2;
        QPixmap quarter(w, h);
        {
            QPainter q(&quarter);
            QLinearGradient g(0, 0, w, h);
            g.setColorAt(0, from);
            g.setColorAt(1, to);
            q.fillRect(quarter.rect(), g);
        }
        const QImage image = quarter.toImage();
        painter.drawImage(QPoint(rect.left(), rect.top()), image);
        painter.drawImage(QPoint(rect.left() + rect.width() - w, rect.top()), image.mirrored(true, false));
        painter.drawImage(QPoint(rect.left(), rect.top() + rect.height() - h), image.mirrored(false, true));
        painter.drawImage(
            QPoint(rect.left() + rect.width() - w, rect.top() + rect.height() - h), image.mirrored(true, true));
        return;
    }
    QLinearGradient g = mode == 0 ? QLinearGradient(rect.topLeft(), rect.topRight())
                                  : QLinearGradient(rect.topLeft(), rect.bottomLeft());
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    painter.fillRect(rect, g);
}

void PaintTreeBackground(QPainter &painter, const QRect &canvas, const TreeStyle &style, const QPixmap &picture)
{
    switch (style.background) {
    case TreeStyle::Picture:
        if (picture.isNull())
            painter.fillRect(canvas, Qt::white);
        else if (style.stretch)
            painter.drawPixmap(canvas, picture);
        else
            painter.drawTiledPixmap(canvas, picture);
        break;
    case TreeStyle::Gradient:
        PaintGradientRect(painter, canvas, style.gradient1, style.gradient2, style.gradientMode);
        break;
    case TreeStyle::Fill:
        painter.fillRect(canvas, style.fill);
        break;
    default:
        break;
    }
}

QPixmap DefaultTreePicture()
{
    // A pale tile with soft light spots: quiet behind the text.
    constexpr int kSize = 160;
    QPixmap tile(kSize, kSize);
    tile.fill(QColor(246, 250, 255));
    QPainter p(&tile);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const struct
    {
        int x, y, r;
        QColor c;
    } spots[] = {
        { 30, 40, 46, QColor(222, 236, 252, 150) },
        { 120, 100, 58, QColor(232, 242, 252, 140) },
        { 150, 10, 30, QColor(226, 238, 250, 120) },
        { 60, 140, 36, QColor(236, 244, 253, 130) },
    };
    for (const auto &s : spots) {
        // Drawn at the tile's wrapped positions so the tile joins seamlessly.
        for (int dx = -kSize; dx <= kSize; dx += kSize) {
            for (int dy = -kSize; dy <= kSize; dy += kSize) {
                QRadialGradient g(QPointF(s.x + dx, s.y + dy), s.r);
                g.setColorAt(0, s.c);
                g.setColorAt(1, QColor(s.c.red(), s.c.green(), s.c.blue(), 0));
                p.setBrush(g);
                p.drawEllipse(QPointF(s.x + dx, s.y + dy), s.r, s.r);
            }
        }
    }
    return tile;
}

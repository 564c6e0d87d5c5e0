#include "chat/ChatToolArt.h"

#include "chat/faces/FaceImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSide = 20;
const QColor kInk(0x2B, 0x4F, 0x8E);
const QColor kFill(0xFF, 0xFF, 0xFF);
const QColor kAccent(0xF0, 0x9A, 0x1A);

void drawFont(QPainter &p)
{
    QFont f = p.font();
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    p.setPen(kInk);
    p.drawText(QRect(0, -1, 14, 18), Qt::AlignCenter, QStringLiteral("A"));
    p.setPen(QPen(kAccent, 2));
    p.drawLine(3, 17, 17, 17);
    p.setPen(QPen(QColor(0xC8, 0x32, 0x32), 1.5));
    p.drawText(QRect(9, 4, 11, 13), Qt::AlignCenter, QStringLiteral("a"));
}

void drawCapture(QPainter &p)
{
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawLine(5, 2, 5, 15);
    p.drawLine(2, 5, 15, 5);
    p.drawLine(15, 5, 15, 18);
    p.drawLine(5, 15, 18, 15);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x9C, 0xC8, 0xF0, 160));
    p.drawRect(QRectF(5.5, 5.5, 9, 9));
}

void drawPicture(QPainter &p)
{
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kFill);
    p.drawRoundedRect(QRectF(1.5, 3.5, 17, 13), 1.5, 1.5);
    QPainterPath hills;
    hills.moveTo(2.5, 15.5);
    hills.lineTo(7.5, 9);
    hills.lineTo(11, 13);
    hills.lineTo(13.5, 10.5);
    hills.lineTo(17.5, 15.5);
    hills.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x4C, 0xA6, 0x4C));
    p.drawPath(hills);
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(14, 7.5), 1.8, 1.8);
}

void drawMonitor(QPainter &p, bool mouse)
{
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(0xDD, 0xEC, 0xFA));
    p.drawRoundedRect(QRectF(1.5, 2.5, 17, 11), 1.5, 1.5);
    p.drawLine(QPointF(10, 13.5), QPointF(10, 16.5));
    p.drawLine(QPointF(6, 17.5), QPointF(14, 17.5));
    if (mouse) {
        QPainterPath arrow;
        arrow.moveTo(8, 4.5);
        arrow.lineTo(8, 12);
        arrow.lineTo(10, 10);
        arrow.lineTo(12, 13.5);
        arrow.lineTo(13, 13);
        arrow.lineTo(11.2, 9.6);
        arrow.lineTo(13.8, 9.4);
        arrow.closeSubpath();
        p.setBrush(kFill);
        p.drawPath(arrow);
    } else {
        p.setPen(QPen(kAccent, 1.5));
        p.drawLine(QPointF(5, 10), QPointF(8, 7));
        p.drawLine(QPointF(8, 7), QPointF(11, 9));
        p.drawLine(QPointF(11, 9), QPointF(15, 5));
    }
}

void drawVoice(QPainter &p)
{
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(0xDD, 0xEC, 0xFA));
    p.drawRoundedRect(QRectF(7, 1.5, 6, 10), 3, 3);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4, 4, 12, 11), 180 * 16, 180 * 16);
    p.drawLine(QPointF(10, 15), QPointF(10, 18));
    p.drawLine(QPointF(6.5, 18.5), QPointF(13.5, 18.5));
}

void drawShares(QPainter &p)
{
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(0xF6, 0xD3, 0x6B));
    QPainterPath folder;
    folder.moveTo(1.5, 4.5);
    folder.lineTo(7, 4.5);
    folder.lineTo(8.5, 6.5);
    folder.lineTo(18.5, 6.5);
    folder.lineTo(18.5, 16.5);
    folder.lineTo(1.5, 16.5);
    folder.closeSubpath();
    p.drawPath(folder);
    p.setBrush(QColor(0x4C, 0xA6, 0x4C));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(14.5, 13.5), 3.5, 3.5);
    p.setPen(QPen(kFill, 1.4));
    p.drawLine(QPointF(14.5, 11.5), QPointF(14.5, 15.5));
    p.drawLine(QPointF(12.5, 13.5), QPointF(16.5, 13.5));
}

void drawDoodle(QPainter &p)
{
    p.setPen(QPen(QColor(0xC8, 0x32, 0x32), 1.5));
    QPainterPath wave;
    wave.moveTo(1.5, 16);
    wave.cubicTo(5, 10, 8, 20, 12, 14);
    p.drawPath(wave);
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kAccent);
    QPainterPath pencil;
    pencil.moveTo(12, 13);
    pencil.lineTo(17, 3);
    pencil.lineTo(19, 4);
    pencil.lineTo(14, 14);
    pencil.closeSubpath();
    p.drawPath(pencil);
}

} // namespace

QIcon ChatToolIcon(ChatArt art)
{
    if (art == ChatArt::Faces) {
        const QList<QImage> &faces = FaceImageList();
        if (!faces.isEmpty())
            return QIcon(QPixmap::fromImage(faces.first().scaled(kSide, kSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
    QPixmap pixmap(kSide, kSide);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (art) {
    case ChatArt::Font:
        drawFont(p);
        break;
    case ChatArt::Capture:
        drawCapture(p);
        break;
    case ChatArt::Picture:
        drawPicture(p);
        break;
    case ChatArt::Assistance:
        drawMonitor(p, false);
        break;
    case ChatArt::Control:
        drawMonitor(p, true);
        break;
    case ChatArt::Voice:
        drawVoice(p);
        break;
    case ChatArt::Shares:
        drawShares(p);
        break;
    case ChatArt::Doodle:
    case ChatArt::Faces:
        drawDoodle(p);
        break;
    }
    return QIcon(pixmap);
}

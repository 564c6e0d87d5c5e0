// Drawing primitives of the built-in face art: a 24 x 24 coordinate system,
// a round yellow face, eyes, mouths and small symbols.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>

namespace FaceArt {

inline const QColor kSkin(0xFF, 0xD2, 0x3F);
inline const QColor kSkinEdge(0xC9, 0x8A, 0x00);
inline const QColor kInk(0x4A, 0x2E, 0x0C);
inline const QColor kRed(0xE0, 0x30, 0x30);
inline const QColor kPink(0xFF, 0x8F, 0xA8);
inline const QColor kBlue(0x3A, 0x8D, 0xE8);
inline const QColor kWhite(Qt::white);

enum class Eyes { Dots, Happy, Closed, Wide, Cross, Hearts, Spirals, Angry, Sad, Rolled, Shades, Wink, Small, Tired };
enum class Mouth { None, Smile, Grin, Frown, Flat, O, Wavy, Tongue, Teeth, SmallO, Zigzag, Open, Sneer, Drool };

void ink(QPainter &p, qreal width = 1.3, const QColor &colour = kInk);
void faceBase(QPainter &p, const QColor &fill = kSkin, qreal radius = 10.5, QPointF centre = { 12, 12.5 });
void eyes(QPainter &p, Eyes kind, qreal y = 10.5);
void mouth(QPainter &p, Mouth kind, qreal y = 16.5);

void tear(QPainter &p, QPointF top, qreal length = 4);
void blush(QPainter &p);
void sweatDrop(QPainter &p, QPointF at);
void angerVein(QPainter &p, QPointF at);
void heart(QPainter &p, QPointF centre, qreal size, const QColor &fill = kRed);
void star(QPainter &p, QPointF centre, qreal outer, const QColor &fill);
void letter(
    QPainter &p, const QString &text, const QRectF &box, const QColor &colour, qreal pixelSize, bool bold = true);
void cloud(QPainter &p, QPointF centre, qreal scale, const QColor &fill);
void thumb(QPainter &p, bool up);
void genderSign(QPainter &p, bool male);

// Draws entry `index` (0..98) of the face table.
void drawFace(QPainter &p, int index);

} // namespace FaceArt

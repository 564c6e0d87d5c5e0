// The pictures of the face table, one case per entry.
#include "FaceArtPrimitives.h"

#include <QtMath>

namespace FaceArt {

namespace {

void simple(QPainter &p, Eyes e, Mouth m)
{
    faceBase(p);
    eyes(p, e);
    mouth(p, m);
}

void zzz(QPainter &p)
{
    letter(p, QStringLiteral("z"), QRectF(14, 0, 6, 7), kBlue, 6);
    letter(p, QStringLiteral("Z"), QRectF(17, -3, 7, 8), kBlue, 7);
}

void bottle(QPainter &p, const QColor &glass, const QColor &label)
{
    p.setPen(QPen(glass.darker(170), 0.8));
    p.setBrush(glass);
    QPainterPath path;
    path.moveTo(10.5, 2);
    path.lineTo(13.5, 2);
    path.lineTo(13.5, 7);
    path.cubicTo(17, 8.5, 17, 10, 17, 12);
    path.lineTo(17, 21.5);
    path.lineTo(7, 21.5);
    path.lineTo(7, 12);
    path.cubicTo(7, 10, 7, 8.5, 10.5, 7);
    path.closeSubpath();
    p.drawPath(path);
    p.setBrush(label);
    p.drawRect(QRectF(7, 13, 10, 5));
}

void person(QPainter &p, QPointF head, const QColor &shirt)
{
    p.setPen(QPen(kSkinEdge, 0.7));
    p.setBrush(kSkin);
    p.drawEllipse(head, 2.6, 2.6);
    p.setPen(QPen(shirt.darker(150), 0.7));
    p.setBrush(shirt);
    p.drawChord(QRectF(head.x() - 4, head.y() + 2.6, 8, 8), 0, 180 * 16);
}

} // namespace

void drawFace(QPainter &p, int index)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 0: // smile
        simple(p, Eyes::Dots, Mouth::Smile);
        break;
    case 1: // pout
        simple(p, Eyes::Sad, Mouth::Wavy);
        break;
    case 2: // smitten
        simple(p, Eyes::Hearts, Mouth::Drool);
        break;
    case 3: // blank stare
        simple(p, Eyes::Wide, Mouth::Flat);
        break;
    case 4: // proud, with shades
        simple(p, Eyes::Shades, Mouth::Sneer);
        break;
    case 5: // tears
        simple(p, Eyes::Sad, Mouth::Frown);
        tear(p, { 8, 12.4 }, 4.5);
        break;
    case 6: // shy
        simple(p, Eyes::Closed, Mouth::SmallO);
        blush(p);
        break;
    case 7: // zipped mouth
        simple(p, Eyes::Dots, Mouth::Flat);
        ink(p, 1);
        for (qreal x = 9; x <= 15; x += 1.5)
            p.drawLine(QPointF(x, 15.2), QPointF(x, 17.8));
        break;
    case 8: // sleepy
        simple(p, Eyes::Tired, Mouth::SmallO);
        zzz(p);
        break;
    case 9: // crying loud
        simple(p, Eyes::Closed, Mouth::Open);
        tear(p, { 5.5, 11 }, 6);
        tear(p, { 18.5, 11 }, 6);
        break;
    case 10: // awkward
        simple(p, Eyes::Tired, Mouth::Zigzag);
        sweatDrop(p, { 19, 4 });
        break;
    case 11: // angry
        faceBase(p, QColor(0xFF, 0x8A, 0x50));
        eyes(p, Eyes::Angry);
        mouth(p, Mouth::Frown);
        angerVein(p, { 18.5, 5.5 });
        break;
    case 12: // cheeky
        simple(p, Eyes::Wink, Mouth::Tongue);
        break;
    case 13: // big grin
        simple(p, Eyes::Happy, Mouth::Teeth);
        break;
    case 14: // surprised
        simple(p, Eyes::Wide, Mouth::O);
        break;
    case 15: // rain
        cloud(p, { 12, 8 }, 1.1, QColor(0x9A, 0xA4, 0xB4));
        ink(p, 1.2, kBlue);
        for (qreal x = 6; x < 20; x += 3.5)
            p.drawLine(QPointF(x, 15), QPointF(x - 1.5, 20.5));
        break;
    case 16: // sad
        simple(p, Eyes::Sad, Mouth::Frown);
        break;
    case 17: // cool
        simple(p, Eyes::Shades, Mouth::Smile);
        break;
    case 18: // face mask
        simple(p, Eyes::Dots, Mouth::None);
        p.setPen(QPen(QColor(0x90, 0xA0, 0xB0), 0.8));
        p.setBrush(kWhite);
        p.drawRoundedRect(QRectF(6.5, 13.5, 11, 6.5), 2, 2);
        p.drawLine(QPointF(6.5, 15), QPointF(3, 12));
        p.drawLine(QPointF(17.5, 15), QPointF(21, 12));
        ink(p, 0.6, QColor(0x90, 0xA0, 0xB0));
        p.drawLine(QPointF(8, 16), QPointF(16, 16));
        p.drawLine(QPointF(8, 18), QPointF(16, 18));
        break;
    case 19: // frantic
        faceBase(p);
        ink(p, 1.1);
        for (qreal x = 6; x <= 18; x += 3)
            p.drawLine(QPointF(x, 3.5), QPointF(x + (x - 12) * 0.2, 0.3));
        eyes(p, Eyes::Spirals);
        mouth(p, Mouth::Teeth);
        break;
    case 20: // vomit
        faceBase(p, QColor(0xC8, 0xE0, 0x60));
        eyes(p, Eyes::Cross);
        mouth(p, Mouth::O, 15.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x70, 0xB0, 0x30));
        p.drawRoundedRect(QRectF(10.5, 17, 3, 6.5), 1.5, 1.5);
        break;
    case 21: // snicker behind a hand
        simple(p, Eyes::Happy, Mouth::None);
        p.setPen(QPen(kSkinEdge, 0.8));
        p.setBrush(QColor(0xFF, 0xE4, 0x90));
        p.drawRoundedRect(QRectF(8, 14.5, 8, 5), 2.4, 2.4);
        ink(p, 0.6, kSkinEdge);
        p.drawLine(QPointF(10, 15), QPointF(10, 18.5));
        p.drawLine(QPointF(12, 15), QPointF(12, 18.5));
        p.drawLine(QPointF(14, 15), QPointF(14, 18.5));
        break;
    case 22: // cute
        simple(p, Eyes::Happy, Mouth::Grin);
        blush(p);
        star(p, { 19.5, 4 }, 2.8, QColor(0xFF, 0xE0, 0x40));
        break;
    case 23: // eye-roll
        simple(p, Eyes::Rolled, Mouth::Flat);
        break;
    case 24: // haughty
        faceBase(p);
        eyes(p, Eyes::Tired, 10);
        ink(p, 1.2);
        p.drawLine(QPointF(6, 6.5), QPointF(10, 7.5));
        p.drawLine(QPointF(18, 6.5), QPointF(14, 7.5));
        mouth(p, Mouth::Sneer);
        break;
    case 25: // hungry
        simple(p, Eyes::Wide, Mouth::Drool);
        break;
    case 26: // drowsy
        simple(p, Eyes::Closed, Mouth::Flat);
        p.setPen(QPen(QColor(0x80, 0xC0, 0xFF), 0.7));
        p.setBrush(QColor(0xD0, 0xEC, 0xFF));
        p.drawEllipse(QPointF(16, 18.5), 2.4, 2.4);
        break;
    case 27: // terrified
        faceBase(p, QColor(0xB8, 0xD8, 0xF0));
        eyes(p, Eyes::Wide);
        mouth(p, Mouth::Zigzag, 17);
        ink(p, 0.8, kBlue);
        for (qreal x = 7; x <= 17; x += 2.5)
            p.drawLine(QPointF(x, 3.5), QPointF(x, 6.5));
        break;
    case 28: // sweating
        simple(p, Eyes::Sad, Mouth::Flat);
        sweatDrop(p, { 18.5, 3 });
        sweatDrop(p, { 5, 5 });
        break;
    case 29: // simple laugh
        simple(p, Eyes::Happy, Mouth::Smile);
        break;
    case 30: // soldier
        simple(p, Eyes::Angry, Mouth::Flat);
        p.setPen(QPen(QColor(0x2C, 0x44, 0x1C), 0.8));
        p.setBrush(QColor(0x4A, 0x6E, 0x2C));
        p.drawChord(QRectF(2.5, 0.8, 19, 14), 0, 180 * 16);
        p.drawRect(QRectF(1.5, 7.2, 21, 1.6));
        break;
    case 31: // cloudy
        p.setPen(Qt::NoPen);
        star(p, { 16, 7 }, 6, QColor(0xFF, 0xC0, 0x20));
        cloud(p, { 11, 14 }, 1.05, QColor(0xF0, 0xF4, 0xFA));
        break;
    case 32: // striving, with a headband
        simple(p, Eyes::Angry, Mouth::Teeth);
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawRect(QRectF(2.5, 5, 19, 2.4));
        p.drawRect(QRectF(19.5, 5, 4, 1.2));
        break;
    case 33: // cursing
        simple(p, Eyes::Angry, Mouth::O);
        letter(p, QStringLiteral("#!"), QRectF(12, -1, 12, 8), kRed, 7);
        break;
    case 34: // question
        simple(p, Eyes::Dots, Mouth::Sneer);
        letter(p, QStringLiteral("?"), QRectF(15, -1, 9, 10), kBlue, 10);
        break;
    case 35: // hush
        simple(p, Eyes::Dots, Mouth::SmallO);
        p.setPen(QPen(kSkinEdge, 0.8));
        p.setBrush(QColor(0xFF, 0xE4, 0x90));
        p.drawRoundedRect(QRectF(11, 11.5, 2.4, 9), 1.2, 1.2);
        break;
    case 36: // dizzy
        simple(p, Eyes::Spirals, Mouth::Wavy);
        break;
    case 37: // tortured, bandaged
        simple(p, Eyes::Cross, Mouth::Wavy);
        p.setPen(QPen(QColor(0xC0, 0xA0, 0x80), 0.6));
        p.setBrush(QColor(0xF8, 0xEE, 0xE0));
        p.save();
        p.translate(7, 5);
        p.rotate(-30);
        p.drawRect(QRectF(-3.5, -1.2, 7, 2.4));
        p.restore();
        break;
    case 38: // bad luck: a dark cloud
        faceBase(p, QColor(0xC0, 0xB8, 0x90));
        eyes(p, Eyes::Tired);
        mouth(p, Mouth::Frown);
        cloud(p, { 12, 2 }, 0.7, QColor(0x50, 0x50, 0x58));
        break;
    case 39: { // skull
        p.setPen(QPen(QColor(0x70, 0x70, 0x70), 0.8));
        p.setBrush(QColor(0xF4, 0xF4, 0xEE));
        QPainterPath skull;
        skull.addEllipse(QRectF(3.5, 2, 17, 15));
        skull.addRoundedRect(QRectF(7.5, 13, 9, 8), 1.5, 1.5);
        p.drawPath(skull.simplified());
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x30, 0x30, 0x30));
        p.drawEllipse(QPointF(8.5, 10), 2.4, 2.6);
        p.drawEllipse(QPointF(15.5, 10), 2.4, 2.6);
        p.drawPolygon(QPolygonF({ QPointF(12, 12.5), QPointF(10.8, 15), QPointF(13.2, 15) }));
        ink(p, 0.8, QColor(0x30, 0x30, 0x30));
        p.drawLine(QPointF(10.5, 18), QPointF(10.5, 21));
        p.drawLine(QPointF(13.5, 18), QPointF(13.5, 21));
        break;
    }
    case 40: // knock on the head
        simple(p, Eyes::Cross, Mouth::O);
        p.save();
        p.translate(17, 4);
        p.rotate(35);
        p.setPen(QPen(QColor(0x60, 0x40, 0x20), 0.7));
        p.setBrush(QColor(0xA0, 0x70, 0x40));
        p.drawRect(QRectF(-0.8, -1, 1.6, 8));
        p.setBrush(QColor(0x90, 0x90, 0xA0));
        p.drawRect(QRectF(-3.5, -3, 7, 3));
        p.restore();
        break;
    case 41: // bye, waving
        simple(p, Eyes::Happy, Mouth::Smile);
        p.setPen(QPen(kSkinEdge, 0.8));
        p.setBrush(QColor(0xFF, 0xE4, 0x90));
        p.drawEllipse(QPointF(20, 6), 3, 3.6);
        ink(p, 0.8, kBlue);
        p.drawArc(QRectF(15.5, 0.5, 9, 9), 60 * 16, 60 * 16);
        break;
    case 42: // off and away
        ink(p, 1.2, QColor(0x90, 0x90, 0x90));
        p.drawLine(QPointF(1, 9), QPointF(6, 9));
        p.drawLine(QPointF(0, 13), QPointF(6, 13));
        p.drawLine(QPointF(1, 17), QPointF(6, 17));
        faceBase(p, kSkin, 8.5, { 15, 12.5 });
        p.save();
        p.translate(3, 0);
        eyes(p, Eyes::Small);
        mouth(p, Mouth::SmallO, 15.5);
        p.restore();
        break;
    case 43: // shivering
        ink(p, 1, kBlue);
        p.drawArc(QRectF(-1, 5, 5, 14), 100 * 16, 160 * 16);
        p.drawArc(QRectF(20, 5, 5, 14), -80 * 16, 160 * 16);
        faceBase(p, QColor(0xB0, 0xD8, 0xFF), 9.5);
        eyes(p, Eyes::Wide);
        mouth(p, Mouth::Zigzag);
        break;
    case 44: // in love
        simple(p, Eyes::Hearts, Mouth::Smile);
        heart(p, { 19.5, 4 }, 5, kPink);
        break;
    case 45: // jump
        faceBase(p, kSkin, 8, { 12, 9 });
        p.save();
        p.translate(0, -3);
        eyes(p, Eyes::Happy);
        mouth(p, Mouth::Smile, 15.5);
        p.restore();
        ink(p, 1.2, QColor(0x90, 0x90, 0x90));
        p.drawArc(QRectF(5, 18.5, 14, 4), 200 * 16, 140 * 16);
        p.drawLine(QPointF(4, 22.5), QPointF(20, 22.5));
        break;
    case 46: // looking for something
        simple(p, Eyes::Dots, Mouth::SmallO);
        p.setPen(QPen(QColor(0x50, 0x50, 0x60), 1.4));
        p.setBrush(QColor(0xD8, 0xF0, 0xFF, 170));
        p.drawEllipse(QPointF(15.5, 10.5), 4, 4);
        p.setPen(QPen(QColor(0x70, 0x40, 0x20), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(18.5, 13.5), QPointF(22, 17));
        break;
    case 47: // snowman
        p.setPen(QPen(QColor(0x90, 0xA8, 0xC0), 0.8));
        p.setBrush(kWhite);
        p.drawEllipse(QPointF(12, 17), 6, 5.5);
        p.drawEllipse(QPointF(12, 8), 4.5, 4.5);
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(10.4, 7.2), 0.7, 0.7);
        p.drawEllipse(QPointF(13.6, 7.2), 0.7, 0.7);
        p.setBrush(QColor(0xFF, 0x80, 0x20));
        p.drawPolygon(QPolygonF({ QPointF(12, 8.5), QPointF(12, 9.8), QPointF(15.5, 9.2) }));
        p.setBrush(kRed);
        p.drawRect(QRectF(8, 11.5, 8, 1.6));
        break;
    case 48: // girl
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x50, 0x30, 0x18));
        p.drawEllipse(QPointF(12, 12), 11, 11);
        faceBase(p, QColor(0xFF, 0xDC, 0xB8), 8.5, { 12, 13.5 });
        eyes(p, Eyes::Dots, 12);
        mouth(p, Mouth::Smile, 18);
        blush(p);
        heart(p, { 18.5, 4 }, 4, kPink);
        break;
    case 49: // pig
        faceBase(p, QColor(0xFF, 0xB0, 0xC0));
        p.setPen(QPen(QColor(0xD0, 0x70, 0x88), 0.8));
        p.setBrush(QColor(0xFF, 0xB0, 0xC0));
        p.drawPolygon(QPolygonF({ QPointF(3, 5), QPointF(4, 0.5), QPointF(8.5, 3.5) }));
        p.drawPolygon(QPolygonF({ QPointF(21, 5), QPointF(20, 0.5), QPointF(15.5, 3.5) }));
        eyes(p, Eyes::Small, 9.5);
        p.setBrush(QColor(0xFF, 0x90, 0xA8));
        p.drawEllipse(QPointF(12, 15), 4.2, 3);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xA0, 0x40, 0x58));
        p.drawEllipse(QPointF(10.5, 15), 0.9, 1.2);
        p.drawEllipse(QPointF(13.5, 15), 0.9, 1.2);
        break;
    case 50: // cat
        p.setPen(QPen(QColor(0x90, 0x60, 0x20), 0.8));
        p.setBrush(QColor(0xF0, 0xA8, 0x50));
        p.drawPolygon(QPolygonF({ QPointF(3, 8), QPointF(4, 0.5), QPointF(10, 4) }));
        p.drawPolygon(QPolygonF({ QPointF(21, 8), QPointF(20, 0.5), QPointF(14, 4) }));
        faceBase(p, QColor(0xF0, 0xA8, 0x50), 10, { 12, 13 });
        eyes(p, Eyes::Dots, 11);
        ink(p, 0.7);
        p.drawLine(QPointF(2, 14), QPointF(7, 15));
        p.drawLine(QPointF(2, 17), QPointF(7, 16.3));
        p.drawLine(QPointF(22, 14), QPointF(17, 15));
        p.drawLine(QPointF(22, 17), QPointF(17, 16.3));
        mouth(p, Mouth::Wavy, 17);
        break;
    case 51: // dog
        faceBase(p, QColor(0xE8, 0xD0, 0xA8), 10, { 12, 13 });
        p.setPen(QPen(QColor(0x60, 0x40, 0x20), 0.8));
        p.setBrush(QColor(0x8A, 0x5A, 0x30));
        p.drawEllipse(QRectF(0.5, 4, 5.5, 11));
        p.drawEllipse(QRectF(18, 4, 5.5, 11));
        eyes(p, Eyes::Dots, 11);
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(12, 15), 2, 1.4);
        mouth(p, Mouth::Tongue, 18.5);
        break;
    case 52: // hug
        simple(p, Eyes::Happy, Mouth::Smile);
        p.setPen(QPen(kSkinEdge, 0.8));
        p.setBrush(QColor(0xFF, 0xE4, 0x90));
        p.drawEllipse(QPointF(3.5, 18), 3, 2.5);
        p.drawEllipse(QPointF(20.5, 18), 3, 2.5);
        heart(p, { 12, 21 }, 3.5, kPink);
        break;
    case 53: // money
        p.setPen(QPen(QColor(0xA0, 0x70, 0x00), 1));
        p.setBrush(QColor(0xFF, 0xCC, 0x20));
        p.drawEllipse(QPointF(12, 12), 10, 10);
        p.drawEllipse(QPointF(12, 12), 7.5, 7.5);
        letter(p, QStringLiteral("$"), QRectF(2, 2, 20, 20), QColor(0x8A, 0x5A, 0x00), 13);
        break;
    case 54: // light bulb
        p.setPen(QPen(QColor(0xC0, 0x90, 0x00), 0.9));
        p.setBrush(QColor(0xFF, 0xF0, 0x70));
        p.drawEllipse(QPointF(12, 9), 7, 7);
        p.setBrush(QColor(0x9A, 0x9A, 0xA8));
        p.drawRect(QRectF(9, 15.5, 6, 5));
        ink(p, 0.7, QColor(0x60, 0x60, 0x70));
        p.drawLine(QPointF(9, 17.2), QPointF(15, 17.2));
        p.drawLine(QPointF(9, 18.9), QPointF(15, 18.9));
        ink(p, 0.8, QColor(0xC0, 0x90, 0x00));
        p.drawLine(QPointF(10.5, 15.5), QPointF(11.3, 10));
        p.drawLine(QPointF(13.5, 15.5), QPointF(12.7, 10));
        break;
    case 55: { // wine glass
        p.setPen(QPen(QColor(0x80, 0x90, 0xA0), 0.8));
        p.setBrush(QColor(0xE8, 0xF4, 0xFF, 200));
        p.drawChord(QRectF(5.5, -4, 13, 18), 180 * 16, 180 * 16);
        p.setBrush(QColor(0xB0, 0x10, 0x30));
        p.drawChord(QRectF(6.5, -3, 11, 16), 200 * 16, 140 * 16);
        ink(p, 1.2, QColor(0x80, 0x90, 0xA0));
        p.drawLine(QPointF(12, 14), QPointF(12, 20.5));
        p.drawLine(QPointF(8, 21), QPointF(16, 21));
        break;
    }
    case 56: // cake
        p.setPen(QPen(QColor(0x90, 0x50, 0x30), 0.8));
        p.setBrush(QColor(0xF0, 0xC8, 0x90));
        p.drawRect(QRectF(4, 12, 16, 9));
        p.setBrush(QColor(0xFF, 0xA0, 0xC0));
        p.drawRect(QRectF(4, 12, 16, 3));
        p.setBrush(QColor(0x80, 0xC0, 0xFF));
        p.drawRect(QRectF(11, 6, 2, 6));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xFF, 0x90, 0x10));
        p.drawEllipse(QPointF(12, 4), 1.3, 2);
        break;
    case 57: // lightning
        p.setPen(QPen(QColor(0xB0, 0x80, 0x00), 0.9));
        p.setBrush(QColor(0xFF, 0xE0, 0x20));
        p.drawPolygon(QPolygonF({ QPointF(14, 1), QPointF(6, 13), QPointF(11.5, 13), QPointF(9, 23), QPointF(18, 9.5),
            QPointF(12.5, 9.5), QPointF(16, 1) }));
        break;
    case 58: // bomb
        p.setPen(QPen(Qt::black, 0.8));
        p.setBrush(QColor(0x30, 0x30, 0x38));
        p.drawEllipse(QPointF(10.5, 14), 8, 8);
        p.drawRect(QRectF(13.5, 5, 4, 3.5));
        ink(p, 1, QColor(0x90, 0x70, 0x40));
        p.drawArc(QRectF(15.5, 1.5, 6, 6), 180 * 16, -150 * 16);
        star(p, { 21, 3 }, 2.8, QColor(0xFF, 0xA0, 0x10));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xFF, 0xFF, 0xFF, 120));
        p.drawEllipse(QPointF(7.5, 11), 2, 1.5);
        break;
    case 59: // knife
        p.save();
        p.translate(12, 12);
        p.rotate(-45);
        p.setPen(QPen(QColor(0x70, 0x78, 0x88), 0.8));
        p.setBrush(QColor(0xE0, 0xE6, 0xF0));
        p.drawPolygon(QPolygonF({ QPointF(-3, -2), QPointF(10, -2), QPointF(11, 0.5), QPointF(-3, 2) }));
        p.setPen(QPen(QColor(0x40, 0x20, 0x10), 0.8));
        p.setBrush(QColor(0x7A, 0x40, 0x20));
        p.drawRoundedRect(QRectF(-11, -1.8, 8, 3.6), 1, 1);
        p.restore();
        break;
    case 60: { // football
        p.setPen(QPen(Qt::black, 0.9));
        p.setBrush(kWhite);
        p.drawEllipse(QPointF(12, 12), 10, 10);
        p.setBrush(Qt::black);
        QPolygonF pentagon;
        for (int i = 0; i < 5; ++i) {
            const qreal a = qDegreesToRadians(-90.0 + 72 * i);
            pentagon << QPointF(12 + 3.8 * qCos(a), 12 + 3.8 * qSin(a));
        }
        p.drawPolygon(pentagon);
        for (const QPointF &corner : pentagon) {
            const QPointF out = QPointF(12, 12) + (corner - QPointF(12, 12)) * 2.3;
            p.drawLine(corner, out);
        }
        break;
    }
    case 61: // music note
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x40, 0x30, 0xA0));
        p.drawEllipse(QPointF(7, 18), 3.4, 2.6);
        p.drawEllipse(QPointF(17, 16), 3.4, 2.6);
        p.drawRect(QRectF(9.2, 4, 1.6, 14));
        p.drawRect(QRectF(19.2, 2, 1.6, 14));
        p.drawPolygon(QPolygonF({ QPointF(9.2, 4), QPointF(20.8, 2), QPointF(20.8, 5.5), QPointF(9.2, 7.5) }));
        break;
    case 62: // poo
        p.setPen(QPen(QColor(0x50, 0x30, 0x10), 0.8));
        p.setBrush(QColor(0x9A, 0x60, 0x30));
        p.drawEllipse(QRectF(3, 15, 18, 7));
        p.drawEllipse(QRectF(5.5, 10, 13, 6.5));
        p.drawEllipse(QRectF(8, 5.5, 8, 5.5));
        p.drawPolygon(QPolygonF({ QPointF(10, 6.5), QPointF(13, 1.5), QPointF(14.5, 6.5) }));
        eyes(p, Eyes::Happy, 12.5);
        mouth(p, Mouth::Smile, 19.3);
        break;
    case 63: // star
        star(p, { 12, 12.5 }, 10.5, QColor(0xFF, 0xD0, 0x20));
        break;
    case 64: // coffee
        p.setPen(QPen(QColor(0x70, 0x50, 0x40), 0.9));
        p.setBrush(kWhite);
        p.drawRoundedRect(QRectF(4, 9, 12, 12), 2, 2);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0x70, 0x50, 0x40), 1.6));
        p.drawEllipse(QRectF(15, 11.5, 5, 6));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x6A, 0x3A, 0x1A));
        p.drawRect(QRectF(5, 10, 10, 2.5));
        ink(p, 0.9, QColor(0xA0, 0xA0, 0xA0));
        p.drawArc(QRectF(6, 2, 3, 6), 90 * 16, 180 * 16);
        p.drawArc(QRectF(10.5, 2, 3, 6), 90 * 16, 180 * 16);
        break;
    case 65: // bowl of rice
        p.setPen(QPen(QColor(0x40, 0x60, 0x90), 0.9));
        p.setBrush(QColor(0xF4, 0xF8, 0xFF));
        p.drawEllipse(QRectF(4.5, 5.5, 15, 9));
        p.setBrush(QColor(0x60, 0x90, 0xD0));
        p.drawChord(QRectF(2, 3, 20, 18), 180 * 16, 180 * 16);
        p.drawRect(QRectF(9, 19.5, 6, 2));
        ink(p, 1, QColor(0x90, 0x60, 0x30));
        p.drawLine(QPointF(14, 9), QPointF(22, 1));
        p.drawLine(QPointF(16, 10), QPointF(23, 3));
        break;
    case 66: // pill
        p.save();
        p.translate(12, 12);
        p.rotate(-40);
        p.setPen(QPen(QColor(0x80, 0x30, 0x30), 0.8));
        p.setBrush(kRed);
        p.drawChord(QRectF(-10, -4.5, 9, 9), 90 * 16, 180 * 16);
        p.drawRect(QRectF(-5.5, -4.5, 5.5, 9));
        p.setBrush(kWhite);
        p.drawChord(QRectF(1, -4.5, 9, 9), -90 * 16, 180 * 16);
        p.drawRect(QRectF(0, -4.5, 5.5, 9));
        p.restore();
        break;
    case 67: // rose
    case 68: { // wilted rose
        const bool wilted = index == 68;
        ink(p, 1.4, wilted ? QColor(0x80, 0x70, 0x30) : QColor(0x30, 0x90, 0x30));
        if (wilted)
            p.drawArc(QRectF(6, 8, 12, 28), 90 * 16, 80 * 16);
        else
            p.drawLine(QPointF(12, 11), QPointF(12, 23));
        p.setPen(Qt::NoPen);
        p.setBrush(wilted ? QColor(0x90, 0x80, 0x30) : QColor(0x40, 0xA0, 0x40));
        p.drawEllipse(QPointF(wilted ? 9 : 15, 18), 2.8, 1.4);
        const QPointF head = wilted ? QPointF(7, 12) : QPointF(12, 7);
        const QColor petal = wilted ? QColor(0x90, 0x50, 0x50) : QColor(0xE0, 0x20, 0x40);
        p.setPen(QPen(petal.darker(150), 0.8));
        p.setBrush(petal);
        p.drawEllipse(head, 5, 5);
        ink(p, 0.8, petal.darker(170));
        p.drawArc(QRectF(head.x() - 3, head.y() - 3, 6, 6), 0, 270 * 16);
        p.drawArc(QRectF(head.x() - 1.5, head.y() - 1.5, 3, 3), 90 * 16, 270 * 16);
        break;
    }
    case 69: { // kiss: lips
        QPainterPath lips;
        lips.moveTo(2, 12);
        lips.cubicTo(6, 5, 10, 6, 12, 8.5);
        lips.cubicTo(14, 6, 18, 5, 22, 12);
        lips.cubicTo(18, 20, 6, 20, 2, 12);
        p.setPen(QPen(QColor(0x90, 0x10, 0x20), 0.8));
        p.setBrush(QColor(0xE8, 0x20, 0x40));
        p.drawPath(lips);
        ink(p, 0.9, QColor(0x90, 0x10, 0x20));
        p.drawLine(QPointF(3, 12), QPointF(21, 12));
        break;
    }
    case 70: // heart
        heart(p, { 12, 13 }, 16);
        break;
    case 71: // broken heart
        p.save();
        p.setClipRect(QRectF(0, 0, 12, 24));
        p.translate(-1.2, 0.6);
        heart(p, { 12, 13 }, 16);
        p.restore();
        p.save();
        p.setClipRect(QRectF(12, 0, 12, 24));
        p.translate(1.2, -0.6);
        heart(p, { 12, 13 }, 16);
        p.restore();
        ink(p, 1.2, kWhite);
        p.drawPolyline(QPolygonF({ QPointF(12, 5), QPointF(10.5, 10), QPointF(13.5, 14), QPointF(11, 21) }));
        break;
    case 72: // meeting
        p.setPen(QPen(QColor(0x70, 0x50, 0x30), 0.8));
        p.setBrush(QColor(0xB0, 0x80, 0x50));
        person(p, { 5, 8 }, kBlue);
        person(p, { 12, 5.5 }, kRed);
        person(p, { 19, 8 }, QColor(0x40, 0xA0, 0x40));
        p.setPen(QPen(QColor(0x70, 0x50, 0x30), 0.8));
        p.setBrush(QColor(0xB0, 0x80, 0x50));
        p.drawRoundedRect(QRectF(1, 15, 22, 5), 2, 2);
        break;
    case 73: // gift
        p.setPen(QPen(QColor(0x20, 0x50, 0x90), 0.8));
        p.setBrush(QColor(0x40, 0x90, 0xE0));
        p.drawRect(QRectF(4, 10, 16, 12));
        p.drawRect(QRectF(3, 7, 18, 4));
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawRect(QRectF(10.8, 7, 2.4, 15));
        p.setPen(QPen(kRed.darker(130), 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(6.5, 2.5, 5.5, 4.5));
        p.drawEllipse(QRectF(12, 2.5, 5.5, 4.5));
        break;
    case 74: // telephone
        p.setPen(QPen(QColor(0x80, 0x10, 0x10), 0.8));
        p.setBrush(kRed);
        p.drawRoundedRect(QRectF(4, 11, 16, 10), 2, 2);
        p.drawRoundedRect(QRectF(2, 5, 20, 4.5), 2, 2);
        p.setBrush(kWhite);
        p.drawEllipse(QPointF(12, 16), 3, 3);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(12, 16), 0.8, 0.8);
        break;
    case 75: // clock
        p.setPen(QPen(QColor(0x30, 0x30, 0x40), 1.2));
        p.setBrush(kWhite);
        p.drawEllipse(QPointF(12, 12), 10, 10);
        ink(p, 1.6, QColor(0x30, 0x30, 0x40));
        p.drawLine(QPointF(12, 12), QPointF(12, 5.5));
        p.drawLine(QPointF(12, 12), QPointF(16.5, 14));
        for (int i = 0; i < 12; ++i) {
            const qreal a = qDegreesToRadians(30.0 * i);
            p.drawPoint(QPointF(12 + 8 * qCos(a), 12 + 8 * qSin(a)));
        }
        break;
    case 76: // mail
        p.setPen(QPen(QColor(0x70, 0x60, 0x40), 0.9));
        p.setBrush(QColor(0xFF, 0xF6, 0xE0));
        p.drawRect(QRectF(2, 5, 20, 14));
        p.drawPolyline(QPolygonF({ QPointF(2, 5), QPointF(12, 13), QPointF(22, 5) }));
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawRect(QRectF(17, 6.5, 3.5, 4));
        break;
    case 77: // television
        p.setPen(QPen(QColor(0x30, 0x30, 0x30), 0.9));
        p.setBrush(QColor(0x60, 0x60, 0x68));
        p.drawRoundedRect(QRectF(1.5, 6, 21, 15), 2, 2);
        p.setBrush(QColor(0x70, 0xC0, 0xF0));
        p.drawRoundedRect(QRectF(3.5, 8, 14, 11), 1.5, 1.5);
        ink(p, 1, QColor(0x30, 0x30, 0x30));
        p.drawLine(QPointF(8, 1.5), QPointF(12, 6));
        p.drawLine(QPointF(16, 1.5), QPointF(12, 6));
        p.setBrush(QColor(0xE0, 0xE0, 0x40));
        p.drawEllipse(QPointF(20, 11), 1.2, 1.2);
        p.drawEllipse(QPointF(20, 15.5), 1.2, 1.2);
        break;
    case 78: { // sun
        ink(p, 1.6, QColor(0xFF, 0x90, 0x10));
        for (int i = 0; i < 8; ++i) {
            const qreal a = qDegreesToRadians(45.0 * i);
            p.drawLine(QPointF(12 + 8 * qCos(a), 12 + 8 * qSin(a)), QPointF(12 + 11 * qCos(a), 12 + 11 * qSin(a)));
        }
        faceBase(p, QColor(0xFF, 0xB0, 0x20), 6.5, { 12, 12 });
        p.save();
        p.translate(12, 12);
        p.scale(0.6, 0.6);
        p.translate(-12, -12.5);
        eyes(p, Eyes::Happy);
        mouth(p, Mouth::Smile);
        p.restore();
        break;
    }
    case 79: // female
        genderSign(p, false);
        break;
    case 80: { // moon
        QPainterPath moon;
        moon.addEllipse(QPointF(12, 12), 9.5, 9.5);
        QPainterPath bite;
        bite.addEllipse(QPointF(17.5, 8.5), 8.5, 8.5);
        p.setPen(QPen(QColor(0xC0, 0x90, 0x00), 0.8));
        p.setBrush(QColor(0xFF, 0xE0, 0x50));
        p.drawPath(moon.subtracted(bite));
        star(p, { 19, 17 }, 2.5, QColor(0xFF, 0xE0, 0x50));
        break;
    }
    case 81: // thumbs up
        thumb(p, true);
        break;
    case 82: // thumbs down
        thumb(p, false);
        break;
    case 83: // handshake
        p.setPen(QPen(kSkinEdge, 0.8));
        p.setBrush(kSkin);
        p.drawRoundedRect(QRectF(4, 8, 10, 7), 3, 3);
        p.setBrush(QColor(0xFF, 0xE4, 0x90));
        p.drawRoundedRect(QRectF(10, 10, 10, 7), 3, 3);
        p.setPen(QPen(QColor(0x30, 0x50, 0x90), 0.8));
        p.setBrush(QColor(0x50, 0x80, 0xD0));
        p.drawRect(QRectF(0.5, 7.5, 4, 8));
        p.setBrush(QColor(0x40, 0x40, 0x48));
        p.drawRect(QRectF(19.5, 9.5, 4, 8));
        break;
    case 84: // victory
        p.setPen(QPen(kSkinEdge, 0.8));
        p.setBrush(kSkin);
        p.save();
        p.translate(12, 14);
        p.rotate(-14);
        p.drawRoundedRect(QRectF(-3.2, -12, 3.4, 12), 1.7, 1.7);
        p.restore();
        p.save();
        p.translate(12, 14);
        p.rotate(14);
        p.drawRoundedRect(QRectF(-0.2, -12, 3.4, 12), 1.7, 1.7);
        p.restore();
        p.drawRoundedRect(QRectF(7, 12, 10, 10), 3, 3);
        break;
    case 85: // the round little one
        faceBase(p, QColor(0xFF, 0xA8, 0x60));
        eyes(p, Eyes::Wide);
        mouth(p, Mouth::Grin);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x30, 0x20, 0x10));
        p.drawEllipse(QPointF(12, 2.5), 2, 2);
        break;
    case 86: // beauty
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x20, 0x18, 0x10));
        p.drawRoundedRect(QRectF(1.5, 2, 21, 21), 9, 9);
        faceBase(p, QColor(0xFF, 0xE0, 0xC8), 8, { 12, 12 });
        eyes(p, Eyes::Closed, 11);
        p.setPen(QPen(kRed, 1.2));
        p.setBrush(kRed);
        p.drawEllipse(QPointF(12, 16), 1.6, 0.9);
        p.setPen(QPen(QColor(0xFF, 0x60, 0xA0), 0.7));
        p.setBrush(QColor(0xFF, 0x90, 0xC0));
        p.drawEllipse(QPointF(18, 4.5), 2.2, 2.2);
        break;
    case 87: // joy
        faceBase(p);
        eyes(p, Eyes::Happy);
        mouth(p, Mouth::Grin);
        star(p, { 3.5, 4 }, 2.8, QColor(0xFF, 0x80, 0xC0));
        star(p, { 20.5, 4 }, 2.8, QColor(0x80, 0xC0, 0xFF));
        break;
    case 88: { // the furry one
        p.setPen(QPen(QColor(0x60, 0x40, 0x20), 0.9));
        p.setBrush(QColor(0xB0, 0x80, 0x50));
        QPolygonF fur;
        for (int i = 0; i < 24; ++i) {
            const qreal a = qDegreesToRadians(15.0 * i);
            const qreal r = (i % 2) ? 8.6 : 11;
            fur << QPointF(12 + r * qCos(a), 12.5 + r * qSin(a));
        }
        p.drawPolygon(fur);
        eyes(p, Eyes::Wide);
        mouth(p, Mouth::Smile);
        break;
    }
    case 89: { // Q chick
        p.setPen(QPen(QColor(0xC0, 0x90, 0x00), 0.8));
        p.setBrush(QColor(0xFF, 0xE8, 0x40));
        p.drawEllipse(QPointF(12, 13), 10, 9.5);
        p.drawPolygon(QPolygonF({ QPointF(10, 4.5), QPointF(12, 0.5), QPointF(13.5, 4.5) }));
        eyes(p, Eyes::Dots, 11);
        p.setPen(QPen(QColor(0xC0, 0x60, 0x00), 0.7));
        p.setBrush(QColor(0xFF, 0x90, 0x20));
        p.drawPolygon(QPolygonF({ QPointF(10, 14.5), QPointF(14, 14.5), QPointF(12, 17.5) }));
        blush(p);
        break;
    }
    case 90: // blown kiss
        simple(p, Eyes::Wink, Mouth::SmallO);
        heart(p, { 19, 16 }, 4.5);
        heart(p, { 21, 10.5 }, 3);
        break;
    case 91: // a light for the pipe
        p.setPen(QPen(QColor(0x50, 0x50, 0x58), 0.8));
        p.setBrush(QColor(0xA0, 0xA8, 0xB8));
        p.drawRoundedRect(QRectF(7, 11, 10, 11), 1.5, 1.5);
        p.setBrush(QColor(0x70, 0x78, 0x88));
        p.drawRect(QRectF(7, 9, 6, 2.5));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xFF, 0x80, 0x10));
        p.drawEllipse(QRectF(8, 1, 5, 8.5));
        p.setBrush(QColor(0xFF, 0xE0, 0x40));
        p.drawEllipse(QRectF(9.3, 4, 2.4, 4.6));
        break;
    case 92: // white spirit
        bottle(p, QColor(0xE8, 0xF0, 0xF8), kRed);
        break;
    case 93: // soda
        bottle(p, QColor(0x60, 0xC0, 0x60), QColor(0xFF, 0xE0, 0x40));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xFF, 0xFF, 0xFF, 170));
        p.drawEllipse(QPointF(10, 10.5), 0.8, 0.8);
        p.drawEllipse(QPointF(13.5, 20), 0.8, 0.8);
        break;
    case 94: // watermelon
        p.setPen(QPen(QColor(0x20, 0x70, 0x20), 1));
        p.setBrush(QColor(0x30, 0xA0, 0x30));
        p.drawChord(QRectF(1, -9, 22, 28), 180 * 16, 180 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xF0, 0x40, 0x50));
        p.drawChord(QRectF(2.8, -7.2, 18.4, 24.4), 180 * 16, 180 * 16);
        p.setBrush(Qt::black);
        for (const QPointF &seed :
            { QPointF(8, 9), QPointF(12, 12), QPointF(16, 9), QPointF(10, 14.5), QPointF(14, 14.5) })
            p.drawEllipse(seed, 0.7, 1);
        break;
    case 95: // male
        genderSign(p, true);
        break;
    case 96: // a line of program text
        p.setPen(QPen(QColor(0x20, 0x60, 0xB0), 1));
        p.setBrush(QColor(0x40, 0x90, 0xE0));
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        letter(p, QStringLiteral("i"), QRectF(2, 2, 20, 20), kWhite, 15);
        break;
    case 97: // a picture on its way
        p.setPen(QPen(QColor(0x70, 0x80, 0x90), 1));
        p.setBrush(QColor(0xF4, 0xF8, 0xFC));
        p.drawRect(QRectF(2.5, 4.5, 19, 15));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x40, 0x90, 0xE0));
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QPointF(7.5 + 4.5 * i, 12), 1.6, 1.6);
        break;
    case 98: // a picture that cannot be found
        p.setPen(QPen(QColor(0x70, 0x80, 0x90), 1));
        p.setBrush(QColor(0xF4, 0xF8, 0xFC));
        p.drawRect(QRectF(2.5, 4.5, 19, 15));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x80, 0xB0, 0x60));
        p.drawPolygon(QPolygonF({ QPointF(3, 19), QPointF(9, 11), QPointF(14, 19) }));
        ink(p, 2, kRed);
        p.drawLine(QPointF(13, 7), QPointF(20, 14));
        p.drawLine(QPointF(20, 7), QPointF(13, 14));
        break;
    default:
        break;
    }
}

} // namespace FaceArt

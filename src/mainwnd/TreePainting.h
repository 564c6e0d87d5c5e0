// Colours, fonts and backgrounds of the contact list's owner-painted views.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <cstdint>

class CConfig;
class QPainter;
class QRect;

// A Windows COLORREF (0x00BBGGRR) as a colour.
QColor ColorFromRef(uint32_t colorref);
// "宋体" of the given pixel height (SongFont).
QFont SongTiFont(int pixelHeight, int weight = QFont::Normal);

// The painting values of the user tree, copied from the configuration.
struct TreeStyle
{
    enum Background { NoOwnerPaint = 0, Picture = 1, Gradient = 2, Fill = 3 };

    int background = Picture;
    bool defaultPicture = true;
    QString picturePath;
    bool stretch = false;
    int gradientMode = 1;
    QColor gradient1, gradient2, fill, selectionFrame, selectionFill;
    QColor nick, host, signature, address, type, objectGroup, user, group;
    bool noHostIfMemo = true;
    QString smallFields = QStringLiteral("1364");
    QString largeLine1 = QStringLiteral("13");
    QString largeLine2 = QStringLiteral("64");

    // The values before the configuration is read.
    TreeStyle();
    static TreeStyle FromConfig(const CConfig *config);
};

// Fills the rectangle from one colour to the other: mode 0 horizontal, 1
// vertical, 2 a corner-to-centre gradient drawn in one quarter and mirrored
// into the other three. Equal colours give a solid fill.
void PaintGradientRect(QPainter &painter, const QRect &rect, const QColor &from, const QColor &to, int mode);
// The tree's background over its canvas (the whole scrolled content): the
// picture stretched or tiled, the gradient or the fill colour.
void PaintTreeBackground(QPainter &painter, const QRect &canvas, const TreeStyle &style, const QPixmap &picture);
// The program's own tiled background picture of the tree.
QPixmap DefaultTreePicture();

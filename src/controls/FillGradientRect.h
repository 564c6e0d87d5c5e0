// Gradient fills of the skinned windows.
#pragma once

#include <QColor>
#include <QRect>

class QPainter;

enum class GradientMode {
    Horizontal = 0, // colour 1 at the left edge, colour 2 at the right
    Vertical = 1, // colour 1 at the top, colour 2 at the bottom
    Diamond = 2, // a triangle gradient in the top-left quarter, mirrored into the
                 // other three: colour 1 at the corners, colour 2 in the centre
};

// Fills the rectangle from colour 1 to colour 2; equal colours give a solid
// fill. A mode outside 0..2 counts as Vertical.
void FillGradientRect(QPainter &painter, const QRect &rect, const QColor &color1, const QColor &color2, int mode);

// The position 0..1 between colour 1 and colour 2 of the pixel (x, y)
// relative to the rectangle's top-left corner, for a rectangle of w × h.
double GradientPosition(int mode, int w, int h, int x, int y);
// Colour 1 and colour 2 mixed at the position t (0..1), per channel.
QColor MixColors(const QColor &color1, const QColor &color2, double t);

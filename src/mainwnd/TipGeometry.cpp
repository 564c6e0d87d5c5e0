#include "mainwnd/TipGeometry.h"

#include <algorithm>

namespace TipGeometry {
namespace {
// Windows rectangles name their right and bottom edges exclusively.
QRect ltrb(int left, int top, int right, int bottom)
{
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}
} // namespace

QRect titleRect(int w, int) { return ltrb(40, 2, w, 35); }
QRect textRect(int w, int h) { return ltrb(16, 32, w - 8, h - 22); }
QRect innerFrame(int w, int h) { return ltrb(8, 30, w - 8, h - 20); }
QRect previousRect(int, int h) { return ltrb(20, h - 15, 30, h - 5); }
QRect nextRect(int, int h) { return ltrb(70, h - 15, 80, h - 5); }
QRect openRect(int, int h) { return ltrb(95, h - 20, 125, h); }
QRect closeRect(int, int h) { return ltrb(130, h - 20, 160, h); }
QRect pageRect(int, int h) { return ltrb(30, h - 15, 70, 120); }

Spot SpotAt(const QPoint &point, int w, int h, bool hasLink)
{
    if (!QRect(0, 0, w, h).contains(point))
        return Spot::None;
    // The arrows are small: their spots take the whole height of the strip.
    if (previousRect(w, h).adjusted(-3, -5, 3, 5).contains(point))
        return Spot::Previous;
    if (nextRect(w, h).adjusted(-3, -5, 3, 5).contains(point))
        return Spot::Next;
    if (closeRect(w, h).contains(point))
        return Spot::Close;
    if (openRect(w, h).contains(point))
        return hasLink ? Spot::Open : Spot::None;
    if (point.y() < h - 20)
        return Spot::Notice;
    return Spot::None;
}

bool Slide::step()
{
    offset = std::min(offset + kSlideStep, kHeight);
    return done();
}

QPoint FinalPosition(const QRect &workArea)
{
    return QPoint(workArea.right() + 1 - kWidth, workArea.bottom() + 1 - kHeight);
}

Slide StartSlide(const QRect &workArea)
{
    return Slide{workArea.bottom() + 1, 0};
}

} // namespace TipGeometry

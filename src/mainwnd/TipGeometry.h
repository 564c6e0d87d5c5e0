// The fixed layout of the tip popup: its size, the active spots of the
// painted window, and the slide from the bottom edge of the work area.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace TipGeometry {

constexpr int kWidth = 170;
constexpr int kHeight = 120;
constexpr int kSlideStep = 3; // pixels per tick
constexpr int kSlideTickMs = 10;
constexpr int kCloseDelayMs = 4000;

enum class Spot { None, Previous, Next, Open, Close, Notice };

// The rectangles of the painted parts for a client of w × h.
QRect titleRect(int w, int h);
QRect textRect(int w, int h);
QRect innerFrame(int w, int h);
QRect previousRect(int w, int h);
QRect nextRect(int w, int h);
QRect openRect(int w, int h);
QRect closeRect(int w, int h);
QRect pageRect(int w, int h);
// What a click at the point hits; Open only when the notice has a link.
Spot SpotAt(const QPoint &point, int w, int h, bool hasLink);

// The slide: the window starts with its top at the bottom of the work area
// and rises kSlideStep pixels a tick until it stands fully inside.
struct Slide
{
    int startY = 0;
    int offset = 0;

    int y() const { return startY - offset; }
    bool done() const { return offset >= kHeight; }
    // One tick; true when the window has arrived.
    bool step();
};

// Where the popup stands when it has arrived: the bottom-right corner of the
// work area.
QPoint FinalPosition(const QRect &workArea);
Slide StartSlide(const QRect &workArea);

} // namespace TipGeometry

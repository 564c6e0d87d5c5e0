// The arithmetic of docking the main panel at an edge of the work area and
// sliding it out of view and back, without any window. Rectangles are the
// panel's frame in the Windows manner: right and bottom are exclusive.
//
// Every edge is an edge of the work area of the screen the panel is on (the
// usable part, without panels and docks), so a strip left at the bottom
// never hides under a bottom panel.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace Dock {

enum Side : int { None = 0, Top = 1, Bottom = 2, Left = 3, Right = 4 };

// The cursor docks within these distances of an edge.
constexpr int kTopReach = 21; // y < top + 21
constexpr int kBottomReach = 20; // y >= bottom - 20
constexpr int kSideReach = 20; // x < left + 20, x >= right - 20
// The watch lets the cursor stray this far outside the panel.
constexpr int kWatchMargin = 10;
// The smallest panel while docked (a smaller drag is raised to it).
constexpr QSize kDockedMinimum(200, 400);
// The height a left or right dock restores when nothing was saved.
constexpr int kDefaultSavedHeight = 400;
constexpr int kSlideSteps = 10;

struct Box
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    QRect toRect() const { return QRect(left, top, width(), height()); }
    static Box fromRect(const QRect &r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }
    bool operator==(const Box &) const = default;
};

struct Metrics
{
    Box area; // the work area
    int edge = 2; // hidden above the top edge (the frame's border)
    int strip = 4; // what stays visible of a hidden panel

    static Metrics fromWorkArea(const QRect &workArea) { return {Box::fromRect(workArea)}; }
};

// What the panel remembers between docking steps.
struct State
{
    int side = None;
    int savedHeight = kDefaultSavedHeight; // the height before a left/right stretch
    bool stretched = false;
};

// Where a drag that ended with the cursor at `cursor` leaves the panel whose
// frame is `moved`: the first edge the cursor is near docks (top, bottom,
// left, right); left and right stretch the panel over the work area's height
// and remember the height it had. Away from every edge, and at the top or the
// bottom, the panel gets its remembered height back. Updates `state`.
Box DetectDock(const Metrics &m, QPoint cursor, const Box &moved, State &state);

// One step of sliding, a tenth of the height (top, bottom) or width (left,
// right), at least one pixel. `done` when the panel reached its end.
struct Step
{
    Box box;
    bool done = false;
};
Step HideStep(const Metrics &m, int side, const Box &current);
Step ShowStep(const Metrics &m, int side, const Box &current);

// The hidden place of a panel docked at start-up (sides 1..4); updates the
// stretch of `state`. Other sides leave the box as it is.
Box InitialHide(const Metrics &m, const Box &current, State &state);

// True when the panel of side `side` is at (or past) its hidden place.
bool IsSlidOut(const Metrics &m, int side, const Box &current);

// Whether the cursor is inside the panel's frame grown by kWatchMargin.
bool CursorNear(QPoint cursor, const Box &frame);

// Tells a user's drag of the panel from every other move. The window manager
// owns the drag and reports the new place only when it ends, so the panel is
// looked at where the window system has it now (`live`) and where the
// program last heard it was (`known`): it is dragged when the two part while
// a mouse button is held, and the drag ends when the buttons are released.
// Moves without a held button (the first show, the window manager's own
// placing, the program's) are no drag.
class DragWatch
{
public:
    enum class Event { None, Dragging, Ended };
    Event Feed(bool buttonDown, const Box &live, const Box &known);
    bool dragging() const { return m_dragging; }
    void Reset() { m_dragging = false; }

private:
    bool m_dragging = false;
};

} // namespace Dock

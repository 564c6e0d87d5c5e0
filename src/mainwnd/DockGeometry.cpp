#include "mainwnd/DockGeometry.h"

#include <algorithm>

namespace Dock {

namespace {

void stretchSideways(const Metrics &m, Box &box, State &state, int currentHeight)
{
    if (!state.stretched)
        state.savedHeight = currentHeight;
    box.top = m.area.top - m.edge;
    box.bottom = m.area.bottom;
    state.stretched = true;
}

int stepOf(int length)
{
    return std::max(1, length / kSlideSteps);
}

} // namespace

Box DetectDock(const Metrics &m, QPoint cursor, const Box &moved, State &state)
{
    Box box = moved;
    const int w = moved.width();
    // A panel stretched along a side takes its own height back at the top
    // or bottom: stretched there it would cover the screen and never slide out.
    const bool topOrBottom = cursor.y() < m.area.top + kTopReach || cursor.y() >= m.area.bottom - kBottomReach;
    const int h = topOrBottom && state.stretched ? state.savedHeight : moved.height();
    if (topOrBottom)
        state.stretched = false;
    if (cursor.y() < m.area.top + kTopReach) {
        box.top = m.area.top - m.edge;
        box.bottom = box.top + h;
        state.side = Top;
    } else if (cursor.y() >= m.area.bottom - kBottomReach) {
        box.top = m.area.bottom - h;
        box.bottom = m.area.bottom;
        state.side = Bottom;
    } else if (cursor.x() < m.area.left + kSideReach) {
        box.left = m.area.left;
        box.right = m.area.left + w;
        stretchSideways(m, box, state, h);
        state.side = Left;
    } else if (cursor.x() >= m.area.right - kSideReach) {
        box.right = m.area.right;
        box.left = m.area.right - w;
        stretchSideways(m, box, state, h);
        state.side = Right;
    } else {
        if (state.stretched) {
            // Its height back, within the work area where it fits: a tall
            // panel let go low would otherwise hang below the screen.
            box.top = std::max(m.area.top, std::min(box.top, m.area.bottom - state.savedHeight));
            box.bottom = box.top + state.savedHeight;
            state.stretched = false;
        }
        state.side = None;
    }
    return box;
}

Step HideStep(const Metrics &m, int side, const Box &current)
{
    Step s{current, false};
    Box &b = s.box;
    const int w = current.width();
    const int h = current.height();
    switch (side) {
    case Top:
        b.bottom -= stepOf(h);
        if (b.bottom <= m.area.top + m.strip) {
            b.bottom = m.area.top + m.strip;
            s.done = true;
        }
        b.top = b.bottom - h;
        break;
    case Bottom:
        b.top += stepOf(h);
        if (b.top >= m.area.bottom - m.strip) {
            b.top = m.area.bottom - m.strip;
            s.done = true;
        }
        b.bottom = b.top + h;
        break;
    case Left:
        b.right -= stepOf(w);
        if (b.right <= m.area.left + m.strip) {
            b.right = m.area.left + m.strip;
            s.done = true;
        }
        b.left = b.right - w;
        b.top = m.area.top - m.edge;
        b.bottom = m.area.bottom;
        break;
    case Right:
        b.left += stepOf(w);
        if (b.left >= m.area.right - m.strip) {
            b.left = m.area.right - m.strip;
            s.done = true;
        }
        b.right = b.left + w;
        b.top = m.area.top - m.edge;
        b.bottom = m.area.bottom;
        break;
    default:
        s.done = true;
        break;
    }
    return s;
}

Step ShowStep(const Metrics &m, int side, const Box &current)
{
    Step s{current, false};
    Box &b = s.box;
    const int w = current.width();
    const int h = current.height();
    switch (side) {
    case Top:
        b.top += stepOf(h);
        if (b.top >= m.area.top - m.edge) {
            b.top = m.area.top - m.edge;
            s.done = true;
        }
        b.bottom = b.top + h;
        break;
    case Bottom:
        b.top -= stepOf(h);
        if (b.top <= m.area.bottom - h) {
            b.top = m.area.bottom - h;
            s.done = true;
        }
        b.bottom = b.top + h;
        break;
    case Left:
        b.right += stepOf(w);
        if (b.right >= m.area.left + w) {
            b.right = m.area.left + w;
            s.done = true;
        }
        b.left = b.right - w;
        b.top = m.area.top - m.edge;
        b.bottom = m.area.bottom;
        break;
    case Right:
        b.left -= stepOf(w);
        if (b.left <= m.area.right - w) {
            b.left = m.area.right - w;
            s.done = true;
        }
        b.right = b.left + w;
        b.top = m.area.top - m.edge;
        b.bottom = m.area.bottom;
        break;
    default:
        s.done = true;
        break;
    }
    return s;
}

Box InitialHide(const Metrics &m, const Box &current, State &state)
{
    Box b = current;
    const int w = current.width();
    const int h = current.height();
    switch (state.side) {
    case Top:
        b.bottom = m.area.top + m.strip;
        b.top = b.bottom - h;
        break;
    case Bottom:
        b.top = m.area.bottom - m.strip;
        b.bottom = b.top + h;
        break;
    case Left:
        stretchSideways(m, b, state, h);
        b.right = m.area.left + m.strip;
        b.left = b.right - w;
        break;
    case Right:
        stretchSideways(m, b, state, h);
        b.left = m.area.right - m.strip;
        b.right = b.left + w;
        break;
    default:
        break;
    }
    return b;
}

bool IsSlidOut(const Metrics &m, int side, const Box &current)
{
    switch (side) {
    case Top:
        return current.bottom <= m.area.top + m.strip;
    case Bottom:
        return current.top >= m.area.bottom - m.strip;
    case Left:
        return current.right <= m.area.left + m.strip;
    case Right:
        return current.left >= m.area.right - m.strip;
    default:
        return false;
    }
}

bool CursorNear(QPoint cursor, const Box &frame)
{
    return cursor.x() >= frame.left - kWatchMargin && cursor.x() < frame.right + kWatchMargin
        && cursor.y() >= frame.top - kWatchMargin && cursor.y() < frame.bottom + kWatchMargin;
}

DragWatch::Event DragWatch::Feed(bool buttonDown, const Box &live, const Box &known)
{
    if (buttonDown) {
        if (live != known)
            m_dragging = true;
        return m_dragging ? Event::Dragging : Event::None;
    }
    if (!m_dragging)
        return Event::None;
    m_dragging = false;
    return Event::Ended;
}

} // namespace Dock

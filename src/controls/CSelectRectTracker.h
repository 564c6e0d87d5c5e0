// A rectangle the user moves and sizes by its frame and eight handles (the
// screen-capture area, picture selections). Only geometry and drawing; the
// window that owns it feeds it the mouse.
#pragma once

#include <QPoint>
#include <QRect>
#include <Qt>

class QPainter;

class CSelectRectTracker
{
public:
    enum Hit { Nothing = -1, TopLeft = 0, TopRight, BottomRight, BottomLeft, Top, Right, Bottom, Left, Middle };

    CSelectRectTracker() = default;
    explicit CSelectRectTracker(const QRect &rect, int handleSize = 6)
        : m_rect(Normalized(rect))
        , m_handleSize(handleSize)
    {
    }

    QRect rect() const { return m_rect; }
    void setRect(const QRect &rect) { m_rect = Normalized(rect); }
    // The rectangle between the same corner pixels with left <= right and
    // top <= bottom.
    static QRect Normalized(const QRect &rect);
    int handleSize() const { return m_handleSize; }

    // The square of a handle (empty for Nothing and Middle).
    QRect handleRect(Hit hit) const;
    // What lies under the point: a handle, the inside (Middle) or Nothing.
    Hit HitTest(const QPoint &point) const;
    static Qt::CursorShape CursorFor(Hit hit);
    // Moves the handle (or the whole rectangle for Middle) by the distance
    // from `from` to `to`; the result is normalised and kept inside bounds
    // (when bounds is valid). Returns the new rectangle.
    QRect Track(Hit hit, const QPoint &from, const QPoint &to, const QRect &bounds = QRect());
    void Draw(QPainter &painter) const;

private:
    QRect m_rect;
    int m_handleSize = 6;
};

#include "controls/CSelectRectTracker.h"

#include <QPainter>
#include <algorithm>

QRect CSelectRectTracker::Normalized(const QRect &rect)
{
    return QRect(QPoint(std::min(rect.left(), rect.right()), std::min(rect.top(), rect.bottom())),
        QPoint(std::max(rect.left(), rect.right()), std::max(rect.top(), rect.bottom())));
}

QRect CSelectRectTracker::handleRect(Hit hit) const
{
    const int s = m_handleSize;
    const QRect r = m_rect;
    const int cx = r.left() + r.width() / 2;
    const int cy = r.top() + r.height() / 2;
    QPoint centre;
    switch (hit) {
    case TopLeft:
        centre = r.topLeft();
        break;
    case TopRight:
        centre = QPoint(r.right(), r.top());
        break;
    case BottomRight:
        centre = r.bottomRight();
        break;
    case BottomLeft:
        centre = QPoint(r.left(), r.bottom());
        break;
    case Top:
        centre = QPoint(cx, r.top());
        break;
    case Right:
        centre = QPoint(r.right(), cy);
        break;
    case Bottom:
        centre = QPoint(cx, r.bottom());
        break;
    case Left:
        centre = QPoint(r.left(), cy);
        break;
    default:
        return QRect();
    }
    return QRect(centre.x() - s / 2, centre.y() - s / 2, s, s);
}

CSelectRectTracker::Hit CSelectRectTracker::HitTest(const QPoint &point) const
{
    for (int h = TopLeft; h <= Left; ++h) {
        if (handleRect(Hit(h)).contains(point))
            return Hit(h);
    }
    return m_rect.contains(point) ? Middle : Nothing;
}

Qt::CursorShape CSelectRectTracker::CursorFor(Hit hit)
{
    switch (hit) {
    case TopLeft:
    case BottomRight:
        return Qt::SizeFDiagCursor;
    case TopRight:
    case BottomLeft:
        return Qt::SizeBDiagCursor;
    case Top:
    case Bottom:
        return Qt::SizeVerCursor;
    case Left:
    case Right:
        return Qt::SizeHorCursor;
    case Middle:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor;
    }
}

QRect CSelectRectTracker::Track(Hit hit, const QPoint &from, const QPoint &to, const QRect &bounds)
{
    const QPoint d = to - from;
    int left = m_rect.left(), top = m_rect.top(), right = m_rect.right(), bottom = m_rect.bottom();
    switch (hit) {
    case Middle: {
        QRect moved = m_rect.translated(d);
        if (bounds.isValid()) {
            moved.moveLeft(std::clamp(moved.left(), bounds.left(), std::max(bounds.left(), bounds.right() - moved.width() + 1)));
            moved.moveTop(std::clamp(moved.top(), bounds.top(), std::max(bounds.top(), bounds.bottom() - moved.height() + 1)));
        }
        m_rect = moved;
        return m_rect;
    }
    case TopLeft:
        left += d.x();
        top += d.y();
        break;
    case TopRight:
        right += d.x();
        top += d.y();
        break;
    case BottomRight:
        right += d.x();
        bottom += d.y();
        break;
    case BottomLeft:
        left += d.x();
        bottom += d.y();
        break;
    case Top:
        top += d.y();
        break;
    case Right:
        right += d.x();
        break;
    case Bottom:
        bottom += d.y();
        break;
    case Left:
        left += d.x();
        break;
    default:
        return m_rect;
    }
    QRect sized = Normalized(QRect(QPoint(left, top), QPoint(right, bottom)));
    if (bounds.isValid())
        sized = sized.intersected(bounds);
    m_rect = sized;
    return m_rect;
}

void CSelectRectTracker::Draw(QPainter &painter) const
{
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 120, 215), 1, Qt::DashLine));
    painter.drawRect(m_rect);
    painter.setPen(QColor(0, 90, 180));
    painter.setBrush(QColor(0, 120, 215));
    for (int h = TopLeft; h <= Left; ++h)
        painter.drawRect(handleRect(Hit(h)).adjusted(0, 0, -1, -1));
    painter.restore();
}

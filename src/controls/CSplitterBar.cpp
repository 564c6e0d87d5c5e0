#include "controls/CSplitterBar.h"

#include <QMouseEvent>
#include <QPainter>

CSplitterBar::CSplitterBar(QWidget *parent)
    : QWidget(parent)
{
    setCursor(Qt::SizeVerCursor);
}

void CSplitterBar::SetBarColor(const QColor &color)
{
    m_color = color;
    update();
}

void CSplitterBar::SetHorizontal(bool horizontal)
{
    m_horizontal = horizontal;
    setCursor(horizontal ? Qt::SizeVerCursor : Qt::SizeHorCursor);
}

void CSplitterBar::paintEvent(QPaintEvent *)
{
    QPainter(this).fillRect(rect(), m_color);
}

void CSplitterBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        grabMouse();
    }
    QWidget::mousePressEvent(event);
}

void CSplitterBar::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging)
        emit dragged(event->globalPosition().toPoint(), m_horizontal);
    QWidget::mouseMoveEvent(event);
}

void CSplitterBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        releaseMouse();
        emit dragged(QPoint(-1, -1), m_horizontal);
    }
    QWidget::mouseReleaseEvent(event);
}

#include "mainwnd/CSkinHeaderCtrl.h"

#include "mainwnd/TreePainting.h"

#include <QMouseEvent>
#include <QPainter>

CSkinHeaderCtrl::CSkinHeaderCtrl(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
    , m_frame(ColorFromRef(0xE99494))
    , m_top(ColorFromRef(0xFFF4F4))
    , m_bottom(ColorFromRef(0xFFD3D3))
{
    setObjectName(QStringLiteral("0"));
    setFont(SongTiFont(12));
    setMouseTracking(true);
    setSectionsClickable(true);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setMinimumHeight(20);
}

void CSkinHeaderCtrl::SetSkinColors(const QColor &frame, const QColor &top, const QColor &bottom)
{
    m_frame = frame;
    m_top = top;
    m_bottom = bottom;
    viewport()->update();
}

void CSkinHeaderCtrl::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    painter->save();
    const bool hot = logicalIndex == m_hot;
    PaintGradientRect(*painter, rect, hot ? m_top.lighter(104) : m_top, hot ? m_top : m_bottom, 1);
    painter->setPen(m_frame);
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->setPen(palette().color(QPalette::ButtonText));
    painter->setFont(font());
    const QString text = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    painter->drawText(rect.adjusted(5, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter,
        painter->fontMetrics().elidedText(text, Qt::ElideRight, rect.width() - 8));
    painter->restore();
}

void CSkinHeaderCtrl::mouseMoveEvent(QMouseEvent *event)
{
    const int hot = logicalIndexAt(event->position().toPoint());
    if (hot != m_hot) {
        m_hot = hot;
        viewport()->update();
    }
    QHeaderView::mouseMoveEvent(event);
}

void CSkinHeaderCtrl::leaveEvent(QEvent *event)
{
    m_hot = -1;
    viewport()->update();
    QHeaderView::leaveEvent(event);
}

#include "chat/TransferProgressDelegate.h"

#include <QPainter>

TransferProgressDelegate::TransferProgressDelegate(int column, int role, Style style, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_column(column)
    , m_role(role)
    , m_style(style)
{
}

void TransferProgressDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QVariant progress = index.data(m_role);
    if (index.column() != m_column || !progress.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QRect cell = option.rect;
    painter->fillRect(cell, QColor(0xCB, 0xFF, 0xFF));
    const int value = progress.toInt();
    if (value >= 1 && value <= 100) {
        QRect done = cell;
        done.setWidth(int(cell.width() * value * 0.01));
        painter->fillRect(done, QColor(0x7A, 0xE2, 0xFF));
    }
    if (m_style == Style::Underlay) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    painter->setPen(QColor(0xFF, 0, 0));
    const QString text = option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, cell.width());
    painter->drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, text);
}

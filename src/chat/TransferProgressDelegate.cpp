#include "chat/TransferProgressDelegate.h"

#include <QPainter>
#include <algorithm>

namespace {
// Room on each side of a badge's text.
constexpr int kBadgePadding = 3;
} // namespace

TransferProgressDelegate::TransferProgressDelegate(int column, int role, Style style, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_column(column)
    , m_role(role)
    , m_style(style)
{
}

QRect TransferProgressDelegate::BadgeRect(const QRect &cell, const QString &badge, const QFontMetrics &fm)
{
    const int width = std::min(fm.horizontalAdvance(badge) + 2 * kBadgePadding, cell.width() / 2);
    return QRect(cell.right() + 1 - width, cell.top(), width, cell.height());
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
        const QString badge = m_badgeRole >= 0 ? index.data(m_badgeRole).toString() : QString();
        if (badge.isEmpty()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const QRect room = BadgeRect(cell, badge, option.fontMetrics);
        QStyleOptionViewItem name(option);
        name.rect.setRight(room.left() - 1);
        QStyledItemDelegate::paint(painter, name, index);
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        if (selected)
            painter->fillRect(room, option.palette.highlight());
        painter->setPen(selected ? option.palette.highlightedText().color() : QColor(0xDE, 0x59, 0x21));
        painter->drawText(room.adjusted(0, 0, -kBadgePadding, 0), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
            option.fontMetrics.elidedText(badge, Qt::ElideRight, room.width() - kBadgePadding));
        return;
    }
    painter->setPen(QColor(0xFF, 0, 0));
    const QString text = option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, cell.width());
    painter->drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, text);
}

// The progress of a transfer in one column: a light cell with the done part
// in a stronger colour, under the cell's text centred in red (Cell), or under
// the cell drawn as usual (Underlay: its icon and text stay). Cells of other
// columns, and cells without a progress value, are drawn as usual. With a
// badge role, an Underlay cell also shows that short text at its right end,
// and its own text is elided in the room left of it.
#pragma once

#include <QStyledItemDelegate>

class QFontMetrics;

class TransferProgressDelegate : public QStyledItemDelegate
{
public:
    enum class Style { Cell, Underlay };

    // column: the column with the bar; role: the item role holding the
    // percentage (-1 or 0: no bar, 1..100).
    TransferProgressDelegate(int column, int role, Style style, QObject *parent = nullptr);

    // The item role holding the badge text (none: no badge).
    void SetBadgeRole(int role) { m_badgeRole = role; }
    // Where a badge stands in a cell: at its right end, as wide as its text
    // and padding, at most half the cell.
    static QRect BadgeRect(const QRect &cell, const QString &badge, const QFontMetrics &fm);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int m_column;
    int m_role;
    Style m_style;
    int m_badgeRole = -1;
};

// The progress of a transfer in one column: a light cell with the done part
// in a stronger colour, under the cell's text centred in red (Cell), or under
// the cell drawn as usual (Underlay: its icon and text stay). Cells of other
// columns, and cells without a progress value, are drawn as usual.
#pragma once

#include <QStyledItemDelegate>

class TransferProgressDelegate : public QStyledItemDelegate
{
public:
    enum class Style { Cell, Underlay };

    // column: the column with the bar; role: the item role holding the
    // percentage (-1 or 0: no bar, 1..100).
    TransferProgressDelegate(int column, int role, Style style, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int m_column;
    int m_role;
    Style m_style;
};

// The state cell of a transfer: a light cell, the done part in a stronger
// colour, the text centred in red. Cells of other columns, and cells without
// a progress value, are drawn as usual.
#pragma once

#include <QStyledItemDelegate>

class TransferProgressDelegate : public QStyledItemDelegate
{
public:
    // column: the state column; role: the item role holding the percentage
    // (-1 or 0: no bar, 1..100).
    TransferProgressDelegate(int column, int role, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int m_column;
    int m_role;
};

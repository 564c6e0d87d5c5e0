// Draws the rows of the user tree: group nodes with their mark and count,
// peers with their head icon and the fields the style strings name, in the
// configured colours.
#pragma once

#include <QStyledItemDelegate>

class CUserTreeCtrl;
struct ContactEntry;
struct TreeStyle;

class UserTreeDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit UserTreeDelegate(CUserTreeCtrl *tree);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The texts and colours of a peer item's fields for a digit string: 1
    // nick name, 2 login name, 3 host name (left out when the peer has a memo
    // name and the style says so), 4 address, 5 group, 6 signature. The
    // first field stands plain, later ones in parentheses; empty ones are
    // skipped.
    static QList<std::pair<QString, QColor>> Fields(const ContactEntry &entry, const QString &digits, const TreeStyle &style);

private:
    void paintNode(QPainter &p, const QRect &r, const QModelIndex &index, const TreeStyle &style) const;
    void paintPeer(QPainter &p, const QRect &r, const QModelIndex &index, bool selected, const TreeStyle &style) const;
    bool largeRow(const QModelIndex &index) const;

    CUserTreeCtrl *m_tree;
};

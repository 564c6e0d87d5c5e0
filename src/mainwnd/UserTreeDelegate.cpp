#include "mainwnd/UserTreeDelegate.h"

#include "mainwnd/CUserTreeCtrl.h"
#include "mainwnd/ContactTreeModel.h"
#include "mainwnd/HeadIcons.h"
#include "mainwnd/TreePainting.h"

#include <QPainter>

namespace {

constexpr int kRowHeight = 18;
constexpr int kLargeRowHeight = 36;
constexpr int kIndent = 14;
constexpr int kSmallIcon = 16;
constexpr int kLargeIcon = 32;

void drawFields(QPainter &p, const QRect &r, const QList<std::pair<QString, QColor>> &fields)
{
    const QFontMetrics fm(p.font());
    int x = r.left();
    for (const auto &[text, colour] : fields) {
        if (x >= r.right())
            break;
        p.setPen(colour);
        const int w = fm.horizontalAdvance(text);
        p.drawText(QRect(x, r.top(), r.right() - x, r.height()), Qt::AlignLeft | Qt::AlignVCenter, text);
        x += w;
    }
}

void paintSelection(QPainter &p, const QRect &r, int x, const TreeStyle &style)
{
    p.setPen(style.selectionFrame);
    p.setBrush(style.selectionFill);
    p.drawRect(QRect(x - 2, r.top(), r.right() - x, r.height() - 1));
    p.setBrush(Qt::NoBrush);
}

} // namespace

UserTreeDelegate::UserTreeDelegate(CUserTreeCtrl *tree)
    : QStyledItemDelegate(tree)
    , m_tree(tree)
{
}

QList<std::pair<QString, QColor>> UserTreeDelegate::Fields(
    const ContactEntry &e, const QString &digits, const TreeStyle &s)
{
    QList<std::pair<QString, QColor>> out;
    for (QChar d : digits) {
        QString text;
        QColor colour;
        switch (d.unicode()) {
        case u'1':
            text = e.nick, colour = s.nick;
            break;
        case u'2':
            text = e.login, colour = s.user;
            break;
        case u'3':
            if (!(s.noHostIfMemo && e.hasMemoName))
                text = e.hostName, colour = s.host;
            break;
        case u'4':
            text = e.address, colour = s.address;
            break;
        case u'5':
            text = e.group, colour = s.group;
            break;
        case u'6':
            text = e.signature, colour = s.signature;
            break;
        default:
            break;
        }
        if (text.isEmpty())
            continue;
        out.append({ out.isEmpty() ? text : QStringLiteral("(%1)").arg(text), colour });
    }
    return out;
}

bool UserTreeDelegate::largeRow(const QModelIndex &index) const
{
    if (m_tree->largeIcons())
        return true;
    return m_tree->enlargedRow().isValid() && m_tree->enlargedRow() == index;
}

QSize UserTreeDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto kind = ContactTreeModel::RowKind(index.data(ContactTreeModel::KindRole).toInt());
    int height = kRowHeight;
    if (kind == ContactTreeModel::RowKind::Peer)
        height = largeRow(index) ? kLargeRowHeight : kRowHeight;
    else if (m_tree->largeIcons() && m_tree->treeStyle().background == TreeStyle::NoOwnerPaint)
        height = kLargeRowHeight;
    return QSize(option.rect.width() > 0 ? option.rect.width() : 100, height);
}

void UserTreeDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const TreeStyle &style = m_tree->treeStyle();
    painter->save();
    painter->setClipRect(option.rect);
    const auto kind = ContactTreeModel::RowKind(index.data(ContactTreeModel::KindRole).toInt());
    const bool selected = option.state & QStyle::State_Selected;
    if (kind == ContactTreeModel::RowKind::Peer) {
        paintPeer(*painter, option.rect, index, selected, style);
    } else {
        if (selected)
            paintSelection(*painter, option.rect, 2 + index.data(ContactTreeModel::DepthRole).toInt() * kIndent, style);
        paintNode(*painter, option.rect, index, style);
    }
    painter->restore();
}

void UserTreeDelegate::paintNode(QPainter &p, const QRect &r, const QModelIndex &index, const TreeStyle &style) const
{
    const int depth = index.data(ContactTreeModel::DepthRole).toInt();
    const bool userGroup = depth == 0;
    const int x = 2 + depth * kIndent;
    const int image = index.data(ContactTreeModel::ImageRole).toInt();
    p.drawPixmap(x, r.top() + (r.height() - kSmallIcon) / 2, HeadImagePixmap(image, kSmallIcon));
    p.setFont(SongTiFont(12, userGroup ? QFont::Bold : QFont::Normal));
    p.setPen(userGroup ? style.type : style.objectGroup);
    const QString text = index.data(Qt::DisplayRole).toString();
    p.drawText(QRect(x + kSmallIcon + 3, r.top(), r.right() - x - kSmallIcon - 3, r.height()),
        Qt::AlignLeft | Qt::AlignVCenter, text);
}

void UserTreeDelegate::paintPeer(
    QPainter &p, const QRect &r, const QModelIndex &index, bool selected, const TreeStyle &style) const
{
    const auto *model = qobject_cast<const ContactTreeModel *>(index.model());
    const ContactEntry *entry = model ? model->entryAt(index.row()) : nullptr;
    if (!entry)
        return;
    const int depth = index.data(ContactTreeModel::DepthRole).toInt();
    const int x = 2 + depth * kIndent;
    const bool large = largeRow(index);
    if (selected)
        paintSelection(p, r, x, style);
    const int iconSize = large ? kLargeIcon : kSmallIcon;
    const QRect icon(x, r.top() + (r.height() - iconSize) / 2, iconSize, iconSize);
    p.drawPixmap(icon.topLeft(), HeadImagePixmap(entry->image, iconSize));
    if (entry->host && (entry->host->statusBits & HostRecord::StatusAway)) {
        // Away: a small amber moon at the icon's corner.
        p.setRenderHint(QPainter::Antialiasing);
        const int d = large ? 11 : 7;
        const QRectF badge(icon.right() - d + 2, icon.bottom() - d + 2, d, d);
        p.setPen(QPen(QColor(150, 95, 0), 1));
        p.setBrush(QColor(255, 190, 40));
        p.drawEllipse(badge);
        p.setBrush(Qt::NoBrush);
        p.setRenderHint(QPainter::Antialiasing, false);
    }
    p.setFont(SongTiFont(12));
    const int textX = icon.right() + 5;
    const int width = r.right() - textX;
    if (large) {
        const int half = r.height() / 2;
        drawFields(p, QRect(textX, r.top() + 1, width, half - 1), Fields(*entry, style.largeLine1, style));
        drawFields(p, QRect(textX, r.top() + half, width, half - 1), Fields(*entry, style.largeLine2, style));
    } else {
        drawFields(p, QRect(textX, r.top(), width, r.height()), Fields(*entry, style.smallFields, style));
    }
}

#include "mainwnd/CUserTreeCtrl.h"

#include "core/CConfig.h"
#include "mainwnd/ContactTreeModel.h"
#include "mainwnd/UserTreeDelegate.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <utility>

CUserTreeCtrl::CUserTreeCtrl(QWidget *parent)
    : QListView(parent)
{
    setObjectName(QStringLiteral("1193"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(false);
    setResizeMode(QListView::Adjust);
    setItemDelegate(new UserTreeDelegate(this));
    SetBackgroundBitmap(kDefaultBackground);
}

void CUserTreeCtrl::setTreeModel(ContactTreeModel *model)
{
    m_model = model;
    setModel(model);
}

void CUserTreeCtrl::SetLargeIcons(bool large)
{
    if (m_large == large)
        return;
    m_large = large;
    relayout();
}

void CUserTreeCtrl::SetBackgroundBitmap(int)
{
    // The program has one tree picture of its own.
    m_picture = DefaultTreePicture();
    m_pictureFile.clear();
    viewport()->update();
}

void CUserTreeCtrl::SetBackgroundImageFile(const QString &path)
{
    QPixmap picture;
    if (path.isEmpty() || !picture.load(path)) {
        SetBackgroundBitmap(kDefaultBackground);
        m_pictureFile = path; // not tried again at every paint
        return;
    }
    m_picture = picture;
    m_pictureFile = path;
    viewport()->update();
}

void CUserTreeCtrl::relayout()
{
    // Row heights come from the delegate: lay the rows out again.
    doItemsLayout();
    viewport()->update();
}

void CUserTreeCtrl::ResetEnlarged()
{
    if (!m_enlarged.isValid())
        return;
    m_enlarged = QPersistentModelIndex();
    relayout();
}

void CUserTreeCtrl::readStyle()
{
    const int before = m_style.background;
    m_style = TreeStyle::FromConfig(m_config);
    if (m_style.background == TreeStyle::Picture) {
        if (m_style.defaultPicture && !m_pictureFile.isEmpty())
            SetBackgroundBitmap(kDefaultBackground);
        else if (!m_style.defaultPicture && m_style.picturePath != m_pictureFile)
            SetBackgroundImageFile(m_style.picturePath);
    }
    viewport()->setAutoFillBackground(m_style.background == TreeStyle::NoOwnerPaint);
    if ((before == TreeStyle::NoOwnerPaint) != (m_style.background == TreeStyle::NoOwnerPaint) && m_large)
        QMetaObject::invokeMethod(this, &CUserTreeCtrl::relayout, Qt::QueuedConnection); // not while painting
}

void CUserTreeCtrl::paintEvent(QPaintEvent *event)
{
    readStyle();
    if (m_style.background != TreeStyle::NoOwnerPaint) {
        // The canvas is the whole content, so the background moves with it.
        QPainter p(viewport());
        const int contentHeight = qMax(viewport()->height(), verticalScrollBar()->maximum() + viewport()->height());
        const QRect canvas(0, -verticalOffset(), viewport()->width(), contentHeight);
        PaintTreeBackground(p, canvas, m_style, m_picture);
    }
    QListView::paintEvent(event);
}

void CUserTreeCtrl::scrollContentsBy(int dx, int dy)
{
    QListView::scrollContentsBy(dx, dy);
    // A stretched picture or a gradient covers the whole content: repaint all.
    viewport()->update();
}

void CUserTreeCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    QListView::mouseReleaseEvent(event);
    if (std::exchange(m_afterDoubleClick, false))
        return; // the second release of a double click is no click
    if (!m_model || event->button() != Qt::LeftButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid())
        return;
    const auto kind = ContactTreeModel::RowKind(index.data(ContactTreeModel::KindRole).toInt());
    if (kind == ContactTreeModel::RowKind::Peer) {
        if (!m_large && m_config && m_config->SmallIconSelShowLarge && m_enlarged != index) {
            m_enlarged = index;
            relayout();
        }
        return;
    }
    // The node's name comes from the model's data, never from its text.
    m_model->ToggleGroupCollapsed(
        index.data(ContactTreeModel::NameRole).toString(), kind == ContactTreeModel::RowKind::UserGroup);
}

void CUserTreeCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_afterDoubleClick = true;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid()
        && ContactTreeModel::RowKind(index.data(ContactTreeModel::KindRole).toInt()) == ContactTreeModel::RowKind::Peer)
        emit userDoubleClicked(reinterpret_cast<HostRecord *>(index.data(ContactTreeModel::HostRole).value<quintptr>()));
    event->accept();
}

void CUserTreeCtrl::contextMenuEvent(QContextMenuEvent *event)
{
    const QModelIndex index = indexAt(event->pos());
    HostRecord *host = nullptr;
    QString node;
    bool userGroup = false;
    if (index.isValid()) {
        const auto kind = ContactTreeModel::RowKind(index.data(ContactTreeModel::KindRole).toInt());
        if (kind == ContactTreeModel::RowKind::Peer) {
            host = reinterpret_cast<HostRecord *>(index.data(ContactTreeModel::HostRole).value<quintptr>());
        } else {
            node = index.data(ContactTreeModel::NameRole).toString();
            userGroup = kind == ContactTreeModel::RowKind::UserGroup;
        }
    }
    emit contextMenuAt(event->globalPos(), host, node, userGroup);
}

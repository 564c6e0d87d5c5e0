#include "mainwnd/CGroupListDlg.h"

#include "controls/HeadIcons.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr int kGroupIdRole = Qt::UserRole + 1;
}

CGroupListDlg::CGroupListDlg(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("315"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("1000"));
    m_tree->setHeaderHidden(true);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setRootIsDecorated(true);
    layout->addWidget(m_tree, 1);
    m_hint = new QLabel(QStringLiteral("还没有加入任何群。\n群聊天室里的群会显示在这里。"), this);
    m_hint->setAlignment(Qt::AlignCenter);
    m_hint->setWordWrap(true);
    m_hint->setStyleSheet(QStringLiteral("color: #4a6a90;"));
    layout->addWidget(m_hint, 1);
    refreshHint();
}

QString CGroupListDlg::GroupLabel(const QString &name, int unread)
{
    return unread != 0 ? QStringLiteral("%1(%2条新信息)").arg(name).arg(unread) : name;
}

QTreeWidgetItem *CGroupListDlg::FindGroupNode(quint32 groupId) const
{
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_tree->topLevelItem(i);
        if (item->data(0, kGroupIdRole).toUInt() == groupId)
            return item;
    }
    return nullptr;
}

QTreeWidgetItem *CGroupListDlg::SetGroup(quint32 groupId, const QString &name, int unread)
{
    QTreeWidgetItem *item = FindGroupNode(groupId);
    if (!item) {
        item = new QTreeWidgetItem(m_tree);
        item->setData(0, kGroupIdRole, groupId);
        item->setIcon(0, HeadIconPixmap(HeadImage::Group, 16));
        auto *members = new QTreeWidgetItem(item, {QStringLiteral("群内组织")});
        members->setIcon(0, HeadIconPixmap(HeadImage::GroupMembers, 16));
    }
    item->setText(0, GroupLabel(name, unread));
    refreshHint();
    return item;
}

bool CGroupListDlg::RemoveGroup(quint32 groupId)
{
    QTreeWidgetItem *item = FindGroupNode(groupId);
    delete item;
    refreshHint();
    return item != nullptr;
}

bool CGroupListDlg::SelectGroup(quint32 groupId)
{
    QTreeWidgetItem *item = FindGroupNode(groupId);
    if (item)
        m_tree->setCurrentItem(item);
    return item != nullptr;
}

int CGroupListDlg::groupCount() const
{
    return m_tree->topLevelItemCount();
}

void CGroupListDlg::refreshHint()
{
    const bool empty = m_tree->topLevelItemCount() == 0;
    m_hint->setVisible(empty);
    m_tree->setVisible(!empty);
}

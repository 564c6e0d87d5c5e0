#include "mainwnd/CGroupListDlg.h"

#include "mainwnd/CGroupTreeCtrl.h"

#include <QStandardItemModel>
#include <algorithm>
#include <QVBoxLayout>

CGroupListDlg::CGroupListDlg(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("315"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    m_tree = new CGroupTreeCtrl(this);
    m_tree->setObjectName(QStringLiteral("1000"));
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setGroupLookup([this](quint32 id) { return group(id); });
    layout->addWidget(m_tree, 1);
}

const GroupRecord *CGroupListDlg::group(quint32 groupId) const
{
    for (const GroupRecord &r : m_groups)
        if (r.id == groupId)
            return &r;
    return nullptr;
}

QStandardItem *CGroupListDlg::FindGroupNode(quint32 groupId) const
{
    return m_tree->groupNode(groupId);
}

QStandardItem *CGroupListDlg::SetGroup(quint32 groupId, const QString &name, int unread)
{
    const auto record = std::find_if(m_groups.begin(), m_groups.end(), [groupId](const GroupRecord &r) { return r.id == groupId; });
    if (record == m_groups.end()) {
        m_groups.append(GroupRecord { groupId, name, unread });
        m_tree->InsertGroup(name, groupId);
    } else {
        record->name = name;
        record->unreadCount = unread;
    }
    m_tree->UpdateGroupLabel(groupId);
    return m_tree->groupNode(groupId);
}

bool CGroupListDlg::RemoveGroup(quint32 groupId)
{
    m_groups.removeIf([groupId](const GroupRecord &r) { return r.id == groupId; });
    return m_tree->DeleteGroup(groupId);
}

bool CGroupListDlg::SelectGroup(quint32 groupId)
{
    QStandardItem *node = m_tree->groupNode(groupId);
    if (node)
        m_tree->setCurrentIndex(node->index());
    return node != nullptr;
}

int CGroupListDlg::groupCount() const
{
    return m_tree->groupCount();
}

void CGroupListDlg::UpdateUserInGroups(HostRecord *host)
{
    m_tree->UpdateMember(host);
}

void CGroupListDlg::RemoveUserFromGroups(const HostRecord *host)
{
    m_tree->RemoveMemberFromAllGroups(host);
}

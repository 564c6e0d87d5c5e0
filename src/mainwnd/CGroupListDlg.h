// The group list page of the main panel: the group chats the user takes part
// in, shown by the group tree (one node per group with its unread count, its
// "群内组织" node and the online members). The panel's group records are
// kept here; the group chat windows fill them.
#pragma once

#include "mainwnd/GroupRecord.h"

#include <QList>
#include <QWidget>

class CGroupTreeCtrl;
class HostRecord;
class QStandardItem;

class CGroupListDlg : public QWidget
{
    Q_OBJECT
public:
    explicit CGroupListDlg(QWidget *parent = nullptr);

    CGroupTreeCtrl *groupTree() const { return m_tree; }
    const GroupRecord *group(quint32 groupId) const;

    // Adds the group or updates its name and unread count; returns its node.
    QStandardItem *SetGroup(quint32 groupId, const QString &name, int unread);
    bool RemoveGroup(quint32 groupId);
    QStandardItem *FindGroupNode(quint32 groupId) const;
    // Selects the group's node; false when there is none.
    bool SelectGroup(quint32 groupId);
    int groupCount() const;

    // A peer's data changed: its member items follow.
    void UpdateUserInGroups(HostRecord *host);
    // A peer went offline: it leaves every group's members.
    void RemoveUserFromGroups(const HostRecord *host);

private:
    CGroupTreeCtrl *m_tree = nullptr;
    QList<GroupRecord> m_groups;
};

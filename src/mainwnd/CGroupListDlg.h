// The group list page of the main panel: the group chats the user takes part
// in, one node per group with its unread count. The group chat subsystem
// fills it; until then it lists no groups.
#pragma once

#include <QWidget>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

class CGroupListDlg : public QWidget
{
    Q_OBJECT
public:
    explicit CGroupListDlg(QWidget *parent = nullptr);

    // "%s(%d条新信息)" while the group has unread messages, else the name.
    static QString GroupLabel(const QString &name, int unread);

    // Adds or updates the node of a group; returns it.
    QTreeWidgetItem *SetGroup(quint32 groupId, const QString &name, int unread);
    bool RemoveGroup(quint32 groupId);
    QTreeWidgetItem *FindGroupNode(quint32 groupId) const;
    // Selects the group's node; false when there is none.
    bool SelectGroup(quint32 groupId);
    int groupCount() const;

private:
    void refreshHint();

    QTreeWidget *m_tree = nullptr;
    QLabel *m_hint = nullptr;
};

// The tree of group chats: one node per group ("name" or "name(%d条新信息)"),
// under it the node "群内组织" and under that the group's online members.
#pragma once

#include <QTreeView>
#include <functional>

class HostRecord;
class QStandardItem;
class QStandardItemModel;
struct GroupRecord;

class CGroupTreeCtrl : public QTreeView
{
    Q_OBJECT
public:
    enum Role { GroupIdRole = Qt::UserRole + 1, HostRole, ImageRole };
    static QString MembersNodeText() { return QStringLiteral("群内组织"); }

    explicit CGroupTreeCtrl(QWidget *parent = nullptr);
    ~CGroupTreeCtrl() override;

    // Where the group records live (by id).
    using GroupLookup = std::function<const GroupRecord *(quint32 id)>;
    void setGroupLookup(GroupLookup lookup) { m_lookup = std::move(lookup); }

    // Appends a group's node with its "群内组织" child; returns the child.
    QStandardItem *InsertGroup(const QString &name, quint32 groupId);
    bool AddMember(quint32 groupId, HostRecord *host);
    bool RemoveMember(quint32 groupId, const HostRecord *host);
    void RemoveMemberFromAllGroups(const HostRecord *host);
    void UpdateMember(HostRecord *host);
    bool DeleteGroup(quint32 groupId);
    void UpdateGroupLabel(quint32 groupId);

    // "%s(%s)(%s) %s": nick name, key text, host name, address.
    static QString MemberText(const HostRecord &host);
    // Head-icon index + 1 within the lists, else the previous index + 1, else 1.
    static int MemberImage(const HostRecord &host, int imageCount);
    int groupCount() const;

    QStandardItemModel *groupModel() const { return m_model; }
    QStandardItem *groupNode(quint32 groupId) const;

private:
    QStandardItem *memberItem(QStandardItem *members, const HostRecord *host) const;
    void setMember(QStandardItem *item, HostRecord *host) const;

    QStandardItemModel *m_model;
    GroupLookup m_lookup;
};

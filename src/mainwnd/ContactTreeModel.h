// The rows of the user tree: user-group nodes in the configuration's order,
// the peer-group nodes of "我的好友" (one per group name the peers announce,
// while MyFriendsAutoGroup is on) and the peers under their nodes. All rows
// are top-level; the hierarchy is their order.
//
// The model keeps every peer it was given, also those of collapsed groups,
// so a node's count is always the number of its members: collapsing hides
// rows, it never changes a count.
#pragma once

#include "mainwnd/ContactEntry.h"

#include <QAbstractListModel>
#include <memory>
#include <unordered_map>
#include <vector>

class CConfig;
struct UserGroupRecord;

class ContactTreeModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum class RowKind { UserGroup, PeerGroup, Peer };
    enum Role {
        KindRole = Qt::UserRole + 1, // RowKind as int
        NameRole, // node: the group name (from data, never from the text)
        CountRole, // node: members
        CollapsedRole, // node: bool
        ImageRole, // head-icon image (peers) or 89/90 (nodes)
        HostRole, // peer: the HostRecord as quintptr
        DepthRole, // 0 user-group node, 1 peer-group node or member of a user group, 2 member of a peer group
    };

    static QString PeerGroupMark() { return QStringLiteral("@#MARK*@"); }
    static QString UngroupedPeers() { return QStringLiteral("对方未分组好友"); }
    // The peer-group name of a peer: its group text trimmed, or
    // "对方未分组好友" when empty.
    static QString PeerGroupName(const HostRecord &host);

    explicit ContactTreeModel(CConfig *config = nullptr, QObject *parent = nullptr);
    ~ContactTreeModel() override;

    CConfig *config() const { return m_config; }
    void setConfig(CConfig *config);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // ---- the tree operations ----
    // Every row goes; the user-group nodes come back from the configuration,
    // in order. With resetCounts the records' member counts restart at 0.
    void RebuildGroupNodes(bool resetCounts);
    // The rebuild of a full view: group nodes, then every peer, each group
    // sorted once.
    void Fill(const QList<HostRecord *> &hosts);
    // A new user group's node, first or last (nothing when it exists).
    void InsertGroupNode(const QString &name, bool atEnd);
    // Puts a peer under its node in sorted position, or refreshes it when it
    // is already there (in place when its group and order still hold, else
    // it moves).
    void AddUser(HostRecord *host);
    bool RemoveUser(const HostRecord *host);
    // After the peer's custom group changed.
    void MoveUserToGroup(HostRecord *host) { AddUser(host); }
    bool Contains(const HostRecord *host) const;

    // Collapsed state of a user group (its record's flag) or a peer group
    // (the configuration's ObjectGroupStatus map, "1" collapsed).
    bool ToggleGroupCollapsed(const QString &name, bool isUserGroup);
    bool CollapseGroupItems(const QString &name, bool isUserGroup) { return setCollapsed(name, isUserGroup, true); }
    bool ExpandGroupItems(const QString &name, bool isUserGroup) { return setCollapsed(name, isUserGroup, false); }
    bool IsGroupCollapsed(const QString &name, bool isUserGroup) const;
    // Sorts a group's members again (after its sort word changed).
    void ResortGroup(const QString &name, bool isUserGroup);
    // The member sort kind of a group (the low three bits of its sort word:
    // the record's for a user group, the node's own for a peer group), and
    // setting it, the direction kept; the members are sorted again. -1 and
    // false for a group that is not there.
    int GroupSortKind(const QString &name, bool isUserGroup) const;
    bool SetGroupSortKind(const QString &name, bool isUserGroup, int kind);
    // Sets the image of a peer's row.
    void SetRootItemImage(const HostRecord *host, int image);

    // The row after which the peer belongs (its node's row when it goes
    // first), or -1 when its place is not shown.
    int FindTreeInsertPosition(const HostRecord &host) const;

    // ---- queries ----
    int UserGroupCount(const QString &name) const; // members of a user group
    int PeerGroupCount(const QString &name) const; // -1 when there is no such node
    QStringList PeerGroupNames() const; // in node order
    int peerCount() const { return int(m_entries.size()); } // shown or not
    int visiblePeerRows() const;
    RowKind rowKind(int row) const;
    HostRecord *hostAt(int row) const;
    const ContactEntry *entryAt(int row) const;
    QString nodeNameAt(int row) const;
    int rowOfHost(const HostRecord *host) const; // -1 when hidden or absent
    // Every peer in the order of the tree, also those of collapsed groups.
    std::vector<const ContactEntry *> EntriesInOrder() const;
    // Where in that order the peers after the row begin: after a peer's row
    // the next peer, after a node's row its first member, shown or not.
    int EntryIndexAfterRow(int row) const;
    // Opens the groups that hide the peer (its own and, for a peer group,
    // "我的好友"), as a click on them would; its row, -1 when it is absent.
    int RevealUser(const HostRecord *host);
    int rowOfGroup(const QString &name, bool isUserGroup) const;

private:
    struct Node
    {
        RowKind kind = RowKind::UserGroup;
        QString name;
        bool collapsed = false;
        unsigned peerSortWord = 0; // peer groups: their own record's word
        int shownCount = 0; // peer groups: the count in the node's text, set after each change
        std::vector<ContactEntry *> members; // sorted
    };
    struct RowRef
    {
        int node = -1;
        int member = -1; // -1: the node itself
    };
    struct Placed
    {
        ContactEntry entry;
        Node *node = nullptr;
    };

    UserGroupRecord *record(const QString &name) const;
    SortOptions sortOptions() const;
    std::pair<int, bool> sortOf(const Node &node) const;
    int compare(const ContactEntry &a, const ContactEntry &b, const Node &node, const SortOptions &options) const;
    Node *findNode(const QString &name, RowKind kind) const;
    int nodeIndex(const Node *node) const;
    Node *myFriendsNode() const;
    bool nodeVisible(const Node &node) const;
    bool membersVisible(const Node &node) const;
    int nodeRows(const Node &node) const;
    void layoutRows() const;
    int nodeRow(const Node *node) const;
    RowRef locate(int row) const;
    // Where a peer goes; creates the node when missing (signalled unless quiet).
    Node *placeFor(const ContactEntry &entry, bool quiet);
    Node *createNode(RowKind kind, const QString &name, int at, bool quiet);
    void insertMember(Placed &placed, Node *node);
    void removeMember(Placed &placed);
    void removeNodeIfEmpty(Node *node);
    void countChanged(const QString &customGroup, Node *peerNode);
    void nodeChanged(const Node *node);
    void syncRecordCount(const QString &group);
    bool setCollapsed(const QString &name, bool isUserGroup, bool collapsed);
    int blockRows(const Node &node) const;
    void resetNodes(bool resetCounts);

    CConfig *m_config = nullptr;
    bool m_autoGroup = true; // MyFriendsAutoGroup as of the last rebuild
    std::vector<std::unique_ptr<Node>> m_nodes;
    std::unordered_map<const HostRecord *, std::unique_ptr<Placed>> m_entries;
    QHash<QString, int> m_userCounts; // custom group -> members
    mutable std::vector<int> m_rowOfNode; // first row of every node, -1 hidden
    mutable std::vector<int> m_shownRows, m_shownNodes; // first rows of the shown nodes, ascending
    mutable int m_rowCount = 0;
    mutable bool m_rowsDirty = true;
};

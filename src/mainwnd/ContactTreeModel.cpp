#include "mainwnd/ContactTreeModel.h"

#include "core/CConfig.h"
#include "mainwnd/HeadImage.h"

#include <algorithm>

namespace {

// A group's sort word: kind = word mod 8, descending = word / 8.
std::pair<int, bool> splitSortWord(unsigned word)
{
    return { int(word % 8), word / 8 != 0 };
}

} // namespace

QString ContactTreeModel::PeerGroupName(const HostRecord &host)
{
    const QString name = host.groupName.trimmed();
    return name.isEmpty() ? UngroupedPeers() : name;
}

ContactTreeModel::ContactTreeModel(CConfig *config, QObject *parent)
    : QAbstractListModel(parent)
    , m_config(config)
{
    resetNodes(false);
}

ContactTreeModel::~ContactTreeModel() = default;

void ContactTreeModel::setConfig(CConfig *config)
{
    beginResetModel();
    m_entries.clear();
    m_config = config;
    resetNodes(false);
    endResetModel();
}

// ---- configuration ----

UserGroupRecord *ContactTreeModel::record(const QString &name) const
{
    if (!m_config)
        return nullptr;
    const int i = m_config->FindMemberGroup(name);
    return i >= 0 && i < m_config->MemberGroups.size() ? &m_config->MemberGroups[i] : nullptr;
}

SortOptions ContactTreeModel::sortOptions() const
{
    return SortOptions::FromConfig(m_config);
}

std::pair<int, bool> ContactTreeModel::sortOf(const Node &node) const
{
    if (node.kind == RowKind::PeerGroup)
        return splitSortWord(node.peerSortWord);
    const UserGroupRecord *r = record(node.name);
    return r ? splitSortWord(r->sortWord) : std::pair<int, bool>(SortByName, false);
}

int ContactTreeModel::compare(
    const ContactEntry &a, const ContactEntry &b, const Node &node, const SortOptions &options) const
{
    const auto [kind, descending] = sortOf(node);
    return CompareUsersBy(a.keys, b.keys, kind, descending, options);
}

// ---- nodes ----

ContactTreeModel::Node *ContactTreeModel::findNode(const QString &name, RowKind kind) const
{
    for (const auto &n : m_nodes)
        if (n->kind == kind && n->name == name)
            return n.get();
    return nullptr;
}

int ContactTreeModel::nodeIndex(const Node *node) const
{
    for (size_t i = 0; i < m_nodes.size(); ++i)
        if (m_nodes[i].get() == node)
            return int(i);
    return -1;
}

ContactTreeModel::Node *ContactTreeModel::myFriendsNode() const
{
    return findNode(DefaultGroups::MyFriends(), RowKind::UserGroup);
}

bool ContactTreeModel::nodeVisible(const Node &node) const
{
    if (node.kind == RowKind::UserGroup)
        return true;
    const Node *friends = myFriendsNode();
    return !friends || !friends->collapsed;
}

bool ContactTreeModel::membersVisible(const Node &node) const
{
    return !node.collapsed && nodeVisible(node);
}

int ContactTreeModel::nodeRows(const Node &node) const
{
    if (!nodeVisible(node))
        return 0;
    return 1 + (node.collapsed ? 0 : int(node.members.size()));
}

void ContactTreeModel::layoutRows() const
{
    if (!m_rowsDirty)
        return;
    m_rowOfNode.assign(m_nodes.size(), -1);
    m_shownRows.clear();
    m_shownNodes.clear();
    int row = 0;
    for (size_t i = 0; i < m_nodes.size(); ++i) {
        const int rows = nodeRows(*m_nodes[i]);
        if (rows > 0) {
            m_rowOfNode[i] = row;
            m_shownRows.push_back(row);
            m_shownNodes.push_back(int(i));
        }
        row += rows;
    }
    m_rowCount = row;
    m_rowsDirty = false;
}

int ContactTreeModel::nodeRow(const Node *node) const
{
    layoutRows();
    const int i = nodeIndex(node);
    return i < 0 ? -1 : m_rowOfNode[size_t(i)];
}

// The rows below a node that collapsing it hides: its members and, for
// "我的好友" while peers are grouped, the peer-group nodes with theirs.
int ContactTreeModel::blockRows(const Node &node) const
{
    int rows = int(node.members.size());
    if (node.kind == RowKind::UserGroup && node.name == DefaultGroups::MyFriends())
        for (const auto &n : m_nodes)
            if (n->kind == RowKind::PeerGroup)
                rows += 1 + (n->collapsed ? 0 : int(n->members.size()));
    return rows;
}

ContactTreeModel::Node *ContactTreeModel::createNode(RowKind kind, const QString &name, int at, bool quiet)
{
    auto node = std::make_unique<Node>();
    node->kind = kind;
    node->name = name;
    if (kind == RowKind::PeerGroup) {
        node->collapsed = m_config && m_config->ObjectGroupStatus.value(name) == QLatin1String("1");
    } else if (const UserGroupRecord *r = record(name)) {
        node->collapsed = r->collapsed != 0;
    }
    at = std::clamp(at, 0, int(m_nodes.size()));
    Node *raw = node.get();
    int row = 0;
    for (int i = 0; i < at; ++i)
        row += nodeRows(*m_nodes[size_t(i)]);
    const bool signal = !quiet && nodeVisible(*raw);
    if (signal)
        beginInsertRows(QModelIndex(), row, row);
    m_nodes.insert(m_nodes.begin() + at, std::move(node));
    m_rowsDirty = true;
    if (signal)
        endInsertRows();
    return raw;
}

void ContactTreeModel::removeNodeIfEmpty(Node *node)
{
    if (!node || node->kind != RowKind::PeerGroup || !node->members.empty())
        return;
    const int i = nodeIndex(node);
    if (i < 0)
        return;
    const int row = nodeRow(node);
    if (row >= 0)
        beginRemoveRows(QModelIndex(), row, row);
    m_nodes.erase(m_nodes.begin() + i);
    m_rowsDirty = true;
    if (row >= 0)
        endRemoveRows();
}

void ContactTreeModel::nodeChanged(const Node *node)
{
    if (!node)
        return;
    const int row = nodeRow(node);
    if (row >= 0)
        emit dataChanged(index(row), index(row));
}

void ContactTreeModel::syncRecordCount(const QString &group)
{
    if (UserGroupRecord *r = record(group))
        r->memberCount = uint32_t(m_userCounts.value(group));
}

void ContactTreeModel::countChanged(const QString &customGroup, Node *peerNode)
{
    syncRecordCount(customGroup);
    nodeChanged(findNode(customGroup, RowKind::UserGroup));
    if (peerNode && peerNode->kind == RowKind::PeerGroup) {
        peerNode->shownCount = int(peerNode->members.size());
        nodeChanged(peerNode);
    }
}

void ContactTreeModel::resetNodes(bool resetCounts)
{
    m_nodes.clear();
    m_userCounts.clear();
    m_autoGroup = !m_config || m_config->MyFriendsAutoGroup != 0;
    if (m_config) {
        for (UserGroupRecord &r : m_config->MemberGroups) {
            if (resetCounts)
                r.memberCount = 0;
            auto node = std::make_unique<Node>();
            node->name = r.name;
            node->collapsed = r.collapsed != 0;
            m_nodes.push_back(std::move(node));
        }
    }
    m_rowsDirty = true;
}

void ContactTreeModel::RebuildGroupNodes(bool resetCounts)
{
    beginResetModel();
    m_entries.clear();
    resetNodes(resetCounts);
    endResetModel();
}

void ContactTreeModel::InsertGroupNode(const QString &name, bool atEnd)
{
    if (name.isEmpty() || findNode(name, RowKind::UserGroup))
        return;
    createNode(RowKind::UserGroup, name, atEnd ? int(m_nodes.size()) : 0, false);
}

// ---- peers ----

ContactTreeModel::Node *ContactTreeModel::placeFor(const ContactEntry &entry, bool quiet)
{
    if (m_autoGroup && entry.customGroup == DefaultGroups::MyFriends()) {
        Node *friends = myFriendsNode();
        if (!friends)
            friends = createNode(RowKind::UserGroup, DefaultGroups::MyFriends(), int(m_nodes.size()), quiet);
        const QString name = PeerGroupName(*entry.host);
        if (Node *n = findNode(name, RowKind::PeerGroup))
            return n;
        // A new peer group goes right below "我的好友".
        return createNode(RowKind::PeerGroup, name, nodeIndex(friends) + 1, quiet);
    }
    if (Node *n = findNode(entry.customGroup, RowKind::UserGroup))
        return n;
    return createNode(RowKind::UserGroup, entry.customGroup, int(m_nodes.size()), quiet);
}

void ContactTreeModel::insertMember(Placed &placed, Node *node)
{
    const SortOptions options = sortOptions();
    const auto pos = RunInsertPosition(qsizetype(node->members.size()),
        [&](qsizetype i) { return compare(placed.entry, *node->members[size_t(i)], *node, options); });
    const bool signal = membersVisible(*node);
    const int row = signal ? nodeRow(node) + 1 + int(pos) : -1;
    if (signal)
        beginInsertRows(QModelIndex(), row, row);
    node->members.insert(node->members.begin() + pos, &placed.entry);
    placed.node = node;
    m_rowsDirty = true;
    if (signal)
        endInsertRows();
}

void ContactTreeModel::removeMember(Placed &placed)
{
    Node *node = placed.node;
    if (!node)
        return;
    const auto it = std::find(node->members.begin(), node->members.end(), &placed.entry);
    if (it == node->members.end())
        return;
    const bool signal = membersVisible(*node);
    const int row = signal ? nodeRow(node) + 1 + int(it - node->members.begin()) : -1;
    if (signal)
        beginRemoveRows(QModelIndex(), row, row);
    node->members.erase(it);
    placed.node = nullptr;
    m_rowsDirty = true;
    if (signal)
        endRemoveRows();
}

void ContactTreeModel::AddUser(HostRecord *host)
{
    if (!host)
        return;
    ContactEntry fresh = ContactEntry::Make(host, m_config);
    const auto found = m_entries.find(host);
    if (found != m_entries.end()) {
        Placed &p = *found->second;
        Node *old = p.node;
        const bool sameGroup = old && p.entry.customGroup == fresh.customGroup
            && (old->kind != RowKind::PeerGroup || old->name == PeerGroupName(*host));
        if (sameGroup) {
            // Refresh in place while the order around the row still holds.
            const SortOptions options = sortOptions();
            const auto it = std::find(old->members.begin(), old->members.end(), &p.entry);
            const bool prevOk = it == old->members.begin() || compare(fresh, **(it - 1), *old, options) >= 0;
            const bool nextOk = it + 1 >= old->members.end() || compare(fresh, **(it + 1), *old, options) <= 0;
            if (it != old->members.end() && prevOk && nextOk) {
                p.entry = std::move(fresh);
                const int row = rowOfHost(host);
                if (row >= 0)
                    emit dataChanged(index(row), index(row));
                return;
            }
        }
        const QString oldGroup = p.entry.customGroup;
        removeMember(p);
        --m_userCounts[oldGroup];
        p.entry = std::move(fresh);
        Node *node = placeFor(p.entry, false);
        insertMember(p, node);
        ++m_userCounts[p.entry.customGroup];
        countChanged(oldGroup, old);
        if (oldGroup != p.entry.customGroup || node != old)
            countChanged(p.entry.customGroup, node);
        if (old != node)
            removeNodeIfEmpty(old);
        return;
    }
    auto placed = std::make_unique<Placed>();
    placed->entry = std::move(fresh);
    Placed &p = *placed;
    m_entries.emplace(host, std::move(placed));
    Node *node = placeFor(p.entry, false);
    insertMember(p, node);
    ++m_userCounts[p.entry.customGroup];
    countChanged(p.entry.customGroup, node);
}

bool ContactTreeModel::RemoveUser(const HostRecord *host)
{
    const auto found = m_entries.find(host);
    if (found == m_entries.end())
        return false;
    Placed &p = *found->second;
    Node *node = p.node;
    const QString group = p.entry.customGroup;
    removeMember(p);
    --m_userCounts[group];
    countChanged(group, node);
    removeNodeIfEmpty(node);
    // The row is gone from every index: now the reference may go.
    m_entries.erase(found);
    return true;
}

bool ContactTreeModel::Contains(const HostRecord *host) const
{
    return m_entries.find(host) != m_entries.end();
}

void ContactTreeModel::Fill(const QList<HostRecord *> &hosts)
{
    beginResetModel();
    m_entries.clear();
    resetNodes(true);
    for (HostRecord *host : hosts) {
        if (!host || m_entries.find(host) != m_entries.end())
            continue;
        auto placed = std::make_unique<Placed>();
        placed->entry = ContactEntry::Make(host, m_config);
        Node *node = placeFor(placed->entry, true);
        node->members.push_back(&placed->entry);
        placed->node = node;
        ++m_userCounts[placed->entry.customGroup];
        m_entries.emplace(host, std::move(placed));
    }
    // One sort per group; a stable sort stays in bounds with any comparator.
    const SortOptions options = sortOptions();
    for (const auto &node : m_nodes) {
        std::stable_sort(node->members.begin(), node->members.end(),
            [&](const ContactEntry *a, const ContactEntry *b) { return compare(*a, *b, *node, options) < 0; });
        node->shownCount = int(node->members.size());
    }
    if (m_config)
        for (const UserGroupRecord &r : std::as_const(m_config->MemberGroups))
            syncRecordCount(r.name);
    m_rowsDirty = true;
    endResetModel();
}

// ---- collapsed state ----

bool ContactTreeModel::IsGroupCollapsed(const QString &name, bool isUserGroup) const
{
    if (const Node *n = findNode(name, isUserGroup ? RowKind::UserGroup : RowKind::PeerGroup))
        return n->collapsed;
    if (isUserGroup) {
        const UserGroupRecord *r = record(name);
        return r && r->collapsed != 0;
    }
    return m_config && m_config->ObjectGroupStatus.value(name) == QLatin1String("1");
}

bool ContactTreeModel::setCollapsed(const QString &name, bool isUserGroup, bool collapsed)
{
    UserGroupRecord *r = isUserGroup ? record(name) : nullptr;
    if (isUserGroup && !r)
        return false; // a group without a record cannot be closed
    if (r)
        r->collapsed = collapsed ? 1 : 0;
    else if (m_config)
        m_config->ObjectGroupStatus.insert(name, collapsed ? QStringLiteral("1") : QStringLiteral("0"));
    Node *node = findNode(name, isUserGroup ? RowKind::UserGroup : RowKind::PeerGroup);
    if (!node || node->collapsed == collapsed)
        return true;
    const bool visible = nodeVisible(*node);
    const int first = visible ? nodeRow(node) + 1 : -1;
    const int rows = blockRows(*node);
    if (visible && rows > 0) {
        if (collapsed)
            beginRemoveRows(QModelIndex(), first, first + rows - 1);
        else
            beginInsertRows(QModelIndex(), first, first + rows - 1);
    }
    node->collapsed = collapsed;
    m_rowsDirty = true;
    if (visible && rows > 0) {
        if (collapsed)
            endRemoveRows();
        else
            endInsertRows();
    }
    nodeChanged(node);
    return true;
}

bool ContactTreeModel::ToggleGroupCollapsed(const QString &name, bool isUserGroup)
{
    return setCollapsed(name, isUserGroup, !IsGroupCollapsed(name, isUserGroup));
}

void ContactTreeModel::ResortGroup(const QString &name, bool isUserGroup)
{
    Node *node = findNode(name, isUserGroup ? RowKind::UserGroup : RowKind::PeerGroup);
    if (!node || node->members.size() < 2)
        return;
    const bool visible = membersVisible(*node);
    const int first = visible ? nodeRow(node) + 1 : -1;
    const int rows = int(node->members.size());
    if (visible)
        beginRemoveRows(QModelIndex(), first, first + rows - 1);
    std::vector<ContactEntry *> members;
    members.swap(node->members);
    m_rowsDirty = true;
    if (visible)
        endRemoveRows();
    const SortOptions options = sortOptions();
    std::stable_sort(members.begin(), members.end(),
        [&](const ContactEntry *a, const ContactEntry *b) { return compare(*a, *b, *node, options) < 0; });
    if (visible)
        beginInsertRows(QModelIndex(), first, first + rows - 1);
    node->members.swap(members);
    m_rowsDirty = true;
    if (visible)
        endInsertRows();
}

int ContactTreeModel::GroupSortKind(const QString &name, bool isUserGroup) const
{
    if (isUserGroup) {
        const UserGroupRecord *r = record(name);
        return r ? int(r->sortWord % 8) : -1;
    }
    const Node *node = findNode(name, RowKind::PeerGroup);
    return node ? int(node->peerSortWord % 8) : -1;
}

bool ContactTreeModel::SetGroupSortKind(const QString &name, bool isUserGroup, int kind)
{
    uint32_t *word = nullptr;
    if (isUserGroup) {
        if (UserGroupRecord *r = record(name))
            word = &r->sortWord;
    } else if (Node *node = findNode(name, RowKind::PeerGroup)) {
        word = &node->peerSortWord;
    }
    if (!word)
        return false;
    *word = (*word & ~7u) | (uint32_t(kind) & 7u);
    ResortGroup(name, isUserGroup);
    return true;
}

void ContactTreeModel::SetRootItemImage(const HostRecord *host, int image)
{
    const auto found = m_entries.find(host);
    if (found == m_entries.end())
        return;
    found->second->entry.image = image;
    const int row = rowOfHost(host);
    if (row >= 0)
        emit dataChanged(index(row), index(row));
}

int ContactTreeModel::FindTreeInsertPosition(const HostRecord &host) const
{
    const ContactEntry entry = ContactEntry::ForLookup(host);
    const Node *node = m_autoGroup && entry.customGroup == DefaultGroups::MyFriends()
        ? findNode(PeerGroupName(host), RowKind::PeerGroup)
        : findNode(entry.customGroup, RowKind::UserGroup);
    if (!node || !membersVisible(*node))
        return -1;
    const SortOptions options = sortOptions();
    const auto pos = RunInsertPosition(qsizetype(node->members.size()),
        [&](qsizetype i) { return compare(entry, *node->members[size_t(i)], *node, options); });
    return nodeRow(node) + int(pos);
}

// ---- queries ----

int ContactTreeModel::UserGroupCount(const QString &name) const
{
    return m_userCounts.value(name);
}

int ContactTreeModel::PeerGroupCount(const QString &name) const
{
    const Node *n = findNode(name, RowKind::PeerGroup);
    return n ? n->shownCount : -1;
}

QStringList ContactTreeModel::PeerGroupNames() const
{
    QStringList out;
    for (const auto &n : m_nodes)
        if (n->kind == RowKind::PeerGroup)
            out.append(n->name);
    return out;
}

int ContactTreeModel::visiblePeerRows() const
{
    int rows = 0;
    for (const auto &n : m_nodes)
        if (membersVisible(*n))
            rows += int(n->members.size());
    return rows;
}

int ContactTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    layoutRows();
    return m_rowCount;
}

ContactTreeModel::RowRef ContactTreeModel::locate(int row) const
{
    layoutRows();
    // The last shown node whose first row is at or before the row.
    const auto it = std::upper_bound(m_shownRows.begin(), m_shownRows.end(), row);
    if (it == m_shownRows.begin() || row < 0 || row >= m_rowCount)
        return {};
    const size_t i = size_t(it - m_shownRows.begin()) - 1;
    return { m_shownNodes[i], row - m_shownRows[i] - 1 };
}

ContactTreeModel::RowKind ContactTreeModel::rowKind(int row) const
{
    const RowRef ref = locate(row);
    if (ref.node < 0)
        return RowKind::UserGroup;
    return ref.member >= 0 ? RowKind::Peer : m_nodes[size_t(ref.node)]->kind;
}

const ContactEntry *ContactTreeModel::entryAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    const RowRef ref = locate(row);
    if (ref.node < 0 || ref.member < 0)
        return nullptr;
    const Node &n = *m_nodes[size_t(ref.node)];
    return ref.member < int(n.members.size()) ? n.members[size_t(ref.member)] : nullptr;
}

HostRecord *ContactTreeModel::hostAt(int row) const
{
    const ContactEntry *e = entryAt(row);
    return e ? e->host.data() : nullptr;
}

QString ContactTreeModel::nodeNameAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    const RowRef ref = locate(row);
    return ref.node >= 0 && ref.member < 0 ? m_nodes[size_t(ref.node)]->name : QString();
}

int ContactTreeModel::rowOfHost(const HostRecord *host) const
{
    const auto found = m_entries.find(host);
    if (found == m_entries.end() || !found->second->node)
        return -1;
    const Node *node = found->second->node;
    if (!membersVisible(*node))
        return -1;
    const auto it = std::find(node->members.begin(), node->members.end(), &found->second->entry);
    return it == node->members.end() ? -1 : nodeRow(node) + 1 + int(it - node->members.begin());
}

std::vector<const ContactEntry *> ContactTreeModel::EntriesInOrder() const
{
    std::vector<const ContactEntry *> all;
    all.reserve(m_entries.size());
    for (const auto &node : m_nodes)
        all.insert(all.end(), node->members.begin(), node->members.end());
    return all;
}

int ContactTreeModel::EntryIndexAfterRow(int row) const
{
    const RowRef ref = locate(row);
    if (ref.node < 0)
        return 0;
    size_t before = 0;
    for (int i = 0; i < ref.node; ++i)
        before += m_nodes[size_t(i)]->members.size();
    return int(before) + ref.member + 1;
}

int ContactTreeModel::RevealUser(const HostRecord *host)
{
    const auto found = m_entries.find(host);
    if (found == m_entries.end() || !found->second->node)
        return -1;
    const Node *node = found->second->node;
    if (const Node *friends = myFriendsNode(); !nodeVisible(*node) && friends)
        setCollapsed(friends->name, true, false);
    if (node->collapsed)
        setCollapsed(node->name, node->kind == RowKind::UserGroup, false);
    return rowOfHost(host);
}

int ContactTreeModel::rowOfGroup(const QString &name, bool isUserGroup) const
{
    const Node *n = findNode(name, isUserGroup ? RowKind::UserGroup : RowKind::PeerGroup);
    return n ? nodeRow(n) : -1;
}

QVariant ContactTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const RowRef ref = locate(index.row());
    if (ref.node < 0)
        return {};
    const Node &node = *m_nodes[size_t(ref.node)];
    if (ref.member >= 0) {
        if (ref.member >= int(node.members.size()))
            return {};
        const ContactEntry &e = *node.members[size_t(ref.member)];
        switch (role) {
        case Qt::DisplayRole:
            return e.itemText();
        case KindRole:
            return int(RowKind::Peer);
        case ImageRole:
            return e.image;
        case HostRole:
            return QVariant::fromValue(quintptr(e.host.data()));
        case DepthRole:
            return node.kind == RowKind::PeerGroup ? 2 : 1;
        default:
            return {};
        }
    }
    const int count = node.kind == RowKind::UserGroup ? m_userCounts.value(node.name) : node.shownCount;
    switch (role) {
    case Qt::DisplayRole:
        return QStringLiteral("%1(%2)").arg(node.name, QString::number(count));
    case KindRole:
        return int(node.kind);
    case NameRole:
        return node.name;
    case CountRole:
        return count;
    case CollapsedRole:
        return node.collapsed;
    case ImageRole:
        return node.collapsed ? HeadImage::kCollapsed : HeadImage::kExpanded;
    case DepthRole:
        return node.kind == RowKind::PeerGroup ? 1 : 0;
    default:
        return {};
    }
}

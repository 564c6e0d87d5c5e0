#include "mainwnd/ContactListController.h"

#include "core/CConfig.h"
#include "mainwnd/ContactNotices.h"
#include "mainwnd/HeadImage.h"
#include "mainwnd/PeerKeyCompletion.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/ListBusyCounter.h"
#include "net/MessengerEngine.h"
#include "net/IncomingPictures.h"
#include "net/NeighbourTable.h"

#include <optional>

namespace {

constexpr quint32 kLoopback = 0x7F000001;

} // namespace

ContactListController::ContactListController(MessengerEngine &engine, QObject *parent)
    : QObject(parent)
    , m_engine(engine)
    , m_config(engine.config())
    , m_hosts(engine.hostTable())
    , m_net(engine.net())
    , m_tree(&engine.config())
{
    m_list.SetColumnOrder(m_config.ListColStryle_STR);
    m_refreshEnd.setSingleShot(true);
    m_refreshEnd.setInterval(kRefreshAnswerMs);
    connect(&m_refreshEnd, &QTimer::timeout, this, [this] { m_refreshing = false; });
    connect(&m_engine, &MessengerEngine::hostAdded, this,
        [this](HostRecord *host) { InsertOrRefreshUser(host, true, true, false); });
    connect(&m_engine, &MessengerEngine::hostUpdated, this,
        [this](HostRecord *host) { InsertOrRefreshUser(host, false, true, false); });
    connect(&m_engine, &MessengerEngine::hostRemoved, this,
        [this](HostRecord *host, bool notify) { RemoveUserWithNotice(host, notify); });
}

ContactListController::~ContactListController() = default;

bool ContactListController::treeStyle() const
{
    return m_config.MembersShowMode != 0;
}

quint32 ContactListController::ownAddress() const
{
    return m_net.ownAddress();
}

int ContactListController::onlineCount(const HostRecord *leaving) const
{
    int count = int(m_hosts.Count());
    if (leaving && m_hosts.Search(CHostTable::ByAddress, leaving->key) == leaving)
        --count;
    return count;
}

// ---- order ----

int ContactListController::CompareUsers(const HostRecord &a, const HostRecord &b) const
{
    return CompareUsersBy(a, b, m_list.sortKind(), m_list.descending());
}

int ContactListController::CompareUsersBy(const HostRecord &a, const HostRecord &b, int kind, bool descending) const
{
    return ::CompareUsersBy(a, b, kind, descending, SortOptions::FromConfig(&m_config));
}

int ContactListController::FindInsertPosition(const HostRecord &host) const
{
    return m_list.FindInsertPosition(ContactEntry::ForLookup(host), SortOptions::FromConfig(&m_config));
}

int ContactListController::FindTreeInsertPosition(const HostRecord &host) const
{
    return m_tree.FindTreeInsertPosition(host);
}

void ContactListController::OnListColumnClick(int column)
{
    if (column < 0 || column >= m_list.columnCount())
        return;
    const QString title = m_list.headerData(column, Qt::Horizontal).toString();
    const int kind = UserListModel::SortKindOfTitle(title).value_or(m_list.sortKind());
    m_list.setSort(kind, !m_list.descending());
    ClearUserList();
}

// ---- peers ----

void ContactListController::checkOwnIcon(const HostRecord &host)
{
    if (host.key.address == kLoopback || (m_selfIconPending && host.key.address == ownAddress())) {
        m_selfIconPending = false;
        emit ownStatusIconChanged(host.headIcon + 1);
    }
}

void ContactListController::sendPeerRequests(HostRecord &host, quint32 storedHeadPicture)
{
    if (host.extension == 0 || host.key.address == ownAddress())
        return;
    // The pictures are asked for when the peer announces one whose size
    // differs from the stored one's; never when it announces none.
    const bool head = host.headPictureSize != 0 && quint32(host.headPictureSize) != storedHeadPicture;
    const bool custom
        = host.customPictureSize != 0 && quint32(host.customPictureSize) != m_pictures.FindHeadPhoto(host.keyText);
    // After the event that listed the peer: our answer to its entry goes
    // first, so that the peer lists us (it answers listed peers only).
    const HostPtr peer(&host);
    QTimer::singleShot(0, this, [this, peer, head, custom] {
        // Asked because the peer announced itself: a flood of entries from
        // far addresses gets few of them.
        if (!m_engine.FindHost(peer->key.address, peer->key.port) || !m_engine.MayReach(peer->key.address))
            return;
        m_net.SendNumber(*peer, CMD_GET_SIGNATURE, 0);
        if (head)
            m_net.SendNumber(*peer, CMD_GET_PICTURE, 0);
        if (custom)
            m_net.SendNumber(*peer, CMD_GET_CUSTOM_PICTURE, 0);
    });
}

void ContactListController::BeginRefresh()
{
    m_refreshing = true;
    m_refreshEnd.start();
}

void ContactListController::AttachPictures(IncomingPictures &pictures)
{
    connect(&pictures, &IncomingPictures::pictureReceived, this, [this](const ReceivedPicture &picture) {
        if (picture.purpose == PictureChunk::PurposeHeadPicture && !picture.filePath.isEmpty())
            OnHeadPhotoStored(m_engine.FindHost(picture.sender.address, picture.sender.port));
    });
}

void ContactListController::OnHeadPhotoStored(HostRecord *host)
{
    if (host && (treeStyle() ? m_tree.Contains(host) : m_list.Contains(host)))
        InsertOrRefreshUser(host, false, false, false);
}

void ContactListController::placeOwnEntry(HostRecord &host) const
{
    // The user's own entry belongs to the user group "自己" unless the user
    // keeps it elsewhere.
    const bool own = host.key.port == m_net.port() && (host.key.address == ownAddress() || host.key.address == kLoopback);
    if (own && host.customGroup == DefaultGroups::MyFriends()
        && m_config.FindMemberGroup(DefaultGroups::Self()) >= 0)
        host.customGroup = DefaultGroups::Self();
}

void ContactListController::InsertOrRefreshUser(HostRecord *host, bool notify, bool announce, bool setWidths)
{
    if (!host)
        return;
    placeOwnEntry(*host);
    const bool tree = treeStyle();
    const bool listed = tree ? m_tree.Contains(host) : m_list.Contains(host);
    const quint32 storedHeadPicture = host->extension != 0 ? HeadImage::CorrectHeadIcon(*host, m_pictures) : 0;
    {
        ListBusyCounter::Raiser busy;
        if (tree)
            m_tree.AddUser(host);
        else
            m_list.InsertOrRefresh(host, &m_config);
    }
    if (listed) {
        // A peer that answers the user's refresh is asked again.
        if (announce && m_refreshing)
            sendPeerRequests(*host, storedHeadPicture);
    } else {
        if (announce)
            sendPeerRequests(*host, storedHeadPicture);
        if (!tree && setWidths)
            emit columnWidthsRequested();
        if (announce) {
            emit peerCountChanged(onlineCount());
            NoticeContext context { &m_config, ownAddress(), notify, m_noticesEnabled };
            if (const auto notice = OnlineNotice(*host, context))
                emit tipNoticeRequested(*notice);
        }
    }
    checkOwnIcon(*host);
}

void ContactListController::RemoveUserWithNotice(HostRecord *host, bool notify)
{
    if (!host)
        return;
    // Hold the record until every view has let it go.
    const HostPtr hold(host);
    {
        ListBusyCounter::Raiser busy;
        m_tree.RemoveUser(host);
        m_list.DeleteRowOf(host);
    }
    emit peerCountChanged(onlineCount(host));
    NoticeContext context { &m_config, ownAddress(), notify, m_noticesEnabled };
    if (const auto notice = OfflineNotice(*host, context))
        emit tipNoticeRequested(*notice);
}

void ContactListController::RemoveAllUsers()
{
    {
        ListBusyCounter::Raiser busy;
        m_tree.RebuildGroupNodes(true);
        m_list.DeleteAllItems();
    }
    HeadImage::DropHeadPhotos();
    // The peers did not go offline: the user cleared the list.
    const bool enabled = m_noticesEnabled;
    m_noticesEnabled = false;
    m_engine.RemoveAllHosts();
    m_noticesEnabled = enabled;
    emit peerCountChanged(onlineCount());
}

// ---- full rebuilds ----

QList<HostRecord *> ContactListController::hostsByName() const
{
    const CHostTable &table = m_hosts;
    const int kind = table.isEnabled(CHostTable::ByName) ? CHostTable::ByName : CHostTable::ByAddress;
    QList<HostRecord *> hosts;
    hosts.reserve(table.Count());
    for (qsizetype i = 0; i < table.Count(); ++i)
        if (HostRecord *h = table.At(kind, i))
            hosts.append(h);
    return hosts;
}

void ContactListController::completeKeys(const QList<HostRecord *> &hosts, bool memoForAll, bool memoForCompleted)
{
    // The neighbour table is read once, and only when a peer needs it.
    std::optional<NeighbourTable> neighbours;
    CConfig &c = m_config;
    for (HostRecord *host : hosts) {
        bool completed = false;
        if (host->keyText.isEmpty()) {
            if (!neighbours && !c.IpToMac.contains(host->key.address)) {
                neighbours.emplace();
                neighbours->Load(m_neighbourPath);
            }
            completed = PeerKeyCompletion::CompleteKey(*host, &c, neighbours ? &*neighbours : nullptr);
        }
        if (memoForAll || (completed && memoForCompleted))
            PeerKeyCompletion::ApplyMemoData(*host, c);
        placeOwnEntry(*host);
    }
}

void ContactListController::RebuildUserList()
{
    m_noticesEnabled = false;
    const QList<HostRecord *> hosts = hostsByName();
    completeKeys(hosts, false, true);
    const bool tree = treeStyle();
    {
        ListBusyCounter::Raiser busy;
        for (HostRecord *host : hosts)
            if (host->extension != 0)
                HeadImage::CorrectHeadIcon(*host, m_pictures);
        if (tree) {
            m_tree.Fill(hosts);
            m_list.DeleteAllItems();
        } else {
            m_list.Fill(hosts, &m_config);
            m_tree.RebuildGroupNodes(true);
        }
    }
    if (!tree)
        emit columnWidthsRequested();
    m_noticesEnabled = true;
    emit viewStyleChanged(tree);
    emit peerCountChanged(onlineCount());
    for (HostRecord *host : hosts)
        checkOwnIcon(*host);
}

void ContactListController::RebuildUserViews(bool reload)
{
    m_noticesEnabled = false;
    const QList<HostRecord *> hosts = hostsByName();
    const bool tree = treeStyle();
    if (tree)
        completeKeys(hosts, reload, !reload);
    else
        completeKeys(hosts, false, true);
    {
        ListBusyCounter::Raiser busy;
        if (tree)
            m_tree.Fill(hosts);
        else
            m_list.Fill(hosts, &m_config);
    }
    if (!tree)
        emit columnWidthsRequested();
    m_noticesEnabled = true;
}

void ContactListController::RefillUserList()
{
    m_noticesEnabled = false;
    const QList<HostRecord *> hosts = hostsByName();
    completeKeys(hosts, false, true);
    {
        ListBusyCounter::Raiser busy;
        m_list.Fill(hosts, &m_config);
    }
    emit columnWidthsRequested();
    m_noticesEnabled = true;
}

void ContactListController::ClearUserList()
{
    QList<HostRecord *> hosts;
    for (qsizetype i = 0; i < m_hosts.Count(); ++i)
        hosts.append(m_hosts.At(CHostTable::ByAddress, i));
    {
        ListBusyCounter::Raiser busy;
        m_list.Fill(hosts, &m_config);
    }
    emit columnWidthsRequested();
}

bool ContactListController::AddRecentContact(const HostRecord *host)
{
    return host && ::AddRecentContact(m_config, *host);
}

// The list logic of the messenger page, without a window: it keeps the user
// tree and the user list in step with the engine's host table, decides the
// online and offline notices and the title count, completes missing peer
// keys and rebuilds the views. The page's widgets show its two models and
// relay its signals.
#pragma once

#include "mainwnd/ContactTreeModel.h"
#include "mainwnd/TipNotice.h"
#include "mainwnd/UserListModel.h"
#include "net/PictureStore.h"

#include <QObject>
#include <QTimer>

class CConfig;
class CHostTable;
class CNetManager;
class HostRecord;
class IncomingPictures;
class MessengerEngine;
class NeighbourTable;

class ContactListController : public QObject
{
    Q_OBJECT
public:
    // How long after a refresh request the peers' answers count as answers
    // to it (their pictures and signatures are asked for again).
    static constexpr int kRefreshAnswerMs = 5000;

    explicit ContactListController(MessengerEngine &engine, QObject *parent = nullptr);
    ~ContactListController() override;

    MessengerEngine &engine() { return m_engine; }
    CConfig &config() { return m_config; }
    ContactTreeModel *treeModel() { return &m_tree; }
    const ContactTreeModel *treeModel() const { return &m_tree; }
    UserListModel *listModel() { return &m_list; }
    const UserListModel *listModel() const { return &m_list; }
    // MembersShowMode: 0 the list, any other value the tree.
    bool treeStyle() const;

    // ---- order ----
    int CompareUsers(const HostRecord &a, const HostRecord &b) const;
    int CompareUsersBy(const HostRecord &a, const HostRecord &b, int kind, bool descending) const;
    int FindInsertPosition(const HostRecord &host) const;
    int FindTreeInsertPosition(const HostRecord &host) const;
    // A click on a list column: flips the direction, takes the column's sort
    // kind and re-sorts the list.
    void OnListColumnClick(int column);

    // ---- peers ----
    // Shows a peer in the current view, or refreshes it where it is shown.
    // notify asks for the online notice, announce marks a live arrival (title,
    // notice, requests), setWidths re-applies the list's column widths.
    void InsertOrRefreshUser(HostRecord *host, bool notify, bool announce, bool setWidths);
    // Takes a peer out of both views, then the title and the offline notice.
    void RemoveUserWithNotice(HostRecord *host, bool notify);
    // Empties the views and drops the loaded head photos, then removes every
    // peer from the host table.
    void RemoveAllUsers();
    // The user asked for a refresh: for a while, listed peers that announce
    // themselves again are asked for their signature and pictures again.
    void BeginRefresh();
    bool refreshing() const { return m_refreshing; }
    // A peer's head picture was stored: its row shows it.
    void OnHeadPhotoStored(HostRecord *host);
    // Stored head pictures of the reception reach the rows.
    void AttachPictures(IncomingPictures &pictures);

    // ---- full rebuilds ----
    // The current view anew from the host table, shown, with the title.
    void RebuildUserList();
    // The current view anew; reload reads every peer's memo name and custom
    // group again (tree style).
    void RebuildUserViews(bool reload);
    // The user list only, after its columns were made anew.
    void RefillUserList();
    // The list re-sorted: every peer inserted again in table order.
    void ClearUserList();

    bool AddRecentContact(const HostRecord *host);
    bool noticesEnabled() const { return m_noticesEnabled; }
    void setSelfIconPending(bool pending) { m_selfIconPending = pending; }
    // The neighbour table file read for peers without a MAC (tests use their own).
    void setNeighbourTablePath(const QString &path) { m_neighbourPath = path; }
    // The number of peers in the host table, not counting one that is leaving.
    int onlineCount(const HostRecord *leaving = nullptr) const;

signals:
    // "蓝雀Kwel(在线人数: %d)": the panel shows the count in its folder title
    // and the tray tip.
    void peerCountChanged(int count);
    void tipNoticeRequested(const TipNotice &notice);
    // The list's widths: sized to content when AutoWidth is on, else the six
    // configured widths.
    void columnWidthsRequested();
    // After RebuildUserList: the view of this style is to be shown.
    void viewStyleChanged(bool tree);
    // The own entry is listed: the search strip's status button takes its image.
    void ownStatusIconChanged(int image);

private:
    QList<HostRecord *> hostsByName() const;
    void completeKeys(const QList<HostRecord *> &hosts, bool memoForAll, bool memoForCompleted);
    void sendPeerRequests(HostRecord &host, quint32 storedHeadPicture);
    void checkOwnIcon(const HostRecord &host);
    void placeOwnEntry(HostRecord &host) const;
    quint32 ownAddress() const;

    MessengerEngine &m_engine;
    CConfig &m_config;
    CHostTable &m_hosts;
    CNetManager &m_net;
    ContactTreeModel m_tree;
    UserListModel m_list;
    bool m_noticesEnabled = true;
    PictureStore m_pictures; // the peers' stored head photos
    bool m_selfIconPending = true;
    bool m_refreshing = false;
    QTimer m_refreshEnd;
    QString m_neighbourPath = QStringLiteral("/proc/net/arp");
};

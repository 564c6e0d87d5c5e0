// The program's chat sessions: one per peer the user talks with, found again
// by the window rule (IsSameChatPeer) or made on demand. It takes from the
// engine what belongs to a conversation — received messages, read notices,
// peer changes, arrived pictures and picture acknowledgements — and hands it
// to the peer's session; the session asks for a window (through the view
// factory) only when it has something to show. A session without a window
// and with nothing pending is freed.
#pragma once

#include "chat/session/ChatSession.h"
#include "chat/session/HeldReadNotices.h"
#include "chat/session/NetworkWindows.h"
#include "net/PeerBounds.h"
#include "net/PeerRateLimiter.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <deque>
#include <functional>

class IncomingPictures;
struct ReceivedPicture;

// The messages we sent that asked for a read notice, by peer and packet
// number; only a notice for one of them is shown. Bounded: the oldest go.
class SentReadChecks
{
public:
    static constexpr qsizetype kCapacity = 1024;

    void Add(quint32 address, quint16 port, quint32 packetNumber);
    // True, once, for a notice that answers one of them.
    bool Take(quint32 address, quint16 port, quint32 packetNumber);
    qsizetype count() const { return qsizetype(m_entries.size()); }

private:
    struct Entry
    {
        quint32 address;
        quint16 port;
        quint32 packetNumber;
    };
    std::deque<Entry> m_entries;
};

class ChatSessions : public QObject
{
    Q_OBJECT
public:
    // How OpenView shows the peer's window.
    enum class OpenMode {
        Hidden = 0, // find or make, keep hidden
        Shown = 1, // find or make, show
        Front = 2, // find or make, show and bring forward
        LookUp = 3, // only find
    };

    // How many peers known to read our LZW container are remembered.
    static constexpr qsizetype kLzwPeersKept = 1024;

    explicit ChatSessions(const ChatServices &services, QObject *parent = nullptr);
    // Frees every session (their windows first, through the view factory's owner).
    ~ChatSessions() override;

    // Makes the window of a session and attaches it (the application's).
    void setViewFactory(ChatSession::ViewFactory factory) { m_viewFactory = std::move(factory); }
    // Whether the main window keeps a session's window (unread messages).
    void setKeptQuery(ChatSession::KeptQuery query) { m_kept = std::move(query); }
    // Pictures of shown messages and acknowledgements of the pictures we send.
    void AttachPictures(IncomingPictures &pictures);

    ChatSession *Find(const HostRecord &peer) const;
    // The peer's session, made when there is none (null without a peer).
    ChatSession *Open(HostRecord *peer);
    // The peer's window by the mode; null for LookUp without one, or when
    // none can be made.
    ChatSessionView *OpenView(HostRecord *peer, OpenMode mode);
    QList<ChatSession *> sessions() const;
    // The files offered to us that wait in the conversations of the address
    // (whatever its ports) and in all conversations.
    WaitingOfferedFiles waitingOfferedFiles(quint32 address) const;
    const SentReadChecks &sentReadChecks() const { return m_readChecks; }
    const HeldReadNotices &heldReadNotices() const { return m_heldNotices; }
    qsizetype lzwPeerCount() const { return m_lzwPeers.size(); }
    // A message sent to the peer outside its session asked for a read notice.
    void ExpectReadNotice(const HostRecord &peer, quint32 packetNumber);
    // Sends the pictures of a message that went to the peer by another road:
    // the peer's session sends them and takes their acknowledgements.
    void SendPictures(HostRecord *peer, const QList<OutgoingPicture> &pictures);

    // The engine's reports (connected in the constructor; public for tests).
    void OnMessageReceived(const PacketRecord &packet, HostRecord *sender);
    void OnReadNotice(HostRecord *sender, quint32 packetNumber);
    // A receipt: the peer's session stops the raw resend that awaited it.
    void OnReceipt(HostRecord *sender, quint32 packetNumber);
    void OnPeerChanged(HostRecord *host);
    void OnPictureReceived(const ReceivedPicture &picture);
    // The peer's requests, answers and screen shakes (the other commands
    // the engine passes on are not a conversation's).
    void OnPacketDispatched(const PacketRecord &packet, HostRecord *sender);
    // The program's request states (remote assistance, control, voice).
    RemoteRequests &requests() { return *m_services.requests; }
    // The tip that tells of messages the window bound held back, and where
    // they went.
    enum class HeldBackLog { Logged, LogOff, DiskFull };
    static QString HeldBackTipTitle();
    static QString HeldBackTipText(int count, HeldBackLog log);
    // The tip that tells, once a run, that the disk of the data folder is
    // down to its floor of floorBytes: the chat log and the pictures wait.
    static QString DiskFloorTipTitle();
    static QString DiskFloorTipText(qint64 floorBytes);

signals:
    // A message was shown. unread: its window stays hidden (only a tip) and
    // the main window is to keep it until the user opens it.
    void messageShown(ChatSession *session, bool unread);
    void tipRequested(const QString &title, const QString &text, int headImage, const QString &link);
    void recentContact(HostRecord *peer);
    void event(const QString &line);

private:
    ChatSession *make(HostRecord *peer);
    // A message the window bound held back: counted, and told in a tip at
    // most once in PeerBounds::kHeldBackTipIntervalMs.
    void noteHeldBack();
    void tellHeldBack();
    void tellDiskFloor(qint64 floorBytes);
    // What a peer is remembered by: its memo key, else its address and port.
    static QString RememberedPeerKey(const HostRecord &peer);
    // Whether the network may open the peer's window now (counted when
    // refused).
    bool mayOpenWindow(const HostRecord &peer, qint64 nowMs);
    // The user sent the peer a message in this run, had it among the recent
    // contacts when the run began, or keeps a memo for it.
    bool talkedWith(const HostRecord &peer) const;
    void freeIfIdle(ChatSession *session);
    void showHeldNotices(ChatSession &session);

    ChatServices m_services;
    ChatSession::ViewFactory m_viewFactory;
    ChatSession::KeptQuery m_kept;
    QList<ChatSession *> m_sessions;
    SentReadChecks m_readChecks;
    HeldReadNotices m_heldNotices;
    QSet<QString> m_sidePaneShown; // the peers whose side page was shown once
    QSet<QString> m_lzwPeers; // peers that sent us our LZW container
    QSet<QString> m_talked; // peers the user sent messages to, and the recent contacts at start
    IncomingPictures *m_pictures = nullptr; // lives as long as the sessions
    NetworkWindows m_windows;
    PeerRateLimiter m_shakes{PeerBounds::kIncomingShakeIntervalMs, PeerBounds::kAnswerPeers};
    PeerRateLimiter m_requestNotices{PeerBounds::kRequestNoticeIntervalMs, PeerBounds::kAnswerPeers};
    int m_heldBack = 0; // held back since the last tip
    QElapsedTimer m_lastHeldBackTip;
    QTimer m_heldBackTip;
    bool m_toldDiskFloor = false;
};

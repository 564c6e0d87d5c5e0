#include "chat/session/ChatSessions.h"

#include "chat/session/ChatPeer.h"
#include "chat/session/ChatRequests.h"
#include "chat/session/ChatSessionView.h"
#include "chat/session/IncomingMessagePolicy.h"
#include "core/CConfig.h"
#include "core/MessageMarkers.h"
#include "chat/session/ReceivedMessagePlan.h"
#include "net/ChatLogWriter.h"
#include "net/Commands.h"
#include "net/IncomingPictures.h"
#include "net/MessengerEngine.h"
#include "net/RemoteRequests.h"
#include "platform/MessageSound.h"

// ---- read notices we wait for -------------------------------------------

void SentReadChecks::Add(quint32 address, quint16 port, quint32 packetNumber)
{
    if (m_entries.size() >= size_t(kCapacity))
        m_entries.pop_front();
    m_entries.push_back({ address, port, packetNumber });
}

bool SentReadChecks::Take(quint32 address, quint16 port, quint32 packetNumber)
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->address == address && it->port == port && it->packetNumber == packetNumber) {
            m_entries.erase(it);
            return true;
        }
    }
    return false;
}

// ---- the sessions -------------------------------------------------------

ChatSessions::ChatSessions(const ChatServices &services, QObject *parent)
    : QObject(parent)
    , m_services(services)
{
    if (!m_services.requests)
        m_services.requests = new RemoteRequests(this);
    m_heldBackTip.setSingleShot(true);
    connect(&m_heldBackTip, &QTimer::timeout, this, &ChatSessions::tellHeldBack);
    if (MessengerEngine *engine = m_services.engine) {
        if (!m_services.config)
            m_services.config = &engine->config();
        connect(engine, &MessengerEngine::messageReceived, this, &ChatSessions::OnMessageReceived);
        connect(engine, &MessengerEngine::readNoticeArrived, this, &ChatSessions::OnReadNotice);
        connect(engine, &MessengerEngine::receiptArrived, this, &ChatSessions::OnReceipt);
        connect(engine, &MessengerEngine::hostAdded, this, &ChatSessions::OnPeerChanged);
        connect(engine, &MessengerEngine::hostAdded, this,
            [this](HostRecord *host) { m_windows.NoteListed(host->listedOrder, PeerRateLimiter::Now()); });
        connect(engine, &MessengerEngine::hostUpdated, this, &ChatSessions::OnPeerChanged);
        connect(engine, &MessengerEngine::packetDispatched, this, &ChatSessions::OnPacketDispatched);
    }
    // The recent contacts of the runs before count as peers talked with
    // (those of this run may be strangers whose messages were shown).
    if (m_services.config)
        for (const QString &key : std::as_const(m_services.config->LastPersonKeys))
            m_talked.insert(key);
    if (ChatLogWriter *log = m_services.chatLog) {
        // Records the log passed over for want of room: counted, and told.
        log->SetPassedOverCallback([this](const QList<quint32> &addresses, qint64 floorBytes) {
            QMetaObject::invokeMethod(
                this,
                [this, addresses, floorBytes] {
                    if (MessengerEngine *engine = m_services.engine)
                        for (const quint32 address : addresses)
                            engine->Refuse(PeerRefusal::DiskFloor, address);
                    tellDiskFloor(floorBytes);
                },
                Qt::QueuedConnection);
        });
    }
}

ChatSessions::~ChatSessions()
{
    if (m_services.chatLog)
        m_services.chatLog->SetPassedOverCallback({});
    const QList<ChatSession *> sessions = m_sessions;
    m_sessions.clear();
    for (ChatSession *session : sessions) {
        // A window still open keeps a null session afterwards and shows nothing new.
        session->disconnect(this);
        delete session;
    }
}

void ChatSessions::AttachPictures(IncomingPictures &pictures)
{
    m_pictures = &pictures;
    connect(&pictures, &IncomingPictures::pictureFoldersFull, this, [this](const QString &text) {
        if (!m_services.chatLog)
            return;
        ChatLogEntry entry;
        entry.userName = ReceivedTexts::BlockedLogUser();
        entry.text = text;
        m_services.chatLog->LogChatMessage(entry);
    });
    connect(&pictures, &IncomingPictures::diskFloorReached, this, &ChatSessions::tellDiskFloor);
    connect(&pictures, &IncomingPictures::pictureReceived, this, &ChatSessions::OnPictureReceived);
    connect(&pictures, &IncomingPictures::pictureChunkAcked, this,
        [this](quint32 id, qint32 chunk, const HostKey &from) {
            HostRecord *host = m_services.engine ? m_services.engine->FindHost(from.address, from.port) : nullptr;
            if (ChatSession *session = host ? Find(*host) : nullptr)
                session->OnPictureChunkAck(id, chunk);
        });
}

QList<ChatSession *> ChatSessions::sessions() const
{
    return m_sessions;
}

ChatSession *ChatSessions::Find(const HostRecord &peer) const
{
    for (ChatSession *session : m_sessions) {
        if (session->peer() && IsSameChatPeer(*session->peer(), peer))
            return session;
    }
    return nullptr;
}

ChatSession *ChatSessions::make(HostRecord *peer)
{
    auto *session = new ChatSession(m_services, peer, this);
    session->SetPeerReadsLzw(peer && m_lzwPeers.contains(RememberedPeerKey(*peer)));
    session->setKeptQuery(m_kept);
    session->setOfferedFilesQuery([this](quint32 address) { return waitingOfferedFiles(address); });
    session->timers().setSidePaneShown(&m_sidePaneShown);
    session->setViewFactory([this](ChatSession &s) {
        ChatSessionView *view = m_viewFactory ? m_viewFactory(s) : nullptr;
        // The notices that came while the peer had no window.
        if (view)
            showHeldNotices(s);
        return view;
    });
    connect(session, &ChatSession::event, this, &ChatSessions::event);
    connect(session, &ChatSession::tipRequested, this, &ChatSessions::tipRequested);
    connect(session, &ChatSession::recentContact, this, &ChatSessions::recentContact);
    connect(session, &ChatSession::messageSent, this, [this, session](quint32 packetNumber, quint32 command) {
        if (!session->peer())
            return;
        if (command & OPT_READ_CHECK)
            m_readChecks.Add(session->peer()->key.address, session->peer()->key.port, packetNumber);
        // What the user sent, not what the program sent on the peer's request.
        if (!(command & OPT_AUTO_SEND)) {
            if (m_talked.size() >= PeerBounds::kTalkedPeersKept)
                m_talked.clear();
            m_talked.insert(RememberedPeerKey(*session->peer()));
        }
    });
    connect(session, &ChatSession::settled, this, &ChatSessions::freeIfIdle, Qt::QueuedConnection);
    m_sessions.append(session);
    return session;
}

ChatSession *ChatSessions::Open(HostRecord *peer)
{
    if (!peer)
        return nullptr;
    if (ChatSession *session = Find(*peer))
        return session;
    return make(peer);
}

ChatSessionView *ChatSessions::OpenView(HostRecord *peer, OpenMode mode)
{
    if (!peer)
        return nullptr;
    if (mode == OpenMode::LookUp) {
        ChatSession *session = Find(*peer);
        return session ? session->view() : nullptr;
    }
    ChatSession *session = Open(peer);
    ChatSessionView *view = session->EnsureView();
    if (!view) {
        freeIfIdle(session);
        return nullptr;
    }
    if (mode == OpenMode::Shown && !view->IsShown())
        view->BringToFront(true);
    else if (mode == OpenMode::Front)
        view->BringToFront(false);
    return view;
}

WaitingOfferedFiles ChatSessions::waitingOfferedFiles(quint32 address) const
{
    WaitingOfferedFiles waiting;
    for (const ChatSession *session : m_sessions) {
        const qsizetype files = session->waitingOfferedFiles();
        waiting.all += files;
        if (session->peer() && session->peer()->key.address == address)
            waiting.ofAddress += files;
    }
    return waiting;
}

void ChatSessions::ExpectReadNotice(const HostRecord &peer, quint32 packetNumber)
{
    m_readChecks.Add(peer.key.address, peer.key.port, packetNumber);
}

void ChatSessions::SendPictures(HostRecord *peer, const QList<OutgoingPicture> &pictures)
{
    ChatSession *session = Open(peer);
    if (!session)
        return;
    session->SendPictures(pictures);
    freeIfIdle(session);
}

void ChatSessions::freeIfIdle(ChatSession *session)
{
    if (!m_sessions.contains(session) || session->view() || session->hasPendingWork())
        return;
    m_sessions.removeAll(session);
    session->deleteLater();
}

// ---- what the engine reports --------------------------------------------

void ChatSessions::OnMessageReceived(const PacketRecord &packet, HostRecord *sender)
{
    MessengerEngine *engine = m_services.engine;
    if (!engine)
        return;
    // A sender the host table does not list is not shown (the engine sent
    // no receipt; the peer resends after its entry).
    if (!sender)
        return;
    const IncomingMessagePolicy policy = IncomingMessagePolicy::For(*m_services.config, *sender);
    ChatSession *existing = Find(*sender);
    if ((!existing || !existing->view()) && !mayOpenWindow(*sender, PeerRateLimiter::Now())) {
        // The network may open only so many windows a minute: beyond that
        // the message is kept in the chat log, not shown, and the files it
        // offers are released.
        ChatSession *session = Open(sender);
        session->TakeReceivedMessage(packet);
        session->LogUnshownMessage();
        freeIfIdle(session);
        noteHeldBack();
        return;
    }
    ChatSession *session = Open(sender);
    const bool hidden = !session->view() || !session->view()->IsShown();
    session->TakeReceivedMessage(packet);
    // The pictures the message names are kept when they arrive.
    if (m_pictures)
        m_pictures->ClaimPictures(sender->key, PictureMarkerIds(session->receivedText(), PeerBounds::kPicturesPerMessage));
    if (!session->ShowReceivedMessage(policy.applySpamRules, hidden && policy.tipOnly)) {
        freeIfIdle(session);
        return;
    }
    if (policy.sound)
        MessageSound::current().Play(policy.soundFile);
    const bool unread = policy.tipOnly && hidden;
    if (!unread && session->view())
        session->view()->BringToFront(true);
    emit messageShown(session, unread);
}

void ChatSessions::noteHeldBack()
{
    ++m_heldBack;
    if (m_heldBackTip.isActive())
        return;
    // The first of a spell is told at once; those that follow within the
    // interval are counted into one later tip.
    const bool recent = m_lastHeldBackTip.isValid() && m_lastHeldBackTip.elapsed() < PeerBounds::kHeldBackTipIntervalMs;
    if (!recent) {
        tellHeldBack();
        return;
    }
    m_heldBackTip.start(int(PeerBounds::kHeldBackTipIntervalMs - m_lastHeldBackTip.elapsed()));
}

void ChatSessions::tellHeldBack()
{
    if (m_heldBack == 0)
        return;
    m_lastHeldBackTip.start();
    // Whether they were logged, as the log last found the disk.
    const ChatLogWriter *log = m_services.chatLog;
    const HeldBackLog where = !log || !log->IsLoggingEnabled() ? HeldBackLog::LogOff
        : log->IsPassingOver()                               ? HeldBackLog::DiskFull
                                                             : HeldBackLog::Logged;
    emit tipRequested(HeldBackTipTitle(), HeldBackTipText(m_heldBack, where), 0, QString());
    emit event(QStringLiteral("HELDBACK %1").arg(m_heldBack));
    m_heldBack = 0;
}

void ChatSessions::tellDiskFloor(qint64 floorBytes)
{
    if (m_toldDiskFloor)
        return;
    m_toldDiskFloor = true;
    emit tipRequested(DiskFloorTipTitle(), DiskFloorTipText(floorBytes), -1, QString());
    emit event(QStringLiteral("DISKFLOOR %1").arg(floorBytes));
}

QString ChatSessions::DiskFloorTipTitle()
{
    return QStringLiteral("磁盘空间不足");
}

QString ChatSessions::DiskFloorTipText(qint64 floorBytes)
{
    return QStringLiteral("数据文件夹所在磁盘的剩余空间不足 %1 MB，聊天记录和收到的图片暂停保存，消息照常显示；有空间后自动恢复保存。")
        .arg((floorBytes + (1 << 20) - 1) >> 20);
}

QString ChatSessions::HeldBackTipTitle()
{
    return QStringLiteral("消息");
}

QString ChatSessions::HeldBackTipText(int count, HeldBackLog log)
{
    switch (log) {
    case HeldBackLog::LogOff:
        return QStringLiteral("有 %1 条消息来得太快，未打开聊天窗口；聊天记录未开启，这些消息未保存。").arg(count);
    case HeldBackLog::DiskFull:
        return QStringLiteral("有 %1 条消息来得太快，未打开聊天窗口；磁盘空间不足，这些消息未能记入聊天记录。").arg(count);
    case HeldBackLog::Logged:
        break;
    }
    return QStringLiteral("有 %1 条消息来得太快，未打开聊天窗口，已记入聊天记录。").arg(count);
}

void ChatSessions::OnReadNotice(HostRecord *sender, quint32 packetNumber)
{
    // Only a notice for a message we sent to that peer with the request is
    // shown; any other opens nothing.
    if (!sender || !m_readChecks.Take(sender->key.address, sender->key.port, packetNumber))
        return;
    const QDateTime now = QDateTime::currentDateTime();
    ChatSession *session = Find(*sender);
    if (session && session->view()) {
        session->ShowReadNotice(now, packetNumber);
        return;
    }
    // No window: none is made for it; the peer's next window shows it.
    m_heldNotices.Add({ sender->key.address, sender->key.port, packetNumber, now });
    emit event(QStringLiteral("READHELD %1 %2").arg(DottedAddress(sender->key.address)).arg(packetNumber));
}

void ChatSessions::showHeldNotices(ChatSession &session)
{
    if (!session.peer() || m_heldNotices.count() == 0)
        return;
    const HostKey &key = session.peer()->key;
    for (const HeldReadNotices::Notice &notice : m_heldNotices.Take(key.address, key.port))
        session.ShowReadNotice(notice.when, notice.packetNumber);
}

void ChatSessions::OnReceipt(HostRecord *sender, quint32 packetNumber)
{
    // Only a conversation that exists waits for anything.
    ChatSession *session = sender ? Find(*sender) : nullptr;
    if (session && session->OnSendConfirmed(sender->key.address, sender->key.port, packetNumber))
        freeIfIdle(session);
}

void ChatSessions::OnPeerChanged(HostRecord *host)
{
    if (!host)
        return;
    for (ChatSession *session : std::as_const(m_sessions))
        session->OnPeerStatusChanged(host);
}

void ChatSessions::OnPictureReceived(const ReceivedPicture &picture)
{
    if (!m_services.engine)
        return;
    HostRecord *host = m_services.engine->FindHost(picture.sender.address, picture.sender.port);
    ChatSession *session = host ? Find(*host) : nullptr;
    // A picture in our LZW container that decoded: the peer writes the
    // container we write, so it reads ours too.
    const bool unpackedLzw = picture.compression == 1 && (picture.purpose != 0 || picture.kind == 0);
    if (host && unpackedLzw && !picture.image.isNull() && !picture.fromStore) {
        // Bounded: a host that changes its name or MAC at will must not grow
        // it. Peers forgotten are sent our pictures as JPEG until they send
        // one of theirs again.
        if (m_lzwPeers.size() >= kLzwPeersKept)
            m_lzwPeers.clear();
        m_lzwPeers.insert(RememberedPeerKey(*host));
        if (session)
            session->SetPeerReadsLzw(true);
    }
    if (picture.groupId != 0 || !session)
        return;
    if (picture.purpose == 0)
        session->OnPictureArrived(picture.id, picture.image, picture.filePath);
    else
        session->OnPeerStatusChanged(host); // a head picture: the window shows it
}

void ChatSessions::OnPacketDispatched(const PacketRecord &packet, HostRecord *sender)
{
    const quint32 command = packet.command();
    const bool ours = (command >= CMD_VOICE_REQUEST && command <= CMD_VOICE_ANSWER_LAST)
        || (command >= CMD_ASSIST_REQUEST && command <= CMD_ASSIST_ANSWER_LAST) || command == CMD_SCREEN_SHAKE
        || command == CMD_SHAKE_ACK;
    // Only a listed peer talks to a conversation.
    if (!ours || !sender)
        return;
    // What reaches the user is bounded per peer: a shake at most once in the
    // sender's own interval, a request notice of each kind likewise (a real
    // peer resends its request); and a window the network opens counts
    // against the windows of the minute.
    const quint32 address = sender->key.address;
    const quint16 port = sender->key.port;
    const qint64 now = PeerRateLimiter::Now();
    MessengerEngine *engine = m_services.engine;
    if (command == CMD_SCREEN_SHAKE && !m_shakes.allow(address, port, now)) {
        engine->Refuse(PeerRefusal::ShakeRate, address);
        return;
    }
    const bool request = command == CMD_VOICE_REQUEST || command == CMD_ASSIST_REQUEST || command == CMD_CONTROL_REQUEST;
    // A request beyond the rate is still confirmed and held for the
    // refusal, only without its notice (and so without a window).
    bool quiet = false;
    if (request && !m_requestNotices.allow(address, port, now, command)) {
        engine->Refuse(PeerRefusal::RequestRate, address);
        quiet = true;
    }
    ChatSession *existing = Find(*sender);
    const bool opens = command == CMD_SCREEN_SHAKE || (request && !quiet);
    if (opens && (!existing || !existing->view()) && !mayOpenWindow(*sender, now)) {
        if (!request)
            return;
        quiet = true;
    }
    ChatSession *session = Open(sender);
    session->requests().OnPacket(packet, quiet);
    freeIfIdle(session);
}

bool ChatSessions::talkedWith(const HostRecord &peer) const
{
    if (m_talked.contains(RememberedPeerKey(peer)))
        return true;
    const CConfig *config = m_services.config;
    return config && !peer.keyText.isEmpty()
        && (config->memoNickNames.contains(peer.keyText) || config->memoGroupNames.contains(peer.keyText));
}

bool ChatSessions::mayOpenWindow(const HostRecord &peer, qint64 nowMs)
{
    NetworkWindows::Asker asker;
    asker.address = peer.key.address;
    asker.listedOrder = peer.listedOrder;
    asker.talkedWith = talkedWith(peer);
    if (asker.talkedWith)
        asker.key = RememberedPeerKey(peer);
    if (m_windows.Allow(asker, nowMs) != NetworkWindows::Grant::Refused)
        return true;
    if (m_services.engine)
        m_services.engine->Refuse(PeerRefusal::WindowRate, peer.key.address);
    return false;
}

QString ChatSessions::RememberedPeerKey(const HostRecord &peer)
{
    return peer.keyText.isEmpty() ? QStringLiteral("%1:%2").arg(peer.key.address).arg(peer.key.port) : peer.keyText;
}

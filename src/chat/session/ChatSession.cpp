#include "chat/session/ChatSession.h"

#include "chat/session/ChatFileTransfers.h"
#include "chat/session/ChatPeer.h"
#include "chat/session/ChatRequests.h"
#include "chat/session/ChatShares.h"
#include "chat/session/ChatSessionView.h"
#include "chat/session/ReceivedMessagePlan.h"
#include "chat/session/SendProgress.h"
#include "core/CConfig.h"
#include "core/BmpFile.h"
#include "core/FaceShortcuts.h"
#include "core/FontBlock.h"
#include "core/Gbk.h"
#include "core/PictureId.h"
#include "core/Prompter.h"
#include "core/WorkingSet.h"
#include "net/CFileOfferTable.h"
#include "net/CMsgSenderWnd.h"
#include "net/CNetManager.h"
#include "net/ChatLogWriter.h"
#include "net/Commands.h"
#include "net/FileServer.h"
#include "net/KeyExchange.h"
#include "net/MessengerEngine.h"
#include "net/PeerBounds.h"
#include "net/PicturePayload.h"
#include "net/PictureStore.h"
#include "net/RemoteRequests.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTime>
#include <memory>
#include <utility>

namespace {

// The head-icon list the tips draw from: 91 images.
constexpr int kHeadImageCount = 91;

} // namespace

ChatSession::ChatSession(const ChatServices &services, HostRecord *peer, QObject *parent)
    : QObject(parent)
    , m_services(services)
    , m_config(services.config ? services.config : (services.engine ? &services.engine->config() : nullptr))
    , m_peer(peer)
    , m_timers(*this)
{
    m_files = std::make_unique<ChatFileTransfers>(
        m_peer, m_services.engine ? &m_services.engine->net() : nullptr, m_config, this);
    connect(m_files.get(), &ChatFileTransfers::systemText, this, [this](const QString &text) { AppendSystemText(text); });
    connect(m_files.get(), &ChatFileTransfers::messageBox, this, [this](const QString &text, const QString &caption) {
        Prompter::current().messageBox(m_view ? m_view->PromptOwner() : nullptr, text, caption);
    });
    connect(m_files.get(), &ChatFileTransfers::settled, this, &ChatSession::checkSettled);
    connect(m_files.get(), &ChatFileTransfers::offerReleased, this,
        [this](quint32 packetNumber) { emitEvent(QStringLiteral("RELEASED"), QString::number(packetNumber)); });
    m_timers.setRetryMax(m_config ? m_config->RETRYMAX_STR : 3);
    if (m_services.engine) {
        // The peer fetched or released what our messages offered.
        // The peer fetches, gets or releases what our messages offered.
        CFileOfferTable &offers = m_services.engine->fileOffers();
        connect(&offers, &CFileOfferTable::offerRemoved, this, [this](quint32 packetNumber) {
            if (m_ourOffers.removeAll(packetNumber) == 0)
                return;
            m_files->OutgoingOfferGone(packetNumber);
            if (m_ourOffers.isEmpty())
                checkSettled();
        });
        connect(&offers, &CFileOfferTable::transferStatusChanged, this,
            [this](quint32 packetNumber, quint32 fileId, quint8 status) {
                if (m_ourOffers.contains(packetNumber))
                    m_files->SetOutgoingStatus(packetNumber, fileId, status);
            });
        connect(&m_services.engine->fileServer(), &FileServer::transferProgress, this, [this](const TransferState &s) {
            if (s.status != ServeStatus::Running || !m_ourOffers.contains(s.packetNumber))
                return;
            const SendProgress progress = SendProgressOf(s);
            m_files->SetOutgoingProgress(s.packetNumber, s.fileId, progress.percent, progress.text);
        });
    }
    m_timerDriver = std::make_unique<ChatTimerDriver>(m_timers);
    if (!m_services.requests)
        m_services.requests = new RemoteRequests(this);
    m_requests = new ChatRequests(*this, *m_services.requests);
    connect(m_requests, &ChatRequests::changed, this, [this] {
        if (m_view)
            m_view->RequestsChanged();
        updateActivity();
        checkSettled();
    });
}

ChatShares &ChatSession::shares()
{
    if (!m_shares)
        m_shares = new ChatShares(*this);
    return *m_shares;
}

PicturePacer &ChatSession::pacer()
{
    // Made with the first picture: most conversations send none.
    if (!m_pacer) {
        m_pacer = std::make_unique<PicturePacer>(m_pictures);
        m_pictures.setFinishedHandler([this](const PictureSendStats &stats) {
            // Reported from inside the table: the session looks at it afterwards.
            QMetaObject::invokeMethod(
                this,
                [this, stats] {
                    onPictureFinished(stats);
                    if (m_pictures.isEmpty())
                        checkSettled();
                },
                Qt::QueuedConnection);
        });
    }
    return *m_pacer;
}

ChatSession::~ChatSession()
{
    // A window cannot outlive its conversation.
    if (ChatSessionView *view = std::exchange(m_view, nullptr))
        view->Dispose();
    m_timerDriver.reset();
    m_pacer.reset();
    // A session that goes while the peer still offers files tells the peer.
    if (m_files)
        m_files->ReleaseAllOffers();
    for (const QPointer<CMsgSenderWnd> &sender : std::as_const(m_senders)) {
        if (sender)
            sender->disconnect(this);
    }
}

// ---- the view -----------------------------------------------------------

void ChatSession::AttachView(ChatSessionView *view)
{
    m_view = view;
    m_closeDeferred = false;
    if (m_view) {
        m_timers.start(ChatTimerId::Probe, kProbeDelayMs);
        m_timers.start(ChatTimerId::SidePane, kFirstShowMs);
    }
}

void ChatSession::DetachView(ChatSessionView *view)
{
    if (!view || view != m_view)
        return;
    m_view = nullptr;
    m_closeDeferred = false;
    m_files->setPrompts(nullptr);
    m_files->ReleaseAllOffers();
    m_files->ClearReceived();
    // The peer's requests shown in the window that went are refused.
    m_requests->RefuseIncoming(false);
    m_placeholders.clear();
    m_timers.kill(ChatTimerId::PicturePlaceholders);
    // The read notices owed were for messages in the window that went.
    m_readNotices.Take(false);
    checkSettled();
}

ChatSessionView *ChatSession::EnsureView()
{
    if (!m_view && m_viewFactory)
        m_viewFactory(*this); // attaches itself
    return m_view;
}

// ---- the history --------------------------------------------------------

QString ChatSession::TimeText()
{
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
}

void ChatSession::append(const ChatHistoryEntry &entry)
{
    if (ChatSessionView *view = EnsureView())
        view->AppendEntry(entry);
}

void ChatSession::appendHeader(const QString &line, uint32_t color)
{
    ChatFont font = m_standardFont;
    font.color = color;
    append({ font, line, ChatHistoryEntry::Source::ReceivedMessage });
}

void ChatSession::AppendSystemText(const QString &text, uint32_t color)
{
    appendSystemLine(text, color);
    if (m_view)
        m_view->BringToFront(true);
}

void ChatSession::appendSystemLine(const QString &text, uint32_t color)
{
    ChatFont font = m_standardFont;
    font.color = color;
    m_lastNotice = text;
    append({ font, FaceShortcutTable[kFaceProgramLine].toString() + QLatin1Char(' ') + text + QLatin1Char('\n'),
        ChatHistoryEntry::Source::ReceivedMessage });
    emitEvent(QStringLiteral("SYSTEM"), text);
}

void ChatSession::emitEvent(const QString &kind, const QString &rest)
{
    const QString where = m_peer ? DottedAddress(m_peer->key.address) : QStringLiteral("?");
    emit event(kind + QLatin1Char(' ') + where + QLatin1Char(' ') + rest);
}

ChatLogEntry ChatSession::peerLogEntry(const ChatFont &font, const QString &text) const
{
    return PeerLogEntry(*m_peer, font, text);
}

// ---- receiving ----------------------------------------------------------

void ChatSession::TakeReceivedMessage(const PacketRecord &packet)
{
    m_received = Received();
    m_received.packet = packet;
    if (packet.hasOption(OPT_FILE_ATTACH))
        DecodeFileList(packet.extension, m_received.files);
    QByteArray body = packet.body;
    if (packet.hasOption(OPT_ENCRYPT) && m_services.keys) {
        // A body that does not decrypt stays as its error text; the sender
        // hears of it through the automatic notice.
        const DecryptedMessage message = m_services.keys->DecryptReceivedMessage(packet);
        m_received.mode = message.mode;
        m_received.decrypted = message.status == CryptStatus::Ok;
        body = message.text;
    }
    if (const qsizetype nul = body.indexOf('\0'); nul >= 0)
        body.truncate(nul);
    m_received.text = Gbk::decode(body).remove(QLatin1Char('\r'));
}

bool ChatSession::ShowReceivedMessage(bool filterFlag, bool notify)
{
    if (!m_peer || !m_services.engine)
        return false;
    const PacketRecord &packet = m_received.packet;
    if (!m_services.engine->FindHost(packet.key.address, packet.key.port))
        return false;

    ReceivedInput in;
    in.text = m_received.text;
    in.multiSend = packet.hasOption(OPT_MULTICAST);
    in.sealed = packet.hasOption(OPT_SECRET);
    in.automatic = packet.hasOption(OPT_AUTO_RETURN);
    in.offersFiles = packet.hasOption(OPT_FILE_ATTACH);
    for (const DecodedFileEntry &entry : m_received.files)
        in.files.append({ entry.name, entry.kind() == FILE_ATTR_FOLDER });
    in.applyRules = m_config && filterFlag;
    if (m_config)
        in.rules = m_config->SpamRules;
    in.notify = notify;
    in.nick = m_peer->displayName;
    in.hostName = m_peer->key.hostName();
    in.address = m_peer->key.address;
    in.time = TimeText();
    const ReceivedPlan plan = PlanReceivedMessage(in);
    const int headImage = PeerHeadImage(*m_peer, kHeadImageCount);

    if (plan.blocked) {
        if (plan.tip)
            emit tipRequested(plan.tipTitle, plan.tipText, headImage, PeerLinkTag(*m_peer));
        if (plan.log && m_services.chatLog) {
            ChatLogEntry entry = peerLogEntry(m_standardFont, plan.logText);
            entry.userName = ReceivedTexts::BlockedLogUser();
            entry.groupName = ReceivedTexts::BlockedLogTitle();
            entry.font.color = kPeerHeaderColor;
            m_services.chatLog->LogSentChatMessage(entry);
        }
        if (plan.releaseOffer)
            releaseReceivedOffer();
        if (!plan.autoReply.isEmpty())
            sendAutoReply(plan.autoReply);
        emitEvent(QStringLiteral("BLOCKED"), QString::number(plan.rule));
        return false;
    }

    emit recentContact(m_peer.data());
    if (!plan.senderLine.isEmpty()) {
        appendHeader(plan.senderLine, kPeerHeaderColor);
        QString shown = plan.shownText;
        const ChatFont font = ParseFontPrefix(shown);
        append({ font, shown, ChatHistoryEntry::Source::ReceivedMessage });
        if (m_services.chatLog)
            m_services.chatLog->LogChatMessage(peerLogEntry(plan.logFont, plan.logBody.trimmed()));
        const ChatFont &f = plan.logFont;
        emitEvent(QStringLiteral("SHOWN"),
            QStringLiteral("%1,%2,%3,%4 ")
                    .arg(f.faceName, QString::number(f.height), QString::number(f.weight),
                        QStringLiteral("%1").arg(f.color, 6, 16, QLatin1Char('0')))
                + (m_received.mode ? QStringLiteral("mode=%1 ").arg(m_received.mode, 0, 16) : QString())
                + plan.logBody.trimmed());
    }
    if (!plan.offerNotice.isEmpty())
        takeReceivedOffer(plan.offerNotice);
    if (plan.queueReadNotice)
        m_readNotices.Add(packet.packetNumber, packet.commandWord);
    if (plan.showTip)
        emit tipRequested(plan.tipTitle, plan.tipText, headImage, PeerLinkTag(*m_peer));
    return true;
}

void ChatSession::LogUnshownMessage()
{
    if (!m_peer)
        return;
    if (!m_received.files.empty())
        releaseReceivedOffer();
    if (!m_services.chatLog)
        return;
    const StrippedText stripped = StripFontBlock(m_received.text);
    const QString text = stripped.text.trimmed();
    if (!text.isEmpty())
        m_services.chatLog->LogChatMessage(peerLogEntry(stripped.font, text));
}

qsizetype ChatSession::waitingOfferedFiles() const
{
    return m_files->model().offeredRows().size();
}

QString ChatSession::OffersRefusedText(const QString &nick)
{
    return QStringLiteral("%1 发来而未接收的文件(夹)已达上限，其后发来的文件已拒收，请先接收或拒收列表中的文件。")
        .arg(nick);
}

void ChatSession::takeReceivedOffer(const QString &notice)
{
    const qsizetype own = waitingOfferedFiles();
    const WaitingOfferedFiles waiting
        = m_offeredFiles && m_peer ? m_offeredFiles(m_peer->key.address) : WaitingOfferedFiles { own, own };
    if (OfferFitsBounds(qsizetype(m_received.files.size()), waiting)) {
        m_offersRefusedTold = false;
        AppendSystemText(notice);
        m_files->AddReceivedOffer(m_received.packet.packetNumber, m_received.files);
        return;
    }
    if (m_services.engine && m_peer)
        m_services.engine->Refuse(PeerRefusal::OfferedFiles, m_peer->key.address);
    releaseReceivedOffer();
    if (!std::exchange(m_offersRefusedTold, true))
        AppendSystemText(OffersRefusedText(m_peer ? m_peer->displayName : QString()));
}

void ChatSession::releaseReceivedOffer()
{
    if (m_services.engine && m_peer)
        m_services.engine->net().SendNumber(*m_peer, CMD_RELEASE_FILES, m_received.packet.packetNumber);
}

void ChatSession::sendAutoReply(const QString &text)
{
    // Its own packet number, no receipt asked for, no resends: the user's own
    // message and its resends are not touched. An answer like the away
    // reply: one to the peer in its interval, within the answer budget.
    MessengerEngine *engine = m_services.engine;
    constexpr quint32 reply = CMD_SEND_MESSAGE | OPT_AUTO_RETURN;
    if (engine && m_peer && engine->MayAnswer(m_peer->key, reply))
        engine->SendTextAnswer(m_peer->key, reply, text);
}

void ChatSession::SendReadNotice()
{
    if (m_readNotices.isEmpty())
        return;
    const auto pending = m_readNotices.Take(!m_config || m_config->SendOpenMsg != 0);
    if (!pending || !m_services.engine || !m_peer)
        return;
    m_services.engine->net().SendNumber(
        *m_peer, CMD_MESSAGE_OPENED | (pending->commandWord & OPT_READ_CHECK), pending->packetNumber);
    emitEvent(QStringLiteral("OPENED"), QString::number(pending->packetNumber));
}

void ChatSession::ShowReadNotice(const QDateTime &when, quint32 packetNumber)
{
    if (!m_peer)
        return;
    AppendNotice(QStringLiteral("消息打开通知"),
        QStringLiteral("%1(%2)已打开您的消息.\n消息打开时间:%3\n\n对方IP:%4\n对方组名:%5(%6)")
            .arg(m_peer->displayName, m_peer->key.hostName(), when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                DottedAddress(m_peer->key.address), m_peer->customGroup, m_peer->groupName));
    emitEvent(QStringLiteral("READNOTICE"), QString::number(packetNumber));
}

void ChatSession::AppendNotice(const QString &heading, const QString &text)
{
    appendSystemLine(heading, kNoticeColor);
    ChatFont font = m_standardFont;
    font.color = kNoticeColor;
    // The peer's link in its one written form (the tips use it too).
    const QString link = m_peer ? QStringLiteral("\n") + PeerLinkTag(*m_peer) : QString();
    append({ font, QStringLiteral("  ") + QString(text + link).replace(QLatin1Char('\n'), QStringLiteral("\n  ")) + QLatin1Char('\n'),
        ChatHistoryEntry::Source::ReceivedMessage });
}

bool ChatSession::OnPeerStatusChanged(HostRecord *fresh)
{
    if (!fresh || !m_peer || !IsSameChatPeer(*m_peer, *fresh))
        return false;
    if (fresh != m_peer.data()) {
        // The peer came back under a new record.
        m_peer = HostPtr(fresh);
        m_files->setPeer(m_peer);
    }
    if (m_view)
        m_view->PeerChanged();
    return true;
}

// ---- pictures -----------------------------------------------------------

void ChatSession::OnPictureArrived(quint32 id, const QImage &image, const QString &path)
{
    if (!m_view)
        return;
    // A stored picture shows from its file, as large as a window shows it;
    // the bitmap only when it could not be stored.
    const bool replaced = !path.isEmpty() || image.isNull() ? m_view->ReplacePictureByFile(id, path)
                                                            : m_view->ReplacePicturePlaceholder(id, image);
    if (replaced) {
        m_placeholders.removeIf([id](const PendingPlaceholder &p) { return p.id == id; });
        emitEvent(QStringLiteral("PICTURE"), PictureIdText(id));
    }
}

void ChatSession::AddPendingPlaceholder(quint32 id, bool animated)
{
    m_placeholders.append({ id, animated, 0 });
    if (!m_timers.isRunning(ChatTimerId::PicturePlaceholders))
        m_timers.start(ChatTimerId::PicturePlaceholders, kPlaceholderRetryMs);
}

bool ChatSession::retryPicturePlaceholders()
{
    const PictureStore store(m_services.dataFolder);
    for (qsizetype i = 0; i < m_placeholders.size();) {
        PendingPlaceholder &p = m_placeholders[i];
        const QString path = store.FindReceivedPicture(p.id, p.animated ? 2 : 1);
        const bool replaced = m_view && !path.isEmpty() && m_view->ReplacePictureByFile(p.id, path);
        if (replaced)
            emitEvent(QStringLiteral("PICTURE"), PictureIdText(p.id));
        if (replaced || ++p.tries > kPlaceholderTries)
            m_placeholders.removeAt(i);
        else
            ++i;
    }
    return !m_placeholders.isEmpty();
}

void ChatSession::OnPictureChunkAck(quint32 id, qint32 chunkNumber)
{
    if (m_pictures.isEmpty())
        return;
    m_pictures.OnPictureChunkAck(id, chunkNumber, pacer().now());
    if (m_pictures.isEmpty())
        checkSettled();
    else
        pacer().Kick();
}

bool ChatSession::resendPictureChunks()
{
    m_pictures.ResendPass(pacer().now());
    if (!m_pictures.isEmpty()) {
        pacer().Kick();
        return true;
    }
    checkSettled();
    return false;
}

void ChatSession::onPictureFinished(const PictureSendStats &s)
{
    emitEvent(s.complete ? QStringLiteral("PICTURESENT") : QStringLiteral("PICTUREDROPPED"),
        QStringLiteral("%1 chunks=%2 acked=%3 sent=%4 resent=%5 passes=%6 repairs=%7 ms=%8")
            .arg(PictureIdText(s.id))
            .arg(s.chunkCount)
            .arg(s.ackedCount)
            .arg(s.transmissions)
            .arg(s.resent)
            .arg(s.passes)
            .arg(s.repairs)
            .arg(s.elapsedMs));
}

void ChatSession::SendFace(const OutgoingPicture &picture)
{
    if (!m_services.engine || !m_peer || m_peer->extension == 0 || m_pictures.Contains(picture.id))
        return;
    std::optional<PicturePayload> payload;
    if (!picture.gifPath.isEmpty()) {
        const auto bytes = readPictureFile(picture.gifPath);
        if (bytes && !bytes->isEmpty())
            payload = PicturePayloads::GifPayload(*bytes);
    } else if (!picture.bitmap.isNull()) {
        const auto packing = m_peerReadsLzw ? PicturePayloads::Packing::LzwBelowThreshold
                                            : PicturePayloads::Packing::JpegOnly;
        payload = PicturePayloads::EncodeBitmap(picture.bitmap, m_config ? m_config->SendBmpZip != 0 : true, packing);
        // The sent picture stays in SendFace for the chat log.
        if (payload)
            keepPicture(picture);
    }
    if (!payload)
        return;
    const int chunkSize = PictureSender::ChunkSizeFromConfig(m_config ? m_config->BmpUdpSendSize : 512);
    auto sender = std::make_unique<PictureSender>(picture.id, payload->data, payload->kind, payload->compression, 0, 0,
        chunkSize, PictureSender::NetSend(m_services.engine->net(), m_peer->key));
    if (!sender->isValid())
        return;
    sender->setTries(PictureSender::TriesFromConfig(m_config ? m_config->BmpUdpTrys : 10));
    const bool large = payload->data.size() >= PicturePayloads::kLargeTransfer;
    const bool resend = sender->tries() > 0;
    // The chunks go out paced; without resends the picture leaves the table
    // (with its data) once they all went out.
    m_pictures.Add(std::move(sender), pacer().now());
    pacer().Kick();
    if (resend)
        m_timers.start(ChatTimerId::PictureChunks, kPictureResendMs);
    if (large && m_config && m_config->AutoMemMin)
        TrimWorkingSet();
}

QString ChatSession::keepPicture(const OutgoingPicture &picture) const
{
    if (picture.bitmap.isNull() || !picture.gifPath.isEmpty())
        return {};
    const PictureStore store(m_services.dataFolder);
    const QString kept = store.picturePath(PictureStore::sendFace(), picture.id, QStringLiteral("bmp"));
    // The bitmap as it goes to peers: a 24-bit DIB.
    if (QFileInfo::exists(kept)
        || (QDir().mkpath(store.folderPath(PictureStore::sendFace()))
            && SaveDibToFile(kept, BitmapToDib(picture.bitmap, {}, 24))))
        return kept;
    return {};
}

void ChatSession::keepOwnPictures(QList<OutgoingPicture> &pictures) const
{
    for (OutgoingPicture &picture : pictures)
        picture.keptPath = keepPicture(picture);
}

void ChatSession::SendPictures(const QList<OutgoingPicture> &pictures)
{
    for (const OutgoingPicture &picture : pictures)
        SendFace(picture);
}

// ---- the user -----------------------------------------------------------

void ChatSession::InputChanged(TypingState kind)
{
    SendReadNotice();
    if (!m_config || !m_config->ShowInputStatus || kind == TypingState::Idle)
        return;
    m_timers.start(ChatTimerId::TypingEnd, kTypingQuietMs);
    if (m_typing != kind && m_services.engine && m_peer) {
        sendToPeer(kind == TypingState::Drawing ? (CMD_TYPING | OPT_DRAWING) : CMD_TYPING, {});
    }
    m_typing = kind;
}

void ChatSession::resetTyping()
{
    m_timers.kill(ChatTimerId::TypingEnd);
    m_typing = TypingState::Idle;
}

// ---- sending ------------------------------------------------------------

SendOutcome ChatSession::Send(const OutgoingMessage &message)
{
    SendReadNotice();
    if (!m_services.engine || !m_peer)
        return SendOutcome::Refused;
    resetTyping();

    int files = 0, folders = 0;
    const QStringList checked = m_files->CheckedAttachments(&files, &folders);
    ComposeInput in;
    in.text = message.text;
    for (const OutgoingPicture &picture : message.pictures)
        in.pictureIds.append(picture.id);
    in.checkedFiles = files;
    in.checkedFolders = folders;
    in.peerSpeaksExtensions = m_peer->extension != 0;
    in.peerRefusesPictures = (m_peer->peerFlags & HostRecord::PeerRefusesPictures) != 0;
    in.ownFont = message.font;
    in.standardFont = m_standardFont;
    const ComposePlan plan = PlanOutgoingMessage(in);
    if (plan.action == ComposePlan::Action::PlainPeerPictures)
        return SendOutcome::PlainPeerPictures;
    if (plan.action == ComposePlan::Action::QuickReplies)
        return SendOutcome::QuickReplies;

    // A hidden user is unknown to a plain peer, which could not answer.
    if (m_peer->extension == 0 && m_config && (m_config->StatusValue & OwnStatus::Hidden))
        m_services.engine->AnswerEntry(m_peer->key, CMD_ANNOUNCE_ENTRY);

    SendOptions options;
    options.withPictures = plan.withPictures;
    CMsgSenderWnd *sender = SendMessageToPeers(plan.wireText, message.font, checked, options);
    if (!sender)
        return SendOutcome::Refused; // nothing is shown or logged, the input stays
    const QString time = TimeText();
    QList<OutgoingPicture> pictures = message.pictures;
    keepOwnPictures(pictures);
    if (!message.text.isEmpty())
        echoOwnMessage(
            { message.font, plan.echoText, ChatHistoryEntry::Source::OwnMessage, pictures }, sender->packetNumber());
    if (plan.selected > 0)
        AppendSystemText(ChatSendTexts::FilesSentNotice(m_peer->displayName, files, folders, time));
    if (plan.picturesRefused)
        AppendSystemText(ChatSendTexts::PicturesRefusedNotice());
    if (plan.withPictures)
        SendPictures(pictures);
    if (plan.selected > 0)
        m_files->AttachmentsSent();
    emit recentContact(m_peer.data());
    resetTyping();
    return SendOutcome::Sent;
}

void ChatSession::echoOwnMessage(const ChatHistoryEntry &entry, quint32 packetNumber)
{
    const QString header = ChatSendTexts::HeaderLine(m_services.engine->GetOwnDisplayName(), TimeText());
    appendHeader(header, kOwnHeaderColor);
    append(entry);
    if (m_services.chatLog)
        m_services.chatLog->LogSentChatMessage(peerLogEntry(entry.font, header + entry.text));
    emitEvent(QStringLiteral("SENT"), QString::number(packetNumber) + QLatin1Char(' ') + entry.text.trimmed());
}

bool ChatSession::SendPreparedMessage(const PreparedMessage &message)
{
    if (!m_services.engine || !m_peer || (message.text.isEmpty() && message.files.isEmpty()))
        return false;
    const bool speaks = m_peer->extension != 0;
    // The text as the peer's own window would send it: the font block at its
    // end, and only for a peer that reads it.
    QString wire = message.text;
    if (!message.text.isEmpty() && speaks && !IsSameChatFont(message.font, m_standardFont, true))
        wire += FormatFontPrefix(message.font);
    const bool withPictures = !message.pictures.isEmpty() && speaks
        && (m_peer->peerFlags & HostRecord::PeerRefusesPictures) == 0;
    if (!speaks && m_config && (m_config->StatusValue & OwnStatus::Hidden))
        m_services.engine->AnswerEntry(m_peer->key, CMD_ANNOUNCE_ENTRY);

    SendOptions options;
    options.multicast = message.multiSend;
    options.withPictures = withPictures;
    options.readNotice = message.requestReadNotice;
    CMsgSenderWnd *sender = SendMessageToPeers(wire, message.font, message.files, options);
    if (!sender)
        return false;
    QList<OutgoingPicture> pictures = message.pictures;
    keepOwnPictures(pictures);
    if (!message.text.isEmpty()) {
        // The text without its trailing blanks, indented as the window's own.
        QString shown = message.text;
        while (!shown.isEmpty() && shown.back().isSpace())
            shown.chop(1);
        const ChatHistoryEntry entry { message.font, QStringLiteral("  ") + shown + QLatin1Char('\n'),
            ChatHistoryEntry::Source::OtherWindowInput, pictures };
        echoOwnMessage(entry, sender->packetNumber());
    }
    if (!message.files.isEmpty())
        AppendSystemText(ChatSendTexts::FilesOfferedNotice(m_peer->displayName, message.fileCount, message.folderCount));
    if (withPictures)
        SendPictures(pictures);
    emit recentContact(m_peer.data());
    return true;
}

CMsgSenderWnd *ChatSession::SendMessageToPeers(
    const QString &text, const ChatFont &font, const QStringList &files, const SendOptions &sendOptions)
{
    if (!m_config || !m_services.engine)
        return nullptr;
    QObject *owner = m_view ? m_view->PromptOwner() : nullptr;
    QString *refusal = sendOptions.refusal;
    auto refuse = [owner, refusal](const QString &message, const QString &caption) -> CMsgSenderWnd * {
        if (refusal)
            *refusal = message;
        else
            Prompter::current().messageBox(owner, message, caption, Prompter::Buttons::Ok, Prompter::Icon::Warning);
        return nullptr;
    };
    if (!m_peer)
        return refuse(QStringLiteral("错误"), QStringLiteral("错误"));

    // The session keeps the sender: a message goes on being resent after its
    // window has closed, and the session stays while it does.
    auto *sender = new CMsgSenderWnd(*m_services.engine, m_services.keys, this);
    quint32 options = 0;
    if (m_requestReadNotice || sendOptions.readNotice)
        options |= OPT_READ_CHECK | OPT_SECRET;
    if (sendOptions.multicast)
        options |= OPT_MULTICAST;
    if (sendOptions.privateFlag)
        options |= OPT_AUTO_SEND;
    if (!sender->SetMessage(text, font, options, m_config)) {
        const QString why = sender->errorText();
        delete sender;
        return refuse(why, QStringLiteral("提示"));
    }
    sender->AddRecipient(m_peer.data());
    sender->AllocDestinations();
    if (!files.isEmpty())
        sender->SetFiles(files);
    // A destination whose encryption fails is told to the user before its
    // message goes out plain.
    // Only a failure while the user's own send starts is asked about; one
    // when the peer's key arrives later (a packet) goes to the history.
    auto starting = std::make_shared<bool>(!refusal);
    sender->setEncryptionFailureHandler([this, starting](HostRecord *, const CryptFailure &failure) {
        if (*starting)
            ShowLastErrorBox(failure.call, m_view ? m_view->PromptOwner() : nullptr, int(failure.code));
        else
            AppendSystemText(LastErrorText(failure.call, int(failure.code)));
        emitEvent(QStringLiteral("PLAIN"), failure.call);
    });
    const CMsgSenderWnd::Status status = sender->StartSending(sendOptions.withPictures);
    *starting = false;
    if (status != CMsgSenderWnd::Status::Ok) {
        const QString why = sender->errorText();
        delete sender;
        const QString caption = status == CMsgSenderWnd::Status::Busy ? QCoreApplication::applicationName()
                                                                      : QStringLiteral("提示");
        return refuse(why, caption);
    }
    connect(sender, &CMsgSenderWnd::sendFailed, this, [this](const QStringList &names) {
        AppendSystemText(CMsgSenderWnd::FailureText(names));
    });
    connect(sender, &CMsgSenderWnd::finished, this, &ChatSession::onSenderFinished);
    m_senders.removeAll(nullptr);
    m_senders.append(sender);
    if (!files.isEmpty()) {
        m_ourOffers.append(sender->packetNumber());
        // The send list shows each item until the peer has it.
        if (const FileOffer *offer = m_services.engine->fileOffers().FindOffer(sender->packetNumber()))
            m_files->AddOutgoing(offer->packetNumber, offer->entries);
    }
    emit messageSent(sender->packetNumber(), sender->commandWord());
    return sender;
}

QList<CMsgSenderWnd *> ChatSession::activeSenders() const
{
    QList<CMsgSenderWnd *> out;
    for (const QPointer<CMsgSenderWnd> &sender : m_senders) {
        if (sender && !sender->isFinished())
            out.append(sender.data());
    }
    return out;
}

void ChatSession::onSenderFinished()
{
    // The sender deletes itself later: it no longer counts.
    QMetaObject::invokeMethod(this, &ChatSession::checkSettled, Qt::QueuedConnection);
}

// ---- the timers' host ---------------------------------------------------

bool ChatSession::isHidden() const
{
    return !m_view || !m_view->IsShown();
}

void ChatSession::sendToPeer(quint32 command, const QByteArray &body)
{
    if (m_services.engine && m_peer)
        m_services.engine->net().SendToHost(m_peer->key, command, body);
}

void ChatSession::AnswerCommand(quint32 command)
{
    if (m_services.engine && m_peer)
        m_services.engine->SendAnswer(m_peer->key, command, {});
}

void ChatSession::sendRaw(const QByteArray &packet)
{
    if (m_services.engine && m_peer)
        m_services.engine->net().SendRawText(m_peer->key.address, m_peer->key.port, packet);
}

void ChatSession::notice(const QString &text)
{
    AppendSystemText(text);
}

void ChatSession::bringToFront()
{
    if (m_view)
        m_view->BringToFront(true);
}

void ChatSession::sendDone()
{
    checkSettled();
}

void ChatSession::refreshTitle()
{
    if (m_view)
        m_view->PeerChanged();
}

bool ChatSession::freesOnClose() const
{
    return !m_config || m_config->CloseDialogDeleteRes != 0;
}

void ChatSession::navigateSidePane()
{
    if (m_view)
        m_view->NavigateSidePane();
}

int ChatSession::assistanceState() const
{
    return m_requests->shared().isOwner(RemoteRequests::Kind::Assistance, this)
        ? m_requests->shared().state(RemoteRequests::Kind::Assistance)
        : 0;
}

void ChatSession::clearAssistanceState()
{
    m_requests->shared().Reset(RemoteRequests::Kind::Assistance);
    m_requests->shared().Reset(RemoteRequests::Kind::Control);
}

int ChatSession::voiceState() const
{
    return m_requests->shared().isOwner(RemoteRequests::Kind::Voice, this)
        ? m_requests->shared().state(RemoteRequests::Kind::Voice)
        : 0;
}

void ChatSession::clearVoiceState()
{
    m_requests->shared().StopVoice();
}

void ChatSession::updateActivity()
{
    const bool waits = m_requests->waitsForPeer();
    if (waits == m_timers.isRunning(ChatTimerId::Activity))
        return;
    if (waits) {
        m_timers.start(ChatTimerId::Activity, kActivityMs);
        return;
    }
    m_timers.kill(ChatTimerId::Activity);
    m_activityMarks = 0;
    if (m_view)
        m_view->ActivityChanged(0);
}

void ChatSession::activityTick()
{
    // One more mark each tick; after the ninth the area is cleared.
    m_activityMarks = (m_activityMarks + 1) % 10;
    if (m_view)
        m_view->ActivityChanged(m_activityMarks);
}

bool ChatSession::OnSendConfirmed(quint32 address, quint16 port, quint32 packetNumber)
{
    return m_timers.OnSendConfirmed(address, port, packetNumber);
}

// ---- closing ------------------------------------------------------------

bool ChatSession::peerFetchesOurFiles() const
{
    if (!m_services.engine)
        return false;
    for (const quint32 packetNumber : m_ourOffers) {
        if (m_services.engine->fileOffers().FindOffer(packetNumber))
            return true;
    }
    return false;
}

bool ChatSession::hasPendingWork() const
{
    return !activeSenders().isEmpty() || !m_pictures.isEmpty() || m_files->isReceiving() || m_files->hasWaitingOffers()
        || m_timers.isRunning(ChatTimerId::RawResend) || peerFetchesOurFiles() || m_requests->hasPendingRequest();
}

ChatCloseDecision ChatSession::DecideClose() const
{
    const bool keptByMainWindow = m_kept && m_kept(*this);
    ChatCloseState state;
    state.offeredRowsWaiting = m_files->hasWaitingOffers() || m_files->isReceiving();
    state.freeOnClose = freesOnClose();
    state.allReceipts = activeSenders().isEmpty() && !m_timers.isRunning(ChatTimerId::RawResend);
    state.picturesComplete = m_pictures.isEmpty();
    state.keptByMainWindow = keptByMainWindow;
    state.peerFetchingOurFiles = peerFetchesOurFiles();
    state.trimOnHide = !m_config || m_config->AutoMemMin != 0;
    state.clearOnClose = m_config && m_config->CloseClearContent != 0;
    return DecideChatClose(state);
}

void ChatSession::checkSettled()
{
    if (hasPendingWork())
        return;
    // A window that the user closed while something was pending goes now.
    if (m_view && m_closeDeferred && !m_view->IsShown() && DecideClose().destroy)
        m_view->Dispose();
    emit settled(this);
}

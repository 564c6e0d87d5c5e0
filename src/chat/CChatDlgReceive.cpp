// The receive road of the chat window: a received message taken in
// (decrypted, its offered files decoded), blocked by a spam rule or shown and
// logged; read notices both ways; pictures that arrive later.
#include "chat/CChatDlg.h"
#include "chat/CChatFilePanel.h"

#include "chat/CMsgRichEdit.h"
#include "chat/ChatPeer.h"
#include "chat/ReceivedMessagePlan.h"
#include "controls/HeadIcons.h"
#include "core/CConfig.h"
#include "core/Gbk.h"
#include "core/SizeFormat.h"
#include "net/ChatLogWriter.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/KeyExchange.h"
#include "net/MessengerEngine.h"

#include <QAbstractButton>
#include <QTreeWidget>

void CChatDlg::TakeReceivedMessage(const PacketRecord &packet)
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

bool CChatDlg::ShowReceivedMessage(bool filterFlag, bool notify)
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
        in.files.append({entry.name, entry.kind() == FILE_ATTR_FOLDER});
    in.applyRules = m_config && filterFlag;
    if (m_config)
        in.rules = m_config->SpamRules;
    in.notify = notify;
    in.nick = m_peer->displayName;
    in.hostName = m_peer->key.hostName();
    in.address = m_peer->key.address;
    in.time = timeText();
    const ReceivedPlan plan = PlanReceivedMessage(in);
    const int headImage = PeerHeadImage(*m_peer, HeadImage::Count);

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
            releaseOffer();
        if (!plan.autoReply.isEmpty())
            sendAutoReply(plan.autoReply);
        emitEvent(QStringLiteral("BLOCKED"), QString::number(plan.rule));
        return false;
    }

    emit recentContact(m_peer.data());
    if (!plan.senderLine.isEmpty()) {
        ChatFont headerFont = m_standardFont;
        headerFont.color = kPeerHeaderColor;
        AppendToHistory(plan.senderLine, headerFont, ReceivedMessage);
        const int start = m_history->document()->characterCount() - 1;
        AppendMarkedUpText(plan.shownText, ReceivedMessage);
        logReceived(plan.logBody.trimmed(), plan.logFont);
        const ChatFont &f = plan.logFont;
        emitEvent(QStringLiteral("SHOWN"),
            QStringLiteral("%1,%2,%3,%4 ").arg(f.faceName).arg(f.height).arg(f.weight).arg(f.color, 6, 16, QLatin1Char('0'))
                + (m_received.mode ? QStringLiteral("mode=%1 ").arg(m_received.mode, 0, 16) : QString())
                + historyTextFrom(start).trimmed());
    }
    if (!plan.offerNotice.isEmpty()) {
        AppendSystemText(plan.offerNotice);
        listOfferedFiles(m_received.files);
    }
    if (plan.queueReadNotice)
        m_readNotices.Add(packet.packetNumber, packet.commandWord);
    if (plan.showTip)
        emit tipRequested(plan.tipTitle, plan.tipText, headImage, PeerLinkTag(*m_peer));
    emit messageShown(this);
    return true;
}

ChatLogEntry CChatDlg::peerLogEntry(const ChatFont &font, const QString &text) const
{
    ChatLogEntry entry;
    entry.userName = m_peer->displayName;
    entry.groupName = LogGroupName(*m_peer);
    entry.loginName = m_peer->key.loginName();
    entry.hostName = m_peer->key.hostName();
    entry.macText = m_peer->keyText;
    entry.address = m_peer->key.address;
    entry.port = m_peer->key.port;
    entry.font = font;
    entry.text = text;
    return entry;
}

void CChatDlg::logReceived(const QString &text, const ChatFont &font)
{
    if (m_services.chatLog && m_peer)
        m_services.chatLog->LogChatMessage(peerLogEntry(font, text));
}

void CChatDlg::logOwnMessage(const QString &header, const QString &text)
{
    if (m_services.chatLog && m_peer)
        m_services.chatLog->LogSentChatMessage(peerLogEntry(m_ownFont, header + text));
}

void CChatDlg::listOfferedFiles(const DecodedFileList &files)
{
    if (m_files && !files.empty())
        m_files->AddReceivedOffer(m_received.packet.packetNumber, files);
}

void CChatDlg::releaseOffer()
{
    if (m_services.engine && m_peer)
        m_services.engine->net().SendNumber(*m_peer, CMD_RELEASE_FILES, m_received.packet.packetNumber);
}

void CChatDlg::sendAutoReply(const QString &text)
{
    // Its own packet number, no receipt asked for, no resends: the user's own
    // message and its resends are not touched.
    if (m_services.engine && m_peer)
        m_services.engine->net().SendTextToHost(m_peer->key, CMD_SEND_MESSAGE | OPT_AUTO_RETURN, text);
}

void CChatDlg::SendReadNotice()
{
    if (m_readNotices.isEmpty())
        return;
    const auto pending = m_readNotices.Take(!m_config || m_config->SendOpenMsg != 0);
    if (!pending || !m_services.engine || !m_peer)
        return;
    m_services.engine->net().SendToHost(m_peer->key, CMD_MESSAGE_OPENED | (pending->commandWord & OPT_READ_CHECK),
        QByteArray::number(pending->packetNumber));
    emitEvent(QStringLiteral("OPENED"), QString::number(pending->packetNumber));
}

void CChatDlg::ShowReadNotice(const QDateTime &when, quint32 packetNumber)
{
    if (!m_peer)
        return;
    const QString text = QStringLiteral("%1(%2)已打开您的消息.\n消息打开时间:%3\n\n对方IP:%4\n对方组名:%5(%6)")
                             .arg(m_peer->displayName, m_peer->key.hostName(),
                                 when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), DottedAddress(m_peer->key.address),
                                 m_peer->customGroup, m_peer->groupName);
    AppendSystemText(QStringLiteral("消息打开通知"));
    ChatFont font = m_standardFont;
    font.color = kNoticeColor;
    AppendToHistory(QStringLiteral("  ") + QString(text).replace(QLatin1Char('\n'), QStringLiteral("\n  ")) + QLatin1Char('\n'),
        font, ReceivedMessage);
    emitEvent(QStringLiteral("READNOTICE"), QString::number(packetNumber));
}

bool CChatDlg::ReplacePicturePlaceholder(quint32 id, const QImage &bitmap)
{
    return m_history && m_history->ReplacePicturePlaceholder(id, bitmap);
}

bool CChatDlg::ReplacePictureByFile(quint32 id, const QString &path)
{
    return m_history && m_history->ReplacePlaceholderByFile(id, path);
}

#include "chat/session/ChatRequests.h"

#include "chat/session/ChatPeer.h"
#include "chat/session/ChatSession.h"
#include "chat/session/ChatSessionView.h"
#include "chat/session/IncomingMessagePolicy.h"
#include "core/CConfig.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/MessengerEngine.h"
#include "net/PacketRecord.h"
#include "platform/MessageSound.h"

namespace {

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// What a kind of request is called in the lines of the peer's requests.
QString requestName(RemoteRequests::Kind kind)
{
    switch (kind) {
    case RemoteRequests::Kind::Assistance:
        return text("远程协助");
    case RemoteRequests::Kind::Control:
        return text("远程控制");
    case RemoteRequests::Kind::Voice:
        break;
    }
    return text("语音聊天");
}

quint32 refusalOf(RemoteRequests::Kind kind)
{
    switch (kind) {
    case RemoteRequests::Kind::Assistance:
        return CMD_ASSIST_REFUSED;
    case RemoteRequests::Kind::Control:
        return CMD_CONTROL_REFUSED;
    case RemoteRequests::Kind::Voice:
        break;
    }
    return CMD_VOICE_REFUSED;
}

int retryPeriod(const ChatSession &session)
{
    return session.config() ? session.config()->RETRYMSEC_STR : 1500;
}

} // namespace

ChatRequests::ChatRequests(ChatSession &session, RemoteRequests &shared)
    : QObject(&session)
    , m_session(session)
    , m_shared(shared)
{
    connect(&m_shared, &RemoteRequests::changed, this, &ChatRequests::changed);
}

// ---- helpers ------------------------------------------------------------

bool ChatRequests::owns(Kind kind) const
{
    return m_shared.isOwner(kind, &m_session);
}

bool ChatRequests::ownsConfirmed(Kind kind) const
{
    return owns(kind) && m_shared.isConfirmed(kind);
}

bool ChatRequests::hasPendingRequest() const
{
    return waitsForPeer() || m_incoming[0] || m_incoming[1] || m_incoming[2];
}

void ChatRequests::send(quint32 command)
{
    m_session.SendCommand(command);
}

void ChatRequests::notice(const QString &line)
{
    m_session.AppendSystemText(line);
}

bool ChatRequests::peerIsSelf() const
{
    const HostRecord *peer = m_session.peer();
    const MessengerEngine *engine = m_session.services().engine;
    if (!peer || !engine)
        return false;
    MessengerEngine &e = *m_session.services().engine;
    return peer->key.address == e.net().ownAddress() && peer->key.port == e.net().port();
}

bool ChatRequests::mayAsk(
    const QString &plainText, quint32 blockBit, const QString &blockedText, const QString &selfText)
{
    const HostRecord *peer = m_session.peer();
    if (!peer || !m_session.services().engine)
        return false;
    // A plain peer cannot take part.
    if (peer->extension == 0) {
        notice(plainText);
        return false;
    }
    if (blockBit && (peer->featureBlocks & blockBit)) {
        notice(blockedText);
        return false;
    }
    if (peerIsSelf()) {
        notice(selfText);
        return false;
    }
    return true;
}

// ---- the buttons --------------------------------------------------------

void ChatRequests::OnAssistance()
{
    if (!mayAsk(text("对方正在使用飞鸽传书(IPMSG),无法进行协助连接!"), HostRecord::BlocksAssistance,
            text("对方屏蔽了远程协助功能。"), text("您不能和自己进行远程协助。")))
        return;
    if (m_shared.state(Kind::Assistance) == 0) {
        send(CMD_ASSIST_REQUEST);
        m_shared.Start(Kind::Assistance, &m_session);
        m_session.timers().start(ChatTimerId::Assistance, retryPeriod(m_session));
        notice(text("您请求了对方远程协助,正等待对方同意,如果要取消,请点击上面的取消协助按钮."));
        return;
    }
    // The window's own request, confirmed or still on its way, is withdrawn.
    if (owns(Kind::Assistance)) {
        CancelAssistance();
        return;
    }
    notice(text("您已经和另外一个用户在进行远程协助请求."));
}

void ChatRequests::CancelAssistance()
{
    send(CMD_ASSIST_CANCELLED);
    m_session.timers().kill(ChatTimerId::Assistance);
    m_shared.Reset(Kind::Assistance);
    m_shared.Reset(Kind::Control);
    notice(text("您取消了远程协助请求。"));
}

void ChatRequests::OnControl()
{
    const HostRecord *peer = m_session.peer();
    if (!peer || !m_session.services().engine || !m_session.config())
        return;
    if (m_shared.state(Kind::Control) == 0) {
        send(CMD_CONTROL_REQUEST);
        m_shared.Start(Kind::Control, &m_session);
        notice(text("您请求了对方远程控制,正等待对方同意,如果要取消,请点击上面的取消控制按钮."));
        return;
    }
    if (owns(Kind::Control)) {
        send(CMD_CONTROL_CANCELLED);
        m_shared.Reset(Kind::Control);
        notice(text("您取消了远程控制请求。"));
        return;
    }
    notice(text("您已经和另外一个用户在进行远程协助请求."));
}

void ChatRequests::OnVoice()
{
    if (!mayAsk(text("对方正在使用飞鸽传书(IPMSG),无法进行与您进行语音聊天!"), HostRecord::BlocksVoice,
            text("对方屏蔽了语音聊天功能。"), text("您不能和自己进行语音聊天。")))
        return;
    if (!m_shared.hasVoiceDevice()) {
        notice(text("无语音设备!"));
        return;
    }
    if (m_shared.state(Kind::Voice) == 0 && !m_shared.voiceSession()) {
        send(CMD_VOICE_REQUEST);
        m_shared.Start(Kind::Voice, &m_session);
        m_session.timers().start(ChatTimerId::Voice, retryPeriod(m_session));
        notice(text("您请求了与对方进行语音聊天,正等待对方同意,如果要取消,请点击上面的取消语聊按钮."));
        return;
    }
    if (owns(Kind::Voice)) {
        CancelVoice();
        return;
    }
    notice(text("您已经和另外一个用户在进行语音聊天."));
}

void ChatRequests::CancelVoice()
{
    send(CMD_VOICE_CANCELLED);
    m_session.timers().kill(ChatTimerId::Voice);
    m_shared.StopVoice();
    notice(text("您取消了这次语音聊天。"));
}

void ChatRequests::OnShake()
{
    const HostRecord *peer = m_session.peer();
    if (!peer || !m_session.config() || !m_session.services().engine)
        return;
    const qint64 now = m_session.timers().now();
    if (!m_shakeRate.MaySend(now)) {
        notice(text("您不能频繁地发送闪屏振动。"));
        return;
    }
    m_shakeRate.Sent(now);
    if (peer->extension == 0) {
        notice(text("对方正在使用飞鸽,不能收到您的闪屏振动!"));
        return;
    }
    send(CMD_SCREEN_SHAKE);
    m_shared.AddShakenPeer(peer->keyText);
    notice(text("您给对方发送了一个闪屏振动。"));
}

QString ChatRequests::assistanceCaption() const
{
    return ownsConfirmed(Kind::Assistance) ? text("取消协助") : text("远程协助");
}

QString ChatRequests::controlCaption() const
{
    return ownsConfirmed(Kind::Control) ? text("取消控制") : text("申请控制");
}

bool ChatRequests::controlEnabled() const
{
    // Control is asked for within a confirmed assistance.
    return ownsConfirmed(Kind::Assistance) || owns(Kind::Control);
}

QString ChatRequests::voiceCaption() const
{
    return ownsConfirmed(Kind::Voice) ? text("取消语聊") : text("语音聊天");
}

// ---- what arrives -------------------------------------------------------

bool ChatRequests::OnPacket(const PacketRecord &packet, bool quiet)
{
    const quint32 command = packet.command();
    switch (command) {
    case CMD_VOICE_REQUEST:
        takeRequest(Kind::Voice, CMD_VOICE_ASKING, quiet);
        return true;
    case CMD_ASSIST_REQUEST:
        takeRequest(Kind::Assistance, CMD_ASSIST_ASKING, quiet);
        return true;
    case CMD_CONTROL_REQUEST:
        takeRequest(Kind::Control, CMD_CONTROL_ASKING, quiet);
        return true;
    case CMD_SCREEN_SHAKE:
        takeShake(false);
        return true;
    case CMD_SHAKE_ACK:
        takeShake(true);
        return true;
    default:
        break;
    }
    if ((command >= CMD_VOICE_ANSWER_FIRST && command <= CMD_VOICE_ANSWER_LAST)
        || (command >= CMD_ASSIST_ANSWER_FIRST && command <= CMD_ASSIST_ANSWER_LAST)) {
        takeAnswer(command);
        return true;
    }
    return false;
}

void ChatRequests::takeRequest(Kind kind, quint32 confirm, bool quiet)
{
    // The peer hears that its request reached us (so that it stops resending
    // and may withdraw it); the refusal follows at the user's next action.
    m_session.AnswerCommand(confirm);
    if (m_incoming[size_t(kind)])
        return;
    m_incoming[size_t(kind)] = true;
    m_noticed[size_t(kind)] = !quiet;
    if (quiet)
        return;
    const HostRecord *peer = m_session.peer();
    const QString who = peer ? peer->displayName : QString();
    QString line;
    if (kind == Kind::Assistance)
        line = text("%1请求您远程协助。本程序不能进行远程协助,将拒绝这次请求。").arg(who);
    else if (kind == Kind::Control)
        line = text("%1请求远程控制。本程序不能进行远程控制,将拒绝这次请求。").arg(who);
    else
        line = text("%1请求与您进行语音聊天。本程序不能进行语音聊天,将拒绝这次请求。").arg(who);
    notice(line);
}

void ChatRequests::RefuseIncoming(bool show)
{
    for (const Kind kind : { Kind::Assistance, Kind::Control, Kind::Voice }) {
        if (!m_incoming[size_t(kind)])
            continue;
        m_incoming[size_t(kind)] = false;
        send(refusalOf(kind));
        if (show)
            notice(text("您拒绝了对方的%1请求。").arg(requestName(kind)));
    }
}

void ChatRequests::endAssistance(const QString &line)
{
    m_session.timers().kill(ChatTimerId::Assistance);
    m_shared.Reset(Kind::Assistance);
    m_shared.Reset(Kind::Control);
    notice(line);
}

void ChatRequests::takeAnswer(quint32 command)
{
    // The peer withdrew a request it made of us.
    const auto withdrawn = [this](Kind kind) {
        if (!m_incoming[size_t(kind)])
            return false;
        m_incoming[size_t(kind)] = false;
        if (m_noticed[size_t(kind)])
            notice(text("对方取消了%1请求。").arg(requestName(kind)));
        return true;
    };
    if (command >= CMD_VOICE_ANSWER_FIRST && command <= CMD_VOICE_ANSWER_LAST) {
        if (command == CMD_VOICE_CANCELLED && withdrawn(Kind::Voice))
            return;
        if (!owns(Kind::Voice))
            return; // an answer to no request of ours
        switch (command) {
        case CMD_VOICE_ASKING:
            m_session.timers().kill(ChatTimerId::Voice);
            m_shared.Confirm(Kind::Voice);
            break;
        case CMD_VOICE_ACCEPTED:
            // No voice here: the accepted chat ends at once.
            send(CMD_VOICE_CANCELLED);
            m_session.timers().kill(ChatTimerId::Voice);
            m_shared.StopVoice();
            notice(text("对方同意了语音聊天,但本程序不能进行语音聊天,语音聊天已结束。"));
            break;
        case CMD_VOICE_REFUSED:
            m_session.timers().kill(ChatTimerId::Voice);
            m_shared.StopVoice();
            notice(text("对方拒绝了您的语音聊天请求。"));
            break;
        default: // cancelled or ended by the peer
            m_session.timers().kill(ChatTimerId::Voice);
            m_shared.StopVoice();
            notice(text("对方取消了这次语音聊天。"));
            break;
        }
        return;
    }
    // Remote assistance and control.
    if (command == CMD_ASSIST_CANCELLED && withdrawn(Kind::Assistance)) {
        m_incoming[size_t(Kind::Control)] = false;
        return;
    }
    if (command == CMD_CONTROL_CANCELLED && withdrawn(Kind::Control))
        return;
    switch (command) {
    case CMD_CONTROL_ASKING:
        if (owns(Kind::Control))
            m_shared.Confirm(Kind::Control);
        return;
    case CMD_CONTROL_ACCEPTED:
        if (owns(Kind::Control)) {
            send(CMD_CONTROL_CANCELLED);
            m_shared.Reset(Kind::Control);
            notice(text("对方同意了远程控制,但本程序不能进行远程控制,远程控制已结束。"));
        }
        return;
    case CMD_CONTROL_REFUSED:
    case CMD_CONTROL_CANCELLED:
        if (owns(Kind::Control)) {
            m_shared.Reset(Kind::Control);
            notice(command == CMD_CONTROL_REFUSED ? text("对方拒绝了您的远程控制请求。")
                                                  : text("对方取消了远程控制。"));
        }
        return;
    default:
        break;
    }
    if (!owns(Kind::Assistance))
        return;
    switch (command) {
    case CMD_ASSIST_ASKING:
        m_session.timers().kill(ChatTimerId::Assistance);
        m_shared.Confirm(Kind::Assistance);
        break;
    case CMD_ASSIST_ACCEPTED:
        send(CMD_ASSIST_CANCELLED);
        endAssistance(text("对方同意了远程协助,但本程序不能进行远程协助,远程协助已结束。"));
        break;
    case CMD_ASSIST_REFUSED:
        endAssistance(text("对方拒绝了您的远程协助请求。"));
        break;
    default: // cancelled or ended by the peer
        endAssistance(text("对方退出了远程协助或网络问题。"));
        break;
    }
}

void ChatRequests::takeShake(bool answer)
{
    const HostRecord *peer = m_session.peer();
    if (!peer)
        return;
    if (answer) {
        // Only from a peer we shook, once: our own window shakes with it.
        if (!m_shared.TakeShakenPeer(peer->keyText))
            return;
    } else {
        m_session.AnswerCommand(CMD_SHAKE_ACK);
        m_session.AppendNotice(text("闪 屏 振 动"), text("%1(%2)给您发了一个闪屏振动.\n\n对方IP:%3\n对方组名:%4(%5)")
                                                          .arg(peer->displayName, peer->key.hostName(),
                                                              DottedAddress(peer->key.address), peer->customGroup,
                                                              peer->groupName));
    }
    if (m_session.config()) {
        const IncomingMessagePolicy policy = IncomingMessagePolicy::For(*m_session.config(), *peer);
        if (policy.sound)
            MessageSound::current().Play(policy.soundFile);
    }
    if (ChatSessionView *view = m_session.EnsureView())
        view->ShakeWindow();
}

#include "chat/session/ChatTimers.h"

#include "chat/session/ChatPeer.h"
#include "net/Commands.h"
#include "net/HostRecord.h"

#include <QElapsedTimer>
#include <algorithm>
#include <memory>

ChatTimers::ChatTimers(ChatTimerHost &host, Clock clock)
    : m_host(host)
    , m_clock(std::move(clock))
{
    if (!m_clock) {
        auto elapsed = std::make_shared<QElapsedTimer>();
        elapsed->start();
        m_clock = [elapsed] { return elapsed->elapsed(); };
    }
}

qint64 ChatTimers::now() const
{
    return m_clock();
}

void ChatTimers::changed()
{
    if (m_scheduleChanged)
        m_scheduleChanged();
}

void ChatTimers::start(int id, int periodMs)
{
    const int period = qMax(1, periodMs);
    m_timers.insert(id, { period, now() + period });
    m_counters.remove(id);
    changed();
}

void ChatTimers::kill(int id)
{
    // Every timer's counter starts again from 0 once it stopped.
    m_counters.remove(id);
    if (m_timers.remove(id))
        changed();
}

int ChatTimers::period(int id) const
{
    const auto it = m_timers.constFind(id);
    return it == m_timers.constEnd() ? 0 : it->period;
}

std::optional<qint64> ChatTimers::nextDue() const
{
    std::optional<qint64> due;
    for (const Timer &t : m_timers) {
        if (!due || t.due < *due)
            due = t.due;
    }
    return due;
}

int ChatTimers::poll()
{
    const qint64 time = now();
    QList<std::pair<qint64, int>> due;
    for (auto it = m_timers.cbegin(); it != m_timers.cend(); ++it) {
        if (it->due <= time)
            due.append({ it->due, it.key() });
    }
    std::sort(due.begin(), due.end());
    int ran = 0;
    for (const auto &[when, id] : due) {
        auto it = m_timers.find(id);
        if (it == m_timers.end() || it->due != when)
            continue; // killed or restarted by an earlier tick
        it->due = time + it->period;
        tick(id);
        ++ran;
    }
    changed();
    return ran;
}

bool ChatTimers::nextRetry(int id, int limit)
{
    return m_counters[id]++ <= limit;
}

void ChatTimers::giveUp(int id, const QString &format)
{
    kill(id);
    const HostRecord *peer = m_host.peer();
    m_host.notice(format.arg(peer ? FormatHostDisplayName(*peer) : QString()));
}

void ChatTimers::tick(int id)
{
    using namespace ChatTimerId;
    switch (id) {
    case RawResend:
        tickRawResend();
        break;
    case Assistance:
        tickRequest(id, m_host.assistanceState() == int(CMD_ASSIST_REQUEST), CMD_ASSIST_REQUEST, {},
            QStringLiteral("给用户 %1 发送远程协助失败！可能用户已下线,或网络原因!"),
            [this] { m_host.clearAssistanceState(); });
        break;
    case Voice:
        tickRequest(id, m_host.voiceState() == int(CMD_VOICE_REQUEST), CMD_VOICE_REQUEST, {},
            QStringLiteral("给用户 %1 发送语音聊天请求失败！可能用户已下线,或网络原因!"),
            [this] { m_host.clearVoiceState(); });
        break;
    case ShareList:
        tickRequest(id, m_shareRequest == CMD_GET_SHARE_LIST, CMD_GET_SHARE_LIST, {},
            QStringLiteral("给用户 %1 请求共享文件信息失败！可能用户已下线,或网络原因!"),
            [this] { m_shareRequest = 0; });
        break;
    case SharePassword:
        tickRequest(id, m_shareRequest == CMD_GET_SHARE_LIST_PASSWORD, CMD_GET_SHARE_LIST_PASSWORD, m_sharePassword,
            QStringLiteral("给用户 %1 发送文件共享密码失败！可能用户已下线,或网络原因!"),
            [this] { m_shareRequest = 0; });
        break;
    case SidePane:
        tickSidePane();
        break;
    case TypingEnd:
        // One notice per burst of typing: the timer ends here, and typing
        // starts it again.
        kill(id);
        if (m_host.peer())
            m_host.sendToPeer(CMD_TYPING_STOPPED, {});
        m_host.typingEnded();
        break;
    case Probe:
        // Once per window: the peer answers with its current entry, and the
        // title shows it a moment later.
        kill(id);
        if (m_host.peer()) {
            m_host.sendToPeer(CMD_CHAT_PROBE, {});
            start(Title, 2000);
        }
        break;
    case Title:
        kill(id);
        if (m_host.peer())
            m_host.refreshTitle();
        break;
    case PictureChunks:
        if (!m_host.resendPictureChunks())
            kill(id);
        break;
    case PicturePlaceholders:
        if (!m_host.retryPicturePlaceholders())
            kill(id);
        break;
    case Activity:
        m_host.activityTick();
        break;
    default:
        break;
    }
}

void ChatTimers::tickRawResend()
{
    if (m_counters[ChatTimerId::RawResend]++ < 2 * m_retryMax)
        m_host.sendRaw(m_rawPacket);
    else
        kill(ChatTimerId::RawResend);
}

void ChatTimers::tickRequest(int id, bool pending, quint32 command, const QByteArray &body, const QString &giveUpFormat,
    const std::function<void()> &clearState)
{
    if (!pending) {
        kill(id);
    } else if (nextRetry(id, m_retryMax)) {
        m_host.sendToPeer(command, body);
    } else {
        clearState();
        giveUp(id, giveUpFormat);
    }
}

void ChatTimers::tickSidePane()
{
    if (m_host.freesOnClose()) {
        kill(ChatTimerId::SidePane);
        const HostRecord *peer = m_host.peer();
        const QString mac = peer ? peer->keyText : QString();
        if (!m_sidePaneShown || !m_sidePaneShown->contains(mac)) {
            m_host.navigateSidePane();
            if (m_sidePaneShown)
                m_sidePaneShown->insert(mac);
        }
    } else if (m_firstRefresh) {
        m_firstRefresh = false;
        start(ChatTimerId::SidePane, 3600000);
        m_host.navigateSidePane();
    } else if (m_host.isHidden()) {
        m_host.navigateSidePane();
    }
}

void ChatTimers::startRawResend(const QByteArray &packet, quint32 awaitedPacket, int periodMs)
{
    m_rawPacket = packet;
    m_awaitedPacket = awaitedPacket;
    start(ChatTimerId::RawResend, periodMs);
}

bool ChatTimers::OnSendConfirmed(quint32 address, quint16 port, quint32 packetNumber)
{
    const HostRecord *peer = m_host.peer();
    if (!peer || peer->key.address != address || peer->key.port != port || packetNumber != m_awaitedPacket)
        return false;
    kill(ChatTimerId::RawResend);
    if (m_host.isHidden())
        m_host.sendDone();
    return true;
}

void ChatTimers::startShareRequest(quint32 command, const QByteArray &password, int periodMs)
{
    m_shareRequest = command;
    m_sharePassword = password;
    start(command == CMD_GET_SHARE_LIST_PASSWORD ? ChatTimerId::SharePassword : ChatTimerId::ShareList, periodMs);
}

void ChatTimers::endShareRequest()
{
    m_shareRequest = 0;
    m_sharePassword.clear();
    kill(ChatTimerId::ShareList);
    kill(ChatTimerId::SharePassword);
}

ChatTimerDriver::ChatTimerDriver(ChatTimers &timers, QObject *parent)
    : QObject(parent)
    , m_timers(timers)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_timers.poll(); });
    m_timers.setScheduleChanged([this] { rearm(); });
    rearm();
}

ChatTimerDriver::~ChatTimerDriver()
{
    m_timers.setScheduleChanged({});
}

void ChatTimerDriver::rearm()
{
    const std::optional<qint64> due = m_timers.nextDue();
    if (!due) {
        m_timer.stop();
        return;
    }
    m_timer.start(int(qBound<qint64>(0, *due - m_timers.now(), qint64(24) * 3600 * 1000)));
}

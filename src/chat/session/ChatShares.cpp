#include "chat/session/ChatShares.h"

#include "chat/session/ChatSession.h"
#include "core/CConfig.h"
#include "core/Password.h"
#include "net/CMsgSenderWnd.h"
#include "net/Commands.h"
#include "net/MessengerEngine.h"
#include "net/PeerBounds.h"
#include "net/ShareList.h"

#include <QHostAddress>

ChatShares::ChatShares(ChatSession &session)
    : QObject(&session)
    , m_session(session)
{
}

int ChatShares::retryPeriod() const
{
    return m_session.config() ? m_session.config()->RETRYMSEC_STR : 1500;
}

bool ChatShares::waiting() const
{
    return m_session.timers().shareRequest() != 0;
}

bool ChatShares::OnSharesButton()
{
    const HostRecord *peer = m_session.peer();
    if (!peer || !m_session.services().engine)
        return false;
    if (peer->extension == 0) {
        // A plain peer has no shared files to offer.
        m_session.AppendSystemText(QStringLiteral("对方正在使用飞鸽传书(IPMSG),没有文件共享这功能!"));
        return false;
    }
    if (waiting())
        return false;
    m_password.clear();
    m_session.SendCommand(CMD_GET_SHARE_LIST);
    m_session.timers().startShareRequest(CMD_GET_SHARE_LIST, {}, retryPeriod());
    return true;
}

ChatShares::Answer ChatShares::TakeAnswer(const QString &body)
{
    if (!waiting())
        return Answer::Ignored;
    m_session.timers().endShareRequest();
    if (body == QLatin1String(ShareList::kNeedPassword))
        return Answer::NeedPassword;
    if (body == QLatin1String(ShareList::kWrongPassword)) {
        m_session.AppendSystemText(WrongPasswordText());
        return Answer::WrongPassword;
    }
    return Answer::List;
}

bool ChatShares::SendPassword(const QString &typed)
{
    if (!m_session.peer())
        return false;
    const std::optional<QByteArray> scrambled = ScrambleForField(typed);
    if (!scrambled) {
        m_session.AppendSystemText(UnsendablePasswordText());
        return false;
    }
    m_password = *scrambled;
    m_session.SendCommand(CMD_GET_SHARE_LIST_PASSWORD, m_password);
    m_session.timers().startShareRequest(CMD_GET_SHARE_LIST_PASSWORD, m_password, retryPeriod());
    return true;
}

bool ChatShares::SendDownloadRequest(const QByteArray &request)
{
    if (request.isEmpty() || !m_session.peer())
        return false;
    m_session.SendCommand(CMD_SHARE_DOWNLOAD, request);
    return true;
}

bool ChatShares::ServeShareDownload(const QStringList &paths)
{
    if (paths.isEmpty())
        return false;
    ChatSession::SendOptions options;
    options.privateFlag = true; // OPT_AUTO_SEND: the program sent it
    QString why;
    options.refusal = &why; // the peer asked: no box waits on the user
    if (m_session.SendMessageToPeers(QString(), ChatFont::standard(), paths, options))
        return true;
    const HostRecord *peer = m_session.peer();
    MessengerEngine *engine = m_session.services().engine;
    if (engine && peer)
        engine->Refuse(PeerRefusal::ShareUnsent, peer->key.address);
    if (!m_lastRefusalNotice.isValid() || m_lastRefusalNotice.elapsed() >= PeerBounds::kServeNoticeIntervalMs) {
        m_lastRefusalNotice.start();
        m_session.AppendSystemText(ServeRefusedText(why));
    }
    return false;
}

QString ChatShares::ServeRefusedText(const QString &why)
{
    return QStringLiteral("对方请求下载的共享文件未能发送: ") + why;
}

QString ChatShares::PeerTitle() const
{
    const HostRecord *peer = m_session.peer();
    return peer ? PeerTitle(*peer) : QString();
}

QString ChatShares::PeerTitle(const HostRecord &peer)
{
    return QStringLiteral("用户名:%1(主机:%2)IP地址:%3")
        .arg(peer.displayName, peer.key.hostName(), QHostAddress(peer.key.address).toString());
}

#include "net/RemoteRequests.h"

#include "net/Commands.h"

namespace {

int requestCommand(RemoteRequests::Kind kind)
{
    switch (kind) {
    case RemoteRequests::Kind::Assistance:
        return int(CMD_ASSIST_REQUEST);
    case RemoteRequests::Kind::Control:
        return int(CMD_CONTROL_REQUEST);
    case RemoteRequests::Kind::Voice:
        break;
    }
    return int(CMD_VOICE_REQUEST);
}

} // namespace

RemoteRequests::RemoteRequests(QObject *parent)
    : QObject(parent)
{
}

int RemoteRequests::state(Kind kind) const
{
    const Request &r = at(kind);
    return r.owner ? r.command : 0;
}

bool RemoteRequests::isOwner(Kind kind, const QObject *owner) const
{
    const Request &r = at(kind);
    return owner && r.command != 0 && r.owner == owner;
}

bool RemoteRequests::isConfirmed(Kind kind) const
{
    return state(kind) != 0 && at(kind).confirmed;
}

void RemoteRequests::Start(Kind kind, QObject *owner)
{
    m_requests[size_t(kind)] = { requestCommand(kind), owner, false };
    emit changed();
}

void RemoteRequests::Confirm(Kind kind)
{
    Request &r = m_requests[size_t(kind)];
    if (r.command == 0 || r.confirmed)
        return;
    r.confirmed = true;
    emit changed();
}

void RemoteRequests::Reset(Kind kind)
{
    Request &r = m_requests[size_t(kind)];
    if (r.command == 0 && !r.owner)
        return;
    r = Request();
    emit changed();
}

void RemoteRequests::setVoiceSession(bool running)
{
    if (m_voiceSession == running)
        return;
    m_voiceSession = running;
    emit changed();
}

void RemoteRequests::StopVoice()
{
    emit voiceStopRequested();
    m_voiceSession = false;
    m_requests[size_t(Kind::Voice)] = Request();
    emit changed();
}

void RemoteRequests::AddShakenPeer(const QString &keyText)
{
    const QString key = keyText.trimmed();
    if (!key.isEmpty())
        m_shaken.insert(key);
}

bool RemoteRequests::TakeShakenPeer(const QString &keyText)
{
    const QString key = keyText.trimmed();
    return !key.isEmpty() && m_shaken.remove(key);
}

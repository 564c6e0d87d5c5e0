#include "remote/CVoiceSession.h"

#include "net/RemoteRequests.h"

CVoiceSession::CVoiceSession(RemoteRequests &requests, QObject *parent)
    : QObject(parent)
    , m_requests(requests)
{
    connect(&m_requests, &RemoteRequests::voiceStopRequested, this, &CVoiceSession::Stop);
}

void CVoiceSession::Stop()
{
    m_transmitting = false;
    ++m_stops;
    m_requests.setVoiceSession(false);
}

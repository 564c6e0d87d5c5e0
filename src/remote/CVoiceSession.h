// The voice chat session of the program. Kwel carries no voice on Linux: no
// session ever starts, and Stop is what a chat window calls when the user
// cancels a voice chat or closes its window during one. It ends
// transmission and clears the program's voice session flag.
#pragma once

#include <QObject>

class RemoteRequests;

class CVoiceSession : public QObject
{
    Q_OBJECT
public:
    // The port voice travels on between peers.
    static constexpr quint16 kVoicePort = 2427;

    explicit CVoiceSession(RemoteRequests &requests, QObject *parent = nullptr);

    bool isTransmitting() const { return m_transmitting; }
    // Turns transmission off and closes the recorder, the sender, the
    // receiver and the player (none of which runs here).
    void Stop();
    int stops() const { return m_stops; }

private:
    RemoteRequests &m_requests;
    bool m_transmitting = false;
    int m_stops = 0;
};

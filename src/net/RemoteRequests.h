// The program-wide state of the requests this user makes to peers: one
// remote-assistance, one remote-control and one voice request at a time,
// whichever chat window made it, and the voice session flag; the peers that
// were sent a screen shake (their answer is taken only from them). Every
// chat session of the program shares one object; the application owns it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <array>
#include <functional>

class RemoteRequests : public QObject
{
    Q_OBJECT
public:
    enum class Kind { Assistance = 0, Control = 1, Voice = 2 };

    explicit RemoteRequests(QObject *parent = nullptr);

    // 0, or the request command (0xb0, 0xb5, 0xa0) while a request of that
    // kind is pending. A request whose owner has gone counts as none.
    int state(Kind kind) const;
    // The conversation (a chat session) that made the pending request.
    bool isOwner(Kind kind, const QObject *owner) const;
    // The peer said that its user is being asked.
    bool isConfirmed(Kind kind) const;

    // A request of the owner went out.
    void Start(Kind kind, QObject *owner);
    void Confirm(Kind kind);
    // The request is cancelled, refused, answered or given up.
    void Reset(Kind kind);

    bool voiceSession() const { return m_voiceSession; }
    void setVoiceSession(bool running);
    // Stops the voice session (its owner hears voiceStopRequested) and
    // resets both voice states.
    void StopVoice();

    // A screen shake went to the peer with that key text; its answer is
    // taken once.
    void AddShakenPeer(const QString &keyText);
    bool TakeShakenPeer(const QString &keyText);

    // Whether the machine has a sound device for voice chat (the desktop's
    // audio devices by default in the program; true without a check).
    using DeviceCheck = std::function<bool()>;
    void setVoiceDeviceCheck(DeviceCheck check) { m_deviceCheck = std::move(check); }
    bool hasVoiceDevice() const { return !m_deviceCheck || m_deviceCheck(); }

signals:
    // A state changed: the windows show their buttons again.
    void changed();
    void voiceStopRequested();

private:
    struct Request
    {
        int command = 0;
        QPointer<QObject> owner;
        bool confirmed = false;
    };
    const Request &at(Kind kind) const { return m_requests[size_t(kind)]; }

    std::array<Request, 3> m_requests;
    bool m_voiceSession = false;
    QSet<QString> m_shaken;
    DeviceCheck m_deviceCheck;
};

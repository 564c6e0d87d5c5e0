// The requests of one conversation beyond messages: remote assistance,
// remote control and voice chat asked of the peer (their states are the
// program's, shared by every chat session), the peer's answers, the requests
// the peer makes of us, and the screen shake both ways. Kwel shows no remote
// desktop and carries no voice: a request of the peer is answered that it
// reached the user and is refused at the user's next action in the window;
// a peer that accepts ours is told that it ends at once.
#pragma once

#include "chat/session/ShakeRules.h"
#include "net/RemoteRequests.h"

#include <QObject>
#include <QString>
#include <array>

class ChatSession;
struct PacketRecord;

class ChatRequests : public QObject
{
    Q_OBJECT
public:
    using Kind = RemoteRequests::Kind;

    ChatRequests(ChatSession &session, RemoteRequests &shared);

    // ---- the buttons ----
    void OnAssistance(); // 1029 "远程协助" / "取消协助"
    void OnControl(); // 1030 "申请控制" / "取消控制"
    void OnVoice(); // 1032 "语音聊天" / "取消语聊"
    void OnShake(); // 1084 "闪屏振动"

    // Captions and states of the buttons in this conversation's window.
    QString assistanceCaption() const;
    QString controlCaption() const;
    bool controlEnabled() const;
    QString voiceCaption() const;
    // The peer confirmed a request of this window (its button offers the cancel).
    bool assistanceRunning() const { return ownsConfirmed(Kind::Assistance); }
    bool voiceRunning() const { return ownsConfirmed(Kind::Voice); }
    // Something of this conversation waits for the peer.
    bool hasPendingRequest() const;
    // A request of this window waits for the peer's answer (the activity
    // indicator runs meanwhile).
    bool waitsForPeer() const { return owns(Kind::Assistance) || owns(Kind::Control) || owns(Kind::Voice); }

    // ---- closing the window while a request runs ----
    void CancelAssistance();
    void CancelVoice();

    // ---- what arrives ----
    // The peer's requests, answers and shakes (0xa0..0xa8, 0xb0..0xbc,
    // 0xd1, 0xd2); false for any other command. A quiet request is confirmed
    // and held without its notice (the peer asks too often), and so is its
    // withdrawal.
    bool OnPacket(const PacketRecord &packet, bool quiet = false);
    // The user acted in the window (the window tells; its coming forward is
    // no action): the peer's held requests are refused.
    void OnUserAction() { RefuseIncoming(true); }
    // Refuses the peer's held requests; with show, each refusal is a line
    // in the history.
    void RefuseIncoming(bool show);
    // The peer's requests waiting for that refusal.
    bool holdsIncoming(Kind kind) const { return m_incoming[size_t(kind)]; }

    RemoteRequests &shared() { return m_shared; }

signals:
    // The captions changed.
    void changed();

private:
    bool ownsConfirmed(Kind kind) const;
    bool owns(Kind kind) const;
    // The checks of a new request: false (and the reason shown) when it may not go.
    bool mayAsk(const QString &plainText, quint32 blockBit, const QString &blockedText, const QString &selfText);
    bool peerIsSelf() const;
    void send(quint32 command);
    void notice(const QString &text);
    void takeAnswer(quint32 command);
    void takeRequest(Kind kind, quint32 confirm, bool quiet);
    void takeShake(bool answer);
    void endAssistance(const QString &text);

    ChatSession &m_session;
    RemoteRequests &m_shared;
    ShakeRateRule m_shakeRate;
    std::array<bool, 3> m_incoming{}; // the peer's requests held for the refusal
    std::array<bool, 3> m_noticed{}; // ...and whether the user was told of them
};

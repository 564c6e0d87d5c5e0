// The typing notices of a chat window: the first change of the input box (or
// of the doodle board) in a burst tells the peer that the user types (or
// draws); every further change within the quiet time only restarts the
// timer; when the timer runs out the peer hears that the typing stopped.
// Sending the message ends the burst silently.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

class TypingNotifier : public QObject
{
    Q_OBJECT
public:
    enum State { Idle = 0, Typing = 1, Drawing = 2 };
    static constexpr int kQuietMs = 5000;
    // Sends one command word to the peer (CMD_TYPING, CMD_TYPING | OPT_DRAWING
    // or CMD_TYPING_STOPPED, empty body).
    using Send = std::function<void(quint32 commandWord)>;

    explicit TypingNotifier(Send send, int quietMs = kQuietMs, QObject *parent = nullptr);

    // A change of the input (drawing false) or of the board (true); nothing
    // happens while the user has switched the notices off.
    void Changed(bool enabled, bool drawing);
    // The message went out: stop the timer and forget the burst.
    void Reset();
    State state() const { return m_state; }
    bool isTimerActive() const { return m_timer.isActive(); }

private:
    void quiet();

    Send m_send;
    QTimer m_timer;
    State m_state = Idle;
};

#include "chat/TypingNotifier.h"

#include "net/Commands.h"

TypingNotifier::TypingNotifier(Send send, int quietMs, QObject *parent)
    : QObject(parent)
    , m_send(std::move(send))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(quietMs);
    connect(&m_timer, &QTimer::timeout, this, &TypingNotifier::quiet);
}

void TypingNotifier::Changed(bool enabled, bool drawing)
{
    if (!enabled)
        return;
    m_timer.start();
    const State wanted = drawing ? Drawing : Typing;
    if (m_state == wanted)
        return;
    m_state = wanted;
    m_send(drawing ? (CMD_TYPING | OPT_DRAWING) : CMD_TYPING);
}

void TypingNotifier::Reset()
{
    m_timer.stop();
    m_state = Idle;
}

void TypingNotifier::quiet()
{
    m_state = Idle;
    m_send(CMD_TYPING_STOPPED);
}

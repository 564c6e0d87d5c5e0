// Read notices for our messages that arrive while the peer has no chat
// window: kept without one (no session, no window), by the peer's address
// and port, and shown when the peer's window is next made. Bounded: beyond
// kCapacity (all peers together) the oldest go.
#pragma once

#include <QDateTime>
#include <deque>
#include <vector>

class HeldReadNotices
{
public:
    static constexpr qsizetype kCapacity = 1024;

    struct Notice
    {
        quint32 address = 0;
        quint16 port = 0;
        quint32 packetNumber = 0;
        QDateTime when; // when it arrived
    };

    void Add(const Notice &notice);
    // The peer's notices in the order they arrived; none are kept for it after.
    std::vector<Notice> Take(quint32 address, quint16 port);
    qsizetype count() const { return qsizetype(m_notices.size()); }

private:
    std::deque<Notice> m_notices;
};

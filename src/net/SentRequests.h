// Packets we sent that a peer's answer may name, by address and packet
// number: the messages asking for a read notice, the share password
// requests. Each is kept until a time (or for good), the oldest giving way
// beyond a bound, so what is kept never grows with what peers send.
#pragma once

#include <QtGlobal>
#include <deque>
#include <limits>

class SentRequests
{
public:
    explicit SentRequests(qsizetype bound);

    // Remembered until untilMs (once: a packet sent again keeps its place,
    // and the later time).
    void Add(quint32 address, quint32 packetNumber, qint64 untilMs = std::numeric_limits<qint64>::max());
    bool Contains(quint32 address, quint32 packetNumber, qint64 nowMs) const;
    // True once for a packet remembered: it is forgotten as it is taken.
    bool Take(quint32 address, quint32 packetNumber, qint64 nowMs);

private:
    struct Sent
    {
        quint32 address = 0;
        quint32 packetNumber = 0;
        qint64 until = 0;
    };
    std::deque<Sent>::const_iterator find(quint32 address, quint32 packetNumber, qint64 nowMs) const;

    qsizetype m_bound;
    std::deque<Sent> m_sent; // oldest first
};

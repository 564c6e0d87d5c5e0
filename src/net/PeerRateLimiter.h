// At most one event per peer (address and port) in each interval, for answers
// that a peer can provoke at will. The table is bounded: when it is full and
// nothing in it has expired, further peers are refused too.
#pragma once

#include <QHash>
#include <QtGlobal>

class PeerRateLimiter
{
public:
    PeerRateLimiter(qint64 intervalMs, qsizetype maxPeers);

    // True (and the time is noted) when the peer had no event within the
    // interval before nowMs (a monotonic clock in milliseconds).
    bool allow(quint32 address, quint16 port, qint64 nowMs);

private:
    void dropExpired(qint64 nowMs);

    qint64 m_interval;
    qsizetype m_maxPeers;
    QHash<quint64, qint64> m_last;
};

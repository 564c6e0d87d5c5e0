// At most one event per peer (address and port) and subject in each
// interval, for answers that a peer can provoke at will. The subject tells
// events of one peer apart (a command, a picture id; 0 when there is one
// kind). The table is bounded: when it is full and nothing in it has
// expired, further peers are refused too.
#pragma once

#include <QHash>
#include <QList>
#include <QtGlobal>

class PeerRateLimiter
{
public:
    PeerRateLimiter(qint64 intervalMs, qsizetype maxPeers);

    // True (and the time is noted) when the peer had no event of that
    // subject within the interval before nowMs (a monotonic clock in
    // milliseconds).
    bool allow(quint32 address, quint16 port, qint64 nowMs, quint32 subject = 0);

    // Milliseconds of the monotonic clock the callers share.
    static qint64 Now();

private:
    struct Key
    {
        quint32 address = 0;
        quint16 port = 0;
        quint32 subject = 0;
        bool operator==(const Key &) const = default;
    };
    friend size_t qHash(const Key &key, size_t seed) { return qHashMulti(seed, key.address, key.port, key.subject); }

    void dropExpired(qint64 nowMs);

    qint64 m_interval;
    qsizetype m_maxPeers;
    QHash<Key, qint64> m_last;
};

// At most `count` events in any period, whoever causes them (the chat
// windows that the network opens).
class RateBudget
{
public:
    RateBudget(int count, qint64 periodMs);
    // True (and the event is noted) when fewer than `count` events fell in
    // the period before nowMs.
    bool allow(qint64 nowMs);

private:
    int m_count;
    qint64 m_period;
    QList<qint64> m_times; // at most m_count, oldest first
};

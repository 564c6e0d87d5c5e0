#include "net/PeerRateLimiter.h"

#include <QElapsedTimer>

PeerRateLimiter::PeerRateLimiter(qint64 intervalMs, qsizetype maxPeers, int perInterval)
    : m_interval(intervalMs)
    , m_maxPeers(maxPeers)
    , m_perInterval(perInterval)
{
}

qint64 PeerRateLimiter::Now()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

bool PeerRateLimiter::allow(quint32 address, quint16 port, qint64 nowMs, quint32 subject)
{
    const Key key { address, port, subject };
    const auto it = m_last.find(key);
    if (it != m_last.end() && nowMs - it->start < m_interval) {
        if (it->count >= m_perInterval)
            return false;
        ++it->count;
        return true;
    }
    if (it == m_last.end() && m_last.size() >= m_maxPeers) {
        dropExpired(nowMs);
        if (m_last.size() >= m_maxPeers)
            return false;
    }
    m_last.insert(key, { nowMs, 1 });
    return true;
}

void PeerRateLimiter::dropExpired(qint64 nowMs)
{
    m_last.removeIf([&](const auto &entry) { return nowMs - entry.value().start >= m_interval; });
}

RateBudget::RateBudget(int count, qint64 periodMs)
    : m_count(count)
    , m_period(periodMs)
{
}

bool RateBudget::allow(qint64 nowMs)
{
    while (!m_times.isEmpty() && nowMs - m_times.first() >= m_period)
        m_times.removeFirst();
    if (m_times.size() >= m_count)
        return false;
    m_times.append(nowMs);
    return true;
}

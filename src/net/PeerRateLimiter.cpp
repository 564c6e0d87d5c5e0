#include "net/PeerRateLimiter.h"

#include <QElapsedTimer>

PeerRateLimiter::PeerRateLimiter(qint64 intervalMs, qsizetype maxPeers)
    : m_interval(intervalMs)
    , m_maxPeers(maxPeers)
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
    const auto it = m_last.constFind(key);
    if (it != m_last.cend() && nowMs - it.value() < m_interval)
        return false;
    if (it == m_last.cend() && m_last.size() >= m_maxPeers) {
        dropExpired(nowMs);
        if (m_last.size() >= m_maxPeers)
            return false;
    }
    m_last.insert(key, nowMs);
    return true;
}

void PeerRateLimiter::dropExpired(qint64 nowMs)
{
    m_last.removeIf([&](const auto &entry) { return nowMs - entry.value() >= m_interval; });
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

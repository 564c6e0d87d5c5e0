#include "net/PeerRateLimiter.h"

PeerRateLimiter::PeerRateLimiter(qint64 intervalMs, qsizetype maxPeers)
    : m_interval(intervalMs)
    , m_maxPeers(maxPeers)
{
}

bool PeerRateLimiter::allow(quint32 address, quint16 port, qint64 nowMs)
{
    const quint64 key = (quint64(address) << 16) | port;
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

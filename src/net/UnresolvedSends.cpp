#include "net/UnresolvedSends.h"

bool UnresolvedSends::Allow(quint32 address, qint64 bytes, qint64 nowMs, bool proven, const Socket &socket)
{
    const qint64 charge = Charge(bytes);
    if (!proven && socket.queuedBytes + charge > socket.bufferBytes / m_limits.shareDivisor)
        return false;
    auto it = m_windows.find(address);
    if (it == m_windows.end()) {
        // A full table is swept at most once a window: each address a forger
        // adds costs a look-up, never a pass over the table.
        if (m_windows.size() >= m_limits.addresses && (m_swept < 0 || nowMs - m_swept >= m_limits.windowMs)) {
            m_swept = nowMs;
            m_windows.removeIf([&](const auto &w) { return nowMs - w.value().start >= m_limits.windowMs; });
        }
        if (m_windows.size() >= m_limits.addresses)
            return false;
        it = m_windows.insert(address, { nowMs, 0 });
    } else if (nowMs - it->start >= m_limits.windowMs) {
        *it = { nowMs, 0 };
    }
    if (it->charged + charge > m_limits.perAddressBytes)
        return false;
    it->charged += charge;
    return true;
}

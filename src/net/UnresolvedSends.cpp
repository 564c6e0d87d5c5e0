#include "net/UnresolvedSends.h"

bool UnresolvedSends::Allow(quint32 address, qint64 bytes, qint64 nowMs, bool proven, const Socket &socket)
{
    const qint64 charge = Charge(bytes);
    if (!proven && socket.queuedBytes + charge > socket.bufferBytes / m_limits.shareDivisor)
        return false;
    return m_windows.Charge(address, charge, m_limits.perAddressBytes, nowMs);
}

#include "net/RecentPackets.h"

bool RecentPackets::Contains(quint32 packetNumber, quint32 address, quint16 port, quint64 bytesHash) const
{
    for (const Entry &e : m_ring)
        if (e.used && e.packetNumber == packetNumber && e.address == address && e.port == port
            && e.bytesHash == bytesHash)
            return true;
    return false;
}

void RecentPackets::Add(quint32 packetNumber, quint32 address, quint16 port, quint64 bytesHash)
{
    m_ring[m_next] = Entry{bytesHash, packetNumber, address, port, true};
    m_next = (m_next + 1) % kSize;
}

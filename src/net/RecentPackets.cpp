#include "net/RecentPackets.h"

bool RecentPackets::Contains(quint32 packetNumber, quint32 address, quint16 port) const
{
    for (const Entry &e : m_ring)
        if (e.used && e.packetNumber == packetNumber && e.address == address && e.port == port)
            return true;
    return false;
}

void RecentPackets::Add(quint32 packetNumber, quint32 address, quint16 port)
{
    m_ring[m_next] = Entry{packetNumber, address, port, true};
    m_next = (m_next + 1) % kSize;
}

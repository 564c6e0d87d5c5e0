// The packets handled last, so that a resent copy of a message is
// acknowledged again but handled only once.
#pragma once

#include <QtGlobal>
#include <array>

class RecentPackets
{
public:
    static constexpr int kSize = 256;

    bool Contains(quint32 packetNumber, quint32 address, quint16 port) const;
    void Add(quint32 packetNumber, quint32 address, quint16 port);

private:
    struct Entry
    {
        quint32 packetNumber = 0;
        quint32 address = 0;
        quint16 port = 0;
        bool used = false;
    };
    std::array<Entry, kSize> m_ring{};
    int m_next = 0;
};

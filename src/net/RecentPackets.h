// The packets other than messages handled last, so that a copy of one (the
// same sender, packet number and bytes) is handled only once. A packet that
// differs in anything but carries another's number hides nothing: only the
// very same packet counts as seen. Messages have their own memory per
// sender (RecentMessages).
#pragma once

#include <QtGlobal>
#include <array>

class RecentPackets
{
public:
    static constexpr int kSize = 256;

    bool Contains(quint32 packetNumber, quint32 address, quint16 port, quint64 bytesHash) const;
    void Add(quint32 packetNumber, quint32 address, quint16 port, quint64 bytesHash);

private:
    struct Entry
    {
        quint64 bytesHash = 0;
        quint32 packetNumber = 0;
        quint32 address = 0;
        quint16 port = 0;
        bool used = false;
    };
    std::array<Entry, kSize> m_ring{};
    int m_next = 0;
};

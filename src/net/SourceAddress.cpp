#include "net/SourceAddress.h"

namespace SourceAddress {

bool IsPeer(quint32 address, bool viaLoopback, const QList<Network> &ownNetworks)
{
    const quint32 top = address >> 24;
    // 0.0.0.0/8 ("this network"), 224.0.0.0/4 multicast, 240.0.0.0/4 with
    // the limited broadcast 255.255.255.255.
    if (top == 0 || top >= 224)
        return false;
    if (top == 127)
        return viaLoopback;
    for (const Network &own : ownNetworks) {
        const quint32 mask = own.netmask;
        if (mask == 0 || mask >= 0xFFFFFFFEu || (address & mask) != (own.address & mask))
            continue;
        const quint32 hostPart = address & ~mask;
        if (hostPart == 0 || hostPart == ~mask)
            return false;
    }
    return true;
}

} // namespace SourceAddress

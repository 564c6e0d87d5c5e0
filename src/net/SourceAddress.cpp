#include "net/SourceAddress.h"

#include <algorithm>

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
        if (mask >= 0xFFFFFFFEu || !InNetwork(address, own))
            continue;
        const quint32 hostPart = address & ~mask;
        if (hostPart == 0 || hostPart == ~mask)
            return false;
    }
    return true;
}

bool InNetwork(quint32 address, const Network &network)
{
    return network.netmask != 0 && (address & network.netmask) == (network.address & network.netmask);
}

bool OnNetwork(quint32 address, const QList<Network> &networks)
{
    return std::any_of(
        networks.cbegin(), networks.cend(), [address](const Network &network) { return InNetwork(address, network); });
}

} // namespace SourceAddress

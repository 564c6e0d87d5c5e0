// Which source addresses of a received datagram can be a peer's. The kernel
// hands over a forged source as it came: a datagram "from" 0.0.0.0 (which a
// broadcast may carry), from a multicast address, or from our own network's
// broadcast address would make every answer to it reach the local host or
// every host of the network. Such a datagram is dropped before anything else,
// so that nothing is ever answered there.
#pragma once

#include <QList>
#include <QtGlobal>

namespace SourceAddress {

// One of our own networks (host order).
struct Network
{
    quint32 address = 0;
    quint32 netmask = 0;
};

// True when a datagram from the address may be a peer's. viaLoopback: it
// came in on a loopback interface (a loopback source from any other
// interface came from the wire and is forged). The network and broadcast
// addresses of each own network are refused (not for /31 and /32 networks,
// whose every address is a host).
bool IsPeer(quint32 address, bool viaLoopback, const QList<Network> &ownNetworks);
// True when the address is on the network (its network and broadcast
// addresses too); a network without a mask holds nothing.
bool InNetwork(quint32 address, const Network &network);
// True when the address is on one of the networks.
bool OnNetwork(quint32 address, const QList<Network> &networks);

} // namespace SourceAddress

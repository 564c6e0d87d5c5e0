// What we send toward addresses whose neighbour the kernel has not resolved.
// Such a datagram waits in the kernel's queue for the neighbour (up to
// PeerBounds::kNeighbourResolveMs), charged to our socket's send buffer; a
// forger that takes an address no host holds makes every answer to it wait
// there, and once the buffer is full every send fails, to anyone. So toward
// one such address, whatever the port, at most kUnresolvedBytesPerAddress of
// the buffer goes in kNeighbourResolveMs; and toward all that never echoed
// our challenge only while the socket holds less than a part of its buffer
// (the caller reads what it holds from the kernel), so the rest stays for
// the peers that showed they exist.
#pragma once

#include "net/AddressWindows.h"
#include "net/PeerBounds.h"

#include <QtGlobal>

class UnresolvedSends
{
public:
    struct Limits
    {
        qint64 perAddressBytes = PeerBounds::kUnresolvedBytesPerAddress;
        qint64 windowMs = PeerBounds::kNeighbourResolveMs;
        int shareDivisor = PeerBounds::kUnresolvedShareDivisor;
        qsizetype addresses = PeerBounds::kUnresolvedAddresses;
    };
    struct Socket
    {
        qint64 queuedBytes = 0; // what the socket's send buffer holds now
        qint64 bufferBytes = 0; // its size
    };

    UnresolvedSends()
        : UnresolvedSends(Limits())
    {
    }
    explicit UnresolvedSends(const Limits &limits)
        : m_limits(limits)
        , m_windows(limits.windowMs, limits.addresses)
    {
    }

    // What a datagram of that many bytes takes of the send buffer.
    static qint64 Charge(qint64 bytes) { return bytes + PeerBounds::kDatagramOverheadBytes; }

    // True (and the datagram is counted) when a datagram of that many bytes
    // may go to the unresolved address now; `proven` addresses (they echoed
    // our challenge) are held to their own bound only.
    bool Allow(quint32 address, qint64 bytes, qint64 nowMs, bool proven, const Socket &socket);

private:
    Limits m_limits;
    AddressWindows m_windows;
};

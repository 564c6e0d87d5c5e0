// Own key pairs for the tests, made once per test program.
#pragma once

#include "net/HostRecord.h"
#include "net/OwnKeys.h"

namespace TestKeys {

// Two complete sets (512 and 1024 bits) and one with only the 512-bit pair.
inline const OwnKeyState &full(int which)
{
    static const OwnKeyState sets[2] = {
        { Crypto::RsaKeyPair::generate(512), Crypto::RsaKeyPair::generate(1024) },
        { Crypto::RsaKeyPair::generate(512), Crypto::RsaKeyPair::generate(1024) },
    };
    return sets[which];
}

inline OwnKeyState only512(int which)
{
    return { full(which).pair512, std::nullopt };
}

// The key a peer with these pairs hands out, as its record keeps it.
inline PeerPublicKey peerKey(const Crypto::RsaKeyPair &pair, quint32 capabilities)
{
    return { pair.publicKey().modulusLittleEndian(), pair.publicKey().exponent(), capabilities };
}

} // namespace TestKeys

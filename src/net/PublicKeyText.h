// The bodies of the public-key request and answer.
//
//   CMD_GET_PUBLIC_KEY (0x72): "%x"        the asker's capability word
//   CMD_PUBLIC_KEY     (0x73): "%x:%x-%s"  capability word, public exponent,
//                              modulus; all hexadecimal, the modulus two digits
//                              per byte, most significant byte first
//
// The modulus is kept in the peer's record least significant byte first, as
// a PUBLICKEYBLOB carries it. The parsers are pure functions over peer bytes.
#pragma once

#include "net/HostRecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace Crypto {
class RsaPublicKey;
}

enum class PublicKeyTextStatus {
    Ok,
    BadCapabilities, // not 1..8 hexadecimal digits before ':'
    BadExponent, // not 1..8 hexadecimal digits before '-'
    BadModulus, // not an even number of hexadecimal digits for 512..4096 bits
    BadKey, // a modulus or exponent that is no usable RSA key
};

QByteArray FormatPublicKeyRequest(quint32 capabilities);
// The asker's capability word: the leading 1..8 hexadecimal digits; none
// without digits or with more than 8.
std::optional<quint32> ParsePublicKeyRequest(QByteArrayView body);

QByteArray FormatPublicKeyAnswer(quint32 capabilities, const Crypto::RsaPublicKey &key);
// Fills `out` only when the whole body is a usable key.
PublicKeyTextStatus ParsePublicKeyAnswer(QByteArrayView body, PeerPublicKey &out);

// Feeds arbitrary bytes to the parsers of the public-key request and answer:
// nothing may crash, and an accepted answer is a usable key that formats back
// to an answer with the same fields.
#include "FuzzCheck.h"
#include "core/crypto/RsaKeys.h"
#include "net/PublicKeyText.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 1 << 14)
        return 0;
    const QByteArrayView input(data, qsizetype(size));

    ParsePublicKeyRequest(input);

    PeerPublicKey key;
    if (ParsePublicKeyAnswer(input, key) != PublicKeyTextStatus::Ok) {
        check(key.key.isEmpty());
        return 0;
    }
    check(key.key.size() >= Crypto::MinRsaBits / 8 && key.key.size() <= Crypto::MaxRsaBits / 8);
    const auto rsa = Crypto::RsaPublicKey::fromModulus(key.key, key.exponent);
    check(rsa.has_value());
    PeerPublicKey again;
    check(ParsePublicKeyAnswer(FormatPublicKeyAnswer(key.capabilities, *rsa), again) == PublicKeyTextStatus::Ok);
    check(again.key == key.key && again.exponent == key.exponent && again.capabilities == key.capabilities);
    return 0;
}

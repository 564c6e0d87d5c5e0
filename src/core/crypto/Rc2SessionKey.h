// RC2 session keys as CryptoAPI makes and uses them (CryptGenKey(CALG_RC2) of
// the base provider, CryptImportKey of a SIMPLEBLOB, CryptEncrypt/CryptDecrypt
// with the key's defaults):
//   - a new key has 40 bits: 5 random bytes of key material;
//   - a 40-bit key carries 11 bytes of zero salt, so the RC2 key schedule runs
//     over the 16 bytes key + salt, with 40 effective key bits;
//   - a key of 6..16 bytes has no salt and as many effective bits as key bits;
//   - CBC mode, all-zero IV, PKCS#5 padding (the final block is always padded).
// RC2 itself comes from OpenSSL's legacy provider (see CryptoProvider.h).
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace Crypto {

class Rc2SessionKey
{
public:
    static constexpr int DefaultKeyLength = 5;
    static constexpr int MinKeyLength = 5;
    static constexpr int MaxKeyLength = 16;
    static constexpr int SaltLength = 11;

    // False when the legacy provider (and with it RC2) is missing.
    static bool available();

    // A new random 40-bit key.
    static std::optional<Rc2SessionKey> generate();
    // A key from its material (5..16 bytes, as in a SIMPLEBLOB).
    static std::optional<Rc2SessionKey> fromKeyMaterial(QByteArrayView material);

    // What a SIMPLEBLOB carries: the key without its salt.
    QByteArray keyMaterial() const { return m_material; }
    // The bytes given to the RC2 key schedule (the material plus salt).
    QByteArray scheduleKey() const;
    int effectiveBits() const;

    std::optional<QByteArray> encrypt(QByteArrayView plain) const;
    // Nothing when the length is not a positive multiple of 8 or the padding is bad.
    std::optional<QByteArray> decrypt(QByteArrayView cipher) const;

private:
    explicit Rc2SessionKey(QByteArray material)
        : m_material(std::move(material))
    {
    }
    std::optional<QByteArray> run(QByteArrayView input, bool encrypting) const;

    QByteArray m_material;
};

} // namespace Crypto

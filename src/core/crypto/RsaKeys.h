// RSA exchange keys with CryptoAPI's conventions: PKCS#1 v1.5 encryption
// (block type 2) whose cipher text is written little-endian, i.e. reversed
// against the big-endian output of OpenSSL and of PKCS#1 itself; public keys
// travel as PUBLICKEYBLOB, session keys as SIMPLEBLOB (see CryptoBlobs.h).
#pragma once

#include "core/crypto/CryptoBlobs.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <memory>
#include <openssl/types.h>
#include <optional>

namespace Crypto {

// A peer's public key (CryptImportKey of a PUBLICKEYBLOB).
class RsaPublicKey
{
public:
    static std::optional<RsaPublicKey> fromBlob(QByteArrayView publicKeyBlob, BlobStatus *status = nullptr);
    static std::optional<RsaPublicKey> fromModulus(
        QByteArrayView modulusLittleEndian, std::uint32_t exponent, BlobStatus *status = nullptr);

    int bits() const { return m_bytes * 8; }
    int bytes() const { return m_bytes; }
    QByteArray modulusLittleEndian() const;
    std::uint32_t exponent() const;
    QByteArray toBlob() const;

    // CryptEncrypt with the key: at most bytes() - 11 plain bytes; the result
    // is bytes() long, little-endian.
    std::optional<QByteArray> encrypt(QByteArrayView plain) const;
    // CryptExportKey(SIMPLEBLOB) of a session key given by its key material.
    std::optional<QByteArray> exportSimpleBlob(std::uint32_t sessionAlgorithm, QByteArrayView keyMaterial) const;

    // The OpenSSL key, for code that talks to OpenSSL directly (tests, storage).
    EVP_PKEY *handle() const { return m_key.get(); }

private:
    RsaPublicKey(std::shared_ptr<EVP_PKEY> key, int bytes)
        : m_key(std::move(key))
        , m_bytes(bytes)
    {
    }
    friend class RsaKeyPair;

    std::shared_ptr<EVP_PKEY> m_key;
    int m_bytes = 0;
};

// One of the user's own exchange key pairs.
class RsaKeyPair
{
public:
    static constexpr std::uint32_t DefaultExponent = 65537;

    // A new pair of the given size (512 or 1024 for the chat messages) with
    // exponent 65537; nothing when the size is unsupported or generation fails.
    static std::optional<RsaKeyPair> generate(int bits);
    // A pair kept as unencrypted PKCS#8 PEM text; nothing unless it is an RSA
    // pair of MinRsaBits..MaxRsaBits whole bytes with a 32-bit exponent.
    static std::optional<RsaKeyPair> fromPem(QByteArrayView pem);
    QByteArray toPem() const;

    int bits() const { return m_public.bits(); }
    const RsaPublicKey &publicKey() const { return m_public; }
    QByteArray publicKeyBlob() const { return m_public.toBlob(); }

    // CryptDecrypt with the private key: the cipher text is little-endian and
    // exactly bytes() long; nothing when it does not decrypt.
    std::optional<QByteArray> decrypt(QByteArrayView cipherLittleEndian) const;
    // CryptImportKey of a SIMPLEBLOB encrypted with this pair: the session
    // key's material. Only CALG_RC2 keys (5..16 bytes) are known.
    std::optional<QByteArray> importSimpleBlob(
        QByteArrayView blob, std::uint32_t sessionAlgorithm, BlobStatus *status = nullptr) const;

    EVP_PKEY *handle() const { return m_public.handle(); }

private:
    explicit RsaKeyPair(RsaPublicKey key)
        : m_public(std::move(key))
    {
    }

    RsaPublicKey m_public;
};

} // namespace Crypto

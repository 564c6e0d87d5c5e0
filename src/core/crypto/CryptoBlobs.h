// CryptoAPI key blobs, byte for byte as the Windows peers write them: the
// PUBLICKEYBLOB of an RSA exchange key and the SIMPLEBLOB of a session key
// encrypted with such a key. All integers are little-endian.
//
//   BLOBHEADER  bType (1 byte), bVersion (1 byte, 2), reserved (16-bit, 0), aiKeyAlg (32-bit)
//   PUBLICKEYBLOB: BLOBHEADER {6, 2, 0, CALG_RSA_KEYX}, RSAPUBKEY {magic "RSA1", bitlen, pubexp},
//                  modulus (bitlen / 8 bytes, little-endian)
//   SIMPLEBLOB:    BLOBHEADER {1, 2, 0, session ALG_ID}, exchange ALG_ID (CALG_RSA_KEYX),
//                  the PKCS#1 v1.5 encrypted session key (modulus size, little-endian)
//
// The parsers are pure functions over peer bytes: they check every length and
// field before use and return a status.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

namespace Crypto {

constexpr std::uint8_t PUBLICKEYBLOB = 6;
constexpr std::uint8_t SIMPLEBLOB = 1;
constexpr std::uint8_t CUR_BLOB_VERSION = 2;
constexpr std::uint32_t CALG_RSA_KEYX = 0xA400;
constexpr std::uint32_t CALG_RC2 = 0x6602;
constexpr std::uint32_t RSA1_MAGIC = 0x31415352; // "RSA1"

constexpr int PublicKeyBlobHeaderSize = 20;
constexpr int SimpleBlobHeaderSize = 12;

// RSA sizes accepted from peers and for own keys (CryptoAPI's exchange keys
// were 512 or 1024 bits; the upper bound keeps the work per packet small).
constexpr int MinRsaBits = 512;
constexpr int MaxRsaBits = 4096;

enum class BlobStatus {
    Ok,
    TooShort,
    BadType,
    BadVersion,
    BadReserved,
    BadAlgorithm,
    BadMagic,
    BadBitLength,
    BadLength,
    BadExponent,
    BadModulus,
    BadKey, // the encrypted key does not decrypt, or decrypts to a key of a wrong size
};

struct PublicKeyBlobFields
{
    std::uint32_t bitLength = 0;
    std::uint32_t exponent = 0;
    QByteArray modulus; // little-endian, bitLength / 8 bytes
};

struct SimpleBlobFields
{
    std::uint32_t sessionAlgorithm = 0;
    std::uint32_t exchangeAlgorithm = 0;
    QByteArray encryptedKey; // little-endian, as written
};

// A usable RSA public key: a bit length of MinRsaBits..MaxRsaBits in whole
// bytes whose top byte is in use, an odd modulus, and an odd exponent of at
// least 3 below the modulus.
BlobStatus checkRsaPublicKey(QByteArrayView modulusLittleEndian, std::uint32_t exponent);

// The blob of a public key; empty when checkRsaPublicKey refuses the key.
QByteArray buildPublicKeyBlob(QByteArrayView modulusLittleEndian, std::uint32_t exponent);
// Accepts exactly one blob: the size must be 20 + bitlen / 8.
BlobStatus parsePublicKeyBlob(QByteArrayView blob, PublicKeyBlobFields &out);

QByteArray buildSimpleBlob(std::uint32_t sessionAlgorithm, QByteArrayView encryptedKeyLittleEndian);
// Checks the header (type, version, reserved, exchange algorithm CALG_RSA_KEYX,
// the expected session algorithm) and that a key follows; the caller checks
// the key's length against its private key.
BlobStatus parseSimpleBlob(QByteArrayView blob, std::uint32_t sessionAlgorithm, SimpleBlobFields &out);

} // namespace Crypto

#include "core/crypto/CryptoBlobs.h"

namespace Crypto {

namespace {

std::uint32_t readLe32(QByteArrayView b, qsizetype pos)
{
    return std::uint32_t(std::uint8_t(b[pos])) | (std::uint32_t(std::uint8_t(b[pos + 1])) << 8)
        | (std::uint32_t(std::uint8_t(b[pos + 2])) << 16) | (std::uint32_t(std::uint8_t(b[pos + 3])) << 24);
}

void appendLe32(QByteArray &b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char(std::uint8_t(v >> (8 * i))));
}

void appendBlobHeader(QByteArray &b, std::uint8_t type, std::uint32_t algorithm)
{
    b.append(char(type));
    b.append(char(CUR_BLOB_VERSION));
    b.append('\0');
    b.append('\0');
    appendLe32(b, algorithm);
}

BlobStatus checkBlobHeader(QByteArrayView blob, std::uint8_t type, std::uint32_t algorithm)
{
    if (blob.size() < 8)
        return BlobStatus::TooShort;
    if (std::uint8_t(blob[0]) != type)
        return BlobStatus::BadType;
    if (std::uint8_t(blob[1]) != CUR_BLOB_VERSION)
        return BlobStatus::BadVersion;
    if (blob[2] != 0 || blob[3] != 0)
        return BlobStatus::BadReserved;
    if (readLe32(blob, 4) != algorithm)
        return BlobStatus::BadAlgorithm;
    return BlobStatus::Ok;
}

} // namespace

BlobStatus checkRsaPublicKey(QByteArrayView modulus, std::uint32_t exponent)
{
    const qsizetype bits = modulus.size() * 8;
    if (bits < MinRsaBits || bits > MaxRsaBits)
        return BlobStatus::BadBitLength;
    // The top byte must be in use (otherwise the cipher texts would be shorter
    // than the announced size) and an RSA modulus is odd.
    if (modulus.back() == 0 || (modulus.front() & 1) == 0)
        return BlobStatus::BadModulus;
    // The modulus has at least 512 bits, so every 32-bit exponent lies below it.
    if (exponent < 3 || (exponent & 1) == 0)
        return BlobStatus::BadExponent;
    return BlobStatus::Ok;
}

QByteArray buildPublicKeyBlob(QByteArrayView modulus, std::uint32_t exponent)
{
    if (checkRsaPublicKey(modulus, exponent) != BlobStatus::Ok)
        return {};
    QByteArray blob;
    blob.reserve(PublicKeyBlobHeaderSize + modulus.size());
    appendBlobHeader(blob, PUBLICKEYBLOB, CALG_RSA_KEYX);
    appendLe32(blob, RSA1_MAGIC);
    appendLe32(blob, std::uint32_t(modulus.size() * 8));
    appendLe32(blob, exponent);
    blob.append(modulus);
    return blob;
}

BlobStatus parsePublicKeyBlob(QByteArrayView blob, PublicKeyBlobFields &out)
{
    out = {};
    if (blob.size() < PublicKeyBlobHeaderSize)
        return BlobStatus::TooShort;
    const BlobStatus header = checkBlobHeader(blob, PUBLICKEYBLOB, CALG_RSA_KEYX);
    if (header != BlobStatus::Ok)
        return header;
    if (readLe32(blob, 8) != RSA1_MAGIC)
        return BlobStatus::BadMagic;
    const std::uint32_t bitLength = readLe32(blob, 12);
    if (bitLength % 8 != 0 || bitLength < std::uint32_t(MinRsaBits) || bitLength > std::uint32_t(MaxRsaBits))
        return BlobStatus::BadBitLength;
    if (blob.size() != PublicKeyBlobHeaderSize + qsizetype(bitLength / 8))
        return BlobStatus::BadLength;
    const std::uint32_t exponent = readLe32(blob, 16);
    const QByteArrayView modulus = blob.sliced(PublicKeyBlobHeaderSize);
    const BlobStatus key = checkRsaPublicKey(modulus, exponent);
    if (key != BlobStatus::Ok)
        return key;
    out.bitLength = bitLength;
    out.exponent = exponent;
    out.modulus = modulus.toByteArray();
    return BlobStatus::Ok;
}

QByteArray buildSimpleBlob(std::uint32_t sessionAlgorithm, QByteArrayView encryptedKey)
{
    QByteArray blob;
    blob.reserve(SimpleBlobHeaderSize + encryptedKey.size());
    appendBlobHeader(blob, SIMPLEBLOB, sessionAlgorithm);
    appendLe32(blob, CALG_RSA_KEYX);
    blob.append(encryptedKey);
    return blob;
}

BlobStatus parseSimpleBlob(QByteArrayView blob, std::uint32_t sessionAlgorithm, SimpleBlobFields &out)
{
    out = {};
    if (blob.size() < SimpleBlobHeaderSize)
        return BlobStatus::TooShort;
    const BlobStatus header = checkBlobHeader(blob, SIMPLEBLOB, sessionAlgorithm);
    if (header != BlobStatus::Ok)
        return header;
    if (readLe32(blob, 8) != CALG_RSA_KEYX)
        return BlobStatus::BadAlgorithm;
    const QByteArrayView key = blob.sliced(SimpleBlobHeaderSize);
    if (key.size() < MinRsaBits / 8 || key.size() > MaxRsaBits / 8)
        return BlobStatus::BadLength;
    out.sessionAlgorithm = sessionAlgorithm;
    out.exchangeAlgorithm = CALG_RSA_KEYX;
    out.encryptedKey = key.toByteArray();
    return BlobStatus::Ok;
}

} // namespace Crypto

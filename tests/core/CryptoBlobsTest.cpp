#include "core/crypto/CryptoBlobs.h"

#include <gtest/gtest.h>

namespace {

using namespace Crypto;

// A 512-bit modulus, little-endian: odd low byte, top byte in use.
QByteArray testModulus()
{
    QByteArray m(64, '\0');
    for (int i = 0; i < 64; ++i)
        m[i] = char(i * 7 + 3);
    m[63] = char(0xC1);
    return m;
}

QByteArray le32(std::uint32_t v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(v >> (8 * i));
    return b;
}

TEST(CryptoBlobs, PublicKeyBlobLayout)
{
    const QByteArray modulus = testModulus();
    const QByteArray blob = buildPublicKeyBlob(modulus, 65537);
    ASSERT_EQ(blob.size(), 20 + 64);
    EXPECT_EQ(blob.left(8), QByteArray::fromHex("0602000000a40000"));
    EXPECT_EQ(blob.mid(8, 4), QByteArrayLiteral("RSA1"));
    EXPECT_EQ(blob.mid(12, 4), QByteArray::fromHex("00020000")); // 512 bits
    EXPECT_EQ(blob.mid(16, 4), QByteArray::fromHex("01000100")); // 65537
    EXPECT_EQ(blob.mid(20), modulus);

    PublicKeyBlobFields fields;
    ASSERT_EQ(parsePublicKeyBlob(blob, fields), BlobStatus::Ok);
    EXPECT_EQ(fields.bitLength, 512u);
    EXPECT_EQ(fields.exponent, 65537u);
    EXPECT_EQ(fields.modulus, modulus);

    // Keys no peer can use are not built.
    EXPECT_TRUE(buildPublicKeyBlob(modulus.left(63), 65537).isEmpty());
    EXPECT_TRUE(buildPublicKeyBlob(modulus, 65536).isEmpty());
    EXPECT_TRUE(buildPublicKeyBlob(QByteArray(MaxRsaBits / 8 + 1, '\x01'), 3).isEmpty());
}

TEST(CryptoBlobs, PublicKeyBlobRefusals)
{
    const QByteArray good = buildPublicKeyBlob(testModulus(), 65537);
    PublicKeyBlobFields fields;
    auto parseWith = [&](qsizetype pos, const QByteArray &bytes) {
        QByteArray b = good;
        b.replace(pos, bytes.size(), bytes);
        const BlobStatus s = parsePublicKeyBlob(b, fields);
        EXPECT_TRUE(fields.modulus.isEmpty());
        return s;
    };
    EXPECT_EQ(parseWith(0, QByteArray(1, '\x07')), BlobStatus::BadType);
    EXPECT_EQ(parseWith(1, QByteArray(1, '\x03')), BlobStatus::BadVersion);
    EXPECT_EQ(parseWith(3, QByteArray(1, '\x01')), BlobStatus::BadReserved);
    EXPECT_EQ(parseWith(4, le32(0x2400)), BlobStatus::BadAlgorithm); // a signature key
    EXPECT_EQ(parseWith(8, QByteArrayLiteral("RSA2")), BlobStatus::BadMagic);
    EXPECT_EQ(parseWith(12, le32(0xFFFFFFF8)), BlobStatus::BadBitLength);
    EXPECT_EQ(parseWith(12, le32(511)), BlobStatus::BadBitLength);
    EXPECT_EQ(parseWith(12, le32(1024)), BlobStatus::BadLength);
    EXPECT_EQ(parseWith(16, le32(1)), BlobStatus::BadExponent);
    EXPECT_EQ(parseWith(16, le32(0x10000)), BlobStatus::BadExponent);
    EXPECT_EQ(parseWith(20, QByteArray(1, '\x02')), BlobStatus::BadModulus); // even
    EXPECT_EQ(parseWith(83, QByteArray(1, '\0')), BlobStatus::BadModulus); // top byte unused
    // Every truncation and a trailing byte are refused.
    for (qsizetype n = 0; n < good.size(); ++n)
        EXPECT_NE(parsePublicKeyBlob(good.left(n), fields), BlobStatus::Ok) << n;
    EXPECT_EQ(parsePublicKeyBlob(QByteArray(good).append('\0'), fields), BlobStatus::BadLength);
}

TEST(CryptoBlobs, SimpleBlobLayoutAndRefusals)
{
    const QByteArray key(64, '\x5A');
    const QByteArray blob = buildSimpleBlob(CALG_RC2, key);
    EXPECT_EQ(blob.left(12),
        QByteArray::fromHex("0102000002660000"
                            "00a40000"));
    EXPECT_EQ(blob.mid(12), key);

    SimpleBlobFields fields;
    ASSERT_EQ(parseSimpleBlob(blob, CALG_RC2, fields), BlobStatus::Ok);
    EXPECT_EQ(fields.sessionAlgorithm, CALG_RC2);
    EXPECT_EQ(fields.exchangeAlgorithm, CALG_RSA_KEYX);
    EXPECT_EQ(fields.encryptedKey, key);

    EXPECT_EQ(parseSimpleBlob(blob, 0x6801, fields), BlobStatus::BadAlgorithm); // RC4 expected
    QByteArray b = blob;
    b[0] = PUBLICKEYBLOB;
    EXPECT_EQ(parseSimpleBlob(b, CALG_RC2, fields), BlobStatus::BadType);
    b = blob;
    b.replace(8, 4, le32(0x2400));
    EXPECT_EQ(parseSimpleBlob(b, CALG_RC2, fields), BlobStatus::BadAlgorithm);
    EXPECT_EQ(parseSimpleBlob(blob.left(11), CALG_RC2, fields), BlobStatus::TooShort);
    EXPECT_EQ(parseSimpleBlob(blob.left(12 + 63), CALG_RC2, fields), BlobStatus::BadLength);
    EXPECT_EQ(parseSimpleBlob(buildSimpleBlob(CALG_RC2, QByteArray(MaxRsaBits / 8 + 1, 'k')), CALG_RC2, fields),
        BlobStatus::BadLength);
    EXPECT_TRUE(fields.encryptedKey.isEmpty());
}

} // namespace

#include "core/CBlowfish.h"
#include "core/crypto/CryptoProvider.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <memory>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

// Blowfish through OpenSSL's legacy provider, the independent implementation
// the cipher is checked against. Nothing when the provider is missing.
std::optional<QByteArray> openSsl(
    const char *name, QByteArrayView key, QByteArrayView input, bool encrypt, bool padding)
{
    if (!Crypto::legacyAvailable())
        return std::nullopt;
    std::unique_ptr<EVP_CIPHER, decltype(&EVP_CIPHER_free)> cipher(
        EVP_CIPHER_fetch(Crypto::libraryContext(), name, nullptr), EVP_CIPHER_free);
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    const unsigned char iv[8] = {};
    if (!cipher || !ctx || !EVP_CipherInit_ex2(ctx.get(), cipher.get(), nullptr, nullptr, encrypt, nullptr)
        || !EVP_CIPHER_CTX_set_key_length(ctx.get(), int(key.size()))
        || !EVP_CipherInit_ex2(
            ctx.get(), nullptr, reinterpret_cast<const unsigned char *>(key.data()), iv, encrypt, nullptr)
        || !EVP_CIPHER_CTX_set_padding(ctx.get(), padding ? 1 : 0))
        return std::nullopt;
    QByteArray out(input.size() + 8, '\0');
    int n = 0, last = 0;
    auto *o = reinterpret_cast<unsigned char *>(out.data());
    if (!EVP_CipherUpdate(ctx.get(), o, &n, reinterpret_cast<const unsigned char *>(input.data()), int(input.size()))
        || !EVP_CipherFinal_ex(ctx.get(), o + n, &last))
        return std::nullopt;
    out.truncate(n + last);
    return out;
}

QByteArray pattern(int length, int seed)
{
    QByteArray b(length, '\0');
    for (int i = 0; i < length; ++i)
        b[i] = char((i * 37 + seed * 11 + 5) & 0xFF);
    return b;
}

TEST(CBlowfish, PublishedEcbVectors)
{
    // A selection of Eric Young's ECB test vectors: key, plain, cipher.
    const char *vectors[][3] = {
        { "0000000000000000", "0000000000000000", "4ef997456198dd78" },
        { "ffffffffffffffff", "ffffffffffffffff", "51866fd5b85ecb8a" },
        { "3000000000000000", "1000000000000001", "7d856f9a613063f2" },
        { "1111111111111111", "1111111111111111", "2466dd878b963c9d" },
        { "0123456789abcdef", "1111111111111111", "61f9c3802281b096" },
        { "0101010101010101", "0123456789abcdef", "fa34ec4847b268b2" },
        { "0000000000000000", "ffffffffffffffff", "014933e0cdaff6e4" },
        { "ffffffffffffffff", "0000000000000000", "f21e9a77b71c49bc" },
        { "fedcba9876543210", "ffffffffffffffff", "6b5c5a9c5d9e0a5a" },
    };
    for (const auto &v : vectors) {
        SCOPED_TRACE(v[0]);
        const CBlowfish bf(hex(v[0]));
        ASSERT_TRUE(bf.IsValid());
        EXPECT_EQ(bf.encrypt(hex(v[1]), CBlowfish::BF_ECB), hex(v[2]));
        EXPECT_EQ(bf.decrypt(hex(v[2]), CBlowfish::BF_ECB), hex(v[1]));
        if (Crypto::legacyAvailable()) {
            EXPECT_EQ(openSsl("BF-ECB", hex(v[0]), hex(v[1]), true, false), hex(v[2]));
        }
    }
}

TEST(CBlowfish, PublishedCbcVector)
{
    // Eric Young's CBC vector uses the IV FEDCBA9876543210; CBC with an IV equals
    // CBC from a zero IV over a text whose first block is XORed with that IV.
    const CBlowfish bf(hex("0123456789abcdeff0e1d2c3b4a59687"));
    QByteArray plain = hex("37363534333231204e6f77206973207468652074696d6520666f722000");
    plain.resize(32, '\0');
    const QByteArray iv = hex("fedcba9876543210");
    for (int i = 0; i < 8; ++i)
        plain[i] = char(plain[i] ^ iv[i]);
    EXPECT_EQ(
        bf.encrypt(plain, CBlowfish::BF_CBC), hex("6b77b4d63006dee605b156e27403979358deb9e7154616d959f1652bd5ff92cc"));
}

TEST(CBlowfish, ChatModeMatchesOpenSslAtEveryLength)
{
    if (!Crypto::legacyAvailable())
        GTEST_SKIP() << "OpenSSL legacy provider not available";
    for (int keyLength : { 4, 16, 56 }) {
        const QByteArray key = pattern(keyLength, keyLength);
        const CBlowfish bf(key);
        for (int length = 0; length <= 33; ++length) {
            SCOPED_TRACE(testing::Message() << "key " << keyLength << " length " << length);
            const QByteArray plain = pattern(length, 3);
            const auto cipher = bf.encrypt(plain);
            ASSERT_TRUE(cipher);
            EXPECT_EQ(cipher->size(), (length / 8 + 1) * 8);
            EXPECT_EQ(openSsl("BF-CBC", key, plain, true, true), *cipher);
            EXPECT_EQ(openSsl("BF-CBC", key, *cipher, false, true), plain);
            EXPECT_EQ(bf.decrypt(*cipher), plain);
        }
    }
}

TEST(CBlowfish, AllModesRoundTripInPlace)
{
    const CBlowfish bf(pattern(16, 1));
    const std::uint32_t modes[]
        = { 0, CBlowfish::BF_ECB, CBlowfish::BF_CBC, CBlowfish::BF_ECB | CBlowfish::BF_PKCS5, CBlowfish::ChatMode };
    for (std::uint32_t mode : modes) {
        for (int length = 0; length <= 33; ++length) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " length " << length);
            const QByteArray plain = pattern(length, 7);
            const int expected = CBlowfish::CipherLength(length, mode);
            QByteArray buffer = plain;
            buffer.resize(48);
            const int n = bf.Encrypt(buffer.constData(), buffer.data(), length, mode, int(buffer.size()));
            ASSERT_EQ(n, expected);
            if (n < 0)
                continue; // no padding and a partial block
            EXPECT_EQ(bf.Decrypt(buffer.constData(), buffer.data(), n, mode, int(buffer.size())), length);
            EXPECT_EQ(buffer.left(length), plain);
        }
    }
}

TEST(CBlowfish, RefusesBadInputWithoutTouchingTheOutput)
{
    const CBlowfish bf(pattern(16, 2));
    const QByteArray cipher = *bf.encrypt(pattern(20, 4)); // 24 bytes, 4 bytes of padding
    QByteArray out(64, 'x');
    const QByteArray untouched = out;
    auto decrypt = [&](const QByteArray &in, std::uint32_t mode, int capacity) {
        return bf.Decrypt(in.constData(), out.data(), int(in.size()), mode, capacity);
    };
    // Lengths that are not whole blocks, and an empty padded text.
    for (int length : { 0, 1, 7, 9, 23 })
        EXPECT_EQ(decrypt(cipher.left(length), CBlowfish::ChatMode, 64), -1);
    EXPECT_EQ(decrypt(QByteArray(), CBlowfish::BF_CBC, 64), 0);
    // A tampered last block almost never leaves valid padding; a tampered
    // earlier block garbles the text but cannot break the bounds.
    QByteArray tampered = cipher;
    tampered[23] = char(tampered[23] ^ 0x01);
    EXPECT_EQ(decrypt(tampered, CBlowfish::ChatMode, 64), -1);
    tampered = cipher;
    tampered[0] = char(tampered[0] ^ 0x80);
    EXPECT_EQ(bf.decrypt(tampered)->size(), 20);
    EXPECT_NE(bf.decrypt(tampered), pattern(20, 4));
    // The wrong key, unknown mode bits, ECB and CBC at once, a short output.
    EXPECT_FALSE(CBlowfish(pattern(16, 3)).decrypt(cipher).has_value());
    EXPECT_EQ(decrypt(cipher, 0x40 | CBlowfish::ChatMode, 64), -1);
    EXPECT_EQ(decrypt(cipher, CBlowfish::BF_ECB | CBlowfish::BF_CBC, 64), -1);
    EXPECT_EQ(decrypt(cipher, CBlowfish::ChatMode, 19), -1);
    EXPECT_EQ(out, untouched);
    EXPECT_EQ(decrypt(cipher, CBlowfish::ChatMode, 20), 20);
    EXPECT_EQ(out.mid(20), untouched.mid(20));

    // Encrypt: a short output, a negative length, bad keys.
    EXPECT_EQ(bf.Encrypt("12345678", out.data(), 8, CBlowfish::ChatMode, 15), -1);
    EXPECT_EQ(bf.Encrypt("12345678", out.data(), -8, CBlowfish::BF_CBC, 64), -1);
    for (int length : { 0, 3, 57 }) {
        const CBlowfish bad(pattern(length, 0));
        EXPECT_FALSE(bad.IsValid());
        EXPECT_FALSE(bad.encrypt("abc").has_value());
        EXPECT_EQ(bad.Decrypt(cipher.constData(), out.data(), 24, CBlowfish::ChatMode, 64), -1);
    }
    EXPECT_FALSE(CBlowfish(nullptr, 16).IsValid());
}

} // namespace

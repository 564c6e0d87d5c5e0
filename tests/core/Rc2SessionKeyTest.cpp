#include "core/crypto/Rc2SessionKey.h"
#include "core/crypto/CryptoProvider.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Crypto::Rc2SessionKey;

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

// RC2 written down from RFC 2268 alone (PITABLE is the RFC's table): the
// independent reference for the OpenSSL cipher the program uses.
class ReferenceRc2
{
public:
    ReferenceRc2(QByteArrayView key, int bits)
    {
        static const QByteArray pi
            = hex("d978f9c419ddb5ed28e9fd794aa0d89dc67e37832b76538e624c6488448bfba2179a59f587b34f1361456d8d09817d32"
                  "bd8f40eb86b77b0bf09521225c6b4e8254d66593ce60b21c7356c014a78cf1dc1275ca1f3bbee4d1423dd430a33cb626"
                  "6fbf0eda4669075727f21d9bbc944303f811c7f690ef3ee706c3d52fc8661ed708e8eade8052eef784aa72ac354d6a2a"
                  "961ad2715a1549744b9fd05e0418a4ecc2e0416e0f51cbcc2491af50a1f47039997c3a8523b8b47afc02365b25559731"
                  "2d5dfa98e38a92ae05df2910676cbac9d300e6cfe19ea82c6316013f58e289a90d38341bab33ffb0bb480c5fb9b1cd2e"
                  "c5f3db47e5a59c770aa62068fe7fc1ad");
        auto p = [&](int i) { return std::uint8_t(pi[i & 0xFF]); };
        const int t = int(key.size()), t8 = (bits + 7) / 8;
        std::array<std::uint8_t, 128> l {};
        for (int i = 0; i < 128; ++i)
            l[i] = i < t ? std::uint8_t(key[i]) : p(l[i - 1] + l[i - t]);
        l[128 - t8] = p(l[128 - t8] & (255 % (1 << (8 + bits - 8 * t8))));
        for (int i = 127 - t8; i >= 0; --i)
            l[i] = p(l[i + 1] ^ l[i + t8]);
        for (int i = 0; i < 64; ++i)
            m_k[i] = std::uint16_t(l[2 * i] | (l[2 * i + 1] << 8));
    }

    QByteArray encryptBlock(QByteArrayView in) const
    {
        std::uint16_t r[4];
        for (int i = 0; i < 4; ++i)
            r[i] = std::uint16_t(std::uint8_t(in[2 * i]) | (std::uint8_t(in[2 * i + 1]) << 8));
        const int shift[4] = { 1, 2, 3, 5 };
        for (int round = 0, j = 0; round < 16; ++round) {
            for (int i = 0; i < 4; ++i) { // mixing
                const std::uint16_t a = r[(i + 3) % 4], b = r[(i + 2) % 4], c = r[(i + 1) % 4];
                const std::uint16_t sum = std::uint16_t(r[i] + m_k[j++] + (a & b) + (~a & c));
                r[i] = std::uint16_t((sum << shift[i]) | (sum >> (16 - shift[i])));
            }
            for (int i = 0; (round == 4 || round == 10) && i < 4; ++i) // mashing
                r[i] = std::uint16_t(r[i] + m_k[r[(i + 3) % 4] & 63]);
        }
        QByteArray out(8, '\0');
        for (int i = 0; i < 8; ++i)
            out[i] = char(r[i / 2] >> (8 * (i % 2)));
        return out;
    }

    // CBC from a zero IV with PKCS#5 padding.
    QByteArray encryptCbc(QByteArray plain) const
    {
        plain.append(QByteArray(8 - plain.size() % 8, char(8 - plain.size() % 8)));
        QByteArray out, chain(8, '\0');
        for (qsizetype pos = 0; pos < plain.size(); pos += 8) {
            for (int i = 0; i < 8; ++i)
                chain[i] = char(chain[i] ^ plain[pos + i]);
            chain = encryptBlock(chain);
            out.append(chain);
        }
        return out;
    }

private:
    std::array<std::uint16_t, 64> m_k {};
};

TEST(Rc2SessionKey, ReferenceMeetsRfc2268Vectors)
{
    const char *vectors[][4] = {
        // key, effective bits, plain, cipher
        { "0000000000000000", "63", "0000000000000000", "ebb773f993278eff" },
        { "ffffffffffffffff", "64", "ffffffffffffffff", "278b27e42e2f0d49" },
        { "3000000000000000", "64", "1000000000000001", "30649edf9be7d2c2" },
        { "88", "64", "0000000000000000", "61a8a244adacccf0" },
        { "88bca90e90875a", "64", "0000000000000000", "6ccf4308974c267f" },
        { "88bca90e90875a7f0f79c384627bafb2", "64", "0000000000000000", "1a807d272bbe5db1" },
        { "88bca90e90875a7f0f79c384627bafb2", "128", "0000000000000000", "2269552ab0f85ca6" },
        { "88bca90e90875a7f0f79c384627bafb216f80a6f85920584c42fceb0be255daf1e", "129", "0000000000000000",
            "5b78d3a43dfff1f1" },
    };
    for (const auto &v : vectors)
        EXPECT_EQ(ReferenceRc2(hex(v[0]), std::atoi(v[1])).encryptBlock(hex(v[2])), hex(v[3])) << v[0];
}

TEST(Rc2SessionKey, CryptoApiFortyBitKeys)
{
    if (!Rc2SessionKey::available())
        GTEST_SKIP() << "OpenSSL legacy provider not available";
    const QByteArray material = hex("a1b2c3d4e5");
    const auto key = Rc2SessionKey::fromKeyMaterial(material);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->scheduleKey(), hex("a1b2c3d4e50000000000000000000000"));
    EXPECT_EQ(key->effectiveBits(), 40);
    // Derived from RFC 2268 with the 16-byte salted key and 40 effective bits.
    const QByteArray plain = QByteArrayLiteral("Kwel RC2 vector"); // 15 bytes and one byte of padding
    const QByteArray derived = hex("b31621e6b08dd5de775847127d0530de");
    EXPECT_EQ(ReferenceRc2(key->scheduleKey(), 40).encryptCbc(plain), derived);
    EXPECT_EQ(key->encrypt(plain), derived);
    EXPECT_EQ(key->decrypt(derived), plain);
    // The zero salt matters: the bare 5-byte key gives another cipher.
    EXPECT_NE(ReferenceRc2(material, 40).encryptCbc(plain), derived);

    // Longer keys have no salt and as many effective bits as key bits.
    const auto longKey = Rc2SessionKey::fromKeyMaterial(hex("00112233445566778899aabbccddeeff"));
    EXPECT_EQ(longKey->effectiveBits(), 128);
    EXPECT_EQ(longKey->encrypt(plain), ReferenceRc2(longKey->scheduleKey(), 128).encryptCbc(plain));
    EXPECT_FALSE(Rc2SessionKey::fromKeyMaterial(material.left(4)));
    EXPECT_FALSE(Rc2SessionKey::fromKeyMaterial(QByteArray(17, 'k')));
}

TEST(Rc2SessionKey, RoundTripsAndRefusals)
{
    if (!Rc2SessionKey::available())
        GTEST_SKIP() << "OpenSSL legacy provider not available";
    const auto key = Rc2SessionKey::generate();
    ASSERT_TRUE(key);
    EXPECT_EQ(key->keyMaterial().size(), 5);
    EXPECT_NE(key->keyMaterial(), Rc2SessionKey::generate()->keyMaterial());
    EXPECT_FALSE(Crypto::randomBytes(-1));
    const ReferenceRc2 reference(key->scheduleKey(), 40);
    for (int length = 0; length <= 33; ++length) {
        const QByteArray plain(length, char('a' + length % 26));
        const auto cipher = key->encrypt(plain);
        ASSERT_TRUE(cipher);
        EXPECT_EQ(*cipher, reference.encryptCbc(plain)) << length;
        EXPECT_EQ(key->decrypt(*cipher), plain) << length;
    }
    const QByteArray plain = QByteArrayLiteral("a message of some length");
    const QByteArray cipher = *key->encrypt(plain);
    EXPECT_FALSE(key->decrypt(cipher.left(cipher.size() - 1)));
    EXPECT_FALSE(key->decrypt(QByteArray()));
    QByteArray tampered = cipher;
    tampered[tampered.size() - 1] = char(tampered[tampered.size() - 1] ^ 0x55);
    EXPECT_NE(key->decrypt(tampered), plain);
    EXPECT_NE(Rc2SessionKey::generate()->decrypt(cipher), plain);
}

} // namespace

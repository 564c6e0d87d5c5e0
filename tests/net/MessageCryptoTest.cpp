#include "net/MessageCrypto.h"

#include "TestKeys.h"
#include "core/CBlowfish.h"
#include "core/Gbk.h"
#include "core/HexText.h"
#include "core/crypto/RsaKeys.h"
#include "core/crypto/Rc2SessionKey.h"
#include "net/Commands.h"

#include <QList>
#include <gtest/gtest.h>

namespace {

const quint32 kFull = CAP_RSA_512 | CAP_RC2_40 | CAP_RSA_1024 | CAP_BLOWFISH_128;

struct Sealed
{
    CryptStatus status;
    quint32 mode = 0;
    QByteArray body;
};

Sealed seal(const OwnKeyState &from, const PeerPublicKey &to, const QByteArray &text)
{
    Sealed s;
    s.status = EncryptMessageBody(from, to, text, s.body, &s.mode);
    return s;
}

// The body with the cipher byte byteFromEnd places before the last one changed by xor.
QByteArray tamperCipher(QByteArray body, qsizetype byteFromEnd, int mask)
{
    const qsizetype at = body.size() - 2 * (byteFromEnd + 1);
    const int value = body.mid(at, 2).toInt(nullptr, 16) ^ mask;
    body.replace(at, 2, QByteArray::number(value | 0x100, 16).right(2));
    return body;
}

} // namespace

TEST(MessageCrypto, RoundTripsWithBlowfishAndRc2)
{
    const OwnKeyState &alice = TestKeys::full(0);
    const OwnKeyState &bob = TestKeys::full(1);
    const QByteArray text = Gbk::encode(QStringLiteral("你好, Bob!\r\n第二行\nend"));
    const QByteArray expected = Gbk::encode(QStringLiteral("你好, Bob!\r\n第二行\r\nend"));

    EXPECT_EQ(ChooseEncryptionMode(kFull, 0x1001, 64), kModeRc2512);
    // RSA 1024 and RC2 but no Blowfish: RC2 with the 512-bit pair.
    EXPECT_EQ(ChooseEncryptionMode(kFull, CAP_RSA_512 | CAP_RSA_1024 | CAP_RC2_40, 64), kModeRc2512);
    // A 512-bit key from a peer that could do both: the mode that key serves.
    EXPECT_EQ(ChooseEncryptionMode(kFull, kFull, 64), kModeRc2512);

    const Sealed bf = seal(alice, TestKeys::peerKey(*bob.pair1024, kFull), text);
    ASSERT_EQ(bf.status, CryptStatus::Ok);
    EXPECT_TRUE(bf.body.startsWith("20002:"));
    EXPECT_EQ(bf.body.split(':').at(1).size(), 256) << "the RSA 1024 cipher of the session key";
    DecryptedMessage got = DecryptMessageBody(bob, bf.body);
    EXPECT_EQ(got.status, CryptStatus::Ok);
    EXPECT_EQ(got.text, expected) << "line breaks come back as CR LF";
    EXPECT_NE(seal(alice, TestKeys::peerKey(*bob.pair1024, kFull), text).body, bf.body) << "a fresh key each time";

    // Blowfish with a 512-bit key (a sender without RC2): the receiver picks
    // the pair by the size of the session key.
    const Sealed odd = seal(OwnKeyState { std::nullopt, alice.pair1024 }, TestKeys::peerKey(*bob.pair512, kFull), text);
    ASSERT_EQ(odd.mode, kModeBlowfish1024);
    EXPECT_EQ(DecryptMessageBody(bob, odd.body).text, expected);

    // The longest text that is encrypted whole; one byte more is refused, not cut.
    const PeerPublicKey bobKey = TestKeys::peerKey(*bob.pair1024, kFull);
    const Sealed longest = seal(alice, bobKey, QByteArray(kMaxEncryptedPlain - 1, 'x'));
    EXPECT_LE(longest.body.size(), EncryptedBodyLength(kMaxEncryptedPlain - 1, 128));
    EXPECT_EQ(DecryptMessageBody(bob, longest.body).text.size(), kMaxEncryptedPlain - 1);
    EXPECT_EQ(seal(alice, bobKey, QByteArray(kMaxEncryptedPlain, 'x')).status, CryptStatus::TooLong);
    EXPECT_EQ(seal(alice, TestKeys::peerKey(*bob.pair1024, 0), text).status, CryptStatus::NoCommonMode);

    if (!Crypto::Rc2SessionKey::available())
        GTEST_SKIP() << "RC2 needs OpenSSL's legacy provider";
    const Sealed rc2 = seal(alice, TestKeys::peerKey(*bob.pair512, 0x1001), text);
    EXPECT_TRUE(rc2.body.startsWith("1001:"));
    EXPECT_EQ(rc2.body.split(':').at(1).size(), 128) << "the SIMPLEBLOB's 512-bit key without its header";
    got = DecryptMessageBody(bob, rc2.body);
    EXPECT_EQ(got.mode, kModeRc2512);
    EXPECT_EQ(got.text, expected);
    // A receiver that has only its 512-bit pair.
    EXPECT_EQ(DecryptMessageBody(TestKeys::only512(1), rc2.body).text, expected);
}

TEST(MessageCrypto, RefusesTamperedAndMalformedBodies)
{
    const OwnKeyState &alice = TestKeys::full(0);
    const OwnKeyState &bob = TestKeys::full(1);
    const QByteArray text("a text of three blocks or so");
    const QByteArray body = seal(alice, TestKeys::peerKey(*bob.pair1024, kFull), text).body;
    ASSERT_EQ(DecryptMessageBody(bob, body).status, CryptStatus::Ok);

    // The pad byte of the last block becomes 0x8x: the padding check fails.
    DecryptedMessage got = DecryptMessageBody(bob, tamperCipher(body, 8, 0x80));
    EXPECT_EQ(got.status, CryptStatus::TextNotDecrypted);
    EXPECT_EQ(got.text, QByteArray("CryptDecrypt Err(80090005)"));
    EXPECT_EQ(DecryptMessageBody(bob, body.chopped(2)).status, CryptStatus::TextNotDecrypted);
    EXPECT_EQ(DecryptMessageBody(bob, QByteArray(body + "z")).status, CryptStatus::TextNotDecrypted);

    // A session key that does not decrypt: zeros, or a message for someone else.
    const QList<QByteArray> fields = body.split(':');
    const QByteArray zeroKey = fields[0] + ':' + QByteArray(fields[1].size(), '0') + ':' + fields[2];
    EXPECT_EQ(DecryptMessageBody(bob, zeroKey).status, CryptStatus::KeyNotDecrypted);
    EXPECT_EQ(DecryptMessageBody(alice, body).status, CryptStatus::KeyNotDecrypted);

    // Not an encrypted body at all: the text stays as it came.
    for (const QByteArray &bad :
        { QByteArray("hello"), QByteArray("20002:abcd"), QByteArray(":00:00"), QByteArray("123456789:00:00") }) {
        got = DecryptMessageBody(bob, bad);
        EXPECT_EQ(got.status, CryptStatus::Malformed) << bad.constData();
        EXPECT_EQ(got.text, bad);
    }
    EXPECT_EQ(DecryptMessageBody(bob, "4:00:00").status, CryptStatus::UnknownMode);

    // Well padded but without the text's terminating NUL: not what a sender encrypts.
    const QByteArray sessionKey(16, 'k');
    const auto wrapped = Crypto::RsaPublicKey::fromModulus(
        bob.pair1024->publicKey().modulusLittleEndian(), bob.pair1024->publicKey().exponent())
                             ->encrypt(sessionKey);
    ASSERT_TRUE(wrapped.has_value());
    const auto unterminated = CBlowfish(sessionKey).encrypt(text, CBlowfish::ChatMode);
    ASSERT_TRUE(unterminated.has_value());
    got = DecryptMessageBody(bob, QByteArray("20002:" + BytesToHexReversed(*wrapped) + ':' + BytesToHex(*unterminated)));
    EXPECT_EQ(got.status, CryptStatus::TextNotDecrypted);
    EXPECT_TRUE(got.text.startsWith("CryptDecrypt Err("));

    if (!Crypto::Rc2SessionKey::available())
        return;
    const QByteArray rc2 = seal(alice, TestKeys::peerKey(*bob.pair512, 0x1001), text).body;
    got = DecryptMessageBody(bob, QByteArray("1001:" + QByteArray(128, '0') + ':' + rc2.split(':').at(2)));
    EXPECT_EQ(got.status, CryptStatus::KeyNotDecrypted);
    EXPECT_TRUE(got.text.startsWith("CryptImportKey Err("));
    EXPECT_EQ(DecryptMessageBody(bob, tamperCipher(rc2, 8, 0x80)).status, CryptStatus::TextNotDecrypted);
}

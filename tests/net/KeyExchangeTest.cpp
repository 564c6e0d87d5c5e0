#include "net/KeyExchange.h"

#include "LoopbackNet.h"
#include "TestEnv.h"
#include "TestKeys.h"
#include "core/CConfig.h"
#include "core/Gbk.h"
#include "core/HexText.h"
#include "net/CMsgSenderWnd.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/MessengerEngine.h"
#include "net/PublicKeyText.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

namespace {

constexpr quint32 kLoopback = 0x7F000001;

mode_t fileMode(const QString &path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

// One messenger on loopback with its key exchange.
struct Node
{
    explicit Node(const QString &name)
        : config(TestEnv::freshDir(name) + QStringLiteral("/kwel.ini"))
    {
        EXPECT_TRUE(TestNet::openLoopback(net));
        engine = std::make_unique<MessengerEngine>(config, net);
        engine->setIdentity(name, name + QStringLiteral("-pc"));
        keys = std::make_unique<KeyExchange>(*engine);
        keys->setClock([this] { return clock; });
    }
    HostKey keyOf(const Node &other) const { return HostKey(QString(), QString(), kLoopback, other.net.port()); }

    CConfig config;
    CNetManager net;
    std::unique_ptr<MessengerEngine> engine;
    std::unique_ptr<KeyExchange> keys;
    qint64 clock = 1000;
};

} // namespace

TEST(PublicKeyText, FormatsAndParsesRequestsAndAnswers)
{
    EXPECT_EQ(ParsePublicKeyRequest("1001:more"), 0x1001u);
    EXPECT_EQ(ParsePublicKeyRequest("123456789"), std::nullopt);

    const Crypto::RsaKeyPair &pair = *TestKeys::full(0).pair1024;
    const QByteArray answer = FormatPublicKeyAnswer(0x21003, pair.publicKey());
    const QByteArray modulusHex = BytesToHexReversed(pair.publicKey().modulusLittleEndian());
    EXPECT_EQ(answer, "21003:10001-" + modulusHex);
    PeerPublicKey key;
    ASSERT_EQ(ParsePublicKeyAnswer(answer, key), PublicKeyTextStatus::Ok);
    EXPECT_EQ(key.key, pair.publicKey().modulusLittleEndian());
    EXPECT_EQ(key.exponent, 65537u);
    EXPECT_EQ(key.capabilities, 0x21003u);
    EXPECT_EQ(ParsePublicKeyAnswer(QByteArray("21003:10001-" + modulusHex.toUpper()), key), PublicKeyTextStatus::Ok);

    const QByteArray head = "21003:10001-";
    const std::pair<QByteArray, PublicKeyTextStatus> bad[] = {
        { "21003", PublicKeyTextStatus::BadCapabilities },
        { "121003000:10001-" + modulusHex, PublicKeyTextStatus::BadCapabilities },
        { "21003:10001" + modulusHex, PublicKeyTextStatus::BadExponent },
        { head + QByteArray(1026, 'f'), PublicKeyTextStatus::BadModulus },
        { head + modulusHex + ":", PublicKeyTextStatus::BadModulus },
        { "21003:10001-00" + modulusHex.mid(2), PublicKeyTextStatus::BadKey },
        { "21003:10000-" + modulusHex, PublicKeyTextStatus::BadKey },
    };
    for (const auto &[body, status] : bad) {
        PeerPublicKey untouched;
        EXPECT_EQ(ParsePublicKeyAnswer(body, untouched), status) << body.left(40).constData();
        EXPECT_TRUE(untouched.key.isEmpty());
    }
}

TEST(OwnKeys, KeyFileIsPrivateAndRefusedWhenOthersCouldReadIt)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("ownkeys"));
    const QString path = dir + QStringLiteral("/ownkeys.pem");
    OwnKeyState loaded;
    EXPECT_EQ(LoadOwnKeys(path, loaded), KeyFileStatus::Missing);

    ASSERT_EQ(SaveOwnKeys(path, TestKeys::full(0)), KeyFileStatus::Ok);
    EXPECT_EQ(fileMode(path), 0600u);
    ASSERT_EQ(LoadOwnKeys(path, loaded), KeyFileStatus::Ok);
    EXPECT_EQ(loaded.pair512->publicKeyBlob(), TestKeys::full(0).pair512->publicKeyBlob());
    EXPECT_EQ(loaded.pair1024->publicKeyBlob(), TestKeys::full(0).pair1024->publicKeyBlob());

    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    EXPECT_EQ(LoadOwnKeys(path, loaded), KeyFileStatus::NotPrivate);
    ASSERT_TRUE(QFile::link(path, dir + QStringLiteral("/link.pem")));
    EXPECT_EQ(LoadOwnKeys(dir + QStringLiteral("/link.pem"), loaded), KeyFileStatus::NotRegular);

    // Start-up replaces the refused file with new private keys, the 1024-bit
    // pair made on a worker thread; the next start reads them back.
    Node node(QStringLiteral("start"));
    node.keys->Start(path);
    EXPECT_EQ(node.keys->ownCapabilities(), OwnKeyState::capabilities512());
    EXPECT_EQ(node.engine->GetOwnOptionBits() & OPT_ENCRYPT, OPT_ENCRYPT);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !node.keys->isGenerating(); }, 20000));
    EXPECT_EQ(node.keys->ownCapabilities(), OwnKeyState::capabilities512() | 0x20002u);
    EXPECT_EQ(fileMode(path), 0600u);
    ASSERT_EQ(LoadOwnKeys(path, loaded), KeyFileStatus::Ok);
    EXPECT_EQ(loaded.pair1024->publicKeyBlob(), node.keys->ownKeys().pair1024->publicKeyBlob());
}

TEST(KeyExchange, TwoEnginesExchangeKeysAndAnEncryptedMessageOnLoopback)
{
    Node a(QStringLiteral("alice"));
    Node b(QStringLiteral("bob"));
    a.keys->setOwnKeys(TestKeys::full(0));
    b.keys->setOwnKeys(TestKeys::full(1));
    // Alice introduces herself; Bob lists her and answers, so she lists him.
    a.engine->AnswerEntry(a.keyOf(b), CMD_ANNOUNCE_ENTRY);
    ASSERT_TRUE(QTest::qWaitFor([&] { return a.engine->FindHost(kLoopback, b.net.port()) != nullptr; }, 3000));
    HostRecord *bobAtAlice = a.engine->FindHost(kLoopback, b.net.port());

    // An answer nobody asked for changes nothing.
    b.net.SendToHost(
        b.keyOf(a), CMD_PUBLIC_KEY, FormatPublicKeyAnswer(0x21003, b.keys->ownKeys().pair512->publicKey()));
    QTest::qWait(100);
    EXPECT_TRUE(bobAtAlice->publicKey.key.isEmpty());

    // The whole road: key request, answer, encrypted message, decryption, receipt.
    QList<QByteArray> received;
    QObject::connect(
        b.engine.get(), &MessengerEngine::messageReceived, b.keys.get(), [&](const PacketRecord &p, HostRecord *) {
            if (p.hasOption(OPT_ENCRYPT))
                received.append(b.keys->DecryptReceivedMessage(p).text);
        });
    auto *sender = new CMsgSenderWnd(*a.engine, a.keys.get());
    QSignalSpy finished(sender, &CMsgSenderWnd::finished);
    ASSERT_TRUE(sender->SetMessage(QStringLiteral("机密: 下午三点开会"), ChatFont(), 0, nullptr));
    sender->AddRecipient(bobAtAlice);
    ASSERT_TRUE(sender->AllocDestinations());
    ASSERT_EQ(sender->StartSending(), CMsgSenderWnd::Status::Ok);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_TRUE(finished.first().at(0).toBool());
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(Gbk::decode(received.first()), QStringLiteral("机密: 下午三点开会"));
    // Bob answered with his 1024-bit key, which Alice keeps in his record.
    EXPECT_EQ(bobAtAlice->publicKey.key, b.keys->ownKeys().pair1024->publicKey().modulusLittleEndian());
    EXPECT_EQ(bobAtAlice->publicKey.capabilities, b.keys->ownCapabilities());
}

TEST(KeyExchange, DecryptionErrorNoticeIsRateLimitedPerPeer)
{
    Node a(QStringLiteral("victim"));
    Node b(QStringLiteral("prober"));
    a.keys->setOwnKeys(TestKeys::full(0));
    QObject::connect(a.engine.get(), &MessengerEngine::messageReceived, a.keys.get(),
        [&](const PacketRecord &p, HostRecord *) { a.keys->DecryptReceivedMessage(p); });
    // Only a listed sender's messages are taken: the prober announces itself.
    b.engine->AnswerEntry(b.keyOf(a), CMD_ANNOUNCE_ENTRY);
    QTest::qWait(100);
    QSignalSpy notices(b.engine.get(), &MessengerEngine::messageReceived);
    auto probe = [&](const char *body) {
        b.net.SendToHost(b.keyOf(a), CMD_SEND_MESSAGE | OPT_ENCRYPT | OPT_NO_ADD_LIST, body);
        QTest::qWait(100);
    };
    probe("20002:00:00");
    ASSERT_EQ(notices.size(), 1);
    const PacketRecord notice = notices.first().at(0).value<PacketRecord>();
    EXPECT_EQ(notice.commandWord, KeyExchange::kErrorReplyCommand);
    EXPECT_EQ(notice.bodyText(), KeyExchange::errorReplyText());
    probe("1001:00:00");
    EXPECT_EQ(notices.size(), 1);
    a.clock += KeyExchange::kErrorReplyIntervalMs;
    probe("20002:0000:0000");
    EXPECT_EQ(notices.size(), 2);
}

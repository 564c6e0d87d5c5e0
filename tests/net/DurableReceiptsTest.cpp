#include "core/CConfig.h"
#include "net/ChatLogReader.h"
#include "net/ChatLogWriter.h"
#include "net/Commands.h"
#include "net/LoopbackNet.h"
#include "net/MessengerEngine.h"
#include "net/PacketCodec.h"
#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QNetworkDatagram>
#include <QTest>
#include <QUdpSocket>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr quint32 kLoopback = 0x7F000001;

// An engine whose shown messages go to a chat log, as the chat sessions log
// them, and a peer on loopback that collects the receipts.
struct LoggedEngine
{
    LoggedEngine()
        : base(TestEnv::freshDir(QStringLiteral("receipts")))
        , config(base + QStringLiteral("/kwel.ini"))
        , log(base)
    {
        peer.bind(QHostAddress(QHostAddress::LocalHost), 0);
        CNetManager::Options o;
        o.bindAddress = QHostAddress(QHostAddress::LocalHost);
        o.port = 0;
        o.broadcastTargets = { QHostAddress(QHostAddress::LocalHost) };
        o.broadcastPort = peer.localPort();
        EXPECT_TRUE(TestNet::openAnyPort(net, o));
        net.setOwnIdentity(kLoopback, QStringLiteral("00163E0A0B0C"));
        engine = std::make_unique<MessengerEngine>(config, net);
        engine->setIdentity(QStringLiteral("wang"), QStringLiteral("wang-pc"));
        engine->receipts().SetChatLog(&log);
        QObject::connect(engine.get(), &MessengerEngine::messageReceived, engine.get(),
            [this](const PacketRecord &p, HostRecord *) {
                log.LogChatMessage(ChatLogEntry { QStringLiteral("li"), {}, QStringLiteral("li"),
                        QStringLiteral("li-pc"), {}, kLoopback, p.key.port, {}, p.bodyText() });
            });
        header.userName = QStringLiteral("li");
        header.hostName = QStringLiteral("li-pc");
        send(PacketCodec::BuildTextPacket(header, 1, CMD_ANNOUNCE_ENTRY, QStringLiteral("li")));
        receipts(0);
    }
    ~LoggedEngine() { engine->receipts().SetChatLog(nullptr); }

    void send(const QByteArray &packet) { peer.writeDatagram(packet, QHostAddress(kLoopback), net.port()); }
    QByteArray message(quint32 number, const QString &text) const
    {
        return PacketCodec::BuildTextPacket(header, number, CMD_SEND_MESSAGE | OPT_SEND_CHECK, text);
    }

    // The numbers the receipts name: those of waitMs, or of up to ten
    // seconds until `expected` came.
    QStringList receipts(int expected, int waitMs = 300)
    {
        QStringList got;
        for (int waited = 0; waited < waitMs || (got.size() < expected && waited < 10000); waited += 10) {
            QTest::qWait(10);
            while (peer.hasPendingDatagrams()) {
                const QNetworkDatagram d = peer.receiveDatagram();
                PacketRecord p;
                if (PacketCodec::ParsePacket(d.data(), kLoopback, quint16(d.senderPort()), p) != PacketStatus::Ok
                    || p.command() != CMD_MESSAGE_RECEIVED)
                    continue;
                got.append(p.bodyText());
            }
        }
        return got;
    }

    // The message is in the log file (as the reader sees it).
    bool logged(const QString &text) const
    {
        if (const auto r = ChatLogReader::ReadFile(log.GetChatLogPath()))
            for (const ChatLogEntry &e : r->records)
                if (e.text.endsWith(QStringLiteral("\n  ") + text + QLatin1Char('\n')))
                    return true;
        return false;
    }

    QString base;
    CConfig config;
    ChatLogWriter log;
    QUdpSocket peer;
    CNetManager net;
    std::unique_ptr<MessengerEngine> engine;
    OwnHeader header;
};

} // namespace

TEST(DurableReceipts, ReceiptWaitsForTheRecordAndResendsDoNotJumpTheQueue)
{
    LoggedEngine f;
    // While the writer cannot write, the message is shown but not confirmed,
    // however often the sender tries again.
    ASSERT_TRUE(f.log.Hold(5000));
    f.send(f.message(700, QStringLiteral("held")));
    f.send(f.message(700, QStringLiteral("held")));
    EXPECT_TRUE(f.receipts(0).isEmpty());
    EXPECT_EQ(f.engine->receipts().WaitingCount(), 1);
    EXPECT_FALSE(f.logged(QStringLiteral("held")));
    f.log.Release();
    EXPECT_EQ(f.receipts(1), QStringList { QStringLiteral("700") });
    EXPECT_TRUE(f.logged(QStringLiteral("held")));
    EXPECT_EQ(f.engine->receipts().WaitingCount(), 0);
    // Once written, a lost receipt is confirmed again at once.
    f.send(f.message(700, QStringLiteral("held")));
    EXPECT_EQ(f.receipts(1), QStringList { QStringLiteral("700") });

    // A write that fails holds the receipt; the sender's resend has the log
    // try again.
    const QString path = f.log.GetChatLogPath();
    ASSERT_TRUE(QFile::rename(path, path + QStringLiteral(".old")));
    ASSERT_TRUE(QDir().mkpath(path));
    f.send(f.message(702, QStringLiteral("disk trouble")));
    EXPECT_TRUE(f.receipts(0).isEmpty());
    ASSERT_TRUE(QDir().rmdir(path));
    f.send(f.message(702, QStringLiteral("disk trouble")));
    EXPECT_EQ(f.receipts(1), QStringList { QStringLiteral("702") });
    EXPECT_TRUE(f.logged(QStringLiteral("disk trouble")));

    // Nothing logged (the switch is off, or the message is not one the log
    // keeps): the receipt does not wait.
    f.log.SetLoggingEnabled(false);
    ASSERT_TRUE(f.log.Hold(5000));
    f.send(f.message(701, QStringLiteral("unlogged")));
    EXPECT_EQ(f.receipts(1), QStringList { QStringLiteral("701") });
    f.log.Release();
    f.log.SetLoggingEnabled(true);
}

TEST(DurableReceipts, BurstIsConfirmedInBatchesEachAfterItsRecord)
{
    LoggedEngine f;
    constexpr int kCount = 200; // the receipts of a batch arrive at once: within a socket buffer
    for (int i = 0; i < kCount; ++i) {
        f.send(f.message(1000 + i, QStringLiteral("m%1").arg(i)));
        if (i % 50 == 49)
            QTest::qWait(20); // within what a socket buffers
    }
    const QStringList got = f.receipts(kCount);
    ASSERT_EQ(got.size(), kCount);
    for (const QString &number : got)
        ASSERT_TRUE(f.logged(QStringLiteral("m%1").arg(number.toInt() - 1000))) << number.toStdString();

    // Receipts still waiting when the log goes away are sent then (the writer
    // has written everything by that time).
    ASSERT_TRUE(f.log.Hold(5000));
    f.send(f.message(5000, QStringLiteral("last")));
    EXPECT_TRUE(f.receipts(0).isEmpty());
    f.log.Release();
    f.log.Shutdown();
    f.engine->receipts().SetChatLog(nullptr);
    EXPECT_EQ(f.receipts(1), QStringList { QStringLiteral("5000") });
    EXPECT_TRUE(f.logged(QStringLiteral("last")));
}

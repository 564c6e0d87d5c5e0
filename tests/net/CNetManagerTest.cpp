#include "net/CNetManager.h"

#include <QSignalSpy>
#include <QTest>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace {

const QHostAddress kLoopback(QHostAddress::LocalHost);

CNetManager::Options loopbackOptions(quint16 port = 0)
{
    CNetManager::Options o;
    o.bindAddress = kLoopback;
    o.port = port;
    o.broadcastTargets = {kLoopback};
    return o;
}

TEST(CNetManager, SendsAndReceivesOnLoopback)
{
    CNetManager a, b;
    ASSERT_TRUE(a.Open(loopbackOptions()));
    ASSERT_TRUE(b.Open(loopbackOptions()));
    EXPECT_NE(a.port(), 0);
    EXPECT_TRUE(a.hasTcp());
    EXPECT_EQ(a.ownAddress(), 0x7F000001u);

    QSignalSpy received(&b, &CNetManager::datagramReceived);
    const QByteArray packet("1_wzk:1:x:y:32:hello\0ext", 24);
    ASSERT_TRUE(a.SendDatagram(0x7F000001u, b.port(), packet));
    ASSERT_TRUE(received.wait(2000));
    EXPECT_EQ(received.at(0).at(0).toByteArray(), packet);
    EXPECT_EQ(received.at(0).at(1).toUInt(), 0x7F000001u);
    EXPECT_EQ(received.at(0).at(2).value<quint16>(), a.port());
}

TEST(CNetManager, PortInUseFailsWithTheCallNamed)
{
    CNetManager a, b;
    ASSERT_TRUE(a.Open(loopbackOptions()));
    EXPECT_FALSE(b.Open(loopbackOptions(a.port())));
    EXPECT_TRUE(b.errorText().startsWith(QLatin1String("bind()")));
}

TEST(CNetManager, BroadcastSendsEachAddressOnce)
{
    CNetManager a;
    auto o = loopbackOptions();
    o.broadcastTargets = {kLoopback, kLoopback};
    ASSERT_TRUE(a.Open(o));
    // Broadcasts go to the own port: the loopback target, listed twice and
    // again as a subnet address, gets one copy.
    QSignalSpy self(&a, &CNetManager::datagramReceived);
    a.Broadcast(QByteArrayLiteral("x"), {0x7F000001u});
    ASSERT_TRUE(self.wait(2000));
    QTest::qWait(100);
    EXPECT_EQ(self.size(), 1);
}

TEST(CNetManager, PacketNumbersIncrease)
{
    CNetManager a;
    const quint32 first = a.NextPacketNumber();
    EXPECT_EQ(a.NextPacketNumber(), first + 1);
}

TEST(CNetManager, AcceptsTcpOnTheSamePort)
{
    CNetManager a;
    ASSERT_TRUE(a.Open(loopbackOptions()));
    QSignalSpy arrived(&a, &CNetManager::tcpConnectionArrived);
    QTcpSocket client;
    client.connectToHost(kLoopback, a.port());
    ASSERT_TRUE(client.waitForConnected(2000));
    EXPECT_TRUE(arrived.wait(2000));
}

} // namespace

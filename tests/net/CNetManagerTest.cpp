#include "net/CNetManager.h"

#include <QSignalSpy>
#include <QTest>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

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

// Without a descriptor left, waiting connections are closed at once, the
// process goes on, and so does accepting once descriptors are free again.
TEST(TcpListener, RefusesConnectionsWhenNoDescriptorIsLeft)
{
    TcpListener listener;
    std::vector<qintptr> accepted;
    listener.setHandler([&](qintptr d) { accepted.push_back(d); });
    ASSERT_TRUE(listener.listen(kLoopback, 0));
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = htons(listener.serverPort());
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::vector<int> clients;
    for (int i = 0; i < 3; ++i)
        clients.push_back(::socket(AF_INET, SOCK_STREAM, 0));

    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowestFree = ::open("/dev/null", O_RDONLY);
    ::close(lowestFree);
    rlimit none = saved;
    none.rlim_cur = rlim_t(lowestFree); // every descriptor below is taken
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &none), 0);
    for (int c : clients)
        ASSERT_EQ(::connect(c, reinterpret_cast<sockaddr *>(&to), sizeof to), 0);
    int closed = 0;
    QElapsedTimer timer;
    timer.start();
    while (closed < int(clients.size()) && timer.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        closed = 0;
        for (int c : clients) {
            pollfd p { c, POLLIN, 0 };
            char byte;
            closed += ::poll(&p, 1, 0) > 0 && ::recv(c, &byte, 1, MSG_PEEK | MSG_DONTWAIT) <= 0;
        }
    }
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(closed, 3);
    EXPECT_TRUE(accepted.empty());
    EXPECT_EQ(listener.refusedForDescriptors(), 3u);

    QTcpSocket client;
    client.connectToHost(kLoopback, listener.serverPort());
    for (timer.restart(); accepted.empty() && timer.elapsed() < 3000;)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(accepted.size(), 1u);
    for (qintptr d : accepted)
        ::close(int(d));
    for (int c : clients)
        ::close(c);
}

} // namespace

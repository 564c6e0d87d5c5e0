#include "net/CNetManager.h"
#include "net/NeighbourTable.h"
#include "net/PeerBounds.h"

#include <QNetworkInterface>
#include <QSignalSpy>
#include <QTest>
#include <QTcpSocket>
#include <QUdpSocket>
#include <gtest/gtest.h>
#include <optional>

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

// The descriptor of the UDP socket bound to the port (-1 for none).
int udpDescriptorOf(quint16 port)
{
    for (int fd = 3; fd < 1024; ++fd) {
        sockaddr_in bound {};
        socklen_t length = sizeof bound;
        int type = 0;
        socklen_t typeLength = sizeof type;
        if (::getsockname(fd, reinterpret_cast<sockaddr *>(&bound), &length) == 0 && bound.sin_family == AF_INET
            && ntohs(bound.sin_port) == port && ::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &typeLength) == 0
            && type == SOCK_DGRAM)
            return fd;
    }
    return -1;
}

// A send that fails for its destination leaves the socket, and the
// datagrams queued on it, alone. A socket that is no longer ours is opened
// again; a bind that fails then is told, tried again, and told when it works.
TEST(CNetManager, AFailedSendLosesNothingQueuedAndNeverDeafensSilently)
{
    auto o = loopbackOptions();
    o.listenTcp = false;
    CNetManager a, b;
    ASSERT_TRUE(a.Open(o));
    ASSERT_TRUE(b.Open(o));
    QSignalSpy received(&a, &CNetManager::datagramReceived);
    QSignalSpy listening(&a, &CNetManager::listeningChanged);
    for (const char *text : { "one", "two", "three" })
        ASSERT_TRUE(b.SendDatagram(0x7F000001u, a.port(), QByteArray(text)));
    // A socket bound to loopback reaches no other network. The failures
    // are counted, told once for the second however many there were.
    QSignalSpy failed(&a, &CNetManager::sendsFailed);
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(a.SendDatagram(0x0AFFFF01u, quint16(2425 + i), QByteArrayLiteral("x")));
    for (int i = 0; i < 100 && received.size() < 3; ++i)
        QTest::qWait(20);
    EXPECT_EQ(received.size(), 3);
    EXPECT_TRUE(listening.isEmpty());
    ASSERT_TRUE(failed.size() == 1 || failed.wait(3000));
    EXPECT_EQ(failed.at(0).at(0).toULongLong(), 5u);
    QTest::qWait(int(PeerBounds::kSendFailureReportMs) + 200);
    EXPECT_EQ(failed.size(), 1);

    // The socket's descriptor turns into another file; another socket takes the port.
    const int fd = udpDescriptorOf(a.port());
    ASSERT_GE(fd, 0);
    const int other = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(::dup2(other, fd), 0);
    ::close(other);
    QUdpSocket thief;
    ASSERT_TRUE(thief.bind(kLoopback, a.port()));
    EXPECT_FALSE(a.SendDatagram(0x7F000001u, b.port(), QByteArrayLiteral("y")));
    ASSERT_EQ(listening.size(), 1);
    EXPECT_FALSE(listening.at(0).at(0).toBool());
    EXPECT_FALSE(listening.at(0).at(1).toString().isEmpty());
    EXPECT_FALSE(a.SendDatagram(0x7F000001u, b.port(), QByteArrayLiteral("y")));
    EXPECT_EQ(listening.size(), 1);
    thief.close();
    ASSERT_TRUE(listening.wait(5000));
    EXPECT_TRUE(listening.at(1).at(0).toBool());
    received.clear();
    ASSERT_TRUE(b.SendDatagram(0x7F000001u, a.port(), QByteArrayLiteral("back")));
    ASSERT_TRUE(received.wait(2000));
    EXPECT_EQ(received.at(0).at(0).toByteArray(), QByteArrayLiteral("back"));
}

namespace {
// An address of one of this machine's networks that the kernel's neighbour
// table does not know (none when the machine has no such network).
std::optional<quint32> unresolvedNeighbour()
{
    NeighbourTable neighbours;
    neighbours.Load();
    for (const QNetworkInterface &iface : QNetworkInterface::allInterfaces()) {
        if (!(iface.flags() & QNetworkInterface::IsUp) || (iface.flags() & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : iface.addressEntries()) {
            const quint32 ip = entry.ip().toIPv4Address();
            const quint32 mask = entry.netmask().toIPv4Address();
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol || (~mask) < 6)
                continue;
            for (quint32 host = (~mask) - 1; host > (~mask) - 6; --host) {
                const quint32 candidate = (ip & mask) | host;
                if (candidate != ip && !neighbours.Mac(candidate))
                    return candidate;
            }
        }
    }
    return std::nullopt;
}
} // namespace

// An address of our network that no host answered the kernel's neighbour
// query for: what goes there, whatever the port, stays within its part of
// the send buffer. (The socket is bound to loopback: nothing leaves.)
TEST(CNetManager, WhatWaitsTowardAnUnresolvedAddressIsBoundedWhateverThePort)
{
    const std::optional<quint32> unheld = unresolvedNeighbour();
    if (!unheld)
        GTEST_SKIP() << "this machine has no network but loopback";
    auto o = loopbackOptions();
    o.listenTcp = false;
    CNetManager a;
    ASSERT_TRUE(a.Open(o));
    EXPECT_GT(a.sendBufferBytes(), 0);
    QSignalSpy refused(&a, &CNetManager::sendRefused);
    const QByteArray packet(100, 'x');
    const int fits = int(PeerBounds::kUnresolvedBytesPerAddress / UnresolvedSends::Charge(packet.size()));
    for (int i = 0; i < fits + 10; ++i)
        a.SendDatagram(*unheld, quint16(20000 + i), packet);
    ASSERT_EQ(refused.size(), 10);
    EXPECT_EQ(refused.at(0).at(0).toUInt(), *unheld);
    // Loopback waits for no neighbour; beyond our networks the neighbour is
    // a router.
    refused.clear();
    for (int i = 0; i < fits + 10; ++i) {
        a.SendDatagram(0x7F000001u, quint16(20000 + i), packet);
        a.SendDatagram(*unheld ^ 0x40000000u, quint16(20000 + i), packet);
    }
    EXPECT_TRUE(refused.isEmpty());
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

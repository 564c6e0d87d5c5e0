#include "net/SourceAddress.h"

#include "net/CNetManager.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

quint32 ip(const char *text)
{
    return QHostAddress(QLatin1String(text)).toIPv4Address();
}

TEST(SourceAddress, NoAnswerCanReachEveryHostOrOurselves)
{
    const QList<SourceAddress::Network> own = {
        { ip("10.213.5.1"), ip("255.255.255.0") },
        { ip("192.168.7.9"), ip("255.255.252.0") },
        { ip("172.16.0.1"), ip("255.255.255.254") },
    };
    struct Case
    {
        const char *address;
        bool loopback;
        bool peer;
    };
    const Case cases[] = {
        { "10.213.5.2", false, true },
        { "10.213.5.254", false, true },
        { "10.213.5.255", false, false }, // our network's broadcast
        { "10.213.5.0", false, false }, // and its network address
        { "10.213.6.255", false, true }, // another network's host, for all we know
        { "192.168.7.255", false, false }, // the broadcast of a /22
        { "192.168.4.0", false, false },
        { "192.168.7.0", false, true }, // hosts inside it
        { "192.168.4.255", false, true },
        { "172.16.0.0", false, true }, // a /31 link: both ends are hosts
        { "172.16.0.1", false, true },
        { "0.0.0.0", false, false },
        { "0.1.2.3", true, false },
        { "255.255.255.255", false, false },
        { "224.0.0.1", false, false },
        { "226.81.9.8", false, false },
        { "239.255.255.250", false, false },
        { "240.0.0.1", false, false },
        { "127.0.0.1", true, true },
        { "127.0.0.1", false, false }, // a loopback source from the wire
    };
    for (const Case &c : cases)
        EXPECT_EQ(SourceAddress::IsPeer(ip(c.address), c.loopback, own), c.peer)
            << c.address << (c.loopback ? " via loopback" : "");
}

TEST(SourceAddress, LoopbackPeersStillReachEachOther)
{
    // The kernel tells the interface: a datagram between two loopback sockets
    // is not dropped.
    CNetManager::Options options;
    options.bindAddress = QHostAddress(QHostAddress::LocalHost);
    options.port = 0;
    options.broadcastTargets = { options.bindAddress };
    CNetManager a, b;
    ASSERT_TRUE(a.Open(options));
    ASSERT_TRUE(b.Open(options));
    QSignalSpy received(&b, &CNetManager::datagramReceived);
    QSignalSpy refused(&b, &CNetManager::sourceRefused);
    ASSERT_TRUE(a.SendDatagram(0x7F000001u, b.port(), QByteArray("1:2:x:y:0:")));
    ASSERT_TRUE(received.wait(2000));
    EXPECT_EQ(refused.count(), 0);
    EXPECT_TRUE(b.IsPeerAddress(0x7F000001u));
    EXPECT_FALSE(b.IsPeerAddress(0));
    EXPECT_FALSE(b.IsPeerAddress(0xFFFFFFFFu));
}

TEST(SourceAddress, OurNetworksAreThoseOfEveryInterfaceNotOfOurAddress)
{
    // Bound to loopback our own address is 127.0.0.1, on none of the
    // machine's networks: each of them counts all the same.
    CNetManager::Options options;
    options.bindAddress = QHostAddress(QHostAddress::LocalHost);
    options.port = 0;
    CNetManager net;
    ASSERT_TRUE(net.Open(options));
    ASSERT_EQ(net.ownAddress(), 0x7F000001u);
    const quint32 elsewhere = ip("203.0.113.9");
    bool elsewhereOurs = false;
    for (const QNetworkInterface &iface : QNetworkInterface::allInterfaces()) {
        if (!(iface.flags() & QNetworkInterface::IsUp) || (iface.flags() & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : iface.addressEntries()) {
            const quint32 mask = entry.netmask().toIPv4Address();
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol || mask == 0)
                continue;
            // Another host of that network (the lowest bit of the host part flipped).
            const quint32 other = entry.ip().toIPv4Address() ^ (~mask & 1u);
            EXPECT_TRUE(net.IsOnOwnNetwork(other)) << qPrintable(entry.ip().toString());
            elsewhereOurs = elsewhereOurs || (elsewhere & mask) == (entry.ip().toIPv4Address() & mask);
        }
    }
    EXPECT_EQ(net.IsOnOwnNetwork(elsewhere), elsewhereOurs);
    EXPECT_TRUE(net.IsOnOwnNetwork(ip("127.0.0.2"))) << "loopback, while our own address is a loopback one";
    net.setOwnIdentity(ip("198.51.100.1"), QString());
    EXPECT_FALSE(net.IsOnOwnNetwork(ip("127.0.0.2")));
}

} // namespace

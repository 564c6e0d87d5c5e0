#include "hostile_wire.h"

#include "net/Commands.h"
#include "net/PacketCodec.h"

#include <QHostAddress>

#include <arpa/inet.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cstring>

namespace {

quint16 onesComplement(const QByteArray &bytes, quint32 sum = 0)
{
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        sum += (quint32(quint8(bytes[i])) << 8) | quint8(bytes[i + 1]);
    if (bytes.size() % 2)
        sum += quint32(quint8(bytes.back())) << 8;
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return quint16(~sum & 0xFFFF);
}

void put16(QByteArray &b, qsizetype at, quint16 v)
{
    b[at] = char(v >> 8);
    b[at + 1] = char(v & 0xFF);
}

void put32(QByteArray &b, qsizetype at, quint32 v)
{
    put16(b, at, quint16(v >> 16));
    put16(b, at + 2, quint16(v & 0xFFFF));
}

// A UDP header and payload with its checksum over the pseudo header (right,
// or off by one when wrong).
QByteArray udpSegment(quint32 from, quint16 fromPort, quint32 to, quint16 toPort, const QByteArray &payload, bool wrong)
{
    QByteArray udp(8, '\0');
    put16(udp, 0, fromPort);
    put16(udp, 2, toPort);
    put16(udp, 4, quint16(8 + payload.size()));
    udp += payload;
    QByteArray pseudo(12, '\0');
    put32(pseudo, 0, from);
    put32(pseudo, 4, to);
    pseudo[9] = char(IPPROTO_UDP);
    put16(pseudo, 10, quint16(udp.size()));
    quint16 sum = onesComplement(pseudo + udp);
    if (sum == 0)
        sum = 0xFFFF;
    if (wrong)
        sum = sum == 0xFFFF ? 1 : quint16(sum + 1);
    put16(udp, 6, sum);
    return udp;
}

// The whole IPv4 datagram, nothing filled in by the kernel.
QByteArray ipDatagram(quint32 from, quint16 fromPort, quint32 to, quint16 toPort, const QByteArray &payload)
{
    const QByteArray udp = udpSegment(from, fromPort, to, toPort, payload, false);
    QByteArray ip(20, '\0');
    ip[0] = char(0x45);
    put16(ip, 2, quint16(20 + udp.size()));
    ip[8] = char(64);
    ip[9] = char(IPPROTO_UDP);
    put32(ip, 12, from);
    put32(ip, 16, to);
    put16(ip, 10, onesComplement(ip));
    return ip + udp;
}

// Sends a datagram as a link-layer broadcast frame from eth0: its source
// address is whatever the datagram says.
bool sendFrame(const QByteArray &datagram)
{
    const int fd = ::socket(AF_PACKET, SOCK_DGRAM | SOCK_CLOEXEC, htons(ETH_P_IP));
    if (fd < 0)
        return false;
    sockaddr_ll to {};
    to.sll_family = AF_PACKET;
    to.sll_protocol = htons(ETH_P_IP);
    to.sll_ifindex = int(if_nametoindex("eth0"));
    to.sll_halen = ETH_ALEN;
    std::memset(to.sll_addr, 0xFF, ETH_ALEN);
    const bool ok = to.sll_ifindex > 0
        && ::sendto(fd, datagram.constData(), size_t(datagram.size()), 0, reinterpret_cast<sockaddr *>(&to), sizeof to)
            == datagram.size();
    ::close(fd);
    return ok;
}

QByteArray packet(const QString &login, quint32 number, quint32 commandWord, QByteArrayView body)
{
    OwnHeader own;
    own.userName = login;
    own.hostName = login + QStringLiteral("-pc");
    return PacketCodec::BuildPacket(own, number, commandWord, body);
}

} // namespace

std::optional<bool> RunWireAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const QString attack = words.value(0);
    if (attack == QLatin1String("badsum")) {
        const int n = qBound(1, words.value(1).toInt(), 100);
        // The kernel puts the IP header around it and leaves the checksum be.
        const int fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_UDP);
        if (fd < 0)
            return false;
        sockaddr_in to {};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(target);
        int sent = 0;
        for (int i = 0; i < n; ++i) {
            // 20 bytes of IP header, 8 of UDP, 142 of an entry's text.
            const QByteArray payload = packet(QStringLiteral("badsum"), quint32(7000 + i), CMD_ANNOUNCE_ENTRY, "x")
                                           .leftJustified(142, ' ', true);
            // The source address is the one the kernel gives: ours.
            const QByteArray udp = udpSegment(0, 2425, target, port, payload, true);
            if (::sendto(fd, udp.constData(), size_t(udp.size()), 0, reinterpret_cast<sockaddr *>(&to), sizeof to)
                == udp.size())
                ++sent;
        }
        ::close(fd);
        report(QStringLiteral("BADSUM sent %1").arg(sent));
        return sent == n;
    }
    if (attack == QLatin1String("zerosource")) {
        const bool ok = sendFrame(ipDatagram(0, 2425, 0xFFFFFFFFu, port,
            packet(QStringLiteral("zerosource"), 7100, CMD_ANNOUNCE_ENTRY, "zero")));
        report(QStringLiteral("ZEROSOURCE sent %1").arg(ok ? 1 : 0));
        return ok;
    }
    if (attack == QLatin1String("fromaddr")) {
        const quint32 from = QHostAddress(words.value(1)).toIPv4Address();
        const quint16 fromPort = quint16(words.value(2).toUInt());
        const QString login = QStringLiteral("fromaddr");
        int sent = 0;
        for (const QByteArray &p : { packet(login, 7200, CMD_ANNOUNCE_ENTRY, "bcast"),
                 packet(login, 7201, CMD_GET_INFO, ""),
                 packet(login, 7202, CMD_MESSAGE_OPENED | OPT_READ_CHECK, "7202") })
            sent += sendFrame(ipDatagram(from, fromPort, target, port, p)) ? 1 : 0;
        report(QStringLiteral("FROMADDR sent %1").arg(sent));
        return from != 0 && sent == 3;
    }
    if (attack == QLatin1String("numbers")) {
        const quint32 from = QHostAddress(words.value(1)).toIPv4Address();
        const quint16 fromPort = quint16(words.value(2).toUInt());
        const quint32 first = words.value(3).toUInt();
        const int n = qBound(1, words.value(4).toInt(), 10000);
        int sent = 0;
        for (int i = 0; i < n; ++i)
            sent += sendFrame(ipDatagram(from, fromPort, target, port,
                        packet(QStringLiteral("numbers"), first + quint32(i), 0, {})))
                ? 1
                : 0;
        report(QStringLiteral("NUMBERS sent %1").arg(sent));
        return from != 0 && sent == n;
    }
    return std::nullopt;
}

#include "hostile_budget.h"

#include "hostile.h"

#include "core/Gbk.h"
#include "net/Commands.h"
#include "net/PacketCodec.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>
#include <cstring>

namespace {

// Sends datagrams from one port with any source address at all (root only):
// the address goes with each datagram.
class ForgedSender
{
public:
    ForgedSender(quint16 fromPort, quint32 target, quint16 targetPort)
        : m_target(target)
        , m_port(targetPort)
    {
        m_fd = OpenForgedSocket(0, fromPort);
    }
    ~ForgedSender()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ForgedSender(const ForgedSender &) = delete;
    ForgedSender &operator=(const ForgedSender &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    bool send(quint32 from, const QByteArray &data)
    {
        sockaddr_in to {};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(m_target);
        to.sin_port = htons(m_port);
        iovec iov { const_cast<char *>(data.constData()), size_t(data.size()) };
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
        msghdr msg {};
        msg.msg_name = &to;
        msg.msg_namelen = sizeof to;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        cmsghdr *c = CMSG_FIRSTHDR(&msg);
        c->cmsg_level = IPPROTO_IP;
        c->cmsg_type = IP_PKTINFO;
        c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info {};
        info.ipi_spec_dst.s_addr = htonl(from);
        std::memcpy(CMSG_DATA(c), &info, sizeof info);
        return m_fd >= 0 && ::sendmsg(m_fd, &msg, 0) == data.size();
    }

private:
    int m_fd = -1;
    quint32 m_target;
    quint16 m_port;
};

OwnHeader header(const QString &login)
{
    OwnHeader own;
    own.userName = login;
    own.hostName = login + QStringLiteral("-pc");
    return own;
}

bool has(const RawPeer &peer, quint32 command)
{
    return std::any_of(peer.answers().cbegin(), peer.answers().cend(),
        [command](const PacketRecord &p) { return p.command() == command; });
}

// Collects until an answer of the command came or ms passed; the time it
// took (-1: none).
qint64 awaitAnswer(RawPeer &peer, quint32 command, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        peer.collect(5);
        if (has(peer, command))
            return clock.elapsed();
    }
    return -1;
}

bool flood(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const int seconds = qBound(1, words.value(1).toInt(), 120);
    const int rate = qBound(1, words.value(2).toInt(), 100000);
    const bool junk = words.value(3) == QLatin1String("junk");
    const quint32 count = quint32(qBound(1, words.value(4).toInt(), 65000));
    ForgedSender sender(20001, target, port);
    if (!sender.isOpen())
        return false;
    const QByteArray noop = PacketCodec::BuildPacket(header(QStringLiteral("noop")), 1, CMD_NO_OPERATION, {});
    QElapsedTimer clock;
    clock.start();
    qint64 n = 0, sent = 0;
    while (clock.elapsed() < qint64(seconds) * 1000) {
        for (const qint64 due = clock.elapsed() * rate / 1000; n < due; ++n) {
            const quint32 from = 0x0A630000u + 1 + quint32(n % count);
            if (sender.send(from, junk ? QByteArray(1, 'x') : noop))
                ++sent;
        }
        PumpEvents(1);
    }
    report(QStringLiteral("FLOOD sent %1").arg(sent));
    return true;
}

bool newcomer(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const int seconds = qBound(1, words.value(1).toInt(), 120);
    int tries = 0, entries = 0, receipts = 0;
    qint64 worst = 0;
    QElapsedTimer whole;
    whole.start();
    while (whole.elapsed() < qint64(seconds) * 1000) {
        RawPeer peer(target, port, QStringLiteral("newcomer%1").arg(tries++));
        QElapsedTimer clock;
        clock.start();
        peer.send(CMD_ANNOUNCE_ENTRY, "newcomer");
        const qint64 entry = awaitAnswer(peer, CMD_ANSWER_ENTRY, 3000);
        peer.reset();
        peer.send(CMD_SEND_MESSAGE | OPT_SEND_CHECK, "hello");
        const qint64 receipt = entry < 0 ? -1 : awaitAnswer(peer, CMD_MESSAGE_RECEIVED, 3000);
        // It leaves again: the host table keeps 32 ports of an address.
        peer.send(CMD_ANNOUNCE_EXIT, {});
        entries += entry >= 0;
        receipts += receipt >= 0;
        worst = std::max({ worst, entry < 0 ? 3000 : entry, receipt < 0 ? 3000 : receipt });
        PumpEvents(int(std::max<qint64>(0, 500 - clock.elapsed())));
    }
    report(QStringLiteral("NEWCOMER tries %1 entries %2 receipts %3 max-ms %4")
               .arg(tries)
               .arg(entries)
               .arg(receipts)
               .arg(worst));
    return true;
}

bool holdslots(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const quint32 first = QHostAddress(words.value(1)).toIPv4Address();
    const int count = qBound(1, words.value(2).toInt(), 256);
    const int ports = qBound(1, words.value(3).toInt(), 64);
    const int seconds = qBound(1, words.value(4).toInt(), 120);
    std::vector<std::unique_ptr<ForgedSender>> senders;
    for (int p = 0; p < ports; ++p) {
        senders.push_back(std::make_unique<ForgedSender>(quint16(42000 + p), target, port));
        if (!senders.back()->isOpen())
            return false;
    }
    const OwnHeader own = header(QStringLiteral("holder"));
    quint32 number = 8000000;
    qint64 bytes = 0, packets = 0;
    const auto send = [&](ForgedSender &s, quint32 from, quint32 command, QByteArrayView body) {
        const QByteArray packet = PacketCodec::BuildPacket(own, ++number, command, body);
        if (s.send(from, packet)) {
            bytes += packet.size();
            ++packets;
        }
    };
    QElapsedTimer clock;
    clock.start();
    // One request a port a second, the kinds in turn.
    const quint32 requests[] = { CMD_GET_PICTURE, CMD_GET_CUSTOM_PICTURE, CMD_GET_SHARE_LIST };
    for (int round = 0; clock.elapsed() < qint64(seconds) * 1000; ++round) {
        for (int a = 0; a < count; ++a) {
            for (int p = 0; p < ports; ++p) {
                if (round == 0)
                    send(*senders[size_t(p)], first + quint32(a), CMD_ANNOUNCE_ENTRY, "holder");
                const quint32 command = requests[(round + a + p) % 3];
                send(*senders[size_t(p)], first + quint32(a), command,
                    command == CMD_GET_SHARE_LIST ? QByteArrayView() : QByteArrayView("0"));
            }
        }
        PumpEvents(int(std::max<qint64>(0, qint64(round + 1) * 1000 - clock.elapsed())));
    }
    report(QStringLiteral("HOLDSLOTS sent %1 packets %2").arg(bytes).arg(packets));
    return true;
}

bool fetcher(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    RawPeer peer(target, port, QStringLiteral("fetcher"));
    peer.setEchoPacketNumber(words.value(1) == QLatin1String("number"));
    if (!peer.isOpen())
        return false;
    qint64 asked = peer.send(CMD_ANNOUNCE_ENTRY, "fetcher");
    peer.collect(300);
    asked += peer.send(CMD_GET_PICTURE, "0");
    asked += peer.send(CMD_GET_SHARE_LIST, {});
    peer.collect(3000);
    int challenges = 0, chunks = 0, lists = 0;
    qint64 challengeBytes = 0;
    for (const PacketRecord &p : peer.answers()) {
        if (p.command() == CMD_MESSAGE_OPENED && p.hasOption(OPT_READ_CHECK)) {
            ++challenges;
            challengeBytes = std::max<qint64>(challengeBytes, p.datagramBytes);
        }
        chunks += p.command() == CMD_HEAD_PICTURE_DATA || p.command() == CMD_PICTURE_DATA;
        lists += p.command() == CMD_SHARE_LIST;
    }
    report(QStringLiteral("FETCHER asked %1 challenges %2 challenge-bytes %3 chunks %4 lists %5")
               .arg(asked)
               .arg(challenges)
               .arg(challengeBytes)
               .arg(chunks)
               .arg(lists));
    return true;
}

bool readflood(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const int seconds = qBound(1, words.value(1).toInt(), 120);
    const int rate = qBound(1, words.value(2).toInt(), 10000);
    RawPeer peer(target, port, QStringLiteral("reader"));
    if (!peer.isOpen() || !peer.announce())
        return false;
    // It proves itself as any peer does: it fetches the head picture.
    peer.send(CMD_GET_PICTURE, "0");
    peer.collect(1500);
    peer.reset();
    const QByteArray notice(16000, '7');
    QElapsedTimer clock;
    clock.start();
    qint64 n = 0, sent = 0;
    while (clock.elapsed() < qint64(seconds) * 1000) {
        for (const qint64 due = clock.elapsed() * rate / 1000; n < due; ++n)
            sent += peer.send(CMD_MESSAGE_OPENED | OPT_READ_CHECK, notice);
        peer.collect(2);
    }
    peer.collect(500);
    int echoes = 0;
    bool numbers = true;
    for (const PacketRecord &p : peer.answers()) {
        if (p.command() != CMD_ANSWER_READ)
            continue;
        ++echoes;
        numbers = numbers && p.body.size() <= 11;
    }
    report(QStringLiteral("READFLOOD sent %1 echoed %2 echoes %3 numbers-only %4")
               .arg(sent)
               .arg(peer.bytesIn())
               .arg(echoes)
               .arg(numbers ? QLatin1Char('Y') : QLatin1Char('N')));
    return true;
}

bool receipts(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const int n = qBound(1, words.value(1).toInt(), 1000);
    RawPeer peer(target, port, QStringLiteral("chatter"));
    if (!peer.isOpen() || !peer.announce())
        return false;
    int got = 0;
    qint64 worst = 0;
    for (int i = 0; i < n; ++i) {
        QElapsedTimer clock;
        clock.start();
        peer.reset();
        peer.send(CMD_SEND_MESSAGE | OPT_SEND_CHECK, QByteArray(QByteArray("message ") + QByteArray::number(i)));
        const qint64 took = awaitAnswer(peer, CMD_MESSAGE_RECEIVED, 1000);
        got += took >= 0;
        worst = std::max(worst, took < 0 ? 1000 : took);
        PumpEvents(int(std::max<qint64>(0, 250 - clock.elapsed())));
    }
    report(QStringLiteral("RECEIPTS sent %1 got %2 max-ms %3").arg(n).arg(got).arg(worst));
    return true;
}

bool plainchat(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    QUdpSocket socket;
    if (!socket.bind(QHostAddress(QHostAddress::AnyIPv4), 0))
        return false;
    const bool shortNames = words.value(1) == QLatin1String("short");
    const QString login = shortNames ? QStringLiteral("li") : QStringLiteral("plain");
    const QString host = shortNames ? QStringLiteral("pc") : QStringLiteral("plain-pc");
    const auto await = [&](quint32 command, int ms) -> qint64 {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            while (socket.hasPendingDatagrams()) {
                const QNetworkDatagram d = socket.receiveDatagram();
                PacketRecord p;
                if (PacketCodec::ParsePacket(d.data(), d.senderAddress().toIPv4Address(), quint16(d.senderPort()), p)
                        == PacketStatus::Ok
                    && p.command() == command)
                    return clock.elapsed();
            }
            socket.waitForReadyRead(5);
        }
        return -1;
    };
    const QByteArray entry = shortNames
        ? PacketCodec::BuildPlainPacket(login, host, 300001, CMD_ANNOUNCE_ENTRY, "li")
        : PacketCodec::BuildPlainPacket(login, host, 300001, CMD_ANNOUNCE_ENTRY, "plain", "group");
    socket.writeDatagram(entry, QHostAddress(target), port);
    const bool answered = await(CMD_ANSWER_ENTRY, 2000) >= 0;
    PumpEvents(300);
    socket.writeDatagram(PacketCodec::BuildPlainPacket(login, host, 300002, CMD_SEND_MESSAGE | OPT_SEND_CHECK,
                             Gbk::encode(QString::fromUtf8("在吗"))),
        QHostAddress(target), port);
    const qint64 receipt = await(CMD_MESSAGE_RECEIVED, 3000);
    report(QStringLiteral("PLAINCHAT entry-answer %1 receipt-ms %2")
               .arg(answered ? QLatin1Char('Y') : QLatin1Char('N'))
               .arg(receipt));
    return true;
}

} // namespace

std::optional<bool> RunAnswerBudgetAttack(
    const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    const QString attack = words.value(0);
    if (attack == QLatin1String("flood"))
        return flood(words, target, port, report);
    if (attack == QLatin1String("newcomer"))
        return newcomer(words, target, port, report);
    if (attack == QLatin1String("holdslots"))
        return holdslots(words, target, port, report);
    if (attack == QLatin1String("fetcher"))
        return fetcher(words, target, port, report);
    if (attack == QLatin1String("readflood"))
        return readflood(words, target, port, report);
    if (attack == QLatin1String("receipts"))
        return receipts(words, target, port, report);
    if (attack == QLatin1String("plainchat"))
        return plainchat(words, target, port, report);
    return std::nullopt;
}

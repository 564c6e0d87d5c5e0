#include "net/CNetManager.h"

#include "core/Gbk.h"
#include "net/HostRecord.h"
#include "net/SourceAddress.h"

#include <QDateTime>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QSet>

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int kMaxDatagram = 65536;
// Datagrams read in one turn of the event loop: a flood does not hold off the
// timers; the socket, still readable, brings the rest in the next turn.
constexpr int kDatagramsPerTurn = 256;
constexpr int kListenBacklog = 1024;
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
            if (const quint32 mask = entry.netmask().toIPv4Address())
                m_ownNetmask = mask;
            m_ownMac = iface.hardwareAddress().remove(QLatin1Char(':')).toUpper();
            if (m_ownMac.size() != 12)
                m_ownMac.clear();
            return;
        }
    }
}

bool CNetManager::SendDatagram(quint32 address, quint16 port, const QByteArray &packet)
{
    if (m_sendObserver)
        m_sendObserver(address, packet);
    const QHostAddress to(address);
    if (m_udp.writeDatagram(packet, to, port) == packet.size())
        return true;
    // The socket went bad under us (the network went down and came back):
    // open it again and try once more. A refused destination is not that.
    if (m_udp.state() == QAbstractSocket::BoundState && m_udp.error() != QAbstractSocket::NetworkError)
        return false;
    m_udp.close();
    if (!bindUdp())
        return false;
    return m_udp.writeDatagram(packet, to, port) == packet.size();
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
        SendDatagram(address, m_options.broadcastPort ? m_options.broadcastPort : m_options.port, packet);
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

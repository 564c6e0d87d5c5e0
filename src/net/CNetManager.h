// The sockets of the messenger: UDP on 0.0.0.0:port for every protocol packet
// (broadcast on), and a TCP listener on the same port for file requests.
#pragma once

#include "net/HostKey.h"
#include "net/InterfaceWatch.h"
#include "net/NeighbourTable.h"
#include "net/PacketCodec.h"
#include "net/SourceAddress.h"
#include "net/UnresolvedSends.h"

#include <QHostAddress>
#include <QList>
#include <QNetworkDatagram>
#include <QObject>
#include <QTcpServer>
#include <QTimer>
#include <QUdpSocket>
#include <functional>

class HostRecord;

// The TCP listener: accepted connections go to a handler (the file server)
// as raw descriptors, or are queued the ordinary way when none is set.
// When the process has no descriptor left, the waiting connections are
// accepted on a descriptor kept spare for this and closed at once, and
// accepting goes on: the peers see a refusal, never a listener that stopped.
class TcpListener : public QTcpServer
{
    Q_OBJECT
public:
    using Handler = std::function<void(qintptr descriptor)>;
    explicit TcpListener(QObject *parent = nullptr);
    ~TcpListener() override;
    void setHandler(Handler handler) { m_handler = std::move(handler); }
    // Connections closed at once for want of descriptors.
    quint64 refusedForDescriptors() const { return m_refused; }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void onAcceptError(QAbstractSocket::SocketError error);
    bool refuseWaiting();

    Handler m_handler;
    int m_spare = -1;
    quint64 m_refused = 0;
    QTimer m_resume;
};

class CNetManager : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QHostAddress bindAddress = QHostAddress(QHostAddress::AnyIPv4);
        quint16 port = 2425;
        // Where a broadcast goes. Empty: 255.255.255.255 and the directed
        // broadcast of every interface. Tests put loopback addresses here.
        QList<QHostAddress> broadcastTargets;
        // The port broadcasts go to; 0 is the own port (tests aim them at a probe).
        quint16 broadcastPort = 0;
        bool listenTcp = true;
    };

    explicit CNetManager(QObject *parent = nullptr);
    ~CNetManager() override;

    // Opens the sockets. False with errorText() naming the failing call.
    bool Open(const Options &options);
    void Close();
    bool isOpen() const { return m_udp.state() == QAbstractSocket::BoundState; }
    QString errorText() const { return m_error; }

    quint16 port() const { return m_options.port; }
    bool hasTcp() const { return m_tcp.isListening(); }
    QTcpServer *tcpServer() { return &m_tcp; }
    // Accepted TCP connections go to the handler from now on.
    void setConnectionHandler(TcpListener::Handler handler) { m_tcp.setHandler(std::move(handler)); }

    // The user's own IPv4 address (host order) and MAC text (12 upper-case hex digits).
    quint32 ownAddress() const { return m_ownAddress; }
    QString ownMac() const { return m_ownMac; }
    // False for an address no peer can have: 0.0.0.0, multicast, the limited
    // broadcast, or the network or broadcast address of one of our networks.
    // Datagrams from such a source are dropped as they are read. Our
    // networks are read again whenever the interfaces change, before the
    // next datagram is judged.
    bool IsPeerAddress(quint32 address) const;
    // True when the address is on one of our networks: that of an address
    // of an interface that is up now (read again when the interfaces
    // changed since the last look, as for a datagram), or the loopback
    // network while our own address is a loopback one.
    bool IsOnOwnNetwork(quint32 address);
    void setOwnIdentity(quint32 address, const QString &mac);

    // Every sender takes the next packet number from here (read, then incremented).
    quint32 NextPacketNumber() { return m_packetCounter++; }

    // Sends an already built packet. A send that fails for its destination
    // leaves the socket alone. When the socket is no longer ours it is opened
    // again (what it still held is handed on after) and the send is tried
    // once more; a bind that fails is told (listeningChanged) and tried
    // again every second until it succeeds. Toward an address whose
    // neighbour the kernel has not resolved, only within UnresolvedSends
    // (a datagram refused is told: sendRefused).
    bool SendDatagram(quint32 address, quint16 port, const QByteArray &packet);
    // Which addresses echoed our challenge: an unresolved one of them is held
    // to its own bound only, not to the share of all unresolved ones.
    void setProvenFilter(std::function<bool(quint32 address)> filter) { m_proven = std::move(filter); }
    // The size of the socket's send buffer, as the kernel gave it.
    qint64 sendBufferBytes() const { return m_sendBuffer; }
    // To 255.255.255.255 (or the test targets), each interface's directed
    // broadcast and the given subnet addresses, on the own port.
    void Broadcast(const QByteArray &packet, const QList<quint32> &subnetAddresses);

    // The sender fields of every packet built here (names, status, MAC...).
    void setHeaderSource(std::function<OwnHeader()> source) { m_headerSource = std::move(source); }
    // Hears of every datagram sent, with its destination (broadcasts too).
    using SendObserver = std::function<void(quint32 address, QByteArrayView packet)>;
    void setSendObserver(SendObserver observer) { m_sendObserver = std::move(observer); }
    OwnHeader ownHeader() const;

    // Formats a complete packet with the next packet number; see PacketCodec::BuildPacket.
    QByteArray BuildPacket(quint32 packetNumber, quint32 commandWord, QByteArrayView body,
        QByteArrayView extension = {}, qint32 extLen = 0, qint32 binaryLength = 0) const;
    // Takes the next packet number, builds one packet and sends it to the
    // address and port of the key. The texts are bytes as they go on the wire.
    bool SendToHost(const HostKey &to, quint32 commandWord, QByteArrayView body, QByteArrayView extension = {},
        qint32 extLen = 0, qint32 binaryLength = 0);
    // The same with texts that are converted to GBK.
    bool SendTextToHost(const HostKey &to, quint32 commandWord, const QString &body, const QString &extension = {});
    bool SendToAddress(quint32 address, quint16 port, quint32 commandWord, const QString &text);
    // A command whose body is a decimal number, written as the header writes
    // its numbers ("%ld": from 2^31 on negative), so that a packet number
    // echoed in a receipt (CMD_MESSAGE_RECEIVED), a read notice
    // (CMD_MESSAGE_OPENED) or a release (CMD_RELEASE_FILES) is the one the
    // peer's header carried.
    bool SendNumber(const HostKey &to, quint32 commandWord, quint32 number);
    bool SendNumber(const HostRecord &to, quint32 commandWord, quint32 number);
    // Sends an already built packet as it stands.
    bool SendRawText(quint32 address, quint16 port, const QByteArray &packet);

signals:
    void datagramReceived(const QByteArray &data, quint32 address, quint16 port);
    // A datagram from a source no peer can have, dropped unread.
    void sourceRefused(quint32 address);
    // The UDP socket could not be opened again (listening false, with the
    // error), or is open again after that (true).
    void listeningChanged(bool listening, const QString &error);
    void tcpConnectionArrived();
    // A datagram toward an unresolved address not sent (UnresolvedSends).
    void sendRefused(quint32 address);
    // Sends the kernel refused (a full send buffer, no route...) since the
    // last report, told at most once in PeerBounds::kSendFailureReportMs.
    void sendsFailed(quint64 count);

private:
    bool bindUdp();
    // Writes the datagram, opening the socket again when it is no longer
    // ours; a failure is counted.
    bool sendNow(quint32 address, quint16 port, const QByteArray &packet);
    bool writeOnce(quint32 address, quint16 port, const QByteArray &packet);
    // True when a datagram of that many bytes may go to the address now.
    bool mayWaitFor(quint32 address, qint64 bytes);
    bool neighbourResolved(quint32 address, qint64 nowMs, qint64 readAgainMs);
    void reportFailedSends();
    // True while the UDP socket is bound to our port.
    bool udpHealthy() const;
    // Reads what the socket holds (handed on later), closes and binds it again.
    bool reopenUdp();
    // Binds the socket again; a failure is told once and tried again every
    // kRebindRetryMs, the success after it told too.
    bool rebindUdp();
    void deliverHeld();
    void readPendingDatagrams();
    void deliver(const QNetworkDatagram &datagram);
    void findOwnIdentity();
    void findOwnNetworks();

    Options m_options;
    QUdpSocket m_udp;
    QTimer m_rebind;
    QList<QNetworkDatagram> m_held;
    TcpListener m_tcp;
    QString m_error;
    quint32 m_ownAddress = 0x7F000001;
    QString m_ownMac;
    InterfaceWatch m_interfaces;
    QList<SourceAddress::Network> m_ownNetworks;
    QList<uint> m_loopbackInterfaces;
    quint32 m_packetCounter = 0;
    qint64 m_sendBuffer = 0;
    UnresolvedSends m_unresolved;
    NeighbourTable m_neighbours;
    qint64 m_neighboursRead = -1;
    std::function<bool(quint32)> m_proven;
    quint64 m_failedSends = 0;
    quint64 m_failedReported = 0;
    QTimer m_failureReport;
    std::function<OwnHeader()> m_headerSource;
    SendObserver m_sendObserver;
};

// What a hostile machine on the LAN does, for the load tests of kwelpeer:
// slow file requests that hold connections open, and packets that take a new
// login name each time.
#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QPair>
#include <memory>

#include "net/PacketCodec.h"
#include "net/PacketRecord.h"
#include <functional>
#include <vector>

class QTcpSocket;

// Connections to a file server that send a request one byte a second and
// never finish it. Each one the server closes is opened again a second
// later, until the time is up. The sockets are bound to the source addresses
// in turn (none: the system's choice).
class SlowClients : public QObject
{
    Q_OBJECT
public:
    struct Counts
    {
        int connects = 0; // connections attempted
        int refused = 0; // closed by the server (or refused) within a second of connecting
        int closedLater = 0; // closed by the server after holding them longer
        int heldMax = 0; // the most that were open at once and older than a second
    };

    SlowClients(const QHostAddress &target, quint16 port, int count, int seconds, const QList<QHostAddress> &sources,
        const QByteArray &request, QObject *parent = nullptr);
    ~SlowClients() override;

    void start();
    bool isRunning() const { return m_timer.isActive(); }
    const Counts &counts() const { return m_counts; }
    // "SLOW connects C refused R closed-later L held-max H"
    QString summary() const;

private:
    struct Slot
    {
        QTcpSocket *socket = nullptr;
        QElapsedTimer since; // connected
        qsizetype sent = 0;
        bool closed = true;
    };
    void open(Slot &slot, int index);
    void closed(Slot &slot);
    void tick();

    QHostAddress m_target;
    quint16 m_port;
    int m_seconds;
    QList<QHostAddress> m_sources;
    QByteArray m_request;
    std::vector<Slot> m_slots;
    QElapsedTimer m_clock;
    QTimer m_timer;
    Counts m_counts;
};

// Identity churn: for each of count identities, an exit under the previous
// login name, an answer to an entry under a new one ("churn<N>") and a read
// notice (0x30) for a packet number that was never sent, one identity every
// paceMs. send delivers one built packet to the target.
int ChurnIdentities(
    int count, int paceMs, const QString &hostName, const std::function<bool(const QByteArray &)> &send);

// A peer by hand on a UDP socket of its own (a port no one has listed until
// it announces itself): sends built packets to one target and counts what
// comes back, for the answer ratios and the floods of the hostile tests.
class RawPeer
{
public:
    // from, fromPort: the source address and port to bind (0: the system's choice).
    RawPeer(quint32 target, quint16 targetPort, const QString &login, quint32 from = 0, quint16 fromPort = 0);
    bool isOpen() const;
    quint16 localPort() const;
    void setMac(const QString &macText) { m_own.macText = macText; }
    // Packets are numbered on from `number` (a later run of the same peer
    // must not look like a resend of an earlier one).
    void setNumber(quint32 number) { m_number = number; }
    // A read notice asking for its check is echoed with its body (as this
    // program does), or with its packet number (as plain peers do).
    void setEchoPacketNumber(bool number) { m_echoNumber = number; }
    // ...this long after it came (0: at once), as a slow peer does.
    void setEchoDelay(int ms) { m_echoDelayMs = ms; }
    // Sends one packet; returns its size (0 when it was not sent).
    qint64 send(quint32 commandWord, QByteArrayView body, QByteArrayView extension = {});
    // The packet send() would send next (it takes the next number), unsent;
    // sendPacket sends a built packet as it is (a resend keeps its number).
    QByteArray build(quint32 commandWord, QByteArrayView body, QByteArrayView extension = {});
    qint64 sendPacket(const QByteArray &packet);
    // The number of the last packet sent.
    quint32 lastNumber() const { return m_number; }
    // Sends a packet again under the number it went with before.
    qint64 resend(quint32 number, quint32 commandWord, QByteArrayView body, QByteArrayView extension = {});
    // The entry, then what comes back within 500 ms is thrown away: the
    // target lists this port afterwards.
    bool announce();
    // Waits ms milliseconds, counting the datagrams that arrive (and keeping
    // their parsed packets).
    void collect(int ms);
    void reset() { m_bytesIn = m_bytesOut = m_packetsIn = 0; m_answers.clear(); }
    qint64 bytesIn() const { return m_bytesIn; }
    qint64 bytesOut() const { return m_bytesOut; }
    qint64 packetsIn() const { return m_packetsIn; }
    const QList<PacketRecord> &answers() const { return m_answers; }

private:
    struct Socket;
    std::shared_ptr<Socket> m_socket;
    quint32 m_target;
    quint16 m_port;
    OwnHeader m_own;
    quint32 m_number = 5000000;
    bool m_echoNumber = false;
    int m_echoDelayMs = 0;
    std::vector<std::pair<QDeadlineTimer, QByteArray>> m_echoes; // due, body
    qint64 m_bytesIn = 0;
    qint64 m_bytesOut = 0;
    qint64 m_packetsIn = 0;
    QList<PacketRecord> m_answers;
};

// Runs the event loop for ms milliseconds.
void PumpEvents(int ms);

// Sends packets with a source address and port of our choosing (the address
// need not be ours: IP_TRANSPARENT, root only) and reads nothing.
class ForgedPeer
{
public:
    ForgedPeer(quint32 from, quint16 fromPort, quint32 target, quint16 targetPort, const QString &login);
    ~ForgedPeer();
    ForgedPeer(const ForgedPeer &) = delete;
    ForgedPeer &operator=(const ForgedPeer &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // The header its packets carry (the picture sizes they announce...).
    OwnHeader &header() { return m_own; }
    // Sends one packet; returns its size (0 when it was not sent).
    qint64 send(quint32 commandWord, QByteArrayView body, QByteArrayView extension = {});
    qint64 sent() const { return m_sent; }
    qint64 packets() const { return m_packets; }

private:
    int m_fd = -1;
    quint32 m_target;
    quint16 m_port;
    OwnHeader m_own;
    quint32 m_number = 9000000;
    qint64 m_sent = 0;
    qint64 m_packets = 0;
};

// The chunks of one picture as CMD_PICTURE_DATA sends them: header text and
// bytes (chunkSize bytes each, the last shorter).
QList<QPair<QByteArray, QByteArray>> PictureChunks(
    quint32 id, const QByteArray &data, qint32 kind, qint32 compression, qint32 purpose, qint32 chunkSize);
// An LZW container that unpacks to a bitmap of width x height, 24 bits, all
// black: a few kilobytes that decode to width * height * 3 bytes.
QByteArray LzwBomb(int width, int height);
// A UDP socket bound to from:fromPort, where from need not be one of ours
// (IP_TRANSPARENT, root only; 0: any address); -1 when it cannot be had.
int OpenForgedSocket(quint32 from, quint16 fromPort);

// The hostile peers' attacks on one target (address, port), each ending
// with one or more figure lines given to `report`:
//   ratios            every command from an unlisted port and a listed one,
//                     20 each: "RATIO who cmd-hex out in answers" lines
//   bomb              a listed port sends an LZW bomb (5000 x 4000) and a
//                     small picture, then a message naming the bomb 20 times
//                     and one of 1,000 markers of the small picture
//   headpics N        N head pictures with N announced MACs, from an
//                     unlisted port, then from a listed one
//   chatpics N        N chat pictures no message names, from a listed port
//   storedack FROM    a stored picture (sent from the address FROM) and its one
//                     chunk claiming 8000 chunks, from a listed port twice
//                     and an unlisted one
//   ports N RATE      messages from N new source ports at RATE a second, then
//                     N/20 ports that announce themselves first
//   shakes N          N shakes and N voice request/withdraw pairs, 200 a second
//   starve FROM       one listed port opens 40 large pictures and renews them;
//                     another, from the address FROM, sends a small picture:
//                     its acknowledgements
// Returns false for an unknown attack or when the target cannot be reached.
bool RunAttack(const QStringList &words, quint32 target, quint16 port, const std::function<void(const QString &)> &report);

// What a hostile machine on the LAN does, for the load tests of kwelpeer:
// slow file requests that hold connections open, and packets that take a new
// login name each time.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>
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

#include "hostile.h"

#include "net/Commands.h"
#include "net/PacketCodec.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpSocket>

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

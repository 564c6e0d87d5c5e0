#include "net/DurableReceipts.h"

#include "net/CNetManager.h"
#include "net/ChatLogWriter.h"
#include "net/Commands.h"

#include <QMetaObject>

DurableReceipts::DurableReceipts(CNetManager &net, QObject *parent)
    : QObject(parent)
    , m_net(net)
{
}

DurableReceipts::~DurableReceipts()
{
    SetChatLog(nullptr);
}

void DurableReceipts::SetChatLog(ChatLogWriter *log)
{
    if (m_log)
        m_log->SetWrittenCallback({});
    m_log = log;
    if (m_log) {
        // Called on the writer's thread; the report is handled on ours. The
        // writer never calls after the callback is cleared, and a report
        // still queued when this object goes is dropped with it.
        m_log->SetWrittenCallback([this](quint64 upTo) {
            QMetaObject::invokeMethod(this, [this, upTo] { Written(upTo); }, Qt::QueuedConnection);
        });
    }
    // Without a log nothing will report these records: their receipts go now.
    if (!m_log)
        Written(~quint64(0));
}

quint64 DurableReceipts::Mark() const
{
    return m_log ? m_log->LastQueued() : 0;
}

void DurableReceipts::Confirm(const HostKey &peer, quint32 packetNumber, quint64 mark, qint32 answering)
{
    const quint64 last = Mark();
    if (!m_log || last == mark) {
        send(peer, packetNumber, answering);
        return;
    }
    m_waiting.append({ peer, packetNumber, last, answering });
    // Records that wait for an explicit flush would hold the receipt back.
    m_log->FlushChatLog();
}

bool DurableReceipts::IsWaiting(quint32 address, quint16 port, quint32 packetNumber) const
{
    for (const Waiting &w : m_waiting) {
        if (w.packetNumber == packetNumber && w.peer.address == address && w.peer.port == port)
            return true;
    }
    return false;
}

void DurableReceipts::RetryLog()
{
    if (m_log)
        m_log->FlushChatLog();
}

void DurableReceipts::Written(quint64 upTo)
{
    qsizetype done = 0;
    while (done < m_waiting.size() && m_waiting.at(done).sequence <= upTo)
        ++done;
    const QList<Waiting> ready = m_waiting.first(done);
    m_waiting.remove(0, done);
    for (const Waiting &w : ready)
        send(w.peer, w.packetNumber, w.answering);
}

void DurableReceipts::send(const HostKey &peer, quint32 packetNumber, qint32 answering)
{
    if (m_sender)
        m_sender(peer, packetNumber, answering);
    else
        m_net.SendNumber(peer, CMD_MESSAGE_RECEIVED, packetNumber);
}

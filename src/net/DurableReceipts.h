// Receipts that leave only once the message they confirm is in the chat-log
// file: a peer told that a message arrived must find it in the log even when
// the program is killed a moment later. Records are written in batches; the
// receipts of a batch go out together when the writer reports it written.
#pragma once

#include "net/HostKey.h"

#include <QList>
#include <QObject>
#include <functional>

class ChatLogWriter;
class CNetManager;

class DurableReceipts : public QObject
{
    Q_OBJECT
public:
    explicit DurableReceipts(CNetManager &net, QObject *parent = nullptr);
    ~DurableReceipts() override;

    // The log whose records the receipts wait for (none: they leave at once).
    // Detach (nullptr) before the log is destroyed.
    void SetChatLog(ChatLogWriter *log);

    // How a receipt goes out (by default straight through the network
    // manager); the engine sends it within the answer budget, as the answer
    // to a message of `answering` bytes.
    using Sender = std::function<void(const HostKey &peer, quint32 packetNumber, qint32 answering)>;
    void SetSender(Sender sender) { m_sender = std::move(sender); }

    // Taken before a message is handled: the records queued up to now.
    quint64 Mark() const;
    // After the message was handled: its receipt leaves now when handling it
    // queued no chat-log record since `mark`, else once that record is written.
    // `answering`: the bytes of the message's datagram.
    void Confirm(const HostKey &peer, quint32 packetNumber, quint64 mark, qint32 answering = 0);
    // A resent copy of a message whose receipt is still waiting gets none of
    // its own: the one waiting goes when the record is written.
    bool IsWaiting(quint32 address, quint16 port, quint32 packetNumber) const;
    // Such a resend also has the log try again a write that failed (its
    // records wait for the next hand-over).
    void RetryLog();
    qsizetype WaitingCount() const { return m_waiting.size(); }

    // The writer's report, on the GUI thread: records up to upTo are written.
    void Written(quint64 upTo);

private:
    struct Waiting
    {
        HostKey peer;
        quint32 packetNumber = 0;
        quint64 sequence = 0;
        qint32 answering = 0;
    };
    void send(const HostKey &peer, quint32 packetNumber, qint32 answering);

    CNetManager &m_net;
    ChatLogWriter *m_log = nullptr;
    Sender m_sender;
    QList<Waiting> m_waiting; // in the order of their records
};

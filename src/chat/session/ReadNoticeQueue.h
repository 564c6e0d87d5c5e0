// The read notices a chat window owes its peer: sealed messages that were
// shown. The first user action in the window sends one notice, for the first
// of them, and forgets all; with the notices switched off they are dropped.
#pragma once

#include <QList>
#include <optional>

class ReadNoticeQueue
{
public:
    struct Pending
    {
        quint32 packetNumber = 0;
        quint32 commandWord = 0;
    };

    void Add(quint32 packetNumber, quint32 commandWord) { m_pending.append({packetNumber, commandWord}); }
    bool isEmpty() const { return m_pending.isEmpty(); }
    qsizetype count() const { return m_pending.size(); }
    // The notice to send now, if any; the queue is empty afterwards.
    std::optional<Pending> Take(bool sendNotices);

private:
    QList<Pending> m_pending;
};

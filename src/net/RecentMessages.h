// The messages each sender sent last, so that a copy the sender resends
// (our receipt was lost on the way) is confirmed again but shown only once.
//
// A copy is a message of the same sender (address and port) with the same
// packet number and the same text; only messages are remembered, so a packet
// of another kind, or a message of another text, forged with a peer's next
// packet numbers hides none of its messages.
//
// What is kept is bounded per address, its ports together
// (PeerBounds::kRecentMessagesPerAddress) and in all
// (PeerBounds::kRecentMessages). Beyond either, a fair share: the address
// (and within it the port) that holds the most gives up its oldest message;
// the sender's own when it holds as many, else among equals the one whose
// oldest came first. So a sender's traffic pushes out its own messages
// first, never those of a port (of its own address too) or an address that holds
// fewer; a peer loses its oldest only once the table is full of addresses
// that hold as many as it does (holding one each: as many addresses as the
// table holds, each of which sent a message since the peer's).
#pragma once

#include "net/PeerBounds.h"

#include <QHash>
#include <QtGlobal>
#include <deque>
#include <optional>
#include <set>
#include <utility>
#include <vector>

class RecentMessages
{
public:
    struct Limits
    {
        qsizetype perAddress = PeerBounds::kRecentMessagesPerAddress;
        qsizetype total = PeerBounds::kRecentMessages;
    };

    RecentMessages();
    explicit RecentMessages(const Limits &limits);

    // True when the sender sent this message before (the same number and
    // text): a copy. Otherwise it is remembered, and false.
    bool SeenBefore(quint32 address, quint16 port, quint32 packetNumber, quint64 textHash);

    qsizetype count() const { return m_count; }
    qsizetype countAt(quint32 address) const;

private:
    struct Message
    {
        quint64 order = 0; // when it came, among all
        quint64 textHash = 0;
        quint32 packetNumber = 0;
        quint16 port = 0;
    };
    using Messages = std::deque<Message>; // oldest first
    // An address's place among those that hold as many: its oldest message's order.
    using Place = std::pair<quint64, quint32>;

    // One message of the address goes: of its port that holds the most.
    // senderPort: the port of the message that takes its place, which gives
    // up its own oldest when it holds as many.
    void dropOne(quint32 address, std::optional<quint16> senderPort);
    void dropFromAddress(quint32 address, Messages &messages, Messages::iterator which);
    void unfile(quint32 address, const Messages &messages);
    void file(quint32 address, const Messages &messages);

    Limits m_limits;
    QHash<quint32, Messages> m_byAddress;
    // The addresses by how many messages they hold (index 0 unused), each
    // set by the order of the address's oldest message.
    std::vector<std::set<Place>> m_byCount;
    qsizetype m_count = 0;
    quint64 m_order = 0;
};

// The bytes we send in answer to what arrives, per address (whatever port the
// packets came from). An answer no larger than the packet it answers costs
// nothing (a receipt, an entry answer, an echo cannot amplify); the rest is
// charged. Toward an address that has not shown it receives there, the
// charged bytes stay within PeerBounds::kAnswerRatio times the bytes that came
// from that address, so that a forged source address never makes us send its
// owner much more than the forger sent. An address shows it receives by
// echoing a random number we sent it (Challenge, Echo); from then on its
// charged answers stay within kProvenAnswerRatio times what came from it (a
// forger may use a proven address as well), so that with the free answers
// an address never gets more than four times what came from it. The answers
// that waited for an echo (Release) go outside the address's part: the echo
// asked for them, and a copy of this program echoes only a challenge its own
// request provoked.
// All charged answers together share one budget a second.
//
// The addresses are remembered in the order they were last heard from: when
// the table is full, the one heard from longest ago among those that never
// proved themselves gives way (in constant time), so a flood of forged
// addresses never keeps a newcomer out.
//
// Loopback addresses count as proven and are not limited: the kernel takes
// them from no wire.
#pragma once

#include "net/PeerBounds.h"

#include <QHash>
#include <QtGlobal>
#include <functional>
#include <list>
#include <optional>

class AnswerBudget
{
public:
    struct Limits
    {
        int ratio = PeerBounds::kAnswerRatio;
        int provenRatio = PeerBounds::kProvenAnswerRatio;
        qint64 creditBytes = PeerBounds::kAnswerCreditBytes;
        qint64 bytesPerSecond = PeerBounds::kAnswerBytesPerSecond;
        qsizetype addresses = PeerBounds::kAnswerAddresses;
        qint64 provenMs = PeerBounds::kReceiverProvenMs;
        qint64 challengeMs = PeerBounds::kChallengeMs;
        qint64 challengeRepeatMs = PeerBounds::kChallengeRepeatMs;
    };
    enum class Verdict {
        Allowed,
        NoCredit, // the address's own part is spent (or it sent too little)
        AllBusy, // every answer of this second is spent
    };

    AnswerBudget();
    explicit AnswerBudget(const Limits &limits);

    // A well-formed packet of that many bytes arrived from the address.
    void Received(quint32 address, qint64 bytes, qint64 nowMs);
    // Asks to send bytes toward the address in answer to a packet of
    // `answering` bytes from it (0: to none); when allowed, what exceeds that
    // packet is taken from the address's credit and from the second's budget.
    Verdict Spend(quint32 address, qint64 bytes, qint64 nowMs, qint64 answering = 0);

    bool IsProven(quint32 address, qint64 nowMs) const;
    // A new random number for the address to echo (never 0), given to send
    // (none: it went); the one sent before it stays good too, as its echo may
    // be on the way. None when the table has no room (every address in it
    // proved itself) or when send did not send it: then nothing is on its way
    // and the next request challenges anew.
    std::optional<quint32> Challenge(quint32 address, qint64 nowMs, quint16 port = 0,
        const std::function<bool(quint32 number)> &send = {});
    // True while the last challenge to the address is on its way (sent less
    // than challengeRepeatMs ago): no new one is to go yet.
    bool ChallengePending(quint32 address, qint64 nowMs) const;
    // While a challenge is on its way to one port of the address, a request
    // from another port gets the same number (the first port's may have been
    // forged, and its owner never saw that challenge): the number, once per
    // change of port.
    std::optional<quint32> ChallengeAnotherPort(quint32 address, quint16 port, qint64 nowMs);
    // The address echoed a number: true when it is one of its open
    // challenges, which proves the address from now on.
    bool Echo(quint32 address, quint32 number, qint64 nowMs);
    // While the answers an echo released run, the address's answers leave
    // its credit as it was (they still count against all answers' second).
    void BeginRelease(quint32 address);
    void EndRelease() { m_releasing = 0; }

    qsizetype addressCount() const { return m_entries.size(); }
    qint64 credit(quint32 address) const;

    static bool IsLoopback(quint32 address) { return (address >> 24) == 127; }

private:
    struct Entry
    {
        qint64 credit = 0;
        qint64 provenUntil = -1;
        qint64 challengeUntil = -1;
        qint64 challenged = 0; // when the last challenge went
        quint32 challenge = 0;
        quint32 previous = 0; // the challenge sent before, still good
        quint16 challengedPort = 0; // where the last one went
        bool proven = false; // in m_proven (else in m_unproven)
        std::list<quint32>::iterator place;
    };
    Entry *entry(quint32 address, qint64 nowMs);
    bool makeRoom(qint64 nowMs);
    void lapse(Entry &e, qint64 nowMs);
    void refill(qint64 nowMs);

    Limits m_limits;
    QHash<quint32, Entry> m_entries;
    std::list<quint32> m_unproven; // heard from longest ago first
    std::list<quint32> m_proven; // proven earliest first
    qint64 m_tokens = 0;
    qint64 m_refilled = -1;
    quint32 m_releasing = 0; // the address whose released answers run
};

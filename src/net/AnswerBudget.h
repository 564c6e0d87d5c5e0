// The bytes we send in answer to what arrives. Toward an address that has
// not shown it receives there, the answers stay within PeerBounds::kAnswerRatio
// times the bytes that came from that address (whatever port they came
// from), so that a forged source address never makes us send its owner more
// than the forger sent. An address shows it receives by echoing a random
// number we sent it (Challenge, Echo); from then on its answers are bounded
// by the rate limiters and the one budget of all answers a second.
//
// Loopback addresses count as proven: the kernel takes them from no wire.
#pragma once

#include "net/PeerBounds.h"

#include <QHash>
#include <QtGlobal>
#include <optional>

class AnswerBudget
{
public:
    struct Limits
    {
        int ratio = PeerBounds::kAnswerRatio;
        qint64 creditBytes = PeerBounds::kAnswerCreditBytes;
        qint64 bytesPerSecond = PeerBounds::kAnswerBytesPerSecond;
        qsizetype addresses = PeerBounds::kAnswerAddresses;
        qint64 forgetMs = PeerBounds::kAnswerForgetMs;
        qint64 provenMs = PeerBounds::kReceiverProvenMs;
        qint64 challengeMs = PeerBounds::kChallengeMs;
    };
    enum class Verdict {
        Allowed,
        NoCredit, // the address has not sent enough, nor shown it receives
        AllBusy, // every answer of this second is spent
    };

    AnswerBudget();
    explicit AnswerBudget(const Limits &limits);

    // Bytes arrived from the address (every datagram, whatever it holds).
    void Received(quint32 address, qint64 bytes, qint64 nowMs);
    // Asks to send bytes toward the address in answer; when allowed, they
    // are taken from its credit (unless proven) and from the second's budget.
    Verdict Spend(quint32 address, qint64 bytes, qint64 nowMs);

    bool IsProven(quint32 address, qint64 nowMs) const;
    // A random number for the address to echo; none while one is open
    // already or the address is not remembered (the table is full).
    std::optional<quint32> Challenge(quint32 address, qint64 nowMs);
    // The challenge open for the address, if any (to be sent again when the
    // address asks again: the first one, or its echo, may have been lost).
    std::optional<quint32> OpenChallenge(quint32 address, qint64 nowMs) const;
    // The address echoed a number: true when it is the open challenge, which
    // proves the address from now on.
    bool Echo(quint32 address, quint32 number, qint64 nowMs);

    qsizetype addressCount() const { return m_entries.size(); }
    qint64 credit(quint32 address) const;

    static bool IsLoopback(quint32 address) { return (address >> 24) == 127; }

private:
    struct Entry
    {
        qint64 credit = 0;
        qint64 heard = 0; // last datagram from it
        qint64 provenUntil = -1;
        qint64 challengeUntil = -1;
        quint32 challenge = 0;
    };
    Entry *entry(quint32 address, qint64 nowMs);
    bool forgettable(const Entry &e, qint64 nowMs) const;
    void refill(qint64 nowMs);

    Limits m_limits;
    QHash<quint32, Entry> m_entries;
    qint64 m_tokens = 0;
    qint64 m_refilled = -1;
};

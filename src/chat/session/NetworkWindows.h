// Whether a peer's message (or shake, or request) may open a chat window.
// Windows that the network opens are bounded, yet new identities cost a
// forger nothing, so they must not use up what the peers the user knew
// before them need:
//
//  - a peer the user has talked with (one it sent a message to in this run,
//    one of the recent contacts when the run began, or one it keeps a memo
//    for) first has an allowance of its own: one window in
//    kOwnPeerWindowIntervalMs, per peer key;
//  - any peer then shares the network's allowance, kNetworkWindowsPerMinute;
//  - when that is used up, a spell begins, and lasts while it stays used up.
//    The peers listed before the windows of the spell's first period began
//    (and the peers talked with) are the earlier peers, for the whole spell:
//    identities of the flood itself never become earlier ones while it
//    lasts. Earlier peers have a second allowance: an address gets a window
//    from it while it has had fewer than kEarlierWindowsPerAddress windows in
//    the period; of it, peers listed no later than the asker (talked-with
//    peers first of all) have had fewer than kEarlierWindowsPerMinute; and
//    all of it is bounded by kEarlierWindowsMax. So a flood of new
//    identities never takes an earlier peer's window; identities a forger
//    listed before the flood take those of the peers listed after them, and
//    those of older peers only by opening kEarlierWindowsMax in a period;
//    all together never open more than the bounds.
// Widget-free and clocked by the caller (milliseconds of a monotonic clock).
#pragma once

#include <QHash>
#include <QString>
#include <QtGlobal>
#include <deque>

class NetworkWindows
{
public:
    struct Asker
    {
        quint32 address = 0;
        quint64 listedOrder = 0; // HostRecord::listedOrder
        QString key; // the peer key of talked-with peers (memo key, or address and port)
        bool talkedWith = false;
    };
    enum class Grant {
        Refused,
        Own, // the talked-with peer's own allowance
        Shared, // the network's allowance
        Earlier, // the earlier peers' allowance, during a spell
    };

    // A peer was listed (its listed order) at nowMs.
    void NoteListed(quint64 listedOrder, qint64 nowMs);
    // Decides for a window, and notes it when granted.
    Grant Allow(const Asker &asker, qint64 nowMs);

    // The highest listed order of the earlier peers of the spell (0 outside one).
    quint64 earlierBound() const { return m_earlierBound; }

    // Listing times are kept in buckets of this length; a peer listed in the
    // bucket in which the windows of a spell began is not an earlier peer.
    static constexpr qint64 kListedBucketMs = 250;

private:
    struct Opened
    {
        qint64 at;
        quint32 address;
        quint64 rank; // 0 for talked-with peers, else the listed order
        bool shared;
    };
    struct Listed
    {
        qint64 bucket; // start of the bucket
        quint64 highest; // the highest order listed in it
    };
    void forget(qint64 nowMs);
    bool allowOwn(const QString &key, qint64 nowMs);
    // The highest order listed before the bucket of msTime.
    quint64 listedBefore(qint64 msTime) const;
    Grant open(const Asker &asker, qint64 nowMs, bool shared);

    std::deque<Opened> m_opened; // the period's windows of the two shared allowances, oldest first
    std::deque<Listed> m_listed; // the buckets of the last period (and one before)
    quint64 m_listedBase = 0; // the highest order listed before the oldest bucket
    quint64 m_earlierBound = 0;
    qint64 m_spellUntil = 0; // the spell lasts while nowMs is before this
    bool m_spell = false;
    QHash<QString, qint64> m_own; // talked-with peer key -> its last window
};

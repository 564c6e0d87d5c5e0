// Wrong guesses of a secret (the share password) by address, at a rate: a
// few checked at once, then one more every while; an address that has none
// left is not answered until the next, right guess or wrong, so that no
// address is ever shut out for long. The table is bounded; when it is full
// and no address in it is done with, the address that guessed wrong least
// recently gives way, so that an address is never held back for guesses it
// did not make.
#pragma once

#include "net/PeerBounds.h"

#include <QHash>
#include <QtGlobal>

class GuessLimiter
{
public:
    struct Limits
    {
        int tries = PeerBounds::kSharePasswordTries;
        qint64 tryMs = PeerBounds::kSharePasswordTryMs;
        qsizetype addresses = PeerBounds::kAnswerPeers;
    };
    GuessLimiter();
    explicit GuessLimiter(const Limits &limits);

    // True while the address has no check left (not to be answered).
    bool IsSilenced(quint32 address, qint64 nowMs) const;
    // A wrong guess takes one check: true when it took the last.
    bool Wrong(quint32 address, qint64 nowMs);

private:
    struct Entry
    {
        qint64 fullAt = 0; // when every check is back
        qint64 last = 0; // the latest wrong guess
    };
    void makeRoom(qint64 nowMs);

    Limits m_limits;
    QHash<quint32, Entry> m_entries;
};

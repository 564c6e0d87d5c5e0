// Wrong guesses of a secret (the share password) by address: a few in a
// period, then the address is not answered at all for a while, right guess
// or wrong. The table is bounded; when it is full and no address in it is
// done with, the address that guessed wrong least recently gives way, so that
// an address is never silenced for guesses it did not make.
#pragma once

#include "net/PeerBounds.h"

#include <QHash>
#include <QList>
#include <QtGlobal>

class GuessLimiter
{
public:
    struct Limits
    {
        int tries = PeerBounds::kSharePasswordTries;
        qint64 periodMs = PeerBounds::kSharePasswordPeriodMs;
        qint64 silenceMs = PeerBounds::kSharePasswordLockMs;
        qsizetype addresses = PeerBounds::kAnswerPeers;
    };
    GuessLimiter();
    explicit GuessLimiter(const Limits &limits);

    // True while the address is not to be answered.
    bool IsSilenced(quint32 address, qint64 nowMs) const;
    // A wrong guess: true when it starts the silence.
    bool Wrong(quint32 address, qint64 nowMs);

private:
    struct Entry
    {
        QList<qint64> wrong; // within the period, oldest first
        qint64 last = 0; // the latest wrong guess
        qint64 silentUntil = -1;
    };
    void makeRoom(qint64 nowMs);

    Limits m_limits;
    QHash<quint32, Entry> m_entries;
};

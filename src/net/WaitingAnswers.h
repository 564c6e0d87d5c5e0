// The answers that wait for their address to echo our challenge (share
// lists, the own pictures, acknowledgements of a stored picture, a place in
// a full host table), in the order they came. At most kWaitingAnswers wait,
// kWaitingAnswersPerAddress of one address; a new one always finds a place:
// the address that holds the most gives up its oldest, so addresses that
// never echo (forged ones) cannot keep a newcomer's answer out.
#pragma once

#include "net/PeerBounds.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>
#include <vector>

class WaitingAnswers
{
public:
    struct Answer
    {
        quint32 address = 0;
        qint64 until = 0;
        QPointer<QObject> context; // nothing runs once it is gone
        std::function<void()> run;
        quint32 number = 0; // the challenge of its own it waits for (TakeEcho)
    };

    explicit WaitingAnswers(
        int maxAnswers = PeerBounds::kWaitingAnswers, int perAddress = PeerBounds::kWaitingAnswersPerAddress);

    // Adds the answer; returns the address whose answer gave way for it.
    std::optional<quint32> Add(Answer answer);
    // The answers of the address, taken out in their order.
    std::vector<Answer> Take(quint32 address);
    // The answers of the address that wait for the echo of that number.
    std::vector<Answer> TakeEcho(quint32 address, quint32 number);
    // Drops the answers whose time is over or whose context is gone;
    // returns the addresses of those that waited in vain.
    std::vector<quint32> Expire(qint64 nowMs);
    // When the first of them is due (none: nothing waits).
    std::optional<qint64> NextDue() const;

    qsizetype size() const { return qsizetype(m_answers.size()); }
    int countOf(quint32 address) const;

private:
    int m_max;
    int m_perAddress;
    std::vector<Answer> m_answers; // oldest first
};

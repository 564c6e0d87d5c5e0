// An amount per address (whatever the port) within a period: what one
// address may cost us, however many ports or packets it uses. The table is
// bounded: when it is full, the address whose period began longest ago gives
// way (in constant time), so forged addresses that come first never keep a
// newcomer out; an address a forger pushed out that way starts afresh, which
// takes more addresses in one period than the table holds.
#pragma once

#include <QHash>
#include <QtGlobal>
#include <deque>

class AddressWindows
{
public:
    AddressWindows(qint64 periodMs, qsizetype maxAddresses);

    // True (and the amount is counted) when the address's amount in its
    // current period, with this one, stays within cap.
    bool Charge(quint32 address, qint64 amount, qint64 cap, qint64 nowMs);
    qsizetype size() const { return m_windows.size(); }

private:
    struct Window
    {
        qint64 start = 0;
        qint64 charged = 0;
    };
    struct Began
    {
        quint32 address = 0;
        qint64 start = 0;
    };
    // Drops the front of the order while it is stale or over; with
    // `evict`, the first address whose period is still running goes too.
    void trim(qint64 nowMs, bool evict);

    qint64 m_period;
    qsizetype m_maxAddresses;
    QHash<quint32, Window> m_windows;
    std::deque<Began> m_order; // periods in the order they began
};

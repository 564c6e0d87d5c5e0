#include "net/SentRequests.h"

#include <algorithm>

SentRequests::SentRequests(qsizetype bound)
    : m_bound(std::max<qsizetype>(1, bound))
{
}

std::deque<SentRequests::Sent>::const_iterator SentRequests::find(
    quint32 address, quint32 packetNumber, qint64 nowMs) const
{
    return std::find_if(m_sent.cbegin(), m_sent.cend(), [&](const Sent &s) {
        return s.address == address && s.packetNumber == packetNumber && nowMs < s.until;
    });
}

void SentRequests::Add(quint32 address, quint32 packetNumber, qint64 untilMs)
{
    const auto same = std::find_if(m_sent.begin(), m_sent.end(),
        [&](const Sent &s) { return s.address == address && s.packetNumber == packetNumber; });
    if (same != m_sent.end()) {
        same->until = std::max(same->until, untilMs);
        return;
    }
    if (qsizetype(m_sent.size()) >= m_bound)
        m_sent.pop_front();
    m_sent.push_back({ address, packetNumber, untilMs });
}

bool SentRequests::Contains(quint32 address, quint32 packetNumber, qint64 nowMs) const
{
    return find(address, packetNumber, nowMs) != m_sent.cend();
}

bool SentRequests::Take(quint32 address, quint32 packetNumber, qint64 nowMs)
{
    const auto it = find(address, packetNumber, nowMs);
    if (it == m_sent.cend())
        return false;
    m_sent.erase(it);
    return true;
}

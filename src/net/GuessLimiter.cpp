#include "net/GuessLimiter.h"

#include <algorithm>

GuessLimiter::GuessLimiter()
    : GuessLimiter(Limits {})
{
}

GuessLimiter::GuessLimiter(const Limits &limits)
    : m_limits(limits)
{
    m_limits.tries = std::max(1, m_limits.tries);
}

void GuessLimiter::makeRoom(qint64 nowMs)
{
    m_entries.removeIf([&](const auto &item) { return item.value().fullAt <= nowMs; });
    if (m_entries.size() < m_limits.addresses || m_entries.isEmpty())
        return;
    auto stalest = m_entries.begin();
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
        if (it->last < stalest->last)
            stalest = it;
    m_entries.erase(stalest);
}

bool GuessLimiter::IsSilenced(quint32 address, qint64 nowMs) const
{
    // Each wrong guess puts the time all checks are back one try later; no
    // check is left while that is more than tries - 1 of them away.
    const auto it = m_entries.constFind(address);
    return it != m_entries.cend() && it->fullAt - nowMs > (m_limits.tries - 1) * m_limits.tryMs;
}

bool GuessLimiter::Wrong(quint32 address, qint64 nowMs)
{
    if (IsSilenced(address, nowMs))
        return false;
    if (!m_entries.contains(address) && m_entries.size() >= m_limits.addresses)
        makeRoom(nowMs);
    Entry &e = m_entries[address];
    e.fullAt = std::max(e.fullAt, nowMs) + m_limits.tryMs;
    e.last = nowMs;
    return IsSilenced(address, nowMs);
}

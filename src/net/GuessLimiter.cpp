#include "net/GuessLimiter.h"

GuessLimiter::GuessLimiter()
    : GuessLimiter(Limits {})
{
}

GuessLimiter::GuessLimiter(const Limits &limits)
    : m_limits(limits)
{
}

void GuessLimiter::makeRoom(qint64 nowMs)
{
    m_entries.removeIf([&](const auto &item) {
        const Entry &e = item.value();
        return nowMs >= e.silentUntil && nowMs - e.last >= m_limits.periodMs;
    });
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
    const auto it = m_entries.constFind(address);
    return it != m_entries.cend() && nowMs < it->silentUntil;
}

bool GuessLimiter::Wrong(quint32 address, qint64 nowMs)
{
    if (IsSilenced(address, nowMs))
        return false;
    if (!m_entries.contains(address) && m_entries.size() >= m_limits.addresses)
        makeRoom(nowMs);
    Entry &e = m_entries[address];
    while (!e.wrong.isEmpty() && nowMs - e.wrong.first() >= m_limits.periodMs)
        e.wrong.removeFirst();
    e.wrong.append(nowMs);
    e.last = nowMs;
    if (e.wrong.size() < m_limits.tries)
        return false;
    e.wrong.clear();
    e.silentUntil = nowMs + m_limits.silenceMs;
    return true;
}

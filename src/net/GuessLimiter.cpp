#include "net/GuessLimiter.h"

GuessLimiter::GuessLimiter()
    : GuessLimiter(Limits {})
{
}

GuessLimiter::GuessLimiter(const Limits &limits)
    : m_limits(limits)
{
}

void GuessLimiter::forget(qint64 nowMs)
{
    m_entries.removeIf([&](const auto &item) {
        const Entry &e = item.value();
        return nowMs >= e.silentUntil && (e.wrong.isEmpty() || nowMs - e.wrong.last() >= m_limits.periodMs);
    });
}

bool GuessLimiter::IsSilenced(quint32 address, qint64 nowMs)
{
    const auto it = m_entries.constFind(address);
    if (it != m_entries.cend())
        return nowMs < it->silentUntil;
    if (m_entries.size() < m_limits.addresses)
        return false;
    forget(nowMs);
    return m_entries.size() >= m_limits.addresses;
}

bool GuessLimiter::Wrong(quint32 address, qint64 nowMs)
{
    if (IsSilenced(address, nowMs))
        return false;
    Entry &e = m_entries[address];
    while (!e.wrong.isEmpty() && nowMs - e.wrong.first() >= m_limits.periodMs)
        e.wrong.removeFirst();
    e.wrong.append(nowMs);
    if (e.wrong.size() < m_limits.tries)
        return false;
    e.wrong.clear();
    e.silentUntil = nowMs + m_limits.silenceMs;
    return true;
}

#include "net/AnswerBudget.h"

#include <QRandomGenerator>

AnswerBudget::AnswerBudget()
    : AnswerBudget(Limits {})
{
}

AnswerBudget::AnswerBudget(const Limits &limits)
    : m_limits(limits)
    , m_tokens(limits.bytesPerSecond)
{
}

bool AnswerBudget::forgettable(const Entry &e, qint64 nowMs) const
{
    return nowMs - e.heard >= m_limits.forgetMs && nowMs >= e.provenUntil && nowMs >= e.challengeUntil;
}

AnswerBudget::Entry *AnswerBudget::entry(quint32 address, qint64 nowMs)
{
    if (auto it = m_entries.find(address); it != m_entries.end())
        return &it.value();
    if (m_entries.size() >= m_limits.addresses) {
        m_entries.removeIf([&](const auto &item) { return forgettable(item.value(), nowMs); });
        if (m_entries.size() >= m_limits.addresses)
            return nullptr;
    }
    Entry &e = m_entries[address];
    e.heard = nowMs;
    return &e;
}

void AnswerBudget::Received(quint32 address, qint64 bytes, qint64 nowMs)
{
    if (IsLoopback(address) || bytes <= 0)
        return;
    Entry *e = entry(address, nowMs);
    if (!e)
        return;
    e->heard = nowMs;
    e->credit = std::min(m_limits.creditBytes, e->credit + bytes * m_limits.ratio);
}

void AnswerBudget::refill(qint64 nowMs)
{
    if (m_refilled >= 0 && nowMs > m_refilled)
        m_tokens = std::min(m_limits.bytesPerSecond, m_tokens + (nowMs - m_refilled) * m_limits.bytesPerSecond / 1000);
    m_refilled = nowMs;
}

AnswerBudget::Verdict AnswerBudget::Spend(quint32 address, qint64 bytes, qint64 nowMs)
{
    refill(nowMs);
    // One answer may overdraw the second's budget (a picture larger than
    // it); the ones after it wait until it is paid back.
    if (m_tokens <= 0)
        return Verdict::AllBusy;
    if (!IsProven(address, nowMs)) {
        const auto it = m_entries.find(address);
        if (it == m_entries.end() || it->credit < bytes)
            return Verdict::NoCredit;
        it->credit -= bytes;
    }
    m_tokens -= bytes;
    return Verdict::Allowed;
}

bool AnswerBudget::IsProven(quint32 address, qint64 nowMs) const
{
    if (IsLoopback(address))
        return true;
    const auto it = m_entries.constFind(address);
    return it != m_entries.cend() && nowMs < it->provenUntil;
}

std::optional<quint32> AnswerBudget::Challenge(quint32 address, qint64 nowMs)
{
    Entry *e = entry(address, nowMs);
    if (!e || nowMs < e->challengeUntil)
        return std::nullopt;
    // Never 0: a body that does not parse reads as 0.
    e->challenge = QRandomGenerator::system()->bounded(1u, 0xFFFFFFFFu);
    e->challengeUntil = nowMs + m_limits.challengeMs;
    return e->challenge;
}

std::optional<quint32> AnswerBudget::OpenChallenge(quint32 address, qint64 nowMs) const
{
    const auto it = m_entries.constFind(address);
    if (it == m_entries.cend() || it->challenge == 0 || nowMs >= it->challengeUntil)
        return std::nullopt;
    return it->challenge;
}

bool AnswerBudget::Echo(quint32 address, quint32 number, qint64 nowMs)
{
    const auto it = m_entries.find(address);
    if (it == m_entries.end() || number == 0 || nowMs >= it->challengeUntil || number != it->challenge)
        return false;
    it->challenge = 0;
    it->challengeUntil = -1;
    it->provenUntil = nowMs + m_limits.provenMs;
    return true;
}

qint64 AnswerBudget::credit(quint32 address) const
{
    const auto it = m_entries.constFind(address);
    return it == m_entries.cend() ? 0 : it->credit;
}

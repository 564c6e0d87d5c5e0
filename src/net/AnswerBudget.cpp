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

bool AnswerBudget::makeRoom(qint64 nowMs)
{
    // The address heard from longest ago that never proved itself; else one
    // whose proof has lapsed (the earliest proven is the first to lapse).
    std::list<quint32> *from = nullptr;
    if (!m_unproven.empty())
        from = &m_unproven;
    else if (!m_proven.empty() && nowMs >= m_entries.value(m_proven.front()).provenUntil)
        from = &m_proven;
    if (!from)
        return false;
    m_entries.remove(from->front());
    from->pop_front();
    return true;
}

AnswerBudget::Entry *AnswerBudget::entry(quint32 address, qint64 nowMs)
{
    if (auto it = m_entries.find(address); it != m_entries.end())
        return &it.value();
    if (m_entries.size() >= m_limits.addresses && !makeRoom(nowMs))
        return nullptr;
    Entry &e = m_entries[address];
    e.place = m_unproven.insert(m_unproven.end(), address);
    return &e;
}

void AnswerBudget::lapse(Entry &e, qint64 nowMs)
{
    if (!e.proven || nowMs < e.provenUntil)
        return;
    const quint32 address = *e.place;
    m_proven.erase(e.place);
    e.place = m_unproven.insert(m_unproven.end(), address);
    e.proven = false;
    e.credit = std::min<qint64>(e.credit, 0);
}

void AnswerBudget::Received(quint32 address, qint64 bytes, qint64 nowMs)
{
    if (IsLoopback(address) || bytes <= 0)
        return;
    Entry *e = entry(address, nowMs);
    if (!e)
        return;
    lapse(*e, nowMs);
    if (!e->proven)
        m_unproven.splice(m_unproven.end(), m_unproven, e->place);
    const qint64 ratio = e->proven ? m_limits.provenRatio : m_limits.ratio;
    e->credit = std::max(e->credit, std::min(m_limits.creditBytes, e->credit + bytes * ratio));
}

void AnswerBudget::refill(qint64 nowMs)
{
    if (m_refilled >= 0 && nowMs > m_refilled)
        m_tokens = std::min(m_limits.bytesPerSecond, m_tokens + (nowMs - m_refilled) * m_limits.bytesPerSecond / 1000);
    m_refilled = nowMs;
}

AnswerBudget::Verdict AnswerBudget::Spend(quint32 address, qint64 bytes, qint64 nowMs, qint64 answering)
{
    // What the packet answered brought in goes back free.
    const qint64 charged = bytes - std::clamp<qint64>(answering, 0, bytes);
    if (charged <= 0)
        return Verdict::Allowed;
    refill(nowMs);
    // One answer may overdraw the second's budget (a picture larger than
    // it); the ones after it wait until it is paid back.
    if (m_tokens <= 0)
        return Verdict::AllBusy;
    if (!IsLoopback(address)) {
        const auto it = m_entries.find(address);
        if (it == m_entries.end())
            return Verdict::NoCredit;
        Entry &e = it.value();
        lapse(e, nowMs);
        // The answers an echo released were asked for by the address itself:
        // they leave its part as it was.
        if (address != m_releasing) {
            if (e.credit < charged)
                return Verdict::NoCredit;
            e.credit -= charged;
        }
    }
    m_tokens -= charged;
    return Verdict::Allowed;
}

bool AnswerBudget::IsProven(quint32 address, qint64 nowMs) const
{
    if (IsLoopback(address))
        return true;
    const auto it = m_entries.constFind(address);
    return it != m_entries.cend() && nowMs < it->provenUntil;
}

std::optional<quint32> AnswerBudget::Challenge(
    quint32 address, qint64 nowMs, quint16 port, const std::function<bool(quint32 number)> &send)
{
    if (!entry(address, nowMs))
        return std::nullopt;
    // Never 0: a body that does not parse reads as 0.
    const quint32 number = QRandomGenerator::system()->bounded(1u, 0xFFFFFFFFu);
    if (send && !send(number))
        return std::nullopt;
    Entry &e = m_entries[address]; // sending remembers no address
    e.previous = nowMs < e.challengeUntil ? e.challenge : 0;
    e.challenge = number;
    e.challengeUntil = nowMs + m_limits.challengeMs;
    e.challenged = nowMs;
    e.challengedPort = port;
    return number;
}

std::optional<quint32> AnswerBudget::ChallengeAnotherPort(quint32 address, quint16 port, qint64 nowMs)
{
    if (!ChallengePending(address, nowMs))
        return std::nullopt;
    Entry &e = m_entries[address];
    if (e.challengedPort == port)
        return std::nullopt;
    e.challengedPort = port;
    return e.challenge;
}

bool AnswerBudget::ChallengePending(quint32 address, qint64 nowMs) const
{
    const auto it = m_entries.constFind(address);
    return it != m_entries.cend() && nowMs < it->challengeUntil && nowMs - it->challenged < m_limits.challengeRepeatMs;
}

bool AnswerBudget::Echo(quint32 address, quint32 number, qint64 nowMs)
{
    const auto it = m_entries.find(address);
    if (it == m_entries.end() || number == 0 || nowMs >= it->challengeUntil
        || (number != it->challenge && number != it->previous))
        return false;
    Entry &e = it.value();
    e.challenge = e.previous = 0;
    e.challengeUntil = -1;
    e.provenUntil = nowMs + m_limits.provenMs;
    // The proven go in the order their proof lapses.
    std::list<quint32> &from = e.proven ? m_proven : m_unproven;
    m_proven.splice(m_proven.end(), from, e.place);
    e.proven = true;
    return true;
}

void AnswerBudget::BeginRelease(quint32 address)
{
    m_releasing = address;
}

qint64 AnswerBudget::credit(quint32 address) const
{
    const auto it = m_entries.constFind(address);
    return it == m_entries.cend() ? 0 : it->credit;
}

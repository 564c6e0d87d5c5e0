#include "net/WaitingAnswers.h"

#include <QHash>
#include <algorithm>

WaitingAnswers::WaitingAnswers(int maxAnswers, int perAddress)
    : m_max(std::max(1, maxAnswers))
    , m_perAddress(std::max(1, perAddress))
{
}

int WaitingAnswers::countOf(quint32 address) const
{
    return int(std::count_if(
        m_answers.cbegin(), m_answers.cend(), [&](const Answer &a) { return a.address == address; }));
}

std::optional<quint32> WaitingAnswers::Add(Answer answer)
{
    std::optional<quint32> gave;
    // Its own oldest when the address holds its share; else, when all are
    // taken, the oldest of the address that holds the most.
    quint32 from = answer.address;
    if (countOf(from) < m_perAddress) {
        if (size() < m_max) {
            m_answers.push_back(std::move(answer));
            return gave;
        }
        QHash<quint32, int> counts;
        int most = 0;
        for (const Answer &a : m_answers)
            most = std::max(most, ++counts[a.address]);
        from = std::find_if(m_answers.cbegin(), m_answers.cend(), [&](const Answer &a) {
            return counts.value(a.address) == most;
        })->address;
    }
    const auto oldest
        = std::find_if(m_answers.begin(), m_answers.end(), [&](const Answer &a) { return a.address == from; });
    gave = oldest->address;
    m_answers.erase(oldest);
    m_answers.push_back(std::move(answer));
    return gave;
}

std::vector<WaitingAnswers::Answer> WaitingAnswers::Take(quint32 address)
{
    std::vector<Answer> taken;
    std::erase_if(m_answers, [&](Answer &a) {
        if (a.address != address)
            return false;
        taken.push_back(std::move(a));
        return true;
    });
    return taken;
}

std::vector<WaitingAnswers::Answer> WaitingAnswers::TakeEcho(quint32 address, quint32 number)
{
    std::vector<Answer> taken;
    std::erase_if(m_answers, [&](Answer &a) {
        if (a.address != address || a.number != number)
            return false;
        taken.push_back(std::move(a));
        return true;
    });
    return taken;
}

std::vector<quint32> WaitingAnswers::Expire(qint64 nowMs)
{
    std::vector<quint32> vain;
    std::erase_if(m_answers, [&](const Answer &a) {
        if (a.context && nowMs < a.until)
            return false;
        if (a.context)
            vain.push_back(a.address);
        return true;
    });
    return vain;
}

std::optional<qint64> WaitingAnswers::NextDue() const
{
    if (m_answers.empty())
        return std::nullopt;
    return m_answers.front().until;
}

#include "net/RecentMessages.h"

#include <algorithm>

RecentMessages::RecentMessages()
    : RecentMessages(Limits())
{
}

RecentMessages::RecentMessages(const Limits &limits)
    : m_limits(limits)
{
}

qsizetype RecentMessages::countAt(quint32 address) const
{
    const auto it = m_byAddress.constFind(address);
    return it == m_byAddress.cend() ? 0 : qsizetype(it->size());
}

bool RecentMessages::SeenBefore(quint32 address, quint16 port, quint32 packetNumber, quint64 textHash)
{
    const auto it = m_byAddress.constFind(address);
    const qsizetype held = it == m_byAddress.cend() ? 0 : qsizetype(it->size());
    for (qsizetype i = 0; i < held; ++i) {
        const Message &m = it->at(size_t(i));
        if (m.port == port && m.packetNumber == packetNumber && m.textHash == textHash)
            return true;
    }
    if (held >= m_limits.perAddress) {
        dropOne(address, port);
    } else if (m_count >= m_limits.total && !m_byCount.empty()) {
        // The address that holds the most gives one up: the sender's own
        // when it holds as many.
        if (held >= qsizetype(m_byCount.size()) - 1)
            dropOne(address, port);
        else
            dropOne(m_byCount.back().begin()->second, std::nullopt);
    }
    Messages &messages = m_byAddress[address];
    if (!messages.empty())
        unfile(address, messages);
    messages.push_back({ ++m_order, textHash, packetNumber, port });
    ++m_count;
    file(address, messages);
    return false;
}

void RecentMessages::dropOne(quint32 address, std::optional<quint16> senderPort)
{
    const auto it = m_byAddress.find(address);
    if (it == m_byAddress.end())
        return;
    Messages &messages = *it;
    // The port that holds the most gives up its oldest: the sender's own
    // when it holds as many, else among equals the one whose oldest came
    // first.
    QHash<quint16, qsizetype> held;
    qsizetype most = 0;
    for (const Message &m : messages)
        most = std::max(most, ++held[m.port]);
    std::optional<quint16> port;
    if (senderPort && held.value(*senderPort) >= most)
        port = senderPort;
    for (auto m = messages.begin(); m != messages.end(); ++m) {
        if (port ? m->port == *port : held.value(m->port) == most) {
            dropFromAddress(address, messages, m);
            return;
        }
    }
}

void RecentMessages::dropFromAddress(quint32 address, Messages &messages, Messages::iterator which)
{
    unfile(address, messages);
    messages.erase(which);
    --m_count;
    if (messages.empty())
        m_byAddress.remove(address);
    else
        file(address, messages);
}

void RecentMessages::unfile(quint32 address, const Messages &messages)
{
    const size_t held = messages.size();
    if (held < m_byCount.size())
        m_byCount[held].erase({ messages.front().order, address });
    while (!m_byCount.empty() && m_byCount.back().empty())
        m_byCount.pop_back();
}

void RecentMessages::file(quint32 address, const Messages &messages)
{
    const size_t held = messages.size();
    if (m_byCount.size() <= held)
        m_byCount.resize(held + 1);
    m_byCount[held].insert({ messages.front().order, address });
}

#include "chat/session/NetworkWindows.h"

#include "net/PeerBounds.h"

#include <algorithm>

void NetworkWindows::NoteListed(quint64 listedOrder, qint64 nowMs)
{
    const qint64 bucket = nowMs - nowMs % kListedBucketMs;
    if (!m_listed.empty() && m_listed.back().bucket >= bucket)
        m_listed.back().highest = std::max(m_listed.back().highest, listedOrder);
    else
        m_listed.push_back({ bucket, listedOrder });
    forget(nowMs);
}

quint64 NetworkWindows::listedBefore(qint64 msTime) const
{
    const qint64 bucket = msTime - msTime % kListedBucketMs;
    quint64 highest = m_listedBase;
    for (const Listed &listed : m_listed) {
        if (listed.bucket >= bucket)
            break;
        highest = std::max(highest, listed.highest);
    }
    return highest;
}

void NetworkWindows::forget(qint64 nowMs)
{
    const qint64 period = PeerBounds::kNetworkWindowsPeriodMs;
    while (!m_opened.empty() && nowMs - m_opened.front().at >= period)
        m_opened.pop_front();
    // A spell looks back at most one period from its start: older buckets
    // only raise the base.
    while (!m_listed.empty() && nowMs - m_listed.front().bucket > period + kListedBucketMs) {
        m_listedBase = std::max(m_listedBase, m_listed.front().highest);
        m_listed.pop_front();
    }
    if (m_spell && nowMs >= m_spellUntil) {
        m_spell = false;
        m_earlierBound = 0;
    }
}

bool NetworkWindows::allowOwn(const QString &key, qint64 nowMs)
{
    const auto it = m_own.constFind(key);
    if (it != m_own.cend() && nowMs - *it < PeerBounds::kOwnPeerWindowIntervalMs)
        return false;
    if (it == m_own.cend() && m_own.size() >= PeerBounds::kTalkedPeersKept) {
        m_own.removeIf([nowMs](const auto &entry) { return nowMs - entry.value() >= PeerBounds::kOwnPeerWindowIntervalMs; });
        if (m_own.size() >= PeerBounds::kTalkedPeersKept)
            return false;
    }
    m_own.insert(key, nowMs);
    return true;
}

NetworkWindows::Grant NetworkWindows::open(const Asker &asker, qint64 nowMs, bool shared)
{
    m_opened.push_back({ nowMs, asker.address, asker.talkedWith ? 0 : asker.listedOrder, shared });
    return shared ? Grant::Shared : Grant::Earlier;
}

NetworkWindows::Grant NetworkWindows::Allow(const Asker &asker, qint64 nowMs)
{
    forget(nowMs);
    if (asker.talkedWith && !asker.key.isEmpty() && allowOwn(asker.key, nowMs))
        return Grant::Own;
    const auto sharedWindows = std::count_if(m_opened.cbegin(), m_opened.cend(), [](const Opened &o) { return o.shared; });
    if (sharedWindows < PeerBounds::kNetworkWindowsPerMinute)
        return open(asker, nowMs, true);

    // The network's allowance is used up: a spell begins, or goes on.
    if (!m_spell) {
        m_spell = true;
        const auto first = std::find_if(m_opened.cbegin(), m_opened.cend(), [](const Opened &o) { return o.shared; });
        m_earlierBound = listedBefore(first->at);
    }
    m_spellUntil = nowMs + PeerBounds::kNetworkWindowsPeriodMs;
    if (!asker.talkedWith && asker.listedOrder > m_earlierBound)
        return Grant::Refused;
    const quint64 rank = asker.talkedWith ? 0 : asker.listedOrder;
    qsizetype ofAddress = 0, earlier = 0, ranked = 0;
    for (const Opened &o : m_opened) {
        ofAddress += o.address == asker.address;
        if (!o.shared) {
            ++earlier;
            ranked += o.rank <= rank;
        }
    }
    if (ofAddress >= PeerBounds::kEarlierWindowsPerAddress || ranked >= PeerBounds::kEarlierWindowsPerMinute
        || earlier >= PeerBounds::kEarlierWindowsMax)
        return Grant::Refused;
    return open(asker, nowMs, false);
}

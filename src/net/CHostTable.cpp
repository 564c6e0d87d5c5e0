#include "net/CHostTable.h"

#include <algorithm>

namespace {

// The key comparison behind each index kind.
constexpr int kCompareKind[CHostTable::KindCount] = { 1, 3, 2 };

void release(HostRecord *host)
{
    if (!host->ref.deref())
        delete host;
}

} // namespace

CHostTable::CHostTable(int enabledIndexes)
    : m_enabled(enabledIndexes & AllIndexes)
{
}

CHostTable::~CHostTable()
{
    Clear();
}

bool CHostTable::isEnabled(int kind) const
{
    return kind >= 0 && kind < KindCount && (m_enabled & (1 << kind)) != 0;
}

HostRecord *CHostTable::At(int kind, qsizetype i) const
{
    if (!isEnabled(kind) || i < 0 || i >= qsizetype(m_index[kind].size()))
        return nullptr;
    return m_index[kind][size_t(i)];
}

qsizetype CHostTable::Capacity(int kind) const
{
    return isEnabled(kind) ? qsizetype(m_index[kind].capacity()) : 0;
}

HostRecord *CHostTable::Search(int kind, const HostKey &key, qsizetype *position) const
{
    if (position)
        *position = 0;
    if (!isEnabled(kind))
        return nullptr;
    return searchBy(kind, kCompareKind[kind], key, position);
}

HostRecord *CHostTable::searchBy(int kind, int cmpKind, const HostKey &key, qsizetype *position) const
{
    const std::vector<HostRecord *> &index = m_index[kind];
    qsizetype low = 0;
    qsizetype high = qsizetype(index.size()) - 1;
    while (low <= high) {
        const qsizetype mid = low + (high - low) / 2;
        HostRecord *host = index[size_t(mid)];
        const int c = CompareHostKeys(key, host->key, cmpKind);
        if (c == 0) {
            if (position)
                *position = mid;
            return host;
        }
        if (c > 0)
            low = mid + 1;
        else
            high = mid - 1;
    }
    if (position)
        *position = low;
    return nullptr;
}

qsizetype CHostTable::find(int kind, const HostRecord *host) const
{
    qsizetype pos = 0;
    // Peers may share login and host names (cloned machines): the names index
    // keeps them in address order, so the full key finds the one record.
    if (searchBy(kind, kind == ByName ? kCompareKind[ByNameAndAddress] : kCompareKind[kind], host->key, &pos) == host)
        return pos;
    // A key changed while the record was listed: find it by identity so that
    // no index keeps a pointer to a record the table no longer holds.
    const auto &index = m_index[kind];
    const auto it = std::find(index.begin(), index.end(), host);
    return it == index.end() ? -1 : qsizetype(it - index.begin());
}

bool CHostTable::Insert(HostRecord *host)
{
    if (!host || m_enabled == 0)
        return false;
    std::array<qsizetype, KindCount> pos {};
    for (int kind = 0; kind < KindCount; ++kind) {
        if (!isEnabled(kind))
            continue;
        // Equal names are allowed; the address (and so the full key) is unique.
        const int cmpKind = kind == ByName ? kCompareKind[ByNameAndAddress] : kCompareKind[kind];
        if (searchBy(kind, cmpKind, host->key, &pos[kind]))
            return false;
    }
    for (int kind = 0; kind < KindCount; ++kind) {
        if (!isEnabled(kind))
            continue;
        std::vector<HostRecord *> &index = m_index[kind];
        if (index.size() == index.capacity())
            index.reserve(index.capacity() + size_t(kGrowth));
        index.insert(index.begin() + pos[kind], host);
    }
    host->ref.ref();
    ++m_count;
    place(host);
    return true;
}

bool CHostTable::Remove(HostRecord *host)
{
    if (!host)
        return false;
    bool found = false;
    for (int kind = 0; kind < KindCount; ++kind) {
        if (!isEnabled(kind))
            continue;
        const qsizetype pos = find(kind, host);
        if (pos >= 0) {
            m_index[kind].erase(m_index[kind].begin() + pos);
            found = true;
        }
    }
    if (found) {
        --m_count;
        unplace(host);
        release(host);
    }
    return found;
}

void CHostTable::Clear()
{
    int first = -1;
    for (int kind = 0; kind < KindCount; ++kind) {
        if (isEnabled(kind) && first < 0)
            first = kind;
    }
    if (first >= 0) {
        const std::vector<HostRecord *> held = m_index[first];
        for (auto &index : m_index)
            index.clear();
        for (HostRecord *host : held)
            release(host);
    }
    m_count = 0;
    m_placed.clear();
    m_perAddress.clear();
    m_byCount.clear();
    m_byOrder.clear();
}

void CHostTable::place(HostRecord *host)
{
    m_placed.insert(host, { host->key.address, host->listedOrder });
    m_byOrder.emplace(host->listedOrder, host);
    countAt(host->key.address, 1);
}

void CHostTable::unplace(HostRecord *host)
{
    const auto it = m_placed.constFind(host);
    if (it == m_placed.cend())
        return;
    m_byOrder.erase({ it->order, host });
    countAt(it->address, -1);
    m_placed.erase(it);
}

void CHostTable::countAt(quint32 address, qsizetype delta)
{
    const qsizetype before = m_perAddress.value(address);
    const qsizetype after = before + delta;
    if (before > 0)
        m_byCount[size_t(before)].remove(address);
    if (after > 0) {
        if (m_byCount.size() <= size_t(after))
            m_byCount.resize(size_t(after) + 1);
        m_byCount[size_t(after)].insert(address);
        m_perAddress.insert(address, after);
    } else {
        m_perAddress.remove(address);
    }
    while (!m_byCount.empty() && m_byCount.back().isEmpty())
        m_byCount.pop_back();
}

quint32 CHostTable::FullestAddress() const
{
    return m_byCount.empty() ? 0 : *m_byCount.back().cbegin();
}

HostRecord *CHostTable::LatestAt(quint32 address) const
{
    // The records of one address lie together in the address index.
    if (!isEnabled(ByAddress))
        return nullptr;
    qsizetype position = 0;
    searchBy(ByAddress, kCompareKind[ByAddress], HostKey(QString(), QString(), address, 0), &position);
    HostRecord *latest = nullptr;
    for (HostRecord *h = At(ByAddress, position); h && h->key.address == address; h = At(ByAddress, ++position)) {
        if (!latest || h->listedOrder > latest->listedOrder)
            latest = h;
    }
    return latest;
}

HostRecord *CHostTable::Latest(const std::function<bool(const HostRecord &)> &test) const
{
    for (auto it = m_byOrder.crbegin(); it != m_byOrder.crend(); ++it)
        if (test(*it->second))
            return it->second;
    return nullptr;
}

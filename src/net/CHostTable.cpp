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
}

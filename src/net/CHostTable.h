// The known peers, kept in up to three sorted indexes and searched by binary
// search. The table holds one reference to every record it contains.
#pragma once

#include "net/HostRecord.h"

#include <QHash>
#include <QSet>

#include <array>
#include <functional>
#include <set>
#include <vector>

class CHostTable
{
public:
    // Index kinds of Search and At.
    enum Kind { ByName = 0, ByAddress = 1, ByNameAndAddress = 2, KindCount = 3 };
    // Flags of the indexes that the table keeps.
    enum Index {
        NameIndex = 1 << ByName,
        AddressIndex = 1 << ByAddress,
        BothIndex = 1 << ByNameAndAddress,
        AllIndexes = NameIndex | AddressIndex | BothIndex
    };
    // The indexes grow by this many entries at a time.
    static constexpr qsizetype kGrowth = 100;

    explicit CHostTable(int enabledIndexes = AllIndexes);
    ~CHostTable();
    CHostTable(const CHostTable &) = delete;
    CHostTable &operator=(const CHostTable &) = delete;

    bool isEnabled(int kind) const;
    qsizetype Count() const { return m_count; }
    // The record at position i of an index (nullptr for a bad kind or position).
    HostRecord *At(int kind, qsizetype i) const;
    qsizetype Capacity(int kind) const;

    // Binary search in one index: the record with an equal key, or nullptr;
    // position receives the found or the insertion position (0 for a kind
    // that is not enabled).
    HostRecord *Search(int kind, const HostKey &key, qsizetype *position = nullptr) const;
    // Adds the record to every enabled index and takes a reference. Refused
    // (false) for nullptr, a record already present or one whose address and
    // port (or whole key) equal another record's. Peers may share login and
    // host names.
    bool Insert(HostRecord *host);
    // Removes the record from every enabled index and gives up the table's
    // reference (which may delete it); true when it was found.
    bool Remove(HostRecord *host);
    // Removes every record.
    void Clear();

    // ---- what the bounds of the table weigh, kept as records come and go ----
    // Records of one address (its ports).
    qsizetype CountAt(quint32 address) const { return m_perAddress.value(address); }
    // The most records one address holds (0 for an empty table), and an
    // address that holds that many.
    qsizetype MostAtOneAddress() const { return m_byCount.empty() ? 0 : qsizetype(m_byCount.size()) - 1; }
    quint32 FullestAddress() const;
    // The record of the address taken in last (by listedOrder); nullptr for none.
    HostRecord *LatestAt(quint32 address) const;
    // The latest record taken in for which test is true; nullptr for none.
    HostRecord *Latest(const std::function<bool(const HostRecord &)> &test) const;

private:
    qsizetype find(int kind, const HostRecord *host) const;
    HostRecord *searchBy(int kind, int cmpKind, const HostKey &key, qsizetype *position) const;

    int m_enabled;
    qsizetype m_count = 0;
    std::array<std::vector<HostRecord *>, KindCount> m_index;
    // Where each record was filed (its key may change while it is listed).
    struct Placed
    {
        quint32 address = 0;
        quint64 order = 0;
    };
    void place(HostRecord *host);
    void unplace(HostRecord *host);
    void countAt(quint32 address, qsizetype delta);
    QHash<const HostRecord *, Placed> m_placed;
    QHash<quint32, qsizetype> m_perAddress;
    // The addresses by how many records they hold (index 0 unused; the last
    // set is never empty).
    std::vector<QSet<quint32>> m_byCount;
    std::set<std::pair<quint64, HostRecord *>> m_byOrder;
};

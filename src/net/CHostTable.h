// The known peers, kept in up to three sorted indexes and searched by binary
// search. The table holds one reference to every record it contains.
#pragma once

#include "net/HostRecord.h"

#include <array>
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

private:
    qsizetype find(int kind, const HostRecord *host) const;
    HostRecord *searchBy(int kind, int cmpKind, const HostKey &key, qsizetype *position) const;

    int m_enabled;
    qsizetype m_count = 0;
    std::array<std::vector<HostRecord *>, KindCount> m_index;
};

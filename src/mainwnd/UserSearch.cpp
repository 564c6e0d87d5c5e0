#include "mainwnd/UserSearch.h"

#include "core/Pinyin.h"
#include "net/EngineEventLog.h"
#include "net/HostRecord.h"

#include <algorithm>
#include <array>
#include <unordered_set>

namespace UserSearch {
namespace {

constexpr int kNameFields = 5;

// The fields in the order the passes try them; the address comes last.
struct Fields
{
    std::array<QStringView, kNameFields> names;
    QString address;

    explicit Fields(const HostRecord &host)
        : names{ host.displayName.isEmpty() ? QStringView(host.key.loginName()) : QStringView(host.displayName),
            host.key.hostName(), host.key.loginName(), host.customGroup, host.groupName }
        , address(EngineEventLog::dotted(host.key.address))
    {
    }
};

bool equal(QStringView field, QStringView text)
{
    return field.size() == text.size() && field.compare(text, Qt::CaseInsensitive) == 0;
}

bool contains(QStringView field, QStringView text)
{
    return field.size() >= text.size() && field.contains(text, Qt::CaseInsensitive);
}

// The pinyin forms of a Chinese field: whole syllables, then initials.
bool pinyinContains(QStringView field, QStringView text, QString &scratch)
{
    for (PinyinMode mode : { PinyinMode::Syllables, PinyinMode::Initials }) {
        scratch.clear();
        AppendPinyin(field, mode, scratch);
        if (contains(scratch, text))
            return true;
    }
    return false;
}

class Collector
{
public:
    explicit Collector(int max)
        : m_max(max)
    {
    }
    bool full() const { return m_results.size() >= m_max; }
    void add(const HostRecord &host)
    {
        if (!full() && m_seen.insert(&host).second)
            m_results.append(UserPickEntry::FromHost(host));
    }
    bool has(const HostRecord &host) const { return m_seen.count(&host) != 0; }
    QList<UserPickEntry> take() { return std::move(m_results); }

private:
    int m_max;
    QList<UserPickEntry> m_results;
    std::unordered_set<const HostRecord *> m_seen;
};

// One pass: every peer not yet found whose fields satisfy the test, until
// the results are full.
template <typename Test> void pass(const QList<HostRecord *> &peers, Collector &found, Test matches)
{
    for (const HostRecord *host : peers) {
        if (found.full())
            return;
        if (!found.has(*host) && matches(Fields(*host)))
            found.add(*host);
    }
}

bool anyName(const Fields &f, auto test)
{
    return std::any_of(f.names.begin(), f.names.end(), test);
}

} // namespace

QList<UserPickEntry> Run(const QList<HostRecord *> &peers, QStringView text, int max)
{
    Collector found(max);
    if (text.isEmpty() || max <= 0)
        return {};
    pass(peers, found, [&](const Fields &f) {
        return anyName(f, [&](QStringView name) { return equal(name, text); }) || equal(f.address, text);
    });
    QString scratch;
    pass(peers, found, [&](const Fields &f) {
        return anyName(f, [&](QStringView name) {
            return contains(name, text) || (HasNonAscii(name) && pinyinContains(name, text, scratch));
        }) || contains(f.address, text);
    });
    return found.take();
}

QList<UserPickEntry> RunPlain(const QList<HostRecord *> &peers, QStringView text, int max)
{
    Collector found(max);
    if (text.isEmpty() || max <= 0)
        return {};
    pass(peers, found, [&](const Fields &f) {
        return anyName(f, [&](QStringView name) { return contains(name, text); }) || contains(f.address, text);
    });
    return found.take();
}

} // namespace UserSearch

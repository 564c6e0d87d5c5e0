#include "mainwnd/UserSearch.h"

#include "core/Pinyin.h"
#include "core/PinyinForms.h"
#include "net/EngineEventLog.h"
#include "net/HostRecord.h"

#include <algorithm>
#include <array>
#include <span>
#include <vector>

namespace UserSearch {
namespace {

constexpr int kNameFields = 5;

// The fields in the order the passes try them; the address comes last.
struct Fields
{
    std::array<const QString *, kNameFields> names;
    QStringView address;
    const PinyinForms *pinyin = nullptr; // when asked for

    Fields(const HostRecord &host, bool withPinyin)
        : names{ host.displayName.isEmpty() ? &host.key.loginName() : &host.displayName, &host.key.hostName(),
            &host.key.loginName(), &host.customGroup, &host.groupName }
    {
        HostRecord::SearchForms &kept = host.search;
        if (!kept.addressMade || kept.addressOf != host.key.address) {
            kept.address = EngineEventLog::dotted(host.key.address);
            kept.addressOf = host.key.address;
            kept.addressMade = true;
        }
        address = kept.address;
        if (!withPinyin)
            return;
        kept.pinyin.Update(names);
        pinyin = &kept.pinyin;
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
        if (!full() && !has(host)) {
            m_seen.push_back(&host);
            m_results.append(UserPickEntry::FromHost(host));
        }
    }
    // A look through at most max peers: quicker than hashing for so few.
    bool has(const HostRecord &host) const { return std::find(m_seen.begin(), m_seen.end(), &host) != m_seen.end(); }
    QList<UserPickEntry> take() { return std::move(m_results); }

private:
    int m_max;
    QList<UserPickEntry> m_results;
    std::vector<const HostRecord *> m_seen;
};

// One pass: every peer not yet found whose fields satisfy the test, until
// the results are full.
template <typename Test>
void pass(const QList<HostRecord *> &peers, Collector &found, bool withPinyin, Test matches)
{
    for (const HostRecord *host : peers) {
        if (found.full())
            return;
        if (!found.has(*host) && matches(Fields(*host, withPinyin)))
            found.add(*host);
    }
}

bool anyName(const Fields &f, auto test)
{
    return std::any_of(f.names.begin(), f.names.end(), [&test](const QString *name) { return test(*name); });
}

} // namespace

QList<UserPickEntry> Run(const QList<HostRecord *> &peers, QStringView text, int max)
{
    Collector found(max);
    if (text.isEmpty() || max <= 0)
        return {};
    pass(peers, found, false, [&](const Fields &f) {
        return anyName(f, [&](QStringView name) { return equal(name, text); }) || equal(f.address, text);
    });
    // The pinyin forms are ASCII: a text beyond it can only match as itself.
    const QString folded = text.toString().toCaseFolded();
    const bool byPinyin = !HasNonAscii(folded);
    const PinyinForms::Needle needle(folded);
    pass(peers, found, byPinyin, [&](const Fields &f) {
        if (anyName(f, [&](QStringView name) { return contains(name, text); }) || contains(f.address, text))
            return true;
        return byPinyin && f.pinyin->Contains(needle);
    });
    return found.take();
}

int MatchedField(const UserPickEntry &entry, QStringView text)
{
    if (text.isEmpty())
        return -1;
    const QString folded = text.toString().toCaseFolded();
    const bool byPinyin = !HasNonAscii(folded);
    const PinyinForms::Needle needle(folded);
    const QStringList texts = entry.fieldTexts();
    for (int i = 0; i < texts.size(); ++i) {
        bool match = contains(texts[i], text);
        // The address (the last field) matches as text only.
        if (!match && byPinyin && i + 1 < texts.size()) {
            PinyinForms forms;
            const QString *name = &texts[i];
            forms.Update(std::span(&name, 1));
            match = forms.Contains(needle);
        }
        if (match)
            return i;
    }
    return -1;
}

QList<UserPickEntry> RunPlain(const QList<HostRecord *> &peers, QStringView text, int max)
{
    Collector found(max);
    if (text.isEmpty() || max <= 0)
        return {};
    pass(peers, found, false, [&](const Fields &f) {
        return anyName(f, [&](QStringView name) { return contains(name, text); }) || contains(f.address, text);
    });
    return found.take();
}

} // namespace UserSearch

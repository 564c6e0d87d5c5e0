#include "mainwnd/ContactSort.h"

#include "core/CConfig.h"
#include "core/Gbk.h"
#include "net/HostRecord.h"

namespace {

int sign(int v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

int compareBytes(const QByteArray &a, const QByteArray &b)
{
    // Unsigned byte order, a shorter prefix first: the order of strcmp.
    return sign(a.compare(b));
}

// Empty texts sort after every other text (they count as the byte 0xFF).
int compareNonEmptyFirst(const QByteArray &a, const QByteArray &b)
{
    static const QByteArray kLast(1, char(0xFF));
    return compareBytes(a.isEmpty() ? kLast : a, b.isEmpty() ? kLast : b);
}

// Equal addresses never tie: the newcomer goes first.
int compareAddresses(quint32 a, quint32 b)
{
    return b < a ? 1 : -1;
}

int compareColumn(const UserSortKeys &a, const UserSortKeys &b, int kind)
{
    switch (kind) {
    case SortByName:
        return compareBytes(a.name, b.name);
    case SortByAway: {
        const bool awayA = a.status & HostRecord::StatusAway;
        const bool awayB = b.status & HostRecord::StatusAway;
        return awayA == awayB ? 0 : (awayA ? 1 : -1);
    }
    case SortByGroup:
        return compareNonEmptyFirst(a.group, b.group);
    case SortByHost:
        return compareBytes(a.host, b.host);
    case SortByCustomGroup:
        return compareNonEmptyFirst(a.customGroup, b.customGroup);
    case SortByAddress:
        return compareAddresses(a.address, b.address);
    case SortByLogin:
        return compareBytes(a.login, b.login);
    case SortByVisibility:
        return a.visibility > b.visibility ? 1 : (a.visibility < b.visibility ? -1 : 0);
    default:
        return 0;
    }
}

int compareGroups(const UserSortKeys &a, const UserSortKeys &b, const SortOptions &options)
{
    if ((options.sortStr & SortBits::NoOwnGroupFirst) || options.ownGroup.isEmpty())
        return 0;
    if (a.group == b.group)
        return 0;
    if (a.group == options.ownGroup)
        return -1;
    if (b.group == options.ownGroup)
        return 1;
    int r;
    if (a.group.isEmpty())
        r = 1;
    else if (b.group.isEmpty())
        r = -1;
    else
        r = compareBytes(a.group, b.group);
    return (options.sortStr & SortBits::ReverseGroup) ? -r : r;
}

int compareSub(const UserSortKeys &a, const UserSortKeys &b, const SortOptions &options)
{
    const bool fold = options.sortStr & SortBits::CaseInsensitive;
    auto text = [fold](const QByteArray &plain, const QByteArray &folded) -> const QByteArray & {
        return fold ? folded : plain;
    };
    int r = 0;
    switch (options.sortStr & 0xFF) {
    case 1:
        r = compareAddresses(a.address, b.address);
        break;
    case 2:
        r = compareBytes(text(a.host, a.hostFold), text(b.host, b.hostFold));
        if (r == 0)
            r = compareAddresses(a.address, b.address);
        break;
    default:
        r = compareBytes(text(a.name, a.nameFold), text(b.name, b.nameFold));
        if (r == 0)
            r = compareBytes(text(a.host, a.hostFold), text(b.host, b.hostFold));
        if (r == 0)
            r = compareBytes(text(a.login, a.loginFold), text(b.login, b.loginFold));
        break;
    }
    return (options.sortStr & SortBits::ReverseSub) ? -r : r;
}

int compareOptionOrder(const UserSortKeys &a, const UserSortKeys &b, const SortOptions &options)
{
    if (a.visibility != b.visibility)
        return a.visibility < b.visibility ? 1 : -1;
    const int r = compareGroups(a, b, options);
    return r != 0 ? r : compareSub(a, b, options);
}

} // namespace

UserSortKeys UserSortKeys::From(const HostRecord &host)
{
    UserSortKeys k;
    const QString &name = host.displayName.isEmpty() ? host.key.loginName() : host.displayName;
    k.name = Gbk::sortKey(name);
    k.host = host.key.hostBytes();
    k.login = host.key.loginBytes();
    k.group = Gbk::sortKey(host.groupName);
    k.customGroup = Gbk::sortKey(host.customGroup);
    k.nameFold = Gbk::sortKey(name, true);
    k.hostFold = Gbk::sortKey(host.key.hostName(), true);
    k.loginFold = Gbk::sortKey(host.key.loginName(), true);
    k.address = host.key.address;
    k.status = host.statusBits;
    k.visibility = host.visibility;
    return k;
}

SortOptions SortOptions::FromConfig(const CConfig *config)
{
    SortOptions o;
    if (config) {
        o.sortStr = config->SORT_STR;
        o.ownGroup = Gbk::sortKey(config->GROUPNAMESTR_STR);
    }
    return o;
}

int CompareUsersBy(const UserSortKeys &a, const UserSortKeys &b, int kind, bool descending, const SortOptions &options)
{
    if (a.status & HostRecord::StatusSortLast)
        return 1;
    if (b.status & HostRecord::StatusSortLast)
        return -1;
    if (kind >= 0 && kind <= SortByVisibility) {
        const int r = compareColumn(a, b, kind);
        if (r != 0)
            return descending ? -r : r;
    }
    const int r = compareOptionOrder(a, b, options);
    return ((options.sortStr & SortBits::ReverseOption) || descending) ? -r : r;
}

int CompareUsersBy(const HostRecord &a, const HostRecord &b, int kind, bool descending, const SortOptions &options)
{
    return CompareUsersBy(UserSortKeys::From(a), UserSortKeys::From(b), kind, descending, options);
}

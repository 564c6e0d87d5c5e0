// The order of peers in the contact list: eight column kinds and the option
// order of SORT_STR. Texts compare by their GBK bytes (the order Chinese
// users expect); the bytes are computed once per peer and kept in
// UserSortKeys beside the row that shows it.
#pragma once

#include <QByteArray>
#include <QtGlobal>

class CConfig;
class HostRecord;

// Column sort kinds.
enum UserSortKind : int {
    SortNone = -1,
    SortByName = 0, // "用户名"
    SortByAway = 1,
    SortByGroup = 2, // "组名"
    SortByHost = 3, // "主机"
    SortByCustomGroup = 4, // "自定义组名"
    SortByAddress = 5, // "IP地址"
    SortByLogin = 6, // "登录名"
    SortByVisibility = 7,
};

// Bits of SORT_STR above the low byte (0 name order, 1 address, 2 host).
namespace SortBits {
inline constexpr int NoOwnGroupFirst = 0x100;
inline constexpr int CaseInsensitive = 0x200;
inline constexpr int ReverseOption = 0x800;
inline constexpr int ReverseGroup = 0x1000;
inline constexpr int ReverseSub = 0x2000;
} // namespace SortBits

// The GBK bytes and numbers of one peer that the comparisons read.
struct UserSortKeys
{
    QByteArray name; // display name, or the login name when it is empty
    QByteArray host;
    QByteArray login;
    QByteArray group; // the peer's own group text
    QByteArray customGroup;
    QByteArray nameFold, hostFold, loginFold; // ASCII letters folded
    quint32 address = 0;
    quint32 status = 0;
    qint32 visibility = 0;

    static UserSortKeys From(const HostRecord &host);
};

// What the option order reads from the configuration.
struct SortOptions
{
    int sortStr = 0; // SORT_STR
    QByteArray ownGroup; // GROUPNAMESTR_STR

    static SortOptions FromConfig(const CConfig *config);
};

// <0 a first, 0 equal, >0 b first, under a column kind (-1 none) and
// direction; peers with status bit 0x200 always come last.
int CompareUsersBy(const UserSortKeys &a, const UserSortKeys &b, int kind, bool descending, const SortOptions &options);
int CompareUsersBy(
    const HostRecord &a, const HostRecord &b, int kind, bool descending, const SortOptions &options);

// The binary search of the list: compareWithRow(i) compares the new peer
// with row i. Returns the row before which the peer belongs.
template <typename CompareWithRow>
qsizetype BinaryInsertPosition(qsizetype count, CompareWithRow compareWithRow)
{
    qsizetype low = 0;
    qsizetype high = count - 1;
    while (low <= high) {
        const qsizetype mid = (low + high) / 2;
        const int r = compareWithRow(mid);
        if (r >= 1)
            low = mid + 1;
        else if (r < 0)
            high = mid - 1;
        else
            return mid;
    }
    return low;
}

// The place inside a sorted run of a group: the first member before which
// the new peer sorts (compareWithMember(i) < 0), count when there is none.
template <typename CompareWithMember>
qsizetype RunInsertPosition(qsizetype count, CompareWithMember compareWithMember)
{
    qsizetype low = 0;
    qsizetype high = count;
    while (low < high) {
        const qsizetype mid = low + (high - low) / 2;
        if (compareWithMember(mid) < 0)
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

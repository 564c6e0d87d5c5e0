#include "core/Gbk.h"
#include "mainwnd/ContactSort.h"
#include "ContactTestUtil.h"

#include <gtest/gtest.h>

using namespace ContactTest;

namespace {

int cmp(const HostPtr &a, const HostPtr &b, int kind, bool desc = false, int sortStr = 0, const char *own = "")
{
    SortOptions o;
    o.sortStr = sortStr;
    o.ownGroup = Gbk::sortKey(u(own));
    return CompareUsersBy(*a, *b, kind, desc, o);
}

TEST(ContactSort, ColumnKindsCompareGbkBytesAndNumbers)
{
    const HostPtr li = host(u("李明"), u("研发部"), 0x0A000002, u("li"), u("pc-b"));
    const HostPtr zhang = host(u("张三"), u("市场部"), 0x0A000001, u("zhang"), u("pc-a"));
    // Names: GBK order, common characters in pinyin order; ASCII before them.
    EXPECT_LT(cmp(li, zhang, SortByName), 0);
    EXPECT_GT(cmp(zhang, li, SortByName), 0);
    EXPECT_LT(cmp(host(u("Zoe")), li, SortByName), 0);
    EXPECT_LT(cmp(host(u("B")), host(u("a")), SortByName), 0) << "byte order is case-sensitive";
    // The display name falls back to the login name.
    EXPECT_LT(cmp(host(QString(), {}, 1, u("aaa")), host(u("bbb")), SortByName), 0);
    // Descending negates the column result.
    EXPECT_GT(cmp(li, zhang, SortByName, true), 0);

    EXPECT_GT(cmp(li, zhang, SortByHost), 0);
    EXPECT_LT(cmp(li, zhang, SortByLogin), 0);
    EXPECT_GT(cmp(li, zhang, SortByGroup), 0) << "研 (D1D0) after 市 (CAD0)";

    // Empty groups sort after every other group (kinds 2 and 4).
    const HostPtr none = host(u("无组"), QString());
    EXPECT_GT(cmp(none, li, SortByGroup), 0);
    EXPECT_LT(cmp(li, none, SortByGroup), 0);
    none->customGroup.clear();
    EXPECT_GT(cmp(none, li, SortByCustomGroup), 0);

    // Address: never a tie, the newcomer goes first.
    EXPECT_EQ(cmp(li, zhang, SortByAddress), 1);
    EXPECT_EQ(cmp(zhang, li, SortByAddress), -1);
    const HostPtr same = host(u("x"), {}, li->key.address);
    EXPECT_EQ(cmp(same, li, SortByAddress), -1);
    EXPECT_EQ(cmp(li, same, SortByAddress), -1);
    EXPECT_EQ(cmp(li, zhang, SortByAddress, true), -1);

    // Away and visibility.
    const HostPtr away = host(u("离开"));
    away->statusBits = HostRecord::StatusAway;
    EXPECT_EQ(cmp(away, li, SortByAway), 1);
    EXPECT_EQ(cmp(li, away, SortByAway), -1);
    const HostPtr seen = host(u("a"));
    seen->visibility = 5;
    EXPECT_EQ(cmp(seen, li, SortByVisibility), 1);
    EXPECT_EQ(cmp(li, seen, SortByVisibility), -1);
}

TEST(ContactSort, SortedLastBitWinsInEveryKindAndDirection)
{
    const HostPtr last = host(u("阿"), u("a"), 1, u("a"), u("a"));
    last->statusBits = HostRecord::StatusSortLast;
    const HostPtr other = host(u("张"), u("z"), 9, u("z"), u("z"));
    for (int kind = -1; kind <= 8; ++kind) {
        for (bool desc : { false, true }) {
            for (int bits : { 0, SortBits::ReverseOption, SortBits::ReverseSub | 1 }) {
                EXPECT_EQ(cmp(last, other, kind, desc, bits), 1) << kind;
                EXPECT_EQ(cmp(other, last, kind, desc, bits), -1) << kind;
            }
        }
    }
    const HostPtr alsoLast = host(u("b"));
    alsoLast->statusBits = HostRecord::StatusSortLast | HostRecord::StatusAway;
    EXPECT_EQ(cmp(last, alsoLast, SortByName), 1);
}

TEST(ContactSort, OptionOrderBits)
{
    const char *own = "研发部";
    const HostPtr ownA = host(u("张"), u(own), 0x0A000005, u("z"), u("h2"));
    const HostPtr market = host(u("李"), u("市场部"), 0x0A000001, u("l"), u("h1"));
    const HostPtr empty = host(u("王"), QString(), 0x0A000003, u("w"), u("h3"));

    // The visibility value first, greater first.
    const HostPtr visible = host(u("甲"), u("市场部"));
    visible->visibility = 1;
    EXPECT_EQ(cmp(visible, ownA, SortNone, false, 0, own), -1);
    EXPECT_EQ(cmp(ownA, visible, SortNone, false, 0, own), 1);

    // The own group first, empty groups last, others by bytes.
    EXPECT_EQ(cmp(ownA, market, SortNone, false, 0, own), -1);
    EXPECT_EQ(cmp(market, ownA, SortNone, false, 0, own), 1);
    EXPECT_EQ(cmp(empty, market, SortNone, false, 0, own), 1);
    EXPECT_EQ(cmp(market, empty, SortNone, false, 0, own), -1);
    // 0x1000 reverses the empty and byte outcomes, not the own group.
    EXPECT_EQ(cmp(empty, market, SortNone, false, SortBits::ReverseGroup, own), -1);
    EXPECT_EQ(cmp(ownA, market, SortNone, false, SortBits::ReverseGroup, own), -1);
    // 0x100, or no own group, skips the group comparison: names decide.
    EXPECT_EQ(cmp(ownA, market, SortNone, false, SortBits::NoOwnGroupFirst, own), 1);
    EXPECT_EQ(cmp(ownA, market, SortNone, false, 0, ""), 1);

    // Sub comparison by the low byte, within one group.
    const HostPtr a = host(u("Bob"), u("g"), 0x0A000009, u("x"), u("HOST-b"));
    const HostPtr b = host(u("alice"), u("g"), 0x0A000002, u("y"), u("host-a"));
    EXPECT_EQ(cmp(a, b, SortNone, false, 0), -1) << "names byte-wise: 'B' < 'a'";
    EXPECT_EQ(cmp(a, b, SortNone, false, SortBits::CaseInsensitive), 1) << "alice before bob";
    EXPECT_EQ(cmp(a, b, SortNone, false, 1), 1) << "by address";
    EXPECT_EQ(cmp(a, b, SortNone, false, 2), -1) << "by host, byte-wise";
    EXPECT_EQ(cmp(a, b, SortNone, false, 2 | SortBits::CaseInsensitive), 1);
    EXPECT_EQ(cmp(a, b, SortNone, false, 1 | SortBits::ReverseSub), -1);
    // Equal names: host, then login decide.
    const HostPtr twin1 = host(u("同名"), u("g"), 1, u("a"), u("pc1"));
    const HostPtr twin2 = host(u("同名"), u("g"), 2, u("b"), u("pc1"));
    EXPECT_EQ(cmp(twin1, twin2, SortNone), -1);
    // Equal hosts under host order: the addresses decide.
    EXPECT_EQ(cmp(twin2, twin1, SortNone, false, 2), 1);

    // 0x800 or the descending flag reverse the option order, both only once.
    EXPECT_EQ(cmp(ownA, market, SortNone, false, SortBits::ReverseOption, own), 1);
    EXPECT_EQ(cmp(ownA, market, SortNone, true, 0, own), 1);
    EXPECT_EQ(cmp(ownA, market, SortNone, true, SortBits::ReverseOption, own), 1);
    // A column tie goes on to the option order.
    EXPECT_EQ(cmp(twin1, twin2, SortByName, false), -1);
    EXPECT_EQ(cmp(twin1, twin2, SortByName, true), 1);
}

TEST(ContactSort, BinarySearchPlacesTiesAtTheFoundRow)
{
    const std::vector<int> rows { 1, 3, 3, 5, 9 };
    auto pos = [&](int v) {
        return BinaryInsertPosition(qsizetype(rows.size()), [&](qsizetype i) { return v < rows[size_t(i)] ? -1 : v > rows[size_t(i)] ? 1 : 0; });
    };
    EXPECT_EQ(pos(0), 0);
    EXPECT_EQ(pos(4), 3);
    EXPECT_EQ(pos(10), 5);
    EXPECT_EQ(pos(3), 2);
    EXPECT_EQ(BinaryInsertPosition(0, [](qsizetype) { return 1; }), 0);
    // The run search passes equal members.
    EXPECT_EQ(RunInsertPosition(qsizetype(rows.size()), [&](qsizetype i) { return 3 < rows[size_t(i)] ? -1 : 1; }), 3);
}

} // namespace

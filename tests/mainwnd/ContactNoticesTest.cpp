#include "mainwnd/ContactNotices.h"
#include "mainwnd/PeerKeyCompletion.h"
#include "net/NeighbourTable.h"
#include "ContactTestUtil.h"

#include <gtest/gtest.h>

using namespace ContactTest;

namespace {

constexpr quint32 kOwn = 0x0A000063;

TEST(ContactNotices, OnlineAndOfflineDecisionsAndTexts)
{
    auto c = config({ { u("我的好友"), false }, { u("同事"), false } });
    const HostPtr h = host(u("张三"), u("研发部"), 0x0A000005, u("zhangsan"), u("ZS-PC"));
    h->keyText = QStringLiteral("00163E0A0B0C");
    NoticeContext ctx { c.get(), kOwn, true, true };

    const auto on = OnlineNotice(*h, ctx);
    ASSERT_TRUE(on);
    EXPECT_EQ(on->title, u(" 上 线 通 知 "));
    EXPECT_EQ(on->text, u("用户名:张三\r\n主机:ZS-PC\r\n登录名:zhangsan\r\nIP:10.0.0.5\r\n组名:研发部"));
    EXPECT_EQ(on->linkTag, u("#MAC:00163E0A0B0C"));
    EXPECT_EQ(on->icon, 4);
    const auto off = OfflineNotice(*h, ctx);
    ASSERT_TRUE(off);
    EXPECT_EQ(off->title, u(" 下 线 通 知 "));
    EXPECT_EQ(off->text, u("用户名:张三\r\n主机:ZS-PC\r\n登录名:zhangsan\r\nIP:10.0.0.5\r\n组:研发部"));
    EXPECT_TRUE(off->linkTag.isEmpty());

    // Without a key the link names the dotted address; a custom group is shown as is.
    h->keyText.clear();
    h->customGroup = u("同事");
    EXPECT_EQ(OnlineNotice(*h, ctx)->linkTag, u("#IP:10.0.0.5"));
    EXPECT_TRUE(OnlineNotice(*h, ctx)->text.endsWith(u("组名:同事")));
    h->customGroup = u("我的好友");
    h->groupName.clear();
    EXPECT_TRUE(OnlineNotice(*h, ctx)->text.endsWith(u("组名:我的好友")));

    // Each condition alone stops the notice.
    auto without = [&](auto change) {
        NoticeContext x = ctx;
        HostPtr p = host(u("李"), u("g"), 0x0A000006);
        change(x, *p);
        return std::pair(OnlineNotice(*p, x).has_value(), OfflineNotice(*p, x).has_value());
    };
    EXPECT_EQ(without([](NoticeContext &, HostRecord &) {}), std::pair(true, true));
    EXPECT_EQ(without([](NoticeContext &x, HostRecord &) { x.notify = false; }), std::pair(false, false));
    EXPECT_EQ(without([](NoticeContext &x, HostRecord &) { x.noticesEnabled = false; }), std::pair(false, false));
    EXPECT_EQ(without([](NoticeContext &, HostRecord &p) { p.key.address = kOwn; }), std::pair(false, true));
    EXPECT_EQ(without([](NoticeContext &, HostRecord &p) { p.noticeFlags = 1; }), std::pair(false, true));
    EXPECT_EQ(without([](NoticeContext &, HostRecord &p) { p.noticeFlags = 2; }), std::pair(true, false));
    c->NoTice = 0;
    EXPECT_EQ(without([](NoticeContext &, HostRecord &) {}), std::pair(false, true));
    c->NoTice2 = 0;
    EXPECT_EQ(without([](NoticeContext &, HostRecord &) {}), std::pair(false, false));
    // The custom group's own switches override the system ones, both ways.
    UserGroupRecord &g = c->MemberGroups[1];
    g.onlineNoticeCustom = g.onlineNotice = 1;
    g.offlineNoticeCustom = 1;
    EXPECT_EQ(without([](NoticeContext &, HostRecord &p) { p.customGroup = u("同事"); }), std::pair(true, false));
    c->NoTice = c->NoTice2 = 1;
    EXPECT_EQ(without([](NoticeContext &, HostRecord &p) { p.customGroup = u("同事"); }), std::pair(true, false));
    EXPECT_EQ(without([](NoticeContext &x, HostRecord &) { x.config = nullptr; }), std::pair(false, false));

    // A plain peer shows image 0; an extension peer beyond the list its
    // previous image, then 1.
    h->extension = 0;
    EXPECT_EQ(OfflineNotice(*h, ctx)->icon, 0);
    h->extension = 1;
    h->headIcon = 500;
    h->previousHeadIcon = 7;
    EXPECT_EQ(OfflineNotice(*h, ctx)->icon, 8);
    h->previousHeadIcon = 900;
    EXPECT_EQ(OfflineNotice(*h, ctx)->icon, 1);
}

TEST(ContactNotices, RecentContacts)
{
    auto c = config({ { u("我的好友"), false } });
    const HostPtr h = host(u("张三"), u("研发部"), 0x0A000005, u("zs"), u("ZS-PC"));
    h->keyText = QStringLiteral("00163E0A0B0C");
    EXPECT_EQ(FormatRecentContactText(*h), u("张三(ZS-PC)(组名:我的好友)(IP:10.0.0.5)(zs)(00-16-3E-0A-0B-0C)"));
    h->customGroup = u("  ");
    EXPECT_EQ(FormatRecentContactText(*h), u("张三(ZS-PC)(组名:研发部)(IP:10.0.0.5)(zs)(00-16-3E-0A-0B-0C)"));
    h->groupName.clear();
    EXPECT_EQ(FormatRecentContactText(*h), u("张三(ZS-PC)(IP:10.0.0.5)(zs)(00-16-3E-0A-0B-0C)"));
    EXPECT_EQ(CConfig::RecentKeyFromText(FormatRecentContactText(*h)), h->keyText) << "the stored text reads back";

    const HostPtr other = host(u("李四"), u("g"), 0x0A000006, u("ls"), u("LS"));
    other->keyText = QStringLiteral("AABBCCDDEEFF");
    EXPECT_TRUE(AddRecentContact(*c, *h));
    EXPECT_TRUE(AddRecentContact(*c, *other));
    // Again: moved to the front, not saved.
    EXPECT_FALSE(AddRecentContact(*c, *h));
    EXPECT_EQ(c->LastPersonKeys, QStringList({ h->keyText, other->keyText }));
    EXPECT_EQ(c->LastPersonTexts.size(), 2);
    CConfig stored(c->StorePath());
    stored.Load();
    EXPECT_EQ(stored.LastPersonKeys, QStringList({ other->keyText, h->keyText }));
    other->keyText.clear();
    EXPECT_FALSE(AddRecentContact(*c, *other));
    EXPECT_EQ(c->LastPersonKeys.size(), 2);
}

// Every new peer whose message is shown goes first; only the newest are
// kept, in memory and in the settings file, however many come.
TEST(ContactNotices, RecentContactsKeepOnlyTheNewest)
{
    auto c = config({ { u("我的好友"), false } });
    const int peers = 3 * int(CConfig::RecentContactsKept);
    QStringList keys;
    for (int i = 0; i < peers; ++i) {
        const HostPtr h = host(u("p%1").arg(i), u("g"), 0x0A000100 + quint32(i), u("l%1").arg(i), u("PC"));
        h->keyText = QStringLiteral("0016%1").arg(i, 8, 16, QLatin1Char('0')).toUpper();
        keys.prepend(h->keyText);
        EXPECT_TRUE(AddRecentContact(*c, *h));
    }
    EXPECT_EQ(c->LastPersonKeys, keys.mid(0, CConfig::RecentContactsKept));
    EXPECT_EQ(c->LastPersonTexts.size(), CConfig::RecentContactsKept);
    CConfig stored(c->StorePath());
    stored.Load();
    EXPECT_EQ(stored.LastPersonKeys, keys.mid(0, CConfig::RecentContactsKept));
}

TEST(PeerKeyCompletion, NeighbourTableMapAndMadeKeys)
{
    QHash<quint32, QString> table;
    EXPECT_EQ(NeighbourTable::Parse(QByteArrayLiteral("IP address       HW type     Flags       HW address            Mask     Device\n"
                                                      "10.0.0.7         0x1         0x2         00:1a:2b:3c:4d:5e     *        eth0\n"
                                                      "10.0.0.8         0x1         0x0         00:00:00:00:00:00     *        eth0\n"
                                                      "10.0.0.9         0x1         0x6         02:fc:00:00:00:05     *        eth0\n"
                                                      "999.0.0.1 0x1 0x2 00:1a:2b:3c:4d:5e * e\n"
                                                      "10.0.0.10 0x1 0x2 00:1a:2b:3c:4d * e\n"),
                  table),
        NeighbourTable::Status::Ok);
    EXPECT_EQ(table.size(), 2);
    EXPECT_EQ(table.value(0x0A000007), QStringLiteral("001A2B3C4D5E"));
    EXPECT_EQ(table.value(0x0A000009), QStringLiteral("02FC00000005"));
    EXPECT_EQ(NeighbourTable::Parse("garbage\n10.0.0.7 0x1 0x2 00:1a:2b:3c:4d:5e * e\n", table),
        NeighbourTable::Status::BadHeader);
    EXPECT_TRUE(table.isEmpty());

    const QString file = TestEnv::freshDir(QStringLiteral("arp")) + QStringLiteral("/arp");
    ASSERT_TRUE(TestEnv::writeAll(file, "IP address HW type Flags HW address Mask Device\n10.0.0.7 0x1 0x2 00:1a:2b:3c:4d:5e * eth0\n"));
    NeighbourTable neighbours;
    EXPECT_TRUE(neighbours.Load(file));
    EXPECT_FALSE(NeighbourTable().Load(file + QStringLiteral(".missing")));

    auto c = config({ { u("我的好友"), false } });
    c->memoNickNames.insert(QStringLiteral("001A2B3C4D5E"), u("小张"));
    c->memoGroupNames.insert(QStringLiteral("001A2B3C4D5E"), u("同事"));
    const HostPtr known = host(u("zhang"), {}, 0x0A000007);
    EXPECT_TRUE(PeerKeyCompletion::CompleteKey(*known, c.get(), &neighbours));
    EXPECT_EQ(known->keyText, QStringLiteral("001A2B3C4D5E"));
    PeerKeyCompletion::ApplyMemoData(*known, *c);
    EXPECT_EQ(known->displayName, u("小张"));
    EXPECT_EQ(known->customGroup, u("同事"));
    EXPECT_FALSE(PeerKeyCompletion::CompleteKey(*known, c.get(), &neighbours)) << "a key is never replaced";

    // Not in the table: a key made from the names, the same every time.
    const HostPtr unknown = host(u("li"), {}, 0x0A000008, u("li"), u("LI-PC"));
    EXPECT_TRUE(PeerKeyCompletion::CompleteKey(*unknown, c.get(), &neighbours));
    EXPECT_EQ(unknown->keyText.size(), 12);
    const HostPtr again = host(u("li"), {}, 0x0A000008, u("li"), u("LI-PC"));
    PeerKeyCompletion::CompleteKey(*again, nullptr, nullptr);
    EXPECT_EQ(again->keyText, unknown->keyText) << "no configuration: style \"43\", the default";
    // The address-to-MAC map comes before the kernel's table.
    c->IpToMac.insert(0x0A000007, QStringLiteral("AABBCCDDEEFF"));
    c->GetMacStryle_STR = QStringLiteral("4");
    const HostPtr mapped = host(u("z"), {}, 0x0A000007);
    PeerKeyCompletion::CompleteKey(*mapped, c.get(), &neighbours);
    EXPECT_EQ(mapped->keyText, QStringLiteral("AABBCCDDEEFF"));
}

} // namespace

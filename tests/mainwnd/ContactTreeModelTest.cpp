#include "mainwnd/ContactTreeModel.h"
#include "ContactTestUtil.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>
#include <map>
#include <random>

using namespace ContactTest;
using Kind = ContactTreeModel::RowKind;

namespace {

QStringList rows(const ContactTreeModel &m)
{
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out.append((m.rowKind(r) == Kind::Peer ? QStringLiteral("  ") : QString()) + m.index(r).data().toString());
    return out;
}

std::unique_ptr<CConfig> standardConfig()
{
    return config({ { u("我的好友"), false }, { u("同事"), false }, { u("黑名单"), true } });
}

TEST(ContactTreeModel, GroupsPeerGroupsAndCounts)
{
    auto c = standardConfig();
    ContactTreeModel m(c.get());
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const HostPtr zhang = host(u("张三"), u("研发部"), 0x0A000001);
    const HostPtr li = host(u("李四"), u("研发部"), 0x0A000002);
    const HostPtr wang = host(u("王五"), QString(), 0x0A000003);
    const HostPtr boss = host(u("赵总"), u("总经办"), 0x0A000004);
    boss->customGroup = u("同事");
    const HostPtr spam = host(u("广告"), u("外部"), 0x0A000005);
    spam->customGroup = u("黑名单");
    for (const HostPtr &h : { zhang, li, wang, boss, spam })
        m.AddUser(h.data());

    EXPECT_EQ(rows(m),
        QStringList({ u("我的好友(3)"), u("对方未分组好友(1)"), u("  王五(pc) 10.0.0.3"), u("研发部(2)"),
            u("  李四(pc) 10.0.0.2"), u("  张三(pc) 10.0.0.1"), u("同事(1)"), u("  赵总(pc) 10.0.0.4"),
            u("黑名单(1)") }));
    EXPECT_EQ(c->MemberGroups[0].memberCount, 3u);
    EXPECT_EQ(c->MemberGroups[2].memberCount, 1u) << "a closed group still counts its members";
    EXPECT_EQ(m.visiblePeerRows(), 4);
    EXPECT_EQ(m.nodeNameAt(1), u("对方未分组好友"));
    EXPECT_EQ(m.index(3).data(ContactTreeModel::NameRole).toString(), u("研发部"));
    EXPECT_EQ(m.hostAt(4), li.data());

    // The last peer leaving a peer group takes its node; user groups stay.
    EXPECT_TRUE(m.RemoveUser(wang.data()));
    EXPECT_TRUE(m.RemoveUser(boss.data()));
    EXPECT_FALSE(m.RemoveUser(boss.data()));
    EXPECT_EQ(m.PeerGroupCount(u("对方未分组好友")), -1);
    EXPECT_EQ(rows(m).first(), u("我的好友(2)"));
    EXPECT_TRUE(rows(m).contains(u("同事(0)")));

    // A group without a record gets its node at the end.
    const HostPtr guest = host(u("访客"));
    guest->customGroup = u("临时");
    m.AddUser(guest.data());
    EXPECT_EQ(rows(m).mid(rows(m).size() - 2), QStringList({ u("临时(1)"), u("  访客(pc) 10.0.0.1") }));
}

TEST(ContactTreeModel, CollapsedGroupsCountButHideTheirPeers)
{
    auto c = standardConfig();
    ContactTreeModel m(c.get());
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const HostPtr a = host(u("阿"), u("研发部"), 1);
    const HostPtr b = host(u("波"), u("研发部"), 2);
    m.AddUser(a.data());
    EXPECT_TRUE(m.CollapseGroupItems(u("研发部"), false));
    EXPECT_EQ(c->ObjectGroupStatus.value(u("研发部")), u("1"));
    m.AddUser(b.data());
    EXPECT_EQ(rows(m).mid(0, 3), QStringList({ u("我的好友(2)"), u("研发部(2)"), u("同事(0)") }));
    EXPECT_EQ(m.index(1).data(ContactTreeModel::ImageRole).toInt(), 90);
    EXPECT_EQ(m.rowOfHost(b.data()), -1);
    // Expanding shows both in order.
    EXPECT_TRUE(m.ToggleGroupCollapsed(u("研发部"), false));
    EXPECT_EQ(rows(m).mid(1, 3), QStringList({ u("研发部(2)"), u("  阿(pc) 0.0.0.1"), u("  波(pc) 0.0.0.2") }));

    // Closing "我的好友" hides its peer-group nodes too.
    EXPECT_TRUE(m.ToggleGroupCollapsed(u("我的好友"), true));
    EXPECT_EQ(rows(m), QStringList({ u("我的好友(2)"), u("同事(0)"), u("黑名单(0)") }));
    EXPECT_EQ(c->MemberGroups[0].collapsed, 1u);
    m.RemoveUser(a.data());
    EXPECT_EQ(rows(m).first(), u("我的好友(1)"));
    m.ExpandGroupItems(u("我的好友"), true);
    EXPECT_EQ(rows(m).mid(0, 3), QStringList({ u("我的好友(1)"), u("研发部(1)"), u("  波(pc) 0.0.0.2") }));
    // A group without a record cannot be closed.
    EXPECT_FALSE(m.ToggleGroupCollapsed(u("无此组"), true));
}

TEST(ContactTreeModel, WithoutAutoGroupingPeersSitUnderMyFriends)
{
    auto c = standardConfig();
    c->MyFriendsAutoGroup = 0;
    ContactTreeModel m(c.get());
    const HostPtr a = host(u("阿"), u("研发部"), 1);
    const HostPtr b = host(u("波"), QString(), 2);
    m.Fill({ b.data(), a.data() });
    EXPECT_EQ(rows(m).mid(0, 3), QStringList({ u("我的好友(2)"), u("  阿(pc) 0.0.0.1"), u("  波(pc) 0.0.0.2") }));
    EXPECT_EQ(m.FindTreeInsertPosition(*host(u("啊"))), 0) << "before 阿: right after the node";
    EXPECT_EQ(m.FindTreeInsertPosition(*host(u("张"))), 2);
    HostRecord probe; // nobody holds it: a look-up must not take a reference
    probe.displayName = u("左");
    EXPECT_EQ(m.FindTreeInsertPosition(probe), 2);
}

TEST(ContactTreeModel, UpdatesInPlaceOrMovesNeverDuplicates)
{
    auto c = standardConfig();
    ContactTreeModel m(c.get());
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const HostPtr a = host(u("阿"), u("研发部"), 1);
    const HostPtr b = host(u("波"), u("研发部"), 2);
    m.AddUser(a.data());
    m.AddUser(b.data());
    a->displayName = u("阿[开会]");
    m.AddUser(a.data());
    EXPECT_EQ(m.rowCount(), 3 + 3);
    EXPECT_EQ(m.index(2).data().toString(), u("阿[开会](pc) 0.0.0.1"));
    // A new name that sorts elsewhere moves the row.
    a->displayName = u("左");
    m.AddUser(a.data());
    EXPECT_EQ(rows(m).mid(1, 3), QStringList({ u("研发部(2)"), u("  波(pc) 0.0.0.2"), u("  左(pc) 0.0.0.1") }));
    // A new group moves the peer and fixes both counts.
    a->groupName = u("市场部");
    m.AddUser(a.data());
    EXPECT_EQ(m.PeerGroupCount(u("研发部")), 1);
    EXPECT_EQ(m.PeerGroupCount(u("市场部")), 1);
    a->customGroup = u("同事");
    m.MoveUserToGroup(a.data());
    EXPECT_EQ(m.PeerGroupCount(u("市场部")), -1);
    EXPECT_EQ(m.UserGroupCount(u("同事")), 1);
    EXPECT_EQ(m.UserGroupCount(u("我的好友")), 1);
    EXPECT_EQ(m.peerCount(), 2);
}

// Every node's count is its membership, rows follow their node in order,
// and the model after any sequence equals one filled at once.
void checkInvariants(const ContactTreeModel &m, const CConfig &c, const std::vector<HostPtr> &in)
{
    std::map<QString, int> users, peers;
    for (const HostPtr &h : in) {
        ++users[h->customGroup];
        if (h->customGroup == DefaultGroups::MyFriends())
            ++peers[ContactTreeModel::PeerGroupName(*h)];
    }
    int node = -1;
    QString nodeName;
    bool peerNode = false;
    for (int r = 0; r < m.rowCount(); ++r) {
        const QModelIndex i = m.index(r);
        const Kind kind = m.rowKind(r);
        if (kind != Kind::Peer) {
            node = r;
            nodeName = i.data(ContactTreeModel::NameRole).toString();
            peerNode = kind == Kind::PeerGroup;
            const int expected = peerNode ? peers[nodeName] : users[nodeName];
            ASSERT_EQ(i.data(ContactTreeModel::CountRole).toInt(), expected) << nodeName.toStdString();
            ASSERT_EQ(i.data().toString(), QStringLiteral("%1(%2)").arg(nodeName).arg(expected));
            ASSERT_TRUE(!peerNode || expected > 0) << "an empty peer group keeps no node";
            continue;
        }
        ASSERT_GE(node, 0);
        const HostRecord *h = m.hostAt(r);
        if (peerNode)
            ASSERT_EQ(ContactTreeModel::PeerGroupName(*h), nodeName);
        else
            ASSERT_EQ(h->customGroup, nodeName);
        if (m.rowKind(r - 1) == Kind::Peer) {
            const int g = peerNode ? -1 : c.FindMemberGroup(nodeName);
            const unsigned word = g >= 0 ? c.MemberGroups[g].sortWord : 0;
            const SortOptions o = SortOptions::FromConfig(&c);
            ASSERT_LE(CompareUsersBy(*m.hostAt(r - 1), *h, int(word % 8), word / 8 != 0, o), 0);
        }
    }
    for (const UserGroupRecord &r : c.MemberGroups)
        ASSERT_EQ(int(r.memberCount), users[r.name]);
    ASSERT_EQ(m.peerCount(), int(in.size()));
}

TEST(ContactTreeModel, RandomSequencesKeepCountsEqualToMembership)
{
    auto c = standardConfig();
    ContactTreeModel m(c.get());
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    std::mt19937 rng(20240607);
    const QStringList groups { u("研发部"), u("市场部"), QString(), u(" 研发部 "), u("财务") };
    const QStringList customs { u("我的好友"), u("我的好友"), u("同事"), u("黑名单"), u("临时") };
    const QStringList names { u("张"), u("李"), u("王"), u("赵"), u("钱"), u("孙"), u("周"), u("吴") };
    std::vector<HostPtr> pool;
    for (int i = 0; i < 30; ++i)
        pool.push_back(host(names[i % names.size()] + QString::number(i), groups[i % groups.size()], quint32(i + 1)));
    std::vector<HostPtr> in;
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };

    for (int step = 0; step < 1500; ++step) {
        const int op = pick(10);
        const HostPtr h = pool[size_t(pick(int(pool.size())))];
        const bool shown = std::find(in.begin(), in.end(), h) != in.end();
        if (op < 3) {
            if (!shown)
                in.push_back(h);
            m.AddUser(h.data());
        } else if (op < 5) {
            EXPECT_EQ(m.RemoveUser(h.data()), shown);
            std::erase(in, h);
        } else if (op < 7) {
            h->groupName = groups[pick(int(groups.size()))];
            h->customGroup = customs[pick(int(customs.size()))];
            h->displayName = names[pick(int(names.size()))] + QString::number(step);
            if (shown)
                m.AddUser(h.data());
        } else if (op < 9) {
            QStringList nodes = m.PeerGroupNames();
            for (const UserGroupRecord &r : c->MemberGroups)
                nodes.append(r.name);
            const QString name = nodes[pick(int(nodes.size()))];
            m.ToggleGroupCollapsed(name, c->FindMemberGroup(name) >= 0);
        } else if (pick(2) == 0) {
            c->MemberGroups[1].sortWord = unsigned(pick(16));
            m.ResortGroup(c->MemberGroups[1].name, true);
        } else {
            QList<HostRecord *> hosts;
            for (const HostPtr &x : in)
                hosts.append(x.data());
            m.Fill(hosts);
        }
        std::vector<HostPtr> current;
        for (const HostPtr &x : in)
            if (m.Contains(x.data()))
                current.push_back(x);
        ASSERT_EQ(current.size(), in.size());
        ASSERT_NO_FATAL_FAILURE(checkInvariants(m, *c, in)) << "step " << step;
    }

    // Incremental and filled at once agree, node by node.
    for (const HostPtr &h : in)
        m.AddUser(h.data());
    ContactTreeModel filled(c.get());
    QList<HostRecord *> hosts;
    for (const HostPtr &h : in)
        hosts.append(h.data());
    filled.Fill(hosts);
    auto byNode = [](const ContactTreeModel &t) {
        std::map<QString, QStringList> out;
        QString node;
        for (int r = 0; r < t.rowCount(); ++r)
            if (t.rowKind(r) == Kind::Peer)
                out[node].append(t.index(r).data().toString());
            else
                node = t.index(r).data().toString();
        return out;
    };
    EXPECT_EQ(byNode(m), byNode(filled));
}

} // namespace

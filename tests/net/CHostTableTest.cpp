#include "net/CHostTable.h"

#include <gtest/gtest.h>

#include <QList>
#include <algorithm>
#include <random>

namespace {

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

HostPtr makeHost(const QString &login, const QString &host, quint32 address, quint16 port = 2425)
{
    HostPtr h(new HostRecord);
    h->key = HostKey(login, host, address, port);
    return h;
}

// Every enabled index strictly ordered under its comparison, searchable, and
// holding the same records as the others. The names index may hold equal
// names; it is ordered by names and then address.
void expectConsistent(const CHostTable &table)
{
    constexpr int compareKind[] = { 2, 3, 2 };
    QList<HostRecord *> reference;
    for (int kind = 0; kind < CHostTable::KindCount; ++kind) {
        QList<HostRecord *> rows;
        for (qsizetype i = 0; i < table.Count(); ++i) {
            rows.append(table.At(kind, i));
            qsizetype pos = -1;
            HostRecord *found = table.Search(kind, rows.last()->key, &pos);
            ASSERT_NE(found, nullptr);
            ASSERT_EQ(CompareHostKeys(found->key, rows.last()->key, kind == 1 ? 3 : 1), 0);
            if (kind != CHostTable::ByName) {
                ASSERT_EQ(found, rows.last());
                ASSERT_EQ(pos, i);
            }
            if (i > 0) {
                ASSERT_LT(CompareHostKeys(rows[i - 1]->key, rows[i]->key, compareKind[kind]), 0);
            }
        }
        EXPECT_EQ(table.Capacity(kind) % CHostTable::kGrowth, 0);
        std::sort(rows.begin(), rows.end());
        if (kind == 0)
            reference = rows;
        ASSERT_EQ(rows, reference);
    }
}

} // namespace

TEST(HostKey, ComparesAsTheSystemDoes)
{
    const HostKey a(QStringLiteral("alice"), QStringLiteral("pc1"), 0x0A000002, 2425);
    HostKey b = a;
    b.port = 2426;
    EXPECT_EQ(CompareHostKeys(a, b, 1), 0);
    EXPECT_LT(CompareHostKeys(a, b, 2), 0);
    EXPECT_LT(CompareHostKeys(a, b, 3), 0);
    for (int bad : { 0, 4, -1 })
        EXPECT_EQ(CompareHostKeys(a, a, bad), -1);
    b = HostKey(QStringLiteral("alice"), QStringLiteral("pc0"), 0x0A000001, 2425);
    EXPECT_GT(CompareHostKeys(a, b, 1), 0);
    EXPECT_GT(CompareHostKeys(a, b, 3), 0);

    // GBK byte order, unsigned and case-sensitive: ASCII, then 啊 (B0A1) before 张 (D5C5).
    const QStringList ordered = { u("Zed"), u("zed"), u("zzz"), u("啊"), u("啊a"), u("张") };
    for (qsizetype i = 1; i < ordered.size(); ++i)
        EXPECT_LT(CompareHostKeys(HostKey(ordered[i - 1], {}, 0, 0), HostKey(ordered[i], {}, 0, 0), 2), 0) << i;
    // A name longer than its 50-byte field is cut as a Windows peer cuts it.
    const HostKey longName(QString(26, QChar(0x5f20)), QStringLiteral("h"), 0, 0);
    EXPECT_EQ(longName.loginName().size(), 24);
    EXPECT_EQ(longName.loginBytes().size(), 48);
}

TEST(CHostTable, SearchInsertRemoveAndReferenceCounts)
{
    CHostTable table;
    HostPtr bob = makeHost(QStringLiteral("bob"), QStringLiteral("b1"), 0x0A000005);
    HostPtr amy = makeHost(QStringLiteral("amy"), QStringLiteral("a1"), 0x0A000009);
    ASSERT_TRUE(table.Insert(bob.data()));
    ASSERT_TRUE(table.Insert(amy.data()));
    EXPECT_EQ(bob->refCount(), 2) << "the table holds one reference";
    EXPECT_EQ(table.At(CHostTable::ByName, 0), amy.data());
    EXPECT_EQ(table.At(CHostTable::ByAddress, 0), bob.data());
    qsizetype pos = -1;
    EXPECT_EQ(table.Search(CHostTable::ByAddress, HostKey({}, {}, 0x0A000007, 2425), &pos), nullptr);
    EXPECT_EQ(pos, 1) << "insertion position";
    EXPECT_EQ(table.Search(7, bob->key, &pos), nullptr);

    // A second peer at a listed address, or a second insertion, is refused.
    HostPtr otherAtBobsAddress = makeHost(QStringLiteral("carl"), QStringLiteral("c1"), 0x0A000005);
    EXPECT_FALSE(table.Insert(otherAtBobsAddress.data()) || table.Insert(bob.data()) || table.Insert(nullptr));
    EXPECT_EQ(bob->refCount(), 2);
    EXPECT_EQ(table.Count(), 2);

    // Cloned machines share login and host names: both are listed, and each
    // is found and removed as itself.
    HostPtr bobElsewhere = makeHost(QStringLiteral("bob"), QStringLiteral("b1"), 0x0A000006);
    ASSERT_TRUE(table.Insert(bobElsewhere.data()));
    EXPECT_EQ(table.Count(), 3);
    EXPECT_EQ(table.Search(CHostTable::ByNameAndAddress, bobElsewhere->key), bobElsewhere.data());
    EXPECT_NE(table.Search(CHostTable::ByName, bob->key), nullptr);
    expectConsistent(table);
    EXPECT_TRUE(table.Remove(bobElsewhere.data()));
    EXPECT_EQ(table.Search(CHostTable::ByName, bob->key), bob.data());
    EXPECT_EQ(bobElsewhere->refCount(), 1);

    // A holder (a file offer, a sender) keeps the record alive after it left the table.
    HostPtr offerHolds = bob;
    EXPECT_TRUE(table.Remove(bob.data()));
    EXPECT_FALSE(table.Remove(bob.data()));
    EXPECT_FALSE(table.Remove(bobElsewhere.data()));
    bob.reset();
    EXPECT_EQ(offerHolds->refCount(), 1);

    // A record whose key was changed while listed is still removed from every index.
    amy->key.address = 0x0B000000;
    amy->key.setLoginName(QStringLiteral("zoe"));
    EXPECT_TRUE(table.Remove(amy.data()));
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.At(CHostTable::ByAddress, 0), nullptr);

    // Only enabled indexes are kept; a table gives up its references when it goes.
    {
        CHostTable byAddress(CHostTable::AddressIndex);
        ASSERT_TRUE(byAddress.Insert(amy.data()));
        ASSERT_TRUE(byAddress.Insert(makeHost(QStringLiteral("zoe"), QStringLiteral("a1"), 1).data()))
            << "same names, no name index";
        EXPECT_EQ(byAddress.Search(CHostTable::ByName, amy->key), nullptr);
        EXPECT_EQ(byAddress.Search(CHostTable::ByAddress, amy->key), amy.data());
        EXPECT_EQ(amy->refCount(), 2);
    }
    EXPECT_EQ(amy->refCount(), 1);
}

TEST(CHostTable, IndexesStayConsistentUnderABurst)
{
    std::mt19937 rng(2425);
    CHostTable table;
    QList<HostPtr> peers;
    const QString cjk = u("张王李赵刘陈杨黄");
    for (int i = 0; i < 2600; ++i) {
        const QString login
            = (i % 3 ? QStringLiteral("user") : QString(cjk[int(rng() % 8)])) + QString::number(rng() % 900);
        peers.append(makeHost(
            login, QStringLiteral("PC%1").arg(rng() % 40), 0x0A000000 | (rng() % 4000), quint16(2425 + rng() % 2)));
    }
    for (const HostPtr &p : std::as_const(peers))
        table.Insert(p.data());
    ASSERT_GT(table.Count(), 2000);
    expectConsistent(table);

    // Churn: peers leave and come back; a listed peer holds exactly the table's reference.
    for (int round = 0; round < 3000; ++round) {
        HostRecord *p = peers[qsizetype(rng() % quint32(peers.size()))].data();
        if (!table.Remove(p))
            table.Insert(p);
    }
    expectConsistent(table);
    qsizetype listed = 0;
    for (const HostPtr &p : std::as_const(peers)) {
        const bool in = table.Search(CHostTable::ByNameAndAddress, p->key) == p.data();
        listed += in;
        EXPECT_EQ(p->refCount(), in ? 2 : 1);
    }
    EXPECT_EQ(listed, table.Count());
    table.Clear();
    EXPECT_TRUE(std::all_of(peers.cbegin(), peers.cend(), [](const HostPtr &p) { return p->refCount() == 1; }));
}

TEST(CHostTable, CountsPerAddressAndTheLatestRecordsFollowTheTable)
{
    CHostTable table;
    QList<HostPtr> peers;
    quint64 order = 0;
    const auto add = [&](quint32 address, quint16 port) {
        HostPtr h = makeHost(QStringLiteral("u%1").arg(port), QStringLiteral("pc"), address, port);
        h->listedOrder = ++order;
        peers.append(h);
        return table.Insert(h.data());
    };
    EXPECT_EQ(table.MostAtOneAddress(), 0);
    EXPECT_EQ(table.LatestAt(1), nullptr);
    for (quint16 port = 1; port <= 3; ++port)
        ASSERT_TRUE(add(1, port));
    ASSERT_TRUE(add(2, 9));
    ASSERT_TRUE(add(1, 4));
    ASSERT_TRUE(add(3, 1));
    EXPECT_FALSE(add(3, 1)) << "a second record of one port is refused and not counted";
    EXPECT_EQ(table.CountAt(1), 4);
    EXPECT_EQ(table.CountAt(3), 1);
    EXPECT_EQ(table.CountAt(7), 0);
    EXPECT_EQ(table.MostAtOneAddress(), 4);
    EXPECT_EQ(table.FullestAddress(), 1u);
    EXPECT_EQ(table.LatestAt(1)->key.port, 4);
    EXPECT_EQ(table.LatestAt(2)->key.port, 9);
    EXPECT_EQ(table.Latest([](const HostRecord &h) { return h.key.address != 3; })->key.port, 4);

    // The counts follow removals, also of a record whose names changed.
    HostRecord *renamed = table.Search(CHostTable::ByAddress, HostKey(QString(), QString(), 1, 4));
    ASSERT_NE(renamed, nullptr);
    renamed->key = HostKey(QStringLiteral("other"), QStringLiteral("pc"), 1, 4);
    ASSERT_TRUE(table.Remove(renamed));
    ASSERT_TRUE(table.Remove(table.LatestAt(1)));
    EXPECT_EQ(table.CountAt(1), 2);
    EXPECT_EQ(table.LatestAt(1)->key.port, 2);
    ASSERT_TRUE(table.Remove(table.LatestAt(1)));
    ASSERT_TRUE(table.Remove(table.LatestAt(1)));
    EXPECT_EQ(table.CountAt(1), 0);
    EXPECT_EQ(table.MostAtOneAddress(), 1);
    EXPECT_EQ(table.Latest([](const HostRecord &) { return true; })->key.address, 3u);
    EXPECT_EQ(table.Latest([](const HostRecord &) { return false; }), nullptr);
    table.Clear();
    EXPECT_EQ(table.MostAtOneAddress(), 0);
    EXPECT_EQ(table.CountAt(2), 0);
    EXPECT_EQ(table.Latest([](const HostRecord &) { return true; }), nullptr);
}

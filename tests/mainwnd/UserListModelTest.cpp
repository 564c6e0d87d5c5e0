#include "mainwnd/UserListModel.h"
#include "ContactTestUtil.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

using namespace ContactTest;

namespace {

QStringList column(const UserListModel &m, int c)
{
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out.append(m.index(r, c).data().toString());
    return out;
}

TEST(UserListModel, ColumnOrderStrings)
{
    UserListModel m;
    m.SetColumnOrder(QStringLiteral("123456"));
    EXPECT_EQ(m.columnTitles(), QStringList({ u("用户名"), u("主机"), u("登录名"), u("组名"), u("自定义组名"), u("IP地址") }));
    EXPECT_EQ(m.columnDefaultWidth(3), 150);
    EXPECT_EQ(m.columnDefaultWidth(5), 100);

    m.SetColumnOrder(QStringLiteral("6543"));
    EXPECT_EQ(m.columnTitles(), QStringList({ u("IP地址"), u("自定义组名"), u("组名"), u("登录名") }));
    EXPECT_EQ(m.columnDefaultWidth(1), 100) << "other orders use 100 pixels";
    EXPECT_EQ(m.GetColumnPosition(ContactEntry::NickField), -1);
    EXPECT_EQ(m.GetColumnPosition(ContactEntry::HostField), -1);
    EXPECT_EQ(m.GetColumnPosition(ContactEntry::AddressField), 0);
    EXPECT_EQ(m.GetColumnPosition(6), -1);
    EXPECT_EQ(m.GetColumnPosition(-1), -1);

    m.SetColumnOrder(QStringLiteral("1x1"));
    EXPECT_EQ(m.columnCount(), 2) << "other characters are skipped, digits may repeat";

    // No columns: rows still go in with their image and peer.
    m.SetColumnOrder(QString());
    const HostPtr h = host(u("张"));
    EXPECT_EQ(m.InsertUserRow(0, 5, { u("a"), u("b"), u("c"), u("d"), u("e"), u("f") }, 7, h.data()), 5);
    EXPECT_EQ(m.rowCount(), 1);
    EXPECT_EQ(m.hostAt(0), h.data());
    EXPECT_EQ(m.index(0, 0).isValid(), false);
    // Five texts for six fields: nothing.
    EXPECT_EQ(m.InsertUserRow(0, 5, { u("a"), u("b"), u("c"), u("d"), u("e") }, 0), 6);
    EXPECT_EQ(m.rowCount(), 1);
}

TEST(UserListModel, SortedInsertsRefreshesAndOneSortFill)
{
    auto c = config({ { u("我的好友"), false } });
    UserListModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    m.SetColumnOrder(QStringLiteral("123456"));
    const HostPtr zhang = host(u("张三"), u("研发部"), 0x0A000003);
    const HostPtr li = host(u("李四"), u("研发部"), 0x0A000001);
    const HostPtr a = host(u("Amy"), QString(), 0x0A000002);
    const HostPtr last = host(u("阿"), QString(), 0x0A000009);
    last->statusBits = HostRecord::StatusSortLast;
    for (const HostPtr &h : { zhang, last, li, a })
        m.InsertOrRefresh(h.data(), c.get());
    EXPECT_EQ(column(m, 0), QStringList({ u("Amy"), u("李四"), u("张三"), u("阿") }));
    EXPECT_EQ(column(m, 5).first(), u("10.0.0.2"));

    // Refreshing keeps one row; a new name that sorts elsewhere moves it.
    a->displayName = u("Amy[开会]");
    EXPECT_EQ(m.InsertOrRefresh(a.data(), c.get()), 0);
    a->displayName = u("赵");
    m.InsertOrRefresh(a.data(), c.get());
    EXPECT_EQ(column(m, 0), QStringList({ u("李四"), u("张三"), u("赵"), u("阿") }));

    // By address, descending: one sort gives the order the inserts give.
    m.setSort(SortByAddress, true);
    UserListModel inserted;
    inserted.SetColumnOrder(QStringLiteral("6"));
    inserted.setSort(SortByAddress, true);
    for (const HostPtr &h : { zhang, last, li, a })
        inserted.InsertOrRefresh(h.data(), c.get());
    m.Fill({ li.data(), zhang.data(), a.data(), last.data(), li.data() }, c.get());
    EXPECT_EQ(column(m, 5), QStringList({ u("10.0.0.3"), u("10.0.0.2"), u("10.0.0.1"), u("10.0.0.9") }));
    EXPECT_EQ(column(inserted, 0), column(m, 5));

    EXPECT_TRUE(m.DeleteRowOf(zhang.data()));
    EXPECT_FALSE(m.DeleteRowOf(zhang.data()));
    EXPECT_EQ(m.rowOfHost(li.data()), 1);
    EXPECT_EQ(UserListModel::SortKindOfTitle(u("IP地址")), SortByAddress);
    EXPECT_EQ(UserListModel::SortKindOfTitle(u("其他")), std::nullopt);
}

} // namespace

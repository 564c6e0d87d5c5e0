#include "core/CConfig.h"
#include "mainwnd/CFindUserDlg.h"
#include "mainwnd/CSelectUsersDlg.h"
#include "mainwnd/CSendToAddressDlg.h"
#include "mainwnd/CUserListCtrl.h"
#include "mainwnd/CUserTreeCtrl.h"
#include "mainwnd/ContactAddresses.h"
#include "mainwnd/ContactTreeModel.h"
#include "mainwnd/UserListModel.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/PacketCodec.h"
#include "platform/ScriptedPrompter.h"
#include "ContactTestUtil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>
#include <gtest/gtest.h>

using namespace ContactTest;

namespace {

// ---- send to address ----

TEST(SendAddress, TypedAddressesAreChecked)
{
    EXPECT_EQ(ParseSendAddress(u(" 192.168.1.10 ")), 0xC0A8010Au);
    EXPECT_EQ(ParseSendAddress(u("10.0.0.255")), 0x0A0000FFu);
    for (const char *bad : { "", "   ", "0.0.0.0", "10.0.0", "10.0.0.1.2", "256.1.1.1", "1..2.3", "a.b.c.d",
             "10.0.0.1x", "-1.2.3.4", "1234.1.1.1", "１.2.3.4" })
        EXPECT_FALSE(ParseSendAddress(u(bad))) << bad;
}

TEST(SendAddress, RecentContactsTakeTheirAddressFromTheMapOrTheirText)
{
    auto c = config({});
    c->IpToMac.insert(0x0A000007, u("00163E000007"));
    // The map knows the key (in any case).
    EXPECT_EQ(RecentContactAddress(*c, u("00163e000007"), u("甲(PC)(IP:10.9.9.9)(a)(b)")), 0x0A000007u);
    // Else the text's address part, checked.
    EXPECT_EQ(RecentContactAddress(*c, u("KEY"), u("乙(PC)(组名:研发)(IP:10.0.0.8)(b)(KEY)")), 0x0A000008u);
    EXPECT_FALSE(RecentContactAddress(*c, u("KEY"), u("丙(PC)(b)(KEY)")));
    EXPECT_FALSE(RecentContactAddress(*c, u("KEY"), u("丁(PC)(IP:0.0.0.0)(b)")));
    EXPECT_FALSE(RecentContactAddress(*c, u("KEY"), u("戊(PC)(IP:10.0.0.1")));
    EXPECT_FALSE(RecentContactAddress(*c, u("KEY"), u("己(PC)(IP:10.0.0.1; rm -rf)")));
}

TEST(CSendToAddressDlg, SendsAPlainMessageAndRefusesBadAddresses)
{
    // The net manager listens on loopback: a message to 127.0.0.1 on the
    // program's port comes back to it.
    CNetManager net;
    CNetManager::Options o;
    o.bindAddress = QHostAddress(QHostAddress::LocalHost);
    o.port = 0;
    o.listenTcp = false;
    ASSERT_TRUE(net.Open(o));
    QSignalSpy received(&net, &CNetManager::datagramReceived);

    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    CSendToAddressDlg dlg(&net);
    EXPECT_EQ(dlg.windowTitle(), u("给指定计算机发送消息"));
    dlg.SetAddress(0);
    EXPECT_TRUE(dlg.addressBox()->text().isEmpty());
    dlg.textBox()->setPlainText(u("你好"));
    EXPECT_FALSE(dlg.OnSend());
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(prompter.calls()[0].caption, u("提示"));
    dlg.addressBox()->setText(u("0.0.0.0"));
    EXPECT_FALSE(dlg.OnSend());
    EXPECT_EQ(dlg.textBox()->toPlainText(), u("你好")); // nothing lost

    // The text box keeps at most 1024 characters.
    dlg.textBox()->setPlainText(QString(1100, QLatin1Char('x')));
    EXPECT_EQ(dlg.textBox()->toPlainText().size(), CSendToAddressDlg::kMaxTextChars);

    dlg.SetAddress(0x7F000001);
    EXPECT_EQ(dlg.addressBox()->text(), u("127.0.0.1"));
    dlg.textBox()->setPlainText(u("你好"));
    dlg.findChild<QPushButton *>(u("1217"))->click();
    EXPECT_TRUE(dlg.textBox()->toPlainText().isEmpty());
    ASSERT_TRUE(received.wait(2000));
    PacketRecord packet;
    ASSERT_EQ(PacketCodec::ParsePacket(received[0][0].toByteArray(), 0x7F000001, net.port(), packet), PacketStatus::Ok);
    EXPECT_EQ(packet.command(), CMD_SEND_MESSAGE);
    EXPECT_EQ(packet.bodyText(), u("你好"));
}

// ---- find ----

struct Views
{
    Views()
        : cfg(config({ { u("同事"), false } }))
        , tree(cfg.get())
    {
        list.SetColumnOrder(u("654321")); // the address first: boxes must not follow positions
        for (HostPtr h : { host(u("张三"), u("研发部"), 0x0A000001, u("zhangs"), u("PC-1")),
                 host(u("李四"), u("市场部"), 0x0A000002, u("lis"), u("PC-2")),
                 host(u("王五"), u("研发部"), 0x0A000003, u("wangw"), u("PC-3")) }) {
            hosts.push_back(h);
            list.InsertOrRefresh(h.data(), cfg.get());
        }
        QList<HostRecord *> all;
        for (const HostPtr &h : hosts)
            all.append(h.data());
        tree.Fill(all);
    }
    std::unique_ptr<CConfig> cfg;
    std::vector<HostPtr> hosts;
    UserListModel list;
    ContactTreeModel tree;
};

TEST(FindUser, EachBoxSearchesItsField)
{
    Views v;
    FindUser::Fields onlyAddress{ false, false, false, true, false };
    EXPECT_EQ(FindUser::ListMatches(v.list, u("10.0.0.2"), onlyAddress).size(), 1);
    EXPECT_TRUE(FindUser::ListMatches(v.list, u("研发"), onlyAddress).isEmpty());
    FindUser::Fields onlyGroup{ false, false, true, false, false };
    EXPECT_EQ(FindUser::ListMatches(v.list, u("研发"), onlyGroup).size(), 2);
    FindUser::Fields onlyLogin{ false, false, false, false, true };
    EXPECT_EQ(FindUser::ListMatches(v.list, u("LIS"), onlyLogin).size(), 1);
    EXPECT_TRUE(FindUser::ListMatches(v.list, u("pc-2"), onlyLogin).isEmpty());

    QStringList history{ u("Abc ") };
    EXPECT_FALSE(FindUser::AddToHistory(history, u(" abc")));
    EXPECT_FALSE(FindUser::AddToHistory(history, u("  ")));
    EXPECT_TRUE(FindUser::AddToHistory(history, u("张")));
    EXPECT_EQ(history.size(), 2);
}

TEST(FindUser, TreeStepsToTheNextMatchingPeer)
{
    Views v;
    const FindUser::Fields all;
    const HostRecord *first = FindUser::NextTreeMatch(v.tree, -1, u("研发"), all);
    ASSERT_TRUE(first);
    const HostRecord *second = FindUser::NextTreeMatch(v.tree, v.tree.rowOfHost(first), u("研发"), all);
    ASSERT_TRUE(second);
    EXPECT_NE(first, second);
    EXPECT_GT(v.tree.rowOfHost(second), v.tree.rowOfHost(first));
    // Past the last match the selected peer stays.
    EXPECT_EQ(FindUser::NextTreeMatch(v.tree, v.tree.rowOfHost(second), u("研发"), all), second);
    EXPECT_EQ(FindUser::NextTreeMatch(v.tree, -1, u("nobody"), all), nullptr);
    // From a selected node the walk starts at its members.
    const int node = v.tree.rowOfGroup(u("同事"), true);
    ASSERT_GE(node, 0);
    v.hosts[0]->customGroup = u("同事");
    v.tree.AddUser(v.hosts[0].data());
    EXPECT_EQ(FindUser::NextTreeMatch(v.tree, v.tree.rowOfGroup(u("同事"), true), u("zhangs"), all), v.hosts[0].data());
}

// A peer group inside a closed "我的好友" is closed twice: a peer in it
// opens both.
TEST(FindUser, InsideClosedGroupsEveryGroupAboveOpens)
{
    Views v;
    v.cfg->MyFriendsAutoGroup = 1;
    v.cfg->MemberGroups.append(InitUserGroupRecord(DefaultGroups::MyFriends()));
    v.cfg->RebuildGroupIndex();
    v.tree.RebuildGroupNodes(true);
    v.tree.Fill({ v.hosts[0].data(), v.hosts[1].data(), v.hosts[2].data() });
    ASSERT_TRUE(v.tree.CollapseGroupItems(u("研发部"), false));
    ASSERT_TRUE(v.tree.CollapseGroupItems(DefaultGroups::MyFriends(), true));
    const HostRecord *wang = FindUser::NextTreeMatch(v.tree, -1, u("王五"), FindUser::Fields());
    ASSERT_EQ(wang, v.hosts[2].data());
    const int row = v.tree.RevealUser(wang);
    EXPECT_EQ(v.tree.hostAt(row), wang);
    EXPECT_FALSE(v.tree.IsGroupCollapsed(DefaultGroups::MyFriends(), true));
    EXPECT_FALSE(v.tree.IsGroupCollapsed(u("研发部"), false));
}

TEST(CFindUserDlg, SelectsInTheListAndStepsInTheTree)
{
    Views v;
    CUserListCtrl list;
    list.setListModel(&v.list);
    list.Init(nullptr);
    CUserTreeCtrl tree;
    tree.setConfig(v.cfg.get());
    tree.setTreeModel(&v.tree);
    CFindUserDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), u("查找"));
    for (const char *id : { "1046", "1047", "1048", "1049", "1050" })
        EXPECT_TRUE(dlg.findChild<QCheckBox *>(u(id))->isChecked()) << id;

    dlg.SetViews(0, &list, &tree);
    dlg.textBox()->setEditText(u(" 研发 "));
    dlg.findChild<QPushButton *>(u("1"))->click();
    EXPECT_EQ(list.selectionModel()->selectedRows().size(), 2);
    EXPECT_EQ(dlg.textBox()->count(), 1); // remembered once
    dlg.OnFind();
    EXPECT_EQ(dlg.textBox()->count(), 1);
    dlg.findChild<QCheckBox *>(u("1048"))->setChecked(false); // groups no longer searched
    dlg.OnFind();
    EXPECT_TRUE(list.selectionModel()->selectedRows().isEmpty());

    dlg.findChild<QCheckBox *>(u("1048"))->setChecked(true);
    dlg.SetViews(1, &list, &tree);
    dlg.OnFind();
    HostRecord *first = v.tree.hostAt(tree.currentIndex().row());
    ASSERT_TRUE(first);
    dlg.OnFind();
    HostRecord *second = v.tree.hostAt(tree.currentIndex().row());
    ASSERT_TRUE(second);
    EXPECT_NE(first, second);
    EXPECT_EQ(tree.selectionModel()->selectedIndexes().size(), 1);

    // "查找" reaches into a closed group: it opens with the peer selected.
    v.hosts[1]->customGroup = u("同事");
    v.tree.AddUser(v.hosts[1].data());
    v.tree.CollapseGroupItems(u("同事"), true);
    tree.selectionModel()->clearSelection(); // from the first peer
    dlg.textBox()->setEditText(u("lis"));
    dlg.OnFind();
    ASSERT_TRUE(tree.currentIndex().isValid());
    EXPECT_EQ(v.tree.hostAt(tree.currentIndex().row()), v.hosts[1].data());
    EXPECT_TRUE(tree.selectionModel()->isSelected(tree.currentIndex()));
    EXPECT_FALSE(v.tree.IsGroupCollapsed(u("同事"), true));
}

// ---- select users ----

QList<UserPickEntry> picks()
{
    QList<UserPickEntry> entries;
    for (quint32 last : { 10u, 9u, 100u }) {
        HostPtr h = host(u("用户%1").arg(last), {}, 0x0A000000 + last);
        entries.append(UserPickEntry::FromHost(*h));
    }
    return entries;
}

TEST(CSelectUsersDlg, SortsAddressesAsNumbersAndNamesByGbk)
{
    QList<UserPickEntry> entries = picks();
    SortPickEntries(entries, ContactEntry::AddressField, false);
    EXPECT_EQ(entries[0].dottedAddress(), u("10.0.0.9"));
    EXPECT_EQ(entries[1].dottedAddress(), u("10.0.0.10"));
    EXPECT_EQ(entries[2].dottedAddress(), u("10.0.0.100"));
    SortPickEntries(entries, ContactEntry::AddressField, true);
    EXPECT_EQ(entries[0].dottedAddress(), u("10.0.0.100"));
    // GBK order: 阿 (B0A2) before 张 (D5C5), unlike their Unicode order.
    entries[0].nick = u("张");
    entries[1].nick = u("阿");
    SortPickEntries(entries, ContactEntry::NickField, false);
    EXPECT_EQ(entries[0].nick, u("阿"));
}

TEST(CSelectUsersDlg, ChecksColumnClicksAndTheEmptyChoice)
{
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    QList<UserPickEntry> entries = picks();
    entries[2].selected = true;
    CSelectUsersDlg dlg(entries);
    EXPECT_EQ(dlg.windowTitle(), u("请选择用户"));
    UserListModel *model = dlg.userList()->listModel();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_TRUE(model->isChecked(2));
    EXPECT_EQ(model->index(0, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));

    // The first click on "IP地址" sorts ascending, keeping the checks.
    const bool descendingNext = CSelectUsersDlg::nextSortDescending();
    dlg.OnColumnClick(5);
    EXPECT_EQ(model->index(0, 5).data().toString(), descendingNext ? u("10.0.0.100") : u("10.0.0.9"));
    EXPECT_TRUE(model->isChecked(descendingNext ? 0 : 2)); // 10.0.0.100 stays ticked
    dlg.OnColumnClick(5);
    EXPECT_EQ(model->index(0, 5).data().toString(), descendingNext ? u("10.0.0.9") : u("10.0.0.100"));

    // Nothing ticked: the notice, and the dialog stays.
    for (int row = 0; row < 3; ++row)
        model->setData(model->index(row, 0), Qt::Unchecked, Qt::CheckStateRole);
    dlg.open();
    dlg.findChild<QPushButton *>(u("1"))->click();
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(prompter.calls()[0].text, u("您还没有选择要分组用户呢。"));
    EXPECT_TRUE(dlg.isVisible());
    model->setData(model->index(1, 0), Qt::Checked, Qt::CheckStateRole);
    dlg.findChild<QPushButton *>(u("1"))->click();
    EXPECT_EQ(dlg.result(), int(QDialog::Accepted));
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(), [](const UserPickEntry &e) { return e.selected; }), 1);
}

} // namespace

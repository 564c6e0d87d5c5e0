#include "mainwnd/CFindUserDlg.h"
#include "mainwnd/CMainToolBar.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/CMsgTipDlg.h"
#include "mainwnd/CSelectUsersDlg.h"
#include "mainwnd/CSendToAddressDlg.h"
#include "mainwnd/CSettingsDlg.h"
#include "mainwnd/CUserGroupManageDlg.h"
#include "mainwnd/CUserListCtrl.h"
#include "mainwnd/CUserTreeCtrl.h"
#include "mainwnd/ContactListMenu.h"
#include "mainwnd/PanelTrayMenu.h"
#include "mainwnd/UserListModel.h"
#include "net/CNetManager.h"
#include "net/MessengerEngine.h"
#include "platform/MessageSound.h"
#include "platform/ScriptedPrompter.h"
#include "ContactTestUtil.h"

#include <QAction>
#include <QDialog>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace ContactTest;

namespace {

struct Page
{
    Page()
        : config(TestEnv::freshDir(QStringLiteral("buttons")) + QStringLiteral("/kwel.ini"))
    {
        engine = std::make_unique<MessengerEngine>(config, net);
        page = std::make_unique<CMessengerDlg>(*engine);
        page->resize(260, 400);
    }
    HostRecord *add(const QString &nick, quint32 address, const QString &key)
    {
        HostPtr h = host(nick, {}, address, nick + u("_login"));
        h->keyText = key;
        engine->hostTable().Insert(h.data());
        return h.data();
    }
    QStringList texts(QMenu *menu) const
    {
        QStringList out;
        const auto actions = menu->actions();
        for (QAction *a : actions)
            out << (a->isSeparator() ? u("-") : a->text());
        return out;
    }

    CConfig config;
    CNetManager net;
    std::unique_ptr<MessengerEngine> engine;
    std::unique_ptr<CMessengerDlg> page;
};

TEST(ContactButtons, ButtonsAndTheWindowsTheyAskFor)
{
    Page p;
    const std::pair<int, const char *> buttons[] = { { 1001, "群发" }, { 1002, "刷新" }, { 1003, "搜索" },
        { 1004, "设置" }, { 1005, "帮助" }, { 1006, "最近" }, { 1098, "更多" }, { 1007, "共享" } };
    for (const auto &[id, text] : buttons) {
        QPushButton *b = p.page->findChild<QPushButton *>(QString::number(id));
        ASSERT_TRUE(b) << id;
        EXPECT_EQ(b->text(), u(text));
    }
    QSignalSpy help(p.page.get(), &CMessengerDlg::helpRequested);
    p.page->show();
    // Nobody opens the multi-user window or the shares yet; the settings are the page's.
    EXPECT_FALSE(p.page->button(1001)->isEnabled());
    EXPECT_TRUE(p.page->button(1004)->isEnabled());
    EXPECT_FALSE(p.page->button(1007)->isEnabled());
    EXPECT_TRUE(p.page->button(1005)->isEnabled());
    EXPECT_TRUE(p.page->button(1003)->isEnabled());
    p.page->button(1005)->click();
    EXPECT_EQ(help.size(), 1);
    // The tray's "设置对话框" stands for the settings button.
    EXPECT_TRUE(p.page->HandlesMenuCommand(TrayMenu::Settings));
    // The list's "查看全部聊天记录" and the tray's "查看聊天记录(&L)" ask for the
    // viewer, greyed while nobody opens it.
    EXPECT_FALSE(p.page->HandlesMenuCommand(ContactListMenu::ChatLog));
    QSignalSpy viewer(p.page.get(), &CMessengerDlg::chatLogViewerRequested);
    for (const int id : { ContactListMenu::ChatLog, TrayMenu::ChatLog }) {
        EXPECT_TRUE(p.page->HandlesMenuCommand(id));
        EXPECT_TRUE(p.page->OnMenuCommand(id));
    }
    EXPECT_EQ(viewer.size(), 2);
    // "共享文件设置" and the monitor, from the page's menu and the tray, once
    // somebody opens their windows.
    for (const int id : { ContactListMenu::ShareSettings, TrayMenu::ShareSettings, ContactListMenu::TransferMonitor,
             TrayMenu::TransferMonitor })
        EXPECT_FALSE(p.page->HandlesMenuCommand(id)) << id;
    QSignalSpy shares(p.page.get(), &CMessengerDlg::shareSettingsRequested);
    QSignalSpy monitor(p.page.get(), &CMessengerDlg::transferMonitorRequested);
    EXPECT_TRUE(p.page->OnMenuCommand(ContactListMenu::ShareSettings));
    EXPECT_TRUE(p.page->OnMenuCommand(TrayMenu::ShareSettings));
    EXPECT_TRUE(p.page->OnMenuCommand(ContactListMenu::TransferMonitor));
    EXPECT_TRUE(p.page->OnMenuCommand(TrayMenu::TransferMonitor));
    EXPECT_EQ(shares.size(), 2);
    EXPECT_EQ(monitor.size(), 2);
    EXPECT_TRUE(p.page->HandlesMenuCommand(TrayMenu::TransferMonitor));
    // Peer commands of the menu are the page's own.
    EXPECT_TRUE(p.page->HandlesMenuCommand(32963));
}

TEST(ContactButtons, TheToolbarRunsTheButtonsInItsOwnOrder)
{
    Page p;
    // The strip takes the panel's left-top colour (a COLORREF: 0x0000FF is red).
    p.config.MainBarLeftTopColor = 0x0000FF;
    EXPECT_EQ(CMessengerDlg(*p.engine).toolBar()->bkColor(), QColor(255, 0, 0));
    CMainToolBar *bar = p.page->toolBar();
    ASSERT_TRUE(bar);
    p.page->show();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->geometry(), QRect(2, 2, 198, 16));
    // The views start below the strip.
    auto *views = p.page->findChild<QStackedWidget *>();
    EXPECT_GT(views->mapTo(p.page.get(), QPoint(0, 0)).y(), bar->geometry().bottom());

    QSignalSpy multi(p.page.get(), &CMessengerDlg::multiChatRequested);
    int settings = 0;
    QTimer::singleShot(0, [&settings] {
        // "设置" is the page's own settings dialog.
        if (auto *dialog = qobject_cast<CSettingsDlg *>(QApplication::activeModalWidget())) {
            ++settings;
            dialog->reject();
        }
    });
    QSignalSpy help(p.page.get(), &CMessengerDlg::helpRequested);
    QSignalSpy shares(p.page.get(), &CMessengerDlg::allSharedFilesRequested);
    const auto click = [bar](int x) { QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(x, 8)); };
    click(30); // index 1: "群发"
    click(25 * 4 + 3); // "共享"
    click(25 * 5 + 3); // "设置"
    click(25 * 7 + 3); // "帮助"
    click(200); // beyond the eighth: nothing
    EXPECT_EQ(multi.size(), 1);
    EXPECT_EQ(shares.size(), 1);
    EXPECT_EQ(settings, 1);
    EXPECT_EQ(help.size(), 1);
    // Index 3 is the find button: its dialog opens.
    click(25 * 3 + 3);
    ASSERT_TRUE(p.page->findDialog());
    EXPECT_TRUE(p.page->findDialog()->isVisible());
    p.page->findDialog()->close();
    p.page->OnToolbarClick(8);
    p.page->OnToolbarClick(-1);
    EXPECT_EQ(multi.size() + shares.size() + settings + help.size(), 4);
}

TEST(ContactButtons, MoreMenuAsTheButtonShowsIt)
{
    Page p;
    for (int i = 0; i < 12; ++i)
        p.config.LastPersonTexts << u("联系人%1").arg(i);
    p.config.MembersShowMode = 0;
    p.config.LargeImage = 1;
    std::unique_ptr<QMenu> menu(p.page->MakeMoreMenu());
    const QStringList top = p.texts(menu.get());
    ASSERT_GE(top.size(), 18);
    EXPECT_EQ(top[0], u("增加其他网段好友"));
    EXPECT_EQ(top[2], u("个人及系统设置"));
    EXPECT_EQ(top.mid(14, 4), (QStringList{ u("新建组"), u("管理组"), u("-"), u("最近联系人") }));
    QMenu *recent = menu->actions()[17]->menu();
    ASSERT_TRUE(recent);
    EXPECT_EQ(recent->actions()[0]->text(), u("联系人0"));
    EXPECT_EQ(recent->actions()[9]->text(), u("联系人9")); // only the first ten
    EXPECT_EQ(recent->actions()[10]->isSeparator(), true);
    EXPECT_TRUE(TrayMenu::Find(menu.get(), ContactListMenu::LargeIcons)->isChecked());
    EXPECT_FALSE(TrayMenu::Find(menu.get(), ContactListMenu::SmallIcons)->isChecked());
    EXPECT_TRUE(TrayMenu::Find(menu.get(), ContactListMenu::NewGroup)->isEnabled());
    EXPECT_TRUE(TrayMenu::Find(menu.get(), ContactListMenu::ManageGroups)->isEnabled());
    EXPECT_TRUE(TrayMenu::Find(menu.get(), TrayMenu::FirstRecent)->isEnabled());

    // The whole menu 252 (the tree's right click) keeps its order.
    std::unique_ptr<QMenu> whole(ContactListMenu::Build(nullptr));
    EXPECT_EQ(p.texts(whole.get()).at(15), u("增加其他网段好友"));
    std::unique_ptr<QMenu> last(p.page->MakeRecentMenu());
    EXPECT_EQ(last->actions().size(), 12);
    EXPECT_EQ(last->actions()[11]->data().toInt(), TrayMenu::SendToAddress);
}

TEST(ContactButtons, RecentContactsOnlineAndNot)
{
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    Page p;
    HostRecord *online = p.add(u("张三"), 0x0A000001, u("00163E000001"));
    p.config.LastPersonTexts = { u("张三(PC)(IP:10.0.0.1)(z)(00-16-3E-00-00-01)"), u("李四(PC)(IP:10.0.0.2)(l)(K2)"),
        u("王五(PC)(w)(K3)"), u("赵六(PC)(IP:10.0.0.4)(z)(K4)") };
    p.config.LastPersonKeys = { u("00163E000001"), u("K2"), u("K3"), u("K4") };
    p.config.IpToMac.insert(0x0A000044, u("K4"));
    QSignalSpy open(p.page.get(), &CMessengerDlg::openChatRequested);

    p.page->OnRecentContact(0);
    ASSERT_EQ(open.size(), 1);
    EXPECT_EQ(open[0][0].value<HostRecord *>(), online);
    EXPECT_TRUE(prompter.calls().isEmpty());
    p.page->OnRecentContact(7); // beyond the list
    EXPECT_TRUE(prompter.calls().isEmpty());

    // Not online, "No": nothing.
    prompter.queueButton(Prompter::Button::No);
    p.page->OnRecentContact(1);
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(prompter.calls()[0].text, u("李四(PC)(IP:10.0.0.2)(l)(K2)  不在线或已下线!, 您是否要继续发送消息?"));
    EXPECT_FALSE(p.page->sendToAddressDialog());

    // "Yes" with the peer's chat window still open: that window comes up.
    QWidget chat;
    p.page->setChatWindowFinder([&chat](const QString &key) { return key == u("K2") ? &chat : nullptr; });
    prompter.queueButton(Prompter::Button::Yes);
    p.page->OnRecentContact(1);
    EXPECT_TRUE(chat.isVisible());
    EXPECT_FALSE(p.page->sendToAddressDialog());

    // "Yes" without a window: the send-to-address dialog, its address from the
    // text, from the address-to-MAC map, or empty.
    prompter.queueButton(Prompter::Button::Yes);
    p.page->OnRecentContact(2);
    ASSERT_TRUE(p.page->sendToAddressDialog());
    EXPECT_TRUE(p.page->sendToAddressDialog()->isVisible());
    EXPECT_TRUE(p.page->sendToAddressDialog()->addressBox()->text().isEmpty());
    prompter.queueButton(Prompter::Button::Yes);
    p.page->OnRecentContact(3);
    EXPECT_EQ(p.page->sendToAddressDialog()->addressBox()->text(), u("10.0.0.68"));
    p.page->OnMenuCommand(TrayMenu::SendToAddress);
    EXPECT_TRUE(p.page->sendToAddressDialog()->addressBox()->text().isEmpty());
}

TEST(ContactButtons, IconSizeInListAndTree)
{
    Page p;
    p.config.MembersShowMode = 0;
    p.page->OnMenuCommand(ContactListMenu::LargeIcons);
    EXPECT_EQ(p.config.LargeImage, 1);
    EXPECT_TRUE(p.page->userList()->largeIcons());
    p.config.MembersShowMode = 1;
    p.page->OnMenuCommand(ContactListMenu::SmallIcons);
    EXPECT_EQ(p.config.LargeTreeImage, 0);
    EXPECT_EQ(p.config.LargeImage, 1);
    EXPECT_FALSE(p.page->userTree()->largeIcons());
    // Saved with the general section.
    CConfig reread(p.config.StorePath());
    reread.Load();
    EXPECT_EQ(reread.LargeImage, 1);
    EXPECT_EQ(reread.LargeTreeImage, 0);
}

TEST(ContactButtons, TipEntriesSoundsAndTheEndOfAssistance)
{
    Page p;
    RecordingMessageSound sound;
    MessageSoundScope soundScope(sound);
    p.config.NOTICESOUNDFILE_STR = u("/tmp/notice.wav");
    p.config.SOUNDFILE_STR = u("/tmp/message.wav");
    EXPECT_TRUE(p.page->PlayNotifySound(NotifySound::Notice));
    EXPECT_FALSE(p.page->PlayNotifySound(NotifySound::Notice)); // still playing
    EXPECT_TRUE(p.page->PlayNotifySound(NotifySound::Message));
    EXPECT_EQ(sound.played, (QStringList{ u("/tmp/notice.wav"), u("/tmp/message.wav") }));
    QTest::qWait(CMessengerDlg::kSoundBusyMs + 50);
    EXPECT_TRUE(p.page->PlayNotifySound(NotifySound::Notice));

    QSignalSpy emitted(p.page.get(), &CMessengerDlg::tipNoticeRequested);
    p.page->ShowTipMessage(TipNotice{ 1, u("t"), u("a"), QString() });
    EXPECT_EQ(emitted.size(), 1); // no popup given: the signal carries it
    CMsgTipDlg tip;
    tip.SetAutoClose(false);
    p.page->setTipPopup(&tip);
    p.page->ShowTipMessage(TipNotice{ 1, u("t"), u("a"), QString() }, { false, false });
    p.page->ShowTipMessage(TipNotice{ 1, u("t"), u("b"), QString() }, { false, false });
    EXPECT_EQ(tip.notices().count(), 2);
    EXPECT_FALSE(tip.isVisible());
    p.page->ShowTipMessage(TipNotice{ 1, u("t"), u("c"), QString() }, { true, true });
    EXPECT_EQ(tip.notices().count(), 1);
    EXPECT_EQ(emitted.size(), 1);

    HostRecord *a = p.add(u("甲"), 0x0A000005, u("A"));
    QSignalSpy ended(p.page.get(), &CMessengerDlg::remoteAssistanceEnded);
    p.page->OnRemoteAssistanceEnded(0x0A000009);
    EXPECT_TRUE(ended.isEmpty());
    p.page->OnRemoteAssistanceEnded(0x0A000005);
    ASSERT_EQ(ended.size(), 1);
    EXPECT_EQ(ended[0][0].value<HostRecord *>(), a);
}

TEST(ContactButtons, EnterAndEscapeNeverCloseTheWindowAndFindOpensBeside)
{
    Page p;
    QDialog main;
    main.resize(260, 400);
    p.page->setParent(&main);
    main.show();
    QTest::keyClick(p.page->userList(), Qt::Key_Escape);
    QTest::keyClick(p.page->userList(), Qt::Key_Return);
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(main.result(), 0);

    p.config.MembersShowMode = 0;
    p.page->button(1003)->click();
    CFindUserDlg *find = p.page->findDialog();
    ASSERT_TRUE(find);
    EXPECT_TRUE(find->isVisible());
    p.page->OnFind();
    EXPECT_EQ(p.page->findDialog(), find); // made once
    p.page->setParent(nullptr); // the page outlives the dialog here
}

TEST(ContactButtons, ManageGroupsPutsTheTickedPeersIntoTheGroup)
{
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    Page p;
    p.config.MemberGroups.append(InitUserGroupRecord(u("同事")));
    p.config.RebuildGroupIndex();
    HostRecord *zhang = p.add(u("张伟"), 0x0A00000A, u("AABBCCDDEE01"));
    HostRecord *wang = p.add(u("王芳"), 0x0A000009, u("AABBCCDDEE02"));
    HostRecord *li = p.add(u("李娜"), 0x0A00000B, u("AABBCCDDEE03"));
    li->customGroup = u("同事");
    p.add(u("无键"), 0x0A00000C, QString()); // no memo key: cannot be grouped

    // "管理组" from the menu: the group dialog, "同事" chosen, "添加成员...".
    QStringList offered;
    bool refusedFirst = false;
    int moved = -1;
    QTimer::singleShot(0, [&] {
        auto *manage = qobject_cast<CUserGroupManageDlg *>(QApplication::activeModalWidget());
        ASSERT_TRUE(manage);
        const auto found = manage->groupList()->findItems(u("同事"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        manage->groupList()->setCurrentItem(found[0]);
        QTimer::singleShot(0, [&] {
            auto *pick = qobject_cast<CSelectUsersDlg *>(QApplication::activeModalWidget());
            ASSERT_TRUE(pick);
            UserListModel *model = pick->userList()->listModel();
            for (int row = 0; row < model->rowCount(); ++row)
                offered << model->index(row, 0).data().toString();
            pick->findChild<QPushButton *>(u("1"))->click(); // none ticked yet
            refusedFirst = pick->isVisible();
            for (int row = 0; row < model->rowCount(); ++row)
                if (model->index(row, 0).data().toString() == u("王芳"))
                    model->setData(model->index(row, 0), Qt::Checked, Qt::CheckStateRole);
            pick->findChild<QPushButton *>(u("1"))->click();
        });
        moved = manage->OnAddMembers();
        manage->accept();
    });
    EXPECT_TRUE(p.page->OnMenuCommand(ContactListMenu::ManageGroups));
    offered.sort();
    EXPECT_EQ(offered, (QStringList{ u("张伟"), u("王芳") })) << "members and peers without a key are not offered";
    EXPECT_TRUE(refusedFirst);
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(wang->customGroup, u("同事"));
    EXPECT_EQ(zhang->customGroup, u("我的好友"));
    EXPECT_EQ(p.config.memoGroupNames.value(u("AABBCCDDEE02")), u("同事"));
    CConfig stored(p.config.StorePath());
    stored.Load();
    EXPECT_EQ(stored.memoGroupNames.value(u("AABBCCDDEE02")), u("同事")) << "saved at once";
}

} // namespace

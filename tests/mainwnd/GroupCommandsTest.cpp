#include "mainwnd/CChangeUserNameDlg.h"
#include "mainwnd/CMemoListDlg.h"
#include "mainwnd/COtherSubnetFriendsDlg.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/CNewUserGroupDlg.h"
#include "mainwnd/CRenameUserGroupDlg.h"
#include "mainwnd/CSettingsDlg.h"
#include "mainwnd/CSkinColorDlg.h"
#include "mainwnd/CTransparencyDlg.h"
#include "mainwnd/CTreeStyleDlg.h"
#include "mainwnd/CUserGroupRightsDlg.h"
#include "mainwnd/ColorRefEdit.h"
#include "mainwnd/ContactListMenu.h"
#include "mainwnd/PanelTrayMenu.h"
#include "mainwnd/TreeStyleEditor.h"
#include "mainwnd/UserListModel.h"
#include "net/CNetManager.h"
#include "net/MessengerEngine.h"
#include "platform/ScriptedPrompter.h"
#include "platform/WindowAlpha.h"
#include "ContactTestUtil.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTimer>
#include <functional>
#include <QClipboard>
#include <QGuiApplication>
#include <QToolTip>
#include <gtest/gtest.h>

using namespace ContactTest;

namespace {

struct Page
{
    Page()
        : config(TestEnv::freshDir(QStringLiteral("groups")) + QStringLiteral("/kwel.ini"))
    {
        scope = std::make_unique<PrompterScope>(prompter);
        config.MyFriendsAutoGroup = 1;
        config.MemberGroups = { InitUserGroupRecord(u("我的好友")), InitUserGroupRecord(u("同事")),
            InitUserGroupRecord(u("黑名单")) };
        for (UserGroupRecord &g : config.MemberGroups)
            g.collapsed = 0;
        config.RebuildGroupIndex();
        engine = std::make_unique<MessengerEngine>(config, net);
        page = std::make_unique<CMessengerDlg>(*engine);
    }
    HostRecord *add(const QString &nick, quint32 address, const QString &key, const QString &group = u("我的好友"),
        const QString &ownGroup = {})
    {
        HostPtr h = host(nick, ownGroup, address, nick + u("_login"));
        h->keyText = key;
        h->customGroup = group;
        if (group != u("我的好友"))
            config.memoGroupNames.insert(key, group);
        engine->hostTable().Insert(h.data());
        return h.data();
    }
    std::unique_ptr<CConfig> load() const
    {
        auto c = std::make_unique<CConfig>(config.StorePath());
        c->Load();
        return c;
    }
    const ContactTreeModel &tree() const { return *page->contacts().treeModel(); }

    ScriptedPrompter prompter;
    std::unique_ptr<PrompterScope> scope;
    CConfig config;
    CNetManager net;
    std::unique_ptr<MessengerEngine> engine;
    std::unique_ptr<CMessengerDlg> page;
};

// Runs the command; the modal dialog of type T it opens gets handled. The
// timer ends with the call: a command that opens no dialog leaves nothing
// to fire into the next one.
template <typename T> bool withDialog(Page &p, int command, const std::function<void(T *)> &handle)
{
    bool seen = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = true;
        handle(dialog);
    });
    timer.start(0);
    p.page->OnMenuCommand(command);
    return seen;
}

void click(QDialog *dialog, const char *name)
{
    dialog->findChild<QPushButton *>(QString::fromLatin1(name))->click();
}

// Text as an input method commits it, one character after another.
void typeIn(QLineEdit *edit, const QString &text)
{
    for (const QChar c : text) {
        QInputMethodEvent event;
        event.setCommitString(QString(c));
        QApplication::sendEvent(edit, &event);
    }
}

TEST(GroupCommands, NewGroupOkCancelAndDuplicate)
{
    Page p;
    EXPECT_TRUE(withDialog<CNewUserGroupDlg>(p, ContactListMenu::NewGroup, [](CNewUserGroupDlg *d) {
        d->nameEdit()->setText(u("朋友"));
        d->firstBox()->setChecked(true);
        click(d, "1");
    }));
    EXPECT_EQ(p.config.FindMemberGroup(u("朋友")), 0);
    EXPECT_EQ(p.tree().rowOfGroup(u("朋友"), true), 0) << "its node goes first";
    EXPECT_EQ(p.load()->FindMemberGroup(u("朋友")), 0);

    EXPECT_TRUE(withDialog<CNewUserGroupDlg>(p, ContactListMenu::NewGroup, [](CNewUserGroupDlg *d) {
        d->nameEdit()->setText(u("不要"));
        click(d, "2");
    }));
    EXPECT_EQ(p.config.FindMemberGroup(u("不要")), -1);
    // From the menu as the right click shows it.
    QTimer::singleShot(0, [] {
        auto *d = qobject_cast<CNewUserGroupDlg *>(QApplication::activeModalWidget());
        ASSERT_TRUE(d);
        d->nameEdit()->setText(u("菜单"));
        click(d, "1");
    });
    std::unique_ptr<QMenu> menu(p.page->MakeContactMenu());
    TrayMenu::Find(menu.get(), ContactListMenu::NewGroup)->trigger();
    EXPECT_GE(p.config.FindMemberGroup(u("菜单")), 0);
    // A refused name is told and the dialog stays open with it, to be
    // mended or cancelled.
    const QString long49 = QString(24, QChar(0x4E2D)) + QLatin1Char('x');
    for (const QString &name : { u("同事"), u("   "), long49 }) {
        withDialog<CNewUserGroupDlg>(p, ContactListMenu::NewGroup, [&name](CNewUserGroupDlg *d) {
            d->nameEdit()->setText(name);
            click(d, "1");
            EXPECT_TRUE(d->isVisible());
            EXPECT_EQ(d->nameEdit()->text(), name);
            click(d, "2");
        });
    }
    ASSERT_EQ(p.prompter.calls().size(), 3);
    EXPECT_EQ(p.prompter.calls()[0].text, u("您要新增的组名已存在."));
    EXPECT_EQ(p.prompter.calls()[1].text, u("组名不能为空."));
    EXPECT_TRUE(p.prompter.calls()[2].text.startsWith(u("组名太长")));
    EXPECT_EQ(p.config.MemberGroups.size(), 5);
    EXPECT_TRUE(withDialog<CNewUserGroupDlg>(p, ContactListMenu::NewGroup, [&long49](CNewUserGroupDlg *d) {
        d->nameEdit()->setText(long49);
        click(d, "1");
        d->nameEdit()->backspace();
        click(d, "1");
    }));
    EXPECT_GE(p.config.FindMemberGroup(QString(24, QChar(0x4E2D))), 0) << "mended in the dialog";
}

TEST(GroupCommands, RenameReachesTheTreeThePeersAndTheStore)
{
    Page p;
    HostRecord *li = p.add(u("老李"), 0x0A000002, u("AAAAAAAAAAAA"), u("同事"));
    p.page->RebuildUserList();
    ASSERT_TRUE(p.page->SelectNode(u("同事"), true));
    EXPECT_TRUE(withDialog<CRenameUserGroupDlg>(p, ContactListMenu::RenameGroup, [](CRenameUserGroupDlg *d) {
        d->nameEdit()->setText(u("伙伴"));
        click(d, "2");
    }));
    EXPECT_GE(p.config.FindMemberGroup(u("同事")), 0) << "cancel changes nothing";

    EXPECT_TRUE(withDialog<CRenameUserGroupDlg>(p, ContactListMenu::RenameGroup, [](CRenameUserGroupDlg *d) {
        d->nameEdit()->setText(u("伙伴"));
        click(d, "1");
    }));
    EXPECT_EQ(p.tree().rowOfGroup(u("同事"), true), -1);
    const int node = p.tree().rowOfGroup(u("伙伴"), true);
    ASSERT_GE(node, 0);
    EXPECT_EQ(p.tree().hostAt(node + 1), li);
    EXPECT_EQ(p.tree().data(p.tree().index(node), ContactTreeModel::CountRole).toInt(), 1);
    EXPECT_EQ(li->customGroup, u("伙伴"));
    EXPECT_EQ(p.load()->memoGroupNames.value(u("AAAAAAAAAAAA")), u("伙伴"));

    // A peer-group node cannot be renamed: it says why.
    p.add(u("老王"), 0x0A000003, u("BBBBBBBBBBBB"), u("我的好友"), u("销售部"));
    p.page->RebuildUserList();
    ASSERT_TRUE(p.page->SelectNode(u("销售部"), false));
    EXPECT_FALSE(withDialog<CRenameUserGroupDlg>(p, ContactListMenu::RenameGroup, [](CRenameUserGroupDlg *) {}));
    ASSERT_EQ(p.prompter.calls().size(), 1);
    EXPECT_TRUE(p.prompter.calls()[0].text.startsWith(u("您当前选择的组下的用户是您还没有分组的用户")));
}

// The rename dialog takes names as the new-group dialog does: typing stops
// at the bytes a group name holds, and a refused name is told while the
// dialog stays open with it.
TEST(GroupCommands, RenameKeepsARefusedNameInTheOpenDialog)
{
    Page p;
    p.add(u("老李"), 0x0A000002, u("AAAAAAAAAAAA"), u("同事"));
    p.page->RebuildUserList();
    ASSERT_TRUE(p.page->SelectNode(u("同事"), true));
    const QString fits = QString(24, QChar(0x4E2D));
    EXPECT_TRUE(withDialog<CRenameUserGroupDlg>(p, ContactListMenu::RenameGroup, [&fits](CRenameUserGroupDlg *d) {
        d->nameEdit()->clear();
        typeIn(d->nameEdit(), fits + QChar(0x4E2D));
        EXPECT_EQ(d->nameEdit()->text(), fits) << "the 25th character is not taken";
        for (const QString &name : { ContactTreeModel::UngroupedPeers(), u("黑名单"), u("  ") }) {
            d->nameEdit()->setText(name);
            click(d, "1");
            EXPECT_TRUE(d->isVisible()) << name.toStdString();
            EXPECT_EQ(d->nameEdit()->text(), name);
        }
        d->nameEdit()->setText(fits);
        click(d, "1");
    }));
    ASSERT_EQ(p.prompter.calls().size(), 3);
    EXPECT_EQ(p.prompter.calls()[0].text, u("该组名为系统保留,请换一个组名."));
    EXPECT_EQ(p.prompter.calls()[1].text, u("修改后的组名已存在。"));
    EXPECT_EQ(p.prompter.calls()[2].text, u("组名不能为空."));
    EXPECT_EQ(p.config.FindMemberGroup(u("同事")), -1);
    EXPECT_GE(p.load()->FindMemberGroup(fits), 0);
}

// A group made with "新建组" starts open, also after a restart: a friend
// moved into it stays in sight.
TEST(GroupCommands, ANewGroupStartsOpen)
{
    Page p;
    HostRecord *li = p.add(u("老李"), 0x0A000002, u("AAAAAAAAAAAA"));
    p.page->RebuildUserList();
    for (const bool first : { false, true }) {
        const QString name = first ? u("前面") : u("朋友");
        EXPECT_TRUE(withDialog<CNewUserGroupDlg>(p, ContactListMenu::NewGroup, [&](CNewUserGroupDlg *d) {
            typeIn(d->nameEdit(), name);
            d->firstBox()->setChecked(first);
            click(d, "1");
        }));
        const int stored = p.load()->FindMemberGroup(name);
        ASSERT_GE(stored, 0);
        EXPECT_EQ(p.load()->MemberGroups[stored].collapsed, 0u);
        EXPECT_EQ(p.load()->MemberGroups[stored].secondFlag, 0u);
        EXPECT_FALSE(p.tree().IsGroupCollapsed(name, true));
        ASSERT_TRUE(p.page->Select(li));
        std::unique_ptr<QMenu> menu(p.page->MakeContactMenu());
        QMenu *move = ContactListMenu::MoveSubmenu(menu.get());
        ASSERT_TRUE(move);
        for (QAction *action : move->actions())
            if (action->property("group").toString() == name)
                action->trigger();
        EXPECT_EQ(li->customGroup, name);
        EXPECT_EQ(p.tree().hostAt(p.tree().rowOfGroup(name, true) + 1), li);
    }
}

TEST(GroupCommands, RightsDialogShowsTheSystemSettingAndStoresOnOk)
{
    Page p;
    p.config.StatusValue = OwnStatus::RefusesVoice;
    p.page->RebuildUserList();
    ASSERT_TRUE(p.page->SelectNode(u("同事"), true));
    const UserGroupRecord before = p.config.MemberGroups[1];
    EXPECT_TRUE(withDialog<CUserGroupRightsDlg>(p, ContactListMenu::GroupRights, [](CUserGroupRightsDlg *d) {
        auto *custom = qobject_cast<QCheckBox *>(d->control(1210));
        auto *voice = qobject_cast<QCheckBox *>(d->control(1158));
        EXPECT_FALSE(voice->isChecked()) << "the system refuses voice";
        EXPECT_FALSE(voice->isEnabled());
        custom->setChecked(true);
        voice->setChecked(true);
        qobject_cast<QCheckBox *>(d->control(1053))->setChecked(true);
        click(d, "2");
    }));
    EXPECT_EQ(p.config.MemberGroups[1], before) << "cancel changes nothing";
    EXPECT_TRUE(withDialog<CUserGroupRightsDlg>(p, ContactListMenu::GroupRights, [](CUserGroupRightsDlg *d) {
        qobject_cast<QCheckBox *>(d->control(1210))->setChecked(true);
        qobject_cast<QCheckBox *>(d->control(1158))->setChecked(true);
        qobject_cast<QCheckBox *>(d->control(1053))->setChecked(true);
        click(d, "1");
    }));
    const UserGroupRecord &after = p.config.MemberGroups[1];
    EXPECT_EQ(after.voiceCustom, 1u);
    EXPECT_EQ(after.voiceAllowed, 1u);
    EXPECT_EQ(after.sharesWithoutPassword, 1u);
    EXPECT_EQ(after.name, u("同事"));
    EXPECT_EQ(p.load()->MemberGroups[1].voiceAllowed, 1u);
    // "黑名单" has no rights to set.
    ASSERT_TRUE(p.page->SelectNode(u("黑名单"), true));
    EXPECT_FALSE(withDialog<CUserGroupRightsDlg>(p, ContactListMenu::GroupRights, [](CUserGroupRightsDlg *) {}));
}

TEST(GroupCommands, MoveMenuCarriesGroupsAndMakesTheGroupOfAPeerNode)
{
    Page p;
    for (int i = 0; i < 120; ++i)
        p.config.MemberGroups.append(InitUserGroupRecord(u("组%1").arg(i)));
    p.config.RebuildGroupIndex();
    HostRecord *a = p.add(u("甲"), 0x0A000002, u("AAAAAAAAAAAA"));
    HostRecord *b = p.add(u("乙"), 0x0A000003, u("BBBBBBBBBBBB"));
    HostRecord *c = p.add(u("丙"), 0x0A000004, u("CCCCCCCCCCCC"), u("我的好友"), u("销售部"));
    p.page->RebuildUserList();
    ASSERT_TRUE(p.page->SelectNode(ContactTreeModel::UngroupedPeers(), false));
    std::unique_ptr<QMenu> menu(p.page->MakeContactMenu());
    QMenu *move = ContactListMenu::MoveSubmenu(menu.get());
    ASSERT_TRUE(move);
    ASSERT_EQ(move->actions().size(), 124) << "every group, past 101 too, and the create item";
    EXPECT_EQ(move->actions()[122]->property("group").toString(), u("组119"));
    QAction *create = move->actions().last();
    EXPECT_EQ(create->text(), u("创建“其他好友”组，并移动好友至该组中"));
    EXPECT_TRUE(move->actions()[0]->isChecked()) << "the node's peers are in 我的好友";
    create->trigger();
    EXPECT_EQ(a->customGroup, u("其他好友"));
    EXPECT_EQ(b->customGroup, u("其他好友"));
    EXPECT_EQ(c->customGroup, u("我的好友"));
    const int node = p.tree().rowOfGroup(u("其他好友"), true);
    ASSERT_GE(node, 0);
    EXPECT_EQ(p.tree().data(p.tree().index(node), ContactTreeModel::CountRole).toInt(), 2);
    EXPECT_EQ(p.load()->memoGroupNames.value(u("BBBBBBBBBBBB")), u("其他好友"));

    // A peer group name of 49 bytes: the group made has it cut to 48 at a
    // character boundary, and the item says so.
    const QString long49 = QString(24, QChar(0x4E2D)) + QLatin1Char('x');
    const QString cut = QString(24, QChar(0x4E2D));
    HostRecord *d = p.add(u("丁"), 0x0A000005, u("DDDDDDDDDDDD"), u("我的好友"), long49);
    p.page->RebuildUserList();
    ASSERT_TRUE(p.page->SelectNode(long49, false));
    menu.reset(p.page->MakeContactMenu());
    create = ContactListMenu::MoveSubmenu(menu.get())->actions().last();
    EXPECT_EQ(create->text(), u("创建“%1”组，并移动好友至该组中").arg(cut));
    create->trigger();
    EXPECT_EQ(d->customGroup, cut);
    EXPECT_EQ(p.tree().UserGroupCount(cut), 1);
    EXPECT_EQ(p.load()->memoGroupNames.value(u("DDDDDDDDDDDD")), cut);

    // A peer: its own group is checked; moving it moves its row.
    ASSERT_TRUE(p.page->Select(c));
    menu.reset(p.page->MakeContactMenu());
    move = ContactListMenu::MoveSubmenu(menu.get());
    EXPECT_TRUE(move->actions()[0]->isChecked());
    EXPECT_FALSE(move->actions()[1]->isChecked());
    move->actions()[1]->trigger();
    EXPECT_EQ(c->customGroup, u("同事"));
    EXPECT_EQ(p.tree().hostAt(p.tree().rowOfGroup(u("同事"), true) + 1), c);
}

TEST(GroupCommands, MovingInTheListUpdatesTheRowAndSaves)
{
    Page p;
    p.config.MembersShowMode = 0;
    HostRecord *a = p.add(u("甲"), 0x0A000002, u("AAAAAAAAAAAA"));
    p.page->RebuildUserList();
    ASSERT_TRUE(p.page->Select(a));
    std::unique_ptr<QMenu> menu(p.page->MakeContactMenu());
    QMenu *move = ContactListMenu::MoveSubmenu(menu.get());
    ASSERT_TRUE(move);
    move->actions()[1]->trigger();
    const UserListModel *list = p.page->contacts().listModel();
    EXPECT_EQ(list->entryAt(list->rowOfHost(a))->customGroup, u("同事"));
    EXPECT_EQ(p.load()->memoGroupNames.value(u("AAAAAAAAAAAA")), u("同事"));
}

TEST(GroupCommands, MemoNameDialogOkAndCancel)
{
    Page p;
    HostRecord *a = p.add(u("甲"), 0x0A000002, u("AAAAAAAAAAAA"));
    p.page->RebuildUserList();
    ASSERT_TRUE(p.page->Select(a));
    EXPECT_TRUE(withDialog<CChangeUserNameDlg>(p, ContactListMenu::EditUserInfo, [](CChangeUserNameDlg *d) {
        d->nameEdit()->setText(u("张经理"));
        click(d, "2");
    }));
    EXPECT_EQ(a->displayName, u("甲"));
    EXPECT_TRUE(p.config.memoNickNames.isEmpty());
    // The memo name takes no more than the 49 bytes kept.
    EXPECT_TRUE(withDialog<CChangeUserNameDlg>(p, ContactListMenu::EditUserInfo, [](CChangeUserNameDlg *d) {
        d->nameEdit()->clear();
        typeIn(d->nameEdit(), u("a") + QString(30, QChar(0x738B)));
        EXPECT_EQ(d->nameEdit()->text(), u("a") + QString(24, QChar(0x738B)));
        click(d, "1");
    }));
    EXPECT_EQ(a->displayName, u("a") + QString(24, QChar(0x738B))) << "what the field showed";
    EXPECT_TRUE(withDialog<CChangeUserNameDlg>(p, ContactListMenu::EditUserInfo, [](CChangeUserNameDlg *d) {
        d->nameEdit()->setText(u("张经理"));
        d->detailEdit(2)->setText(u("13800000000"));
        click(d, "1");
    }));
    EXPECT_EQ(a->displayName, u("张经理"));
    EXPECT_EQ(p.tree().entryAt(p.tree().rowOfHost(a))->nick, u("张经理"));
    const auto stored = p.load();
    EXPECT_EQ(stored->memoNickNames.value(u("AAAAAAAAAAAA")), u("张经理"));
    EXPECT_EQ(stored->memoUsesInfos.value(u("AAAAAAAAAAAA")), u("#~$##~$#13800000000#~$##~$##~$##~$#"));
}

TEST(GroupCommands, TransparencyPreviewsAndCancelPutsTheAlphaBack)
{
    Page p;
    p.config.ChatOpacity = 40;
    QWidget chat;
    WindowAlpha::SetKind(&chat, WindowAlpha::ChatWindows);
    chat.show();
    WindowAlpha::SetLayeredAlpha(&chat, WindowAlpha::FromPercent(40));
    double previewed = 0;
    EXPECT_TRUE(withDialog<CTransparencyDlg>(p, ContactListMenu::Transparency, [&](CTransparencyDlg *d) {
        d->slider(1)->setValue(80);
        previewed = chat.windowOpacity();
        click(d, "2");
    }));
    EXPECT_NEAR(previewed, 51 / 255.0, 0.01);
    EXPECT_NEAR(chat.windowOpacity(), 153 / 255.0, 0.01) << "alpha 153 again";
    EXPECT_EQ(p.config.ChatOpacity, 40);
    EXPECT_TRUE(withDialog<CTransparencyDlg>(p, ContactListMenu::Transparency, [&](CTransparencyDlg *d) {
        d->slider(1)->setValue(20);
        click(d, "1");
    }));
    EXPECT_EQ(p.config.ChatOpacity, 20);
    EXPECT_EQ(p.load()->ChatOpacity, 20);
    EXPECT_NEAR(chat.windowOpacity(), 204 / 255.0, 0.01);
}

TEST(GroupCommands, ColoursAndTreeStylePreviewAndComeBackOnCancel)
{
    Page p;
    QSignalSpy applied(p.page.get(), &CMessengerDlg::colorSchemeChanged);
    EXPECT_TRUE(p.page->OnMenuCommand(33117));
    EXPECT_EQ(p.config.MainBarFrameColor, 0xD490E5u);
    EXPECT_EQ(p.config.ChatMsgWndFrameClr, 0xD490E5u);
    EXPECT_EQ(applied.size(), 1);

    EXPECT_TRUE(withDialog<CSkinColorDlg>(p, ContactListMenu::CustomColor, [&](CSkinColorDlg *d) {
        ColorRefEdit *frame = d->colorEdit(0);
        frame->textEdit()->setText(u("#102030"));
        emit frame->textEdit()->textEdited(frame->textEdit()->text());
        EXPECT_EQ(p.config.MainBarFrameColor, 0x302010u) << "previewed";
        click(d, "2");
    }));
    EXPECT_EQ(p.config.MainBarFrameColor, 0xD490E5u);
    EXPECT_EQ(p.config.ChatMsgWndFrameClr, 0xD490E5u);
    EXPECT_EQ(applied.size(), 3);

    const uint32_t fill = p.config.TreeFillClr;
    const int style = p.config.TreeBkStyle;
    EXPECT_TRUE(withDialog<CTreeStyleDlg>(p, ContactListMenu::CustomTreeStyle, [&](CTreeStyleDlg *d) {
        d->editor()->backgroundBox()->setCurrentIndex(3);
        EXPECT_EQ(p.config.TreeBkStyle, 3) << "previewed";
        click(d, "2");
    }));
    EXPECT_EQ(p.config.TreeBkStyle, style);
    EXPECT_EQ(p.config.TreeFillClr, fill);
    EXPECT_TRUE(withDialog<CTreeStyleDlg>(p, ContactListMenu::CustomTreeStyle, [&](CTreeStyleDlg *d) {
        d->editor()->pathEdit()->setText(u("/nonexistent/tree.bmp"));
        d->editor()->defaultPictureBox()->setChecked(false);
        click(d, "1");
    }));
    ASSERT_EQ(p.prompter.calls().size(), 1);
    EXPECT_EQ(p.prompter.calls()[0].text, u("/nonexistent/tree.bmp  不存在"));
    EXPECT_EQ(p.config.TreeDefaultPic, 1);
    EXPECT_EQ(p.load()->TreeBmpPath, u("/nonexistent/tree.bmp"));
}

TEST(GroupCommands, CheckMarksFollowTheConfiguration)
{
    Page p;
    HostRecord *a = p.add(u("甲"), 0x0A000002, u("AAAAAAAAAAAA"), u("同事"));
    p.page->RebuildUserList();
    const auto checked = [&](int id) {
        std::unique_ptr<QMenu> menu(p.page->MakeContactMenu());
        QAction *action = TrayMenu::Find(menu.get(), id);
        return std::make_pair(action->isEnabled(), action->isChecked());
    };
    ASSERT_TRUE(p.page->Select(a));
    EXPECT_EQ(checked(ContactListMenu::GroupVisible), std::make_pair(true, false));
    EXPECT_TRUE(p.page->OnMenuCommand(ContactListMenu::GroupVisible));
    EXPECT_EQ(p.config.MemberGroups[1].visibleWhenHidden, 1u);
    EXPECT_EQ(checked(ContactListMenu::GroupVisible), std::make_pair(true, true));
    EXPECT_EQ(checked(ContactListMenu::EditUserInfo).first, true);
    EXPECT_FALSE(checked(ContactListMenu::FirstSort).first) << "a peer is no group to sort";
    EXPECT_FALSE(checked(ContactListMenu::RenameGroup).first);

    ASSERT_TRUE(p.page->SelectNode(u("同事"), true));
    EXPECT_TRUE(p.page->OnMenuCommand(33076));
    EXPECT_EQ(checked(33076), std::make_pair(true, true));
    EXPECT_EQ(checked(33072), std::make_pair(true, false));
    EXPECT_EQ(p.config.MemberGroups[1].sortWord % 8, uint32_t(SortByAddress));
    EXPECT_TRUE(checked(ContactListMenu::RenameGroup).first);
    ASSERT_TRUE(p.page->SelectNode(u("我的好友"), true));
    EXPECT_FALSE(checked(ContactListMenu::RenameGroup).first);

    EXPECT_EQ(checked(ContactListMenu::AutoGroup).second, true);
    EXPECT_TRUE(p.page->OnMenuCommand(ContactListMenu::AutoGroup));
    EXPECT_EQ(checked(ContactListMenu::AutoGroup).second, false);
    EXPECT_EQ(checked(ContactListMenu::SelectedLarge).second, p.config.SmallIconSelShowLarge != 0);
    EXPECT_TRUE(p.page->OnMenuCommand(ContactListMenu::SelectedLarge));
    EXPECT_EQ(checked(ContactListMenu::SelectedLarge).second, p.config.SmallIconSelShowLarge != 0);
    EXPECT_EQ(checked(ContactListMenu::TreeView).second, true);
    EXPECT_TRUE(p.page->OnMenuCommand(ContactListMenu::ListView));
    EXPECT_EQ(p.config.MembersShowMode, 0);
    EXPECT_EQ(checked(ContactListMenu::ListView).second, true);
    EXPECT_FALSE(checked(ContactListMenu::GroupVisible).first) << "the list has no groups";
    EXPECT_FALSE(checked(ContactListMenu::CollapseAll).first);

    // Collapse and open every group of the tree.
    EXPECT_TRUE(p.page->OnMenuCommand(ContactListMenu::TreeView));
    EXPECT_TRUE(p.page->OnMenuCommand(ContactListMenu::CollapseAll));
    for (const UserGroupRecord &g : p.config.MemberGroups)
        EXPECT_EQ(g.collapsed, 1u) << g.name.toStdString();
    EXPECT_EQ(p.tree().rowOfHost(a), -1);
    EXPECT_TRUE(p.page->OnMenuCommand(ContactListMenu::ExpandAll));
    EXPECT_GE(p.tree().rowOfHost(a), 0);
}

} // namespace

namespace {

TEST(GroupCommands, SettingsDialogAppliesNameColumnsAndTreeBackground)
{
    Page p;
    p.config.MembersShowMode = 0;
    p.config.TreeBkStyle = 1;
    HostRecord *a = p.add(u("甲"), 0x0A000002, u("AAAAAAAAAAAA"));
    p.page->RebuildUserList();
    EXPECT_TRUE(withDialog<CSettingsDlg>(p, ContactListMenu::Settings, [](CSettingsDlg *d) {
        d->nickEdit()->setText(u("不存"));
        click(d, "2");
    }));
    EXPECT_TRUE(p.config.NICKNAMESTR_STR.isEmpty()) << "cancel stores nothing";
    EXPECT_TRUE(withDialog<CSettingsDlg>(p, ContactListMenu::Settings, [](CSettingsDlg *d) {
        EXPECT_TRUE(d->nickEdit()->text().isEmpty()) << "filled anew";
        // The edits take no more than the 49 bytes kept, cut between
        // characters.
        typeIn(d->nickEdit(), QString(30, QChar(0x738B)));
        EXPECT_EQ(d->nickEdit()->text(), QString(24, QChar(0x738B)));
        d->nickEdit()->setText(u("小王"));
        typeIn(d->groupEdit(), u("ab") + QString(30, QChar(0x738B)));
        EXPECT_EQ(d->groupEdit()->text(), u("ab") + QString(23, QChar(0x738B)));
        // Characters GBK cannot carry are refused as they are typed or
        // pasted, and a note names them: peers would get "?" for them.
        d->groupEdit()->clear();
        typeIn(d->groupEdit(), u("李四😀组"));
        EXPECT_EQ(d->groupEdit()->text(), u("李四组"));
        d->groupEdit()->setCursorPosition(2);
        QGuiApplication::clipboard()->setText(u("<b>%1👍…"));
        d->groupEdit()->paste();
        EXPECT_EQ(d->groupEdit()->text(), u("李四<b>%1…组"));
        EXPECT_EQ(d->groupEdit()->cursorPosition(), 8) << "the caret stays after what was pasted";
        EXPECT_TRUE(QToolTip::text().contains(u("👍"))) << QToolTip::text().toStdString();
        d->groupEdit()->setText(u("ab") + QString(23, QChar(0x738B)));
        d->columnsEdit()->setText(u("61"));
        d->treeEditor()->backgroundBox()->setCurrentIndex(0);
        click(d, "1");
    }));
    EXPECT_EQ(p.config.NICKNAMESTR_STR, u("小王"));
    EXPECT_EQ(p.config.TreeBkStyle, 0);
    const UserListModel *list = p.page->contacts().listModel();
    EXPECT_EQ(list->columnTitles(), (QStringList{ u("IP地址"), u("用户名") }));
    ASSERT_EQ(list->rowCount(), 1) << "refilled in the list style";
    EXPECT_EQ(list->hostAt(0), a);
    const auto stored = p.load();
    EXPECT_EQ(stored->ListColStryle_STR, u("61"));
    EXPECT_EQ(stored->NICKNAMESTR_STR, u("小王"));
    EXPECT_EQ(stored->GROUPNAMESTR_STR, u("ab") + QString(23, QChar(0x738B))) << "what the field showed";
}

} // namespace

namespace {

TEST(GroupCommands, OtherSubnetsAndTheMemoList)
{
    Page p;
    p.config.BroadcastList = { u("192.168.2.255") };
    EXPECT_TRUE(withDialog<COtherSubnetFriendsDlg>(p, ContactListMenu::AddOtherSubnetFriends, [](COtherSubnetFriendsDlg *d) {
        d->addressEdit()->setText(u("10.1.2"));
        EXPECT_FALSE(d->OnAdd());
        d->addressEdit()->setText(u("10.1.2.255"));
        EXPECT_TRUE(d->OnAdd());
        click(d, "2");
    }));
    EXPECT_EQ(p.config.BroadcastList, QStringList{ u("192.168.2.255") }) << "cancel keeps the list";
    ASSERT_EQ(p.prompter.calls().size(), 1);
    EXPECT_EQ(p.prompter.calls()[0].text, u("IP地址格式不正确: 10.1.2"));
    EXPECT_TRUE(withDialog<COtherSubnetFriendsDlg>(p, ContactListMenu::AddOtherSubnetFriends, [](COtherSubnetFriendsDlg *d) {
        d->addressEdit()->setText(u("10.1.2.255"));
        d->OnAdd();
        d->list()->setCurrentRow(0);
        d->OnRemove();
        click(d, "1");
    }));
    EXPECT_EQ(p.config.BroadcastList, QStringList{ u("10.1.2.255") });
    EXPECT_EQ(p.load()->BroadcastList, QStringList{ u("10.1.2.255") });

    // The memo list: every memo, online or not; deleting gives the nick back.
    HostRecord *a = p.add(u("甲"), 0x0A000002, u("AAAAAAAAAAAA"));
    a->displayName = u("甲经理");
    p.config.memoNickNames.insert(u("AAAAAAAAAAAA"), u("甲经理"));
    p.config.memoUsesInfos.insert(u("BBBBBBBBBBBB"), u("1#~$#2#~$##~$##~$##~$##~$#"));
    p.page->RebuildUserList();
    EXPECT_TRUE(withDialog<CMemoListDlg>(p, ContactListMenu::MemoList, [](CMemoListDlg *d) {
        ASSERT_EQ(d->table()->rowCount(), 2);
        EXPECT_EQ(d->table()->item(1, 3)->text(), u("2"));
        d->table()->selectRow(0);
        EXPECT_EQ(d->OnDelete(), 1);
        EXPECT_EQ(d->table()->rowCount(), 1);
        click(d, "2");
    }));
    EXPECT_EQ(a->displayName, u("甲"));
    EXPECT_EQ(p.tree().entryAt(p.tree().rowOfHost(a))->nick, u("甲"));
    EXPECT_FALSE(p.load()->memoNickNames.contains(u("AAAAAAAAAAAA")));
    EXPECT_TRUE(p.load()->memoUsesInfos.contains(u("BBBBBBBBBBBB")));
}

} // namespace

namespace {

TEST(GroupCommands, SendingToThePeerOrTheNodeTakesReadablePathsOnce)
{
    Page p;
    HostRecord *a = p.add(u("甲"), 0x0A000002, u("AAAAAAAAAAAA"), u("同事"));
    p.page->RebuildUserList();
    const QString dir = TestEnv::freshDir(QStringLiteral("sendfiles"));
    for (const char *name : { "a.txt", "b.txt" }) {
        QFile f(dir + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    QSignalSpy files(p.page.get(), &CMessengerDlg::sendFilesRequested);
    QSignalSpy group(p.page.get(), &CMessengerDlg::groupSendRequested);
    QSignalSpy chat(p.page.get(), &CMessengerDlg::openChatRequested);
    ASSERT_TRUE(p.page->Select(a));
    p.prompter.queueOpenFiles({ dir + u("/a.txt"), dir + u("/./a.txt"), dir + u("/gone.txt"), dir + u("/b.txt") });
    EXPECT_TRUE(p.page->OnMenuCommand(ContactListMenu::SendFile));
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files[0][0].value<HostRecord *>(), a);
    EXPECT_EQ(files[0][1].toStringList(), (QStringList{ dir + u("/a.txt"), dir + u("/b.txt") }));
    EXPECT_EQ(chat.size(), 1) << "its chat window opens";
    EXPECT_TRUE(p.page->OnMenuCommand(ContactListMenu::SendFile)) << "cancelled: nothing";
    EXPECT_EQ(files.size(), 1);

    // A node: the multi-user window for its members, with the folder.
    ASSERT_TRUE(p.page->SelectNode(u("同事"), true));
    p.prompter.queueFolder(dir);
    EXPECT_TRUE(p.page->OnMenuCommand(ContactListMenu::SendFolder));
    ASSERT_EQ(group.size(), 1);
    EXPECT_EQ(group[0][0].toString(), u("同事"));
    EXPECT_EQ(group[0][1].toStringList(), QStringList{ dir });
    EXPECT_TRUE(p.page->OnMenuCommand(ContactListMenu::SendMessage));
    ASSERT_EQ(group.size(), 2);
    EXPECT_TRUE(group[1][1].toStringList().isEmpty());
}

TEST(GroupCommands, APeerThatLeavesWhileADialogIsOpenIsFoundAgainByKey)
{
    Page p;
    const QString dir = TestEnv::freshDir(QStringLiteral("leaving"));
    TestEnv::writeAll(dir + u("/a.txt"), "x");
    QSignalSpy files(p.page.get(), &CMessengerDlg::sendFilesRequested);
    HostRecord *a = p.add(u("甲"), 0x0A000002, u("AAAAAAAAAAAA"));
    p.page->RebuildUserList();

    // The peer leaves while the file dialog is open: nothing is offered (its
    // record is gone; the table held the only reference).
    ASSERT_TRUE(p.page->Select(a));
    p.prompter.setWhileOpen([&](const ScriptedPrompter::Call &) { p.engine->RemoveHost(a); });
    p.prompter.queueOpenFiles({ dir + u("/a.txt") });
    EXPECT_TRUE(p.page->OnMenuCommand(ContactListMenu::SendFile));
    EXPECT_TRUE(files.isEmpty());

    // It leaves and comes back as a new record: the files go to that one.
    HostRecord *b = p.add(u("乙"), 0x0A000003, u("BBBBBBBBBBBB"));
    p.page->RebuildUserList();
    ASSERT_TRUE(p.page->Select(b));
    HostRecord *again = nullptr;
    p.prompter.setWhileOpen([&](const ScriptedPrompter::Call &) {
        p.engine->RemoveHost(b);
        again = p.add(u("乙"), 0x0A000003, u("BBBBBBBBBBBB"));
    });
    p.prompter.queueFolder(dir);
    EXPECT_TRUE(p.page->OnMenuCommand(ContactListMenu::SendFolder));
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files[0][0].value<HostRecord *>(), again);
    p.prompter.setWhileOpen({});

    // The memo dialog: while it is open the peer leaves and another machine
    // takes its address and port. The memo is kept for the key; no row comes
    // back for the record that left, and the other peer keeps its name.
    HostRecord *c = p.add(u("丙"), 0x0A000004, u("CCCCCCCCCCCC"));
    p.page->RebuildUserList();
    ASSERT_TRUE(p.page->Select(c));
    const HostPtr held(c);
    HostRecord *other = nullptr;
    EXPECT_TRUE(withDialog<CChangeUserNameDlg>(p, ContactListMenu::EditUserInfo, [&](CChangeUserNameDlg *d) {
        p.engine->RemoveHost(c);
        other = p.add(u("丁"), 0x0A000004, u("DDDDDDDDDDDD"));
        p.page->RebuildUserList();
        d->nameEdit()->setText(u("老丙"));
        click(d, "1");
    }));
    EXPECT_EQ(p.config.memoNickNames.value(u("CCCCCCCCCCCC")), u("老丙"));
    EXPECT_EQ(p.load()->memoNickNames.value(u("CCCCCCCCCCCC")), u("老丙"));
    EXPECT_LT(p.tree().rowOfHost(c), 0);
    ASSERT_GE(p.tree().rowOfHost(other), 0);
    EXPECT_EQ(p.tree().entryAt(p.tree().rowOfHost(other))->nick, u("丁"));
}

} // namespace

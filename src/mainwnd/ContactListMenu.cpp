#include "mainwnd/ContactListMenu.h"

#include "mainwnd/PanelTrayMenu.h"

#include <QAction>
#include <QMenu>

#include <iterator>

namespace ContactListMenu {

QMenu *BuildRecent(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("159"));
    TrayMenu::AddRecentItems(menu);
    return menu;
}

QMenu *Build(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("252"));
    TrayMenu::AddItem(menu, SendMessage, QStringLiteral("发送消息"));
    TrayMenu::AddItem(menu, SendFile, QStringLiteral("发送文件"));
    TrayMenu::AddItem(menu, SendFolder, QStringLiteral("发送文件夹"));
    menu->addSeparator();
    TrayMenu::AddItem(menu, EditUserInfo, QStringLiteral("更改用户名及用户资料"));
    TrayMenu::AddItem(menu, GroupVisible, QStringLiteral("隐身对该组成员可见"), true);
    TrayMenu::AddItem(menu, AutoGroup, QStringLiteral("我的好友组下成员自动分组"), true);
    QMenu *move = menu->addMenu(QStringLiteral("把好友移动到组..."));
    move->setObjectName(QStringLiteral("move"));
    TrayMenu::AddItem(move, MoveToGroup, QStringLiteral("我的好友"))->setProperty("group", QStringLiteral("我的好友"));
    menu->addSeparator();
    TrayMenu::AddItem(menu, NewGroup, QStringLiteral("新建组"));
    TrayMenu::AddItem(menu, ManageGroups, QStringLiteral("管理组"));
    TrayMenu::AddItem(menu, GroupRights, QStringLiteral("组权限设置"));
    TrayMenu::AddItem(menu, RenameGroup, QStringLiteral("修改组名"));
    QMenu *sort = menu->addMenu(QStringLiteral("排序"));
    static const char16_t *const sortTexts[] = { u"用户名", u"主机名", u"登录名", u"组名", u"IP地址" };
    for (int i = 0; i <= LastSort - FirstSort; ++i)
        TrayMenu::AddItem(sort, FirstSort + i, QString::fromUtf16(sortTexts[i]), true);
    menu->addSeparator();
    TrayMenu::AddItem(menu, AddOtherSubnetFriends, QStringLiteral("增加其他网段好友"));
    menu->addSeparator();
    TrayMenu::AddItem(menu, Settings, QStringLiteral("个人及系统设置"));
    menu->addSeparator();
    QMenu *style = menu->addMenu(QStringLiteral("风格设置"));
    TrayMenu::AddItem(style, ListView, QStringLiteral("列表风格"), true);
    TrayMenu::AddItem(style, TreeView, QStringLiteral("树型风格"), true);
    menu->addSeparator();
    QMenu *skins = menu->addMenu(QStringLiteral("皮肤颜色设置"));
    TrayMenu::AddItem(skins, FirstSkin, QStringLiteral("颜色恢复"));
    skins->addSeparator();
    static const char16_t *const skinTexts[] = { u"贵族紫", u"水晶蓝", u"天际蓝", u"苹果绿", u"沙漠黄", u"玫瑰红" };
    for (int i = 0; i < 6; ++i)
        TrayMenu::AddItem(skins, FirstSkin + 1 + i, QString::fromUtf16(skinTexts[i]));
    TrayMenu::AddItem(skins, ClassicSkin, QStringLiteral("Windows 经典"));
    skins->addSeparator();
    TrayMenu::AddItem(skins, CustomColor, QStringLiteral("自定义"));
    menu->addSeparator();
    QMenu *look = menu->addMenu(QStringLiteral("界面设置"));
    TrayMenu::AddItem(look, CustomTreeStyle, QStringLiteral("自定义树型控件风格"));
    TrayMenu::AddItem(look, Transparency, QStringLiteral("设置透明度"));
    menu->addSeparator();
    QMenu *icons = menu->addMenu(QStringLiteral("图标显示设置"));
    TrayMenu::AddItem(icons, LargeIcons, QStringLiteral("显示大图标"), true);
    TrayMenu::AddItem(icons, SmallIcons, QStringLiteral("显示小图标"), true);
    icons->addSeparator();
    TrayMenu::AddItem(icons, SelectedLarge, QStringLiteral("树型小图标时,选中项大图标显示"), true);
    menu->addSeparator();
    QMenu *groups = menu->addMenu(QStringLiteral("收缩打开成员组列表"));
    TrayMenu::AddItem(groups, CollapseAll, QStringLiteral("收缩全部组成员"));
    TrayMenu::AddItem(groups, ExpandAll, QStringLiteral("打开全部组成员"));
    menu->addSeparator();
    TrayMenu::AddRecentItems(menu->addMenu(QStringLiteral("最近联系人")));
    menu->addSeparator();
    QMenu *more = menu->addMenu(QStringLiteral("其它功能"));
    TrayMenu::AddItem(more, TransferMonitor, QStringLiteral("文件下载监视"));
    more->addSeparator();
    TrayMenu::AddItem(more, ChatLog, QStringLiteral("查看全部聊天记录"));
    more->addSeparator();
    TrayMenu::AddItem(more, MultiSend, QStringLiteral("多人群发"));
    more->addSeparator();
    TrayMenu::AddItem(more, Find, QStringLiteral("搜索"));
    more->addSeparator();
    TrayMenu::AddItem(more, ShareSettings, QStringLiteral("共享文件设置"));
    more->addSeparator();
    TrayMenu::AddItem(more, MemoList, QStringLiteral("查看所有备注用户信息资料"));
    more->addSeparator();
    TrayMenu::AddItem(more, Refresh, QStringLiteral("刷新"));
    return menu;
}

QMenu *MoveSubmenu(const QMenu *menu)
{
    return menu ? menu->findChild<QMenu *>(QStringLiteral("move"), Qt::FindDirectChildrenOnly) : nullptr;
}

namespace {

// The command of the plain item at the position, 0 for a submenu, a
// separator or no item.
int idAt(const QMenu *menu, int position)
{
    const QList<QAction *> actions = menu->actions();
    const QAction *a = position < actions.size() ? actions[position] : nullptr;
    return a && !a->menu() && !a->isSeparator() ? a->data().toInt() : 0;
}

} // namespace

QMenu *RecentSubmenu(const QMenu *menu)
{
    if (!menu)
        return nullptr;
    int settings = 0;
    while (settings < menu->actions().size() && idAt(menu, settings) != Settings)
        ++settings;
    return settings + 12 < menu->actions().size() ? menu->actions()[settings + 12]->menu() : nullptr;
}

QMenu *TrimForMoreButton(QMenu *menu)
{
    const auto idAt = [menu](int position) { return ContactListMenu::idAt(menu, position); };
    for (int removed = 0; removed < 15 && !menu->actions().isEmpty() && idAt(0) != AddOtherSubnetFriends; ++removed) {
        QAction *first = menu->actions().first();
        menu->removeAction(first);
        if (QMenu *sub = first->menu())
            delete sub; // takes its action along
        else
            delete first;
    }
    QMenu *recent = RecentSubmenu(menu);
    // Before the action at position 14, in this order: the group items and a
    // separator.
    const QList<QAction *> actions = menu->actions();
    QAction *before = actions.size() > 14 ? actions[14] : nullptr;
    auto *newGroup = new QAction(QStringLiteral("新建组"), menu);
    newGroup->setData(NewGroup);
    auto *manage = new QAction(QStringLiteral("管理组"), menu);
    manage->setData(ManageGroups);
    auto *separator = new QAction(menu);
    separator->setSeparator(true);
    menu->insertActions(before, { newGroup, manage, separator });
    return recent;
}

int ToolbarButtonCommand(int index)
{
    static constexpr int kCommands[] = { RefreshButton, MultiSendButton, RecentButton, FindButton, SharesButton,
        SettingsButton, MoreButton, HelpButton };
    return index >= 0 && index < int(std::size(kCommands)) ? kCommands[index] : 0;
}

} // namespace ContactListMenu

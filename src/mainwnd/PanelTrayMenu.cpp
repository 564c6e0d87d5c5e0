#include "mainwnd/PanelTrayMenu.h"

#include "core/StatusBits.h"

#include <QAction>
#include <QMenu>

namespace TrayMenu {
namespace {

QAction *item(QMenu *menu, int id, const QString &text, bool checkable = false)
{
    return AddItem(menu, id, text, checkable);
}

QString u16(const char16_t *text)
{
    return QString::fromUtf16(text);
}

} // namespace

QAction *AddItem(QMenu *menu, int id, const QString &text, bool checkable)
{
    QAction *action = menu->addAction(text);
    action->setData(id);
    action->setCheckable(checkable);
    return action;
}

void AddRecentItems(QMenu *menu)
{
    for (int i = 0; i < RecentCount; ++i)
        AddItem(menu, FirstRecent + i, QStringLiteral("(无)"));
    menu->addSeparator();
    AddItem(menu, SendToAddress, QStringLiteral("向指定计算机IP地址发送信息"));
}

QString AwayText(int kind)
{
    static const char16_t *const names[AwayCount] = {u"暂离", u"用餐", u"开会", u"来客", u"出去", u"回家", u"很困", u"工作"};
    return kind >= 1 && kind <= AwayCount ? u16(names[kind - 1]) : QString();
}

QString HiddenText(uint32_t statusValue)
{
    return (statusValue & OwnStatus::Hidden) ? QStringLiteral("取消隐身状态") : QStringLiteral("设置为隐身状态");
}

QMenu *Build(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("142"));
    item(menu, Open, QStringLiteral("打开窗口(&O)"));
    item(menu, Settings, QStringLiteral("设置对话框(&S)"));
    QMenu *options = menu->addMenu(QStringLiteral("基本设置"));
    static const char16_t *const optionTexts[] = {u"开机自动运行此程序", u"开机自动运行时,程序最小化到系统托盘",
        u"双击运行程序时,程序小化到系统托盘", u"主面板自动停靠隐藏", u"保存聊天记录和日志", u"显示我的输入状态",
        u"上线时通知其他用户", u"下线时通知其他用户", u"其他用户上线时进行通知", u"其他用户下线时进行通知"};
    for (int i = 0; i <= LastOption - FirstOption; ++i)
        item(options, FirstOption + i, u16(optionTexts[i]), true);
    item(menu, ShareSettings, QStringLiteral("共享文件设置"));
    QMenu *skins = menu->addMenu(QStringLiteral("皮肤颜色设置"));
    static const char16_t *const skinTexts[] = {u"颜色恢复", u"贵族紫", u"水晶蓝", u"天际蓝", u"苹果绿", u"沙漠黄",
        u"玫瑰红"};
    for (int i = 0; i < 7; ++i)
        item(skins, FirstSkin + i, u16(skinTexts[i]));
    item(skins, ClassicSkin, QStringLiteral("Windows 经典"));
    item(skins, LastSkin, QStringLiteral("自定义"));
    item(menu, CustomTreeStyle, QStringLiteral("自定义树型控件风格"));
    item(menu, Transparency, QStringLiteral("设置透明度"));
    menu->addSeparator();
    item(menu, MultiSend, QStringLiteral("多人群发(&M)"));
    item(menu, OtherSubnetFriends, QStringLiteral("增加其他网段好友"));
    item(menu, TransferMonitor, QStringLiteral("文件传送监视(&F)"));
    item(menu, ChatLog, QStringLiteral("查看聊天记录(&L)"));
    item(menu, MemoList, QStringLiteral("查看所有备注用户信息资料"));
    menu->addSeparator();
    QMenu *backup = menu->addMenu(QStringLiteral("备份还原数据"));
    item(backup, 33093, QStringLiteral("备份数据(所有的设置信息、群信息、日程安排提醒数据)"));
    item(backup, 33099, QStringLiteral("备份群信息数据"));
    item(backup, 33100, QStringLiteral("备份日程安排数据"));
    item(backup, 33103, QStringLiteral("备份日程提醒数据"));
    item(backup, 33101, QStringLiteral("备份多网段或广域网广播设置"));
    item(backup, 33102, QStringLiteral("备份最近联系人数据"));
    item(menu, 33094, QStringLiteral("还原数据"));
    QMenu *groups = menu->addMenu(QStringLiteral("导入导出分组及备注名信息"));
    item(groups, 33139, QStringLiteral("导出分组信息"));
    item(groups, 33140, QStringLiteral("导入分组信息"));
    item(menu, TodayNote, QStringLiteral("今日安排与记事"));
    QMenu *style = menu->addMenu(QStringLiteral("更改风格"));
    item(style, ViewList, QStringLiteral("列表风格"), true);
    item(style, ViewTree, QStringLiteral("树型风格"), true);
    QMenu *shortcuts = menu->addMenu(QStringLiteral("创建快捷方式"));
    item(shortcuts, 33137, QStringLiteral("创建桌面快捷方式"));
    item(shortcuts, 33138, QStringLiteral("开始菜单快捷方式"));
    menu->addSeparator();
    item(menu, IpMsgCompatible, QStringLiteral("兼容飞鸽传书(IPMsg)"), true);
    menu->addSeparator();
    QMenu *recent = menu->addMenu(QStringLiteral("最近联系人"));
    recent->setObjectName(QStringLiteral("recent"));
    AddRecentItems(recent);
    QMenu *away = menu->addMenu(QStringLiteral("离开状态"));
    item(away, LeaveAway, QStringLiteral("取消离线状态"));
    away->addSeparator();
    for (int kind = 1; kind <= AwayCount; ++kind)
        item(away, FirstAway + kind - 1, AwayText(kind), true);
    away->addSeparator();
    item(away, AutoReply, QStringLiteral("使用自动回复"), true);
    item(away, AutoReplyText, QStringLiteral("设置自动回复内容"));
    item(menu, Hidden, HiddenText(0));
    menu->addSeparator();
    item(menu, OnlineHelp, QStringLiteral("联机帮助"));
    item(menu, About, QStringLiteral("关于(&A)"));
    menu->addSeparator();
    item(menu, Quit, QStringLiteral("退出(&C)"));
    return menu;
}

void ForEachCommand(const QMenu *menu, const std::function<void(QAction *, int)> &visit)
{
    if (!menu)
        return;
    const auto actions = menu->actions();
    for (QAction *action : actions) {
        if (action->menu())
            ForEachCommand(action->menu(), visit);
        else if (!action->isSeparator())
            visit(action, action->data().toInt());
    }
}

QAction *Find(const QMenu *menu, int id)
{
    if (!menu)
        return nullptr;
    const auto actions = menu->actions();
    for (QAction *action : actions) {
        if (action->menu()) {
            if (QAction *found = Find(action->menu(), id))
                return found;
        } else if (!action->isSeparator() && action->data().toInt() == id) {
            return action;
        }
    }
    return nullptr;
}

QMenu *RecentSubmenu(const QMenu *menu)
{
    if (!menu)
        return nullptr;
    const auto actions = menu->actions();
    for (qsizetype i = 0; i < actions.size(); ++i) {
        if (!actions[i]->menu() && !actions[i]->isSeparator() && actions[i]->data().toInt() == IpMsgCompatible)
            return i + 2 < actions.size() ? actions[i + 2]->menu() : nullptr;
    }
    return nullptr;
}

int FillRecent(QMenu *recent, const QStringList &texts)
{
    if (!recent)
        return 0;
    int named = 0;
    for (int i = 0; i < RecentCount; ++i) {
        QAction *action = Find(recent, FirstRecent + i);
        if (!action)
            continue;
        const bool has = i < texts.size() && !texts[i].isEmpty();
        // Peer names may hold '&': shown as such, never as a mnemonic.
        action->setText(has ? QString(texts[i]).replace(QLatin1Char('&'), QStringLiteral("&&")) : QStringLiteral("(无)"));
        named += has ? 1 : 0;
    }
    return named;
}

} // namespace TrayMenu

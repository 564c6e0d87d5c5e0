// The contact-list menu "SETMORE" (menu 252) and the recent-contacts menu
// (menu 159). Items carry their command ids in QAction::data(). The menu's
// peer commands are handled by whoever connects CMessengerDlg's
// menuCommandRequested; the general ones by the messenger page itself.
#pragma once

#include <QString>

class QMenu;
class QWidget;

namespace ContactListMenu {

// Commands of the page's buttons and of the menus.
constexpr int MultiSendButton = 1001; // "群发"
constexpr int RefreshButton = 1002; // "刷新"
constexpr int FindButton = 1003; // "搜索"
constexpr int SettingsButton = 1004; // "设置"
constexpr int HelpButton = 1005; // "帮助"
constexpr int RecentButton = 1006; // "最近"
constexpr int SharesButton = 1007; // "共享"
constexpr int MoreButton = 1098; // "更多"

// The button command that main toolbar button index (0..7) runs, 0 for any
// other index.
int ToolbarButtonCommand(int index);

constexpr int LargeIcons = 32801;
constexpr int SmallIcons = 32802;
constexpr int ChatLog = 32804; // "查看全部聊天记录"
constexpr int MultiSend = 32805;
constexpr int Find = 32806;
constexpr int Settings = 32807;
constexpr int Refresh = 32808;
constexpr int TransferMonitor = 32803; // "文件下载监视"
constexpr int ShareSettings = 33085; // "共享文件设置"
constexpr int NewGroup = 32959;
constexpr int ManageGroups = 32961;
constexpr int AddOtherSubnetFriends = 33105;

// Menu 252 whole, as the tree's right click shows it.
QMenu *Build(QWidget *parent);
// Menu 159: the ten recent contacts "(无)", then "向指定计算机IP地址发送信息".
QMenu *BuildRecent(QWidget *parent);
// Menu 252 as the "更多" button shows it: its leading peer items removed
// until "增加其他网段好友" comes first (at most 15), "新建组", "管理组" and a
// separator put in before the recent contacts. Returns the recent-contacts
// submenu (twelve positions after "个人及系统设置"), or null.
QMenu *TrimForMoreButton(QMenu *menu);

} // namespace ContactListMenu

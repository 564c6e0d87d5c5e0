// The tray menu of the main panel. Every item carries its command id in
// QAction::data(), so that the panel dispatches on the numbers the other
// windows know.
#pragma once

#include "core/CConfig.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace TrayMenu {

constexpr int Open = 32771;
constexpr int Settings = 33078;
constexpr int FirstOption = 32845; // the ten toggles of "基本设置"
constexpr int LastOption = 32854;
constexpr int FirstSkin = 33116; // the colour schemes, 33116..33123 and 33136
constexpr int LastSkin = 33123;
constexpr int ClassicSkin = 33136;
constexpr int CustomTreeStyle = 33091;
constexpr int Transparency = 33088;
constexpr int MultiSend = 33079;
constexpr int OtherSubnetFriends = 33106;
constexpr int TodayNote = 33077;
constexpr int ChatLog = 33082; // "查看聊天记录(&L)"
constexpr int TransferMonitor = 33080; // "文件传送监视(&F)"
constexpr int ShareSettings = 33084; // "共享文件设置"
constexpr int MemoList = 33143;
constexpr int ViewList = 33069;
constexpr int ViewTree = 33070;
constexpr int IpMsgCompatible = 33097;
constexpr int FirstRecent = 32776;
constexpr int RecentCount = int(CConfig::RecentContactsKept); // the recent contacts kept, 32776..32785
constexpr int SendToAddress = 32786;
static_assert(FirstRecent + RecentCount <= SendToAddress);
constexpr int FirstAway = 32932; // the eight away kinds, 32932..32939
constexpr int AwayCount = 8;
constexpr int AutoReply = 32940;
constexpr int AutoReplyText = 32941;
constexpr int LeaveAway = 32942;
constexpr int Hidden = 33095;
constexpr int OnlineHelp = 33115;
constexpr int About = 33081;
constexpr int Quit = 32809;

// Appends an item carrying its command id (also for the other menus).
QAction *AddItem(QMenu *menu, int id, const QString &text, bool checkable = false);
// The ten recent-contact items "(无)", a separator and SendToAddress.
void AddRecentItems(QMenu *menu);
// Builds menu 142 under the parent.
QMenu *Build(QWidget *parent);
// The item with the command id anywhere in the menu, or null.
QAction *Find(const QMenu *menu, int id);
// Calls visit(item, command id) for every command item of the menu and its
// submenus (also for the other menus).
void ForEachCommand(const QMenu *menu, const std::function<void(QAction *, int)> &visit);
// The recent-contacts submenu: the entry two positions after the item
// IpMsgCompatible. Null when the menu has no such entry.
QMenu *RecentSubmenu(const QMenu *menu);
// Names the ten recent-contact items after the first ten texts; the others
// read "(无)". Returns how many carry a name.
int FillRecent(QMenu *recent, const QStringList &texts);
// "取消隐身状态" while hidden (StatusValue bit 0x40), else "设置为隐身状态".
QString HiddenText(uint32_t statusValue);
// The texts of the away kinds 1..8 as the menu shows them.
QString AwayText(int kind);

} // namespace TrayMenu

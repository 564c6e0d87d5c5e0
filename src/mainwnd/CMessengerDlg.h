// The messenger page: the first page of the main panel's folder bar. It
// shows the peers of the engine's host table as the user tree (control 1193)
// or the user list (control 1000), chosen by MembersShowMode, keeps them in
// step with the engine, and hands the panel its title count, the notices for
// the tip popup and the tray blinking of unread windows.
#pragma once

#include "mainwnd/ContactCommands.h"
#include "mainwnd/ContactListController.h"
#include "mainwnd/TipNotice.h"
#include "mainwnd/UnreadQueue.h"

#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>

class CFindUserDlg;
class CMainToolBar;
class CSettingsDlg;
class CMsgTipDlg;
class CSendToAddressDlg;
class CUserListCtrl;
class CUserTreeCtrl;
class HostRecord;
class MessengerEngine;
class QHBoxLayout;
class QMenu;
class QPushButton;
class QStackedWidget;

// How ShowTipMessage hands an entry to the tip popup.
struct TipOptions
{
    bool clear = false; // the popup's entries go first
    bool show = true; // the popup appears (without taking the focus)
};

// The two sounds of the page: a message arrived, a peer came or went.
enum class NotifySound { Message, Notice };

class CMessengerDlg : public QWidget
{
    Q_OBJECT
public:
    explicit CMessengerDlg(MessengerEngine &engine, QWidget *parent = nullptr);
    ~CMessengerDlg() override;

    MessengerEngine &engine() { return m_engine; }
    ContactListController &contacts() { return m_contacts; }
    CUserTreeCtrl *userTree() const { return m_tree; }
    CUserListCtrl *userList() const { return m_list; }
    // The strip of eight buttons above the views.
    CMainToolBar *toolBar() const { return m_toolBar; }

    // The peers as shown: the number of peer rows of the current view (a
    // closed group's peers are not shown), and a field (ContactEntry::Field)
    // of the row-th one.
    int peerRowCount() const;
    QString peerRowText(int row, int field) const;

    // ---- the contact list's operations ----
    int CompareUsers(const HostRecord &a, const HostRecord &b) const { return m_contacts.CompareUsers(a, b); }
    int CompareUsersBy(const HostRecord &a, const HostRecord &b, int kind, bool descending) const
    {
        return m_contacts.CompareUsersBy(a, b, kind, descending);
    }
    int FindInsertPosition(const HostRecord &host) const { return m_contacts.FindInsertPosition(host); }
    int FindTreeInsertPosition(const HostRecord &host) const { return m_contacts.FindTreeInsertPosition(host); }
    void InsertOrRefreshUser(HostRecord *host, bool notify, bool announce, bool setWidths)
    {
        m_contacts.InsertOrRefreshUser(host, notify, announce, setWidths);
    }
    void RemoveUserWithNotice(HostRecord *host, bool notify) { m_contacts.RemoveUserWithNotice(host, notify); }
    void RemoveAllUsers() { m_contacts.RemoveAllUsers(); }
    void RebuildUserList() { m_contacts.RebuildUserList(); }
    void RebuildUserViews(bool reload) { m_contacts.RebuildUserViews(reload); }
    void RefillUserList() { m_contacts.RefillUserList(); }
    void ClearUserList() { m_contacts.ClearUserList(); }
    bool AddRecentContact(const HostRecord *host) { return m_contacts.AddRecentContact(host); }
    // Opens or brings up the peer's chat window (through the application).
    void OpenChatWindow(HostRecord *host);
    // Switches between the list (0) and the tree (any other value).
    void SetMembersShowMode(int mode);

    // ---- unread windows and the tray ----
    // Queues a hidden window with unread messages (kind 0 chat window with
    // its peer, 1 group window) and starts the tray blinking. False for none,
    // a visible window or one already queued.
    bool QueueUnreadWindow(QWidget *window, int kind, const HostRecord *peer = nullptr);
    // Shows the window and takes it out of the queue; the blinking stops with
    // the last one. False when it was not queued.
    bool UnqueueUnreadWindow(QWidget *window);
    bool isBlinking() const { return m_blinking; }
    // The oldest queued window, or null.
    QWidget *FrontUnreadWindow() const { return qobject_cast<QWidget *>(m_unread.Front()); }
    int unreadCount() const { return int(m_unread.Count()); }
    bool IsUnreadWindowQueued(const QWidget *window) const { return m_unread.Contains(window); }

    // ---- buttons, menus, recent contacts and notices ----
    // The tip popup the notices go to (none: tipNoticeRequested carries them).
    void setTipPopup(CMsgTipDlg *tip) { m_tip = tip; }
    // An entry for the tip popup.
    void ShowTipMessage(const TipNotice &notice, TipOptions options = {});
    // Plays the configured sound of the kind unless that sound is playing
    // still; false when it was not started.
    bool PlayNotifySound(NotifySound kind);
    static constexpr int kSoundBusyMs = 1500;
    // The open chat window of a peer key, for recent contacts that are not
    // online (the application knows the windows).
    using ChatWindowFinder = std::function<QWidget *(const QString &key)>;
    void setChatWindowFinder(ChatWindowFinder finder) { m_chatWindowFinder = std::move(finder); }
    CFindUserDlg *findDialog() const { return m_find; }
    CSendToAddressDlg *sendToAddressDialog() const { return m_sendToAddress; }
    QPushButton *button(int id) const;
    // True when a command of the page's menus (or one the tray forwards)
    // does something now: handled here, or by a receiver of its signal.
    bool HandlesMenuCommand(int id) const;
    // The menus as the buttons show them (filled and checked, not yet shown).
    QMenu *MakeRecentMenu();
    QMenu *MakeMoreMenu();
    // Menu 252 whole, as a right click on a peer or a node shows it: the
    // groups to move to filled in (their items carry the group's name), the
    // recent contacts named, items enabled and checked for the selection.
    QMenu *MakeContactMenu();
    // What the commands act on: the selected peer or node of the current view.
    ContactCommands::Target selection() const;
    // Selects the peer's row (tree or list), or the node, in the current view.
    bool Select(const HostRecord *host);
    bool SelectNode(const QString &name, bool userGroup);

public slots:
    // The commands of the buttons 1001..1007 and 1098.
    void OnButtonCommand(int id);
    // A click on button index of the toolbar: the command of the button it
    // stands for (other indexes do nothing).
    void OnToolbarClick(int index);
    // A command of the page's menus (and one the tray forwards). False when
    // nothing carries it out now.
    bool OnMenuCommand(int id);
    // Recent contact i (0..9): its chat, or after a question the send-to-
    // address dialog when it is not online.
    void OnRecentContact(int index);
    // "向指定计算机IP地址发送信息": the dialog, its address preset (0: empty).
    void OpenSendToAddressDialog(quint32 address);
    // "搜索": the find dialog beside the main window.
    void OnFind();
    // Large (true) or small head icons in the current view.
    void SetIconSize(bool large);
    // Remote assistance with the peer at the address ended.
    void OnRemoteAssistanceEnded(quint32 address);

    // ---- the commands of the peers and groups (CMessengerDlgGroups.cpp) ----
    // A right click in the tree: on empty space the "更多" menu, else the
    // item is selected and menu 252 shown.
    void OnTreeRightClick(const QPoint &globalPos, HostRecord *host, const QString &node, bool userGroup);
    void OnSendMessage();
    // "发送文件" / "发送文件夹" to the selected peer or node.
    void OnSendFiles(bool folder);
    void OnNewGroup();
    void OnRenameGroup();
    // "把好友移动到组...": into the group (create: the item that makes it first).
    void OnMoveToGroup(const QString &group, bool create);
    void OnSortBy(int id);
    void OnCollapseAllGroups();
    void OnExpandAllGroups();
    void OnGroupRights();
    void OnToggleGroupVisibility();
    void OnEditUserInfo();
    void OnAutoGroupFriends();
    void OnShowMemoList();
    void OnAddOtherSubnetFriends();
    // A peer's display name changed: its row, and (through userTitleChanged)
    // its chat window; the groups are saved.
    void UpdateUserTitles(HostRecord *host);

    // ---- colours, transparency and the tree's style (CMessengerDlgLook.cpp) ----
    void OnColorScheme(int id);
    void OnCustomColor();
    void OnCustomTreeStyle();
    void OnSetTransparency();
    void OnToggleSelectedLarge();
    // "设置" and "个人及系统设置": the settings dialog, its changes applied.
    void OnSettings();
    CSettingsDlg *settingsDialog() const { return m_settings; }
    // The colour scheme of the configuration on every window that shows it.
    void ApplyColorScheme();
    // Button 1002 "刷新": the refresh request, with Ctrl held the list is
    // emptied first. Posted, so the click returns at once.
    void OnRefreshButton();
    // The refresh request itself.
    void OnRefreshUsers(bool clearFirst);

signals:
    // The number of peers online ("蓝雀Kwel(在线人数: %d)").
    void peerCountChanged(int count);
    // An entry for the message tip popup.
    void tipNoticeRequested(const TipNotice &notice);
    // The tray starts blinking (every 500 ms, the first step at once) with
    // the message icon of that head-icon image, which changes while windows
    // stay queued; or it stops and shows the normal icon again (false, -1).
    void blinkRequested(bool blinking, int messageImage);
    // The own entry's head-icon image for the search strip's status button.
    void ownStatusIconChanged(int image);
    // A peer is to be talked to (double click on it, a search result).
    void openChatRequested(HostRecord *host);
    // Buttons whose windows live elsewhere: "群发", "帮助", "共享".
    void multiChatRequested();
    void helpRequested();
    void allSharedFilesRequested();
    // Windows the application opens: "查看全部聊天记录" (and the tray's
    // "查看聊天记录(&L)"), "文件下载监视", "共享文件设置" (and the tray's).
    void chatLogViewerRequested();
    void transferMonitorRequested();
    void shareSettingsRequested();
    // The multi-user window for the members of a node, with files to send.
    void groupSendRequested(const QString &node, const QStringList &files);
    // Files (paths) for the peer's chat window.
    void sendFilesRequested(HostRecord *host, const QStringList &files);
    // A peer's display name changed (its chat window's title follows).
    void userTitleChanged(HostRecord *host);
    // The colour scheme changed: the panel, the chat windows and the
    // multi-user window apply it.
    void colorSchemeChanged();
    // The chat window of the peer is to show "退出远程协助.".
    void remoteAssistanceEnded(HostRecord *host);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void createButtons(QHBoxLayout *row);
    void updateMenu(QMenu *menu) const;
    bool hasReceiver(int buttonId) const;
    void updateGroupItems(QMenu *menu, const ContactCommands::Target &target) const;
    void fillMoveMenu(QMenu *menu, const ContactCommands::Target &target) const;
    void connectMenu(QMenu *menu);
    void showMenuAt(QMenu *menu, const QPoint &globalPos);
    QString targetGroupName(const ContactCommands::Target &target) const;
    void showView(bool tree);
    void applyColumnWidths();
    void unreadChanged(int previousFrontImage);

    MessengerEngine &m_engine;
    ContactListController m_contacts;
    CMainToolBar *m_toolBar = nullptr;
    QStackedWidget *m_views = nullptr;
    CUserTreeCtrl *m_tree = nullptr;
    CUserListCtrl *m_list = nullptr;
    QPushButton *m_refresh = nullptr;
    std::array<QPushButton *, 8> m_buttons{};
    CFindUserDlg *m_find = nullptr; // owned by the main window, made once
    CSendToAddressDlg *m_sendToAddress = nullptr; // likewise
    CSettingsDlg *m_settings = nullptr; // likewise
    CMsgTipDlg *m_tip = nullptr;
    ChatWindowFinder m_chatWindowFinder;
    std::array<bool, 2> m_soundBusy{}; // by NotifySound
    UnreadQueue m_unread;
    bool m_blinking = false;
    QTimer m_autoWidth;
};

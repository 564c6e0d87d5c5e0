// The messenger page: the first page of the main panel's folder bar. It
// shows the peers of the engine's host table as the user tree (control 1193)
// or the user list (control 1000), chosen by MembersShowMode, keeps them in
// step with the engine, and hands the panel its title count, the notices for
// the tip popup and the tray blinking of unread windows.
#pragma once

#include "mainwnd/ContactListController.h"
#include "mainwnd/TipNotice.h"
#include "mainwnd/UnreadQueue.h"

#include <QTimer>
#include <QWidget>

class CUserListCtrl;
class CUserTreeCtrl;
class HostRecord;
class MessengerEngine;
class QPushButton;
class QStackedWidget;

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

public slots:
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
    // A peer is to be talked to (double click on it).
    void openChatRequested(HostRecord *host);

private:
    void showView(bool tree);
    void applyColumnWidths();
    void unreadChanged(int previousFrontImage);

    MessengerEngine &m_engine;
    ContactListController m_contacts;
    QStackedWidget *m_views = nullptr;
    CUserTreeCtrl *m_tree = nullptr;
    CUserListCtrl *m_list = nullptr;
    QPushButton *m_refresh = nullptr;
    UnreadQueue m_unread;
    bool m_blinking = false;
    QTimer m_autoWidth;
};

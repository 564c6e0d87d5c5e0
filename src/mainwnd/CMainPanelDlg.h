// The main panel: the program's top-level window. It hosts the folder bar
// with the messenger page, the group list and the calendar, the search
// strip above it, the tray icon with its menu and blinking, the global hot
// key, the tip popup, and the panel's transparency. Closing or minimising
// it goes to the tray (minimises where the desktop has no tray); the tray
// menu's "退出(&C)" ends the program.
#pragma once

#include "mainwnd/PanelTray.h"
#include "mainwnd/TipNotice.h"

#include <QDialog>
#include <QIcon>
#include <QTimer>
#include <array>
#include <memory>

class CCalendarDlg;
class CGfxOutBarCtrl;
class CGroupListDlg;
class CMessengerDlg;
class CMsgTipDlg;
class CSearchBarDlg;
class CTrayIcon;
class CWebPaneDlg;
class GlobalHotKey;
class HostRecord;
class MessengerEngine;
class PanelDocking;
class PanelVersionCheck;
class QMenu;

// The platform services the panel uses; tests hand in fakes.
struct PanelPlatform
{
    std::unique_ptr<CTrayIcon> tray;
    std::unique_ptr<GlobalHotKey> hotKey;

    // The desktop's tray and the platform's hot key.
    static PanelPlatform System();
};

class CMainPanelDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kBlinkIntervalMs = 500;

    explicit CMainPanelDlg(MessengerEngine &engine, QWidget *parent = nullptr);
    CMainPanelDlg(MessengerEngine &engine, PanelPlatform platform, QWidget *parent = nullptr);
    ~CMainPanelDlg() override;

    // The start: position, hot key, shown or kept in the tray, transparency
    // and the tray icon of the user's state. autoStart: launched by the
    // session's auto-start entry. A hot key that cannot be registered is
    // told from the event loop, after the start.
    void InitPanel(bool autoStart);

    CMessengerDlg *messengerPage() const { return m_messenger; }
    CGroupListDlg *groupListPage() const { return m_groupList; }
    CCalendarDlg *calendarPage() const { return m_calendar; }
    CGfxOutBarCtrl *folderBar() const { return m_bar; }
    CMsgTipDlg *tipPopup() const { return m_tip.get(); }
    CTrayIcon *trayIcon() const { return m_tray.get(); }
    GlobalHotKey *hotKey() const { return m_hotKey.get(); }
    QMenu *trayMenu() const { return m_menu; }
    CSearchBarDlg *searchStrip() const { return m_search; }

    // "蓝雀Kwel(在线人数: %d)"
    static QString titleText(int peers);
    // The title of the messenger page's folder.
    QString folderTitle() const;
    bool isHiddenByUser() const { return m_hiddenByUser; }
    // Whether the desktop has a notification area to hide the panel into
    // (the panel then keeps out of the taskbar); asked anew each time.
    bool hasTray() const;
    bool isBlinking() const { return m_blinkTimer.isActive(); }
    // The icon kind of the user's state (what the tray shows when not blinking).
    TrayIconKind stateIconKind() const;
    // The rectangle the panel had when last shown normally (position of the
    // frame, size of the client).
    QRect savedRect() const { return m_savedRect; }
    // Writes the saved rectangle into WndLeft, WndTop, WndWidth, WndHeight.
    void StoreWindowPlacement();

    // ---- docking, backup and restore, shortcuts, the group file, version
    // checks and the web pane (CMainPanelExtras.cpp) ----
    PanelDocking *docking() const { return m_docking; }
    PanelVersionCheck *versionCheck() const { return m_versions; }
    CWebPaneDlg *webPane() const { return m_webPane; }
    // The folder of the web pane ("蓝雀vudo"), -1 without one (ShowBbsBar).
    int webPaneFolder() const { return m_webFolder; }
    // What the folder bar tells the contact list's page (message 0x4C3):
    // its folder was opened again, which gives the panel back the width and
    // side it had before the web pane's folder widened it; or a right click
    // on the folder's button, which shows the "更多" menu (1098).
    enum class ContactFolderMessage { Opened = 0, MenuAsked = 1 };
    void OnShowWebPane(ContactFolderMessage message);
    // The backup of kind 0, 2..6 (33093, 33099..33103) and the restore (33094).
    void BackupSettings(int kind);
    void OnRestoreSettings();
    // A desktop entry at linkPath that starts the target; 1 on success.
    int CreateShortcut(const QString &target, const QString &linkPath);
    // 33137 on the desktop, 33138 in the applications menu.
    void OnCreateShortcut(int command);
    // 33139 and 33140: the user groups and memo names as a file.
    void OnExportGroups();
    void OnImportGroups();
    // Writes or removes the session's autostart entry as StartRun says.
    void SyncAutostart();
    // The version check now (what the start does after ten seconds).
    void CheckVersion();
    // Carries out the menu commands above: false for any other command id.
    bool OnExtraCommand(int id);
    static bool IsExtraCommand(int id);

    // Shows the tray icon of the user's state; reload reads the icon files
    // of the configuration again.
    void UpdateTrayIcon(bool reload);
    // One step of the blinking (restart sets the step count back).
    void BlinkTrayIcon(bool restart);
    // The own-status menu (389) with the current state checked, carrying
    // out its commands (CMainPanelStatus.cpp).
    QMenu *MakeStatusMenu();

public slots:
    void bringForward();
    // Show and hide as the other windows ask (the restore from the tray and
    // the hide into it).
    void ShowPanel();
    void HidePanel();
    void OnHotKey();
    // A notice for the tip popup.
    void ShowTipNotice(const TipNotice &notice);
    // Blinking for unread messages: on with the head-icon image to blink
    // (outside the list: the message icon), off to stop.
    void SetBlinking(bool on, int iconIndex);
    void OnPeerCountChanged(int count);
    void OnTrayCommand(int id);
    // The own-status menu's commands: 33126 online, 33127..33134 away,
    // 33135 hidden.
    void OnStatusCommand(int id);
    // "今日安排与记事": the panel with the calendar page on today.
    void ShowTodayNoteDlg();
    // The colour scheme of the configuration on the folder bar.
    void ApplySkinColors();

signals:
    // "退出(&C)": the program is to end.
    void quitRequested();
    // A tray click or the hot key while unread messages wait: the oldest
    // waiting window is to open.
    void unreadOpenRequested();
    // A notice link named a peer that is online.
    void chatWindowRequested(HostRecord *host);
    // Tray commands that the messenger page carries out (settings, colour
    // schemes, multi-send, memo list, recent contacts, view style).
    void messengerCommandRequested(int id);
    // The chat windows' web-access page was written.
    void webAccessPageReady(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    void buildPages();
    void buildExtras();
    void connectMessengerPage();
    void onTrayActivated(int how);
    void refreshTrayMenu();
    bool isForwarded(int id) const;
    void toggleOption(int id);
    void setAwayKind(int kind);
    void setHidden(bool hidden);
    void showStatusMenu(const QPoint &globalPos);
    void updateStatusButton();
    void openHelp();
    void openOnlineHelp();
    // "设置自动回复内容": the text of the automatic reply, saved on OK.
    void editAutoReplyText();
    void openAddress(quint32 address);
    void openKey(const QString &key);
    void openGroup(quint32 groupId);
    void rememberRect();
    void onTrayAvailabilityChanged(bool available);

    MessengerEngine &m_engine;
    std::unique_ptr<CTrayIcon> m_tray;
    std::unique_ptr<GlobalHotKey> m_hotKey;
    std::unique_ptr<CMsgTipDlg> m_tip;
    CGfxOutBarCtrl *m_bar = nullptr;
    CSearchBarDlg *m_search = nullptr;
    CMessengerDlg *m_messenger = nullptr;
    CGroupListDlg *m_groupList = nullptr;
    CCalendarDlg *m_calendar = nullptr;
    QMenu *m_menu = nullptr;
    std::array<QIcon, 4> m_icons; // by TrayIconKind
    QIcon m_blinkIcon;
    TrayBlinker m_blinker;
    QTimer m_blinkTimer;
    QRect m_savedRect;
    PanelDocking *m_docking = nullptr;
    PanelVersionCheck *m_versions = nullptr;
    CWebPaneDlg *m_webPane = nullptr;
    int m_webFolder = -1;
    bool m_hiddenByUser = false;
};

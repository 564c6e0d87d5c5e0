#include "PanelTestUtil.h"
#include "TestEnv.h"
#include "controls/CGfxOutBarCtrl.h"
#include "controls/CImageButton.h"
#include "controls/HeadIcons.h"
#include "core/CConfig.h"
#include "core/CRegistryKey.h"
#include "core/ConfigRecords.h"
#include "core/Schedule.h"
#include "mainwnd/CAutoReplyTextDlg.h"
#include "mainwnd/CCalendarDlg.h"
#include "mainwnd/CGroupListDlg.h"
#include "mainwnd/CMainPanelDlg.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/CMsgTipDlg.h"
#include "mainwnd/CSearchBarDlg.h"
#include "mainwnd/PanelStatusMenu.h"
#include "mainwnd/PanelTrayMenu.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/MessengerEngine.h"
#include "net/LoopbackNet.h"
#include "net/PacketCodec.h"
#include "platform/CTrayIcon.h"
#include "platform/GlobalHotKey.h"
#include "platform/ScriptedPrompter.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <QUdpSocket>
#include <gtest/gtest.h>
#include <memory>

namespace {

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST(CMainPanelDlg, FoldersAndTheOnlineCountInTitleAndTray)
{
    Panel p;
    CGfxOutBarCtrl *bar = p.panel->folderBar();
    ASSERT_EQ(bar->GetFolderCount(), 3);
    EXPECT_EQ(bar->GetFolderPage(0), p.panel->messengerPage());
    EXPECT_EQ(bar->GetFolderPage(1), p.panel->groupListPage());
    EXPECT_EQ(bar->GetFolderPage(2), p.panel->calendarPage());
    EXPECT_EQ(bar->GetFolderText(1), QStringLiteral("群 聊 天 室"));
    EXPECT_EQ(bar->GetFolderText(2), p.panel->calendarPage()->folderTitle());
    EXPECT_EQ(bar->GetSelFolder(), 0);
    EXPECT_TRUE(p.tray->isEnabled());
    EXPECT_EQ(p.tray->tip(), QStringLiteral("Kwel"));

    p.announce(0x7F000005, QStringLiteral("张三"), QStringLiteral("AABBCCDDEE01"));
    p.announce(0x7F000006, QStringLiteral("李四"), QStringLiteral("AABBCCDDEE02"));
    EXPECT_EQ(p.panel->messengerPage()->peerRowCount(), 2);
    EXPECT_EQ(p.panel->folderTitle(), QStringLiteral("蓝雀Kwel(在线人数: 2)"));
    EXPECT_EQ(p.tray->tip(), QStringLiteral("蓝雀Kwel(在线人数: 2)"));

    p.panel->InitPanel(false);
    p.panel->resize(260, 500);
    EXPECT_EQ(p.panel->searchStrip()->geometry(), QRect(0, 0, 260, 22));
    EXPECT_EQ(bar->geometry(), QRect(0, 22, 260, 478));
    EXPECT_FALSE(p.panel->grab().isNull());
}

TEST(CMainPanelDlg, CalendarFolderCountsTodaysStoredReminders)
{
    Panel p(true, [](CConfig &config) {
        CRegistryKey key(QString(), QString(), config.StorePath());
        const QString today = Schedule::DateKey(QDate::currentDate());
        key.WriteList(Schedule::kReminderSection,
            { RecordText::join({ today + QStringLiteral("##08:00:00"), QStringLiteral("晨会") }),
                RecordText::join({ today + QStringLiteral("##17:00:00"), QStringLiteral("周报") }) });
    });
    EXPECT_EQ(p.panel->folderBar()->GetFolderText(2), QStringLiteral("日程安排提醒 - [今日2条提醒]"));
}

TEST(CMainPanelDlg, StartPlacementHotKeyAndTransparency)
{
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    Panel p(true, [](CConfig &c) { c.MainOpacity = 50; });
    p.panel->InitPanel(false);
    EXPECT_TRUE(p.panel->isVisible());
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(p.panel->pos().x() + p.panel->width(), work.right() + 1) << "an unset place is the right edge";
    EXPECT_NEAR(p.panel->windowOpacity(), 128 / 255.0, 0.01);
    EXPECT_TRUE(p.hotKey->isRegistered());
    EXPECT_EQ(p.hotKey->current, (HotKeyChord{HotKeyFlags::Control | HotKeyFlags::Shift, 0x58}));
    EXPECT_TRUE(prompter.calls().isEmpty());

    p.panel->StoreWindowPlacement();
    EXPECT_EQ(QRect(p.config.WndLeft, p.config.WndTop, p.config.WndWidth, p.config.WndHeight), p.panel->savedRect());

    // Hidden into the tray, the hot key brings the panel back.
    p.panel->close();
    EXPECT_FALSE(p.panel->isVisible());
    p.hotKey->press();
    EXPECT_TRUE(p.panel->isVisible());
    EXPECT_FALSE(p.panel->isHiddenByUser());
}

TEST(CMainPanelDlg, HotKeyFailureIsToldAndZeroRegistersNothing)
{
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    {
        Panel p;
        p.hotKey->answer = GlobalHotKey::Result::Failed;
        p.panel->InitPanel(false);
        EXPECT_TRUE(prompter.calls().isEmpty()) << "the start (and its announcement) does not wait for the user";
        QCoreApplication::processEvents();
        ASSERT_EQ(prompter.calls().size(), 1);
        EXPECT_EQ(prompter.calls()[0].text, QStringLiteral("热键注册失败，可能重复了！"));
        EXPECT_TRUE(p.panel->isVisible()) << "the panel runs without a hot key";
    }
    prompter.clear();
    Panel zero(true, [](CConfig &c) {
        c.modifiers = 0;
        c.virtualcode = 0;
    });
    zero.panel->InitPanel(false);
    EXPECT_EQ(zero.hotKey->registrations, 0);
    EXPECT_TRUE(prompter.calls().isEmpty());
}

TEST(CMainPanelDlg, StartsInTheTrayOrMinimisedWithoutOne)
{
    Panel autoStarted;
    autoStarted.panel->InitPanel(true); // StartAutoMin is on by default
    EXPECT_FALSE(autoStarted.panel->isVisible());

    Panel noTray(false, [](CConfig &c) { c.DbClickAutoMin = 1; });
    EXPECT_FALSE(noTray.tray->isEnabled());
    noTray.panel->InitPanel(false);
    EXPECT_TRUE(noTray.panel->isVisible()) << "no tray to hide into";
    EXPECT_TRUE(noTray.panel->isMinimized());

    // Without a tray, closing minimises instead of hiding into nothing.
    noTray.panel->ShowPanel();
    EXPECT_FALSE(noTray.panel->isMinimized());
    noTray.panel->close();
    EXPECT_TRUE(noTray.panel->isVisible());
    EXPECT_TRUE(noTray.panel->isMinimized());
}

TEST(CMainPanelDlg, TrayClicksOpenThePanelOrTheWaitingMessage)
{
    Panel p;
    p.panel->InitPanel(false);
    p.panel->HidePanel();
    EXPECT_TRUE(p.panel->isHiddenByUser());
    p.tray->click(CTrayIcon::Activation::Click); // LButtonIconOpen is on
    EXPECT_TRUE(p.panel->isVisible());

    p.config.LButtonIconOpen = 0;
    p.panel->HidePanel();
    p.tray->click(CTrayIcon::Activation::Click);
    EXPECT_FALSE(p.panel->isVisible()) << "a single click does nothing then";
    p.tray->click(CTrayIcon::Activation::DoubleClick);
    EXPECT_TRUE(p.panel->isVisible());

    // While messages wait, a click opens the oldest one.
    p.panel->HidePanel();
    p.panel->SetBlinking(true, 5);
    EXPECT_TRUE(p.panel->isBlinking());
    QSignalSpy unread(p.panel.get(), &CMainPanelDlg::unreadOpenRequested);
    p.tray->click(CTrayIcon::Activation::Click);
    p.hotKey->press();
    EXPECT_EQ(unread.size(), 2);
    EXPECT_FALSE(p.panel->isVisible());
}

TEST(CMainPanelDlg, BlinkingAlternatesAndStops)
{
    Panel p;
    const QImage online = iconImage(LoadTrayIcon(TrayIconKind::Online, QString()));
    const QImage head = iconImage(QIcon(HeadIconPixmap(5, 32)));
    EXPECT_EQ(iconImage(p.tray->icon()), online);

    p.panel->SetBlinking(true, 5);
    EXPECT_EQ(iconImage(p.tray->icon()), head) << "the first step shows the waiting sender";
    p.panel->BlinkTrayIcon(false);
    EXPECT_EQ(iconImage(p.tray->icon()), online);
    p.panel->BlinkTrayIcon(false);
    EXPECT_EQ(iconImage(p.tray->icon()), head);
    // Out of the list: the message icon.
    p.panel->SetBlinking(true, 500);
    p.panel->BlinkTrayIcon(true);
    EXPECT_EQ(iconImage(p.tray->icon()), iconImage(LoadTrayIcon(TrayIconKind::Message, QString())));

    // Without a receiver for the waiting message a click shows the panel.
    p.panel->HidePanel();
    p.tray->click(CTrayIcon::Activation::Click);
    EXPECT_TRUE(p.panel->isVisible());

    p.panel->SetBlinking(false, 0);
    EXPECT_FALSE(p.panel->isBlinking());
    EXPECT_EQ(iconImage(p.tray->icon()), online);
}

TEST(CMainPanelDlg, TrayMenuCommands)
{
    Panel p;
    QSignalSpy quit(p.panel.get(), &CMainPanelDlg::quitRequested);
    QMenu *menu = p.panel->trayMenu();
    EXPECT_EQ(p.tray->menu, menu);

    // 上线时通知其他用户 is checked while StatusValue bit 0 is clear.
    emit menu->aboutToShow();
    EXPECT_TRUE(TrayMenu::Find(menu, 32851)->isChecked());
    TrayMenu::Find(menu, 32851)->trigger();
    EXPECT_EQ(p.config.StatusValue & 1u, 1u);
    emit menu->aboutToShow();
    EXPECT_FALSE(TrayMenu::Find(menu, 32851)->isChecked());
    EXPECT_TRUE(TrayMenu::Find(menu, 33093)->isEnabled()) << "the backup is the panel's own";
    EXPECT_FALSE(TrayMenu::Find(menu, 33084)->isEnabled()) << "commands not built here are greyed";
    EXPECT_TRUE(TrayMenu::Find(menu, TrayMenu::Settings)->isEnabled()) << "the settings dialog of the page";

    // Hidden, then away: the tray icon follows the state.
    TrayMenu::Find(menu, TrayMenu::Hidden)->trigger();
    EXPECT_EQ(p.config.StatusValue & 0x40u, 0x40u);
    EXPECT_EQ(iconImage(p.tray->icon()), iconImage(LoadTrayIcon(TrayIconKind::Hidden, QString())));
    emit menu->aboutToShow();
    EXPECT_EQ(TrayMenu::Find(menu, TrayMenu::Hidden)->text(), QStringLiteral("取消隐身状态"));
    TrayMenu::Find(menu, TrayMenu::FirstAway + 2)->trigger();
    EXPECT_EQ(p.config.AwayState, 3);
    EXPECT_EQ(p.config.StatusValue & 0x40u, 0u) << "an away user is not hidden";
    EXPECT_EQ(p.panel->stateIconKind(), TrayIconKind::Away);
    emit menu->aboutToShow();
    EXPECT_TRUE(TrayMenu::Find(menu, TrayMenu::FirstAway + 2)->isChecked());
    EXPECT_TRUE(TrayMenu::Find(menu, TrayMenu::LeaveAway)->isEnabled());
    TrayMenu::Find(menu, TrayMenu::LeaveAway)->trigger();
    EXPECT_EQ(p.panel->stateIconKind(), TrayIconKind::Online);

    // Forwarded commands reach whoever carries them out.
    QSignalSpy forwarded(p.panel.get(), &CMainPanelDlg::messengerCommandRequested);
    emit menu->aboutToShow();
    TrayMenu::Find(menu, TrayMenu::FirstRecent)->trigger();
    ASSERT_EQ(forwarded.size(), 1);
    EXPECT_EQ(forwarded[0][0].toInt(), TrayMenu::FirstRecent);

    TrayMenu::Find(menu, TrayMenu::Quit)->trigger();
    EXPECT_EQ(quit.size(), 1);
}

TEST(CMainPanelDlg, TheAutoReplyTextIsEditedFromTheTrayAndSavedOnOkOnly)
{
    Panel p;
    p.config.StrReply = QStringLiteral("开会中");
    QMenu *menu = p.panel->trayMenu();
    emit menu->aboutToShow();
    QAction *edit = TrayMenu::Find(menu, TrayMenu::AutoReplyText);
    ASSERT_TRUE(edit);
    EXPECT_TRUE(edit->isEnabled());

    // The dialog shows the stored text; a longer one is cut to 258 characters.
    QString shown;
    int limit = 0;
    const auto answer = [&](const QString &typed, const char *button) {
        QTimer::singleShot(0, p.panel.get(), [&, typed, button] {
            auto *dialog = qobject_cast<CAutoReplyTextDlg *>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("自定义自动回复内容"));
            auto *line = dialog->findChild<QLineEdit *>(QStringLiteral("1067"));
            ASSERT_TRUE(line);
            shown = line->text();
            limit = line->maxLength();
            line->setText(typed);
            dialog->findChild<QPushButton *>(QLatin1String(button))->click();
        });
    };
    answer(QString(300, QChar(0x5FD9)), "2"); // 忙… then "取消"
    edit->trigger();
    EXPECT_EQ(shown, QStringLiteral("开会中"));
    EXPECT_EQ(limit, CAutoReplyTextDlg::kMaxLength);
    EXPECT_EQ(p.config.StrReply, QStringLiteral("开会中"));

    answer(QString(300, QChar(0x5FD9)), "1");
    edit->trigger();
    EXPECT_EQ(p.config.StrReply, QString(258, QChar(0x5FD9)));
    // Saved: a configuration read from the store has it.
    CConfig stored(p.config.StorePath());
    ASSERT_TRUE(stored.Load());
    EXPECT_EQ(stored.StrReply, QString(258, QChar(0x5FD9)));
}

TEST(CMainPanelDlg, NoticeLinksOpenOnlinePeers)
{
    Panel p;
    p.announce(0x7F000005, QStringLiteral("张三"), QStringLiteral("AABBCCDDEE01"));
    qRegisterMetaType<HostRecord *>("HostRecord*");
    QSignalSpy chat(p.panel.get(), &CMainPanelDlg::chatWindowRequested);
    CMsgTipDlg *tip = p.panel->tipPopup();

    p.panel->ShowTipNotice({1, QStringLiteral(" 上 线 通 知 "), QStringLiteral("用户名:张三"), QStringLiteral("#IP:127.0.0.5")});
    EXPECT_TRUE(tip->isVisible());
    tip->OpenCurrentLink();
    ASSERT_EQ(chat.size(), 1);
    EXPECT_EQ(chat[0][0].value<HostRecord *>()->key.address, 0x7F000005u);

    p.panel->ShowTipNotice({1, QStringLiteral("x"), QString(), QStringLiteral("#MAC:AABBCCDDEE01")});
    tip->OpenCurrentLink();
    ASSERT_EQ(chat.size(), 2);
    EXPECT_EQ(chat[1][0].value<HostRecord *>()->displayName, QStringLiteral("张三"));

    // Peers that are gone and groups that do not exist open nothing.
    p.panel->ShowTipNotice({1, QStringLiteral("x"), QString(), QStringLiteral("#IP:127.0.0.9")});
    tip->OpenCurrentLink();
    p.panel->ShowTipNotice({1, QStringLiteral("x"), QString(), QStringLiteral("#QUNID:2A")});
    tip->OpenCurrentLink();
    EXPECT_EQ(chat.size(), 2);
    EXPECT_EQ(p.panel->folderBar()->GetSelFolder(), 0);

    p.panel->groupListPage()->SetGroup(0x2A, QStringLiteral("研发群"), 1);
    // A known group shows its page (there are no group chat windows).
    tip->OpenCurrentLink();
    EXPECT_EQ(p.panel->folderBar()->GetSelFolder(), 1);
    tip->Close();
}

TEST(CMainPanelDlg, StatusButtonMenuSetsTheStateAndTheButtonFollows)
{
    Panel p;
    CImageButton *button = p.panel->searchStrip()->statusButton();
    EXPECT_EQ(button->text(), QStringLiteral("在线▼"));

    // A click on the status button opens menu 389 with 在线 checked; 开会 is
    // chosen from it.
    QStringList shown;
    QTimer::singleShot(0, [&shown] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction *a : menu->actions())
            if (a->isChecked())
                shown.append(a->text());
        QAction *meeting = TrayMenu::Find(menu, StatusMenu::FirstAway + 2);
        menu->close();
        if (meeting)
            meeting->trigger();
    });
    button->click();
    EXPECT_EQ(shown, QStringList{QStringLiteral("在线")});
    EXPECT_EQ(p.config.AwayState, 3);
    EXPECT_EQ(button->text(), QStringLiteral("开会▼"));
    EXPECT_EQ(p.panel->stateIconKind(), TrayIconKind::Away);

    // Hidden while away leaves the away state; the tray's toggle and the
    // status menu agree on the button.
    std::unique_ptr<QMenu> menu(p.panel->MakeStatusMenu());
    EXPECT_TRUE(TrayMenu::Find(menu.get(), StatusMenu::FirstAway + 2)->isChecked());
    TrayMenu::Find(menu.get(), StatusMenu::Hidden)->trigger();
    EXPECT_EQ(p.config.AwayState, 0);
    EXPECT_EQ(p.config.StatusValue & 0x40u, 0x40u);
    EXPECT_EQ(button->text(), QStringLiteral("隐身▼"));
    menu.reset(p.panel->MakeStatusMenu());
    EXPECT_TRUE(TrayMenu::Find(menu.get(), StatusMenu::Hidden)->isChecked());
    EXPECT_FALSE(TrayMenu::Find(menu.get(), StatusMenu::Online)->isChecked());
    p.panel->OnTrayCommand(TrayMenu::Hidden);
    EXPECT_EQ(button->text(), QStringLiteral("在线▼"));
    p.panel->OnTrayCommand(TrayMenu::FirstAway + 7);
    EXPECT_EQ(button->text(), QStringLiteral("工作▼"));
    p.panel->OnStatusCommand(StatusMenu::Online);
    EXPECT_EQ(button->text(), QStringLiteral("在线▼"));
    EXPECT_FALSE(p.engine->isAway());
    EXPECT_EQ(p.config.StatusValue & 0x40u, 0u);

    // The away names are the user's own; a blank one shows the kind's text.
    p.config.AwayNames[2] = QStringLiteral("开会中(勿扰)");
    p.config.AwayNames[7] = QStringLiteral(" ");
    p.panel->OnStatusCommand(StatusMenu::FirstAway + 2);
    EXPECT_EQ(button->text(), QStringLiteral("开会中(勿扰)▼"));
    p.panel->OnTrayCommand(TrayMenu::FirstAway + 7);
    EXPECT_EQ(button->text(), QStringLiteral("工作▼"));
}

} // namespace

#include "TestEnv.h"
#include "mainwnd/CCalendarDlg.h"
#include "core/CRegistryKey.h"
#include "core/ConfigRecords.h"
#include "core/Schedule.h"
#include "mainwnd/CGroupListDlg.h"
#include "mainwnd/CGroupTreeCtrl.h"
#include "net/HostRecord.h"
#include "mainwnd/CMainToolBar.h"
#include "mainwnd/PanelGeometry.h"
#include "mainwnd/PanelTray.h"
#include "mainwnd/PanelTrayMenu.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStandardItem>
#include <gtest/gtest.h>

namespace {

using PanelGeometry::StartRect;
using PanelGeometry::StoredPlacement;

const QRect kWork(0, 0, 1280, 770); // a taskbar of 30 below
const QRect kCurrent(0, 0, 240, 560);

TEST(PanelGeometry, StartRectangle)
{
    // Never placed: the right edge of the work area, centred vertically.
    EXPECT_EQ(StartRect({}, kCurrent, kWork), QRect(1040, 105, 240, 560));
    // A stored place within the work area is kept.
    EXPECT_EQ(StartRect({100, 50, 300, 600}, kCurrent, kWork), QRect(100, 50, 300, 600));
    // Unset sizes take the current size.
    EXPECT_EQ(StartRect({100, 50, -1, -1}, kCurrent, kWork), QRect(100, 50, 240, 560));
    // Reaching past the right edge or the bottom: placed as unset.
    EXPECT_EQ(StartRect({1100, 50, 240, 560}, kCurrent, kWork), QRect(1040, 50, 240, 560));
    EXPECT_EQ(StartRect({100, 300, 240, 560}, kCurrent, kWork), QRect(100, 105, 240, 560));
    // A work area that does not start at 0 (a second screen on the left).
    const QRect left(-1280, 0, 1280, 1024);
    EXPECT_EQ(StartRect({-1200, 10, 240, 560}, kCurrent, left), QRect(-240, 10, 240, 560))
        << "a negative left is unset, as it always was";
    // Larger than the work area: shrinks to it, not below the minimum.
    EXPECT_EQ(StartRect({0, 0, 2000, 2000}, kCurrent, kWork), QRect(0, 0, 1280, 770));
    EXPECT_EQ(StartRect({10, 10, 20, 20}, kCurrent, kWork).size(), PanelGeometry::kMinimumSize);
    EXPECT_EQ(StartRect({10, 10, 300, 400}, kCurrent, QRect(0, 0, 100, 100)).size(), PanelGeometry::kMinimumSize);
}

TEST(PanelGeometry, StartsInTheTray)
{
    using PanelGeometry::StartsHidden;
    EXPECT_TRUE(StartsHidden(true, true, false));
    EXPECT_FALSE(StartsHidden(true, false, true));
    EXPECT_TRUE(StartsHidden(false, false, true));
    EXPECT_FALSE(StartsHidden(false, true, false));
}

TEST(PanelTray, IconOfTheStateAndBlinking)
{
    EXPECT_EQ(TrayIconKindFor(0, false), TrayIconKind::Online);
    EXPECT_EQ(TrayIconKindFor(0, true), TrayIconKind::Away);
    EXPECT_EQ(TrayIconKindFor(0x40, true), TrayIconKind::Hidden);
    EXPECT_EQ(TrayIconKindFor(0x3, false), TrayIconKind::Online);

    TrayBlinker blinker;
    EXPECT_TRUE(blinker.Step(true));
    EXPECT_FALSE(blinker.Step(false));
    EXPECT_TRUE(blinker.Step(false));
    EXPECT_TRUE(blinker.Step(true)) << "a restart shows the message icon first";
    EXPECT_EQ(blinker.steps(), 1u);
}

TEST(PanelTray, ConfiguredIconFilesAndTheirFallback)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("trayicons"));
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(dir + QStringLiteral("/red.png")));
    TestEnv::writeAll(dir + QStringLiteral("/broken.ico"), QByteArrayLiteral("not an icon"));

    const QImage own = LoadTrayIcon(TrayIconKind::Away, QString()).pixmap(16, 16).toImage();
    EXPECT_FALSE(own.isNull());
    EXPECT_EQ(LoadTrayIcon(TrayIconKind::Away, dir + QStringLiteral("/red.png")).pixmap(16, 16).toImage().pixel(8, 8),
        qRgb(255, 0, 0));
    for (const QString &bad : QStringList{dir + QStringLiteral("/broken.ico"), dir + QStringLiteral("/missing.png"), dir})
        EXPECT_EQ(LoadTrayIcon(TrayIconKind::Away, bad).pixmap(16, 16).toImage(), own) << qPrintable(bad);
}

TEST(TrayMenu, ItemsRecentContactsAndHiddenText)
{
    QWidget owner;
    QMenu *menu = TrayMenu::Build(&owner);
    ASSERT_NE(TrayMenu::Find(menu, TrayMenu::Quit), nullptr);
    EXPECT_EQ(TrayMenu::Find(menu, TrayMenu::Quit)->text(), QStringLiteral("退出(&C)"));
    EXPECT_EQ(TrayMenu::Find(menu, TrayMenu::Open)->text(), QStringLiteral("打开窗口(&O)"));
    EXPECT_EQ(TrayMenu::Find(menu, 32851)->text(), QStringLiteral("上线时通知其他用户"));
    EXPECT_EQ(TrayMenu::Find(menu, 33102)->text(), QStringLiteral("备份最近联系人数据"));
    EXPECT_EQ(TrayMenu::Find(menu, 12345), nullptr);

    QMenu *recent = TrayMenu::RecentSubmenu(menu);
    ASSERT_NE(recent, nullptr);
    EXPECT_EQ(recent->title(), QStringLiteral("最近联系人"));
    QStringList names;
    for (int i = 0; i < 12; ++i)
        names << QStringLiteral("张%1&李").arg(i);
    EXPECT_EQ(TrayMenu::FillRecent(recent, names), 10) << "ten at the most";
    EXPECT_EQ(TrayMenu::Find(recent, TrayMenu::FirstRecent + 9)->text(), QStringLiteral("张9&&李"));
    EXPECT_EQ(TrayMenu::FillRecent(recent, {QStringLiteral("王五")}), 1);
    EXPECT_EQ(TrayMenu::Find(recent, TrayMenu::FirstRecent + 1)->text(), QStringLiteral("(无)"));
    EXPECT_EQ(TrayMenu::Find(recent, TrayMenu::SendToAddress)->text(), QStringLiteral("向指定计算机IP地址发送信息"));

    EXPECT_EQ(TrayMenu::HiddenText(0x40), QStringLiteral("取消隐身状态"));
    EXPECT_EQ(TrayMenu::HiddenText(0x1), QStringLiteral("设置为隐身状态"));
    EXPECT_EQ(TrayMenu::AwayText(3), QStringLiteral("开会"));
    EXPECT_EQ(TrayMenu::AwayText(9), QString());
}

TEST(CCalendarDlg, ScheduleTitle)
{
    const QDate today(2024, 1, 31);
    QMap<QString, QString> reminders;
    EXPECT_EQ(CCalendarDlg::ScheduleTitle(reminders, today, false), QStringLiteral("日程安排提醒"));
    EXPECT_EQ(CCalendarDlg::ScheduleTitle(reminders, today, true), QStringLiteral("日程安排提醒-[今日记事]"));
    reminders.insert(QStringLiteral("20240131##09:00:00"), QStringLiteral("例会"));
    reminders.insert(QStringLiteral("20240131##14:30:00"), QStringLiteral("评审"));
    reminders.insert(QStringLiteral("20240201##09:00:00"), QStringLiteral("明天"));
    reminders.insert(QStringLiteral("20240131"), QStringLiteral("no time part"));
    EXPECT_EQ(CCalendarDlg::ScheduleTitle(reminders, today, false), QStringLiteral("日程安排提醒 - [今日2条提醒]"));
    EXPECT_EQ(CCalendarDlg::ScheduleTitle(reminders, today, true), QStringLiteral("日程安排提醒-[记事] [2提醒]"));
}

TEST(CCalendarDlg, ShowsTheStoredScheduleOfTheDay)
{
    const QString store = TestEnv::freshDir(QStringLiteral("calendar")) + QStringLiteral("/kwel.ini");
    const QDate today = QDate::currentDate();
    const QString day = Schedule::DateKey(today);
    {
        CRegistryKey key(QString(), QString(), store);
        key.WriteList(Schedule::kReminderSection,
            { RecordText::join({ day + QStringLiteral("##14:30:00"), QStringLiteral("评审 #3") }),
                RecordText::join({ day + QStringLiteral("##09:00:00"), QStringLiteral("例会") }),
                RecordText::join({ Schedule::DateKey(today.addDays(1)) + QStringLiteral("##09:00:00"), QStringLiteral("明天") }),
                QStringLiteral("20240230##09:00:00#~$#no such day") });
        key.WriteList(Schedule::kNoteSection, { RecordText::join({ day, QStringLiteral("交周报") }) });
    }
    CCalendarDlg page;
    EXPECT_EQ(page.shownDate(), today);
    EXPECT_TRUE(page.dayText().endsWith(QStringLiteral("没有日程安排。")));
    QSignalSpy title(&page, &CCalendarDlg::titleChanged);
    EXPECT_EQ(page.LoadSchedule(store), 1) << "the entry of a day that does not exist is left out";
    ASSERT_EQ(title.size(), 1);
    EXPECT_EQ(title[0][0].toString(), QStringLiteral("日程安排提醒-[记事] [2提醒]"));
    EXPECT_EQ(page.todayNote(), QStringLiteral("交周报"));
    EXPECT_EQ(page.dayText(), QStringLiteral("记事: 交周报\n09:00:00 例会\n14:30:00 评审 #3"));
    EXPECT_EQ(page.reminders().size(), 3);
    // Without a store nothing is there.
    EXPECT_EQ(page.LoadSchedule(TestEnv::freshDir(QStringLiteral("calendar-empty")) + QStringLiteral("/kwel.ini")), 0);
    EXPECT_EQ(page.folderTitle(), QStringLiteral("日程安排提醒"));
}

TEST(CGroupListDlg, GroupNodesInTheGroupTree)
{
    CGroupListDlg page;
    CGroupTreeCtrl *tree = page.findChild<CGroupTreeCtrl *>();
    ASSERT_EQ(tree, page.groupTree());
    EXPECT_TRUE(tree->isVisibleTo(&page));
    EXPECT_EQ(page.groupCount(), 0);
    page.SetGroup(7, QStringLiteral("研发群"), 2);
    EXPECT_EQ(page.FindGroupNode(7)->text(), QStringLiteral("研发群(2条新信息)"));
    page.SetGroup(7, QStringLiteral("研发群"), 0);
    EXPECT_EQ(page.groupCount(), 1) << "one node per group";
    EXPECT_EQ(page.FindGroupNode(7)->text(), QStringLiteral("研发群"));
    EXPECT_EQ(page.FindGroupNode(7)->child(0)->text(), QStringLiteral("群内组织"));
    EXPECT_TRUE(page.SelectGroup(7));
    EXPECT_EQ(tree->currentIndex(), page.FindGroupNode(7)->index());
    EXPECT_FALSE(page.SelectGroup(8));

    // Members follow their peers' changes and leave when they go offline.
    HostPtr peer(new HostRecord);
    peer->displayName = QStringLiteral("张三");
    peer->keyText = QStringLiteral("00163E0A0B0C");
    peer->key = HostKey(QStringLiteral("zs"), QStringLiteral("ZS"), 0x0A000001, 2425);
    ASSERT_TRUE(tree->AddMember(7, peer.data()));
    peer->displayName = QStringLiteral("张三丰");
    page.UpdateUserInGroups(peer.data());
    EXPECT_TRUE(page.FindGroupNode(7)->child(0)->child(0)->text().startsWith(QStringLiteral("张三丰(")));
    page.RemoveUserFromGroups(peer.data());
    EXPECT_EQ(page.FindGroupNode(7)->child(0)->rowCount(), 0);

    EXPECT_TRUE(page.RemoveGroup(7));
    EXPECT_FALSE(page.RemoveGroup(7));
    EXPECT_EQ(page.group(7), nullptr);
}

TEST(CMainToolBar, ButtonsByPosition)
{
    EXPECT_EQ(CMainToolBar::ButtonAt(0), 0);
    EXPECT_EQ(CMainToolBar::ButtonAt(49), 1);
    EXPECT_EQ(CMainToolBar::ButtonAt(197), 7);
    EXPECT_EQ(CMainToolBar::ButtonAt(200), -1);
    EXPECT_EQ(CMainToolBar::ButtonAt(-3), -1);
    EXPECT_EQ(CMainToolBar::ToolTipText(1), QStringLiteral("多人群发,可以给多人群发消息"));
    EXPECT_EQ(CMainToolBar::ToolTipText(8), QString());

    CMainToolBar bar;
    EXPECT_EQ(bar.size(), QSize(198, 16));
    QSignalSpy clicked(&bar, &CMainToolBar::buttonClicked);
    QMouseEvent move(QEvent::MouseMove, QPointF(60, 5), QPointF(60, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&bar, &move);
    EXPECT_EQ(bar.hoverIndex(), 2);
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(49, 5), QPointF(49, 5), Qt::LeftButton, Qt::NoButton,
        Qt::NoModifier);
    QCoreApplication::sendEvent(&bar, &up);
    ASSERT_EQ(clicked.size(), 1);
    EXPECT_EQ(clicked[0][0].toInt(), 1);
}

} // namespace

#include "PanelTestUtil.h"
#include "controls/CGfxOutBarCtrl.h"
#include "core/Schedule.h"
#include "core/StatusBits.h"
#include "mainwnd/CMsgTipDlg.h"
#include "mainwnd/CTodayNoteDlg.h"
#include "mainwnd/ReminderClock.h"
#include "mainwnd/CCalendarDlg.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/CTransparencyDlg.h"
#include "mainwnd/PanelTrayMenu.h"
#include "platform/ScriptedPrompter.h"

#include <QAction>
#include <array>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <functional>

namespace {

QString u(const char *s) { return QString::fromUtf8(s); }

// The modal dialog of type T that the next command opens gets handled.
template <typename T> void onModal(const std::function<void(T *)> &handle)
{
    QTimer::singleShot(0, [handle] {
        auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        handle(dialog);
    });
}

TEST(TrayCommands, EveryItemIsCarriedOutAndChecked)
{
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    Panel p;
    QMenu *menu = p.panel->trayMenu();
    emit menu->aboutToShow();
    // The items of this program's own windows are all live now.
    for (int id : { int(TrayMenu::Settings), int(TrayMenu::CustomTreeStyle), int(TrayMenu::Transparency),
             int(TrayMenu::OtherSubnetFriends), int(TrayMenu::MemoList), int(TrayMenu::AutoReplyText),
             int(TrayMenu::TodayNote), int(TrayMenu::OnlineHelp), int(TrayMenu::ViewList), int(TrayMenu::ViewTree),
             33116, 33117, 33123, 33136 })
        EXPECT_TRUE(TrayMenu::Find(menu, id)->isEnabled()) << id;

    // The view style: checked as configured, a second choice does nothing.
    EXPECT_TRUE(TrayMenu::Find(menu, TrayMenu::ViewTree)->isChecked());
    TrayMenu::Find(menu, TrayMenu::ViewList)->trigger();
    EXPECT_EQ(p.config.MembersShowMode, 0);
    emit menu->aboutToShow();
    EXPECT_TRUE(TrayMenu::Find(menu, TrayMenu::ViewList)->isChecked());
    EXPECT_FALSE(TrayMenu::Find(menu, TrayMenu::ViewTree)->isChecked());

    // A scheme from the tray reaches the folder bar.
    TrayMenu::Find(menu, 33120)->trigger();
    EXPECT_EQ(p.config.MainBarFrameColor, 0x8DE2A9u);

    // Transparency through the tray: the main window previews and comes back.
    p.config.MainOpacity = 0;
    p.panel->show();
    onModal<CTransparencyDlg>([&p](CTransparencyDlg *d) {
        d->slider(0)->setValue(40);
        EXPECT_NEAR(p.panel->windowOpacity(), 153 / 255.0, 0.01);
        d->findChild<QPushButton *>(u("2"))->click();
    });
    TrayMenu::Find(menu, TrayMenu::Transparency)->trigger();
    EXPECT_NEAR(p.panel->windowOpacity(), 1.0, 0.01);

    // Today's note: its own window with today's note and reminders, by time.
    const QDate today = QDate::currentDate();
    CCalendarDlg *calendar = p.panel->calendarPage();
    calendar->SetNotes({ { Schedule::DateKey(today), u("交周报") } });
    calendar->SetReminders({ { Schedule::ReminderKey(today, QTime(14, 30)), u("评审") },
        { Schedule::ReminderKey(today, QTime(9, 0)), u("例会") },
        { Schedule::ReminderKey(today.addDays(1), QTime(9, 0)), u("明天") } });
    TrayMenu::Find(menu, TrayMenu::TodayNote)->trigger();
    ASSERT_TRUE(calendar->todayNoteWindow());
    EXPECT_TRUE(calendar->todayNoteWindow()->isVisible());
    EXPECT_EQ(calendar->todayNoteWindow()->text(), u("记事: 交周报\n提醒 09:00:00 例会\n提醒 14:30:00 评审"));
    calendar->todayNoteWindow()->close();

    // The online help without a page address says so.
    p.config.HelpPageURL.clear();
    TrayMenu::Find(menu, TrayMenu::OnlineHelp)->trigger();
    ASSERT_FALSE(prompter.calls().isEmpty());
    EXPECT_EQ(prompter.calls().last().text, u("没有设置联机帮助页面的地址."));
    p.panel->hide();
}

} // namespace

TEST(TrayCommands, EachBasicSwitchIsInTheSettingsFileAtOnce)
{
    Panel p;
    QMenu *menu = p.panel->trayMenu();
    const auto stored = [&p] {
        CConfig c(p.config.StorePath());
        c.Load();
        return std::array<int, 8> { c.StartRun, c.StartAutoMin, c.DbClickAutoMin, c.AutoHideWnd, c.LOGCHECK_STR,
            c.ShowInputStatus, c.NoTice, c.NoTice2 };
    };
    const auto before = stored();
    const uint32_t status = p.config.StatusValue;
    for (int id = 32845; id <= 32854; ++id)
        TrayMenu::Find(menu, id)->trigger();
    const auto after = stored();
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_NE(after[i] != 0, before[i] != 0) << i;
    CConfig c(p.config.StorePath());
    c.Load();
    EXPECT_EQ(c.StatusValue, status ^ (OwnStatus::NoOnlineAnnounce | OwnStatus::NoOfflineAnnounce));
}

TEST(TrayCommands, AStoredReminderShowsInTheCalendarsOwnPopupWhenItsTimeComes)
{
    Panel p;
    CCalendarDlg *calendar = p.panel->calendarPage();
    const QDateTime at(QDate::currentDate().addDays(1), QTime(10, 0, 0));
    calendar->SetReminders({ { Schedule::ReminderKey(at.date(), at.time()), u("<b>例会</b>") },
        { Schedule::ReminderKey(at.date(), QTime(10, 0, 5)), u("评审") },
        { Schedule::ReminderKey(QDate::currentDate().addDays(-1), QTime(10, 0)), u("过去的") } });
    calendar->CheckReminders(at.addSecs(-1));
    EXPECT_FALSE(calendar->reminderPopup()) << "nothing due yet, the past one never";
    calendar->CheckReminders(at);
    ASSERT_TRUE(calendar->reminderPopup());
    EXPECT_TRUE(calendar->reminderPopup()->isVisible());
    EXPECT_NE(calendar->reminderPopup(), p.panel->tipPopup()) << "a popup of its own";
    ASSERT_EQ(calendar->reminderPopup()->notices().count(), 1);
    ASSERT_TRUE(calendar->reminderPopup()->notices().current());
    const TipNotice &shown = calendar->reminderPopup()->notices().current()->notice;
    EXPECT_EQ(shown.title, u("日程安排提醒"));
    EXPECT_TRUE(shown.text.endsWith(u("<b>例会</b>"))) << "as written";
    // Once only; the next comes at its own second.
    calendar->CheckReminders(at.addSecs(4));
    EXPECT_EQ(calendar->reminderPopup()->notices().count(), 1);
    calendar->CheckReminders(at.addSecs(5));
    EXPECT_EQ(calendar->reminderPopup()->notices().count(), 2);
    calendar->reminderPopup()->Close();
}

TEST(ReminderClock, EachReminderOnceAndOnlyWhatTheClockPasses)
{
    const QDateTime start(QDate(2024, 1, 31), QTime(8, 59, 59, 500));
    ReminderClock clock(start);
    QMap<QString, QString> reminders { { u("20240131##08:59:59"), u("before") }, { u("20240131##09:00:00"), u("a") },
        { u("20240131##09:00:01"), u("b") }, { u("20240131##9:00:02"), u("bad key") },
        { u("20240201##00:00:00"), u("next day") } };
    EXPECT_TRUE(clock.Check(reminders, start).isEmpty());
    const auto first = clock.Check(reminders, start.addMSecs(1500)); // 09:00:01.000
    ASSERT_EQ(first.size(), 2);
    EXPECT_EQ(first[0].text, u("a"));
    EXPECT_EQ(first[1].text, u("b"));
    // The clock set back: nothing comes twice when it passes that time again.
    EXPECT_TRUE(clock.Check(reminders, start).isEmpty());
    EXPECT_TRUE(clock.Check(reminders, start.addMSecs(1500)).isEmpty());
    // A jump over midnight brings the missed one, within the bound.
    for (int i = 0; i < ReminderClock::kMaxAtOnce + 5; ++i)
        reminders.insert(Schedule::ReminderKey(QDate(2024, 2, 1), QTime(1, 0, i)), u("many"));
    const auto jumped = clock.Check(reminders, QDateTime(QDate(2024, 2, 1), QTime(2, 0)));
    ASSERT_EQ(jumped.size(), ReminderClock::kMaxAtOnce);
    EXPECT_EQ(jumped[0].text, u("next day"));
    EXPECT_FALSE(ReminderClock::KeyTime(u("20240231##09:00:00")).isValid());
}

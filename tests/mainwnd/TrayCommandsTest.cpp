#include "PanelTestUtil.h"
#include "controls/CGfxOutBarCtrl.h"
#include "core/StatusBits.h"
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

    // Today's note: the calendar folder on today.
    p.panel->hide();
    TrayMenu::Find(menu, TrayMenu::TodayNote)->trigger();
    EXPECT_TRUE(p.panel->isVisible());
    EXPECT_EQ(p.panel->folderBar()->GetSelFolder(), 2);
    EXPECT_EQ(p.panel->calendarPage()->shownDate(), QDate::currentDate());

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

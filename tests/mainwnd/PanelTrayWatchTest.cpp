#include "PanelTestUtil.h"
#include "mainwnd/PanelTrayMenu.h"

#include <QKeyEvent>
#include <QMenu>
#include <QTest>

namespace {

// Enter and Escape that no control takes reach the panel and do nothing:
// the panel hides only by its close box, minimising, the tray and the hot key.
TEST(MainPanelKeys, EnterAndEscapeNeverHideThePanel)
{
    Panel p;
    p.panel->InitPanel(false);
    p.panel->show();
    for (const int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(p.panel.get(), &press);
        EXPECT_TRUE(p.panel->isVisible()) << "key " << key;
        EXPECT_FALSE(p.panel->isHiddenByUser());
    }
    // The buttons' tips show while another window is active.
    EXPECT_TRUE(p.panel->testAttribute(Qt::WA_AlwaysShowToolTips));
}

// The notification area may start after the program and end before it.
TEST(MainPanelTray, TheIconFollowsTheNotificationArea)
{
    Panel p(false);
    p.panel->InitPanel(false);
    EXPECT_FALSE(p.panel->hasTray());
    // A tray that starts later gets the icon; the panel then hides into it.
    p.tray->available = true;
    p.tray->Recheck();
    EXPECT_TRUE(p.tray->isEnabled());
    EXPECT_TRUE(p.panel->hasTray());
    p.panel->close();
    EXPECT_FALSE(p.panel->isVisible());
    EXPECT_FALSE(p.panel->isMinimized());

    // The tray goes away while the panel is in it: minimised, the taskbar
    // brings it back.
    p.tray->available = false;
    p.tray->Recheck();
    EXPECT_FALSE(p.tray->isEnabled());
    EXPECT_TRUE(p.panel->isMinimized());
    EXPECT_TRUE(p.panel->isVisible());
    p.panel->ShowPanel();
    EXPECT_FALSE(p.panel->isMinimized());

    // Gone before the icon looked again: closing minimises all the same.
    p.tray->available = true;
    p.tray->Recheck();
    p.tray->available = false;
    p.panel->close();
    EXPECT_TRUE(p.panel->isMinimized());
    EXPECT_TRUE(p.panel->isVisible());

    // A removed icon stays out of a tray that appears.
    p.tray->Remove();
    p.tray->available = true;
    p.tray->Recheck();
    EXPECT_FALSE(p.tray->isEnabled());
}

} // namespace

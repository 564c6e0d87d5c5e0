#include "PanelTestUtil.h"
#include "controls/CImageButton.h"
#include "mainwnd/CSearchBarDlg.h"
#include "mainwnd/PanelStatusMenu.h"
#include "mainwnd/PanelTrayMenu.h"

namespace {

QString u(const char *s) { return QString::fromUtf8(s); }

TEST(StatusButton, AwayNamesAreTheUsersOwn)
{
    Panel p(true, [](CConfig &c) {
        c.AwayNames[2] = u("开会中(勿扰)");
        c.AwayNames[5] = u("  ");
    });
    CImageButton *button = p.panel->searchStrip()->statusButton();
    p.panel->OnStatusCommand(StatusMenu::FirstAway + 2);
    EXPECT_EQ(button->text(), u("开会中(勿扰)▼"));
    // The tray's away kinds write the same name; a name left blank shows the
    // kind's own text rather than a bare arrow.
    p.panel->OnTrayCommand(TrayMenu::FirstAway + 5);
    EXPECT_EQ(button->text(), u("回家▼"));
    p.config.AwayNames[5] = u("下班了");
    p.panel->OnTrayCommand(TrayMenu::FirstAway + 5);
    EXPECT_EQ(button->text(), u("下班了▼"));
    p.panel->OnStatusCommand(StatusMenu::Hidden);
    EXPECT_EQ(button->text(), u("隐身▼"));
}

} // namespace

#include "platform/CTrayIcon.h"
#include "platform/WindowAlpha.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

TEST(CTrayIcon, DesktopWithoutTrayIsNotEnabled)
{
    // The offscreen platform has no notification area: the icon is kept for
    // later but nothing is shown, and Show changes nothing.
    SystemTrayIcon tray;
    EXPECT_FALSE(tray.isAvailable());
    EXPECT_FALSE(tray.Create(QIcon(), QStringLiteral("Kwel")));
    EXPECT_FALSE(tray.isEnabled());
    tray.Show();
    EXPECT_FALSE(tray.isEnabled());
    EXPECT_EQ(tray.tip(), QStringLiteral("Kwel"));
}

TEST(CTrayIcon, ChangeKeepsWhatIsNotGivenAndCutsLongTips)
{
    FakeTrayIcon tray;
    QPixmap red(16, 16);
    red.fill(Qt::red);
    ASSERT_TRUE(tray.Create(QIcon(red), QStringLiteral("Kwel")));
    tray.Change(QIcon(), QString(70, QLatin1Char('x')));
    EXPECT_FALSE(tray.icon().isNull()) << "a null icon keeps the icon";
    EXPECT_EQ(tray.tip().size(), CTrayIcon::kMaxTipLength);
    tray.Change(QIcon(), QString());
    EXPECT_EQ(tray.tip().size(), CTrayIcon::kMaxTipLength) << "a null tip keeps the tip";

    tray.Remove();
    EXPECT_FALSE(tray.isEnabled());
    tray.Show();
    EXPECT_TRUE(tray.isEnabled());
}

TEST(WindowAlpha, PercentToAlpha)
{
    EXPECT_EQ(WindowAlpha::FromPercent(0), 255);
    EXPECT_EQ(WindowAlpha::FromPercent(50), 128);
    EXPECT_EQ(WindowAlpha::FromPercent(40), 153);
    EXPECT_EQ(WindowAlpha::FromPercent(100), 0);
    EXPECT_EQ(WindowAlpha::FromPercent(-1), 255);
    EXPECT_EQ(WindowAlpha::FromPercent(101), 255);
}

TEST(WindowAlpha, AppliesToTheWindowsOfOneClassOnly)
{
    QWidget main, chat, untagged;
    WindowAlpha::SetKind(&main, WindowAlpha::MainWindow);
    WindowAlpha::SetKind(&chat, WindowAlpha::ChatWindows);
    EXPECT_EQ(WindowAlpha::KindOf(&untagged), -1);

    EXPECT_EQ(WindowAlpha::ApplyToKind(WindowAlpha::ChatWindows, 153), 1);
    EXPECT_NEAR(chat.windowOpacity(), 153 / 255.0, 0.01);
    EXPECT_DOUBLE_EQ(main.windowOpacity(), 1.0);
    EXPECT_DOUBLE_EQ(untagged.windowOpacity(), 1.0);

    // Alphas outside 0..255 count as opaque.
    WindowAlpha::SetLayeredAlpha(&chat, 300);
    EXPECT_DOUBLE_EQ(chat.windowOpacity(), 1.0);
    WindowAlpha::SetLayeredAlpha(&chat, -5);
    EXPECT_DOUBLE_EQ(chat.windowOpacity(), 1.0);
    WindowAlpha::SetLayeredAlpha(nullptr, 10);
}

} // namespace

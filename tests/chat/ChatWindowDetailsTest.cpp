// Details of the chat windows seen through the real windows: the peer band's
// head icon and the font dialog.
#include "LoopbackChat.h"
#include "chat/CChatDlg.h"
#include "chat/ChatFontDialog.h"
#include "chat/ChatFontQt.h"
#include "controls/HeadIcons.h"
#include "core/CConfig.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDialog>
#include <QTimer>

#include <QTest>
#include <gtest/gtest.h>

namespace {

using ChatTest::Side;
using ChatTest::u;

// What the band shows left of the peer's name.
QImage bandIcon(CChatDlg &window)
{
    window.update();
    QCoreApplication::processEvents();
    return window.grab(QRect(4, 39, 16, 16)).toImage();
}

} // namespace

// Every peer, a plain IP Messenger one too, shows by its icon indexes: the
// icon + 1, else the previous icon + 1, else image 1.
TEST(ChatWindowDetails, TheBandShowsThePeersHeadIconByItsIndexes)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    HostRecord *peer = a.peerOf(b);
    ASSERT_NE(peer, nullptr);
    CChatDlg &window = *a.window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    EXPECT_EQ(HeadImageOfIndexes(*peer, HeadIconCount()), peer->headIcon + 1);
    peer->headIcon = 4;
    const QImage extensionPeer = bandIcon(window);
    peer->extension = 0;
    const QImage plainPeer = bandIcon(window);
    EXPECT_EQ(plainPeer, extensionPeer) << "a plain peer's icon is its index + 1 as well";
    peer->headIcon = 6;
    EXPECT_NE(bandIcon(window), plainPeer) << "the band shows the icon";

    // Beyond the list: the previous icon, else image 1.
    peer->headIcon = HeadIconCount() + 5;
    peer->previousHeadIcon = 4;
    EXPECT_EQ(HeadImageOfIndexes(*peer, HeadIconCount()), 5);
    EXPECT_EQ(bandIcon(window), plainPeer);
    peer->previousHeadIcon = -1;
    EXPECT_EQ(HeadImageOfIndexes(*peer, HeadIconCount()), 1);
    EXPECT_EQ(PeerHeadImage(*peer, HeadIconCount()), 0) << "the contact lists keep image 0 for a plain peer";
}

// The font dialog opens at the chat font: the installed family "宋体" stands
// for, the pixel height as points, the weight and italic; OK without a
// change keeps the font.
TEST(ChatWindowDetails, TheFontDialogShowsTheCurrentChatFont)
{
    const ChatFont standard = ChatFont::standard(); // "宋体", height -14, weight 500
    const QFont start = FontDialogStart(standard);
    EXPECT_EQ(start.family(), InstalledFamilyFor(u("宋体")));
    EXPECT_EQ(start.pointSize(), 11) << "14 pixels are 10.5 points";
    EXPECT_EQ(start.weight(), QFont::Medium);
    ChatFont italic = standard;
    italic.height = -16;
    italic.italic = 1;
    italic.weight = 700;
    EXPECT_EQ(FontDialogStart(italic).pointSize(), 12);
    EXPECT_TRUE(FontDialogStart(italic).italic());
    EXPECT_EQ(FontDialogStart(italic).weight(), QFont::Bold);

    Side a(u("a")), b(u("b"));
    a.meet(b);
    CChatDlg &window = *a.window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const ChatFont before = a.config.chatFont;
    QFont shown;
    QTimer::singleShot(100, [&] {
        if (auto *dialog = qobject_cast<ChatFontDialog *>(QApplication::activeModalWidget())) {
            shown = dialog->fonts()->currentFont();
            dialog->accept();
        }
    });
    window.button(ChatCtl::Font)->click();
    EXPECT_EQ(shown.family(), InstalledFamilyFor(before.faceName)) << shown.family().toStdString();
    EXPECT_EQ(shown.pointSize(), 11);
    EXPECT_FALSE(shown.italic());
    const ChatFont after = a.config.chatFont;
    EXPECT_EQ(after.faceName, before.faceName);
    EXPECT_EQ(after.height, before.height);
    EXPECT_EQ(after.weight, before.weight);
    EXPECT_EQ(after.italic, before.italic);

    // Another size is its own pixels: 16 points, 21 pixels.
    QTimer::singleShot(100, [&] {
        if (auto *dialog = qobject_cast<ChatFontDialog *>(QApplication::activeModalWidget())) {
            QFont bigger = dialog->fonts()->currentFont();
            bigger.setPointSize(16);
            dialog->fonts()->setCurrentFont(bigger);
            dialog->accept();
        }
    });
    window.button(ChatCtl::Font)->click();
    EXPECT_EQ(a.config.chatFont.height, -21);
    EXPECT_EQ(a.config.chatFont.faceName, before.faceName);
}

// Details of the chat windows seen through the real windows: the peer band's
// head icon.
#include "LoopbackChat.h"
#include "chat/CChatDlg.h"
#include "controls/HeadIcons.h"

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

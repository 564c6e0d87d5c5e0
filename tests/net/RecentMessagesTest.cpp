#include "net/RecentMessages.h"

#include <gtest/gtest.h>

// A copy is the same sender's message of that number and text. Floods from
// another port of the peer's address and from other addresses push out
// their own messages first; the peer keeps its fair share, its newest last.
TEST(RecentMessages, ASendersMessagesStayWhileOthersFillTheTable)
{
    RecentMessages recent({ 4, 8 });
    constexpr quint32 kPeer = 0x0A000005;
    EXPECT_FALSE(recent.SeenBefore(kPeer, 2425, 100, 7));
    EXPECT_TRUE(recent.SeenBefore(kPeer, 2425, 100, 7));
    EXPECT_FALSE(recent.SeenBefore(kPeer, 2425, 100, 8));
    EXPECT_FALSE(recent.SeenBefore(kPeer, 2426, 100, 7));

    for (quint32 n = 0; n < 50; ++n)
        recent.SeenBefore(kPeer, 2426, 1000 + n, 1);
    EXPECT_EQ(recent.countAt(kPeer), 4);
    EXPECT_TRUE(recent.SeenBefore(kPeer, 2425, 100, 7));
    EXPECT_TRUE(recent.SeenBefore(kPeer, 2425, 100, 8));

    for (quint32 n = 0; n < 100; ++n)
        for (quint32 a = 1; a <= 3; ++a)
            recent.SeenBefore(0x0B000000 + a, 2425, n, 1);
    EXPECT_EQ(recent.count(), 8);
    EXPECT_EQ(recent.countAt(kPeer), 2);
    EXPECT_TRUE(recent.SeenBefore(kPeer, 2425, 100, 8));
    EXPECT_TRUE(recent.SeenBefore(kPeer, 2426, 1049, 1));
}

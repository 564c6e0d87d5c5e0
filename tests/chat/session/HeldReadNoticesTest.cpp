#include "chat/session/HeldReadNotices.h"

#include <gtest/gtest.h>

TEST(HeldReadNotices, KeptPerPeerInOrderAndBoundedInAll)
{
    HeldReadNotices held;
    const QDateTime when = QDateTime::fromSecsSinceEpoch(1000);
    held.Add({ 1, 2425, 10, when });
    held.Add({ 2, 2425, 20, when });
    held.Add({ 1, 2425, 11, when.addSecs(5) });
    held.Add({ 1, 2426, 12, when }); // another port: another peer
    const auto first = held.Take(1, 2425);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].packetNumber, 10u);
    EXPECT_EQ(first[1].packetNumber, 11u);
    EXPECT_EQ(first[1].when, when.addSecs(5)) << "shown with the time it arrived";
    EXPECT_TRUE(held.Take(1, 2425).empty()) << "taken once";
    EXPECT_EQ(held.count(), 2);

    // A flood keeps the newest.
    for (quint32 i = 0; i < HeldReadNotices::kCapacity + 10; ++i)
        held.Add({ 100 + i, 2425, i, when });
    EXPECT_EQ(held.count(), HeldReadNotices::kCapacity);
    EXPECT_TRUE(held.Take(2, 2425).empty()) << "the oldest went";
    EXPECT_EQ(held.Take(100 + HeldReadNotices::kCapacity + 9, 2425).size(), 1u);
}

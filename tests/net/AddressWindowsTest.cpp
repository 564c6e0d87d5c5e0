#include "net/AddressWindows.h"

#include <gtest/gtest.h>

TEST(AddressWindows, AnAmountPerAddressInAPeriodWithABoundedTable)
{
    AddressWindows windows(1000, 2);
    EXPECT_TRUE(windows.Charge(1, 3, 5, 0));
    EXPECT_TRUE(windows.Charge(1, 2, 5, 10));
    EXPECT_FALSE(windows.Charge(1, 1, 5, 20)) << "the cap holds within the period";
    EXPECT_TRUE(windows.Charge(2, 5, 5, 20)) << "another address has its own";
    EXPECT_TRUE(windows.Charge(1, 5, 5, 1000)) << "a new period starts afresh";
    EXPECT_FALSE(windows.Charge(1, 6, 5, 1001)) << "one amount beyond the cap never goes";

    // A full table: the address whose period began first gives way, so
    // addresses that came first never keep a newcomer out.
    EXPECT_TRUE(windows.Charge(3, 5, 5, 1010));
    EXPECT_EQ(windows.size(), 2);
    EXPECT_FALSE(windows.Charge(3, 1, 5, 1011)) << "the newcomer's own bound holds";
    EXPECT_FALSE(windows.Charge(1, 1, 5, 1012)) << "the later period stays";

    // Thousands of forged addresses, each once, then the one they came
    // before: it is answered; the table never grows past its bound.
    AddressWindows flood(1000, 64);
    for (quint32 a = 100; a < 5100; ++a)
        ASSERT_TRUE(flood.Charge(a, 1, 1, 5000 + a / 8));
    EXPECT_EQ(flood.size(), 64);
    EXPECT_TRUE(flood.Charge(7, 1, 1, 5700));
}

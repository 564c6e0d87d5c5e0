#include "net/PeerRateLimiter.h"

#include <gtest/gtest.h>

TEST(PeerRateLimiter, OncePerPeerAndSubjectAndABoundedBudget)
{
    PeerRateLimiter limiter(1000, 2);
    EXPECT_TRUE(limiter.allow(1, 10, 0, 0x7b));
    EXPECT_FALSE(limiter.allow(1, 10, 999, 0x7b));
    EXPECT_TRUE(limiter.allow(1, 10, 999, 0x7d)) << "another subject of the same peer";
    EXPECT_FALSE(limiter.allow(2, 10, 999)) << "the table is full and nothing expired";
    EXPECT_TRUE(limiter.allow(1, 10, 1000, 0x7b));
    EXPECT_TRUE(limiter.allow(2, 10, 2000)) << "expired entries make room";

    // Three events a minute, whoever causes them.
    RateBudget budget(3, 60000);
    EXPECT_TRUE(budget.allow(0));
    EXPECT_TRUE(budget.allow(10));
    EXPECT_TRUE(budget.allow(20));
    EXPECT_FALSE(budget.allow(59999));
    EXPECT_TRUE(budget.allow(60000));
    EXPECT_FALSE(budget.allow(60001));
}

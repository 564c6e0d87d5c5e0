#include "net/UnresolvedSends.h"

#include <gtest/gtest.h>

TEST(UnresolvedSends, BoundedPerAddressAndToAShareOfTheSendBuffer)
{
    UnresolvedSends::Limits limits;
    limits.perAddressBytes = 4 * UnresolvedSends::Charge(100);
    limits.windowMs = 3000;
    limits.shareDivisor = 2;
    limits.addresses = 2;
    UnresolvedSends sends(limits);
    const UnresolvedSends::Socket idle { 0, 1 << 20 };
    // Per address, within the time a neighbour takes to fail.
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(sends.Allow(1, 100, i, false, idle));
    EXPECT_FALSE(sends.Allow(1, 100, 10, false, idle));
    EXPECT_FALSE(sends.Allow(1, 100, 10, true, idle)) << "an echo does not lift the bound per address";
    EXPECT_TRUE(sends.Allow(2, 100, 10, false, idle)) << "another address has its own";
    EXPECT_TRUE(sends.Allow(1, 100, 3000, false, idle)) << "what went has failed or gone by now";

    // All that never echoed together: only while the socket holds less
    // than half its buffer; an address that echoed keeps its own part.
    const UnresolvedSends::Socket half { (1 << 19) - UnresolvedSends::Charge(100) + 1, 1 << 20 };
    EXPECT_FALSE(sends.Allow(2, 100, 20, false, half));
    EXPECT_TRUE(sends.Allow(2, 100, 20, true, half));

    // A full table: the address whose time began first gives way.
    EXPECT_TRUE(sends.Allow(3, 100, 2999, false, idle));
}

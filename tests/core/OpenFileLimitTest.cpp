#include "core/OpenFileLimit.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

// Raising goes up to the hard limit or the cap, whichever is lower, and
// never lowers a soft limit that is already higher.
TEST(OpenFileLimit, RaisesTheSoftLimitUpToTheHardLimitOrTheCap)
{
    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    ASSERT_GE(saved.rlim_max, rlim_t(256));
    rlimit low = saved;
    low.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    EXPECT_EQ(OpenFileLimit(), 64u);

    EXPECT_EQ(RaiseOpenFileLimit(128), 128u);
    EXPECT_EQ(OpenFileLimit(), 128u);
    EXPECT_EQ(RaiseOpenFileLimit(100), 128u); // kept
    const quint64 hard = quint64(saved.rlim_max);
    EXPECT_EQ(RaiseOpenFileLimit(hard + 1000), hard); // the hard limit, no more

    ::setrlimit(RLIMIT_NOFILE, &saved);
}

} // namespace

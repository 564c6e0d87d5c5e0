#include "BenchCommon.h"

#include <gtest/gtest.h>

#include <string>

using namespace Bench;

namespace {

TEST(BenchHarness, MarksHeldAgainstMedianOrWorstAndTheExitCode)
{
    const std::vector<double> values { 3, 1, 9, 2, 4 }; // min 1, median 3, max 9
    {
        Report r;
        r.Figure("median under", values, "", { Mark::AtMost, 3 });
        r.Figure("median over", values, "", { Mark::AtLeast, 3 });
        r.Ratio("ratio", values, { Mark::AtMost, 9, true });
        r.Figure("worst above", values, "", { Mark::AtLeast, 1, true });
        r.Show("no mark", values, "");
        EXPECT_EQ(r.exitCode(), 0);
    }
    // A worst case past its bound is missed though the median keeps it.
    const Mark missed[] = { { Mark::AtMost, 8.9, true }, { Mark::AtLeast, 1.1, true }, { Mark::AtMost, 2.9 },
        { Mark::AtLeast, 3.1 } };
    for (const Mark &mark : missed) {
        Report r;
        r.Figure("kept", values, "", { Mark::AtMost, 100 });
        r.Figure("missed", values, "", mark);
        EXPECT_EQ(r.exitCode(), 1) << mark.kind << " " << mark.bound << " " << mark.worst;
    }
}

TEST(BenchHarness, InterleavedRoundsAndTheirRatios)
{
    std::string order;
    double m = 0, b = 0;
    const Rounds times = Interleave(
        4, [&] { order += 'm'; return m += 2; }, [&] { order += 'b'; return b += 1; }, RatioOf::Times);
    EXPECT_EQ(order, "bmmbbmmb"); // each side first in turn
    EXPECT_EQ(times.measured, (std::vector<double> { 2, 4, 6, 8 }));
    EXPECT_EQ(times.baseline, (std::vector<double> { 1, 2, 3, 4 }));
    EXPECT_EQ(times.ratios, (std::vector<double> { 2, 2, 2, 2 }));
    EXPECT_EQ(RatiosOf(times.measured, times.baseline, RatioOf::Rates), (std::vector<double> { .5, .5, .5, .5 }));
    // Rounds missing on one side are left out rather than read past the end.
    EXPECT_EQ(RatiosOf({ 4, 9 }, { 2 }, RatioOf::Times), (std::vector<double> { 2 }));

    const Spread s = SpreadOf({ 5, 1, 3 });
    EXPECT_EQ(s.min, 1);
    EXPECT_EQ(s.median, 3);
    EXPECT_EQ(s.max, 5);
    EXPECT_EQ(SpreadOf({}).max, 0); // a benchmark without rounds prints zeros, no crash
}

TEST(BenchHarness, RoundCountFromTheEnvironment)
{
    qunsetenv("KWEL_BENCH_ROUNDS");
    EXPECT_EQ(RoundCount(5), 5);
    qputenv("KWEL_BENCH_ROUNDS", "3");
    EXPECT_EQ(RoundCount(5), 3);
    for (const char *bad : { "0", "-2", "many" }) {
        qputenv("KWEL_BENCH_ROUNDS", bad);
        EXPECT_EQ(RoundCount(5), 5) << bad;
    }
    qunsetenv("KWEL_BENCH_ROUNDS");
}

TEST(BenchHarness, HeapFigureFollowsWhatIsHeld)
{
#ifdef KWEL_SANITIZED
    GTEST_SKIP() << "the sanitizer's allocator keeps its own books";
#endif
    // A large block comes from its own mapping, not from the heap's arena:
    // it counts all the same.
    const double before = heapBytes();
    std::vector<char> held(8 << 20, 'k');
    const double during = heapBytes();
    held = {};
    held.shrink_to_fit();
    EXPECT_GE(during - before, double(8 << 20));
    EXPECT_LT(heapBytes() - before, double(1 << 20));
}

} // namespace

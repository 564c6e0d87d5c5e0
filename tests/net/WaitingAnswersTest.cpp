#include "net/WaitingAnswers.h"

#include <gtest/gtest.h>

// A request that waits for a challenge of its own is released by the echo of
// that number only: the echoes of the numbers its address got for other
// requests (forged in its name) leave it waiting.
TEST(WaitingAnswers, AnEchoReleasesOnlyTheRequestOfItsNumber)
{
    WaitingAnswers waiting(8, 4);
    QObject context;
    QList<int> ran;
    const auto add = [&](quint32 address, quint32 number, int id) {
        waiting.Add({ address, 100, &context, [&ran, id] { ran.append(id); }, number });
    };
    add(1, 11, 1);
    add(1, 12, 2);
    add(2, 11, 3);
    EXPECT_TRUE(waiting.TakeEcho(1, 13).empty()) << "a number never sent";
    EXPECT_TRUE(waiting.TakeEcho(3, 11).empty()) << "the number from another address";
    for (const WaitingAnswers::Answer &a : waiting.TakeEcho(1, 12))
        a.run();
    EXPECT_EQ(ran, QList<int>({ 2 }));
    EXPECT_TRUE(waiting.TakeEcho(1, 12).empty()) << "each echo once";
    EXPECT_EQ(waiting.countOf(1), 1);
    EXPECT_EQ(waiting.Expire(100), (std::vector<quint32> { 1, 2 }));
}

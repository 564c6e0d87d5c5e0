#include "net/GuessLimiter.h"

#include <gtest/gtest.h>

TEST(GuessLimiter, AFewWrongGuessesThenSilenceForAWhile)
{
    GuessLimiter::Limits limits;
    limits.tries = 3;
    limits.periodMs = 60000;
    limits.silenceMs = 300000;
    limits.addresses = 2;
    GuessLimiter guesses(limits);
    constexpr quint32 a = 1, b = 2, c = 3;

    // Guesses spread wider than the period never silence.
    EXPECT_FALSE(guesses.Wrong(a, 0));
    EXPECT_FALSE(guesses.Wrong(a, 30000));
    EXPECT_FALSE(guesses.Wrong(a, 61000));
    EXPECT_FALSE(guesses.IsSilenced(a, 61000));
    EXPECT_TRUE(guesses.Wrong(a, 62000)) << "three within the period";
    EXPECT_TRUE(guesses.IsSilenced(a, 62000));
    EXPECT_TRUE(guesses.IsSilenced(a, 361999));
    EXPECT_FALSE(guesses.IsSilenced(a, 362000));
    EXPECT_FALSE(guesses.IsSilenced(b, 62000)) << "one address's guesses silence only it";

    // A full table never silences an address it has not counted: the one
    // that guessed least recently gives way to it.
    EXPECT_FALSE(guesses.Wrong(a, 362000)) << "the silence over, guesses count again";
    EXPECT_FALSE(guesses.Wrong(b, 362100));
    EXPECT_FALSE(guesses.IsSilenced(c, 362200));
    EXPECT_FALSE(guesses.Wrong(c, 362200));
    EXPECT_FALSE(guesses.Wrong(c, 362300));
    EXPECT_TRUE(guesses.Wrong(c, 362400)) << "the newcomer's own guesses count";
    EXPECT_FALSE(guesses.Wrong(b, 362500)) << "b stayed: its second guess";
    EXPECT_TRUE(guesses.Wrong(b, 362600));
    EXPECT_TRUE(guesses.IsSilenced(c, 362600));
}

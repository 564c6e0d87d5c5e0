#include "net/GuessLimiter.h"

#include <gtest/gtest.h>

TEST(GuessLimiter, WrongGuessesAreCheckedAtARateNeverLocked)
{
    GuessLimiter::Limits limits;
    limits.tries = 3;
    limits.tryMs = 5000;
    limits.addresses = 2;
    GuessLimiter guesses(limits);
    constexpr quint32 a = 1, b = 2, c = 3;

    // Guesses at the rate, one a try, never silence.
    for (qint64 t = 0; t <= 60000; t += 5000)
        EXPECT_FALSE(guesses.Wrong(a, t)) << t;
    EXPECT_FALSE(guesses.IsSilenced(a, 60000));

    // A few at once, then nothing until the next check is back: a few
    // seconds, however many came while none was left.
    EXPECT_FALSE(guesses.Wrong(b, 100000));
    EXPECT_FALSE(guesses.Wrong(b, 100100));
    EXPECT_TRUE(guesses.Wrong(b, 100200)) << "the third took the last check";
    EXPECT_TRUE(guesses.IsSilenced(b, 100200));
    for (qint64 t = 100300; t < 105000; t += 100)
        EXPECT_FALSE(guesses.Wrong(b, t)) << "one while silenced is not counted";
    EXPECT_TRUE(guesses.IsSilenced(b, 104999));
    EXPECT_FALSE(guesses.IsSilenced(b, 105000)) << "a check is back one try after the first";
    EXPECT_TRUE(guesses.Wrong(b, 105000)) << "and a wrong guess takes it";
    EXPECT_FALSE(guesses.IsSilenced(b, 110000));
    EXPECT_FALSE(guesses.IsSilenced(a, 105000)) << "one address's guesses silence only it";

    // A full table never silences an address it has not counted: the one
    // that guessed least recently gives way to it.
    EXPECT_FALSE(guesses.Wrong(a, 200000));
    EXPECT_FALSE(guesses.Wrong(b, 200100));
    EXPECT_FALSE(guesses.IsSilenced(c, 200200));
    EXPECT_FALSE(guesses.Wrong(c, 200200)) << "a gives way";
    EXPECT_FALSE(guesses.Wrong(b, 200300));
    EXPECT_TRUE(guesses.Wrong(b, 200400)) << "b stayed: its first guess still counts";
    EXPECT_FALSE(guesses.Wrong(c, 200500));
    EXPECT_TRUE(guesses.Wrong(c, 200600)) << "the newcomer's own guesses count";
    EXPECT_TRUE(guesses.IsSilenced(b, 200600));
}

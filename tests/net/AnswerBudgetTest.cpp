#include "net/AnswerBudget.h"
#include "net/WaitingAnswers.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {
constexpr quint32 kVictim = 0x0A000005; // 10.0.0.5
constexpr quint32 kOther = 0x0A000006;
using V = AnswerBudget::Verdict;

// Proves the address at nowMs.
void prove(AnswerBudget &budget, quint32 address, qint64 nowMs)
{
    ASSERT_TRUE(budget.Echo(address, budget.Challenge(address, nowMs).value_or(0), nowMs));
}
} // namespace

TEST(AnswerBudget, TwiceWhatArrivedUntilTheAddressEchoesItsChallenge)
{
    AnswerBudget budget;
    EXPECT_EQ(budget.Spend(kVictim, 1, 0), V::NoCredit) << "nothing arrived from it";

    // Every port of the address feeds the same credit: 100 bytes buy 200.
    budget.Received(kVictim, 60, 0);
    budget.Received(kVictim, 40, 1);
    EXPECT_EQ(budget.Spend(kVictim, 150, 2), V::Allowed);
    EXPECT_EQ(budget.Spend(kVictim, 51, 3), V::NoCredit) << "one byte over the rest";
    EXPECT_EQ(budget.Spend(kVictim, 50, 3), V::Allowed);
    EXPECT_EQ(budget.Spend(kOther, 1, 3), V::NoCredit) << "credit belongs to its address";

    // Saved-up credit is capped.
    budget.Received(kOther, PeerBounds::kAnswerCreditBytes * 10, 4);
    EXPECT_EQ(budget.credit(kOther), PeerBounds::kAnswerCreditBytes);

    // A wrong or late echo proves nothing; an open challenge does, the one
    // sent before the latest too (its echo may be on the way).
    const auto first = budget.Challenge(kVictim, 10);
    EXPECT_TRUE(budget.ChallengePending(kVictim, 10 + PeerBounds::kChallengeRepeatMs - 1)) << "on its way";
    EXPECT_FALSE(budget.ChallengePending(kVictim, 10 + PeerBounds::kChallengeRepeatMs));
    const auto second = budget.Challenge(kVictim, 11);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second) << "each challenge is a new number";
    EXPECT_FALSE(budget.Echo(kVictim, *second + 1, 12));
    EXPECT_FALSE(budget.Echo(kOther, *second, 12)) << "echoed from another address";
    EXPECT_FALSE(budget.IsProven(kVictim, 12));
    EXPECT_TRUE(budget.Echo(kVictim, *first, 13));
    EXPECT_FALSE(budget.Echo(kVictim, *second, 14)) << "a challenge is used once";
    EXPECT_TRUE(budget.IsProven(kVictim, 14));
    EXPECT_FALSE(budget.IsProven(kVictim, 13 + PeerBounds::kReceiverProvenMs)) << "proof lasts a while";

    const auto late = budget.Challenge(kOther, 100, 2425);
    ASSERT_TRUE(late);
    // A request from another port of the address while the challenge is on
    // its way gets the same number (the first port may be a forger's), once
    // per change of port.
    EXPECT_FALSE(budget.ChallengeAnotherPort(kOther, 2425, 101));
    EXPECT_EQ(budget.ChallengeAnotherPort(kOther, 40000, 101), late);
    EXPECT_FALSE(budget.ChallengeAnotherPort(kOther, 40000, 102));
    EXPECT_FALSE(budget.ChallengeAnotherPort(kOther, 40001, 100 + PeerBounds::kChallengeRepeatMs))
        << "past its second a new challenge goes";
    EXPECT_FALSE(budget.Echo(kOther, *late, 100 + PeerBounds::kChallengeMs));

    // A challenge the budget kept from going is not on its way: nothing is
    // to wait for it, and the next request challenges anew.
    constexpr quint32 kThird = 0x0A000007;
    quint32 lost = 0;
    EXPECT_FALSE(budget.Challenge(kThird, 200, 2425, [&](quint32 n) { return lost = n, false; }));
    EXPECT_NE(lost, 0u);
    EXPECT_FALSE(budget.ChallengePending(kThird, 201));
    EXPECT_FALSE(budget.Echo(kThird, lost, 201));
    const auto sent = budget.Challenge(kThird, 202, 2425, [](quint32) { return true; });
    ASSERT_TRUE(sent);
    EXPECT_TRUE(budget.ChallengePending(kThird, 203));
    EXPECT_TRUE(budget.Echo(kThird, *sent, 203));

    // Loopback never comes from a wire.
    EXPECT_TRUE(budget.IsProven(0x7F000001, 0));
    EXPECT_EQ(budget.Spend(0x7F000001, 1 << 20, 200), V::Allowed);
}

// A receipt, an echo or an entry answer no larger than the packet it answers
// cannot amplify: it never waits on the budget, and only what exceeds the
// packet is charged.
TEST(AnswerBudget, WhatExceedsThePacketAnsweredIsCharged)
{
    AnswerBudget::Limits limits;
    limits.bytesPerSecond = 1000;
    AnswerBudget budget(limits);
    EXPECT_EQ(budget.Spend(kVictim, 80, 0, 80), V::Allowed) << "free, even from an address never heard of";
    budget.Received(kVictim, 30, 0); // 60 of credit
    EXPECT_EQ(budget.Spend(kVictim, 100, 0, 30), V::NoCredit) << "70 over the packet, 60 of credit";
    EXPECT_EQ(budget.Spend(kVictim, 90, 0, 30), V::Allowed);
    EXPECT_EQ(budget.credit(kVictim), 0);
    EXPECT_EQ(budget.Spend(kVictim, 30, 0, 30), V::Allowed) << "no credit left, and none needed";

    // The second's budget is spent: only free answers go.
    budget.Received(kOther, 10000, 0);
    EXPECT_EQ(budget.Spend(kOther, 1100, 0), V::Allowed);
    EXPECT_EQ(budget.Spend(kOther, 10, 1), V::AllBusy);
    EXPECT_EQ(budget.Spend(kOther, 10, 1, 10), V::Allowed);
}

// An address that proved itself may still be forged by others: its answers
// stay within three times what came from it (four with the free ones),
// whatever the time between, so a slow trickle buys no more than a flood.
// The answers its echo released (it asked for them) leave its part as it was.
TEST(AnswerBudget, AProvenAddressGetsThreeTimesWhatCameAtATrickleToo)
{
    AnswerBudget::Limits limits;
    limits.creditBytes = 1000;
    limits.bytesPerSecond = 100000;
    AnswerBudget budget(limits);
    budget.Received(kVictim, 10, 0);
    prove(budget, kVictim, 0);
    EXPECT_EQ(budget.credit(kVictim), 20) << "no credit for the echo itself";
    budget.BeginRelease(kVictim);
    EXPECT_EQ(budget.Spend(kVictim, 3000, 1), V::Allowed) << "the answers the echo released";
    EXPECT_EQ(budget.Spend(kVictim, 2000, 1), V::Allowed);
    EXPECT_EQ(budget.Spend(kOther, 1, 1), V::NoCredit) << "only that address's";
    budget.EndRelease();
    EXPECT_EQ(budget.credit(kVictim), 20);
    EXPECT_EQ(budget.Spend(kVictim, 21, 2), V::NoCredit);

    // A trickle: a byte every 10 s for ten minutes buys three times its bytes.
    qint64 now = 2;
    for (int i = 0; i < 60; ++i, now += 10000)
        budget.Received(kVictim, 1, now);
    EXPECT_EQ(budget.Spend(kVictim, 20 + 181, now), V::NoCredit);
    EXPECT_EQ(budget.Spend(kVictim, 20 + 180, now), V::Allowed);
    budget.Received(kVictim, 10000, now);
    EXPECT_EQ(budget.credit(kVictim), 1000) << "saved up at most the cap";

    // Once the proof lapses, it is charged as any address again.
    const qint64 lapsed = PeerBounds::kReceiverProvenMs + 1;
    budget.Received(kOther, 10, 0);
    prove(budget, kOther, 0);
    budget.Received(kOther, 10, lapsed);
    EXPECT_FALSE(budget.IsProven(kOther, lapsed));
    EXPECT_EQ(budget.Spend(kOther, 21, lapsed), V::NoCredit);
    EXPECT_EQ(budget.Spend(kOther, 20, lapsed), V::Allowed);
}

TEST(AnswerBudget, AllAnswersShareOneBudgetASecondAndTheTableIsBounded)
{
    AnswerBudget::Limits limits;
    limits.bytesPerSecond = 1000;
    limits.addresses = 3;
    AnswerBudget budget(limits);
    budget.Received(kVictim, 10000, 0);
    budget.Received(kOther, 10000, 0);
    // One answer may overdraw the second; the next waits until it is paid.
    EXPECT_EQ(budget.Spend(kVictim, 1500, 0), V::Allowed);
    EXPECT_EQ(budget.Spend(kOther, 1, 100), V::AllBusy);
    EXPECT_EQ(budget.Spend(kOther, 1, 600), V::Allowed) << "refilled at 1000 bytes a second";

    // When full, the address heard from longest ago that never proved
    // itself gives way: a newcomer always finds room.
    constexpr quint32 kThird = 0x0A000007, kFourth = 0x0A000008, kFifth = 0x0A000009;
    budget.Received(kThird, 100, 700);
    budget.Received(kVictim, 1, 701); // heard again: now the latest
    budget.Received(kFourth, 100, 702);
    EXPECT_EQ(budget.addressCount(), 3);
    EXPECT_EQ(budget.credit(kOther), 0) << "the one heard from longest ago went";
    EXPECT_EQ(budget.credit(kFourth), 200);
    EXPECT_GT(budget.credit(kVictim), 0);

    // A proven address stays while unproven ones come and go.
    prove(budget, kFourth, 800);
    for (quint32 forged = 0x0B000000; forged < 0x0B000100; ++forged)
        budget.Received(forged, 1, 900);
    EXPECT_EQ(budget.addressCount(), 3);
    EXPECT_TRUE(budget.IsProven(kFourth, 900));
    budget.Received(kFifth, 100, 901);
    EXPECT_EQ(budget.credit(kFifth), 200);

    // Only when all are proven is a newcomer refused (until a proof lapses).
    prove(budget, kFifth, 902);
    prove(budget, 0x0B0000FF, 903);
    EXPECT_FALSE(budget.Challenge(kThird, 904));
    EXPECT_TRUE(budget.Challenge(kThird, 802 + PeerBounds::kReceiverProvenMs));
}

// Remembering an address takes constant time: 200,000 forged addresses
// through a full table cost about 25 times as much as 8,000 that fit it (a
// sweep of the table for each newcomer would cost thousands of times more).
TEST(AnswerBudget, AFloodOfAddressesCostsConstantTimeEach)
{
    const auto run = [](quint32 count) {
        AnswerBudget budget;
        QElapsedTimer clock;
        clock.start();
        for (quint32 i = 0; i < count; ++i)
            budget.Received(0x0A000000u + i, 1, qint64(i / 16));
        EXPECT_EQ(budget.addressCount(), std::min<qsizetype>(count, PeerBounds::kAnswerAddresses));
        return clock.nsecsElapsed();
    };
    run(8000); // warm
    const qint64 small = run(8000);
    const qint64 large = run(200000);
    EXPECT_LT(large, small * 150) << "25 times the addresses";
}

// Addresses that never echo cannot keep a newcomer's answer out: the one
// that holds the most gives up its oldest.
TEST(WaitingAnswers, ANewAnswerAlwaysFindsAPlace)
{
    WaitingAnswers waiting(4, 2);
    QObject context;
    int ran = 0;
    const auto add = [&](quint32 address, qint64 until) {
        return waiting.Add({ address, until, &context, [&ran, address] { ran += int(address); } });
    };
    EXPECT_FALSE(add(1, 10));
    EXPECT_FALSE(add(1, 11));
    EXPECT_EQ(add(1, 12), 1u) << "its own oldest gives way beyond its share";
    EXPECT_EQ(waiting.countOf(1), 2);
    EXPECT_FALSE(add(2, 13));
    EXPECT_FALSE(add(3, 14));
    EXPECT_EQ(add(4, 15), 1u) << "full: the address holding the most";
    EXPECT_EQ(add(5, 16), 1u);
    EXPECT_EQ(add(6, 17), 2u) << "a tie: the oldest answer's address";
    EXPECT_EQ(waiting.size(), 4);
    EXPECT_EQ(waiting.NextDue(), 14);

    // An echo runs the address's answers; time drops the rest as refused,
    // and those whose context went without a word.
    for (const WaitingAnswers::Answer &a : waiting.Take(4))
        a.run();
    EXPECT_EQ(ran, 4);
    {
        QObject gone;
        waiting.Add({ 7, 18, &gone, [] {} });
    }
    EXPECT_EQ(waiting.Expire(15), (std::vector<quint32> { 3 }));
    EXPECT_EQ(waiting.size(), 2);
    EXPECT_EQ(waiting.Expire(100), (std::vector<quint32> { 5, 6 }));
    EXPECT_FALSE(waiting.NextDue());
}

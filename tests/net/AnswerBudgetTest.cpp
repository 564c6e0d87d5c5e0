#include "net/AnswerBudget.h"

#include <gtest/gtest.h>

namespace {
constexpr quint32 kVictim = 0x0A000005; // 10.0.0.5
constexpr quint32 kOther = 0x0A000006;
} // namespace

TEST(AnswerBudget, TwiceWhatArrivedUntilTheAddressEchoesItsChallenge)
{
    AnswerBudget budget;
    using V = AnswerBudget::Verdict;
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

    // A wrong or late echo proves nothing; the open challenge does.
    const auto challenge = budget.Challenge(kVictim, 10);
    ASSERT_TRUE(challenge);
    EXPECT_FALSE(budget.Challenge(kVictim, 11)) << "one open challenge per address";
    EXPECT_EQ(budget.OpenChallenge(kVictim, 11), challenge) << "the same number goes again on a retry";
    EXPECT_FALSE(budget.Echo(kVictim, *challenge + 1, 12));
    EXPECT_FALSE(budget.Echo(kOther, *challenge, 12)) << "echoed from another address";
    EXPECT_FALSE(budget.IsProven(kVictim, 12));
    EXPECT_TRUE(budget.Echo(kVictim, *challenge, 13));
    EXPECT_FALSE(budget.Echo(kVictim, *challenge, 14)) << "a challenge is used once";
    EXPECT_FALSE(budget.OpenChallenge(kVictim, 14));
    EXPECT_EQ(budget.Spend(kVictim, 100000, 15), V::Allowed) << "a proven address has no ratio";
    EXPECT_FALSE(budget.IsProven(kVictim, 13 + PeerBounds::kReceiverProvenMs)) << "proof lasts a while";

    const auto late = budget.Challenge(kOther, 100);
    ASSERT_TRUE(late);
    EXPECT_FALSE(budget.OpenChallenge(kOther, 100 + PeerBounds::kChallengeMs));
    EXPECT_FALSE(budget.Echo(kOther, *late, 100 + PeerBounds::kChallengeMs));

    // Loopback never comes from a wire.
    EXPECT_TRUE(budget.IsProven(0x7F000001, 0));
}

TEST(AnswerBudget, AllAnswersShareOneBudgetASecondAndTheTableIsBounded)
{
    AnswerBudget::Limits limits;
    limits.bytesPerSecond = 1000;
    limits.addresses = 2;
    limits.forgetMs = 500;
    AnswerBudget budget(limits);
    using V = AnswerBudget::Verdict;
    budget.Received(kVictim, 10000, 0);
    budget.Received(kOther, 10000, 0);
    // One answer may overdraw the second; the next waits until it is paid.
    EXPECT_EQ(budget.Spend(kVictim, 1500, 0), V::Allowed);
    EXPECT_EQ(budget.Spend(kOther, 1, 100), V::AllBusy);
    EXPECT_EQ(budget.Spend(kOther, 1, 600), V::Allowed) << "refilled at 1000 bytes a second";

    // A third address finds no room until one is forgotten.
    constexpr quint32 kThird = 0x0A000007;
    budget.Received(kThird, 100, 100);
    EXPECT_EQ(budget.credit(kThird), 0);
    EXPECT_FALSE(budget.Challenge(kThird, 100));
    budget.Received(kThird, 100, 700);
    EXPECT_EQ(budget.credit(kThird), 200);
    EXPECT_EQ(budget.addressCount(), 1);
}

#include "chat/session/NetworkWindows.h"

#include "net/PeerBounds.h"

#include <gtest/gtest.h>

namespace {

using Grant = NetworkWindows::Grant;
constexpr qint64 kMinute = PeerBounds::kNetworkWindowsPeriodMs;

// A clock and a host table for the windows: peers are listed in turn.
struct Network
{
    NetworkWindows windows;
    qint64 now = 100000;
    quint64 listed = 0;

    NetworkWindows::Asker list(quint32 address)
    {
        windows.NoteListed(++listed, now);
        return { address, listed, QString(), false };
    }
    Grant ask(const NetworkWindows::Asker &asker, qint64 after = 0)
    {
        now += after;
        return windows.Allow(asker, now);
    }
    // A new identity on its own address, listed and asking at once, every
    // `pace` milliseconds: how many of `count` got a window.
    int flood(int count, qint64 pace, quint32 firstAddress)
    {
        int granted = 0;
        for (int i = 0; i < count; ++i) {
            now += pace;
            granted += ask(list(firstAddress + quint32(i))) != Grant::Refused;
        }
        return granted;
    }
};

} // namespace

// New identities use up the network's allowance; a peer listed before them
// still gets its window, again after each one it closed, while the flood
// goes on for ten minutes (its identities age, and stay strangers).
TEST(NetworkWindows, AFloodOfNewIdentitiesNeverRefusesAPeerListedBeforeIt)
{
    Network net;
    const auto listed = net.list(0x0A000001);
    net.now += 5000;
    EXPECT_EQ(net.flood(PeerBounds::kNetworkWindowsPerMinute, 100, 0x0A010000), PeerBounds::kNetworkWindowsPerMinute);
    const quint64 firstOfFlood = listed.listedOrder + 1;
    for (int minute = 0; minute < 10; ++minute) {
        // Twice the allowance a minute.
        EXPECT_LE(net.flood(2 * PeerBounds::kNetworkWindowsPerMinute, 1500, 0x0A020000 + quint32(minute) * 100),
            PeerBounds::kNetworkWindowsPerMinute)
            << "minute " << minute;
        EXPECT_NE(net.ask(listed, 100), Grant::Refused) << "minute " << minute;
        EXPECT_EQ(net.windows.earlierBound(), listed.listedOrder) << "minute " << minute;
    }
    // The allowance used up at this moment (what room there was, taken).
    net.flood(PeerBounds::kNetworkWindowsPerMinute, 0, 0x0A030000);
    // The flood's identities, listed long ago now, are still strangers.
    EXPECT_EQ(net.ask({ 0x0A010000, firstOfFlood, QString(), false }), Grant::Refused);
    // The listed peer's windows in a minute: up to its address's bound.
    int opened = 0;
    for (int i = 0; i < 3 * PeerBounds::kEarlierWindowsPerAddress; ++i)
        opened += net.ask(listed) == Grant::Earlier;
    EXPECT_EQ(opened, PeerBounds::kEarlierWindowsPerAddress - 1);
}

// A peer listed in the same bucket as the flood's first windows is not an
// earlier one; a peer the user talked with is, whenever it was listed, and
// has an allowance of its own before both.
TEST(NetworkWindows, TalkedWithPeersHaveTheirOwnWindowWhenListedDuringTheFlood)
{
    Network net;
    net.now = 10 * NetworkWindows::kListedBucketMs; // a bucket's start
    auto late = net.list(0x0A000002);
    EXPECT_EQ(net.flood(PeerBounds::kNetworkWindowsPerMinute, 1, 0x0A010000), PeerBounds::kNetworkWindowsPerMinute);
    EXPECT_EQ(net.ask(late, 1000), Grant::Refused) << "listed with the flood";
    late.talkedWith = true;
    late.key = QStringLiteral("00112233aabb");
    EXPECT_EQ(net.ask(late, 1000), Grant::Own);
    // Others claiming the same key share it.
    NetworkWindows::Asker claim = net.list(0x0A000003);
    claim.talkedWith = true;
    claim.key = late.key;
    // Within the own interval: the earlier peers' allowance, ranked first.
    EXPECT_EQ(net.ask(claim, 1000), Grant::Earlier);
    EXPECT_EQ(net.ask(late, PeerBounds::kOwnPeerWindowIntervalMs), Grant::Own);
}

// A forger's patient identities: listed before the flood, they are earlier
// peers too. Each address gets only its bound; they refuse no peer listed
// before them however many there are, and all of them open at most
// kEarlierWindowsMax a minute, in whatever order they ask.
TEST(NetworkWindows, IdentitiesListedBeforeTheFloodAreBoundedAndRefuseNoOlderPeer)
{
    Network net;
    const auto old = net.list(0x0A000001);
    std::vector<NetworkWindows::Asker> patient;
    for (quint32 i = 0; i < 200; ++i)
        patient.push_back(net.list(0x0A100000 + i / 2)); // two identities an address
    net.now += kMinute;
    EXPECT_EQ(net.flood(PeerBounds::kNetworkWindowsPerMinute, 10, 0x0A010000), PeerBounds::kNetworkWindowsPerMinute);
    // Latest listed first, so that none sees the others' windows as ranked
    // before its own.
    int opened = 0;
    for (auto it = patient.rbegin(); it != patient.rend(); ++it)
        opened += net.ask(*it, 10) == Grant::Earlier;
    EXPECT_EQ(opened, PeerBounds::kEarlierWindowsMax);
    // Only the bound of all shuts out the oldest peer, not their ranks: in
    // the next spell, asking in listed order, they give way to it.
    net.now += kMinute;
    EXPECT_EQ(net.flood(PeerBounds::kNetworkWindowsPerMinute, 10, 0x0A030000), PeerBounds::kNetworkWindowsPerMinute);
    opened = 0;
    for (const auto &asker : patient)
        opened += net.ask(asker, 10) == Grant::Earlier;
    EXPECT_EQ(opened, PeerBounds::kEarlierWindowsPerMinute);
    EXPECT_EQ(net.ask(old, 10), Grant::Earlier);
    // One address asking again: its bound.
    opened = 0;
    for (int i = 0; i < 3 * PeerBounds::kEarlierWindowsPerAddress; ++i)
        opened += net.ask(old, 10) == Grant::Earlier;
    EXPECT_EQ(opened, PeerBounds::kEarlierWindowsPerAddress - 1);
}

// After a quiet period the spell is over and the allowance is whole again;
// the next spell takes the peers listed until its own flood as earlier ones.
TEST(NetworkWindows, TheSpellEndsAfterAQuietPeriod)
{
    Network net;
    const auto before = net.list(0x0A000008);
    net.now += 1000;
    EXPECT_EQ(net.flood(PeerBounds::kNetworkWindowsPerMinute + 5, 10, 0x0A010000), PeerBounds::kNetworkWindowsPerMinute);
    EXPECT_EQ(net.windows.earlierBound(), before.listedOrder);
    net.now += kMinute;
    const auto between = net.list(0x0A000009);
    net.now += 1000;
    EXPECT_EQ(net.flood(PeerBounds::kNetworkWindowsPerMinute + 5, 10, 0x0A020000), PeerBounds::kNetworkWindowsPerMinute);
    EXPECT_EQ(net.windows.earlierBound(), between.listedOrder);
    EXPECT_EQ(net.ask(between, 10), Grant::Earlier);
}

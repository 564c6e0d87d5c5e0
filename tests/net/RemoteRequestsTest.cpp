// The program's request states: one request of a kind at a time, owned by
// the conversation that made it; the peers a shake went to.
#include "net/Commands.h"
#include "net/RemoteRequests.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <memory>

namespace {

using Kind = RemoteRequests::Kind;

TEST(RemoteRequests, OneRequestOfAKindOwnedByItsConversation)
{
    RemoteRequests requests;
    QSignalSpy changed(&requests, &RemoteRequests::changed);
    auto owner = std::make_unique<QObject>();
    QObject other;
    EXPECT_EQ(requests.state(Kind::Voice), 0);

    requests.Start(Kind::Voice, owner.get());
    EXPECT_EQ(requests.state(Kind::Voice), int(CMD_VOICE_REQUEST));
    EXPECT_TRUE(requests.isOwner(Kind::Voice, owner.get()));
    EXPECT_FALSE(requests.isOwner(Kind::Voice, &other));
    EXPECT_FALSE(requests.isConfirmed(Kind::Voice));
    EXPECT_EQ(requests.state(Kind::Assistance), 0) << "kinds are independent";
    requests.Confirm(Kind::Voice);
    EXPECT_TRUE(requests.isConfirmed(Kind::Voice));

    requests.Start(Kind::Control, owner.get());
    EXPECT_EQ(requests.state(Kind::Control), int(CMD_CONTROL_REQUEST));
    // A conversation that goes takes its requests with it.
    owner.reset();
    EXPECT_EQ(requests.state(Kind::Voice), 0);
    EXPECT_EQ(requests.state(Kind::Control), 0);
    EXPECT_FALSE(requests.isConfirmed(Kind::Voice));

    requests.Start(Kind::Assistance, &other);
    requests.Reset(Kind::Assistance);
    EXPECT_EQ(requests.state(Kind::Assistance), 0);
    EXPECT_GE(changed.size(), 4);

    // Stopping voice ends the session and both voice states.
    QSignalSpy stop(&requests, &RemoteRequests::voiceStopRequested);
    requests.Start(Kind::Voice, &other);
    requests.setVoiceSession(true);
    requests.StopVoice();
    EXPECT_EQ(stop.size(), 1);
    EXPECT_FALSE(requests.voiceSession());
    EXPECT_EQ(requests.state(Kind::Voice), 0);
}

TEST(RemoteRequests, AShakeAnswerIsTakenOnceFromAShakenPeer)
{
    RemoteRequests requests;
    requests.AddShakenPeer(QStringLiteral(" 00163E0A0B01 "));
    requests.AddShakenPeer(QStringLiteral("   ")); // no key: nothing to take an answer from
    EXPECT_FALSE(requests.TakeShakenPeer(QStringLiteral("00163E0A0B02")));
    EXPECT_FALSE(requests.TakeShakenPeer(QString()));
    EXPECT_TRUE(requests.TakeShakenPeer(QStringLiteral("00163E0A0B01")));
    EXPECT_FALSE(requests.TakeShakenPeer(QStringLiteral("00163E0A0B01")));

    EXPECT_TRUE(requests.hasVoiceDevice()) << "without a check";
    requests.setVoiceDeviceCheck([] { return false; });
    EXPECT_FALSE(requests.hasVoiceDevice());
}

} // namespace

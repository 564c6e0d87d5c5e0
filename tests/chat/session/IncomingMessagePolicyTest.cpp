#include "chat/session/IncomingMessagePolicy.h"

#include "TestEnv.h"
#include "core/CConfig.h"
#include "net/HostRecord.h"

#include <gtest/gtest.h>

TEST(IncomingMessagePolicy, TheSendersGroupOverridesTheSystemSwitches)
{
    CConfig config(TestEnv::freshDir(QStringLiteral("policy")) + QStringLiteral("/kwel.ini"));
    config.StopRubbish = 1;
    config.NOPOPUPCHECK_STR = 0;
    config.NOBEEP_STR = 0;
    config.SOUNDFILE_STR = QStringLiteral("/sounds/ding.wav");
    HostRecord peer;
    peer.customGroup = QStringLiteral("同事");

    IncomingMessagePolicy p = IncomingMessagePolicy::For(config, peer);
    EXPECT_TRUE(p.applySpamRules);
    EXPECT_FALSE(p.tipOnly);
    EXPECT_TRUE(p.sound);
    EXPECT_EQ(p.soundFile, config.SOUNDFILE_STR);

    UserGroupRecord group;
    group.name = QStringLiteral("同事");
    group.spamCustom = 1; // spam rules off for colleagues
    group.tipOnlyCustom = 1;
    group.tipOnly = 1;
    group.soundCustom = 1;
    group.sound = 1; // mirrors "no beep"
    config.MemberGroups.append(group);
    config.RebuildGroupIndex();
    p = IncomingMessagePolicy::For(config, peer);
    EXPECT_FALSE(p.applySpamRules);
    EXPECT_TRUE(p.tipOnly);
    EXPECT_FALSE(p.sound);

    peer.customGroup = QStringLiteral("我的好友");
    EXPECT_TRUE(IncomingMessagePolicy::For(config, peer).applySpamRules) << "other groups keep the system switches";
}

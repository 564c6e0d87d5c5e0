#include "core/ConfigRecords.h"

#include <gtest/gtest.h>

namespace {

TEST(ConfigRecords, NewUserGroupDefaults)
{
    const UserGroupRecord r = InitUserGroupRecord();
    EXPECT_TRUE(r.name.isEmpty());
    EXPECT_TRUE(r.soundFile.isEmpty());
    EXPECT_EQ(r.collapsed, 1u);
    EXPECT_EQ(r.secondFlag, 1u);
    for (size_t i = 2; i < UserGroupRecord::Numbers.size(); ++i)
        EXPECT_EQ(r.*UserGroupRecord::Numbers[i], 0u) << i;
}

TEST(ConfigRecords, UserGroupTextRoundTrip)
{
    UserGroupRecord r = InitUserGroupRecord(QStringLiteral("同事#~$#100%"));
    for (size_t i = 0; i < UserGroupRecord::Numbers.size(); ++i)
        r.*UserGroupRecord::Numbers[i] = uint32_t(i * 7 + 1);
    r.visibleWhenHidden = 1;
    r.sortWord = 8 + 3;
    r.soundFile = QStringLiteral("/home/u/声音#1.wav");
    const QString text = r.toText();
    // one separator between each of the 32 fields, none from the texts
    EXPECT_EQ(text.count(QLatin1String("#~$#")), UserGroupRecord::FieldCount - 1);
    EXPECT_TRUE(text.startsWith(QStringLiteral("同事%23~$%23100%25#~$#1#~$#8#~$#")));
    const auto back = UserGroupRecord::fromText(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, r);
    EXPECT_EQ(back->sortKind(), 3);
    EXPECT_TRUE(back->sortDescending());
}

TEST(ConfigRecords, UserGroupTextIsReadLeniently)
{
    // Only a name: the new-record values.
    auto r = UserGroupRecord::fromText(QStringLiteral("朋友"));
    ASSERT_TRUE(r);
    EXPECT_EQ(*r, InitUserGroupRecord(QStringLiteral("朋友")));
    // Unreadable numbers keep their defaults, readable ones are taken.
    r = UserGroupRecord::fromText(QStringLiteral("A#~$#x#~$#0#~$#-1#~$#99999999999#~$#1"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->collapsed, 1u);
    EXPECT_EQ(r->secondFlag, 0u);
    EXPECT_EQ(r->memberCount, 0u);
    EXPECT_EQ(r->sortWord, 0u);
    EXPECT_EQ(r->assistCustom, 1u);
    // No name, no record; an over-long name is cut on a character boundary.
    EXPECT_FALSE(UserGroupRecord::fromText(QString()));
    EXPECT_FALSE(UserGroupRecord::fromText(QStringLiteral("  #~$#1")));
    r = UserGroupRecord::fromText(QString(30, QChar(0x4E2D)));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->name, QString(24, QChar(0x4E2D)));
    // A sound file path that does not fit its field is dropped, not cut.
    UserGroupRecord longPath = InitUserGroupRecord(QStringLiteral("B"));
    longPath.soundFile = QString(300, QLatin1Char('a'));
    EXPECT_TRUE(UserGroupRecord::fromText(longPath.toText())->soundFile.isEmpty());
}

TEST(ConfigRecords, SpamRuleTextRoundTrip)
{
    SpamRuleRecord r;
    r.keyword = QStringLiteral("广告#~$#");
    r.scope = 2;
    r.matchMode = 1;
    r.fileCondition = 2;
    r.action = 3;
    r.replyText = QStringLiteral("请勿发送 %d 广告");
    EXPECT_EQ(SpamRuleRecord::fromText(r.toText()), r);
    r.replyText.clear();
    EXPECT_EQ(SpamRuleRecord::fromText(r.toText()), r);

    EXPECT_FALSE(SpamRuleRecord::fromText(QStringLiteral("kw#~$#0#~$#0#~$#0#~$#0")));
    EXPECT_FALSE(SpamRuleRecord::fromText(QStringLiteral("kw#~$#0#~$#zero#~$#0#~$#0#~$#")));
}

} // namespace

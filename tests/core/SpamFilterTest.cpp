#include "core/SpamFilter.h"

#include <gtest/gtest.h>

namespace {

QString u(const char *s) { return QString::fromUtf8(s); }

SpamRuleRecord rule(const char *keyword, int scope, int match, int files, int action)
{
    SpamRuleRecord r;
    r.keyword = u(keyword);
    r.scope = scope;
    r.matchMode = match;
    r.fileCondition = files;
    r.action = action;
    return r;
}

TEST(SpamFilter, RulesActInOrderWithinScopeAndFileCondition)
{
    const QList<SpamRuleRecord> rules = {
        rule("广告", 1, 1, 0, 0), // multi-send only
        rule("广告", 2, 1, 2, 1), // one-to-one with files only
        rule("你好", 0, 0, 0, 3), // equality
        rule("hello", 0, 1, 0, 7), // matches but does not block: decides "show"
        rule("hello world", 0, 1, 0, 0),
    };
    EXPECT_EQ(FindBlockingRule(rules, {u("看广告"), true, false}), 0);
    EXPECT_EQ(FindBlockingRule(rules, {u("看广告"), false, false}), -1) << "scope 1 never blocks one-to-one";
    EXPECT_EQ(FindBlockingRule(rules, {u("看广告"), false, true}), 1);
    EXPECT_EQ(FindBlockingRule(rules, {u("你好"), false, false}), 2);
    EXPECT_EQ(FindBlockingRule(rules, {u("你好吗"), false, false}), -1) << "equality, not containment";
    EXPECT_EQ(FindBlockingRule(rules, {u("hello world"), false, false}), -1) << "the first match decides";
    EXPECT_EQ(FindBlockingRule({}, {u("x"), false, false}), -1);
    EXPECT_TRUE(SpamActionTips(2) && SpamActionTips(3) && !SpamActionTips(1));
    EXPECT_TRUE(SpamActionLogs(1) && SpamActionLogs(3) && !SpamActionLogs(2));
}

TEST(SpamFilter, NoticeTexts)
{
    EXPECT_EQ(FormatMessageTipText(u("老李"), u("pc1"), true, u("hi"), {}),
        u("发送人:老李(pc1)\r\n发送内容(多人发送):hi\r\n"));
    EXPECT_EQ(FormatMessageTipText(u("老李"), u("pc1"), false, u("hi"), {{u("a.txt"), false}, {u("docs"), true}}),
        u("发送人:老李(pc1)\r\n发送文件数:2(个)\r\n发送内容:hi\r\n--发送的文件名为:--\r\n1 文件 a.txt\r\n2 文件夹 docs\r\n\r\n"));
    EXPECT_EQ(FormatBlockedFilesLog({{u("docs"), true}}),
        u("------屏蔽接收的文件名为:------\r\n1\t文件夹\tdocs\r\n\r\n"));
    EXPECT_EQ(FormatOfferNotice(u("老李"), 3, u("10:20:30"), true),
        u("老李 给您发送了 3 个文件(夹),请在右侧接收.时间 10:20:30. (多人发送)"));
    // Place markers in a nick stay as written.
    EXPECT_EQ(FormatOfferNotice(u("Bob%1"), 12, u("12:00:00"), false),
        u("Bob%1 给您发送了 12 个文件(夹),请在右侧接收.时间 12:00:00."));
}

} // namespace

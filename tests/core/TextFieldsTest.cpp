#include "core/TextFields.h"
#include "core/AnsiText.h"
#include "core/Gbk.h"
#include "core/Password.h"

#include <gtest/gtest.h>

namespace {

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}
// Double-byte characters whose trail bytes are '|' and '\'.
const QByteArray kBar("\xc1\x7c");
const QByteArray kBackslash("\x81\x5c");

TEST(TextFields, DelimitedFieldsOnTextAndGbkBytes)
{
    const QString memo = u("张三#~$#财务#~$##~$#");
    EXPECT_EQ(GetDelimitedFields(memo, u"#~$#", 0, 1), u("张三"));
    EXPECT_EQ(GetDelimitedFields(memo, u"#~$#", 1, 2), u("财务"));
    EXPECT_EQ(GetDelimitedFields(memo, u"#~$#", 2, 3), QString());
    EXPECT_EQ(GetDelimitedFields(memo, u"#~$#", 1, -1), u("财务#~$##~$#"));
    EXPECT_FALSE(GetDelimitedFields(memo, u"#~$#", 4, -1));
    EXPECT_FALSE(GetDelimitedFields(memo, u"#~$#", 2, 1));
    EXPECT_FALSE(GetDelimitedFields(memo, u"", 0, 1));

    const QByteArray bytes = kBar + "|b|" + kBackslash;
    EXPECT_EQ(GetDelimitedFields(bytes, "|", 0, 1), kBar);
    EXPECT_EQ(GetDelimitedFields(bytes, "|", 1, 2), QByteArray("b"));
    EXPECT_EQ(GetDelimitedFields(bytes, "|", 2, -1), kBackslash);
    EXPECT_EQ(GetDelimitedFields(QByteArray(kBackslash + "\\x"), "\\", 1, -1), QByteArray("x"));
}

TEST(TextFields, SplitNextTokenWalksWithCallerPosition)
{
    QByteArray header("1:a::b:1f:");
    ReplaceDoubleColons(header);
    EXPECT_EQ(header, QByteArray("1:a;b:1f:"));
    qsizetype pos = 0;
    EXPECT_EQ(SplitNextToken(header, ':', pos), QByteArray("1"));
    EXPECT_EQ(SplitNextToken(header, ':', pos), QByteArray("a;b"));
    EXPECT_EQ(SplitNextToken(header, ':', pos), QByteArray("1f"));
    EXPECT_FALSE(SplitNextToken(header, ':', pos));

    const QByteArray gbk = "\\\\" + kBackslash + "\\x\\\\y";
    pos = 0;
    EXPECT_EQ(SplitNextToken(gbk, '\\', pos), kBackslash); // leading separators skipped
    EXPECT_EQ(SplitNextToken(gbk, '\\', pos), QByteArray("x"));
    EXPECT_EQ(SplitNextToken(gbk, '\0', pos), QByteArray("\\y")); // separator 0: the rest
    EXPECT_FALSE(SplitNextToken(gbk, '\\', pos));
    pos = 99;
    EXPECT_FALSE(SplitNextToken(gbk, '\\', pos));

    QString text = u("a:::b");
    ReplaceDoubleColons(text);
    EXPECT_EQ(text, u("a;:b"));
}

TEST(TextFields, SplitStringKeepsInnerEmptyPieces)
{
    EXPECT_EQ(SplitString(u"a|| b ||||c||", u"||", true), QStringList({ u("a"), u("b"), QString(), u("c") }));
    EXPECT_EQ(SplitString(u"a|| b ", u"||", false), QStringList({ u("a"), u(" b ") }));
    EXPECT_TRUE(SplitString(u"", u"||", false).isEmpty());
    EXPECT_EQ(SplitString(u"abc", u"", false), QStringList({ u("abc") }));
    // C1 7C 7C 7C: the first '|' belongs to the character.
    EXPECT_EQ(SplitString(QByteArray(kBar + "||x"), "||", false), QList<QByteArray>({ kBar, "x" }));
    EXPECT_EQ(SplitString(QByteArray(kBar + kBar + "|| y "), "||", true),
        QList<QByteArray>({ QByteArray(kBar + kBar), "y" }));
}

TEST(AnsiText, CopyStringBoundedNeverSplitsACharacter)
{
    char buf[8];
    memset(buf, 'Z', sizeof buf);
    EXPECT_EQ(CopyStringBounded(buf, 4, QByteArray("ab" + kBar)), 2); // 3 bytes fit, but not the whole character
    EXPECT_STREQ(buf, "ab");
    EXPECT_EQ(buf[4], 'Z');
    EXPECT_EQ(CopyStringBounded(buf, 5, QByteArray("ab" + kBar)), 4);
    EXPECT_EQ(QByteArray(buf), QByteArray("ab" + kBar));
    EXPECT_EQ(CopyStringBounded(buf, 1, "abc"), 0);
    EXPECT_EQ(buf[0], '\0');
    buf[0] = 'Q';
    EXPECT_EQ(CopyStringBounded(buf, 0, "abc"), 0);
    EXPECT_EQ(buf[0], 'Q');
    EXPECT_EQ(CopyStringBounded(buf, 8, QByteArrayView("ab\0cd", 5)), 2);

    EXPECT_EQ(CopyStringBounded(QByteArray(kBar + kBar), 4), kBar);
    EXPECT_EQ(CopyStringBounded(u"我的好友", 5), u("我的"));
    EXPECT_EQ(CopyStringBounded(u"我的好友", 4), u("我"));
}

TEST(AnsiText, DoubleByteDetectionAndUtf8)
{
    EXPECT_FALSE(HasDoubleByteChars(QByteArrayView("plain ascii")));
    EXPECT_FALSE(HasDoubleByteChars(QByteArrayView("\x80"))); // the euro sign is one byte
    EXPECT_TRUE(HasDoubleByteChars(QByteArrayView(kBackslash))); // lead byte below 0xA1
    EXPECT_TRUE(HasDoubleByteChars(u"好"));
    EXPECT_FALSE(HasDoubleByteChars(u"€ab"));
    EXPECT_EQ(Utf8ToAnsiString(QByteArrayView("宋体 A")), QByteArray("\xcb\xce\xcc\xe5 A"));
}

TEST(Password, ScrambledFormAndVerification)
{
    EXPECT_EQ(ScramblePassword(QByteArrayView("abc")), QByteArray("\x1e\x1d\x1c"));
    const QByteArray stored = ScramblePassword(u"abc");
    EXPECT_TRUE(VerifyScrambledPassword(u"abc", stored));
    EXPECT_FALSE(VerifyScrambledPassword(u"abd", stored));
    EXPECT_FALSE(VerifyScrambledPassword(u"ab", stored));
    EXPECT_TRUE(VerifyScrambledPassword(u"", QByteArray()));
    // As it stands in its 50-byte field.
    EXPECT_TRUE(VerifyScrambledPassword(u"abc", QByteArray(stored + QByteArray(47, '\0'))));
    // Bytes of 0x80 and above lose their high bit: only scrambling the typed
    // text verifies them.
    const QByteArray chinese = ScramblePassword(u"密码1");
    EXPECT_EQ(chinese.size(), Gbk::encode(u"密码1").size());
    EXPECT_TRUE(VerifyScrambledPassword(u"密码1", chinese));
    EXPECT_FALSE(VerifyScrambledPassword(u"密码2", chinese));
    // A byte with all low seven bits set scrambles to the terminator.
    EXPECT_EQ(ScramblePassword(QByteArrayView("a\x7f"
                                              "b")),
        QByteArray("\x1e"));
}

} // namespace

#include "core/Gbk.h"

#include <gtest/gtest.h>

namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }
QByteArray b(const char *bytes) { return QByteArray(bytes); }

TEST(Gbk, RoundTripsChineseText)
{
    const QString text = u("宋体 我的好友 Kwel程序已在运行");
    const QByteArray bytes = Gbk::encode(text);
    EXPECT_EQ(bytes.left(4), b("\xcb\xce\xcc\xe5"));
    EXPECT_EQ(Gbk::byteLength(text), bytes.size());
    EXPECT_EQ(Gbk::decode(bytes), text);
}

TEST(Gbk, CodePage936Specifics)
{
    // 0x80 is the euro sign in code page 936; characters outside GBK become '?'.
    EXPECT_EQ(Gbk::encode(u("€")), b("\x80"));
    EXPECT_EQ(Gbk::decode(b("\x80")), u("€"));
    EXPECT_EQ(Gbk::encode(u("a😀b")), b("a?b"));
    EXPECT_EQ(Gbk::byteLength(u("a😀b")), 3);
}

// What GBK cannot carry is named before anything is sent: emoji (beyond the
// Basic Multilingual Plane), characters GBK lacks or would write as another
// one, lone surrogates; each named once, in order, and taken out whole.
TEST(Gbk, NamesTheCharactersItCannotCarry)
{
    EXPECT_EQ(Gbk::uncarried(u("李四 abc €·、")), QString());
    EXPECT_EQ(Gbk::withoutUncarried(u("李四 abc")), u("李四 abc"));
    const QString text = u("emoji😀李四<b>%1😀…한👍");
    EXPECT_EQ(Gbk::uncarried(text), u("😀한👍"));
    EXPECT_EQ(Gbk::withoutUncarried(text), u("emoji李四<b>%1…"));
    const QString lone = QString(u("a")) + QChar(0xD83D) + u("b") + QChar(0xDE00);
    EXPECT_EQ(Gbk::uncarried(lone).size(), 2);
    EXPECT_EQ(Gbk::withoutUncarried(lone), u("ab"));
    // Whatever is left goes through GBK unchanged.
    for (const QString &sample : { text, lone, u("\u00e9\u0101\u30fb\u2022\u00a0\ufffd") }) {
        const QString kept = Gbk::withoutUncarried(sample);
        EXPECT_EQ(Gbk::decode(Gbk::encode(kept)), kept) << sample.toStdString();
        EXPECT_TRUE(Gbk::uncarried(kept).isEmpty());
    }
}

// Pasted layout is kept as the user meant it, not taken out: a no-break or
// thin space is a space, a line or paragraph separator the line break the
// place asks for; the ideographic space GBK has stays itself, and only what
// GBK still cannot carry is named.
TEST(Gbk, LayoutCharactersBecomeTheirPlainForms)
{
    EXPECT_EQ(Gbk::plainLayout(u("下午\u00a03点\u2028第二行\u2029第三段\u2009\u202f!\u3000"), u"\r\n"),
        u("下午 3点\r\n第二行\r\n第三段  !\u3000"));
    EXPECT_EQ(Gbk::plainLayout(u("\u2029a"), u" "), u(" a"));
    const Gbk::Kept kept = Gbk::keepCarried(u("\u00a0下午😀\u2028b"), u"\n");
    EXPECT_EQ(kept.text, u(" 下午\nb"));
    EXPECT_EQ(kept.refused, u("😀"));
    EXPECT_EQ(Gbk::decode(Gbk::encode(kept.text)), kept.text);
    EXPECT_TRUE(Gbk::keepCarried(u("a\u00a0b\u2029"), u"\n").refused.isEmpty());
}

TEST(Gbk, TrailBytesThatLookLikeAscii)
{
    // 0x5C ('\') and 0x7C ('|') are valid trail bytes: they must never be
    // taken for separators inside a character.
    const QByteArray withBackslash = b("\x81\x5c");  // 丗
    const QByteArray withBar = b("\x81\x7c");        // 亅-range character with trail '|'
    EXPECT_EQ(Gbk::decode(withBackslash).size(), 1);
    EXPECT_EQ(Gbk::decode(withBar).size(), 1);
    EXPECT_FALSE(Gbk::decode(withBackslash).contains(QLatin1Char('\\')));
    EXPECT_FALSE(Gbk::decode(withBar).contains(QLatin1Char('|')));
    EXPECT_EQ(Gbk::encode(Gbk::decode(withBackslash)), withBackslash);
    EXPECT_EQ(Gbk::encode(Gbk::decode(withBar)), withBar);
    EXPECT_EQ(Gbk::charBoundary(b("a\x81\x5c"), 2), 1);
    EXPECT_EQ(Gbk::sortKey(Gbk::decode(b("\xc1\x5c")), true), b("\xc1\x5c"));
}

TEST(Gbk, LenientDecodeKeepsEverythingVisible)
{
    // A lead byte followed by a byte that cannot trail, and a lead byte at the end.
    const QString s = Gbk::decode(b("A\x81\x7f" "B\xcb"));
    EXPECT_TRUE(s.startsWith(QLatin1Char('A')));
    EXPECT_TRUE(s.contains(QLatin1Char('B')));
    EXPECT_TRUE(s.contains(QChar(0x7f)));
    EXPECT_TRUE(s.endsWith(QChar::ReplacementCharacter));
    EXPECT_EQ(Gbk::decode(QByteArray()), QString());
    // Control bytes survive (scrambled passwords are made of them).
    const QByteArray controls("\x01\x1f\x7f\x3e", 4);
    EXPECT_EQ(Gbk::encode(Gbk::decode(controls)), controls);
}

TEST(Gbk, DecodeFieldStopsAtNul)
{
    const QByteArray field("\xd7\xd4\xbc\xba\0garbage", 12);
    EXPECT_EQ(Gbk::decodeField(field), u("自己"));
    EXPECT_EQ(Gbk::decodeField(QByteArray("\0x", 2)), QString());
}

TEST(Gbk, CutsOnCharacterBoundaries)
{
    const QByteArray bytes = Gbk::encode(u("ab我的c"));  // a b [2] [2] c = 7 bytes
    ASSERT_EQ(bytes.size(), 7);
    EXPECT_EQ(Gbk::charBoundary(bytes, 0), 0);
    EXPECT_EQ(Gbk::charBoundary(bytes, 3), 2);
    EXPECT_EQ(Gbk::charBoundary(bytes, 4), 4);
    EXPECT_EQ(Gbk::charBoundary(bytes, 5), 4);
    EXPECT_EQ(Gbk::charBoundary(bytes, 100), 7);
    EXPECT_EQ(Gbk::cutBytes(bytes, 5), Gbk::encode(u("ab我")));
    // A lone lead byte at the end counts as one byte.
    EXPECT_EQ(Gbk::charBoundary(b("a\xcb"), 2), 2);
}

TEST(Gbk, TruncateToByteBudget)
{
    EXPECT_EQ(Gbk::truncate(u("我的好友"), 5), u("我的"));
    EXPECT_EQ(Gbk::truncate(u("我的好友"), 8), u("我的好友"));
    EXPECT_EQ(Gbk::truncate(u("abc"), 0), QString());
    EXPECT_EQ(Gbk::truncate(u("a€b"), 2), u("a€"));
    // A surrogate pair is one '?' on the wire and is never split.
    EXPECT_EQ(Gbk::truncate(u("x😀y"), 2), u("x😀"));
    const QString fifty = Gbk::truncate(QString(60, QChar(0x6211)), 49);
    EXPECT_EQ(fifty.size(), 24);
    EXPECT_LE(Gbk::byteLength(fifty), 49);
}

TEST(Gbk, SortKeyFollowsGbkOrder)
{
    // Common characters are in pinyin order in GBK: 阿 (a) < 波 (bo) < 张 (zhang).
    EXPECT_LT(Gbk::sortKey(u("阿")), Gbk::sortKey(u("波")));
    EXPECT_LT(Gbk::sortKey(u("波")), Gbk::sortKey(u("张三")));
    EXPECT_LT(Gbk::sortKey(u("Zed")), Gbk::sortKey(u("阿")));
    EXPECT_LT(Gbk::sortKey(u("Zed")), Gbk::sortKey(u("abc")));
    EXPECT_GT(Gbk::sortKey(u("Zed"), true), Gbk::sortKey(u("abc"), true));
}

} // namespace

#include "core/ChatFont.h"
#include "core/Gbk.h"

#include <gtest/gtest.h>

namespace {

TEST(ChatFont, StandardBlockIsByteExact)
{
    const QByteArray b = ChatFont::standard().toBytes();
    ASSERT_EQ(b.size(), 64);
    // height -14, width 0, escapement 0, orientation 0, weight 500, little-endian
    EXPECT_EQ(b.left(20),
        QByteArray::fromHex("f2ffffff"
                            "00000000"
                            "00000000"
                            "00000000"
                            "f4010000"));
    // italic, underline, strike-out, charset 134, out 0, clip 16, quality 0, pitch 0x20
    EXPECT_EQ(b.mid(20, 8), QByteArray::fromHex("0000008600100020"));
    // "宋体" in GBK, NUL-padded to 32 bytes, then the colour 0
    EXPECT_EQ(b.mid(28, 4), QByteArray("\xcb\xce\xcc\xe5"));
    EXPECT_EQ(b.mid(32, 28), QByteArray(28, '\0'));
    EXPECT_EQ(b.mid(60, 4), QByteArray(4, '\0'));
}

TEST(ChatFont, RoundTripAndFieldLimits)
{
    ChatFont f;
    f.height = -20;
    f.width = 7;
    f.escapement = -900;
    f.orientation = 900;
    f.weight = 700;
    f.italic = 1;
    f.underline = 255;
    f.strikeOut = 1;
    f.charSet = 0;
    f.quality = 5;
    f.color = 0x00C0FFEE;
    f.faceName = QStringLiteral("微软雅黑");
    const auto back = ChatFont::fromBytes(f.toBytes());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, f);
    EXPECT_FALSE(back->sameFont(ChatFont::standard(), false));

    // A face name longer than 31 GBK bytes is cut on a character boundary.
    f.faceName = QString(20, QChar(0x5B8B)); // 40 bytes of "宋"
    const QByteArray b = f.toBytes();
    EXPECT_EQ(b.size(), 64);
    EXPECT_EQ(b[28 + 31], '\0');
    EXPECT_EQ(ChatFont::fromBytes(b)->faceName, QString(15, QChar(0x5B8B)));

    // Only a block of exactly 64 bytes is read; a face name without its
    // terminator ends at the field.
    EXPECT_FALSE(ChatFont::fromBytes(b.left(63)));
    EXPECT_FALSE(ChatFont::fromBytes(QByteArray(b + 'x')));
    QByteArray full = ChatFont::standard().toBytes();
    full.replace(28, 32, QByteArray(32, 'A'));
    EXPECT_EQ(ChatFont::fromBytes(full)->faceName, QString(32, QLatin1Char('A')));

    // The colour counts only when asked for.
    ChatFont red = ChatFont::standard();
    red.color = 0xFF;
    EXPECT_TRUE(IsSameChatFont(red, ChatFont::standard(), false));
    EXPECT_FALSE(IsSameChatFont(red, ChatFont::standard(), true));
}

} // namespace

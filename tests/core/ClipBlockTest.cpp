#include "core/ClipBlock.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QByteArray u32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

ClipBlockStatus decode(const QByteArray &bytes, MessageClipBlock &block)
{
    return decodeMessageClipBlock(bytes, block);
}

MessageClipBlock sample()
{
    MessageClipBlock block;
    block.text = QStringLiteral("看/:)/~#>000003e8<B~/~#>000003e9<G~");
    block.pictures = { { 1000, QByteArrayLiteral("DIBDATA") }, { 1001, {} } };
    return block;
}

} // namespace

TEST(ClipBlock, LayoutAndRoundTrip)
{
    const QByteArray bytes = encodeMessageClipBlock(sample());
    // "看" is two GBK bytes; L counts the NUL.
    const QByteArray text = QByteArrayLiteral("\xBF\xB4/:)/~#>000003e8<B~/~#>000003e9<G~");
    const QByteArray expected = u32(quint32(text.size() + 1)) + text + QByteArray(1, '\0') + u32(2) + u32(1000) + u32(7)
        + QByteArrayLiteral("DIBDATA") + u32(1001) + u32(0);
    EXPECT_EQ(bytes, expected);

    MessageClipBlock back;
    ASSERT_EQ(decode(bytes, back), ClipBlockStatus::Ok);
    EXPECT_EQ(back.text, sample().text);
    ASSERT_EQ(back.pictures.size(), 2);
    EXPECT_EQ(back.dibOf(1000), QByteArrayLiteral("DIBDATA"));
    EXPECT_TRUE(back.dibOf(1001).isEmpty());
    EXPECT_TRUE(back.dibOf(5).isEmpty());

    // The Windows clipboard may hand over a block rounded up in size.
    ASSERT_EQ(decode(bytes + QByteArray(16, '\0'), back), ClipBlockStatus::Ok);
    EXPECT_EQ(back.pictures.size(), 2);
}

TEST(ClipBlock, RefusesMalformedBlocks)
{
    const QByteArray good = encodeMessageClipBlock(sample());
    MessageClipBlock block;
    for (qsizetype n = 0; n < good.size(); ++n) {
        EXPECT_NE(decode(good.left(n), block), ClipBlockStatus::Ok) << n;
        EXPECT_TRUE(block.text.isEmpty() && block.pictures.isEmpty());
    }
    // L of 7000 or more pastes no text at all.
    EXPECT_EQ(decode(u32(7000) + QByteArray(7000, 'a') + u32(0), block), ClipBlockStatus::TextTooLong);
    EXPECT_EQ(decode(u32(6999) + QByteArray(6998, 'a') + QByteArray(1, '\0') + u32(0), block), ClipBlockStatus::Ok);
    EXPECT_EQ(block.text.size(), 6998);
    // L beyond the block, a count that cannot fit, a size that runs past the end.
    EXPECT_EQ(decode(u32(50) + QByteArrayLiteral("ab"), block), ClipBlockStatus::Truncated);
    EXPECT_EQ(decode(u32(1) + QByteArray(1, '\0') + u32(0xFFFFFFFF) + u32(1) + u32(0), block),
        ClipBlockStatus::BadPictureCount);
    EXPECT_EQ(decode(u32(1) + QByteArray(1, '\0') + u32(1) + u32(1) + u32(0xFFFFFFF0) + QByteArrayLiteral("xy"), block),
        ClipBlockStatus::BadPictureSize);
    // A text without its NUL ends at the block's L.
    ASSERT_EQ(decode(u32(2) + QByteArrayLiteral("ab") + u32(0), block), ClipBlockStatus::Ok);
    EXPECT_EQ(block.text, u"ab");
}

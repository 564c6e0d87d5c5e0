#include "core/FontBlock.h"

#include <gtest/gtest.h>

namespace {

QString u(const char *s) { return QString::fromUtf8(s); }

TEST(FontBlock, StandardFontAndRoundTrip)
{
    EXPECT_EQ(FormatFontPrefix(ChatFont::standard()), u("{/font;-14 0 0 0 500 0 0 0 134 0 16 0 32 宋体 0;}"));

    ChatFont f;
    f.height = -20;
    f.weight = 700;
    f.italic = 255;
    f.faceName = u("微软雅黑");
    f.color = 0x000000FF;
    QString text = u("  你好/~#>000003e8<B~") + FormatFontPrefix(f) + QLatin1Char('\n');
    const ChatFont read = ParseFontPrefix(text);
    EXPECT_EQ(read, f);
    EXPECT_EQ(text, u("  你好/~#>000003e8<B~\n"));
}

TEST(FontBlock, TextsWithoutABlockKeepTheirContent)
{
    for (const char *raw : {"  plain text\n", "  {/font;-14 0 0 0 500 0 0 0 134 0 16 0 32 x 0;} typed\n", ""}) {
        QString text = u(raw);
        EXPECT_EQ(ParseFontPrefix(text), ChatFont::standard());
        EXPECT_EQ(text, u(raw));
    }
}

TEST(FontBlock, TypedBlockBeforeTheRealOneStaysInTheMessage)
{
    ChatFont f;
    f.color = 0x00FF00;
    QString text = u("  see {/font; here") + FormatFontPrefix(f) + QLatin1Char('\n');
    EXPECT_EQ(ParseFontPrefix(text).color, 0x00FF00u);
    EXPECT_EQ(text, u("  see {/font; here\n"));
}

TEST(FontBlock, FaceNamesWithBlanksAndShortOrOddBlocks)
{
    ChatFont f;
    f.faceName = QStringLiteral("Courier New");
    f.color = 0x123456;
    QString text = u("x") + FormatFontPrefix(f) + QLatin1Char('\n');
    const ChatFont read = ParseFontPrefix(text);
    EXPECT_EQ(read.faceName, QStringLiteral("Courier New"));
    EXPECT_EQ(read.color, 0x123456u);

    // Fields the block does not reach keep the standard values; byte fields
    // keep their low byte; a colour written as a negative %ld reads back.
    QString shortBlock = u("x{/font;-30 0 0 0 300;}\n");
    const ChatFont partial = ParseFontPrefix(shortBlock);
    EXPECT_EQ(partial.height, -30);
    EXPECT_EQ(partial.weight, 300);
    EXPECT_EQ(partial.charSet, 134);
    EXPECT_EQ(partial.faceName, u("宋体"));
    EXPECT_EQ(shortBlock, u("x\n"));

    QString odd = u("{/font;1 2 3 4 5 257 0 0 134 0 16 0 32 ") + QString(40, QLatin1Char('W')) + u(" -1;}\n");
    const ChatFont wide = ParseFontPrefix(odd);
    EXPECT_EQ(wide.italic, 1);
    EXPECT_EQ(wide.faceName.size(), 31);
    EXPECT_EQ(wide.color, 0xFFFFFFFFu);
}

} // namespace

#include "core/FaceNames.h"
#include "core/FontBlock.h"
#include "core/Gbk.h"

#include <cstdio>
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
    // A block with a blank in its face name, as older copies wrote it, is
    // read whole.
    QString text = u("x{/font;-14 0 0 0 500 0 0 0 134 0 16 0 32 Courier New 1193046;}\n");
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

// A Windows peer reads the block of a received text as its chat window does:
// the first "{/font;", a text that ends in ";}" and a line feed, then one
// scan of "%d ... %d %s %ld;}" over the bytes behind it (the face name one
// blank-delimited word). It must take every face we send whole and reach the
// colour.
struct WindowsFont
{
    int fields = 0; // fields the scan filled
    QString face;
    int32_t color = 0;
};

WindowsFont readAsWindows(const QString &received)
{
    WindowsFont out;
    const QByteArray text = Gbk::encode(QString(QStringLiteral("  ") + received + QLatin1Char('\n')));
    const qsizetype open = text.indexOf("{/font;");
    if (open < 0 || !text.endsWith(";}\n"))
        return out;
    int n[13];
    char face[256] = {};
    out.fields = std::sscanf(text.constData() + open + 7, "%d %d %d %d %d %d %d %d %d %d %d %d %d %255s %d;}", &n[0],
        &n[1], &n[2], &n[3], &n[4], &n[5], &n[6], &n[7], &n[8], &n[9], &n[10], &n[11], &n[12], face, &out.color);
    out.face = Gbk::decode(QByteArrayView(face).first(qMin<qsizetype>(qstrlen(face), 31)));
    return out;
}

TEST(FontBlock, WindowsReaderTakesEveryFaceWholeAndTheColour)
{
    const struct
    {
        const char *ours;
        const char *theirs;
    } faces[] = {
        { "Noto Sans CJK SC", "微软雅黑" }, // our families travel as the Windows face that looks like them
        { "Noto Serif CJK SC", "宋体" },
        { "AR PL UMing CN", "宋体" },
        { "Liberation Sans", "Arial" },
        { "DejaVu Sans Mono", "DejaVuSansMono" }, // no Windows counterpart: the blanks go
        { "Times New Roman", "TimesNewRoman" },
        { "宋体", "宋体" },
        { "Consolas", "Consolas" },
        { " ", "宋体" }, // nothing left: the standard face
    };
    for (const auto &f : faces) {
        ChatFont font;
        font.faceName = u(f.ours);
        font.color = 0x00FF8000;
        font.weight = 700;
        const WindowsFont read = readAsWindows(u("你好") + FormatFontPrefix(font));
        EXPECT_EQ(read.fields, 15) << f.ours;
        EXPECT_EQ(read.face, u(f.theirs)) << f.ours;
        EXPECT_EQ(read.color, 0x00FF8000) << f.ours;
    }
    // A '%' in a face name is written as it stands.
    ChatFont percent;
    percent.faceName = QStringLiteral("a%15b");
    percent.color = 7;
    EXPECT_EQ(readAsWindows(FormatFontPrefix(percent)).face, QStringLiteral("a%15b"));
    EXPECT_EQ(readAsWindows(FormatFontPrefix(percent)).color, 7);
}

TEST(FaceNames, BlankLessNamesFindTheirFamilyAgain)
{
    const QStringList installed { QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Sans Mono") };
    EXPECT_EQ(FaceNames::FamilyWithoutBlanks(QStringLiteral("dejavusansmono"), installed), installed[1]);
    EXPECT_TRUE(FaceNames::FamilyWithoutBlanks(QStringLiteral("Arial"), installed).isEmpty());
    EXPECT_TRUE(FaceNames::FamilyWithoutBlanks(QStringLiteral("DejaVu Sans"), installed).isEmpty());
}

} // namespace

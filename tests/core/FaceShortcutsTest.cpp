#include "core/FaceShortcuts.h"
#include "core/MessageMarkers.h"

#include <gtest/gtest.h>

namespace {

int parse(QStringView text, QString *marker = nullptr)
{
    QString out;
    const int result = ParseFaceToken(text, out);
    if (marker)
        *marker = out;
    return result;
}

} // namespace

TEST(FaceShortcuts, EveryEntryParsesToItsOwnIndex)
{
    for (int i = 0; i < kFaceTableSize; ++i) {
        const QStringView entry = FaceShortcutTable[size_t(i)];
        SCOPED_TRACE(entry.toString().toStdString());
        // Followed by text that could extend it into another entry.
        for (QStringView tail : { u"", u" ", u"x", u"abc/:)", u"!" }) {
            QString marker;
            const QString text = entry.toString() + tail;
            EXPECT_EQ(parse(text, &marker), i);
            EXPECT_TRUE(marker.isEmpty());
        }
        // No entry is a prefix of another, so no shortcut is taken for another.
        for (int j = 0; j < kFaceTableSize; ++j) {
            if (j != i) {
                EXPECT_FALSE(FaceShortcutTable[size_t(j)].startsWith(entry)) << j;
            }
        }
    }
    EXPECT_EQ(FaceShortcutTable[kFaceNotFound], u"/<NF>");
    EXPECT_TRUE(FaceTipTable[87].endsWith(u" /:hl"));
}

TEST(FaceShortcuts, MarkersAndNearMisses)
{
    QString marker;
    EXPECT_EQ(parse(u"/~#>000003e8<G~tail", &marker), kPictureMarkerResult);
    EXPECT_EQ(marker, u"/~#>000003e8<G~");
    EXPECT_EQ(parse(u"/:strong", &marker), 81);
    EXPECT_EQ(parse(u"/~#>000003e<G~"), -1); // 14 characters
    EXPECT_EQ(parse(u"/~#>000003e8<X~"), -1);
    EXPECT_EQ(parse(u"/:p"), -1); // case matters: "/:P" is 12
    EXPECT_EQ(parse(u"/:P"), 12);
    EXPECT_EQ(parse(u"/:share"), 83);
    EXPECT_EQ(parse(u"/"), -1);
    EXPECT_EQ(parse(u"x/:)"), -1); // must start at the "/"
}

TEST(FaceShortcuts, SplitsTextIntoRunsAndTokens)
{
    QStringList runs;
    QList<quint32> flags;
    EXPECT_TRUE(SplitFaceText(u"你好/:)def/~#>000003e8<B~//:(/", runs, flags));
    EXPECT_EQ(runs,
        QStringList({ QStringLiteral("你好"), QStringLiteral("/:)"), QStringLiteral("def"),
            QStringLiteral("/~#>000003e8<B~"), QStringLiteral("/"), QStringLiteral("/:("), QStringLiteral("/") }));
    EXPECT_EQ(flags, QList<quint32>({ 1, 0, 1, 0, 1, 0, 1 }));

    EXPECT_FALSE(SplitFaceText(u"/:)/<NF>/~#>0000abcd<G~", runs, flags));
    EXPECT_EQ(flags, QList<quint32>({ 0, 0, 0 }));
    EXPECT_FALSE(SplitFaceText(u"", runs, flags));
    EXPECT_TRUE(runs.isEmpty());

    // A marker directly after a face, a shortcut cut short at the end.
    const QList<FaceTextPiece> pieces = TokenizeFaceText(u"/;bin/~#>00000001<B~/;bi");
    ASSERT_EQ(pieces.size(), 3);
    EXPECT_EQ(pieces[0].face, 30);
    EXPECT_EQ(pieces[1].kind, FaceTextPiece::Kind::Marker);
    EXPECT_EQ(pieces[2].kind, FaceTextPiece::Kind::Plain);
    EXPECT_EQ(pieces[2].text, u"/;bi");
}

// Where faces and pictures cannot be drawn, they read as words: no
// shortcut or marker syntax is left, faces that share a name stay apart
// from their shortcuts, and near misses stay the text they are.
TEST(FaceShortcuts, MessageTextInWords)
{
    EXPECT_EQ(MessageTextInWords(u"看/~#>b7f20b1a<B~和/~#>0000abcd<G~/:)/;x/|-)"),
        u"看[图片]和[表情][微笑][嘘...][困]");
    EXPECT_EQ(MessageTextInWords(u"/<V> 系统/<RB>/<NF>"), u" 系统[图片][图片]");
    EXPECT_EQ(MessageTextInWords(u"a/b /~#>000003e<G~ /:p"), u"a/b /~#>000003e<G~ /:p");
    EXPECT_EQ(MessageTextInWords(u""), u"");
    for (int i = 0; i < kBuiltInFaceCount; ++i) {
        const QString words = MessageTextInWords(FaceShortcutTable[size_t(i)]);
        EXPECT_TRUE(words.startsWith(QLatin1Char('[')) && words.endsWith(QLatin1Char(']'))) << i;
        EXPECT_FALSE(words.contains(QLatin1Char('/'))) << i;
    }
}

TEST(MessageMarkers, WritesAndReadsMarkers)
{
    EXPECT_EQ(PictureMarker(0x3e8, false), u"/~#>000003e8<B~");
    EXPECT_EQ(PictureMarker(0xFFFFFFFF, true), u"/~#>ffffffff<G~");

    auto id = [](QStringView marker) {
        return ParsePictureMarker(marker).value_or(PictureMarkerInfo { 99, false }).id;
    };
    EXPECT_EQ(id(u"/~#>DEADbeef<B~"), 0xDEADBEEFu);
    EXPECT_EQ(id(u"/~#>zz000001<B~"), 0u); // bad digits give 0
    EXPECT_EQ(id(u"/~#>12zz0000<B~"), 0x12u); // the digits before them
    EXPECT_TRUE(ParsePictureMarker(u"/~#>00000001<G~")->animated);
    EXPECT_FALSE(ParsePictureMarker(u"/~#>0000001<G~"));

    MarkedTextWriter writer(u"\r\n");
    writer.appendText(u"a\u2029b\u2028c");
    writer.appendPicture(7, false);
    writer.appendFace(0);
    writer.appendPicture(5, true);
    writer.appendPicture(7, false);
    writer.appendFace(99); // not a table entry: nothing
    EXPECT_EQ(writer.text(), u"a\r\nb\r\nc/~#>00000007<B~/:)/~#>00000005<G~/~#>00000007<B~");
    EXPECT_EQ(writer.ids(), QList<quint32>({ 7, 5 }));
}

#include "core/RegExport.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace {

RegValue str(const char *name, const QString &text)
{
    RegValue v;
    v.name = QString::fromLatin1(name);
    v.text = text;
    return v;
}

RegNode sample()
{
    RegNode root;
    root.name = QStringLiteral("BROADCAST_STR");
    root.values.push_back(str("0", QStringLiteral("192.168.3.255")));
    root.values.push_back(str("1", QStringLiteral("我的网段")));
    RegValue n;
    n.name = QStringLiteral("Count");
    n.type = RegValue::Integer;
    n.integer = -5;
    root.values.push_back(n);
    RegValue b;
    b.name = QStringLiteral("Pwd");
    b.type = RegValue::Bytes;
    b.bytes = QByteArray("\x01\x00\x7f", 3);
    root.values.push_back(b);
    RegNode child;
    child.name = QStringLiteral("Sub");
    child.values.push_back(str("x", QString()));
    root.children.push_back(child);
    return root;
}

// Rewrites the checksum so that a body edit reaches the parser.
QByteArray resealed(QByteArray file)
{
    const qsizetype at = file.size() - 4;
    qToLittleEndian(RegExport::crc32(QByteArrayView(file).first(at)), file.data() + at);
    return file;
}

TEST(RegExport, RoundTripAndHeader)
{
    const auto file = RegExport::serialize(sample());
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->startsWith(QByteArray("KWELREG\x1a\x01\x00\x00\x00", 12)));
    const RegExport::ParseResult r = RegExport::parse(*file);
    ASSERT_EQ(r.status, RegExport::Status::Ok);
    EXPECT_EQ(r.root, sample());
    EXPECT_EQ(RegExport::crc32("123456789"), 0xCBF43926u);
}

TEST(RegExport, DamagedFilesAreRefused)
{
    const QByteArray good = *RegExport::serialize(sample());
    using S = RegExport::Status;
    EXPECT_EQ(RegExport::parse(good.left(10)).status, S::TooShort);
    EXPECT_EQ(RegExport::parse(QByteArray(QByteArray("XWELREG\x1a", 8) + good.mid(8))).status, S::BadMagic);
    QByteArray v = good;
    v[8] = 2;
    EXPECT_EQ(RegExport::parse(v).status, S::BadVersion);
    v = good;
    v[10] = 1;
    EXPECT_EQ(RegExport::parse(v).status, S::BadFlags);
    EXPECT_EQ(RegExport::parse(good.left(good.size() - 1)).status, S::BadLength);
    v = good;
    v[20] = char(v[20] ^ 0x40);
    EXPECT_EQ(RegExport::parse(v).status, S::BadChecksum);

    // Body edits with a valid checksum: a count that runs past the end, an
    // unknown type, a repeated name, a bad name, bytes after the data.
    const qsizetype body = RegExport::HeaderBytes;
    const qsizetype countAt = body + 2 + 13; // after the root name "BROADCAST_STR"
    v = good;
    qToLittleEndian<uint32_t>(0x7FFFFFFF, v.data() + countAt);
    EXPECT_EQ(RegExport::parse(resealed(v)).status, S::Truncated);
    v = good;
    v[countAt + 4 + 2 + 1] = 9; // type of value "0"
    EXPECT_EQ(RegExport::parse(resealed(v)).status, S::BadType);
    v = good;
    v[countAt + 4 + 2 + 1 + 1 + 4 + 13 + 2] = '0'; // value "1" renamed "0"
    EXPECT_EQ(RegExport::parse(resealed(v)).status, S::BadName);
    v = good;
    v[countAt + 4 + 2] = '/';
    EXPECT_EQ(RegExport::parse(resealed(v)).status, S::BadName);
    RegNode invalid = sample();
    invalid.values[0].text = QStringLiteral("\xff");
    QByteArray withBadText = *RegExport::serialize(invalid);
    const qsizetype textAt = withBadText.indexOf(QByteArray("\xc3\xbf"));
    ASSERT_GT(textAt, 0);
    withBadText.replace(textAt, 2, QByteArray("\xff\xfe"));
    EXPECT_EQ(RegExport::parse(resealed(withBadText)).status, S::BadValue);

    const QByteArray bodyOnly = good.mid(body, good.size() - body - 4);
    EXPECT_EQ(RegExport::parseBody(bodyOnly).status, S::Ok);
    EXPECT_EQ(RegExport::parseBody(QByteArray(bodyOnly + 'x')).status, S::TrailingBytes);
    for (qsizetype n = 0; n < bodyOnly.size(); ++n)
        EXPECT_NE(RegExport::parseBody(bodyOnly.left(n)).status, S::Ok) << n;
}

TEST(RegExport, LimitsOnWritingAndReading)
{
    // Names that the store cannot hold are not written.
    RegNode n = sample();
    n.values.push_back(str("a/b", QString()));
    EXPECT_FALSE(RegExport::serialize(n));
    n = sample();
    n.values.push_back(str("0", QString()));
    EXPECT_FALSE(RegExport::serialize(n));
    n = sample();
    n.name = QStringLiteral("A//B");
    EXPECT_FALSE(RegExport::serialize(n));

    // Nesting deeper than MaxDepth is refused both ways.
    RegNode deep;
    RegNode *at = &deep;
    for (int i = 0; i <= RegExport::MaxDepth; ++i) {
        at->children.push_back(RegNode());
        at = &at->children.back();
        at->name = QStringLiteral("d");
    }
    EXPECT_FALSE(RegExport::serialize(deep));
    QByteArray b;
    for (int i = 0; i <= RegExport::MaxDepth + 1; ++i)
        b += QByteArray(i == 0 ? "\x00\x00"
                               : "\x01\x00"
                                 "d",
                 i == 0 ? 2 : 3)
            + QByteArray("\x00\x00\x00\x00\x01\x00\x00\x00", 8);
    EXPECT_EQ(RegExport::parseBody(b).status, RegExport::Status::TooDeep);
}

} // namespace

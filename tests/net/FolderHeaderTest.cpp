#include "net/FolderHeader.h"
#include "net/Commands.h"
#include "core/Gbk.h"

#include <QList>

#include <gtest/gtest.h>

namespace {

std::string parsed(QByteArrayView header)
{
    FolderEntryHeader h;
    const FolderHeaderStatus s = ParseFolderHeader(header, h);
    if (s != FolderHeaderStatus::Ok)
        return "status " + std::to_string(int(s));
    return QString::asprintf(
        "%s|%llx|%x|%x", qUtf8Printable(h.name), static_cast<unsigned long long>(h.size), h.attributes, h.mtime)
        .toStdString();
}

// A header with a correct length field in front of rest.
QByteArray withLength(const QByteArray &rest)
{
    return QByteArray::number(rest.size() + 4, 16).rightJustified(4, '0') + rest;
}

} // namespace

TEST(FolderHeader, BuildGoldenAndParseBack)
{
    EXPECT_EQ(BuildFolderHeader(QStringLiteral("a:b.txt"), 0x100000000ULL, FILE_ATTR_REGULAR, 0x5f5e1000),
        QByteArray("0025:a;b.txt:100000000:1:14=5f5e1000:"));
    EXPECT_EQ(BuildFolderHeader(QString::fromLatin1(kParentEntryName), 0, FILE_ATTR_PARENT, 0),
        QByteArray("0010:.:0:3:14=0:"));
    // The stored name: ':' (written "::" by a peer) becomes ';' and '?' '_',
    // GBK decoded.
    EXPECT_EQ(parsed("0025:a;b.txt:100000000:1:14=5f5e1000:"), "a;b.txt|100000000|1|5f5e1000");
    EXPECT_EQ(parsed("0026:a::b.txt:100000000:1:14=5f5e1000:"), "a;b.txt|100000000|1|5f5e1000");
    EXPECT_EQ(parsed(withLength(":::x?:5:101:14=1:")), ";x_|5|101|1");
    EXPECT_EQ(parsed(withLength(":\xd6\xd0:0:2:")), "中|0|2|0");
    // Unknown keys and fields without '=' are skipped; the last 0x14 wins.
    EXPECT_EQ(parsed(withLength(":f:1:1:16=zz:junk:14=2:")), "f|1|1|2");
    // A name long enough to pass 1022 bytes has no header.
    EXPECT_FALSE(BuildFolderHeader(QString(1100, QLatin1Char('n')), 0, FILE_ATTR_REGULAR, 0));
}

// A Windows peer reads a header by turning every "::" into ';' and then
// cutting the fields at ':', skipping empty ones. A name with ':' anywhere
// in it must reach the name field whole, with ';' for ':'.
TEST(FolderHeader, WindowsReaderTakesNamesWithColons)
{
    auto readAsWindows = [](QByteArray header) {
        header.replace("::", ";");
        QList<QByteArray> fields = header.split(':');
        fields.removeAll(QByteArray());
        return fields;
    };
    for (const QString &name : { QStringLiteral(":lead"), QStringLiteral("trail:"), QStringLiteral("a::b"),
             QStringLiteral(":"), QString::fromUtf8("报告:终稿") }) {
        const auto header = BuildFolderHeader(name, 0x1234, FILE_ATTR_REGULAR, 0x60000000);
        ASSERT_TRUE(header);
        const QList<QByteArray> fields = readAsWindows(*header);
        ASSERT_EQ(fields.size(), 5) << header->toStdString();
        EXPECT_EQ(fields[0].toInt(nullptr, 16), header->size());
        EXPECT_EQ(Gbk::decode(fields[1]), QString(name).replace(u':', u';'));
        EXPECT_EQ(fields[2], "1234");
        EXPECT_EQ(fields[3], "1");
        EXPECT_EQ(fields[4], "14=60000000");
    }
}

TEST(FolderHeader, LengthBoundaries)
{
    EXPECT_EQ(ParseFolderHeaderLength("0008:a:0"), 8);
    EXPECT_EQ(ParseFolderHeaderLength("3fe:name"), 1022);
    EXPECT_FALSE(ParseFolderHeaderLength("3ff:name")); // 1023
    EXPECT_FALSE(ParseFolderHeaderLength("0007:a:0"));
    EXPECT_FALSE(ParseFolderHeaderLength("00000010")); // no ':' in the first eight bytes
    EXPECT_FALSE(ParseFolderHeaderLength("00g0:a:0"));
    EXPECT_FALSE(ParseFolderHeaderLength("0010:a:")); // fewer than eight bytes

    // The shortest and the longest header.
    EXPECT_EQ(parsed("000b:a:0:1:"), "a|0|1|0");
    const QByteArray longest = withLength(':' + QByteArray(259, 'n') + ":0:1:" + QByteArray(1022 - 4 - 266, 'x') + ':');
    ASSERT_EQ(longest.size(), 1022);
    EXPECT_NE(parsed(longest).substr(0, 6), "status");
    // A length that does not match the bytes given.
    EXPECT_EQ(parsed("000a:a:0:1:"), "status 1");
    EXPECT_EQ(parsed(QByteArray(longest + ':')), "status 1");
}

TEST(FolderHeader, RefusesBadFieldsAndNames)
{
    EXPECT_EQ(parsed(withLength(":a:0:")), "status 2"); // no attribute
    EXPECT_EQ(parsed(withLength(":a:-1:1:")), "status 3");
    EXPECT_EQ(parsed(withLength(":a::1:")), "status 2"); // "::" is a colon inside the name
    EXPECT_EQ(parsed(withLength(":a:10000000000000000:1:")), "status 3"); // 17 digits
    EXPECT_EQ(parsed(withLength(":a:1:1:14=:")), "status 3");
    EXPECT_EQ(parsed(withLength(":a:1:1:14=100000000:")), "status 3");
    for (const char *name : { "..", ".", "a/b", "a\\b" })
        EXPECT_EQ(parsed(withLength(':' + QByteArray(name) + ":0:2:")), "status 4") << name;
    EXPECT_EQ(parsed(withLength(':' + QByteArray(260, 'n') + ":0:1:")), "status 4");
    EXPECT_EQ(parsed(withLength(QByteArray(":a\0b:0:1:", 9))), "status 4");
    // The name of a return entry means nothing and is not checked.
    EXPECT_EQ(parsed(withLength(":..:0:3:")), "..|0|3|0");
}

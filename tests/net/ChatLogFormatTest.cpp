#include "net/ChatLogReader.h"

#include <gtest/gtest.h>

namespace {

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

ChatLogEntry withBlock()
{
    ChatLogEntry e { u("张三"), QString(), QStringLiteral("zs"), QStringLiteral("PC1"), QStringLiteral("001122334455"),
        0xC0A80102, 2425, {}, QStringLiteral("hi") };
    e.font.faceName = u("黑体");
    e.font.height = -16;
    e.font.weight = 700;
    e.font.color = 0xFF;
    return e;
}

ChatLogEntry colourOnly()
{
    ChatLogEntry e { u("李四"), QStringLiteral("g"), QStringLiteral("ls"), QStringLiteral("h"), QString(), 0x0A000003,
        2425, {}, QStringLiteral("ok") };
    e.font.color = 0x428200;
    return e;
}

QByteArray logOf(std::initializer_list<ChatLogEntry> entries)
{
    QByteArray out = ChatLogFormat::encodeHeader();
    for (const ChatLogEntry &e : entries)
        out += ChatLogFormat::encodeRecord(e);
    return out;
}

// clang-format off
const char kGolden[] = "4b574c01"                                                       // header
    "01000000 3c000000 04000000d5c5c8fd 00000000 020000007a73 03000000504331"   // tag, size 60, names
    "0c000000303031313232333334343535 c0a80102 79090000 00"                     // MAC, address, port, flag
    "f0ffffff 00000000 00000000 00000000 bc020000 0000008600100020 badacce5"    // font block
    "00000000000000000000000000000000000000000000000000000000 ff000000"
    "02000000 6869"                                                             // text
    "01000000 33000000 04000000c0eecbc4 0100000067 020000006c73 0100000068 00000000"
    "0a000003 79090000 01 00824200 02000000 6f6b";                              // colour only
// clang-format on

} // namespace

TEST(ChatLogFormat, GoldenBytesAndRoundTrip)
{
    const QByteArray golden = QByteArray::fromHex(kGolden);
    EXPECT_EQ(logOf({ withBlock(), colourOnly() }).toHex(), golden.toHex());

    const ChatLogReadResult r = ChatLogReader::Parse(golden);
    EXPECT_EQ(r.status, ChatLogReadStatus::Complete);
    EXPECT_EQ(r.endOffset, golden.size());
    ASSERT_EQ(r.records.size(), 2);
    EXPECT_EQ(r.records[0], withBlock());
    EXPECT_EQ(r.records[1], colourOnly());
    EXPECT_EQ(r.records[1].font.faceName, u("宋体"));
}

TEST(ChatLogFormat, ReaderStopsAtTheFirstFieldPastTheEnd)
{
    const QByteArray golden = QByteArray::fromHex(kGolden);
    const qsizetype firstEnd = 4 + ChatLogFormat::encodeRecord(withBlock()).size();
    for (qsizetype n = 0; n < golden.size(); ++n) {
        const ChatLogReadResult r = ChatLogReader::Parse(golden.first(n));
        const qsizetype expectedEnd = n < 4 ? 0 : n < firstEnd ? 4 : firstEnd;
        EXPECT_EQ(r.records.size(), n < firstEnd ? 0 : 1) << n;
        EXPECT_EQ(r.endOffset, expectedEnd) << n;
        EXPECT_EQ(r.status, n == expectedEnd ? ChatLogReadStatus::Complete : ChatLogReadStatus::Truncated) << n;
    }

    // A length that points far past the end stops the reading; the record before stays.
    QByteArray damaged = golden;
    damaged.replace(firstEnd + 8, 4, QByteArray::fromHex("ffffffff"));
    const ChatLogReadResult r = ChatLogReader::Parse(damaged);
    EXPECT_EQ(r.status, ChatLogReadStatus::Truncated);
    EXPECT_EQ(r.records.size(), 1);
    EXPECT_EQ(ChatLogReader::Scan(damaged).endOffset, firstEnd);
}

TEST(ChatLogFormat, LimitsOfNamesAndTexts)
{
    // Names of 50 bytes and MAC texts of 16 read as empty (a Windows writer may
    // write them); ours are cut so that they survive.
    ChatLogEntry e = colourOnly();
    QByteArray raw = logOf({ e });
    const QByteArray fifty(50, 'a');
    raw.replace(12, 8, QByteArray(QByteArray::fromHex("32000000") + fifty)); // user name "李四" -> 50 bytes
    const ChatLogReadResult r = ChatLogReader::Parse(raw);
    ASSERT_EQ(r.records.size(), 1);
    EXPECT_TRUE(r.records[0].userName.isEmpty());
    EXPECT_EQ(r.records[0].groupName, QStringLiteral("g"));

    e.userName = QString(30, QChar(0x5f20)); // 60 GBK bytes
    e.macText = QStringLiteral("0123456789abcdef");
    e.text = QString(ChatLogFormat::kMaxTextBytes / 2 + 10, QChar(0x5f20));
    const ChatLogEntry back = ChatLogReader::Parse(logOf({ e })).records.at(0);
    EXPECT_EQ(back.userName, QString(24, QChar(0x5f20)));
    EXPECT_EQ(back.macText, QStringLiteral("0123456789abcde"));
    EXPECT_EQ(back.text, QString(ChatLogFormat::kMaxTextBytes / 2, QChar(0x5f20)));
}

#include "net/PacketCodec.h"
#include "core/Gbk.h"

#include <gtest/gtest.h>

using namespace PacketCodec;

namespace {

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}
QByteArray b(const char *bytes, qsizetype n)
{
    return QByteArray(bytes, n);
}

OwnHeader own(quint32 status = 0x40)
{
    return { QStringLiteral("alice"), QStringLiteral("PC-1"), 5, status, QStringLiteral("001122AABBCC"), 0, 1234 };
}

std::string fail(PacketStatus s)
{
    return "status " + std::to_string(int(s));
}

// Every field of a parsed record on one line, or the failure status.
std::string parsed(const QByteArray &data)
{
    PacketRecord r;
    const PacketStatus s = ParsePacket(data, 0xC0A80102, 2425, r);
    if (s != PacketStatus::Ok)
        return fail(s);
    return QString::asprintf("%s/%s v%d.%d icon %d st %x mac %s pic %d/%d no %u cmd %x bin %d [%s] [%s]",
        qUtf8Printable(r.key.loginName()), qUtf8Printable(r.key.hostName()), r.protocolVersion, r.extVersion,
        r.headIcon, r.statusBits, qUtf8Printable(r.macText), r.headPictureSize, r.customPictureSize, r.packetNumber,
        r.commandWord, r.binaryLength, r.body.toHex().constData(), r.extension.toHex().constData())
        .toStdString();
}

} // namespace

TEST(PacketCodec, GoldenPackets)
{
    // Status 0xFFFFFFFF (every peer sees the user hidden) is written -1; CRs leave a text body.
    EXPECT_EQ(BuildPacket(own(0xFFFFFFFF), 100, 0x120, QByteArrayLiteral("hi\r\nthere")),
        b("1_wzk1_5#-1#001122AABBCC#0#1234#0:100:alice:PC-1:288:hi\nthere\0", 62));
    // GBK names and texts; a packet number of 2^31 is written signed.
    OwnHeader h = own();
    h.userName = u("张三");
    EXPECT_EQ(BuildTextPacket(h, 0x80000000u, CMD_ANNOUNCE_ENTRY, u("我"), u("组")),
        b("1_wzk1_5#64#001122AABBCC#0#1234#0:-2147483648:\xd5\xc5\xc8\xfd:PC-1:1:\xce\xd2\0\xd7\xe9", 63));
    // A picture chunk travels as a binary extension part with its NULs; an over-long
    // length takes what is there; without OPT_FILE_ATTACH it is text up to its NUL.
    const QByteArray chunk = b("\0\x01\0\xff\0", 5);
    const QByteArray header = QByteArrayLiteral("0000abcd|5|0|1|1|5|0|1|0|00000000#");
    const QByteArray head = "1_wzk1_5#64#001122AABBCC#0#1234#0:7:alice:PC-1:";
    EXPECT_EQ(BuildPacket(own(), 7, 0x2000c0, header, chunk, 500), head + "2097344:" + header + '\0' + chunk);
    EXPECT_EQ(BuildPacket(own(), 7, 0xc0, header, chunk, 5), head + "192:" + header + '\0');
    // A binary body keeps CR and NUL; its length is the last extension field.
    EXPECT_EQ(BuildPacket(own(), 9, 0x20, b("\0\r\0", 3), QByteArrayLiteral("x"), 0, 3),
        b("1_wzk1_5#64#001122AABBCC#0#1234#3:9:alice:PC-1:32:\0\r\0\0x", 55));
    EXPECT_EQ(BuildPlainPacket(QStringLiteral("bob"), QStringLiteral("host"), 7, 1, "nick", "group"),
        b("1:7:bob:host:1:nick\0group", 25));
    // Names never carry the separator and keep their 50-byte fields.
    h = own();
    h.userName = QStringLiteral("a:b");
    h.hostName = QString(60, QLatin1Char('h'));
    h.macText = QStringLiteral("00:11#22AABBCCDD");
    EXPECT_EQ(
        BuildPacket(h, 1, 1, {}), "1_wzk1_5#64#00_11_22AABB#0#1234#0:1:a_b:" + QByteArray(49, 'h') + ":1:" + '\0');
}

TEST(PacketCodec, BuildStaysWithinOnePacket)
{
    // A text body is cut to fit, never inside a double-byte character; the extension is left out.
    const QByteArray p
        = BuildPacket(own(), 1, 0x20, QByteArray("x" + Gbk::encode(QString(9000, QChar(0x6211)))), "ext");
    ASSERT_GE(p.size(), kMaxPacket - 1);
    ASSERT_LE(p.size(), kMaxPacket);
    EXPECT_TRUE(p.endsWith('\0'));
    PacketRecord r;
    ASSERT_EQ(ParsePacket(p, 1, 1, r), PacketStatus::Ok);
    EXPECT_FALSE(r.bodyText().contains(QChar::ReplacementCharacter));
    // A binary body that does not fit is refused rather than sent cut.
    const qsizetype header = BuildPacket(own(), 1, 0x20, {}).size() - 1 + 4; // "#0" becomes "#16xxx"
    const auto fits = qint32(kMaxPacket - header - 1);
    const QByteArray body(16384, 'b');
    EXPECT_EQ(BuildPacket(own(), 1, 0x20, body, {}, 0, fits).size(), kMaxPacket);
    EXPECT_TRUE(BuildPacket(own(), 1, 0x20, body, {}, 0, fits + 1).isEmpty());
}

TEST(PacketCodec, ParsesExtendedAndPlainPackets)
{
    OwnHeader h = own(0xFFFFFFFF);
    h.userName = u("张三");
    h.headIcon = -3;
    EXPECT_EQ(parsed(BuildPacket(h, 4000000000u, 0x2000c0, "a\r\nb", b("\0\x01\r", 3), 3)),
        "张三/PC-1 v1.1 icon -3 st ffffffff mac 001122AABBCC pic 0/1234 no 4000000000 cmd 2000c0 bin 0 "
        "[610a62] [00010d]");
    EXPECT_EQ(parsed(BuildPacket(own(), 1, 0x20, b("\r\0\r", 3), "g", 0, 3)),
        "alice/PC-1 v1.1 icon 5 st 40 mac 001122AABBCC pic 0/1234 no 1 cmd 20 bin 3 [0d000d] [67]");
    // Plain peers, other programs' tags and a body without NUL: extension fields all 0.
    EXPECT_EQ(parsed(b("1:7:bob:host:1:nick\r\n\0group\0", 28)),
        "bob/host v1.0 icon 0 st 0 mac  pic 0/0 no 7 cmd 1 bin 0 [6e69636b0a] [67726f757000]");
    EXPECT_EQ(parsed("1_lbt4_0#128#000C29D4A1B2#0#0#0:5:u:h:32:text"),
        "u/h v1.0 icon 0 st 0 mac  pic 0/0 no 5 cmd 20 bin 0 [74657874] []");
    // Numbers are 32-bit: signed or unsigned spellings of the same pattern.
    EXPECT_EQ(parsed("1_wzk1_4294967295#4294967295#m#-1#+2147483647#00#later:-1:a:b:-2147483648:"),
        "a/b v1.1 icon -1 st ffffffff mac m pic -1/2147483647 no 4294967295 cmd 80000000 bin 0 [] []");
    // A binary length beyond the datagram keeps the bytes that arrived.
    EXPECT_EQ(
        parsed("1_wzk1_0#0##0#0#9000:1:a:b:32:abc"), "a/b v1.1 icon 0 st 0 mac  pic 0/0 no 1 cmd 20 bin 3 [616263] []");
    // The MAC text keeps 12 characters, a name its 49-byte field.
    const QByteArray name = Gbk::encode(QString(30, QChar(0x5f20)));
    EXPECT_EQ(parsed("1_wzk1_0#0#00112233445566778899#0#0#0:1:" + name + ":h:1:"),
        QString(24, QChar(0x5f20)).toStdString()
            + "/h v1.1 icon 0 st 0 mac 001122334455 pic 0/0 no 1 cmd 1 bin 0 [] []");
}

TEST(PacketCodec, RejectsMalformedPackets)
{
    const QByteArray head = QByteArrayLiteral("1:1:a:b:32:");
    const QByteArray exact = head + QByteArray(kMaxPacket - head.size() - 2, 't') + b("\0g", 2);
    EXPECT_EQ(parsed(exact).substr(0, 8), "a/b v1.0");
    EXPECT_EQ(parsed(exact + 'x'), fail(PacketStatus::TooLong));
    EXPECT_EQ(parsed({}), fail(PacketStatus::Empty));
    for (const QByteArray &bad : { QByteArray("1:2:a:b:32"), QByteArray("1:2:a"), b("1:2:a\0:b:32:", 12) })
        EXPECT_EQ(parsed(bad), fail(PacketStatus::BadHeader)) << bad.data();
    for (const char *bad : { "x:2:a:b:32:", ":2:a:b:32:", "99999999999:2:a:b:32:" })
        EXPECT_EQ(parsed(bad), fail(PacketStatus::BadVersion)) << bad;
    for (const char *bad : { "1_wzk1_5#0#M#0#0:2:a:b:32:", "1_wzk1_5#zz#M#0#0#0:2:a:b:32:",
             "1_wzk1_5#0#M#0#0#:2:a:b:32:", "1_wzk_5#0#M#0#0#0:2:a:b:32:" })
        EXPECT_EQ(parsed(bad), fail(PacketStatus::BadExtension)) << bad;
    for (const char *bad : { "1:4294967296:a:b:1:", "1:1:a:b:-2147483649:", "1:12a:a:b:1:", "1::a:b:1:", "1:1:a:b:-:",
             "1:1:a:b: 1:", "1:1:a:b:0x20:", "1:99999999999999999999:a:b:1:" })
        EXPECT_EQ(parsed(bad), fail(PacketStatus::BadNumber)) << bad;
    EXPECT_EQ(parsed("1_wzk1_5#0#M#0#0#-4:2:a:b:32:"), fail(PacketStatus::BadBinaryLength));
    EXPECT_EQ(parsed("1_wzk1_5#0#M#0#0#2:2:a:b:32:xyz"), fail(PacketStatus::NoSeparator));
}

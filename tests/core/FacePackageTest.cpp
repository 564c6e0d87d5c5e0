#include "core/FacePackage.h"
#include "core/Gbk.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace {

// A package put together by hand from the layout: signature, version,
// count, then the fixed part of each entry and its bytes.
QByteArray handBuilt()
{
    QByteArray p("Kwel custom faces");
    p.append(QByteArray(32 - p.size(), '\0'));
    p.append("\x01\x00\x00\x00", 4);
    p.append("\x01\x00\x00\x00", 4);
    p.append("\xe8\x03\x00\x00", 4); // id 1000
    p.append(QByteArray("gif").leftJustified(12, '\0'));
    p.append(Gbk::encode(QStringLiteral("微笑")).leftJustified(64, '\0'));
    p.append(QByteArray("/wx").leftJustified(64, '\0'));
    p.append("\x06\x00\x00\x00", 4);
    p.append("GIF89a");
    return p;
}

} // namespace

TEST(FacePackage, WritesTheLayoutByteForByteAndReadsItBack)
{
    FacePackage::Entry e;
    e.id = 1000;
    e.extension = QStringLiteral("gif");
    e.tip = QStringLiteral("微笑");
    e.shortcut = QStringLiteral("/wx");
    e.picture = "GIF89a";
    EXPECT_EQ(FacePackage::HeaderBytes(1) + FacePackage::EntryBytes(e), handBuilt());

    FacePackage::Header h;
    ASSERT_EQ(FacePackage::ReadHeader(handBuilt(), h), FacePackage::Status::Ok);
    EXPECT_EQ(h.count, 1u);
    qsizetype offset = FacePackage::kHeaderSize;
    FacePackage::Entry back;
    ASSERT_EQ(FacePackage::ReadEntry(handBuilt(), offset, back), FacePackage::Status::Ok);
    EXPECT_EQ(offset, handBuilt().size());
    EXPECT_EQ(back.id, 1000u);
    EXPECT_EQ(back.extension, QStringLiteral("gif"));
    EXPECT_EQ(back.tip, QStringLiteral("微笑"));
    EXPECT_EQ(back.shortcut, QStringLiteral("/wx"));
    EXPECT_EQ(back.picture, QByteArray("GIF89a"));

    // Texts are cut to 63 GBK bytes without splitting a character.
    e.tip = QString(40, QChar(0x4E2D)); // 80 bytes in GBK
    const QByteArray long1 = FacePackage::EntryBytes(e);
    EXPECT_EQ(long1.at(16 + 62), '\0') << "62 bytes of whole characters, then the NUL";
    offset = FacePackage::kHeaderSize;
    ASSERT_EQ(FacePackage::ReadEntry(QByteArray(FacePackage::HeaderBytes(1) + long1), offset, back), FacePackage::Status::Ok);
    EXPECT_EQ(back.tip, QString(31, QChar(0x4E2D)));
}

TEST(FacePackage, RefusesHostilePackages)
{
    FacePackage::Header h;
    const QByteArray good = handBuilt();
    struct Case
    {
        const char *what;
        QByteArray bytes;
        FacePackage::Status header;
        FacePackage::Status entry;
    };
    QByteArray arbitraryTail = good;
    arbitraryTail[20] = 'x'; // bytes after the signature's NUL carry nothing
    QByteArray badSignature = good;
    badSignature[0] = 'k';
    QByteArray noNul = good;
    noNul.replace(0, 32, QByteArray(32, 'K'));
    QByteArray version2 = good;
    version2[32] = 2;
    QByteArray hugeSize = good;
    qToLittleEndian<quint32>(0xFFFFFFFFu, hugeSize.data() + 40 + 144);
    QByteArray sizePastEnd = good;
    qToLittleEndian<quint32>(7, sizePastEnd.data() + 40 + 144);
    QByteArray noNulTip = good;
    noNulTip.replace(40 + 16, 64, QByteArray(64, 'a'));
    const Case cases[] = {
        { "empty", QByteArray(), FacePackage::Status::TooShort, FacePackage::Status::Truncated },
        { "39 bytes", good.left(39), FacePackage::Status::TooShort, FacePackage::Status::Truncated },
        { "header only", good.left(40), FacePackage::Status::Ok, FacePackage::Status::Truncated },
        { "short fixed part", good.left(100), FacePackage::Status::Ok, FacePackage::Status::Truncated },
        { "short picture", good.left(good.size() - 1), FacePackage::Status::Ok, FacePackage::Status::Truncated },
        { "size beyond the file", sizePastEnd, FacePackage::Status::Ok, FacePackage::Status::Truncated },
        { "size beyond any picture", hugeSize, FacePackage::Status::Ok, FacePackage::Status::TooLarge },
        { "bytes after the signature", arbitraryTail, FacePackage::Status::Ok, FacePackage::Status::Ok },
        { "tip without NUL", noNulTip, FacePackage::Status::Ok, FacePackage::Status::Ok },
        { "wrong signature", badSignature, FacePackage::Status::BadSignature, FacePackage::Status::Ok },
        { "signature without NUL", noNul, FacePackage::Status::BadSignature, FacePackage::Status::Ok },
        { "version 2", version2, FacePackage::Status::BadVersion, FacePackage::Status::Ok },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FacePackage::ReadHeader(c.bytes, h), c.header) << c.what;
        qsizetype offset = FacePackage::kHeaderSize;
        FacePackage::Entry e;
        const FacePackage::Status status = FacePackage::ReadEntry(c.bytes, offset, e);
        EXPECT_EQ(status, c.entry) << c.what;
        if (status != FacePackage::Status::Ok)
            EXPECT_EQ(offset, FacePackage::kHeaderSize) << c.what << ": a failed entry moves nothing";
        else
            EXPECT_LE(e.tip.size(), 63) << c.what;
    }
}

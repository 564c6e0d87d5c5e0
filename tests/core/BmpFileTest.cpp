#include "core/BmpFile.h"
#include "common/TestEnv.h"
#include "core/COlePicture.h"

#include <QFile>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

quint32 u32(const QByteArray &b, int off)
{
    return qFromLittleEndian<quint32>(b.constData() + off);
}

QImage twoColour()
{
    QImage img(5, 3, QImage::Format_Indexed8);
    img.setColorTable({ qRgb(0, 0, 0), qRgb(200, 100, 50) });
    img.fill(1);
    img.setPixel(2, 1, 0);
    return img;
}

TEST(BmpFile, WritesFileHeaderInFrontOfTheDib)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("bmp"));
    const QByteArray dib = BitmapToDib(twoColour(), {}, 8);
    ASSERT_TRUE(SaveDibToFile(dir + QStringLiteral("/a.bmp"), dib));
    const QByteArray file = TestEnv::readAll(dir + QStringLiteral("/a.bmp"));
    ASSERT_EQ(file.size(), 14 + dib.size());
    EXPECT_EQ(file.left(2), QByteArray("BM"));
    EXPECT_EQ(u32(file, 2), quint32(file.size()));
    EXPECT_EQ(u32(file, 6), 0u);
    EXPECT_EQ(u32(file, 10), 14u + 40 + 256 * 4);
    EXPECT_EQ(file.mid(14), dib);
    const QImage back = LoadBitmapFile(dir + QStringLiteral("/a.bmp"));
    EXPECT_EQ(back.pixel(2, 1), qRgb(0, 0, 0));
    EXPECT_EQ(back.pixel(4, 2), qRgb(200, 100, 50));

    EXPECT_FALSE(SaveDibToFile(dir + QStringLiteral("/c.bmp"), dib.left(dib.size() - 1)));
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/c.bmp")));
    EXPECT_FALSE(SaveDibToFile(dir + QStringLiteral("/no/such/dir.bmp"), dib));
}

TEST(BmpFile, FollowsTheRowOffsetAndRefusesBadOnes)
{
    const QByteArray dib = BitmapToDib(twoColour(), {}, 8);
    const qsizetype rowsAt = 40 + 1024;
    QByteArray file = bmpFileFromDib(dib);
    file.insert(14 + rowsAt, QByteArray(6, '\x55')); // a gap before the rows
    qToLittleEndian<quint32>(quint32(14 + rowsAt + 6), file.data() + 10);
    QImage img;
    ASSERT_EQ(decodeBmpFile(file, img), DibStatus::Ok);
    EXPECT_EQ(img.pixel(2, 1), qRgb(0, 0, 0));

    qToLittleEndian<quint32>(quint32(20), file.data() + 10); // inside the header
    EXPECT_NE(decodeBmpFile(file, img), DibStatus::Ok);
    qToLittleEndian<quint32>(quint32(file.size() + 1), file.data() + 10);
    EXPECT_NE(decodeBmpFile(file, img), DibStatus::Ok);
    EXPECT_NE(decodeBmpFile(QByteArray("BM"), img), DibStatus::Ok);
    EXPECT_NE(decodeBmpFile(QByteArray(QByteArray("XX") + file.mid(2)), img), DibStatus::Ok);
}

TEST(COlePicture, RendersCentredOnWhite)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("ole"));
    QImage small(5, 3, QImage::Format_RGB32);
    small.fill(qRgb(255, 0, 0));
    ASSERT_TRUE(SaveBitmapToFile(small, dir + QStringLiteral("/small.bmp")));
    COlePicture picture;
    ASSERT_TRUE(picture.Load(dir + QStringLiteral("/small.bmp")));
    ASSERT_TRUE(picture.RenderToBitmap(dir + QStringLiteral("/thumb.bmp"), QRect(0, 0, 20, 20)));
    const QImage thumb = LoadBitmapFile(dir + QStringLiteral("/thumb.bmp"));
    ASSERT_EQ(thumb.size(), QSize(20, 20));
    EXPECT_EQ(thumb.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(thumb.pixel(7, 8), qRgb(255, 0, 0));
    EXPECT_EQ(thumb.pixel(11, 10), qRgb(255, 0, 0));
    EXPECT_EQ(thumb.pixel(12, 11), qRgb(255, 255, 255));

    // A larger picture shrinks to fit, keeping its aspect ratio.
    QImage wide(40, 20, QImage::Format_RGB32);
    wide.fill(qRgb(0, 0, 255));
    ASSERT_TRUE(wide.save(dir + QStringLiteral("/wide.png"), "PNG"));
    ASSERT_TRUE(picture.Load(dir + QStringLiteral("/wide.png")));
    EXPECT_FALSE(readPictureFile(dir + QStringLiteral("/wide.png"), 10).has_value());
    const QImage fitted = picture.Render(QSize(20, 20));
    EXPECT_EQ(fitted.pixel(0, 4), qRgb(255, 255, 255));
    EXPECT_EQ(fitted.pixel(19, 14), qRgb(0, 0, 255));

    EXPECT_FALSE(picture.RenderToBitmap(dir + QStringLiteral("/empty.bmp"), QRect()));
    EXPECT_FALSE(picture.Load(dir + QStringLiteral("/missing.png")));
    TestEnv::writeAll(dir + QStringLiteral("/junk.bmp"), QByteArray("BM\x01\x02junk"));
    EXPECT_FALSE(picture.Load(dir + QStringLiteral("/junk.bmp")));
    EXPECT_FALSE(picture.RenderToBitmap(dir + QStringLiteral("/none.bmp"), QRect(0, 0, 20, 20)));
}

} // namespace

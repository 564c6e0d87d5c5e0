#include "core/JpegFile.h"
#include "common/TestEnv.h"
#include "core/BmpFile.h"
#include "core/Dib.h"

#include <QFile>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QImage gradient(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, 128));
    return img;
}

int maxDifference(const QImage &a, const QImage &b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max(
                { worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q)) });
        }
    return worst;
}

TEST(JpegFile, RoundTripsInMemory)
{
    const QImage img = gradient(37, 23);
    const QByteArray jpeg = JpegCompressGlobal(BitmapToDib(img, {}, 24));
    ASSERT_TRUE(jpeg.startsWith("\xff\xd8"));
    ASSERT_TRUE(jpeg.endsWith("\xff\xd9"));
    QByteArray dib;
    ASSERT_EQ(decodeJpegToDib(jpeg, dib), JpegStatus::Ok);
    EXPECT_EQ(qFromLittleEndian<quint32>(dib.constData()), 40u);
    EXPECT_EQ(qFromLittleEndian<qint32>(dib.constData() + 8), 23); // bottom-up
    EXPECT_EQ(qFromLittleEndian<quint16>(dib.constData() + 14), 24);
    const QImage back = DibToBitmap(dib);
    ASSERT_EQ(back.size(), img.size());
    EXPECT_LE(maxDifference(img, back), 6);

    EXPECT_TRUE(JpegCompressGlobal(QByteArray("not a dib")).isEmpty());
}

TEST(JpegFile, DamagedDataFailsCleanly)
{
    const QByteArray jpeg = JpegCompressGlobal(BitmapToDib(gradient(64, 64), {}, 24));
    QByteArray dib("x");
    EXPECT_EQ(decodeJpegToDib(QByteArray(), dib), JpegStatus::Corrupt);
    EXPECT_TRUE(dib.isEmpty());
    EXPECT_EQ(decodeJpegToDib(QByteArray("GIF89a not a jpeg"), dib), JpegStatus::Corrupt);
    for (qsizetype n : { 2, 20, 200, 400, int(jpeg.size() / 2), int(jpeg.size() - 2) })
        EXPECT_EQ(decodeJpegToDib(jpeg.left(n), dib), JpegStatus::Corrupt) << n;

    // Dimensions beyond the limits are refused before anything is allocated.
    EXPECT_EQ(decodeJpegToDib(jpeg, dib, ImageLimits { 32, 1 << 20 }), JpegStatus::TooLarge);
    EXPECT_EQ(decodeJpegToDib(jpeg, dib, ImageLimits { 1000, 1000 }), JpegStatus::TooLarge);
    QByteArray huge = jpeg;
    const qsizetype sof = huge.indexOf("\xff\xc0");
    ASSERT_GT(sof, 0);
    qToBigEndian<quint16>(60000, huge.data() + sof + 5);
    qToBigEndian<quint16>(60000, huge.data() + sof + 7);
    EXPECT_EQ(decodeJpegToDib(huge, dib), JpegStatus::TooLarge);
}

TEST(JpegFile, FilesAndConversion)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("jpeg"));
    const QImage img = gradient(20, 10);
    const QByteArray dib = BitmapToDib(img, {}, 24);
    ASSERT_TRUE(JpegFile::EncodeDibToJpegFile(dib, dir + QStringLiteral("/a.jpg")));
    const QByteArray loaded = JpegFile::LoadJpegFileAsDib(dir + QStringLiteral("/a.jpg"));
    EXPECT_LE(maxDifference(img, DibToBitmap(loaded)), 6);
    ASSERT_TRUE(JpegFile::ConvertJpegFileToBmpFile(dir + QStringLiteral("/a.jpg"), dir + QStringLiteral("/a.bmp")));
    EXPECT_EQ(TestEnv::readAll(dir + QStringLiteral("/a.bmp")).mid(14), loaded);

    EXPECT_FALSE(JpegFile::EncodeDibToJpegFile(dib.left(50), dir + QStringLiteral("/b.jpg")));
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/b.jpg")));
    EXPECT_TRUE(JpegFile::LoadJpegFileAsDib(dir + QStringLiteral("/missing.jpg")).isEmpty());
    TestEnv::writeAll(dir + QStringLiteral("/c.jpg"), QByteArray("\xff\xd8\xff\xe0 broken"));
    EXPECT_FALSE(JpegFile::ConvertJpegFileToBmpFile(dir + QStringLiteral("/c.jpg"), dir + QStringLiteral("/c.bmp")));
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/c.bmp")));
}

} // namespace

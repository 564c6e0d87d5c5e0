#include "core/Dib.h"

#include <QtEndian>
#include <gtest/gtest.h>
#include <random>

namespace {

QImage randomIndexed(int w, int h, int bits, std::mt19937 &rng)
{
    QImage img(w, h, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < (1 << bits); ++i)
        table.append(qRgb(int(rng() % 256), int(rng() % 256), int(rng() % 256)));
    img.setColorTable(table);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, uint(rng() % table.size()));
    return img;
}

void setU32(QByteArray &b, int off, quint32 v)
{
    qToLittleEndian<quint32>(v, b.data() + off);
}
void setU16(QByteArray &b, int off, quint16 v)
{
    qToLittleEndian<quint16>(v, b.data() + off);
}
quint32 u32(const QByteArray &b, int off)
{
    return qFromLittleEndian<quint32>(b.constData() + off);
}

// A DIB from a header and rows (each row already padded).
QByteArray dibOf(
    int headerSize, int w, int h, int bits, quint32 compression, const QByteArray &extra, const QByteArray &rows)
{
    QByteArray d(headerSize, '\0');
    setU32(d, 0, quint32(headerSize));
    setU32(d, 4, quint32(w));
    setU32(d, 8, quint32(h));
    setU16(d, 12, 1);
    setU16(d, 14, quint16(bits));
    setU32(d, 16, compression);
    return d + extra + rows;
}

TEST(Dib, RoundTripsEveryDepth)
{
    std::mt19937 rng(7);
    for (int bits : { 1, 4, 8 }) {
        SCOPED_TRACE(bits);
        const QImage img = randomIndexed(13, 7, bits, rng);
        const QByteArray dib = BitmapToDib(img, {}, bits);
        const qsizetype stride = dibStride(13, bits);
        ASSERT_EQ(dib.size(), 40 + 4 * (1 << bits) + stride * 7);
        EXPECT_EQ(u32(dib, 0), 40u);
        EXPECT_EQ(qFromLittleEndian<quint16>(dib.constData() + 14), bits);
        EXPECT_EQ(u32(dib, 20), quint32(stride * 7));
        const QImage back = DibToBitmap(dib);
        ASSERT_FALSE(back.isNull());
        EXPECT_EQ(back.colorTable(), img.colorTable());
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x)
                ASSERT_EQ(back.pixelIndex(x, y), img.pixelIndex(x, y)) << x << "," << y;
    }
    QImage rgb(11, 5, QImage::Format_RGB32);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 11; ++x)
            rgb.setPixel(x, y, qRgb(int(rng() % 256), int(rng() % 256), int(rng() % 256)));
    const QImage back = DibToBitmap(BitmapToDib(rgb, {}, 24));
    EXPECT_EQ(back, rgb);
}

TEST(Dib, RowsAreBottomUpAndPadded)
{
    for (int w = 1; w <= 5; ++w) {
        QImage img(w, 2, QImage::Format_RGB32);
        img.fill(qRgb(1, 2, 3));
        img.setPixel(0, 1, qRgb(10, 20, 30)); // last row is stored first
        const QByteArray dib = BitmapToDib(img, {}, 24);
        const qsizetype stride = (w * 3 + 3) / 4 * 4;
        ASSERT_EQ(dib.size(), 40 + 2 * stride);
        EXPECT_EQ(dib.mid(40, 3), QByteArray("\x1e\x14\x0a", 3));
        for (qsizetype pad = w * 3; pad < stride; ++pad)
            EXPECT_EQ(dib[40 + pad], '\0');
    }
    EXPECT_EQ(dibStride(33, 1), 8);
}

TEST(Dib, PalettesAndDepthChoice)
{
    QImage img(2, 1, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(250, 10, 5));
    img.setPixel(1, 0, qRgb(0, 0, 255));
    // A given palette: nearest entries.
    QImage back = DibToBitmap(BitmapToDib(img, { qRgb(0, 0, 0), qRgb(255, 0, 0) }, 1));
    EXPECT_EQ(back.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(back.pixel(1, 0), qRgb(0, 0, 0));
    // No palette: the default one (pure blue is in the 16 VGA colours).
    back = DibToBitmap(BitmapToDib(img, {}, 4));
    EXPECT_EQ(back.colorCount(), 16);
    EXPECT_EQ(back.pixel(1, 0), qRgb(0, 0, 255));

    auto depthOf = [](const QImage &i) { return qFromLittleEndian<quint16>(BitmapToDib(i, {}, 0).constData() + 14); };
    EXPECT_EQ(depthOf(QImage(3, 3, QImage::Format_Mono)), 1);
    QImage gray(3, 3, QImage::Format_Grayscale8);
    gray.fill(77);
    EXPECT_EQ(depthOf(gray), 8);
    EXPECT_EQ(DibToBitmap(BitmapToDib(gray, {}, 0)).pixel(1, 1), qRgb(77, 77, 77));
    EXPECT_EQ(depthOf(img), 24);
}

TEST(Dib, ReadsTopDownAndMaskedForms)
{
    // 32-bit BI_RGB, top-down: the first row stored is the top row; the fourth byte is ignored.
    QImage img = DibToBitmap(dibOf(40, 1, -2, 32, 0, {}, QByteArray("\x03\x02\x01\x99\x30\x20\x10\x00", 8)));
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.pixel(0, 0), qRgb(1, 2, 3));
    EXPECT_EQ(img.pixel(0, 1), qRgb(0x10, 0x20, 0x30));

    // 16-bit 5-6-5 through BI_BITFIELDS masks after a plain header.
    QByteArray masks(12, '\0');
    setU32(masks, 0, 0xF800);
    setU32(masks, 4, 0x07E0);
    setU32(masks, 8, 0x001F);
    img = DibToBitmap(dibOf(40, 2, 1, 16, 3, masks, QByteArray("\x00\xF8\x1F\x00", 4)));
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(1, 0), qRgb(0, 0, 255));

    // 16-bit BI_RGB is 5-5-5.
    img = DibToBitmap(dibOf(40, 2, 1, 16, 0, {}, QByteArray("\xE0\x03\x00\x7C", 4)));
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(1, 0), qRgb(255, 0, 0));

    // A V5 header carries its masks, alpha included.
    QByteArray v5 = dibOf(124, 1, 1, 32, 3, {}, QByteArray("\x11\x22\x33\x80", 4));
    setU32(v5, 40, 0x00FF0000);
    setU32(v5, 44, 0x0000FF00);
    setU32(v5, 48, 0x000000FF);
    setU32(v5, 52, 0xFF000000);
    img = DibToBitmap(v5);
    EXPECT_EQ(img.format(), QImage::Format_ARGB32);
    EXPECT_EQ(img.pixel(0, 0), qRgba(0x33, 0x22, 0x11, 0x80));

    // A short colour table: indices past it are black, not read from beyond it.
    QByteArray shortTable = dibOf(40, 2, 1, 8, 0, QByteArray("\x00\x00\xff\x00", 4), QByteArray("\x00\xc8\x00\x00", 4));
    setU32(shortTable, 32, 1);
    img = DibToBitmap(shortTable);
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(1, 0), qRgb(0, 0, 0));
}

TEST(Dib, RefusesMalformedHeaders)
{
    QImage src(3, 2, QImage::Format_Indexed8);
    src.setColorTable(defaultDibPalette(8));
    src.fill(5);
    const QByteArray good = BitmapToDib(src, {}, 8);
    ASSERT_FALSE(DibToBitmap(good).isNull());

    auto statusOf = [&](auto edit) {
        QByteArray d = good;
        edit(d);
        QImage out;
        return decodePackedDib(d, out);
    };
    EXPECT_EQ(statusOf([](QByteArray &d) { setU32(d, 0, 39); }), DibStatus::BadHeaderSize);
    EXPECT_EQ(statusOf([](QByteArray &d) { setU16(d, 12, 2); }), DibStatus::BadPlanes);
    EXPECT_EQ(statusOf([](QByteArray &d) { setU16(d, 14, 7); }), DibStatus::BadBitCount);
    EXPECT_EQ(statusOf([](QByteArray &d) { setU32(d, 16, 1); }), DibStatus::BadCompression); // RLE8
    EXPECT_EQ(statusOf([](QByteArray &d) { setU32(d, 16, 3); }), DibStatus::BadCompression); // masks at 8 bits
    EXPECT_EQ(statusOf([](QByteArray &d) { setU32(d, 32, 257); }), DibStatus::BadColourCount);
    EXPECT_EQ(statusOf([](QByteArray &d) { setU32(d, 4, 0); }), DibStatus::BadDimensions);
    EXPECT_EQ(statusOf([](QByteArray &d) { setU32(d, 8, 0); }), DibStatus::BadDimensions);
    EXPECT_EQ(statusOf([](QByteArray &d) { setU32(d, 4, 20000); }), DibStatus::TooLarge);
    EXPECT_EQ(statusOf([](QByteArray &d) { setU32(d, 8, 0x80000000); }), DibStatus::TooLarge);
    EXPECT_EQ(statusOf([](QByteArray &d) { setU32(d, 4, 10000), setU32(d, 8, 10000); }), DibStatus::TooLarge);
    EXPECT_EQ(statusOf([](QByteArray &d) { setU32(d, 8, 3); }), DibStatus::Truncated); // one row more than sent
    for (qsizetype n = 0; n < good.size(); ++n) {
        QImage out;
        ASSERT_NE(decodePackedDib(good.left(n), out), DibStatus::Ok) << n;
    }

    QByteArray masks(12, '\0');
    setU32(masks, 0, 0xF800);
    setU32(masks, 4, 0x0FE0); // overlaps red
    setU32(masks, 8, 0x001F);
    QImage out;
    EXPECT_EQ(decodePackedDib(dibOf(40, 1, 1, 16, 3, masks, QByteArray(4, '\0')), out), DibStatus::BadMasks);
    setU32(masks, 4, 0x0520); // a hole
    EXPECT_EQ(decodePackedDib(dibOf(40, 1, 1, 16, 3, masks, QByteArray(4, '\0')), out), DibStatus::BadMasks);
    EXPECT_EQ(decodePackedDib(dibOf(40, 1, 1, 16, 3, masks.left(8), {}), out), DibStatus::Truncated);
}

} // namespace

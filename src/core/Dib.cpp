#include "core/Dib.h"

#include <QtEndian>
#include <bit>
#include <cstring>

namespace {

uint32_t u32At(QByteArrayView b, qsizetype off)
{
    return qFromLittleEndian<quint32>(b.data() + off);
}

int32_t i32At(QByteArrayView b, qsizetype off)
{
    return qFromLittleEndian<qint32>(b.data() + off);
}

uint16_t u16At(QByteArrayView b, qsizetype off)
{
    return qFromLittleEndian<quint16>(b.data() + off);
}

bool knownHeaderSize(uint32_t size)
{
    // BITMAPINFOHEADER, its V2 and V3 extensions (masks), V4 and V5.
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool knownBitCount(int bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// A mask must be one run of set bits inside the pixel.
bool maskFits(uint32_t mask, int bitCount)
{
    if (bitCount == 16 && (mask >> 16) != 0)
        return false;
    if (mask == 0)
        return true;
    const uint32_t run = mask >> std::countr_zero(mask);
    return (run & (run + 1)) == 0;
}

bool masksValid(const DibLayout &l)
{
    const uint32_t r = l.redMask, g = l.greenMask, b = l.blueMask, a = l.alphaMask;
    if ((r | g | b) == 0)
        return false;
    if ((r & g) || (r & b) || (g & b) || (a & (r | g | b)))
        return false;
    return maskFits(r, l.bitCount) && maskFits(g, l.bitCount) && maskFits(b, l.bitCount) && maskFits(a, l.bitCount);
}

// Extracts one channel of a 16- or 32-bit pixel and scales it to 0..255.
struct Channel
{
    uint32_t mask = 0;
    int shift = 0;
    int width = 0;

    explicit Channel(uint32_t m)
        : mask(m)
    {
        if (m != 0) {
            shift = std::countr_zero(m);
            width = std::popcount(m);
        }
    }

    int value(uint32_t pixel, int absent) const
    {
        if (width == 0)
            return absent;
        const uint32_t v = (pixel & mask) >> shift;
        if (width >= 8)
            return int(v >> (width - 8));
        const uint32_t max = (1u << width) - 1;
        return int((v * 255 + max / 2) / max);
    }
};

void putLe32(char *p, uint32_t v)
{
    qToLittleEndian<quint32>(v, p);
}

void putLe16(char *p, uint16_t v)
{
    qToLittleEndian<quint16>(v, p);
}

// The colours and the indices of a bitmap at a depth of at most 8 bits.
QImage indexedFor(const QImage &bitmap, const QList<QRgb> &palette, int bitCount, QList<QRgb> &table)
{
    const int maxColours = 1 << bitCount;
    const bool indexed = bitmap.format() == QImage::Format_Indexed8 || bitmap.format() == QImage::Format_Mono
        || bitmap.format() == QImage::Format_MonoLSB;
    if (!palette.isEmpty()) {
        table = palette.mid(0, maxColours);
    } else if (indexed && bitmap.colorCount() > 0 && bitmap.colorCount() <= maxColours) {
        table = bitmap.colorTable();
    } else if (bitmap.format() == QImage::Format_Grayscale8 && bitCount == 8) {
        table.clear();
        for (int i = 0; i < 256; ++i)
            table.append(qRgb(i, i, i));
    } else {
        table = defaultDibPalette(bitCount);
    }
    if (indexed && bitmap.colorTable() == table)
        return bitmap.convertToFormat(QImage::Format_Indexed8);
    // Colours are matched to the nearest entry; transparency is dropped as a
    // device bitmap would drop it.
    return bitmap.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_Indexed8, table);
}

} // namespace

qsizetype dibStride(qint64 width, int bitCount)
{
    return qsizetype((width * bitCount + 31) / 32 * 4);
}

DibStatus parseDibHeader(QByteArrayView dib, DibLayout &layout, const ImageLimits &limits)
{
    DibLayout l;
    if (dib.size() < 4)
        return DibStatus::Truncated;
    const uint32_t headerSize = u32At(dib, 0);
    if (!knownHeaderSize(headerSize))
        return DibStatus::BadHeaderSize;
    if (dib.size() < qsizetype(headerSize))
        return DibStatus::Truncated;
    l.headerSize = int(headerSize);
    const qint64 width = i32At(dib, 4);
    const qint64 height = i32At(dib, 8);
    if (u16At(dib, 12) != 1)
        return DibStatus::BadPlanes;
    l.bitCount = u16At(dib, 14);
    if (!knownBitCount(l.bitCount))
        return DibStatus::BadBitCount;
    l.compression = u32At(dib, 16);
    const bool masked = l.bitCount == 16 || l.bitCount == 32;
    if (l.compression != kBiRgb && !(l.compression == kBiBitfields && masked))
        return DibStatus::BadCompression;
    if (width <= 0 || height == 0)
        return DibStatus::BadDimensions;
    if (!limits.allows(width, height < 0 ? -height : height))
        return DibStatus::TooLarge;
    l.width = int(width);
    l.height = int(height < 0 ? -height : height);
    l.topDown = height < 0;
    l.xPelsPerMeter = i32At(dib, 24);
    l.yPelsPerMeter = i32At(dib, 28);

    l.colourTableOffset = l.headerSize;
    if (l.compression == kBiBitfields) {
        // A plain info header is followed by three masks; the longer headers hold them.
        if (l.headerSize == kDibInfoHeaderSize) {
            if (dib.size() < kDibInfoHeaderSize + 12)
                return DibStatus::Truncated;
            l.colourTableOffset = kDibInfoHeaderSize + 12;
        }
        l.redMask = u32At(dib, 40);
        l.greenMask = u32At(dib, 44);
        l.blueMask = u32At(dib, 48);
        l.alphaMask = l.headerSize >= 56 ? u32At(dib, 52) : 0;
        if (!masksValid(l))
            return DibStatus::BadMasks;
    } else if (l.bitCount == 16) {
        l.redMask = 0x7C00, l.greenMask = 0x03E0, l.blueMask = 0x001F;
    } else if (l.bitCount == 32) {
        l.redMask = 0xFF0000, l.greenMask = 0xFF00, l.blueMask = 0xFF;
    }

    const uint32_t used = u32At(dib, 32);
    if (l.bitCount <= 8) {
        if (used > (1u << l.bitCount))
            return DibStatus::BadColourCount;
        l.colourCount = used ? int(used) : 1 << l.bitCount;
    } else {
        // Deeper DIBs may carry a palette for display optimisation; it is skipped.
        if (used > 256)
            return DibStatus::BadColourCount;
        l.colourCount = int(used);
    }
    l.bitsOffset = l.colourTableOffset + qsizetype(l.colourCount) * 4;
    if (dib.size() < l.bitsOffset)
        return DibStatus::Truncated;
    l.stride = dibStride(l.width, l.bitCount);
    l.bitsSize = l.stride * l.height; // at most 64 KiB * 16384: no overflow
    layout = l;
    return DibStatus::Ok;
}

DibStatus decodeDibRows(QByteArrayView header, const DibLayout &l, QByteArrayView bits, QImage &image)
{
    if (bits.size() < l.bitsSize)
        return DibStatus::Truncated;
    QImage::Format format = QImage::Format_RGB32;
    if (l.bitCount == 1)
        format = QImage::Format_Mono;
    else if (l.bitCount <= 8)
        format = QImage::Format_Indexed8;
    else if (l.alphaMask != 0)
        format = QImage::Format_ARGB32;
    QImage img(l.width, l.height, format);
    if (img.isNull())
        return DibStatus::OutOfMemory;

    if (l.bitCount <= 8) {
        // Indices beyond a short colour table show black rather than reading past it.
        QList<QRgb> table(1 << l.bitCount, qRgb(0, 0, 0));
        for (int i = 0; i < l.colourCount; ++i) {
            const auto *q = reinterpret_cast<const uchar *>(header.data() + l.colourTableOffset + 4 * i);
            table[i] = qRgb(q[2], q[1], q[0]);
        }
        img.setColorTable(table);
    }
    const Channel red(l.redMask), green(l.greenMask), blue(l.blueMask), alpha(l.alphaMask);
    const int w = l.width;
    for (int y = 0; y < l.height; ++y) {
        const auto *src
            = reinterpret_cast<const uchar *>(bits.data()) + qsizetype(l.topDown ? y : l.height - 1 - y) * l.stride;
        uchar *dst = img.scanLine(y);
        auto *rgb = reinterpret_cast<QRgb *>(dst);
        switch (l.bitCount) {
        case 1:
            std::memcpy(dst, src, size_t(w + 7) / 8);
            break;
        case 4:
            for (int x = 0; x < w; ++x)
                dst[x] = (x & 1) ? (src[x / 2] & 0x0F) : (src[x / 2] >> 4);
            break;
        case 8:
            std::memcpy(dst, src, size_t(w));
            break;
        case 16:
            for (int x = 0; x < w; ++x) {
                const uint32_t p = uint32_t(src[2 * x]) | uint32_t(src[2 * x + 1]) << 8;
                rgb[x] = qRgba(red.value(p, 0), green.value(p, 0), blue.value(p, 0), alpha.value(p, 255));
            }
            break;
        case 24:
            for (int x = 0; x < w; ++x)
                rgb[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
            break;
        default: // 32
            for (int x = 0; x < w; ++x) {
                const uint32_t p = qFromLittleEndian<quint32>(src + 4 * x);
                rgb[x] = qRgba(red.value(p, 0), green.value(p, 0), blue.value(p, 0), alpha.value(p, 255));
            }
            break;
        }
    }
    if (l.xPelsPerMeter > 0 && l.yPelsPerMeter > 0) {
        img.setDotsPerMeterX(l.xPelsPerMeter);
        img.setDotsPerMeterY(l.yPelsPerMeter);
    }
    image = img;
    return DibStatus::Ok;
}

DibStatus decodePackedDib(QByteArrayView dib, QImage &image, const ImageLimits &limits)
{
    DibLayout layout;
    const DibStatus status = parseDibHeader(dib, layout, limits);
    if (status != DibStatus::Ok)
        return status;
    return decodeDibRows(dib, layout, dib.sliced(layout.bitsOffset), image);
}

QByteArray makeDibInfoHeader(int width, int height, int bitCount, int32_t xPelsPerMeter, int32_t yPelsPerMeter)
{
    QByteArray h(kDibInfoHeaderSize, '\0');
    char *p = h.data();
    putLe32(p, kDibInfoHeaderSize);
    putLe32(p + 4, uint32_t(width));
    putLe32(p + 8, uint32_t(height));
    putLe16(p + 12, 1);
    putLe16(p + 14, uint16_t(bitCount));
    putLe32(p + 16, kBiRgb);
    putLe32(p + 20, uint32_t(dibStride(width, bitCount) * height));
    putLe32(p + 24, uint32_t(xPelsPerMeter));
    putLe32(p + 28, uint32_t(yPelsPerMeter));
    return h;
}

QList<QRgb> defaultDibPalette(int bitCount)
{
    QList<QRgb> table;
    if (bitCount == 1) {
        table = { qRgb(0, 0, 0), qRgb(255, 255, 255) };
    } else if (bitCount == 4) {
        table
            = { qRgb(0, 0, 0), qRgb(128, 0, 0), qRgb(0, 128, 0), qRgb(128, 128, 0), qRgb(0, 0, 128), qRgb(128, 0, 128),
                  qRgb(0, 128, 128), qRgb(192, 192, 192), qRgb(128, 128, 128), qRgb(255, 0, 0), qRgb(0, 255, 0),
                  qRgb(255, 255, 0), qRgb(0, 0, 255), qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255) };
    } else if (bitCount == 8) {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    table.append(qRgb(r * 51, g * 51, b * 51));
        for (int i = 1; i <= 40; ++i)
            table.append(qRgb(i * 255 / 41, i * 255 / 41, i * 255 / 41));
    }
    return table;
}

QByteArray BitmapToDib(const QImage &bitmap, const QList<QRgb> &palette, int bitCount)
{
    if (bitmap.isNull() || !ImageLimits().allows(bitmap.width(), bitmap.height()))
        return {};
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) {
        if (bitmap.depth() == 1)
            bitCount = 1;
        else if (bitmap.format() == QImage::Format_Indexed8 || bitmap.format() == QImage::Format_Grayscale8)
            bitCount = 8;
        else
            bitCount = 24;
    }
    const int w = bitmap.width(), h = bitmap.height();
    const qsizetype stride = dibStride(w, bitCount);
    QList<QRgb> table;
    QImage src;
    if (bitCount <= 8)
        src = indexedFor(bitmap, palette, bitCount, table);
    else
        src = bitmap.convertToFormat(QImage::Format_RGB32);
    if (src.isNull())
        return {};
    table.resize(bitCount <= 8 ? 1 << bitCount : 0, qRgb(0, 0, 0));

    QByteArray dib = makeDibInfoHeader(w, h, bitCount, bitmap.dotsPerMeterX(), bitmap.dotsPerMeterY());
    const qsizetype tableOffset = dib.size();
    const qsizetype bitsOffset = tableOffset + table.size() * 4;
    dib.resize(bitsOffset + stride * h, '\0');
    if (dib.size() != bitsOffset + stride * h)
        return {};
    char *out = dib.data();
    for (qsizetype i = 0; i < table.size(); ++i) {
        char *q = out + tableOffset + 4 * i;
        q[0] = char(qBlue(table[i]));
        q[1] = char(qGreen(table[i]));
        q[2] = char(qRed(table[i]));
    }
    for (int y = 0; y < h; ++y) {
        auto *dst = reinterpret_cast<uchar *>(out + bitsOffset + qsizetype(h - 1 - y) * stride);
        const uchar *line = src.constScanLine(y);
        const auto *rgb = reinterpret_cast<const QRgb *>(line);
        switch (bitCount) {
        case 1:
            for (int x = 0; x < w; ++x)
                dst[x / 8] |= uchar((line[x] & 1) << (7 - x % 8));
            break;
        case 4:
            for (int x = 0; x < w; ++x)
                dst[x / 2] |= uchar((line[x] & 0x0F) << ((x & 1) ? 0 : 4));
            break;
        case 8:
            std::memcpy(dst, line, size_t(w));
            break;
        default:
            for (int x = 0; x < w; ++x) {
                dst[3 * x] = uchar(qBlue(rgb[x]));
                dst[3 * x + 1] = uchar(qGreen(rgb[x]));
                dst[3 * x + 2] = uchar(qRed(rgb[x]));
            }
            break;
        }
    }
    return dib;
}

QImage DibToBitmap(QByteArrayView dib)
{
    QImage image;
    if (decodePackedDib(dib, image) != DibStatus::Ok)
        return {};
    return image;
}

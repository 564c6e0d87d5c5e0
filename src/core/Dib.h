// Packed device-independent bitmaps ("DIBs"): a BITMAPINFOHEADER, optional
// colour masks, a colour table and bottom-up rows padded to four bytes, all
// little-endian. This is how pictures travel between peers and how the
// program hands bitmaps to the .bmp and JPEG writers.
#pragma once

#include "core/PictureLimits.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QList>
#include <cstdint>

enum class DibStatus {
    Ok,
    Truncated, // the bytes end before the header, masks, colour table or rows
    BadHeaderSize, // not a 40-, 52-, 56-, 108- or 124-byte info header
    BadPlanes, // planes is not 1
    BadBitCount, // not 1, 4, 8, 16, 24 or 32 bits per pixel
    BadCompression, // neither BI_RGB nor BI_BITFIELDS (the latter only at 16 and 32 bits)
    BadColourCount, // more colours than the depth allows, or more than 256
    BadMasks, // colour masks that overlap, have holes or exceed the depth
    BadDimensions, // zero or negative width, zero height
    TooLarge, // beyond ImageLimits
    OutOfMemory,
};

inline constexpr uint32_t kBiRgb = 0;
inline constexpr uint32_t kBiBitfields = 3;
inline constexpr int kDibInfoHeaderSize = 40;
inline constexpr int kBmpFileHeaderSize = 14;

// Where the parts of a DIB lie, as found by parseDibHeader. Offsets count from
// the start of the info header.
struct DibLayout
{
    int width = 0;
    int height = 0; // always positive; topDown tells the row order
    bool topDown = false;
    int bitCount = 0;
    uint32_t compression = kBiRgb;
    int headerSize = 0;
    int colourCount = 0; // entries in the colour table
    qsizetype colourTableOffset = 0;
    qsizetype bitsOffset = 0; // where the rows start in a packed DIB
    qsizetype stride = 0;
    qsizetype bitsSize = 0; // stride * height
    uint32_t redMask = 0, greenMask = 0, blueMask = 0, alphaMask = 0; // 16 and 32 bits
    int32_t xPelsPerMeter = 0, yPelsPerMeter = 0;
};

// Bytes per row: width * bitCount bits rounded up to a multiple of 32.
qsizetype dibStride(qint64 width, int bitCount);

// Checks the info header, the masks and the colour table (which must be
// inside dib) but not the rows. biSizeImage and biClrImportant are advisory
// and not used: the row size follows from width, height and depth.
DibStatus parseDibHeader(QByteArrayView dib, DibLayout &layout, const ImageLimits &limits = {});
// Converts rows (bits, at least layout.bitsSize bytes) into an image. header
// is the DIB the layout was parsed from (for its colour table).
DibStatus decodeDibRows(QByteArrayView header, const DibLayout &layout, QByteArrayView bits, QImage &image);
// A whole packed DIB: header, then rows right after the colour table.
DibStatus decodePackedDib(QByteArrayView dib, QImage &image, const ImageLimits &limits = {});

// The 40-byte info header of an uncompressed DIB (biSizeImage filled in,
// biClrUsed 0, so the colour table has 2^bitCount entries up to 8 bits).
QByteArray makeDibInfoHeader(int width, int height, int bitCount, int32_t xPelsPerMeter = 0, int32_t yPelsPerMeter = 0);

// The palette used when BitmapToDib is given none: black and white at 1 bit,
// the 16 VGA colours at 4 bits, a 6x6x6 colour cube and 40 greys at 8 bits.
QList<QRgb> defaultDibPalette(int bitCount);

// A packed, uncompressed DIB of the bitmap at 1, 4, 8 or 24 bits; any other
// bitCount takes the depth from the bitmap (1, 8 or else 24). palette, when
// not empty, is the colour table for depths up to 8 (colours are matched to
// the nearest entry); empty means the bitmap's own colour table when it fits,
// else defaultDibPalette. An empty array on failure.
QByteArray BitmapToDib(const QImage &bitmap, const QList<QRgb> &palette, int bitCount);

// The bitmap of a packed DIB (1, 4 and 8 bits give an indexed image, 16, 24
// and 32 bits an RGB32 image, ARGB32 when an alpha mask is given). A null
// image when the DIB is malformed or too large.
QImage DibToBitmap(QByteArrayView dib);

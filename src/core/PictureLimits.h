// Bounds on the pictures the program decodes: a picture from a peer or from a
// file never makes us allocate more than these allow.
#pragma once

#include <QSize>
#include <QtGlobal>
#include <cmath>

struct ImageLimits
{
    int maxSide = 16384; // pixels per side
    qint64 maxPixels = qint64(64) << 20; // width * height

    bool allows(qint64 width, qint64 height) const
    {
        return width > 0 && height > 0 && width <= maxSide && height <= maxSide && width * height <= maxPixels;
    }
};

// Pictures from peers, as decoded: a full-screen capture of two 4K screens
// side by side (7680 x 2160) or of one 5K screen (5120 x 2880) fits, about
// 50 MB as a 24-bit bitmap; a larger one is dropped. The packed bytes are
// bounded as well (PicturePayloads::kMaxUnpackedBytes).
inline constexpr ImageLimits kPeerPictureLimits { 16384, qint64(7680) * 2160 };

// The largest picture file (.bmp, .jpg, ...) we read into memory.
inline constexpr qint64 kMaxPictureFileBytes = qint64(256) << 20;

// Pictures as a window shows them: no wider than a full-HD screen (wider
// than a chat window's history on most screens) and no larger than two such
// screens in all (a tall capture scrolls), keeping their shape; the file
// keeps the picture at its own size. About 16 MB as a bitmap at most.
inline constexpr int kShownPictureWidth = 1920;
inline constexpr qint64 kShownPicturePixels = qint64(1920) * 1080 * 2;

// The size a picture of `size` is shown at.
inline QSize ShownPictureSize(QSize size)
{
    if (size.isEmpty())
        return size;
    double scale = qMin(1.0, double(kShownPictureWidth) / size.width());
    const double pixels = double(size.width()) * size.height() * scale * scale;
    if (pixels > double(kShownPicturePixels))
        scale *= std::sqrt(double(kShownPicturePixels) / pixels);
    if (scale >= 1.0)
        return size;
    return QSize(qMax(1, int(size.width() * scale)), qMax(1, int(size.height() * scale)));
}

// Bounds on the pictures the program decodes: a picture from a peer or from a
// file never makes us allocate more than these allow.
#pragma once

#include <QtGlobal>

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

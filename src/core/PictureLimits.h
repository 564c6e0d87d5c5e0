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

// The largest picture file (.bmp, .jpg, ...) we read into memory.
inline constexpr qint64 kMaxPictureFileBytes = qint64(256) << 20;

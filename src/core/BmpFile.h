// .bmp files: a 14-byte BITMAPFILEHEADER ("BM", file size, offset of the
// rows) in front of a DIB, and the bounded file access of the picture code.
#pragma once

#include "core/Dib.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

// The bytes of a .bmp file holding the packed DIB; empty when the DIB is malformed.
QByteArray bmpFileFromDib(QByteArrayView dib);
// Decodes a .bmp file held in memory. The rows are found through the file
// header's offset, which may leave a gap after the colour table.
DibStatus decodeBmpFile(QByteArrayView file, QImage &image, const ImageLimits &limits = {});

// Writes the bitmap as a .bmp file at its own depth (1, 8 or 24 bits).
bool SaveBitmapToFile(const QImage &bitmap, const QString &path);
// Writes a packed DIB as a .bmp file; false when the DIB is malformed or the file cannot be written.
bool SaveDibToFile(const QString &path, QByteArrayView dib);
// Loads a .bmp file, or any picture file Qt reads; a null image on failure.
QImage LoadBitmapFile(const QString &path);

// The whole file when it exists and is at most maxBytes long.
std::optional<QByteArray> readPictureFile(const QString &path, qint64 maxBytes = kMaxPictureFileBytes);
// Replaces the file with the bytes in one step (nothing half-written is left behind).
bool writePictureFile(const QString &path, QByteArrayView bytes);

// JPEG over libjpeg-turbo: packed DIBs to JPEG bytes at quality 100 and JPEG
// bytes back to 24-bit packed DIBs, in memory and through files. Errors in
// the data never end the program: they come back as a failure.
#pragma once

#include "core/PictureLimits.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

enum class JpegStatus {
    Ok,
    BadInput, // the DIB to encode is malformed
    Corrupt, // not a JPEG, damaged, truncated or of an unsupported kind
    TooLarge, // beyond ImageLimits (checked before anything is allocated)
};

class JpegFile
{
public:
    // Decodes the JPEG file and writes it as a 24-bit .bmp file at bmpPath.
    static bool ConvertJpegFileToBmpFile(const QString &jpegPath, const QString &bmpPath);
    // Writes the packed DIB as a JPEG file at quality 100.
    static bool EncodeDibToJpegFile(QByteArrayView dib, const QString &path);
    // The JPEG file as a 24-bit packed DIB; empty on failure.
    static QByteArray LoadJpegFileAsDib(const QString &path);
};

// The packed DIB as JPEG bytes (quality 100 unless told); empty on failure.
QByteArray JpegCompressGlobal(QByteArrayView dib, int quality = 100);
// JPEG bytes to a bottom-up 24-bit packed DIB.
JpegStatus decodeJpegToDib(QByteArrayView jpeg, QByteArray &dib, const ImageLimits &limits = {});
// The same, empty on failure: what picture reception uses for JPEG-compressed pictures.
QByteArray JpegDecompressGlobal(QByteArrayView jpeg);

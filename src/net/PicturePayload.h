// The bytes a picture travels as: a bitmap compressed with LZW or JPEG or sent
// as its packed DIB, a GIF face as its file; and the way back to a bitmap.
#pragma once

#include "core/PictureLimits.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <optional>

struct PicturePayload
{
    QByteArray data; // what the chunks carry
    qint32 kind = 0;
    qint32 compression = 0;
    QByteArray dib; // the uncompressed 24-bit DIB of a bitmap (kept in SendFace)
};

namespace PicturePayloads {

// Bitmaps of this many DIB bytes or more go as JPEG, smaller ones as LZW.
inline constexpr qsizetype kJpegFromBytes = 0x80000;
// The largest bitmap payload that is sent.
inline constexpr qsizetype kMaxBitmapPayload = 4096000;
// A transfer of this many bytes or more is large (memory is trimmed after it).
inline constexpr qsizetype kLargeTransfer = 51200;
// The most bytes an LZW container of a received picture may unpack to: a
// 24-bit DIB of the largest picture a peer may send (kPeerPictureLimits)
// with its header; a container that declares more is not unpacked.
inline constexpr qsizetype kMaxUnpackedBytes = qsizetype(kPeerPictureLimits.maxPixels) * 3 + 2048;

// How a bitmap is packed when "SendBmpZip" is on.
enum class Packing {
    // JPEG at quality 100 whatever the size: every receiver decodes it. Our
    // LZW container cannot be checked against the Windows peers' codec.
    JpegOnly,
    // LZW below kJpegFromBytes, JPEG above: for a peer known to read our
    // LZW container (it sent us one that decoded).
    LzwBelowThreshold,
};

// A bitmap as sent in a message: a 24-bit DIB, compressed when `zip` is on
// (kind 0, by `packing`), or the DIB itself (kind 1, compression 0) when zip
// is off or the encoder fails. None when there is no bitmap or the payload
// would exceed kMaxBitmapPayload.
std::optional<PicturePayload> EncodeBitmap(const QImage &bitmap, bool zip, Packing packing = Packing::JpegOnly);
// A GIF face: the file's bytes as they are (kind 2, compression 1).
PicturePayload GifPayload(QByteArray fileBytes);

// True when the bytes start like a GIF file.
bool IsGif(QByteArrayView data);
// Unpacks data by its compression: 1 LZW, 2 JPEG, anything else as it is.
// Empty when the data does not unpack (a JPEG beyond kPeerPictureLimits
// does not).
// tooLarge (may be null) tells that it did not unpack for its size.
QByteArray Unpack(QByteArrayView data, qint32 compression, bool *tooLarge = nullptr);
// The packed DIB of a received message picture: kind 0 is LZW (compression 1)
// or else JPEG, kind 1 the DIB itself. Empty on failure and for other kinds.
QByteArray MessagePictureDib(QByteArrayView data, qint32 kind, qint32 compression, bool *tooLarge = nullptr);
// True when a packed DIB from a peer is a bitmap within kPeerPictureLimits.
bool WithinPeerLimits(QByteArrayView dib);

} // namespace PicturePayloads

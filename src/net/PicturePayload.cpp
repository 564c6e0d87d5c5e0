#include "net/PicturePayload.h"

#include "core/Dib.h"
#include "core/JpegFile.h"
#include "core/Lzw.h"
#include "net/PictureChunk.h"

using namespace PictureChunk;

namespace PicturePayloads {

std::optional<PicturePayload> EncodeBitmap(const QImage &bitmap, bool zip, Packing packing)
{
    if (bitmap.isNull())
        return std::nullopt;
    PicturePayload out;
    out.dib = BitmapToDib(bitmap, {}, 24);
    if (out.dib.isEmpty())
        return std::nullopt;
    out.kind = KindCompressedBitmap;
    if (zip) {
        const bool jpeg = packing == Packing::JpegOnly || out.dib.size() >= kJpegFromBytes;
        out.data = jpeg ? JpegCompressGlobal(out.dib) : LzwCompressGlobal(out.dib);
        out.compression = jpeg ? CompressionJpeg : CompressionLzw;
    }
    if (out.data.isEmpty()) {
        out.data = out.dib;
        out.kind = KindDib;
        out.compression = CompressionNone;
    }
    if (out.data.size() > kMaxBitmapPayload)
        return std::nullopt;
    return out;
}

PicturePayload GifPayload(QByteArray fileBytes)
{
    PicturePayload out;
    out.data = std::move(fileBytes);
    out.kind = KindGif;
    out.compression = CompressionLzw;
    return out;
}

bool IsGif(QByteArrayView data)
{
    return data.startsWith("GIF87a") || data.startsWith("GIF89a");
}

QByteArray Unpack(QByteArrayView data, qint32 compression, bool *tooLarge)
{
    if (tooLarge)
        *tooLarge = false;
    if (compression == CompressionLzw) {
        QByteArray out;
        const LzwStatus status = LzwDecompressGlobal(data, out, kMaxUnpackedBytes);
        if (tooLarge)
            *tooLarge = status == LzwStatus::TooLarge;
        return status == LzwStatus::Ok ? out : QByteArray();
    }
    if (compression == CompressionJpeg) {
        // Nothing beyond the peer limits is allocated.
        QByteArray dib;
        const JpegStatus status = decodeJpegToDib(data, dib, kPeerPictureLimits);
        if (tooLarge)
            *tooLarge = status == JpegStatus::TooLarge;
        return status == JpegStatus::Ok ? dib : QByteArray();
    }
    return data.toByteArray();
}

QByteArray MessagePictureDib(QByteArrayView data, qint32 kind, qint32 compression, bool *tooLarge)
{
    if (tooLarge)
        *tooLarge = false;
    if (kind == KindCompressedBitmap)
        return Unpack(data, compression == CompressionLzw ? CompressionLzw : CompressionJpeg, tooLarge);
    if (kind == KindDib)
        return data.toByteArray();
    return {};
}

bool WithinPeerLimits(QByteArrayView dib)
{
    DibLayout layout;
    return parseDibHeader(dib, layout, kPeerPictureLimits) == DibStatus::Ok;
}

QByteArray MessagePictureDib(QByteArrayView data, qint32 kind, qint32 compression)
{
    if (kind == KindCompressedBitmap)
        return Unpack(data, compression == CompressionLzw ? CompressionLzw : CompressionJpeg);
    if (kind == KindDib)
        return data.toByteArray();
    return {};
}

} // namespace PicturePayloads

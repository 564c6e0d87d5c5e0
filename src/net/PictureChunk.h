// The wire format of pictures in chat: one CMD_PICTURE_DATA packet per chunk
// with the text header "%08x|%ld|%d|%d|%d|%d|%d|%d|%d|%08x#" as body and the
// chunk's bytes as the extension part, and the acknowledgement
// CMD_PICTURE_ACK "%08x|%d#". Pure functions over bytes (docs/picture-transfer.md).
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <optional>

namespace PictureChunk {

// A picture has at most this many chunks (numbered 1..kMaxChunks).
inline constexpr qint32 kMaxChunks = 8000;
// The largest picture Kwel sends or accepts.
inline constexpr quint32 kMaxPictureBytes = 16u << 20;
// What a chunk packet needs besides the chunk itself, at worst: the packet
// header with 49-byte names and 11-character numbers (198 bytes), the chunk
// header with 11-character numbers (114 bytes) and the body's NUL, rounded up.
inline constexpr qint32 kPacketOverhead = 512;
// The largest chunk: with its header it always fits a 16384-byte packet.
inline constexpr qint32 kMaxChunkSize = 16384 - kPacketOverhead;
inline constexpr qint32 kDefaultChunkSize = 512;

// Kind of the data.
inline constexpr qint32 KindCompressedBitmap = 0; // LZW container or JPEG, by the compression
inline constexpr qint32 KindDib = 1; // an uncompressed packed DIB
inline constexpr qint32 KindGif = 2; // a GIF file as stored
// Compression of the data.
inline constexpr qint32 CompressionNone = 0;
inline constexpr qint32 CompressionLzw = 1;
inline constexpr qint32 CompressionJpeg = 2;
// What the picture is for.
inline constexpr qint32 PurposeMessage = 0; // a picture or face in a chat message
inline constexpr qint32 PurposeHeadPicture = 1; // the sender's custom head picture
inline constexpr qint32 PurposeCustomPicture = 2; // the sender's custom picture

} // namespace PictureChunk

struct PictureChunkHeader
{
    quint32 id = 0;
    quint32 totalSize = 0;
    qint32 offset = 0;
    qint32 chunkCount = 0;
    qint32 chunkNumber = 0; // 1-based
    qint32 chunkLength = 0;
    qint32 kind = PictureChunk::KindDib;
    qint32 compression = PictureChunk::CompressionLzw;
    qint32 purpose = PictureChunk::PurposeMessage;
    quint32 groupId = 0;

    bool operator==(const PictureChunkHeader &) const = default;
};

enum class PictureChunkStatus {
    Ok,
    TooFewFields, // fewer than ten "|"-separated fields before the first "#"
    BadNumber, // a field that is not a number of its form
    BadChunkCount, // chunk count outside 1..8000, or more chunks than bytes
    BadChunkNumber, // chunk number outside 1..chunk count
    BadTotal, // total size 0 or above the caller's limit
    OutOfBounds, // empty chunk, negative offset, or offset + length past the total
    LengthMismatch, // the bytes that arrived differ from the announced chunk length
    BadKind, // kind, compression or purpose outside 0..2
};

namespace PictureChunk {

// The header text, "#" included.
QByteArray FormatHeader(const PictureChunkHeader &header);
// Reads the header from a packet body: the text up to the first "#" (or the
// end) split at "|" into at least ten fields; the id and the group id are
// hexadecimal (at most 8 significant digits), the total size an unsigned and the others
// signed 32-bit decimals. Fields after the tenth are ignored.
PictureChunkStatus ParseHeader(QByteArrayView body, PictureChunkHeader &out);
// Checks a parsed header against itself and the bytes that came with it.
PictureChunkStatus CheckChunk(const PictureChunkHeader &header, qsizetype bytesArrived, quint32 maxTotal);

struct Ack
{
    quint32 id = 0;
    qint32 chunkNumber = 0;
};
QByteArray FormatAck(quint32 id, qint32 chunkNumber);
// "%08x|%d#": exactly two "|"-separated fields, the id in hexadecimal and the
// chunk number as a decimal that ends at the first character that is not a
// digit. None when the body is not of that form.
std::optional<Ack> ParseAck(QByteArrayView body);

} // namespace PictureChunk

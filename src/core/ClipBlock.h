// The private clipboard block of message content: the message text of a
// selection with its face shortcuts and picture markers, and the bitmaps of
// its static pictures, so that a copy from one message edit pastes into
// another with its pictures and ids intact.
//
// Layout (integers 32-bit little-endian, no padding):
//   L (text bytes + 1), the text in GBK ending in a NUL, N (picture count),
//   then N records: id, S (data size, 0 for none), S bytes of a packed
//   24-bit DIB.
// One record per distinct picture id, in the order the ids first appear in
// the text. Animated pictures and pictures without a readable bitmap have S 0.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The name under which the Windows peers register the format.
inline constexpr char kMessageClipFormatName[] = "KWEL CLIP FORMATE";
// The MIME type that carries the block here.
inline constexpr char kMessageClipMimeType[] = "application/x-kwel-clip";
// A block whose L is this or more is read with no text (and so pastes nothing).
inline constexpr quint32 kMaxClipTextField = 7000;

struct ClipPicture
{
    quint32 id = 0;
    QByteArray dib; // empty: none
};

struct MessageClipBlock
{
    QString text;
    QList<ClipPicture> pictures;

    // The DIB of the first record with the id, or empty.
    QByteArray dibOf(quint32 id) const;
};

enum class ClipBlockStatus {
    Ok,
    Truncated, // the block ends inside L, the text, N or a record header
    TextTooLong, // L is 7000 or more
    BadPictureCount, // N records cannot fit in what is left of the block
    BadPictureSize, // a record's S runs past the end of the block
};

QByteArray encodeMessageClipBlock(const MessageClipBlock &block);
// Reads a block of any origin. Bytes after the last record are allowed (the
// Windows clipboard may round the block size up). On failure `block` is empty.
ClipBlockStatus decodeMessageClipBlock(QByteArrayView bytes, MessageClipBlock &block);

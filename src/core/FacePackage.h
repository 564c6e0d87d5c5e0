// Face packages (".kcf"): a user's custom faces in one file, to carry the
// library to another machine. Little-endian, no padding:
//
//   0    32  signature "Kwel custom faces", NUL, zeros
//   32    4  version, always 1
//   36    4  count of entries
//   40  ...  entries: id (u32), extension (12 bytes, NUL-terminated),
//            tip (64 bytes, NUL-terminated GBK), shortcut (64 bytes, the
//            same), size (u32), then size bytes of the picture file
//
// A package is peer-like input: every field is bounded and every size is
// checked against the bytes that remain before it is used.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace FacePackage {

inline constexpr qsizetype kSignatureSize = 32;
inline constexpr qsizetype kHeaderSize = 40;
inline constexpr qsizetype kCountOffset = 36;
inline constexpr qsizetype kEntryFixedSize = 148;
inline constexpr qsizetype kExtensionSize = 12;
inline constexpr qsizetype kTextSize = 64; // tip and shortcut: 63 GBK bytes and the NUL
inline constexpr quint32 kVersion = 1;
// The largest picture an entry may carry, and the largest package read.
inline constexpr quint32 kMaxPictureBytes = 16u << 20;
inline constexpr qint64 kMaxPackageBytes = qint64(512) << 20;

QByteArrayView Signature();

enum class Status {
    Ok,
    TooShort, // fewer than 40 bytes: not a package
    BadSignature,
    BadVersion,
    Truncated, // an entry runs past the end of the file
    TooLarge, // an entry's picture is larger than kMaxPictureBytes
};

struct Header
{
    quint32 version = kVersion;
    quint32 count = 0;
};

struct Entry
{
    quint32 id = 0;
    QString extension; // lower case, as stored (not checked here)
    QString tip;
    QString shortcut;
    QByteArray picture;
};

// The header of a package; Ok only for a package of version 1 (`header`
// is filled for BadVersion too).
Status ReadHeader(QByteArrayView package, Header &header);
// The entry at `offset` (kHeaderSize for the first); on Ok `offset` moves
// past it. At the end of the data: Truncated.
Status ReadEntry(QByteArrayView package, qsizetype &offset, Entry &entry);

// The header with the count (the writer patches the count at kCountOffset
// once every entry is written).
QByteArray HeaderBytes(quint32 count);
// One entry; texts are cut to 63 GBK bytes, the extension to 11.
QByteArray EntryBytes(const Entry &entry);

} // namespace FacePackage

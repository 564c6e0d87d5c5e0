// The LZW codec of picture transfers and its "LZW!" container (format in
// docs/lzw-format.md): magic, original length, maximum code width, then a
// variable-width LZW code stream with clear and end codes.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

enum class LzwStatus {
    Ok,
    BadMagic, // does not begin with "LZW!" or is shorter than the container head
    BadCodeWidth, // maximum code width outside 9..16
    TooLarge, // declared length above the caller's bound
    Truncated, // the code stream ends before the end code
    BadCode, // a code that is not yet defined, or a full table without a clear code
    LengthMismatch, // the output would exceed, or ends short of, the declared length
    TrailingData, // bytes or set bits after the end code
};

inline constexpr qsizetype kLzwMaxOriginalLength = qsizetype(64) << 20;
inline constexpr int kLzwMinCodeWidth = 9;
inline constexpr int kLzwMaxCodeWidth = 16;
inline constexpr int kLzwDefaultCodeWidth = 12;

// The data in the "LZW!" container; empty ("none") when the data is longer
// than kLzwMaxOriginalLength or maxCodeWidth is outside 9..16.
QByteArray LzwCompressGlobal(QByteArrayView data, int maxCodeWidth = kLzwDefaultCodeWidth);
// Unpacks a container. Never produces more than the declared length, and
// refuses a declared length above maxOutput (itself capped at kLzwMaxOriginalLength).
LzwStatus LzwDecompressGlobal(
    QByteArrayView container, QByteArray &output, qsizetype maxOutput = kLzwMaxOriginalLength);

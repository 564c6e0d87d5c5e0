#include "net/PictureChunk.h"

#include "net/FileList.h"

#include <array>

namespace {

std::optional<quint32> parseHex(QByteArrayView field)
{
    const auto value = ParseHexField(field, 8);
    return value ? std::optional<quint32>(quint32(*value)) : std::nullopt;
}

// Leading digits as a value below 2^32 (beyond it: none); *used tells how
// many characters were read.
std::optional<quint64> parseDigits(QByteArrayView text, qsizetype *used)
{
    quint64 value = 0;
    qsizetype i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + quint64(text[i] - '0');
        if (value > 0xFFFFFFFFULL)
            return std::nullopt;
    }
    *used = i;
    if (i == 0)
        return std::nullopt;
    return value;
}

std::optional<quint32> parseUnsigned(QByteArrayView field)
{
    qsizetype used = 0;
    const auto value = parseDigits(field, &used);
    if (!value || used != field.size())
        return std::nullopt;
    return quint32(*value);
}

// A signed 32-bit decimal; with `prefix` anything after the digits is ignored.
std::optional<qint32> parseSigned(QByteArrayView field, bool prefix = false)
{
    const bool negative = field.startsWith('-');
    const QByteArrayView digits = negative ? field.sliced(1) : field;
    qsizetype used = 0;
    const auto value = parseDigits(digits, &used);
    if (!value || (!prefix && used != digits.size()))
        return std::nullopt;
    if (*value > (negative ? 0x80000000ULL : 0x7FFFFFFFULL))
        return std::nullopt;
    return negative ? qint32(-qint64(*value)) : qint32(*value);
}

QByteArray hex8(quint32 value)
{
    return QByteArray::number(value, 16).rightJustified(8, '0');
}

} // namespace

namespace PictureChunk {

QByteArray FormatHeader(const PictureChunkHeader &h)
{
    // %ld of a Windows long: the total is written as a signed 32-bit value.
    QByteArray out = hex8(h.id);
    out += '|';
    out += QByteArray::number(qint32(h.totalSize));
    for (const qint32 v : { h.offset, h.chunkCount, h.chunkNumber, h.chunkLength, h.kind, h.compression, h.purpose }) {
        out += '|';
        out += QByteArray::number(v);
    }
    out += '|';
    out += hex8(h.groupId);
    out += '#';
    return out;
}

PictureChunkStatus ParseHeader(QByteArrayView body, PictureChunkHeader &out)
{
    const qsizetype hash = body.indexOf('#');
    QByteArrayView rest = hash < 0 ? body : body.first(hash);
    std::array<QByteArrayView, 10> f;
    for (qsizetype i = 0; i < qsizetype(f.size()); ++i) {
        const qsizetype bar = rest.indexOf('|');
        if (bar < 0 && i + 1 < qsizetype(f.size()))
            return PictureChunkStatus::TooFewFields;
        f[i] = bar < 0 ? rest : rest.first(bar);
        rest = bar < 0 ? QByteArrayView() : rest.sliced(bar + 1);
    }
    const auto id = parseHex(f[0]);
    const auto total = parseUnsigned(f[1]);
    const auto group = parseHex(f[9]);
    std::array<std::optional<qint32>, 7> n;
    for (size_t i = 0; i < n.size(); ++i)
        n[i] = parseSigned(f[i + 2]);
    if (!id || !total || !group)
        return PictureChunkStatus::BadNumber;
    for (const auto &v : n) {
        if (!v)
            return PictureChunkStatus::BadNumber;
    }
    out.id = *id;
    out.totalSize = *total;
    out.offset = *n[0];
    out.chunkCount = *n[1];
    out.chunkNumber = *n[2];
    out.chunkLength = *n[3];
    out.kind = *n[4];
    out.compression = *n[5];
    out.purpose = *n[6];
    out.groupId = *group;
    return PictureChunkStatus::Ok;
}

PictureChunkStatus CheckChunk(const PictureChunkHeader &h, qsizetype bytesArrived, quint32 maxTotal)
{
    if (h.totalSize == 0 || h.totalSize > maxTotal)
        return PictureChunkStatus::BadTotal;
    if (h.chunkCount < 1 || h.chunkCount > kMaxChunks || quint32(h.chunkCount) > h.totalSize)
        return PictureChunkStatus::BadChunkCount;
    if (h.chunkNumber < 1 || h.chunkNumber > h.chunkCount)
        return PictureChunkStatus::BadChunkNumber;
    if (h.chunkLength < 1 || h.offset < 0 || qint64(h.offset) + h.chunkLength > qint64(h.totalSize))
        return PictureChunkStatus::OutOfBounds;
    if (bytesArrived != h.chunkLength)
        return PictureChunkStatus::LengthMismatch;
    for (const qint32 v : { h.kind, h.compression, h.purpose }) {
        if (v < 0 || v > 2)
            return PictureChunkStatus::BadKind;
    }
    return PictureChunkStatus::Ok;
}

QByteArray FormatAck(quint32 id, qint32 chunkNumber)
{
    QByteArray out = hex8(id);
    out += '|';
    out += QByteArray::number(chunkNumber);
    out += '#';
    return out;
}

std::optional<Ack> ParseAck(QByteArrayView body)
{
    const qsizetype bar = body.indexOf('|');
    if (bar < 0 || body.indexOf('|', bar + 1) >= 0)
        return std::nullopt;
    const auto id = parseHex(body.first(bar));
    const auto number = parseSigned(body.sliced(bar + 1), true);
    if (!id || !number)
        return std::nullopt;
    return Ack { *id, *number };
}

} // namespace PictureChunk

#include "core/ChatFont.h"

#include "core/Gbk.h"

#include <QtEndian>

namespace {

void putI32(char *p, int32_t v)
{
    qToLittleEndian(v, p);
}

int32_t getI32(const char *p)
{
    return qFromLittleEndian<int32_t>(p);
}

} // namespace

QByteArray ChatFont::toBytes() const
{
    QByteArray block(BlockBytes, '\0');
    char *p = block.data();
    putI32(p + 0, height);
    putI32(p + 4, width);
    putI32(p + 8, escapement);
    putI32(p + 12, orientation);
    putI32(p + 16, weight);
    const uint8_t bytes[8]
        = { italic, underline, strikeOut, charSet, outPrecision, clipPrecision, quality, pitchAndFamily };
    for (int i = 0; i < 8; ++i)
        p[20 + i] = static_cast<char>(bytes[i]);
    const QByteArray face = Gbk::encode(Gbk::truncate(faceName, FaceNameBytes - 1));
    memcpy(p + 28, face.constData(), static_cast<size_t>(face.size()));
    qToLittleEndian(color, p + 60);
    return block;
}

std::optional<ChatFont> ChatFont::fromBytes(QByteArrayView block)
{
    if (block.size() != BlockBytes)
        return std::nullopt;
    const char *p = block.data();
    ChatFont f;
    f.height = getI32(p + 0);
    f.width = getI32(p + 4);
    f.escapement = getI32(p + 8);
    f.orientation = getI32(p + 12);
    f.weight = getI32(p + 16);
    uint8_t *bytes[8] = { &f.italic, &f.underline, &f.strikeOut, &f.charSet, &f.outPrecision, &f.clipPrecision,
        &f.quality, &f.pitchAndFamily };
    for (int i = 0; i < 8; ++i)
        *bytes[i] = static_cast<uint8_t>(p[20 + i]);
    // A face name without terminator still ends at the field's end.
    f.faceName = Gbk::decodeField(block.sliced(28, FaceNameBytes));
    f.color = qFromLittleEndian<uint32_t>(p + 60);
    return f;
}

bool ChatFont::sameFont(const ChatFont &o, bool compareColor) const
{
    return height == o.height && width == o.width && escapement == o.escapement && orientation == o.orientation
        && weight == o.weight && italic == o.italic && underline == o.underline && strikeOut == o.strikeOut
        && charSet == o.charSet && outPrecision == o.outPrecision && clipPrecision == o.clipPrecision
        && quality == o.quality && pitchAndFamily == o.pitchAndFamily && faceName == o.faceName
        && (!compareColor || color == o.color);
}

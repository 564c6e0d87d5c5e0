#include "net/ChatLogFont.h"

#include "core/Gbk.h"
#include "net/ChatLogFormat.h"

using ChatLogFormat::appendU32;
using ChatLogFormat::readU32;

QByteArray ChatLogFont::toBlock() const
{
    QByteArray out;
    out.reserve(kBlockBytes);
    for (qint32 v : { height, width, escapement, orientation, weight })
        appendU32(out, quint32(v));
    for (quint8 v : { italic, underline, strikeOut, charSet, outPrecision, clipPrecision, quality, pitchAndFamily })
        out.append(char(v));
    QByteArray face = Gbk::cutBytes(Gbk::encode(faceName), kFaceBytes - 1);
    face.resize(kFaceBytes, '\0');
    out.append(face);
    appendU32(out, colour);
    return out;
}

std::optional<ChatLogFont> ChatLogFont::fromBlock(QByteArrayView block)
{
    if (block.size() != kBlockBytes)
        return std::nullopt;
    ChatLogFont f;
    f.height = qint32(readU32(block, 0));
    f.width = qint32(readU32(block, 4));
    f.escapement = qint32(readU32(block, 8));
    f.orientation = qint32(readU32(block, 12));
    f.weight = qint32(readU32(block, 16));
    quint8 *bytes[] = { &f.italic, &f.underline, &f.strikeOut, &f.charSet, &f.outPrecision, &f.clipPrecision,
        &f.quality, &f.pitchAndFamily };
    for (int i = 0; i < 8; ++i)
        *bytes[i] = quint8(block[20 + i]);
    f.faceName = Gbk::decodeField(block.sliced(28, kFaceBytes));
    f.colour = readU32(block, kLogFontBytes);
    return f;
}

bool ChatLogFont::sameLogFont(const ChatLogFont &other) const
{
    return toBlock().first(kLogFontBytes) == other.toBlock().first(kLogFontBytes);
}

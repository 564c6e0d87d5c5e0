#include "core/MessageMarkers.h"

#include "core/Gbk.h"
#include "core/HexText.h"
#include "core/PictureId.h"

namespace {

const QLatin1StringView kMarkerHead("/~#>");
const QLatin1StringView kBitmapTail("<B~");
const QLatin1StringView kAnimatedTail("<G~");
constexpr qsizetype kIdOffset = 4;
constexpr qsizetype kIdDigits = 8;
constexpr qsizetype kTailOffset = 12;

} // namespace

QString PictureMarker(quint32 id, bool animated)
{
    return kMarkerHead + PictureIdText(id) + (animated ? kAnimatedTail : kBitmapTail);
}

bool StartsWithPictureMarker(QStringView text)
{
    if (text.size() < PictureMarkerLength || !text.startsWith(kMarkerHead))
        return false;
    const QStringView tail = text.sliced(kTailOffset, 3);
    return tail == kBitmapTail || tail == kAnimatedTail;
}

std::optional<PictureMarkerInfo> ParsePictureMarker(QStringView text)
{
    if (!StartsWithPictureMarker(text))
        return std::nullopt;
    PictureMarkerInfo info;
    info.animated = text.sliced(kTailOffset, 3) == kAnimatedTail;
    for (QChar c : text.sliced(kIdOffset, kIdDigits)) {
        const int digit = HexDigitValue(c.unicode());
        if (digit < 0)
            break;
        info.id = info.id << 4 | quint32(digit);
    }
    return info;
}

void MarkedTextWriter::appendText(QStringView text)
{
    m_text += Gbk::plainLayout(text, m_lineEnd);
}

void MarkedTextWriter::appendFace(int index)
{
    if (index >= 0 && index < kFaceTableSize)
        m_text += FaceShortcutTable[size_t(index)];
}

void MarkedTextWriter::appendPicture(quint32 id, bool animated)
{
    m_text += PictureMarker(id, animated);
    if (!m_ids.contains(id))
        m_ids.append(id);
}

QList<quint32> PictureMarkerIds(QStringView text, int max)
{
    QList<quint32> ids;
    for (qsizetype at = text.indexOf(u"/~#>"); at >= 0 && ids.size() < max; at = text.indexOf(u"/~#>", at + 1)) {
        const QStringView rest = text.mid(at);
        if (!StartsWithPictureMarker(rest))
            continue;
        const auto marker = ParsePictureMarker(rest);
        if (marker && marker->id != kNoPictureId && !ids.contains(marker->id))
            ids.append(marker->id);
    }
    return ids;
}

#include "core/ClipBlock.h"

#include "core/Gbk.h"

#include <QtEndian>

namespace {

void appendU32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

// A cursor over the block that never reads past its end.
class BlockReader
{
public:
    explicit BlockReader(QByteArrayView bytes)
        : m_bytes(bytes)
    {
    }
    qsizetype remaining() const { return m_bytes.size() - m_pos; }
    bool readU32(quint32 &value)
    {
        if (remaining() < 4)
            return false;
        value = qFromLittleEndian<quint32>(m_bytes.data() + m_pos);
        m_pos += 4;
        return true;
    }
    QByteArrayView take(qsizetype n)
    {
        const QByteArrayView part = m_bytes.sliced(m_pos, n);
        m_pos += n;
        return part;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
};

} // namespace

QByteArray MessageClipBlock::dibOf(quint32 id) const
{
    for (const ClipPicture &picture : pictures) {
        if (picture.id == id)
            return picture.dib;
    }
    return {};
}

QByteArray encodeMessageClipBlock(const MessageClipBlock &block)
{
    const QByteArray text = Gbk::encode(block.text);
    QByteArray out;
    appendU32(out, quint32(text.size() + 1));
    out.append(text);
    out.append('\0');
    appendU32(out, quint32(block.pictures.size()));
    for (const ClipPicture &picture : block.pictures) {
        appendU32(out, picture.id);
        appendU32(out, quint32(picture.dib.size()));
        out.append(picture.dib);
    }
    return out;
}

ClipBlockStatus decodeMessageClipBlock(QByteArrayView bytes, MessageClipBlock &block)
{
    block = {};
    BlockReader reader(bytes);
    quint32 textField = 0;
    if (!reader.readU32(textField))
        return ClipBlockStatus::Truncated;
    if (textField >= kMaxClipTextField)
        return ClipBlockStatus::TextTooLong;
    if (qsizetype(textField) > reader.remaining())
        return ClipBlockStatus::Truncated;
    MessageClipBlock result;
    result.text = Gbk::decodeField(reader.take(qsizetype(textField)));

    quint32 count = 0;
    if (!reader.readU32(count))
        return ClipBlockStatus::Truncated;
    constexpr qsizetype kRecordHeader = 8;
    if (qsizetype(count) > reader.remaining() / kRecordHeader)
        return ClipBlockStatus::BadPictureCount;
    result.pictures.reserve(qsizetype(count));
    for (quint32 i = 0; i < count; ++i) {
        ClipPicture picture;
        quint32 size = 0;
        if (!reader.readU32(picture.id) || !reader.readU32(size))
            return ClipBlockStatus::Truncated;
        if (qsizetype(size) > reader.remaining())
            return ClipBlockStatus::BadPictureSize;
        picture.dib = reader.take(qsizetype(size)).toByteArray();
        result.pictures.append(std::move(picture));
    }
    block = std::move(result);
    return ClipBlockStatus::Ok;
}

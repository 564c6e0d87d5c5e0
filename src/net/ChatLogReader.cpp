#include "net/ChatLogReader.h"

#include "core/Gbk.h"

#include <QFile>
#include <QtEndian>

namespace {

using namespace ChatLogFormat;

class Cursor
{
public:
    explicit Cursor(QByteArrayView data, qsizetype pos)
        : m_data(data)
        , m_pos(pos)
    {
    }

    qsizetype pos() const { return m_pos; }

    bool bytes(quint64 n, QByteArrayView *out)
    {
        if (n > quint64(m_data.size() - m_pos))
            return false;
        if (out)
            *out = m_data.sliced(m_pos, qsizetype(n));
        m_pos += qsizetype(n);
        return true;
    }
    bool u32(quint32 &v)
    {
        QByteArrayView b;
        if (!bytes(4, &b))
            return false;
        v = readU32(b, 0);
        return true;
    }
    bool u8(quint8 &v)
    {
        QByteArrayView b;
        if (!bytes(1, &b))
            return false;
        v = quint8(b[0]);
        return true;
    }
    // A u32 length and its bytes; the text is kept (decoded) only when it is
    // shorter than `limit` bytes, else it reads as empty.
    bool text(qsizetype limit, QString *out)
    {
        quint32 n = 0;
        QByteArrayView b;
        if (!u32(n) || !bytes(n, out ? &b : nullptr))
            return false;
        if (out)
            *out = qsizetype(n) < limit ? Gbk::decodeField(b) : QString();
        return true;
    }

private:
    QByteArrayView m_data;
    qsizetype m_pos;
};

// One record from the cursor's position; `out` null skips the decoding.
bool readRecord(Cursor &c, ChatLogEntry *out)
{
    quint32 tag = 0, size = 0, address = 0, port = 0;
    if (!c.u32(tag) || !c.u32(size))
        return false;
    ChatLogEntry e;
    const bool decode = out != nullptr;
    if (!c.text(kNameLimit, decode ? &e.userName : nullptr) || !c.text(kNameLimit, decode ? &e.groupName : nullptr)
        || !c.text(kNameLimit, decode ? &e.loginName : nullptr) || !c.text(kNameLimit, decode ? &e.hostName : nullptr)
        || !c.text(kMacLimit, decode ? &e.macText : nullptr))
        return false;
    if (!c.u32(address) || !c.u32(port))
        return false;
    quint8 flag = 0;
    if (!c.u8(flag))
        return false;
    if (flag == kFontBlock) {
        QByteArrayView block;
        if (!c.bytes(ChatFont::BlockBytes, &block))
            return false;
        if (decode)
            e.font = *ChatFont::fromBytes(block);
    } else {
        quint32 colour = 0;
        if (!c.u32(colour))
            return false;
        e.font.color = colour;
    }
    quint32 length = 0;
    QByteArrayView text;
    if (!c.u32(length) || !c.bytes(length, &text))
        return false;
    if (decode) {
        e.address = qFromBigEndian(address);
        e.port = port;
        e.text = Gbk::decodeField(text.first(Gbk::charBoundary(text, kMaxTextBytes)));
        *out = std::move(e);
    }
    return true;
}

ChatLogReadResult walk(QByteArrayView data, bool decode)
{
    ChatLogReadResult result;
    if (data.isEmpty())
        return result;
    if (data.size() < kHeaderBytes) {
        result.status = ChatLogReadStatus::Truncated;
        return result;
    }
    result.endOffset = kHeaderBytes;
    while (result.endOffset < data.size()) {
        Cursor c(data, result.endOffset);
        ChatLogEntry e;
        if (!readRecord(c, decode ? &e : nullptr)) {
            result.status = ChatLogReadStatus::Truncated;
            break;
        }
        if (decode)
            result.records.append(std::move(e));
        result.endOffset = c.pos();
    }
    return result;
}

} // namespace

namespace ChatLogReader {

ChatLogReadResult Parse(QByteArrayView data)
{
    return walk(data, true);
}

ChatLogReadResult Scan(QByteArrayView data)
{
    return walk(data, false);
}

std::optional<ChatLogEntry> ParseRecord(QByteArrayView bytes)
{
    Cursor c(bytes, 0);
    ChatLogEntry entry;
    if (!readRecord(c, &entry))
        return std::nullopt;
    return entry;
}

std::optional<ChatLogReadResult> ReadFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (file.size() == 0)
        return ChatLogReadResult {};
    const uchar *map = file.map(0, file.size());
    if (map)
        return Parse(QByteArrayView(reinterpret_cast<const char *>(map), file.size()));
    return Parse(file.readAll());
}

} // namespace ChatLogReader

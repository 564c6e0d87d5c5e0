#include "net/ChatLogIndex.h"

#include "net/ChatLogFormat.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

using namespace ChatLogFormat;

// Hash and equality that look a std::string key up by a string_view.
struct ViewHash
{
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};
struct ViewEqual
{
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return a == b; }
};
using KeyMap = std::unordered_map<std::string, qint32, ViewHash, ViewEqual>;

// A record is read when its fields lie in the mapped window; a window too
// short is mapped again from the record's start, at least this long.
constexpr qint64 kRemapSlack = 64 * 1024;

std::string canonicalKey(const ChatLogPeer &p)
{
    std::string key;
    for (const QByteArray *text : { &p.userName, &p.hostName, &p.loginName, &p.groupName, &p.macText }) {
        const quint32 n = quint32(text->size());
        key.append(reinterpret_cast<const char *>(&n), sizeof n);
        key.append(text->constData(), size_t(text->size()));
    }
    key.append(reinterpret_cast<const char *>(&p.address), sizeof p.address);
    return key;
}

} // namespace

QByteArrayView ChatLogPeer::TrimRight(QByteArrayView bytes)
{
    qsizetype n = bytes.size();
    while (n > 0 && (bytes[n - 1] == ' ' || (bytes[n - 1] >= '\t' && bytes[n - 1] <= '\r')))
        --n;
    return bytes.first(n);
}

class ChatLogIndex::Walker
{
public:
    enum class Got { Record, NeedMore, Damaged };

    Walker(ChatLogIndex &index, qint64 fileSize, qint64 slack = kRemapSlack)
        : m_index(index)
        , m_fileSize(fileSize)
        , m_slack(slack)
    {
        m_index.m_fileSize = fileSize;
    }

    // Reads the records of the window (file bytes from base on) from `at`
    // on. Returns where the walk goes on; needEnd is set when a record did not
    // fit the window (the caller maps again from the returned offset), and
    // done when the end or damage was reached.
    qint64 walk(QByteArrayView window, qint64 base, qint64 at, qint64 &needEnd, bool &done)
    {
        needEnd = -1;
        done = false;
        while (at < m_fileSize) {
            qint64 next = 0;
            const Got got = readRecord(window, base, at, next, needEnd);
            if (got == Got::NeedMore)
                return at;
            if (got == Got::Damaged)
                break;
            at = next;
            m_index.m_endOffset = at;
        }
        done = true;
        return at;
    }

private:
    // The cursor over one record: every field is checked against the end of
    // the file (damage) and, when its bytes are read, against the window.
    struct Cursor
    {
        QByteArrayView window;
        qint64 base;
        qint64 fileSize;
        qint64 pos;
        qint64 needEnd = -1;
        bool damaged = false;

        bool in(qint64 n)
        {
            if (n > fileSize - pos) {
                damaged = true;
                return false;
            }
            if (pos + n > base + window.size()) {
                needEnd = pos + n;
                return false;
            }
            return true;
        }
        const char *at() const { return window.data() + (pos - base); }
        bool u32(quint32 &v)
        {
            if (!in(4))
                return false;
            v = qFromLittleEndian<quint32>(at());
            pos += 4;
            return true;
        }
        bool skip(qint64 n)
        {
            if (n > fileSize - pos) {
                damaged = true;
                return false;
            }
            pos += n;
            return true;
        }
        // A length-prefixed text: its bytes when shorter than the limit (and
        // read is true), else skipped; `kept` tells which.
        bool text(qint64 limit, QByteArrayView &out, bool &kept)
        {
            quint32 n = 0;
            if (!u32(n))
                return false;
            kept = qint64(n) < limit;
            if (!kept)
                return skip(n);
            if (!in(n))
                return false;
            out = QByteArrayView(at(), n);
            pos += n;
            return true;
        }
    };

    Got readRecord(QByteArrayView window, qint64 base, qint64 start, qint64 &next, qint64 &needEnd)
    {
        Cursor c { window, base, m_fileSize, start };
        const auto fail = [&]() {
            if (c.damaged)
                return Got::Damaged;
            needEnd = std::min(m_fileSize, std::max(c.needEnd, start + m_slack));
            return Got::NeedMore;
        };
        quint32 tag = 0, size = 0, address = 0, port = 0;
        if (!c.u32(tag) || !c.u32(size))
            return fail();
        const qint64 spanStart = c.pos;
        QByteArrayView texts[5];
        bool kept[5];
        bool allKept = true;
        const qint64 limits[5] = { kNameLimit, kNameLimit, kNameLimit, kNameLimit, kMacLimit };
        for (int i = 0; i < 5; ++i) {
            if (!c.text(limits[i], texts[i], kept[i]))
                return fail();
            allKept = allKept && kept[i];
        }
        if (!c.u32(address))
            return fail();
        const qint64 spanEnd = c.pos;
        if (!c.u32(port) || !c.in(1))
            return fail();
        const quint8 flag = quint8(*c.at());
        c.pos += 1;
        if (!c.skip(flag == kFontBlock ? 64 : 4))
            return fail();
        quint32 length = 0;
        if (!c.u32(length))
            return fail();
        std::optional<QDate> day;
        if (length == kDateLineBytes) {
            if (!c.in(length))
                return fail();
            day = parseDateLine(QByteArrayView(c.at(), length));
        }
        if (!c.skip(length))
            return fail();

        // The record is whole: its peer, found again by the bytes of its
        // peer fields when they were all read, else by the texts as read.
        qint32 peer = -1;
        const bool spanInWindow = allKept && spanEnd <= base + window.size();
        const std::string_view span = spanInWindow
            ? std::string_view(window.data() + (spanStart - base), size_t(spanEnd - spanStart))
            : std::string_view();
        if (spanInWindow) {
            if (m_lastPeer >= 0 && span == m_lastSpan)
                peer = m_lastPeer;
            else if (const auto it = m_raw.find(span); it != m_raw.end())
                peer = it->second;
        }
        if (peer < 0) {
            ChatLogPeer p;
            QByteArray *fields[5] = { &p.userName, &p.groupName, &p.loginName, &p.hostName, &p.macText };
            for (int i = 0; i < 5; ++i) {
                if (kept[i])
                    *fields[i] = texts[i].toByteArray();
                // A NUL ends a text, as the reader decodes it.
                if (const qsizetype nul = fields[i]->indexOf('\0'); nul >= 0)
                    fields[i]->truncate(nul);
            }
            p.address = qFromBigEndian(address);
            auto [it, added] = m_canonical.try_emplace(canonicalKey(p), qint32(m_index.m_peerList.size()));
            if (added)
                m_index.m_peerList.append(p);
            peer = it->second;
            if (spanInWindow)
                m_raw.emplace(std::string(span), peer);
        }
        if (spanInWindow) {
            m_lastSpan.assign(span);
            m_lastPeer = peer;
        } else {
            m_lastPeer = -1;
        }

        const qint64 index = qint64(m_index.m_offsets.size());
        m_index.m_offsets.push_back(start);
        m_index.m_peers.push_back(peer);
        if (day && day->isValid()) {
            m_index.m_days.emplace_back(index, day->toJulianDay());
            m_index.m_dateLines.push_back(index);
        }
        next = c.pos;
        return Got::Record;
    }

    ChatLogIndex &m_index;
    qint64 m_fileSize;
    qint64 m_slack;
    KeyMap m_raw; // the bytes of a record's peer fields -> peer
    KeyMap m_canonical; // the texts as read -> peer
    std::string m_lastSpan;
    qint32 m_lastPeer = -1;
};

ChatLogIndex ChatLogIndex::Build(QByteArrayView data)
{
    ChatLogIndex index;
    Walker walker(index, data.size());
    if (data.size() <= 3)
        return index;
    index.m_endOffset = kHeaderBytes;
    qint64 needEnd = -1;
    bool done = false;
    walker.walk(data, 0, kHeaderBytes, needEnd, done);
    return index;
}

std::optional<ChatLogIndex> ChatLogIndex::BuildFromFile(
    const QString &path, const Progress &progress, const std::atomic<bool> *cancel, qint64 windowBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 size = file.size();
    windowBytes = std::max<qint64>(windowBytes, 1);
    ChatLogIndex index;
    Walker walker(index, size, std::min(windowBytes, kRemapSlack));
    if (size <= 3) {
        if (progress)
            progress(size, size);
        return index;
    }
    index.m_endOffset = kHeaderBytes;
    qint64 at = kHeaderBytes;
    qint64 length = std::min(size - at, windowBytes);
    for (;;) {
        if (cancel && cancel->load())
            return std::nullopt;
        uchar *map = file.map(at, length);
        QByteArray copy;
        if (!map) {
            // A file that cannot be mapped is read window by window.
            if (!file.seek(at))
                return std::nullopt;
            copy = file.read(length);
            if (copy.size() != length)
                return std::nullopt;
        }
        const QByteArrayView window = map ? QByteArrayView(reinterpret_cast<const char *>(map), length)
                                          : QByteArrayView(copy);
        qint64 needEnd = -1;
        bool done = false;
        const qint64 next = walker.walk(window, at, at, needEnd, done);
        if (map)
            file.unmap(map);
        if (progress)
            progress(done ? size : next, size);
        if (done)
            return index;
        // The next window starts at the record that did not fit and holds at
        // least what it needs.
        const qint64 wanted = std::max(needEnd, std::min(size, next + windowBytes));
        at = next;
        length = wanted - at;
    }
}

qint64 ChatLogIndex::recordEnd(qsizetype i) const
{
    return size_t(i) + 1 < m_offsets.size() ? m_offsets[size_t(i) + 1] : m_endOffset;
}

QDate ChatLogIndex::recordDay(qsizetype i) const
{
    const auto it = std::upper_bound(m_days.begin(), m_days.end(), qint64(i),
        [](qint64 record, const std::pair<qint64, qint64> &run) { return record < run.first; });
    if (it == m_days.begin())
        return QDate();
    return QDate::fromJulianDay(std::prev(it)->second);
}

bool ChatLogIndex::isDateLine(qsizetype i) const
{
    return std::binary_search(m_dateLines.begin(), m_dateLines.end(), qint64(i));
}

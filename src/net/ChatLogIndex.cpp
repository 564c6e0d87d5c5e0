#include "net/ChatLogIndex.h"

#include "net/ChatLogFormat.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <thread>
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

// A record is read when its fields lie in the window; a window too short is
// read again from the record's start, at least this long.
constexpr qint64 kRemapSlack = 64 * 1024;

// A quick hash of the bytes of a record's peer fields: the user name's
// length and first bytes, the MAC text's last bytes and the address, and the
// length of it all. The table compares the whole bytes anyway.
quint64 spanHash(std::string_view span)
{
    quint64 head = 0, tail = 0;
    std::memcpy(&head, span.data(), std::min<size_t>(8, span.size()));
    if (span.size() >= 8)
        std::memcpy(&tail, span.data() + span.size() - 8, 8);
    const quint64 h = (head ^ (tail * 0x9E3779B97F4A7C15ull) ^ span.size()) * 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 31);
}

// The bytes of a record's peer fields (lengths, names and address, as they
// stand in the file) to its peer: an open-addressing table, since every
// record looks its peer up here.
class RawPeerTable
{
public:
    qint32 find(std::string_view span, quint64 hash) const
    {
        for (size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            const Slot &slot = m_slots[i];
            if (slot.peer < 0)
                return -1;
            if (slot.hash == hash && slot.length == span.size()
                && std::memcmp(m_bytes.data() + slot.offset, span.data(), span.size()) == 0)
                return slot.peer;
        }
    }
    void insert(std::string_view span, quint64 hash, qint32 peer)
    {
        if ((m_count + 1) * 2 > m_slots.size())
            grow();
        put({ hash, quint32(m_bytes.size()), quint32(span.size()), peer });
        m_bytes.append(span);
        ++m_count;
    }

private:
    struct Slot
    {
        quint64 hash = 0;
        quint32 offset = 0;
        quint32 length = 0;
        qint32 peer = -1;
    };
    void put(const Slot &slot)
    {
        size_t i = slot.hash & m_mask;
        while (m_slots[i].peer >= 0)
            i = (i + 1) & m_mask;
        m_slots[i] = slot;
    }
    void grow()
    {
        std::vector<Slot> old = std::move(m_slots);
        m_slots.assign(old.size() * 2, Slot());
        m_mask = m_slots.size() - 1;
        for (const Slot &slot : old)
            if (slot.peer >= 0)
                put(slot);
    }

    std::vector<Slot> m_slots = std::vector<Slot>(64);
    size_t m_mask = 63;
    size_t m_count = 0;
    std::string m_bytes;
};

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

class ChatLogIndexWalker
{
public:
    enum class Got { Record, NeedMore, Damaged };

    // walkBytes: how much of the file the walk is to cover, for the room
    // kept for its records.
    ChatLogIndexWalker(ChatLogIndex &index, qint64 fileSize, qint64 slack = kRemapSlack, qint64 walkBytes = -1)
        : m_index(index)
        , m_fileSize(fileSize)
        , m_slack(slack)
    {
        m_index.m_fileSize = fileSize;
        // Records of the program's own log are some 150 bytes long or more.
        const qint64 bytes = walkBytes < 0 ? fileSize : walkBytes;
        ChatLogIndex::Run &run = m_index.lastRun();
        m_run = &run;
        const size_t guess = run.offsets.size() + size_t(std::min<qint64>(bytes / 128, 64 * 1024 * 1024));
        run.offsets.reserve(guess);
        run.peers.reserve(guess);
        // Peers the index holds already (a walk that goes on after others).
        for (qint32 i = 0; i < qint32(m_index.m_peerList.size()); ++i)
            m_canonical.emplace(canonicalKey(m_index.m_peerList[i]), i);
    }

    // The walk ends at the first record that starts at or after the limit.
    void setLimit(qint64 limit) { m_limit = limit; }
    // It ended at a record that would pass the end of the file.
    bool damaged() const { return m_damaged; }

    // Reads the records of the window (file bytes from base on) from `at`
    // on. Returns where the walk goes on; needEnd is set when a record did not
    // fit the window (the caller maps again from the returned offset), and
    // done when the end or damage was reached.
    qint64 walk(QByteArrayView window, qint64 base, qint64 at, qint64 &needEnd, bool &done)
    {
        needEnd = -1;
        done = false;
        const qint64 windowEnd = base + window.size();
        while (at < m_fileSize && at < m_limit) {
            qint64 next = 0;
            if (quickRecord(window.data(), base, windowEnd, at, next)) {
                at = next;
                m_index.m_endOffset = at;
                continue;
            }
            const Got got = readRecord(window, base, at, next, needEnd);
            if (got == Got::NeedMore)
                return at;
            if (got == Got::Damaged) {
                m_damaged = true;
                break;
            }
            at = next;
            m_index.m_endOffset = at;
        }
        done = true;
        return at;
    }

    // Where the record at `at` of the window ends, without taking it; -1
    // when it does not lie whole in the window, would pass the end of the
    // file or does not carry the writer's tag.
    static qint64 probe(QByteArrayView window, qint64 base, qint64 at, qint64 fileSize)
    {
        Cursor c { window, base, fileSize, at };
        quint32 tag = 0, n = 0;
        if (!c.u32(tag) || tag != kRecordTag || !c.skip(4))
            return -1;
        for (int i = 0; i < 5; ++i) {
            if (!c.u32(n) || !c.in(n))
                return -1;
            c.pos += n;
        }
        if (!c.in(9))
            return -1;
        const quint8 flag = quint8(c.at()[8]);
        c.pos += 9;
        if (!c.in(flag == kFontBlock ? 64 : 4))
            return -1;
        c.pos += flag == kFontBlock ? 64 : 4;
        if (!c.u32(n) || !c.in(n))
            return -1;
        return c.pos + n;
    }

private:
    // The common case, without a check per field: a record of a known peer
    // whose fields all lie well inside the window and whose names are kept.
    // False leaves the record to readRecord, which reads it field by field.
    bool quickRecord(const char *window, qint64 base, qint64 windowEnd, qint64 start, qint64 &next)
    {
        // The longest record head: tag, size, five kept names, address,
        // port, flag, font block, text length; and a date line's text.
        constexpr qint64 kLongestHead = 8 + 4 * (4 + kNameLimit - 1) + (4 + kMacLimit - 1) + 4 + 4 + 1 + 64 + 4;
        if (windowEnd - start < kLongestHead + kDateLineBytes)
            return false;
        const char *p = window + (start - base) + 8;
        const char *spanStart = p;
        for (int i = 0; i < 5; ++i) {
            const quint32 n = qFromLittleEndian<quint32>(p);
            if (n >= quint32(i == 4 ? kMacLimit : kNameLimit))
                return false;
            p += 4 + n;
        }
        p += 4; // the address
        const std::string_view span(spanStart, size_t(p - spanStart));
        p += 4; // the port
        p += quint8(*p) == kFontBlock ? 1 + 64 : 1 + 4;
        const quint32 length = qFromLittleEndian<quint32>(p);
        p += 4;
        const qint64 textStart = base + (p - window);
        if (qint64(length) > m_fileSize - textStart)
            return false; // cut: readRecord says so
        const qint32 peer = m_raw.find(span, spanHash(span));
        if (peer < 0)
            return false;
        add(start, peer, length == kDateLineBytes ? parseDateLine(QByteArrayView(p, kDateLineBytes)) : std::nullopt);
        next = textStart + length;
        return true;
    }

    void add(qint64 start, qint32 peer, const std::optional<QDate> &day)
    {
        // Every record comes here: the run is held rather than looked up.
        const qint64 index = m_index.m_count;
        m_run->offsets.push_back(start);
        m_run->peers.push_back(peer);
        ++m_index.m_count;
        if (day && day->isValid()) {
            m_index.m_days.emplace_back(index, day->toJulianDay());
            m_index.m_dateLines.push_back(index);
        }
    }

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
        const quint64 hash = spanInWindow ? spanHash(span) : 0;
        if (spanInWindow)
            peer = m_raw.find(span, hash);
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
                m_raw.insert(span, hash, peer);
        }

        add(start, peer, day);
        next = c.pos;
        return Got::Record;
    }

    ChatLogIndex &m_index;
    ChatLogIndex::Run *m_run = nullptr; // the index's last run, which the walk extends
    qint64 m_fileSize;
    qint64 m_slack;
    qint64 m_limit = std::numeric_limits<qint64>::max();
    bool m_damaged = false;
    RawPeerTable m_raw;
    KeyMap m_canonical; // the texts as read -> peer
};

ChatLogIndex ChatLogIndex::Build(QByteArrayView data)
{
    ChatLogIndex index;
    ChatLogIndexWalker walker(index, data.size());
    if (data.size() <= 3)
        return index;
    index.m_endOffset = kHeaderBytes;
    qint64 needEnd = -1;
    bool done = false;
    walker.walk(data, 0, kHeaderBytes, needEnd, done);
    return index;
}

namespace {

// Files from this size on are read by several threads, each from a place in
// the file where the records can be told apart again.
constexpr qint64 kParallelFrom = 32 * 1024 * 1024;
constexpr qint64 kPartBytes = 16 * 1024 * 1024;
constexpr int kMostThreads = 8;
// A place is taken as a record's start when this many records follow each
// other from it whole, each with the writer's tag.
constexpr int kSyncChain = 16;
constexpr qint64 kSyncWindow = 1024 * 1024;

// Walks the file from `from` on, window by window, into the walker; false
// when the file cannot be read or the walk was cancelled. `advanced` gets
// the bytes walked since its last call.
bool walkFile(QFile &file, ChatLogIndexWalker &walker, qint64 from, qint64 size, qint64 windowBytes,
    const std::atomic<bool> *cancel, const std::function<void(qint64)> &advanced)
{
    qint64 at = from;
    qint64 length = std::min(size - at, windowBytes);
    QByteArray buffer;
    for (;;) {
        if (cancel && cancel->load())
            return false;
        // The window is read into one buffer, used again and again.
        if (buffer.size() < length)
            buffer.resize(length);
        if (!file.seek(at) || file.read(buffer.data(), length) != length)
            return false;
        qint64 needEnd = -1;
        bool done = false;
        const qint64 next = walker.walk(QByteArrayView(buffer.constData(), length), at, at, needEnd, done);
        if (advanced)
            advanced(next - at);
        if (done)
            return true;
        // The next window starts at the record that did not fit and holds at
        // least what it needs.
        const qint64 wanted = std::max(needEnd, std::min(size, next + windowBytes));
        at = next;
        length = wanted - at;
    }
}

// The first place from `from` on where kSyncChain whole records follow each
// other, or -1.
qint64 findRecordStart(const QString &path, qint64 from, qint64 to, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(from))
        return -1;
    const QByteArray window = file.read(std::min(size - from, kSyncWindow));
    const qint64 last = std::min(to, from + window.size());
    for (qint64 at = from; at < last; ++at) {
        qint64 next = at;
        int chain = 0;
        while (chain < kSyncChain && next < size) {
            next = ChatLogIndexWalker::probe(window, from, next, size);
            if (next < 0)
                break;
            ++chain;
        }
        if (chain == kSyncChain || (next == size && chain > 0))
            return at;
    }
    return -1;
}

} // namespace

ChatLogIndex::Run &ChatLogIndex::lastRun()
{
    if (m_runs.empty())
        m_runs.emplace_back();
    return m_runs.back();
}

const ChatLogIndex::Run &ChatLogIndex::runOf(qsizetype i) const
{
    if (m_runs.size() == 1)
        return m_runs.front();
    const auto it = std::upper_bound(
        m_runs.begin(), m_runs.end(), i, [](qsizetype record, const Run &run) { return record < run.first; });
    return *std::prev(it);
}

qint64 ChatLogIndex::recordOffset(qsizetype i) const
{
    const Run &run = runOf(i);
    return run.offsets[size_t(i - run.first)];
}

int ChatLogIndex::recordPeer(qsizetype i) const
{
    const Run &run = runOf(i);
    return run.peers[size_t(i - run.first)];
}

void ChatLogIndex::join(std::vector<ChatLogIndex *> parts)
{
    // The peers in the order they first occur, each part's mapped onto them.
    std::unordered_map<std::string, qint32> known;
    std::vector<std::vector<qint32>> ids(parts.size());
    std::vector<std::pair<size_t, size_t>> renames; // (run, part)
    for (size_t p = 0; p < parts.size(); ++p) {
        for (const ChatLogPeer &peer : parts[p]->m_peerList) {
            auto [it, added] = known.try_emplace(canonicalKey(peer), qint32(m_peerList.size()));
            if (added)
                m_peerList.append(peer);
            ids[p].push_back(it->second);
        }
        for (const auto &[record, day] : parts[p]->m_days)
            m_days.emplace_back(record + m_count, day);
        for (const qint64 record : parts[p]->m_dateLines)
            m_dateLines.push_back(record + m_count);
        // The part's records become a run of this index, as they are.
        for (Run &run : parts[p]->m_runs) {
            run.first = m_count;
            m_count += qsizetype(run.offsets.size());
            renames.emplace_back(m_runs.size(), p);
            m_runs.push_back(std::move(run));
        }
        m_endOffset = parts[p]->m_endOffset;
    }
    // Each run's peers renamed by a thread of its own.
    std::vector<std::thread> renamers;
    for (const auto &[r, p] : renames) {
        renamers.emplace_back([&run = m_runs[r], &map = ids[p]] {
            for (qint32 &peer : run.peers)
                peer = map[size_t(peer)];
        });
    }
    for (std::thread &renamer : renamers)
        renamer.join();
}

std::optional<ChatLogIndex> ChatLogIndex::BuildFromFile(const QString &path, const Progress &progress,
    const std::atomic<bool> *cancel, qint64 windowBytes, int threadCount)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 size = file.size();
    windowBytes = std::max<qint64>(windowBytes, 1);
    const qint64 slack = std::min(windowBytes, kRemapSlack);
    ChatLogIndex index;
    index.m_fileSize = size;
    if (size <= 3) {
        if (progress)
            progress(size, size);
        return index;
    }
    index.m_endOffset = kHeaderBytes;
    const int threads = threadCount > 0 ? threadCount
        : size < kParallelFrom          ? 1
                                        : int(std::clamp<qint64>(std::min<qint64>(size / kPartBytes,
                                                               std::max(1u, std::thread::hardware_concurrency())),
                                              1, kMostThreads));
    if (threads < 2) {
        ChatLogIndexWalker walker(index, size, slack);
        qint64 walked = kHeaderBytes;
        const bool ok = walkFile(file, walker, kHeaderBytes, size, windowBytes, cancel, [&](qint64 n) {
            walked += n;
            if (progress)
                progress(walked, size);
        });
        if (!ok)
            return std::nullopt;
        if (progress)
            progress(size, size);
        return index;
    }

    // Each part starts at a record found near its share of the file and
    // walks until the next part's start; the parts are joined where each one
    // ended exactly at the next one's start, and walked on alone where not.
    std::vector<qint64> starts(size_t(threads), -1);
    starts[0] = kHeaderBytes;
    const auto shareStart = [&](int t) { return kHeaderBytes + (size - kHeaderBytes) * t / threads; };
    {
        std::vector<std::thread> finders;
        for (int t = 1; t < threads; ++t)
            finders.emplace_back([&, t] { starts[size_t(t)] = findRecordStart(path, shareStart(t), shareStart(t + 1), size); });
        for (std::thread &finder : finders)
            finder.join();
    }
    std::vector<ChatLogIndex> parts(static_cast<size_t>(threads));
    std::vector<char> damaged(size_t(threads), 0), failed(size_t(threads), 0);
    std::atomic<qint64> walked { 0 };
    std::atomic<int> running { 0 };
    std::mutex mutex;
    std::condition_variable allDone;
    std::vector<std::thread> walkers;
    for (int t = 0; t < threads; ++t) {
        if (starts[size_t(t)] < 0)
            continue;
        qint64 limit = size;
        for (int u = t + 1; u < threads; ++u) {
            if (starts[size_t(u)] >= 0) {
                limit = starts[size_t(u)];
                break;
            }
        }
        ++running;
        walkers.emplace_back([&, t, limit] {
            QFile own(path);
            ChatLogIndex &part = parts[size_t(t)];
            part.m_endOffset = starts[size_t(t)];
            ChatLogIndexWalker walker(part, size, slack, limit - starts[size_t(t)]);
            walker.setLimit(limit);
            failed[size_t(t)] = !own.open(QIODevice::ReadOnly)
                || !walkFile(own, walker, starts[size_t(t)], size, windowBytes, cancel,
                    [&](qint64 n) { walked += n; });
            damaged[size_t(t)] = walker.damaged();
            std::lock_guard lock(mutex);
            if (--running == 0)
                allDone.notify_all();
        });
    }
    {
        std::unique_lock lock(mutex);
        while (!allDone.wait_for(lock, std::chrono::milliseconds(50), [&] { return running.load() == 0; })) {
            if (progress)
                progress(walked.load(), size);
        }
    }
    for (std::thread &walker : walkers)
        walker.join();
    if (cancel && cancel->load())
        return std::nullopt;

    std::vector<ChatLogIndex *> joined;
    qint64 expected = kHeaderBytes;
    bool finished = false;
    for (int t = 0; t < threads && !finished; ++t) {
        if (starts[size_t(t)] < 0)
            continue; // the part before walked through this share
        if (starts[size_t(t)] != expected || failed[size_t(t)])
            break; // the part before did not end at this part's start
        joined.push_back(&parts[size_t(t)]);
        expected = parts[size_t(t)].m_endOffset;
        finished = damaged[size_t(t)] || expected >= size;
    }
    index.join(joined);
    if (!finished) {
        ChatLogIndexWalker walker(index, size, slack);
        if (!walkFile(file, walker, expected, size, windowBytes, cancel, {}))
            return std::nullopt;
    }
    if (progress)
        progress(size, size);
    return index;
}

qint64 ChatLogIndex::recordEnd(qsizetype i) const
{
    return i + 1 < m_count ? recordOffset(i + 1) : m_endOffset;
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

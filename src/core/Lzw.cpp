#include "core/Lzw.h"

#include <QtEndian>
#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

namespace {

constexpr char kMagic[4] = { 'L', 'Z', 'W', '!' };
constexpr qsizetype kHeadSize = 9; // magic, u32 length, u8 maximum code width
constexpr uint32_t kClear = 256;
constexpr uint32_t kEnd = 257;
constexpr uint32_t kFirstFree = 258;

// The width of the code at position `index` after the last clear: wide enough
// for every code that can be defined by then (the previous code's entry included).
int codeWidth(uint32_t index, int maxWidth)
{
    return std::min(maxWidth, std::max(kLzwMinCodeWidth, int(std::bit_width(257u + index))));
}

class BitWriter
{
public:
    explicit BitWriter(QByteArray &out)
        : m_out(out)
    {
    }

    void put(uint32_t code, int width)
    {
        m_bits |= uint64_t(code) << m_count;
        m_count += width;
        while (m_count >= 8) {
            m_out.append(char(m_bits & 0xFF));
            m_bits >>= 8;
            m_count -= 8;
        }
    }

    void flush()
    {
        if (m_count > 0)
            m_out.append(char(m_bits & 0xFF));
        m_bits = 0;
        m_count = 0;
    }

private:
    QByteArray &m_out;
    uint64_t m_bits = 0;
    int m_count = 0;
};

class BitReader
{
public:
    explicit BitReader(QByteArrayView in)
        : m_in(in)
    {
    }

    bool get(int width, uint32_t &code)
    {
        while (m_count < width) {
            if (m_pos >= m_in.size())
                return false;
            m_bits |= uint64_t(uchar(m_in[m_pos++])) << m_count;
            m_count += 8;
        }
        code = uint32_t(m_bits & ((uint64_t(1) << width) - 1));
        m_bits >>= width;
        m_count -= width;
        return true;
    }

    // After the end code only the zero padding of the last byte may remain.
    bool atCleanEnd() const { return m_pos == m_in.size() && m_bits == 0; }

private:
    QByteArrayView m_in;
    qsizetype m_pos = 0;
    uint64_t m_bits = 0;
    int m_count = 0;
};

// The encoder's dictionary: (prefix code, byte) -> code, open addressing.
class EncoderTable
{
public:
    explicit EncoderTable(int maxWidth)
        : m_keys(size_t(1) << (maxWidth + 1))
        , m_codes(m_keys.size())
    {
    }

    void clear() { std::fill(m_keys.begin(), m_keys.end(), 0u); }

    // The slot of the key: either holding it or empty.
    size_t slot(uint32_t key) const
    {
        const size_t mask = m_keys.size() - 1;
        size_t i = (size_t(key) * 0x9E3779B1u) & mask;
        while (m_keys[i] != 0 && m_keys[i] != key)
            i = (i + 1) & mask;
        return i;
    }
    bool holds(size_t i) const { return m_keys[i] != 0; }
    uint32_t code(size_t i) const { return m_codes[i]; }
    void put(size_t i, uint32_t key, uint32_t code)
    {
        m_keys[i] = key;
        m_codes[i] = uint16_t(code);
    }

private:
    std::vector<uint32_t> m_keys; // (prefix << 8 | byte) + 1, 0 = empty
    std::vector<uint16_t> m_codes;
};

} // namespace

QByteArray LzwCompressGlobal(QByteArrayView data, int maxCodeWidth)
{
    if (data.size() > kLzwMaxOriginalLength || maxCodeWidth < kLzwMinCodeWidth || maxCodeWidth > kLzwMaxCodeWidth)
        return {};
    QByteArray out(kHeadSize, '\0');
    std::copy(std::begin(kMagic), std::end(kMagic), out.begin());
    qToLittleEndian<quint32>(quint32(data.size()), out.data() + 4);
    out[8] = char(maxCodeWidth);
    out.reserve(kHeadSize + data.size() + data.size() / 2 + 8);

    BitWriter writer(out);
    uint32_t index = 0; // codes written since the last clear
    auto writeCode = [&](uint32_t code) { writer.put(code, codeWidth(index++, maxCodeWidth)); };
    const uint32_t tableEnd = 1u << maxCodeWidth;
    uint32_t next = kFirstFree;
    EncoderTable table(maxCodeWidth);

    if (!data.isEmpty()) {
        uint32_t w = uchar(data[0]);
        for (qsizetype i = 1; i < data.size(); ++i) {
            const uint32_t c = uchar(data[i]);
            const uint32_t key = (w << 8 | c) + 1;
            const size_t slot = table.slot(key);
            if (table.holds(slot)) {
                w = table.code(slot);
                continue;
            }
            writeCode(w);
            if (next < tableEnd) {
                table.put(slot, key, next++);
            } else {
                writeCode(kClear);
                table.clear();
                next = kFirstFree;
                index = 0;
            }
            w = c;
        }
        writeCode(w);
    }
    writeCode(kEnd);
    writer.flush();
    return out;
}

LzwStatus LzwDecompressGlobal(QByteArrayView container, QByteArray &output, qsizetype maxOutput)
{
    output.clear();
    if (container.size() < kHeadSize || !std::equal(std::begin(kMagic), std::end(kMagic), container.begin()))
        return LzwStatus::BadMagic;
    const qint64 declared = qFromLittleEndian<quint32>(container.data() + 4);
    const int maxWidth = uchar(container[8]);
    if (maxWidth < kLzwMinCodeWidth || maxWidth > kLzwMaxCodeWidth)
        return LzwStatus::BadCodeWidth;
    if (declared > std::min(maxOutput, kLzwMaxOriginalLength))
        return LzwStatus::TooLarge;

    // Entry i: its last byte, the code of the rest, its first byte and its length.
    const size_t tableEnd = size_t(1) << maxWidth;
    std::vector<uint8_t> suffix(tableEnd), first(tableEnd);
    std::vector<uint16_t> prefix(tableEnd);
    std::vector<uint32_t> length(tableEnd);
    for (uint32_t i = 0; i < 256; ++i) {
        suffix[i] = first[i] = uint8_t(i);
        length[i] = 1;
    }

    QByteArray out;
    out.reserve(qsizetype(std::min<qint64>(declared, qint64(container.size()) * 8 + 4096)));
    BitReader reader(container.sliced(kHeadSize));
    uint32_t index = 0;
    uint32_t next = kFirstFree;
    uint32_t prev = 0;
    bool havePrev = false;
    for (;;) {
        uint32_t code = 0;
        if (!reader.get(codeWidth(index++, maxWidth), code))
            return LzwStatus::Truncated;
        if (code == kEnd)
            break;
        if (code == kClear) {
            next = kFirstFree;
            index = 0;
            havePrev = false;
            continue;
        }
        if (!havePrev) {
            if (code >= 256)
                return LzwStatus::BadCode;
        } else {
            if (code > next)
                return LzwStatus::BadCode;
            if (next >= tableEnd)
                return LzwStatus::BadCode; // the writer must clear a full table
            // code == next is the entry being defined: prev's string plus its own first byte.
            const uint8_t head = code < next ? first[code] : first[prev];
            prefix[next] = uint16_t(prev);
            suffix[next] = head;
            first[next] = first[prev];
            length[next] = length[prev] + 1;
            ++next;
        }
        const uint32_t len = length[code];
        if (len > declared - out.size())
            return LzwStatus::LengthMismatch;
        const qsizetype at = out.size();
        out.resize(at + len);
        char *p = out.data() + at + len;
        for (uint32_t c = code, n = len; n > 0; --n, c = prefix[c])
            *--p = char(suffix[c]);
        prev = code;
        havePrev = true;
    }
    if (out.size() != declared)
        return LzwStatus::LengthMismatch;
    if (!reader.atCleanEnd())
        return LzwStatus::TrailingData;
    output = out;
    return LzwStatus::Ok;
}

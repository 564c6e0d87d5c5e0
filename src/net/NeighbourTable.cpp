#include "net/NeighbourTable.h"

#include <QFile>
#include <QList>

namespace {

constexpr unsigned kCompleteFlag = 0x2;
constexpr qsizetype kMacChars = 17; // "aa:bb:cc:dd:ee:ff"

std::optional<quint32> parseIPv4(QByteArrayView text)
{
    quint32 value = 0;
    int parts = 0;
    qsizetype i = 0;
    while (parts < 4) {
        qsizetype digits = 0;
        quint32 part = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 3) {
            part = part * 10 + quint32(text[i] - '0');
            ++i;
            ++digits;
        }
        if (digits == 0 || part > 255)
            return std::nullopt;
        value = (value << 8) | part;
        ++parts;
        if (parts < 4) {
            if (i >= text.size() || text[i] != '.')
                return std::nullopt;
            ++i;
        }
    }
    if (i != text.size())
        return std::nullopt;
    return value;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "aa:bb:cc:dd:ee:ff" as "AABBCCDDEEFF"; nothing for another shape or all zeros.
std::optional<QString> parseMac(QByteArrayView text)
{
    if (text.size() != kMacChars)
        return std::nullopt;
    QString out;
    out.reserve(12);
    bool allZero = true;
    for (qsizetype i = 0; i < kMacChars; ++i) {
        const char c = text[i];
        if (i % 3 == 2) {
            if (c != ':')
                return std::nullopt;
            continue;
        }
        const int v = hexValue(c);
        if (v < 0)
            return std::nullopt;
        allZero = allZero && v == 0;
        out.append(QLatin1Char("0123456789ABCDEF"[v]));
    }
    if (allZero)
        return std::nullopt;
    return out;
}

// The whitespace-separated fields of one line.
QList<QByteArrayView> fields(QByteArrayView line)
{
    QList<QByteArrayView> out;
    qsizetype i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const qsizetype start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            out.append(line.sliced(start, i - start));
    }
    return out;
}

std::optional<unsigned> parseHexNumber(QByteArrayView text)
{
    if (text.startsWith("0x") || text.startsWith("0X"))
        text = text.sliced(2);
    if (text.isEmpty() || text.size() > 8)
        return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        const int v = hexValue(c);
        if (v < 0)
            return std::nullopt;
        value = value * 16 + unsigned(v);
    }
    return value;
}

} // namespace

NeighbourTable::Status NeighbourTable::Parse(QByteArrayView text, QHash<quint32, QString> &out)
{
    out.clear();
    if (text.isEmpty())
        return Status::Empty;
    if (text.size() > kMaxBytes)
        return Status::TooLarge;
    qsizetype lineStart = 0;
    bool header = true;
    while (lineStart < text.size()) {
        qsizetype end = text.indexOf('\n', lineStart);
        if (end < 0)
            end = text.size();
        const QByteArrayView line = text.sliced(lineStart, end - lineStart);
        lineStart = end + 1;
        if (header) {
            header = false;
            if (!line.startsWith("IP address"))
                return Status::BadHeader;
            continue;
        }
        const QList<QByteArrayView> f = fields(line);
        if (f.size() < 4)
            continue;
        const auto address = parseIPv4(f[0]);
        const auto flags = parseHexNumber(f[2]);
        const auto mac = parseMac(f[3]);
        if (address && flags && (*flags & kCompleteFlag) && mac)
            out.insert(*address, *mac);
    }
    return Status::Ok;
}

bool NeighbourTable::Load(const QString &path)
{
    m_entries.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A procfs file reports size 0: read it in pieces up to the limit.
    QByteArray text;
    while (text.size() < kMaxBytes) {
        const QByteArray chunk = file.read(qMin<qint64>(64 * 1024, kMaxBytes - text.size()));
        if (chunk.isEmpty())
            break;
        text += chunk;
    }
    return Parse(text, m_entries) == Status::Ok;
}

std::optional<QString> NeighbourTable::Mac(quint32 address) const
{
    const auto it = m_entries.constFind(address);
    if (it == m_entries.cend())
        return std::nullopt;
    return *it;
}

#include "net/FileList.h"

#include "core/Gbk.h"
#include "core/PathUtil.h"
#include "net/Commands.h"

#include <algorithm>
#include <unordered_set>

namespace {

constexpr char kEntrySeparator = '\a';

// "%d" of a 32-bit id: a peer writes ids from 2^31 on as negative numbers.
std::optional<quint32> parseDecimal32(QByteArrayView field)
{
    const bool negative = field.startsWith('-');
    if (negative)
        field = field.sliced(1);
    if (field.isEmpty() || field.size() > 10)
        return std::nullopt;
    quint64 value = 0;
    for (char c : field) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + quint64(c - '0');
    }
    if (value > (negative ? 0x80000000ULL : 0xFFFFFFFFULL))
        return std::nullopt;
    return negative ? quint32(0 - value) : quint32(value);
}

QByteArray hex(quint64 value)
{
    return QByteArray::number(value, 16);
}

// "id:name:size:mtime:attr:"
std::optional<DecodedFileEntry> decodeEntry(QByteArrayView text)
{
    qsizetype pos = 0;
    const auto id = NextColonField(text, pos);
    const auto name = NextColonField(text, pos);
    const auto size = NextColonField(text, pos);
    const auto mtime = NextColonField(text, pos);
    const auto attr = NextColonField(text, pos);
    if (!attr) // every field before it is there too
        return std::nullopt;
    // Fields after the attribute word (extended attributes) are not used.
    DecodedFileEntry e;
    const auto idValue = parseDecimal32(*id);
    const auto sizeValue = ParseHexField(*size, 16);
    const auto mtimeValue = ParseHexField(*mtime, 8);
    const auto attrValue = ParseHexField(*attr, 8);
    if (!idValue || !sizeValue || !mtimeValue || !attrValue)
        return std::nullopt;
    e.fileId = *idValue;
    e.name = Gbk::decode(*name);
    e.size = *sizeValue;
    e.mtime = quint32(*mtimeValue);
    e.attributes = quint32(*attrValue);
    if (e.kind() != FILE_ATTR_REGULAR && e.kind() != FILE_ATTR_FOLDER)
        return std::nullopt;
    if (!IsReceivableName(e.name))
        return std::nullopt;
    return e;
}

} // namespace

bool OfferedFile::isFolder() const
{
    return flags == FILE_ATTR_FOLDER;
}

QString OfferedFile::name() const
{
    return GetPathFileName(path);
}

QByteArray EncodeWireName(QStringView name)
{
    const QByteArray gbk = Gbk::encode(name);
    QByteArray out;
    out.reserve(gbk.size() + 8);
    for (qsizetype i = 0; i < gbk.size(); ++i) {
        const char c = gbk[i];
        if (Gbk::isLeadByte(uchar(c)) && i + 1 < gbk.size()) {
            // A double-byte character: its trail byte may be '\' and stays.
            out += c;
            out += gbk[++i];
        } else if (c == ':') {
            // A Windows reader splits at every ':' and stores ':' as ';'.
            out += ';';
        } else if (uchar(c) < 0x20 || c == 0x7F || c == '\\') {
            out += '_';
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<QByteArray> NextColonField(QByteArrayView text, qsizetype &position)
{
    QByteArray field;
    for (qsizetype i = position; i < text.size(); ++i) {
        if (text[i] != ':') {
            field += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == ':') {
            field += ':';
            ++i;
        } else {
            position = i + 1;
            return field;
        }
    }
    return std::nullopt;
}

bool IsReceivableName(const QString &name)
{
    return IsSafeFileName(name) && Gbk::byteLength(name) < kMaxNameBytes;
}

std::optional<quint64> ParseHexField(QByteArrayView field, int maxDigits)
{
    if (field.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    int significant = 0;
    for (char c : field) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        if (value != 0 || d != 0)
            ++significant;
        if (significant > maxDigits)
            return std::nullopt;
        value = (value << 4) | quint64(d);
    }
    return value;
}

qsizetype EncodeFileList(const std::vector<OfferedFile> &files, QByteArray &out, qsizetype bufferSize)
{
    out.clear();
    const qsizetype limit = bufferSize - kFileListReserve;
    qsizetype written = 0;
    for (const OfferedFile &f : files) {
        // The size is hexadecimal without leading zeros, whether or not it
        // reaches past 32 bits.
        QByteArray entry = QByteArray::number(qint32(f.fileId)) + ':' + EncodeWireName(f.name()) + ':' + hex(f.size)
            + ':' + hex(f.mtime) + ':' + hex(f.flags) + ':' + kEntrySeparator;
        if (out.size() + entry.size() > limit)
            break;
        out += entry;
        ++written;
    }
    return written;
}

FileListStatus DecodeFileList(QByteArrayView text, DecodedFileList &out)
{
    out.clear();
    // The largest packet that can carry a list.
    constexpr qsizetype kMaxText = 16384;
    if (text.size() > kMaxText)
        return FileListStatus::TooLong;
    const qsizetype nul = text.indexOf('\0');
    if (nul >= 0)
        text = text.first(nul);

    std::unordered_set<quint32> ids;
    bool dropped = false;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(kEntrySeparator, start);
        if (end < 0)
            end = text.size();
        const QByteArrayView piece = text.sliced(start, end - start);
        start = end + 1;
        if (piece.isEmpty())
            continue;
        auto entry = decodeEntry(piece);
        if (!entry || !ids.insert(entry->fileId).second) {
            dropped = true;
            continue;
        }
        out.push_back(std::move(*entry));
    }
    if (out.empty())
        return FileListStatus::NoEntries;
    return dropped ? FileListStatus::SomeDropped : FileListStatus::Ok;
}

bool RemoveDecodedFileEntry(DecodedFileList &list, qsizetype index)
{
    if (index < 0 || index >= qsizetype(list.size()))
        return false;
    list.erase(list.begin() + index);
    return true;
}

qsizetype FindFileIndex(const DecodedFileList &list, quint32 fileId)
{
    const auto it = std::find_if(list.begin(), list.end(), [fileId](const auto &e) { return e.fileId == fileId; });
    return it == list.end() ? -1 : qsizetype(it - list.begin());
}

void FreeDecodedFileList(DecodedFileList &list)
{
    list.clear();
    list.shrink_to_fit();
}

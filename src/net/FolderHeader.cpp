#include "net/FolderHeader.h"

#include "core/Gbk.h"
#include "net/Commands.h"
#include "net/FileList.h"

namespace {

// Digits of the length field as it is written: four, enough for any header.
constexpr int kLengthDigits = 4;

QByteArray hex(quint64 value)
{
    return QByteArray::number(value, 16);
}

} // namespace

std::optional<QByteArray> BuildFolderHeader(QStringView name, quint64 size, quint32 attributes, quint32 mtime)
{
    const QByteArray rest = ':' + EncodeWireName(name) + ':' + hex(size) + ':' + hex(attributes) + ':'
        + hex(FILE_EXT_MTIME) + '=' + hex(mtime) + ':';
    const qsizetype length = kLengthDigits + rest.size();
    if (length > kMaxFolderHeader)
        return std::nullopt;
    return hex(quint64(length)).rightJustified(kLengthDigits, '0') + rest;
}

std::optional<qsizetype> ParseFolderHeaderLength(QByteArrayView prefix)
{
    if (prefix.size() < kFolderHeaderPrefix)
        return std::nullopt;
    const qsizetype colon = prefix.first(kFolderHeaderPrefix).indexOf(':');
    if (colon < 1)
        return std::nullopt;
    const auto length = ParseHexField(prefix.first(colon), 3);
    if (!length || *length < quint64(kFolderHeaderPrefix) || *length > quint64(kMaxFolderHeader))
        return std::nullopt;
    return qsizetype(*length);
}

FolderHeaderStatus ParseFolderHeader(QByteArrayView header, FolderEntryHeader &out)
{
    out = FolderEntryHeader();
    const auto length = ParseFolderHeaderLength(header);
    if (!length || *length != header.size())
        return FolderHeaderStatus::BadLength;

    qsizetype pos = header.indexOf(':') + 1;
    const auto name = NextColonField(header, pos);
    const auto size = NextColonField(header, pos);
    const auto attributes = NextColonField(header, pos);
    if (!attributes)
        return FolderHeaderStatus::MissingField;
    const auto sizeValue = ParseHexField(*size, 16);
    const auto attributeValue = ParseHexField(*attributes, 8);
    if (!sizeValue || !attributeValue)
        return FolderHeaderStatus::BadNumber;
    out.size = *sizeValue;
    out.attributes = quint32(*attributeValue);

    // Extension fields; other keys, and fields without '=', are skipped.
    while (const auto field = NextColonField(header, pos)) {
        const qsizetype eq = field->indexOf('=');
        if (eq < 0 || ParseHexField(QByteArrayView(*field).first(eq), 8) != quint64(FILE_EXT_MTIME))
            continue;
        const auto mtime = ParseHexField(QByteArrayView(*field).sliced(eq + 1), 8);
        if (!mtime)
            return FolderHeaderStatus::BadNumber;
        out.mtime = quint32(*mtime);
    }

    QByteArray stored = *name;
    stored.replace(':', ';').replace('?', '_');
    out.name = Gbk::decode(stored);
    if (out.kind() != FILE_ATTR_PARENT && !IsReceivableName(out.name))
        return FolderHeaderStatus::BadName;
    return FolderHeaderStatus::Ok;
}

// Settings backup files: one section of the settings store with everything
// below it, in the format of docs/settings-backup-format.md. serialize() and
// parse() are pure; CRegistryKey reads and writes the store.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

struct RegValue
{
    enum Type : uint8_t { String = 1, Integer = 2, Bytes = 3 };
    QString name;
    Type type = String;
    QString text; // String
    qint64 integer = 0; // Integer
    QByteArray bytes; // Bytes

    bool operator==(const RegValue &) const = default;
};

struct RegNode
{
    QString name; // the root node carries the exported section's path ("" for the whole store)
    std::vector<RegValue> values;
    std::vector<RegNode> children;

    bool operator==(const RegNode &) const = default;
};

namespace RegExport {

inline constexpr char Magic[8] = { 'K', 'W', 'E', 'L', 'R', 'E', 'G', '\x1a' };
inline constexpr uint16_t Version = 1;
inline constexpr qsizetype HeaderBytes = 16;
inline constexpr qsizetype TrailerBytes = 4;
inline constexpr qsizetype MaxFileBytes = 64 * 1024 * 1024;
inline constexpr qsizetype MaxNameBytes = 255;
inline constexpr qsizetype MaxPathBytes = 1024; // the root node's name
inline constexpr qsizetype MaxDataBytes = 16 * 1024 * 1024;
inline constexpr int MaxDepth = 8;
inline constexpr int MaxItems = 1000000; // values and nodes together

enum class Status {
    Ok,
    TooShort,
    TooLarge,
    BadMagic,
    BadVersion,
    BadFlags,
    BadLength, // the header's body length disagrees with the file
    BadChecksum,
    Truncated, // a field runs past the end of the body
    BadName, // empty, too long, not UTF-8, '/' '\' or a control character, or a repeated name
    BadType,
    BadValue, // a text that is not UTF-8, an integer not 8 bytes long, data too long
    TooDeep,
    TooManyItems,
    TrailingBytes,
};

const char *statusText(Status s);

struct ParseResult
{
    Status status = Status::Ok;
    RegNode root;
};

// The whole file. Nothing when a name or a value cannot be written in the
// format (the same rules that parse() enforces).
std::optional<QByteArray> serialize(const RegNode &root);
// Checks header, length and checksum, then parses the body.
ParseResult parse(QByteArrayView file);
// Parses a body without header and checksum (the part the checksum covers
// after the header).
ParseResult parseBody(QByteArrayView body);

// CRC-32 (IEEE 802.3, reflected, as zlib computes it).
uint32_t crc32(QByteArrayView data);

// A valid name of a value or a section below the root.
bool isValidName(const QString &name);

} // namespace RegExport

// The text form of the settings store (the file behind CRegistryKey). Keys
// are paths "SECTION/name"; values are texts, 64-bit integers or bytes.
// The format is described in docs/settings-file-format.md.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QString>
#include <QVariant>

namespace SettingsFile {

using ValueMap = QMap<QString, QVariant>;

inline constexpr qsizetype MaxFileBytes = 32 * 1024 * 1024;
inline constexpr qsizetype MaxKeys = 200000;

enum class Status {
    Ok,
    BadLines, // lines that could not be read were skipped
    TooLarge, // more than MaxFileBytes or MaxKeys: nothing (or only the first MaxKeys) read
};

struct ParseResult
{
    Status status = Status::Ok;
    ValueMap values;
    int badLines = 0;
};

// Reads a settings file. Unreadable lines are skipped and counted; the rest
// of the file is still read.
ParseResult parse(QByteArrayView data);
QByteArray serialize(const ValueMap &values);

// Escaping shared by names and text values ("\\", "\xHH").
QString escape(QStringView text, bool isName);
std::optional<QString> unescape(QStringView text);

} // namespace SettingsFile

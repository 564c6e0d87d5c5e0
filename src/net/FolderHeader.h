// The headers of a folder stream, the answer to CMD_GET_FOLDER. Every entry
// starts with a header of ':'-terminated fields: the header length in
// hexadecimal (counting the whole header), the name (':' written ';'; a
// "::" that a peer writes is read as ':' and stored as ';'), the
// size and the attribute word in hexadecimal, then key=value extension fields
// in hexadecimal (FILE_EXT_MTIME: modification time, Unix seconds). A file
// header (kind FILE_ATTR_REGULAR) is followed by exactly size bytes of data,
// FILE_ATTR_FOLDER opens a folder and FILE_ATTR_PARENT closes it; the stream
// ends with the FILE_ATTR_PARENT entry that closes the top folder.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

struct FolderEntryHeader
{
    // The name as it is stored here: a ':' of the name becomes ';' and a '?'
    // becomes '_', as the Windows peers store it. Not checked for
    // FILE_ATTR_PARENT entries, whose name means nothing.
    QString name;
    quint64 size = 0;
    quint32 attributes = 0; // low byte: the kind; 0x100 read-only
    quint32 mtime = 0; // 0 when the header carries none

    quint32 kind() const { return attributes & 0xFF; }
};

enum class FolderHeaderStatus {
    Ok,
    BadLength, // length field missing, not hexadecimal, out of range or not the header's size
    MissingField, // name, size or attribute missing
    BadNumber, // size, attribute or modification time not hexadecimal or too large
    BadName, // a file or folder name that is not a safe single path component
};

// The receiver reads this many bytes before it knows a header's length; no
// header is shorter.
inline constexpr qsizetype kFolderHeaderPrefix = 8;
inline constexpr qsizetype kMaxFolderHeader = 1022;
// The name of the entry that closes a folder.
inline constexpr char kParentEntryName[] = ".";

// The header of one entry; none when it would be longer than
// kMaxFolderHeader bytes.
std::optional<QByteArray> BuildFolderHeader(QStringView name, quint64 size, quint32 attributes, quint32 mtime);

// The header length from the first kFolderHeaderPrefix bytes of a header:
// hexadecimal digits followed by ':', from kFolderHeaderPrefix to
// kMaxFolderHeader. None otherwise (also for fewer bytes).
std::optional<qsizetype> ParseFolderHeaderLength(QByteArrayView prefix);

// Parses one complete header (exactly the bytes its length field counts).
FolderHeaderStatus ParseFolderHeader(QByteArrayView header, FolderEntryHeader &out);

// The file list of an offer, as it travels in the extension part of a
// message with OPT_FILE_ATTACH: one entry per file or folder,
// "id:name:size:mtime:attr:" followed by BEL. The id is decimal, the size,
// time and attribute word hexadecimal. A ':' inside a name is written ';'
// (a Windows reader splits at every ':', and ';' is how a Windows file
// system stores the name); a "::" that a peer writes is read as ':'. Names
// are GBK on the wire.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <vector>

// One offered file or folder on the serving side.
struct OfferedFile
{
    quint32 fileId = 0;
    QString path; // absolute path on this machine
    quint32 flags = 1; // FILE_ATTR_REGULAR, or FILE_ATTR_FOLDER for a folder
    quint64 size = 0; // a folder: the total of its files
    quint32 mtime = 0; // seconds since 1970-01-01 UTC

    bool isFolder() const;
    // The last component of the path: the name the peer sees.
    QString name() const;
};

// One entry of a received file list.
struct DecodedFileEntry
{
    quint32 fileId = 0;
    QString name;
    QString secondName; // the name an item takes inside a received folder; empty here
    quint32 attributes = 0; // low byte: FILE_ATTR_REGULAR or FILE_ATTR_FOLDER
    quint64 size = 0;
    quint32 mtime = 0; // seconds since 1970-01-01 UTC
    qint32 pending = 0; // non-zero while the item waits to be received
    qint32 link = 0; // ties the entry to its row in the list of offered files

    quint32 kind() const { return attributes & 0xFF; }
};

using DecodedFileList = std::vector<DecodedFileEntry>;

enum class FileListStatus {
    Ok, // every entry was taken
    SomeDropped, // entries that were malformed, unsafe or duplicated were left out
    NoEntries, // nothing usable
    TooLong, // more bytes than a packet can carry
};

// Size of the buffer the list is written into; the text stays
// kFileListReserve bytes short of it.
inline constexpr qsizetype kFileListBuffer = 8192;
inline constexpr qsizetype kFileListReserve = 1024;
// A received name whose GBK form has this many bytes or more is refused.
inline constexpr qsizetype kMaxNameBytes = 260;

// Writes the list of the entries into out, each entry whole or not at all,
// until the next one would pass bufferSize - kFileListReserve bytes. Returns
// the number of entries written: a result below files.size() means the list
// does not fit and must not be sent as the complete offer.
qsizetype EncodeFileList(
    const std::vector<OfferedFile> &files, QByteArray &out, qsizetype bufferSize = kFileListBuffer);

// Parses a received list (up to its first NUL). Entries whose fields are
// missing or not numbers, whose kind is neither file nor folder, whose name
// is not a safe single path component (see IsReceivableName) or whose id
// repeats an earlier entry's are dropped; the others are kept in order.
FileListStatus DecodeFileList(QByteArrayView text, DecodedFileList &out);

// Removes the entry at index; false for a bad index.
bool RemoveDecodedFileEntry(DecodedFileList &list, qsizetype index);
// The index of the entry with the file id, -1 when there is none.
qsizetype FindFileIndex(const DecodedFileList &list, quint32 fileId);
void FreeDecodedFileList(DecodedFileList &list);

// ---- pieces shared with the folder stream ----------------------------------

// A name as the peer receives it: GBK, with ':' written ';' (so the name
// holds no field separator). Control characters (BEL separates entries) and
// '\' (a path separator for Windows peers) become '_'.
QByteArray EncodeWireName(QStringView name);
// The next field of colon-terminated text from position on, with every "::"
// turned into one ':'; position moves behind the terminating ':'. None when
// no terminating ':' follows.
std::optional<QByteArray> NextColonField(QByteArrayView text, qsizetype &position);
// A name from a peer that may become a path component here: safe
// (IsSafeFileName) and shorter than kMaxNameBytes GBK bytes.
bool IsReceivableName(const QString &name);
// A hexadecimal field: 1 to maxDigits digits and nothing else.
std::optional<quint64> ParseHexField(QByteArrayView field, int maxDigits);

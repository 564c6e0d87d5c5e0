// The texts of shared files: the stored list of the user's shares, the list
// a peer is sent, and the download request that names chosen entries. All
// parsers here read peer or stored input and check every field.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <vector>

namespace ShareList {

// Limits of the texts (bytes with the terminating NUL).
inline constexpr qsizetype kTextBytes = 16384;
inline constexpr qsizetype kNameChars = 259; // of a received entry's name
inline constexpr qsizetype kPasswordBytes = 50;

// The answers that refuse a list.
inline constexpr char kNeedPassword[] = "Error:Need Password!";
inline constexpr char kWrongPassword[] = "Error:Password not correct!";

// One stored entry: "%d::%s" (share id, full path), entries joined by "||".
struct StoredShare
{
    qint32 id = 0;
    QString path;
};

// Entries that do not split into exactly two fields, or whose id is no
// number, are skipped.
std::vector<StoredShare> ParseStored(QStringView text);
// The stored text, at most kTextBytes - 1 GBK bytes: an entry that would
// pass that length ends the text.
QString BuildStored(const std::vector<StoredShare> &shares);

// Why a path cannot stand in the stored list.
enum class PathProblem { None, Separator, NotGbk };
// "::" or "||" inside would split it apart; characters GBK has no code for
// would come back as something else.
PathProblem CheckStorablePath(QStringView path);

// One entry of a list received from a peer: "%d::%s::%d::%s::%s" (id, name,
// file flag, size, modification time).
struct SharedEntry
{
    qint32 id = 0;
    QString name; // at most kNameChars, for display only: never a path
    bool file = true;
    qint64 size = 0;
    QDateTime modified; // local time
};

// Entries with another number of fields, an id or size that is no number, a
// negative size or a time that is not a real date are skipped.
std::vector<SharedEntry> ParseReceived(QStringView text);
// The list for a peer, at most kTextBytes - 1 GBK bytes (cut at an entry).
QString BuildReceived(const std::vector<SharedEntry> &entries);

// One chosen entry of a download request: "%d_%s" (id, "%H:%M" of its time).
struct RequestItem
{
    qint32 id = 0;
    QString time;

    bool operator==(const RequestItem &) const = default;
};
RequestItem ItemFor(const SharedEntry &entry);

// The request body: the password and "||" when a password is given, then the
// items joined by ";", below kTextBytes: an item that would reach that length
// ends the list.
QByteArray BuildRequest(const QByteArray &password, const std::vector<RequestItem> &items);

struct Request
{
    bool hasPassword = false; // the body carried "||"
    bool wellFormed = true; // false: "||" did not split it into exactly two parts
    QByteArray password;
    std::vector<RequestItem> items; // items with exactly two fields and a numeric id
};
Request ParseRequest(QByteArrayView body);

// The time of an entry as the request names it.
QString RequestTime(const QDateTime &modified);

} // namespace ShareList

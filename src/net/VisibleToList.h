// Command 0x75: a hidden user's list of the peers that may still see him.
// The body is three fields joined by "@##~@": the sender's display name, his
// group name and the key list, in which every key is followed by "#".
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct OwnHeader;

namespace VisibleToList {

inline constexpr char kSeparator[] = "@##~@";
// Names longer than this many GBK bytes are cut.
inline constexpr qsizetype kNameBytes = 49;

struct Body
{
    QString displayName;
    QString groupName;
    QString keys; // everything after the second separator
};

// Splits a received body; missing fields stay empty.
Body Parse(const QString &body);
// True when the key list names this key: the list is split at "#" and its
// non-empty keys compared whole. An empty key is named by no list.
bool Names(const QString &keys, const QString &key);
// The body to send, in GBK, at most maxBytes long: keys that would pass the
// limit are left out whole, never cut. Empty when no key fits (or none given).
QByteArray Compose(const QString &displayName, const QString &groupName, const QStringList &keys, qsizetype maxBytes);

// A list whose entries are joined by the separator, cut to at most maxBytes
// between two entries (never inside one); unchanged when it fits.
QByteArray CutAtEntry(const QByteArray &list, QByteArrayView separator, qsizetype maxBytes);
// The room for a text body in a packet of this header (the widest packet
// number), up to the 16384 bytes of a packet.
qsizetype BodyRoom(const OwnHeader &own, quint32 commandWord);

} // namespace VisibleToList

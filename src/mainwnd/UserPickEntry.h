// One row of a user pick list (the search results, the select-users dialog):
// a snapshot of a peer's texts and image, and the address and port that find
// the peer again. It holds no pointer: the peer may leave while the row is
// shown.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class CHostTable;
class HostRecord;

struct UserPickEntry
{
    int image = 0; // head-icon image: 0 a plain peer, else head-icon index + 1
    QString nick; // display name (memo name, nick name or login name)
    QString group; // the peer's own group text
    QString login;
    QString hostName;
    QString customGroup;
    quint32 address = 0; // host byte order
    quint16 port = 0;
    bool selected = false;

    static UserPickEntry FromHost(const HostRecord &host);
    QString dottedAddress() const;
    // The six texts in the order of the user list's fields: nick name, host
    // name, login name, group name, custom group name, dotted address.
    QStringList fieldTexts() const;
};

// The peers of the host table in the table's own order (its first index).
QList<HostRecord *> HostsInTableOrder(const CHostTable &table);
// The listed peer of a pick entry (the same address and port), or null.
HostRecord *FindPickedHost(const CHostTable &table, const UserPickEntry &entry);

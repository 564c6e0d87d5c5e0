// One peer as a row of the contact list views: the record it shows, the
// texts and image drawn for it and the sort keys computed once when the row
// was made or refreshed. The row holds a reference, so the record stays
// valid for as long as the row exists.
#pragma once

#include "mainwnd/ContactSort.h"
#include "net/HostRecord.h"

#include <QString>

class CConfig;

struct ContactEntry
{
    // The six fields of the user list, in field order.
    enum Field { NickField, HostField, LoginField, GroupField, CustomGroupField, AddressField, FieldCount };

    HostPtr host;
    UserSortKeys keys;
    QString nick; // display name (memo name, nick name or login name)
    QString hostName;
    QString login;
    QString group; // the peer's own group text
    QString customGroup;
    QString address; // dotted
    QString signature;
    bool hasMemoName = false;
    bool checked = false; // the check box of a pick list
    int image = 0;

    // Builds the row data of a peer; config (may be null) tells whether the
    // peer has a memo name.
    static ContactEntry Make(HostRecord *host, const CConfig *config);
    // The keys and group of a peer for a position look-up; holds no reference
    // (the peer may be one that nobody counts, on the stack).
    static ContactEntry ForLookup(const HostRecord &host);

    QString field(int index) const;
    // "%s(%s) %s": nick, host and address, the text of a tree item.
    QString itemText() const;
};

// Putting peers into a user group from a pick list: which peers may be
// picked for a group, and what picking them stores.
#pragma once

#include "mainwnd/UserPickEntry.h"

#include <QList>
#include <QString>

class CConfig;
class CHostTable;
class HostRecord;

namespace UserGroupMembers {

// The peers that could join the group: every listed peer with a memo key
// that is not in it already (the own entry "自己" never), none selected.
QList<UserPickEntry> Candidates(const QList<HostRecord *> &peers, const QString &group);
// Puts the selected entries' peers into the group: their custom group and
// the stored memoGroupNames entry under their memo key. Peers gone since the
// list was made are skipped. Returns how many moved.
int PutSelected(CConfig &config, const CHostTable &table, const QList<UserPickEntry> &entries, const QString &group);

} // namespace UserGroupMembers

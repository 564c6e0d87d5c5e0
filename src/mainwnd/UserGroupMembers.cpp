#include "mainwnd/UserGroupMembers.h"

#include "core/CConfig.h"
#include "core/StatusBits.h"
#include "net/CHostTable.h"
#include "net/HostRecord.h"

namespace UserGroupMembers {

QList<UserPickEntry> Candidates(const QList<HostRecord *> &peers, const QString &group)
{
    QList<UserPickEntry> entries;
    for (const HostRecord *host : peers)
        if (!host->keyText.isEmpty() && host->customGroup != group && host->customGroup != DefaultGroups::Self())
            entries.append(UserPickEntry::FromHost(*host));
    return entries;
}

int PutSelected(CConfig &config, const CHostTable &table, const QList<UserPickEntry> &entries, const QString &group)
{
    if (config.FindMemberGroup(group) < 0)
        return 0;
    int moved = 0;
    for (const UserPickEntry &entry : entries) {
        if (!entry.selected)
            continue;
        HostRecord *host = FindPickedHost(table, entry);
        if (!host || host->keyText.isEmpty() || host->customGroup == group)
            continue;
        config.memoGroupNames.insert(host->keyText, group);
        host->customGroup = group;
        ++moved;
    }
    return moved;
}

} // namespace UserGroupMembers

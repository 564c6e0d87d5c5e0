// The user group in which the user keeps a peer, and the rights of that
// group: what the packet admission and the shared files read.
#pragma once

#include "core/ConfigRecords.h"

#include <QString>
#include <optional>

class CConfig;

namespace GroupRights {

// The name of the user group the peer of this memo key is kept in: its
// entry in memoGroupNames, else "我的好友" (also for an empty key).
QString GroupNameOf(const CConfig &config, const QString &peerKey);
// A copy of the record of that group; nothing when the group has no record.
std::optional<UserGroupRecord> RightsOf(const CConfig &config, const QString &peerKey);
// True when the peer's group lets its members see the user's shared files
// without the share password ("该组成员无需密码可查看我的共享文件").
bool SharesWithoutPassword(const CConfig &config, const QString &peerKey);

} // namespace GroupRights

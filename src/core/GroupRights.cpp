#include "core/GroupRights.h"

#include "core/CConfig.h"
#include "core/StatusBits.h"

namespace GroupRights {

QString GroupNameOf(const CConfig &config, const QString &peerKey)
{
    const auto it = peerKey.isEmpty() ? config.memoGroupNames.cend() : config.memoGroupNames.constFind(peerKey);
    if (it == config.memoGroupNames.cend() || it->isEmpty())
        return DefaultGroups::MyFriends();
    return *it;
}

std::optional<UserGroupRecord> RightsOf(const CConfig &config, const QString &peerKey)
{
    const int position = config.FindMemberGroup(GroupNameOf(config, peerKey));
    if (position < 0 || position >= config.MemberGroups.size())
        return std::nullopt;
    return config.MemberGroups.at(position);
}

bool SharesWithoutPassword(const CConfig &config, const QString &peerKey)
{
    const auto rights = RightsOf(config, peerKey);
    return rights && rights->sharesWithoutPassword != 0 && rights->groupBlacklisted == 0;
}

} // namespace GroupRights

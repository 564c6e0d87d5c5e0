// The user's own status word ("StatusValue" of the configuration) and the
// names of the user groups that always exist: one home for both, read by the
// engine, the contact list, the tray and the chat windows.
#pragma once

#include <QString>
#include <cstdint>

namespace OwnStatus {
enum : uint32_t {
    NoOnlineAnnounce = 0x1, // no entry announcement at start
    NoOfflineAnnounce = 0x2, // no exit announcement at the end
    RefusesAssistance = 0x4,
    RefusesVoice = 0x8,
    RefusesPictures = 0x10, // pictures and custom faces are not received
    RefusesGroupInvites = 0x20,
    Hidden = 0x40, // invisible to the peers not on the visible-to list
};
} // namespace OwnStatus

namespace DefaultGroups {
// The user group of a peer the user has not placed anywhere.
inline QString MyFriends() { return QStringLiteral("我的好友"); }
inline QString BlackList() { return QStringLiteral("黑名单"); }
// The user group of the user's own entry.
inline QString Self() { return QStringLiteral("自己"); }
} // namespace DefaultGroups

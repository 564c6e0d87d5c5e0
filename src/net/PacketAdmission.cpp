#include "net/PacketAdmission.h"

#include "net/Commands.h"

namespace PacketAdmission {
namespace {

Decision pass()
{
    return {};
}

Decision consume()
{
    Decision d;
    d.consume = true;
    return d;
}

// A blacklisted sender is recorded but never answered; its exit and its
// answers (unless hidden) go on.
Decision blacklisted(const Facts &f)
{
    switch (GET_MODE(f.commandWord)) {
    case CMD_ANNOUNCE_ENTRY: {
        Decision d;
        d.record = true;
        d.consume = !f.own;
        return d;
    }
    case CMD_ANNOUNCE_EXIT:
        return pass();
    case CMD_ANSWER_ENTRY:
    case CMD_ANNOUNCE_STATUS:
        return !f.own && f.senderHidden ? consume() : pass();
    default:
        return consume();
    }
}

// A feature request: a clear custom switch leaves it to the normal handler.
Decision byRight(uint32_t custom, uint32_t allowed)
{
    return custom != 0 && allowed == 0 ? consume() : pass();
}

Decision entry(const Facts &f, const UserGroupRecord &g)
{
    Decision d;
    if (g.groupBlacklisted) {
        d.record = true;
        d.consume = !f.own;
        return d;
    }
    if (f.own)
        return pass();
    if (f.senderHidden) {
        d.answerEntry = true;
        d.answerVisible = g.visibleWhenHidden != 0;
        d.removeSender = true;
        d.consume = true;
        return d;
    }
    if (!f.userHidden)
        return pass();
    d.record = true;
    d.answerEntry = g.visibleWhenHidden != 0;
    d.answerVisible = d.answerEntry;
    d.consume = true;
    return d;
}

Decision answer(const Facts &f)
{
    if (f.own)
        return pass();
    if (f.senderHidden)
        return (f.commandWord & OPT_VISIBLE_WHEN_HIDDEN) ? pass() : consume();
    if (!f.userHidden)
        return pass();
    Decision d;
    d.record = true;
    d.consume = true;
    return d;
}

Decision shares(const Facts &f, const UserGroupRecord &g, bool all)
{
    if (g.groupBlacklisted)
        return consume();
    if (f.extVersion == 0 || g.sharesWithoutPassword == 0)
        return pass();
    Decision d = consume();
    if (!all) {
        d.share = ShareAnswer::ShareList;
        return d;
    }
    if (f.userHidden && g.visibleWhenHidden == 0)
        return d;
    if (f.sharesListed)
        d.share = ShareAnswer::AllShares;
    return d;
}

} // namespace

bool NeedsGroup(const Facts &f)
{
    if (f.commandWord & OPT_PLAIN_PEERS_ONLY)
        return false;
    if (!f.ipmsgCompatible && f.extVersion == 0)
        return false;
    return !f.allBlackList;
}

Decision Decide(const Facts &f, const SenderGroup &group)
{
    // Meant for plain IP Messenger peers only (the exit a hidden or
    // incompatible peer sends after each announcement): not a real exit.
    if (f.commandWord & OPT_PLAIN_PEERS_ONLY)
        return consume();
    if (!f.ipmsgCompatible && f.extVersion == 0)
        return consume();
    if (f.allBlackList || group.blacklistGroup)
        return blacklisted(f);
    if (!group.rights)
        return pass();
    const UserGroupRecord &g = *group.rights;
    switch (GET_MODE(f.commandWord)) {
    case CMD_ANNOUNCE_ENTRY:
        return entry(f, g);
    case CMD_ANNOUNCE_EXIT:
        return pass();
    case CMD_ANSWER_ENTRY:
    case CMD_ANNOUNCE_STATUS:
        return answer(f);
    case CMD_GET_SHARE_LIST:
        return shares(f, g, false);
    case CMD_GET_ALL_SHARES:
        return shares(f, g, true);
    case CMD_VOICE_REQUEST:
        return byRight(g.voiceCustom, g.voiceAllowed);
    case CMD_ASSIST_REQUEST:
        return byRight(g.assistCustom, g.assistAllowed);
    case CMD_PICTURE_DATA:
        return byRight(g.pictureCustom, g.picturesAllowed);
    case CMD_GROUP_JOINED:
        return byRight(g.groupInviteCustom, g.groupInviteAllowed);
    case CMD_SCREEN_SHAKE: {
        const bool permitted = g.shakeCustom != 0 ? g.shakeAllowed != 0 : f.screenShake;
        return permitted ? pass() : consume();
    }
    default:
        return g.groupBlacklisted ? consume() : pass();
    }
}

} // namespace PacketAdmission

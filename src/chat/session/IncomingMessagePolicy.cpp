#include "chat/session/IncomingMessagePolicy.h"

#include "core/CConfig.h"
#include "net/HostRecord.h"

IncomingMessagePolicy IncomingMessagePolicy::For(const CConfig &config, const HostRecord &sender)
{
    IncomingMessagePolicy policy;
    policy.applySpamRules = config.StopRubbish != 0;
    policy.tipOnly = config.NOPOPUPCHECK_STR != 0;
    policy.sound = config.NOBEEP_STR == 0;
    policy.soundFile = config.SOUNDFILE_STR;
    const int position = config.FindMemberGroup(sender.customGroup);
    if (position < 0 || position >= config.MemberGroups.size())
        return policy;
    // A group's value mirrors the system switch it replaces.
    const UserGroupRecord &group = config.MemberGroups.at(position);
    if (group.spamCustom)
        policy.applySpamRules = group.blockSpam != 0;
    if (group.tipOnlyCustom)
        policy.tipOnly = group.tipOnly != 0;
    if (group.soundCustom) {
        policy.sound = group.sound == 0;
        policy.soundFile = group.soundFile;
    }
    return policy;
}

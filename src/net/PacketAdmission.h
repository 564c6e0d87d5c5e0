// The admission of received packets by the user's policy towards their
// sender: the all-blacklist switch, the blacklist group, the rights of the
// user group the sender is kept in, the user's hidden state and the
// compatibility with plain IP Messenger peers. A pure decision; PeerAdmission
// carries it out on the engine.
#pragma once

#include "core/ConfigRecords.h"

#include <QtGlobal>
#include <optional>

namespace PacketAdmission {

// What is known of the packet and the user when deciding.
struct Facts
{
    quint32 commandWord = 0;
    qint32 extVersion = 0; // 0: a plain IP Messenger peer
    bool senderHidden = false; // status bit 0x40 of the packet
    bool own = false; // sent from the own address
    bool userHidden = false; // StatusValue bit 0x40
    bool ipmsgCompatible = true;
    bool allBlackList = false;
    bool screenShake = true; // the system setting for shakes
    bool sharesListed = false; // FileShareInfo holds more than white space
};

// The sender's place in the user's groups.
struct SenderGroup
{
    bool blacklistGroup = false; // kept in "黑名单"
    std::optional<UserGroupRecord> rights; // the record of its group, if any
};

enum class ShareAnswer { None, ShareList, AllShares };

struct Decision
{
    bool consume = false; // the dispatcher stops
    bool record = false; // the sender is recorded in the host table
    bool answerEntry = false; // answered with the entry answer
    bool answerVisible = false; // ... carrying OPT_VISIBLE_WHEN_HIDDEN
    bool removeSender = false; // taken off the list without an offline notice
    ShareAnswer share = ShareAnswer::None;
};

// True when the decision needs the sender's group (the steps before it
// decide alone otherwise).
bool NeedsGroup(const Facts &facts);
Decision Decide(const Facts &facts, const SenderGroup &group);

} // namespace PacketAdmission

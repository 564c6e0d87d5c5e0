// What the contact list tells the user when peers come and go, and the text
// of a recent-contacts entry. Pure decisions over a peer record and the
// configuration.
#pragma once

#include "mainwnd/TipNotice.h"

#include <optional>

class CConfig;
class HostRecord;

struct NoticeContext
{
    const CConfig *config = nullptr;
    quint32 ownAddress = 0;
    bool notify = false; // the caller asks for a notice
    bool noticesEnabled = true; // off while a full rebuild runs
};

// The group text of notices and recent contacts: the custom group, or the
// peer's own group when the custom group is "我的好友" and that is not empty.
QString NoticeGroupText(const HostRecord &host);

// " 上 线 通 知 " when the peer coming online is to be announced: NoTice or
// the custom group's override, never for the own address, only with notify,
// notices enabled and the peer's bit 1 clear.
std::optional<TipNotice> OnlineNotice(const HostRecord &host, const NoticeContext &context);
// " 下 线 通 知 " under NoTice2 or the group's override and the peer's bit 2.
std::optional<TipNotice> OfflineNotice(const HostRecord &host, const NoticeContext &context);

// "%s(%s)(组名:%s)(IP:%s)(%s)(%s)": nick name, host, group, address, login
// and the key (a 12-character key shown as six pairs joined by "-").
QString FormatRecentContactText(const HostRecord &host);
// Puts the peer at the front of the recent contacts. A new entry is saved
// (section 0x20), the oldest dropped beyond CConfig::RecentContactsKept, and
// gives true; one already listed only moves to the front.
bool AddRecentContact(CConfig &config, const HostRecord &host);

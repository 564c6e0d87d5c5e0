#include "mainwnd/ContactEntry.h"

#include "core/CConfig.h"
#include "mainwnd/HeadImage.h"
#include "net/EngineEventLog.h"

ContactEntry ContactEntry::Make(HostRecord *host, const CConfig *config)
{
    ContactEntry e;
    e.host = HostPtr(host);
    if (!host)
        return e;
    e.keys = UserSortKeys::From(*host);
    e.nick = host->displayName.isEmpty() ? host->key.loginName() : host->displayName;
    e.hostName = host->key.hostName();
    e.login = host->key.loginName();
    e.group = host->groupName;
    e.customGroup = host->customGroup;
    e.address = EngineEventLog::dotted(host->key.address);
    e.signature = host->signature;
    e.hasMemoName = config && !host->keyText.isEmpty() && config->memoNickNames.contains(host->keyText);
    e.image = HeadImage::ForHost(*host);
    return e;
}

ContactEntry ContactEntry::ForLookup(const HostRecord &host)
{
    ContactEntry e;
    e.keys = UserSortKeys::From(host);
    e.customGroup = host.customGroup;
    e.group = host.groupName;
    return e;
}

QString ContactEntry::field(int index) const
{
    switch (index) {
    case NickField:
        return nick;
    case HostField:
        return hostName;
    case LoginField:
        return login;
    case GroupField:
        return group;
    case CustomGroupField:
        return customGroup;
    case AddressField:
        return address;
    default:
        return {};
    }
}

QString ContactEntry::itemText() const
{
    return QStringLiteral("%1(%2) %3").arg(nick, hostName, address);
}

#include "mainwnd/UserPickEntry.h"

#include "mainwnd/HeadImage.h"
#include "net/CHostTable.h"
#include "net/EngineEventLog.h"

UserPickEntry UserPickEntry::FromHost(const HostRecord &host)
{
    UserPickEntry e;
    e.image = HeadImage::ForHost(host);
    e.nick = host.displayName.isEmpty() ? host.key.loginName() : host.displayName;
    e.group = host.groupName;
    e.login = host.key.loginName();
    e.hostName = host.key.hostName();
    e.customGroup = host.customGroup;
    e.address = host.key.address;
    e.port = host.key.port;
    return e;
}

QString UserPickEntry::dottedAddress() const
{
    return EngineEventLog::dotted(address);
}

QStringList UserPickEntry::fieldTexts() const
{
    return { nick, hostName, login, group, customGroup, dottedAddress() };
}

QList<HostRecord *> HostsInTableOrder(const CHostTable &table)
{
    QList<HostRecord *> hosts;
    for (int kind = 0; kind < CHostTable::KindCount; ++kind) {
        if (!table.isEnabled(kind))
            continue;
        hosts.reserve(table.Count());
        for (qsizetype i = 0; i < table.Count(); ++i)
            if (HostRecord *host = table.At(kind, i))
                hosts.append(host);
        break;
    }
    return hosts;
}

HostRecord *FindPickedHost(const CHostTable &table, const UserPickEntry &entry)
{
    if (table.isEnabled(CHostTable::ByAddress))
        return table.Search(CHostTable::ByAddress, HostKey(QString(), QString(), entry.address, entry.port));
    const QList<HostRecord *> hosts = HostsInTableOrder(table);
    for (HostRecord *host : hosts)
        if (host->key.address == entry.address && host->key.port == entry.port)
            return host;
    return nullptr;
}

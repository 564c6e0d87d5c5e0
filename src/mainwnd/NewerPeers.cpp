#include "mainwnd/NewerPeers.h"

#include "core/ConfigValues.h"
#include "net/CHostTable.h"

namespace NewerPeers {

namespace {

template <typename Visit> void eachHost(const CHostTable &table, Visit visit)
{
    for (int kind = 0; kind < CHostTable::KindCount; ++kind) {
        if (!table.isEnabled(kind))
            continue;
        for (qsizetype i = 0; i < table.Count(); ++i) {
            if (const HostRecord *host = table.At(kind, i))
                visit(*host);
        }
        return;
    }
}

} // namespace

QList<const HostRecord *> Newest(const CHostTable &table)
{
    int best = kOwnVersion;
    eachHost(table, [&](const HostRecord &host) { best = std::max(best, int(host.extension)); });
    QList<const HostRecord *> peers;
    if (best <= kOwnVersion)
        return peers;
    eachHost(table, [&](const HostRecord &host) {
        if (host.extension == best)
            peers.append(&host);
    });
    return peers;
}

QString NoticeText(const HostRecord &peer)
{
    return QStringLiteral("Kwel检测到局域网内有更高版本!该用户是:\r\n")
        + QStringLiteral("用户名:%1\r\n主机名:%2\r\nIP地址:%3\r\n组名:%4")
              .arg(peer.nickName, peer.key.hostName(), ConfigValues::FormatIPv4(peer.key.address), peer.groupName);
}

QList<quint32> ExtensionPeerAddresses(const CHostTable &table, quint32 ownAddress)
{
    QList<quint32> addresses;
    eachHost(table, [&](const HostRecord &host) {
        if (host.extension > 0 && host.key.address != ownAddress)
            addresses.append(host.key.address);
    });
    return addresses;
}

} // namespace NewerPeers

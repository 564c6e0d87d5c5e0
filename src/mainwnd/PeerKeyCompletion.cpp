#include "mainwnd/PeerKeyCompletion.h"

#include "core/CConfig.h"
#include "core/Gbk.h"
#include "core/PeerKey.h"
#include "net/HostRecord.h"
#include "net/NeighbourTable.h"

namespace PeerKeyCompletion {

namespace {

constexpr qsizetype kNameBytes = 49;

QString madeKey(const HostRecord &host, const CConfig *config, const QString &mac)
{
    const QString style = config ? config->GetMacStryle_STR : QString::fromUtf16(kDefaultPeerKeyStyle);
    return MakePeerKey(host.key.address, host.key.loginName(), host.key.hostName(), mac, style);
}

} // namespace

bool CompleteKey(HostRecord &host, const CConfig *config, const NeighbourTable *neighbours)
{
    if (!host.keyText.isEmpty())
        return false;
    if (config && config->IpToMac.contains(host.key.address)) {
        host.keyText = madeKey(host, config, config->IpToMac.value(host.key.address));
    } else if (const auto mac = neighbours ? neighbours->Mac(host.key.address) : std::nullopt) {
        host.keyText = *mac;
    }
    if (host.keyText.isEmpty())
        host.keyText = madeKey(host, config, QString());
    return true;
}

void ApplyMemoData(HostRecord &host, const CConfig &config)
{
    if (host.keyText.isEmpty())
        return;
    const QString nick = config.memoNickNames.value(host.keyText);
    if (!nick.isEmpty())
        host.displayName = Gbk::truncate(nick, kNameBytes);
    const QString group = config.memoGroupNames.value(host.keyText);
    if (!group.isEmpty())
        host.customGroup = Gbk::truncate(group, kNameBytes);
}

} // namespace PeerKeyCompletion

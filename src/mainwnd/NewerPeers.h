// What the version check reads from the host table: peers that run a newer
// version of the program than the extension version this program speaks,
// and the peers that could hand out the picture library.
#pragma once

#include <QList>
#include <QString>

class CHostTable;
class HostRecord;

namespace NewerPeers {

// The extension version this program announces; a peer announcing more runs
// a newer version.
inline constexpr int kOwnVersion = 1;

// The peers with the highest extension version above kOwnVersion (every
// peer of that version), in table order; empty when none is newer.
QList<const HostRecord *> Newest(const CHostTable &table);
// "Kwel检测到局域网内有更高版本!该用户是:\r\n用户名:%s\r\n主机名:%s\r\nIP地址:%s\r\n组名:%s"
QString NoticeText(const HostRecord &peer);
// The addresses of the peers that speak the extensions, other than the own.
QList<quint32> ExtensionPeerAddresses(const CHostTable &table, quint32 ownAddress);

} // namespace NewerPeers

#include "chat/session/ChatPeer.h"

#include "net/ChatLogFormat.h"

#include "net/HostRecord.h"
#include "net/MessengerEngine.h"

namespace {

QString rightTrimmed(const QString &text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1).isSpace())
        --n;
    return text.left(n);
}

bool sameKeys(const HostKey &a, const HostKey &b, std::initializer_list<int> kinds)
{
    for (const int kind : kinds) {
        if (CompareHostKeys(a, b, kind) != 0)
            return false;
    }
    return true;
}

} // namespace

bool IsSameChatPeer(const HostRecord &a, const HostRecord &b)
{
    if (!a.keyText.isEmpty() && !b.keyText.isEmpty())
        return a.keyText == b.keyText && sameKeys(a.key, b.key, {1, 2});
    return sameKeys(a.key, b.key, {3, 1, 2});
}

QString DottedAddress(quint32 a)
{
    return QStringLiteral("%1.%2.%3.%4").arg(a >> 24).arg((a >> 16) & 0xFF).arg((a >> 8) & 0xFF).arg(a & 0xFF);
}

QString FormatMacForDisplay(const QString &mac)
{
    if (mac.size() != 12)
        return mac;
    QStringList pairs;
    for (int i = 0; i < 12; i += 2)
        pairs.append(mac.mid(i, 2));
    return pairs.join(QLatin1Char('-'));
}

QString PeerGroupText(const HostRecord &peer)
{
    const QString own = peer.groupName.trimmed();
    if (own.isEmpty() || own == peer.customGroup)
        return peer.customGroup;
    return QStringLiteral("%1(%2)").arg(peer.customGroup, own);
}

QString PeerBandText(const HostRecord &peer)
{
    const QString names = QStringLiteral("%1(%2) %3")
                              .arg(peer.displayName, peer.key.hostName(), DottedAddress(peer.key.address));
    if (peer.extension == 0) {
        const QString group = rightTrimmed(peer.groupName);
        return group.isEmpty() ? names : names + QStringLiteral(" 组名:") + group;
    }
    const QString signature = rightTrimmed(peer.signature);
    if (!signature.isEmpty())
        return QStringLiteral("%1:%2").arg(peer.displayName, signature);
    return names + QStringLiteral(" 组名:") + PeerGroupText(peer);
}

QString SidePaneHeading(const HostRecord &peer)
{
    return QStringLiteral("对方资料(") + FormatMacForDisplay(peer.keyText) + QLatin1Char(')');
}

QStringList PeerInfoLines(const HostRecord &peer, bool photoBeside)
{
    QStringList lines;
    if (peer.displayName == peer.nickName)
        lines.append(QStringLiteral("用户名:") + peer.displayName);
    else
        lines.append(QStringLiteral("用户名:%1(%2)").arg(peer.displayName, peer.nickName));
    lines.append(QStringLiteral("主  机:") + peer.key.hostName());
    lines.append(QStringLiteral("登录名:") + peer.key.loginName());
    lines.append(QStringLiteral("组  名:") + PeerGroupText(peer));
    lines.append((photoBeside ? QStringLiteral("IP:") : QStringLiteral("IP地址:")) + DottedAddress(peer.key.address));
    return lines;
}

QString FormatHostDisplayName(const HostRecord &peer)
{
    QString name = peer.displayName;
    if (name.isEmpty())
        name = peer.nickName;
    if (name.isEmpty())
        name = peer.key.loginName();
    const QString group = peer.groupName.trimmed();
    const QString host = peer.key.hostName();
    if (group.isEmpty())
        return host.isEmpty() ? name : QStringLiteral("%1(%2)").arg(name, host);
    return QStringLiteral("%1(%2/%3)").arg(name, group, host);
}

QString ChatWindowTitle(const HostRecord &peer)
{
    QString title = QStringLiteral("与 %1(%2) 聊天中 (IP:%3)")
                        .arg(peer.displayName, peer.key.hostName(), DottedAddress(peer.key.address));
    const QString group = peer.groupName.trimmed();
    if (!group.isEmpty())
        title += QStringLiteral(" 组名:") + group;
    return title;
}

QString LogGroupName(const HostRecord &peer)
{
    const QString custom = peer.customGroup.trimmed();
    if (custom == DefaultGroups::MyFriends() && !peer.groupName.isEmpty())
        return peer.groupName;
    return custom;
}

ChatLogEntry PeerLogEntry(const HostRecord &peer, const ChatFont &font, const QString &text)
{
    ChatLogEntry entry;
    entry.userName = peer.displayName;
    entry.groupName = LogGroupName(peer);
    entry.loginName = peer.key.loginName();
    entry.hostName = peer.key.hostName();
    entry.macText = peer.keyText;
    entry.address = peer.key.address;
    entry.port = peer.key.port;
    entry.font = font;
    entry.text = text;
    return entry;
}

QString PeerLinkTag(const HostRecord &peer)
{
    if (!peer.keyText.isEmpty())
        return QStringLiteral("#MAC:") + peer.keyText;
    return QStringLiteral("#IP:") + DottedAddress(peer.key.address);
}


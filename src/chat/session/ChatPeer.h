// What a chat window shows and decides about its peer without any widget:
// whether a host record is the window's peer, the texts of the peer band, the
// side pane and the title, the group name the chat log keeps, and the link
// tag that points back at the peer.
#pragma once

#include <QString>
#include <QStringList>

class HostRecord;
struct ChatFont;
struct ChatLogEntry;

// The window of `a` serves `b`: when both carry a MAC text, the MAC texts are
// equal and the login and host names, the address and the port are the same;
// without a MAC text on either side, the address, port and names are the same.
bool IsSameChatPeer(const HostRecord &a, const HostRecord &b);

// IPv4 (host order) as dotted text.
QString DottedAddress(quint32 address);
// A MAC text of exactly 12 characters as six dash-joined pairs; any other
// text unchanged.
QString FormatMacForDisplay(const QString &mac);
// The group text of the peer band and the side pane: the custom group when
// the peer's own group name is empty or equal to it, else "custom(own)".
QString PeerGroupText(const HostRecord &peer);
// The line above the history: names, address and group, or the signature of
// a peer that speaks the extensions.
QString PeerBandText(const HostRecord &peer);
// "对方资料(" + MAC + ")" of the side pane.
QString SidePaneHeading(const HostRecord &peer);
// The peer lines of the side pane; "IP:" instead of "IP地址:" when the photo
// stands beside them.
QStringList PeerInfoLines(const HostRecord &peer, bool photoBeside);
// The peer as the program's lines name it: the display name (the nick name,
// the login name when both are empty), then in brackets the peer's own group
// and its host name: "name(group/host)", "name(host)" without a group.
QString FormatHostDisplayName(const HostRecord &peer);
// "与 %s(%s) 聊天中 (IP:%s)", with " 组名:%s" when the peer names its group.
QString ChatWindowTitle(const HostRecord &peer);
// The group a chat-log record names: the custom group, or the peer's own
// group when the custom group is the default one and the own is not empty.
QString LogGroupName(const HostRecord &peer);
// A chat-log record of the peer with the font and text.
ChatLogEntry PeerLogEntry(const HostRecord &peer, const ChatFont &font, const QString &text);
// "#MAC:<key>" for a peer with a key text, else "#IP:<dotted address>".
QString PeerLinkTag(const HostRecord &peer);

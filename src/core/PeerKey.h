// The key text under which memo names, memo details and custom groups of a
// peer are kept when its MAC address is not known. docs/peer-key.md
// describes the rule; keys are stored, so it must never change.
#pragma once

#include <QString>
#include <QStringView>

// The style used when there is no configuration.
inline constexpr char16_t kDefaultPeerKeyStyle[] = u"43";

// Builds the 12-character key of a peer. The digits of the style pick the
// texts used: '1' the IPv4 address (host byte order, 0 = none), '2' the login
// name, '3' the host name, '4' the MAC text. Other characters are ignored; a
// style without any of these digits counts as "43". Empty when every picked
// text is empty.
QString MakePeerKey(quint32 ipv4, QStringView loginName, QStringView hostName, QStringView macText, QStringView style);

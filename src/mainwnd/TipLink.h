// The link tags of the tip popup's notices, written and read in one form:
//   "#IP:" followed by a dotted IPv4 address ("#IP:192.168.1.20"),
//   "#MAC:" followed by a peer's key text (its MAC as 12 hex digits, or the
//           made key of a peer without MAC),
//   "#QUNID:" followed by a group id in hexadecimal.
// A tag that starts with "#" but does not parse opens nothing; only tags the
// program itself wrote without "#" (an address or a document) are handed to
// the desktop. A tag built from a peer's data is never run as a program.
#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

struct TipLink
{
    enum class Kind {
        None, // empty tag
        Address, // "#IP:"
        PeerKey, // "#MAC:"
        Group, // "#QUNID:"
        Document, // anything without "#": an address or a file to open
        Invalid, // "#..." that does not parse: ignored
    };

    Kind kind = Kind::None;
    quint32 address = 0; // host order
    QString key;
    quint32 groupId = 0;
    QString document;
};

TipLink ParseTipLink(QStringView tag);

QString TipLinkForAddress(quint32 address);
QString TipLinkForKey(const QString &keyText);
QString TipLinkForGroup(quint32 groupId);
// The link of a peer: its key text when it has one, else its address.
QString TipLinkForPeer(const QString &keyText, quint32 address);

// A strictly dotted IPv4 address: four decimal numbers 0..255 of one to three
// digits; nothing else.
bool ParseDottedAddress(QStringView text, quint32 &address);

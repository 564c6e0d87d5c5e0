#include "mainwnd/TipLink.h"

#include <cctype>

namespace {

const QLatin1String kIp("#IP:");
const QLatin1String kMac("#MAC:");
const QLatin1String kGroup("#QUNID:");
constexpr qsizetype kMaxKeyLength = 32;

bool isPlainKey(QStringView key)
{
    if (key.isEmpty() || key.size() > kMaxKeyLength)
        return false;
    for (QChar c : key) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

} // namespace

bool ParseDottedAddress(QStringView text, quint32 &address)
{
    quint32 value = 0;
    int parts = 0;
    qsizetype i = 0;
    while (parts < 4) {
        int digits = 0;
        quint32 part = 0;
        while (i < text.size() && text[i].unicode() >= '0' && text[i].unicode() <= '9' && digits < 4) {
            part = part * 10 + quint32(text[i].unicode() - '0');
            ++digits;
            ++i;
        }
        if (digits == 0 || digits > 3 || part > 255)
            return false;
        value = (value << 8) | part;
        ++parts;
        if (parts < 4) {
            if (i >= text.size() || text[i] != QLatin1Char('.'))
                return false;
            ++i;
        }
    }
    if (i != text.size())
        return false;
    address = value;
    return true;
}

TipLink ParseTipLink(QStringView tag)
{
    TipLink link;
    if (tag.isEmpty())
        return link;
    if (!tag.startsWith(QLatin1Char('#'))) {
        link.kind = TipLink::Kind::Document;
        link.document = tag.toString();
        return link;
    }
    link.kind = TipLink::Kind::Invalid;
    if (tag.startsWith(kIp)) {
        if (ParseDottedAddress(tag.mid(kIp.size()), link.address))
            link.kind = TipLink::Kind::Address;
    } else if (tag.startsWith(kMac)) {
        const QStringView key = tag.mid(kMac.size());
        if (isPlainKey(key)) {
            link.kind = TipLink::Kind::PeerKey;
            link.key = key.toString();
        }
    } else if (tag.startsWith(kGroup)) {
        const QStringView hex = tag.mid(kGroup.size());
        bool ok = false;
        const uint id = hex.size() <= 8 ? hex.toUInt(&ok, 16) : 0;
        // toUInt accepts a sign and blanks; a group id is hex digits only.
        for (QChar c : hex)
            ok = ok && isxdigit(c.unicode() < 0x80 ? int(c.unicode()) : 0);
        if (ok) {
            link.kind = TipLink::Kind::Group;
            link.groupId = id;
        }
    }
    return link;
}

QString TipLinkForAddress(quint32 address)
{
    return kIp + QStringLiteral("%1.%2.%3.%4")
                     .arg(address >> 24)
                     .arg((address >> 16) & 0xFF)
                     .arg((address >> 8) & 0xFF)
                     .arg(address & 0xFF);
}

QString TipLinkForKey(const QString &keyText)
{
    return kMac + keyText;
}

QString TipLinkForGroup(quint32 groupId)
{
    return kGroup + QString::number(groupId, 16).toUpper();
}

QString TipLinkForPeer(const QString &keyText, quint32 address)
{
    return keyText.isEmpty() ? TipLinkForAddress(address) : TipLinkForKey(keyText);
}

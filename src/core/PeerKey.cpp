#include "core/PeerKey.h"

#include "core/Gbk.h"

#include <QCryptographicHash>

namespace {

constexpr qsizetype kKeyLength = 12;

// "00-1a-2B-..." or "00:1A:..." as bare upper-case digits.
QString normalisedMac(QStringView mac)
{
    QString out;
    for (QChar c : mac)
        if (c != QLatin1Char(':') && c != QLatin1Char('-'))
            out.append(c.toUpper());
    return out;
}

bool isMacKey(QStringView text)
{
    if (text.size() != kKeyLength)
        return false;
    for (QChar c : text)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'))))
            return false;
    return true;
}

QString dottedAddress(quint32 ipv4)
{
    if (ipv4 == 0)
        return {};
    return QStringLiteral("%1.%2.%3.%4")
        .arg(ipv4 >> 24)
        .arg((ipv4 >> 16) & 0xFF)
        .arg((ipv4 >> 8) & 0xFF)
        .arg(ipv4 & 0xFF);
}

} // namespace

QString MakePeerKey(quint32 ipv4, QStringView loginName, QStringView hostName, QStringView macText, QStringView style)
{
    bool picked[4] = { false, false, false, false };
    bool any = false;
    for (QChar c : style) {
        if (c >= QLatin1Char('1') && c <= QLatin1Char('4')) {
            picked[c.unicode() - u'1'] = true;
            any = true;
        }
    }
    if (!any)
        return MakePeerKey(ipv4, loginName, hostName, macText, QStringView(kDefaultPeerKeyStyle));

    const QString texts[4] = { dottedAddress(ipv4), loginName.toString(), hostName.toString(), normalisedMac(macText) };
    bool allEmpty = true;
    int count = 0;
    for (int i = 0; i < 4; ++i) {
        if (picked[i]) {
            ++count;
            allEmpty = allEmpty && texts[i].isEmpty();
        }
    }
    if (allEmpty)
        return {};
    if (count == 1 && picked[3] && isMacKey(texts[3]))
        return texts[3];

    QByteArray material;
    for (int i = 0; i < 4; ++i) {
        if (!picked[i])
            continue;
        material.append(static_cast<char>('1' + i));
        material.append(':');
        material.append(texts[i].isEmpty() ? QByteArrayLiteral("FFFF") : Gbk::encode(texts[i]));
        material.append('\0');
    }
    const QByteArray digest = QCryptographicHash::hash(material, QCryptographicHash::Sha1);
    return QString::fromLatin1(digest.first(kKeyLength / 2).toHex().toUpper());
}

#include "net/VisibleToList.h"

#include "core/Gbk.h"
#include "net/PacketCodec.h"

namespace VisibleToList {

Body Parse(const QString &body)
{
    const QString sep = QLatin1String(kSeparator);
    Body out;
    const qsizetype first = body.indexOf(sep);
    if (first < 0) {
        out.displayName = Gbk::truncate(body, kNameBytes);
        return out;
    }
    out.displayName = Gbk::truncate(body.left(first), kNameBytes);
    const qsizetype groupStart = first + sep.size();
    const qsizetype second = body.indexOf(sep, groupStart);
    if (second < 0) {
        out.groupName = Gbk::truncate(body.mid(groupStart), kNameBytes);
        return out;
    }
    out.groupName = Gbk::truncate(body.mid(groupStart, second - groupStart), kNameBytes);
    out.keys = body.mid(second + sep.size());
    return out;
}

bool Names(const QString &keys, const QString &key)
{
    if (key.isEmpty())
        return false;
    const QStringList parts = keys.split(QLatin1Char('#'), Qt::SkipEmptyParts);
    return parts.contains(key);
}

QByteArray Compose(const QString &displayName, const QString &groupName, const QStringList &keys, qsizetype maxBytes)
{
    const QByteArray sep(kSeparator);
    QByteArray body = Gbk::encode(displayName) + sep + Gbk::encode(groupName) + sep;
    if (body.size() > maxBytes)
        return {};
    bool any = false;
    for (const QString &key : keys) {
        if (key.isEmpty())
            continue;
        const QByteArray entry = Gbk::encode(key) + '#';
        if (body.size() + entry.size() > maxBytes)
            break;
        body += entry;
        any = true;
    }
    return any ? body : QByteArray();
}

QByteArray CutAtEntry(const QByteArray &list, QByteArrayView separator, qsizetype maxBytes)
{
    if (list.size() <= maxBytes)
        return list;
    if (maxBytes < 0 || separator.isEmpty())
        return {};
    const qsizetype cut = list.lastIndexOf(separator, maxBytes);
    return cut <= 0 ? QByteArray() : list.left(cut);
}

qsizetype BodyRoom(const OwnHeader &own, quint32 commandWord)
{
    const qsizetype empty = PacketCodec::BuildPacket(own, 0x80000000u, commandWord, {}).size();
    return std::max<qsizetype>(0, PacketCodec::kMaxPacket - empty);
}

} // namespace VisibleToList

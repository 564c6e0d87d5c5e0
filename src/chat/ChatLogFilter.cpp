#include "chat/ChatLogFilter.h"

#include "chat/session/ChatPeer.h"
#include "core/Gbk.h"
#include "net/ChatLogFormat.h"
#include "net/HostRecord.h"

namespace {

QByteArray logged(const QString &text, qsizetype limit)
{
    return Gbk::encode(Gbk::truncate(text, limit - 1));
}

bool same(const QByteArray &a, const QByteArray &b)
{
    return ChatLogPeer::TrimRight(a) == ChatLogPeer::TrimRight(b);
}

} // namespace

ChatLogFilter ChatLogFilter::ForPeer(const HostRecord &host)
{
    using namespace ChatLogFormat;
    ChatLogFilter filter;
    filter.peer.userName = logged(host.displayName, kNameLimit);
    filter.peer.groupName = logged(LogGroupName(host), kNameLimit);
    filter.peer.loginName = logged(host.key.loginName(), kNameLimit);
    filter.peer.hostName = logged(host.key.hostName(), kNameLimit);
    filter.peer.macText = logged(host.keyText, kMacLimit);
    filter.peer.address = host.key.address;
    if (!host.keyText.isEmpty()) {
        filter.macEqual = true;
    } else {
        filter.userEqual = filter.loginEqual = filter.hostEqual = filter.addressEqual = true;
    }
    return filter;
}

bool ChatLogFilter::MatchesPeer(const ChatLogPeer &record) const
{
    return (!userEqual || same(record.userName, peer.userName)) && (!groupEqual || same(record.groupName, peer.groupName))
        && (!loginEqual || same(record.loginName, peer.loginName)) && (!hostEqual || same(record.hostName, peer.hostName))
        && (!macEqual || same(record.macText, peer.macText)) && (!addressEqual || record.address == peer.address);
}

bool ChatLogFilter::MatchesDay(const QDate &day, const QDate &today) const
{
    if (period == AllTime)
        return true;
    if (!day.isValid())
        return false;
    switch (period) {
    case Today:
        return day == today;
    case TwoDays:
        return day >= today.addDays(-1) && day <= today;
    case Week:
        return day >= today.addDays(-6) && day <= today;
    case Month:
        return day >= today.addMonths(-1) && day <= today;
    default:
        return true;
    }
}

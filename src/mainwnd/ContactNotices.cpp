#include "mainwnd/ContactNotices.h"

#include "core/CConfig.h"
#include "mainwnd/HeadImage.h"
#include "net/EngineEventLog.h"
#include "net/HostRecord.h"

namespace {

// The system switch, or the custom group's own setting when its switch is on.
bool noticeOn(const CConfig &config, const QString &group, int systemValue, uint32_t UserGroupRecord::*custom,
    uint32_t UserGroupRecord::*value)
{
    const int i = config.FindMemberGroup(group);
    if (i >= 0 && i < config.MemberGroups.size() && config.MemberGroups[i].*custom)
        return config.MemberGroups[i].*value != 0;
    return systemValue != 0;
}

QString noticeText(const HostRecord &host, const QString &groupLabel)
{
    return QStringLiteral("用户名:%1\r\n主机:%2\r\n登录名:%3\r\nIP:%4\r\n%5:%6")
        .arg(host.displayName, host.key.hostName(), host.key.loginName(), EngineEventLog::dotted(host.key.address),
            groupLabel, NoticeGroupText(host));
}

} // namespace

QString NoticeGroupText(const HostRecord &host)
{
    if (host.customGroup == DefaultGroups::MyFriends() && !host.groupName.isEmpty())
        return host.groupName;
    return host.customGroup;
}

std::optional<TipNotice> OnlineNotice(const HostRecord &host, const NoticeContext &context)
{
    if (!context.config)
        return std::nullopt;
    const bool on = noticeOn(*context.config, host.customGroup, context.config->NoTice,
        &UserGroupRecord::onlineNoticeCustom, &UserGroupRecord::onlineNotice);
    if (host.key.address == context.ownAddress || !context.notify || !on || !context.noticesEnabled
        || (host.noticeFlags & HostRecord::NoOnlineNotice))
        return std::nullopt;
    TipNotice n;
    n.icon = HeadImage::ForHost(host);
    n.title = QStringLiteral(" 上 线 通 知 ");
    n.text = noticeText(host, QStringLiteral("组名"));
    // One form for writing and reading the link: "#MAC:" or "#IP:" dotted.
    n.linkTag = host.keyText.isEmpty() ? QStringLiteral("#IP:") + EngineEventLog::dotted(host.key.address)
                                       : QStringLiteral("#MAC:") + host.keyText;
    return n;
}

std::optional<TipNotice> OfflineNotice(const HostRecord &host, const NoticeContext &context)
{
    if (!context.config)
        return std::nullopt;
    const bool on = noticeOn(*context.config, host.customGroup, context.config->NoTice2,
        &UserGroupRecord::offlineNoticeCustom, &UserGroupRecord::offlineNotice);
    if (!context.notify || !on || !context.noticesEnabled || (host.noticeFlags & HostRecord::NoOfflineNotice))
        return std::nullopt;
    TipNotice n;
    n.icon = HeadImage::ForHost(host);
    n.title = QStringLiteral(" 下 线 通 知 ");
    n.text = noticeText(host, QStringLiteral("组"));
    return n;
}

QString FormatRecentContactText(const HostRecord &host)
{
    const QString custom = host.customGroup.trimmed();
    const QString group = custom.isEmpty() ? host.groupName : custom;
    QString key = host.keyText;
    if (key.size() == 12) {
        QStringList pairs;
        for (int i = 0; i < 12; i += 2)
            pairs.append(key.mid(i, 2));
        key = pairs.join(QLatin1Char('-'));
    }
    const QString address = EngineEventLog::dotted(host.key.address);
    if (group.isEmpty())
        return QStringLiteral("%1(%2)(IP:%3)(%4)(%5)")
            .arg(host.displayName, host.key.hostName(), address, host.key.loginName(), key);
    return QStringLiteral("%1(%2)(组名:%3)(IP:%4)(%5)(%6)")
        .arg(host.displayName, host.key.hostName(), group, address, host.key.loginName(), key);
}

bool AddRecentContact(CConfig &config, const HostRecord &host)
{
    if (host.keyText.isEmpty())
        return false;
    const QString text = FormatRecentContactText(host);
    const qsizetype at = config.LastPersonKeys.indexOf(host.keyText);
    if (at >= 0 && at < config.LastPersonTexts.size()) {
        config.LastPersonKeys.removeAt(at);
        config.LastPersonTexts.removeAt(at);
        config.LastPersonKeys.prepend(host.keyText);
        config.LastPersonTexts.prepend(text);
        return false;
    }
    config.LastPersonKeys.prepend(host.keyText);
    config.LastPersonTexts.prepend(text);
    // Only the newest are kept: the oldest one goes.
    config.LastPersonKeys = config.LastPersonKeys.mid(0, CConfig::RecentContactsKept);
    config.LastPersonTexts = config.LastPersonTexts.mid(0, CConfig::RecentContactsKept);
    config.Save(CFG_RECENT);
    return true;
}

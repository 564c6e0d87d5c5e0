#include "chat/session/MultiSendPlan.h"

#include "core/FontBlock.h"
#include "net/HostRecord.h"

QList<HostRecord *> PreselectMembers(const QList<HostRecord *> &members, bool preselect, const MultiSendOpener &opener,
    const PreselectContext &context)
{
    QList<HostRecord *> chosen;
    if (!preselect)
        return chosen;
    const auto keyed = [&](const HostRecord &host) {
        return !host.keyText.isEmpty() && host.keyText != context.ownMac;
    };
    for (HostRecord *host : members) {
        if (!host)
            continue;
        bool take = false;
        if (opener.groupId == 0 && opener.name.isEmpty()) {
            take = context.hasConfig && context.membersShowMode == 0 && context.panelSelection.contains(host);
        } else if (opener.groupId != 0) {
            take = keyed(*host) && context.inGroup && context.inGroup(opener.groupId, host->keyText);
        } else {
            // The custom group the user keeps the peer in ("我的好友" when none).
            take = context.hasConfig && keyed(*host) && host->customGroup == opener.name;
        }
        if (take)
            chosen.append(host);
    }
    return chosen;
}

MultiSendPlan PlanMultiSend(const MultiSendInput &in)
{
    MultiSendPlan plan;
    const int files = in.checkedFiles + in.checkedFolders;
    if (in.recipients <= 0 || (in.text.isEmpty() && files == 0))
        return plan;
    plan.route = in.recipients <= 2 ? MultiSendPlan::Route::ThroughSessions : MultiSendPlan::Route::ThroughSender;
    plan.multiSend = in.recipients >= 2;
    if (!in.text.isEmpty() && !IsSameChatFont(in.font, in.standardFont, true))
        plan.extensionTail = FormatFontPrefix(in.font);
    if (in.hasPictures)
        plan.plainPeersWithoutPictures = in.plainRecipients;
    return plan;
}

namespace MultiSendTexts {

QString Caption()
{
    return QStringLiteral("与多人聊天中");
}

QString CaptionWithCount(int members)
{
    return QStringLiteral("与多人聊天中---(在线人数: %1)").arg(members);
}

QString PlainPeersWarning(int plainPeers)
{
    return QStringLiteral("刚发送的用户中,有 %1 个用户正在使用飞鸽传书(IPMSG),无法接收到您发送的图片或表情信息.").arg(plainPeers);
}

QString RetryQuestion()
{
    return QStringLiteral("发送失败，是否重试？");
}

QString SendTip(bool sendWithEnter)
{
    return sendWithEnter ? QStringLiteral("也可按Enter发送消息") : QStringLiteral("也可按Ctrl+Enter发送消息");
}

} // namespace MultiSendTexts

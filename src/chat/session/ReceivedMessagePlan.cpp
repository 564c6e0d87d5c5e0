#include "chat/session/ReceivedMessagePlan.h"

#include "chat/session/ChatPeer.h"
#include "chat/session/ChatSendPlan.h"
#include "core/FaceShortcuts.h"
#include "core/FontBlock.h"

StrippedText StripFontBlock(const QString &text)
{
    // The block reader wants the line feed that the history puts behind a
    // message; it gives it back behind the shortened text.
    QString work = text + QLatin1Char('\n');
    StrippedText out;
    out.font = ParseFontPrefix(work);
    work.chop(1);
    out.text = work;
    return out;
}

ReceivedPlan PlanReceivedMessage(const ReceivedInput &in)
{
    ReceivedPlan plan;
    const StrippedText stripped = StripFontBlock(in.text);
    const QString text = stripped.text.trimmed();
    const bool hasFiles = !in.files.isEmpty();

    // An offer whose entries were all unusable, without text, is not matched.
    const bool emptyOffer = text.isEmpty() && in.offersFiles && !hasFiles;
    if (in.applyRules && !emptyOffer) {
        SpamCheck check;
        check.text = text;
        check.multiSend = in.multiSend;
        check.hasFiles = hasFiles;
        plan.rule = FindBlockingRule(in.rules, check);
    }
    if (plan.rule >= 0) {
        const SpamRuleRecord &rule = in.rules.at(plan.rule);
        plan.blocked = true;
        plan.tip = SpamActionTips(rule.action);
        plan.tipTitle = ReceivedTexts::BlockedTipTitle();
        plan.tipText = FormatMessageTipText(in.nick, in.hostName, in.multiSend, MessageTextInWords(text), in.files);
        plan.log = SpamActionLogs(rule.action);
        if (plan.log) {
            plan.logText = QStringLiteral("%1(%2)%3 %4").arg(in.nick, in.hostName, DottedAddress(in.address), in.time);
            if (in.multiSend)
                plan.logText += QStringLiteral(" (多人发送)");
            plan.logText += QLatin1Char('\n') + text + QLatin1Char('\n') + FormatBlockedFilesLog(in.files);
        }
        plan.releaseOffer = hasFiles;
        QString reply = rule.replyText;
        while (!reply.isEmpty() && reply.front().isSpace())
            reply.remove(0, 1);
        if (!in.automatic)
            plan.autoReply = reply;
        return plan;
    }

    if (!text.isEmpty()) {
        plan.senderLine = ChatSendTexts::HeaderLine(in.nick, in.time, in.multiSend);
        plan.shownText = QStringLiteral("  ") + in.text.trimmed() + QLatin1Char('\n');
        plan.logBody = stripped.text;
        plan.logFont = stripped.font;
    }
    if (hasFiles)
        plan.offerNotice = FormatOfferNotice(in.nick, int(in.files.size()), in.time, in.multiSend);
    plan.queueReadNotice = in.sealed;
    plan.showTip = in.notify;
    plan.tipTitle = in.nick;
    plan.tipText = FormatMessageTipText(in.nick, in.hostName, in.multiSend, MessageTextInWords(text), in.files);
    return plan;
}

namespace ReceivedTexts {

QString BlockedTipTitle()
{
    return QStringLiteral("屏蔽信息内容通知");
}

QString BlockedLogUser()
{
    return QStringLiteral("系统日志");
}

QString BlockedLogTitle()
{
    return QStringLiteral("屏蔽垃圾信息");
}

} // namespace ReceivedTexts

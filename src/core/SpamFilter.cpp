#include "core/SpamFilter.h"

#include "core/Gbk.h"

namespace {

const QString kMultiMark = QStringLiteral("(多人发送)");

bool blocks(int action)
{
    return action >= 0 && action <= 3;
}

} // namespace

int FindBlockingRule(const QList<SpamRuleRecord> &rules, const SpamCheck &message)
{
    for (int i = 0; i < rules.size(); ++i) {
        const SpamRuleRecord &rule = rules[i];
        if ((rule.scope == 1 && !message.multiSend) || (rule.scope == 2 && message.multiSend))
            continue;
        if ((rule.fileCondition == 1 && message.hasFiles) || (rule.fileCondition == 2 && !message.hasFiles))
            continue;
        // Equality is byte equality of the GBK texts, as the rules were written.
        const bool matches = rule.matchMode != 0 ? message.text.contains(rule.keyword)
                                                 : Gbk::encode(message.text) == Gbk::encode(rule.keyword);
        if (!matches)
            continue;
        // The first matching rule decides, whether it blocks or not.
        return blocks(rule.action) ? i : -1;
    }
    return -1;
}

QString FormatMessageTipText(const QString &nick, const QString &host, bool multiSend, const QString &text,
    const QList<OfferedItemName> &files)
{
    const QString mark = multiSend ? kMultiMark : QString();
    if (files.isEmpty())
        return QStringLiteral("发送人:%1(%2)\r\n发送内容%3:%4\r\n").arg(nick, host, mark, text);
    QString out = QStringLiteral("发送人:%1(%2)\r\n发送文件数:%3(个)\r\n发送内容%4:%5\r\n")
                      .arg(nick, host, QString::number(files.size()), mark, text);
    out += QStringLiteral("--发送的文件名为:--\r\n");
    for (int i = 0; i < files.size(); ++i)
        out += (files[i].folder ? QStringLiteral("%1 文件夹 %2\r\n") : QStringLiteral("%1 文件 %2\r\n"))
                   .arg(i + 1)
                   .arg(files[i].name);
    return out + QStringLiteral("\r\n");
}

QString FormatBlockedFilesLog(const QList<OfferedItemName> &files)
{
    if (files.isEmpty())
        return {};
    QString out = QStringLiteral("------屏蔽接收的文件名为:------\r\n");
    for (int i = 0; i < files.size(); ++i)
        out += (files[i].folder ? QStringLiteral("%1\t文件夹\t%2\r\n") : QStringLiteral("%1\t文件\t%2\r\n"))
                   .arg(i + 1)
                   .arg(files[i].name);
    return out + QStringLiteral("\r\n");
}

QString FormatOfferNotice(const QString &nick, int count, const QString &time, bool multiSend)
{
    QString out = QStringLiteral("%1 给您发送了 %2 个文件(夹),请在右侧接收.时间 %3.").arg(nick, QString::number(count), time);
    if (multiSend)
        out += QStringLiteral(" ") + kMultiMark;
    return out;
}

// The spam rules applied to a received message, and the texts of the notices
// that a blocked or shown message produces. Widget-free: the chat window
// calls these and does the showing.
#pragma once

#include "core/ConfigRecords.h"

#include <QList>
#include <QString>

struct OfferedItemName
{
    QString name;
    bool folder = false;
};

struct SpamCheck
{
    QString text; // the message text, trimmed, without its font block
    bool multiSend = false;
    bool hasFiles = false;
};

// The first rule that matches and blocks, or -1. Rules whose action does not
// block never match.
int FindBlockingRule(const QList<SpamRuleRecord> &rules, const SpamCheck &message);

inline bool SpamActionTips(int action) { return action == 2 || action == 3; }
inline bool SpamActionLogs(int action) { return action == 1 || action == 3; }

// The text of the tip about a message: "发送人:%s(%s)\r\n发送内容%s:%s\r\n", with
// the file count and names when the message offers files.
QString FormatMessageTipText(const QString &nick, const QString &host, bool multiSend, const QString &text,
    const QList<OfferedItemName> &files);
// The file lines of a blocked message's log entry (empty without files).
QString FormatBlockedFilesLog(const QList<OfferedItemName> &files);
// "%s 给您发送了 %d 个文件(夹),请在右侧接收.时间 %s." (with " (多人发送)" for a multi-send).
QString FormatOfferNotice(const QString &nick, int count, const QString &time, bool multiSend);

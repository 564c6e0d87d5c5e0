// The driver's commands about the transfers a chat window sends:
//
//   sendrow IP NAME STATE   ok when the chat window of IP (made when needed)
//                           lists an outgoing row NAME in STATE: "waiting",
//                           "sending" (its bar between 1 and 99 %) or "done";
//                           the row's state text is the event line's tail
//   offered IP COUNT NAME   ok when the chat window of IP (not made) lists
//                           COUNT offered rows, the first named NAME
#include "app/TestDriver.h"

#include "chat/CChatDlg.h"
#include "chat/CChatFilePanel.h"

#include <QTreeWidget>

std::optional<bool> TestDriver::runTransferCommand(const QString &verb, const QString &rest)
{
    const QStringList words = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (verb == QLatin1String("offered")) {
        CChatDlg *chat = words.size() == 3 ? window(words[0], false) : nullptr;
        const QTreeWidget *list = chat ? chat->receiveList() : nullptr;
        return list && list->topLevelItemCount() == words[1].toInt() && list->topLevelItem(0)
            && list->topLevelItem(0)->text(0) == words[2];
    }
    if (verb != QLatin1String("sendrow"))
        return std::nullopt;
    CChatDlg *chat = words.size() == 3 ? window(words[0], true) : nullptr;
    if (!chat)
        return false;
    const QTreeWidget *list = chat->sendList();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list->topLevelItem(i);
        if (item->text(0) != words[1] || item->flags() & Qt::ItemIsUserCheckable)
            continue;
        const int percent
            = item->data(CChatFilePanel::kBarColumn, CChatFilePanel::kOutgoingProgressRole).toInt();
        const QString &state = words[2];
        if (state == QLatin1String("waiting"))
            return percent < 0;
        if (state == QLatin1String("sending"))
            return percent >= 1 && percent <= 99;
        if (state == QLatin1String("done"))
            return percent == 100 && item->text(CChatFilePanel::kStateColumn) == QStringLiteral("对方接收完成");
    }
    return false;
}

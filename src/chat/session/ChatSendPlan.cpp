#include "chat/session/ChatSendPlan.h"

#include "core/FontBlock.h"

ComposePlan PlanOutgoingMessage(const ComposeInput &in)
{
    ComposePlan plan;
    plan.selected = in.checkedFiles + in.checkedFolders;
    const bool hasPictures = !in.pictureIds.isEmpty();
    if (hasPictures && !in.peerSpeaksExtensions) {
        plan.action = ComposePlan::Action::PlainPeerPictures;
        return plan;
    }
    if (in.text.isEmpty() && plan.selected == 0) {
        plan.action = ComposePlan::Action::QuickReplies;
        return plan;
    }
    plan.action = ComposePlan::Action::Send;
    plan.wireText = in.text;
    if (!in.text.isEmpty()) {
        plan.echoText = QStringLiteral("  ") + in.text + QLatin1Char('\n');
        if (in.peerSpeaksExtensions && !IsSameChatFont(in.ownFont, in.standardFont, true))
            plan.wireText += FormatFontPrefix(in.ownFont);
    }
    plan.picturesRefused = hasPictures && in.peerRefusesPictures;
    plan.withPictures = hasPictures && !in.peerRefusesPictures;
    return plan;
}

namespace ChatSendTexts {

QString HeaderLine(const QString &name, const QString &time, bool multiSend)
{
    QString line = name + QLatin1Char(' ') + time;
    if (multiSend)
        line += QStringLiteral(" (多人发送)");
    return line + QLatin1Char('\n');
}

QString FilesSentNotice(const QString &nick, int files, int folders, const QString &time)
{
    return FilesOfferedNotice(nick, files, folders) + QStringLiteral("(时间:%1)").arg(time);
}

QString FilesOfferedNotice(const QString &nick, int files, int folders)
{
    // One step: a nick holding "%2" stays as written.
    return QStringLiteral("您给 %1 发送了 %2 个文件, %3 个文件夹， 共计 %4 个.")
        .arg(nick, QString::number(files), QString::number(folders), QString::number(files + folders));
}

QString PicturesRefusedNotice()
{
    return QStringLiteral("对方屏蔽了图片和表情接收功能,将无法接收到您发送的图片表情信息。");
}

QString PlainPeerPicturesNotice()
{
    return QStringLiteral("发送失败!对方正在使用飞鸽传书(IPMSG),无法接收图片或表情信息!");
}

QString BusyText()
{
    return QStringLiteral("正忙...正稍候重试!");
}

QString SendButtonTip(bool sendWithEnter)
{
    return QStringLiteral("发送消息内容、随手涂鸭图片、及右边发送列表框中要发送的文件。\r\n也可按%1发送消息.\r\n"
                          "点击发送按钮旁边小箭头还可以设置\r\n对方打开信息时进行通知、发送后关闭对话框、关闭对话框后清空内容")
        .arg(sendWithEnter ? QStringLiteral("Enter") : QStringLiteral("Ctrl+Enter"));
}

} // namespace ChatSendTexts

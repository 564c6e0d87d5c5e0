// What the send command of a one-to-one chat window does with the content of
// its input box, decided without any widget: offer the quick replies, ask
// whether to offer the program to a plain peer that cannot show pictures, or
// send; and what the sent message looks like on the wire, in the history and
// in the program lines around it.
#pragma once

#include "core/ChatFont.h"

#include <QList>
#include <QString>

struct ComposeInput
{
    QString text; // the input box as message text (faces as shortcuts, pictures as markers)
    QList<quint32> pictureIds; // the pictures the text names
    int checkedFiles = 0; // checked entries of the send list that are files
    int checkedFolders = 0; // ... and folders
    bool peerSpeaksExtensions = true; // false for a plain IP Messenger peer
    bool peerRefusesPictures = false;
    ChatFont ownFont; // the user's chat font
    ChatFont standardFont = ChatFont::standard();
};

struct ComposePlan
{
    enum class Action {
        QuickReplies, // nothing to send: pop up the quick replies
        PlainPeerPictures, // pictures for a plain peer, which cannot show them: nothing goes
        Send,
    };
    Action action = Action::Send;
    // The text as it goes out: with the font block at its end for a peer that
    // speaks the extensions when the user's font is not the standard one.
    QString wireText;
    // "  " + text + "\n" in the history (empty for an empty text).
    QString echoText;
    int selected = 0; // checked entries of the send list
    bool withPictures = false; // the named pictures are sent after the message
    bool picturesRefused = false; // the peer refuses them: say so, send none
};

ComposePlan PlanOutgoingMessage(const ComposeInput &input);

// The texts around a sent message.
namespace ChatSendTexts {
// "%s %s\n": the sender's name and the time "%H:%M:%S".
QString HeaderLine(const QString &name, const QString &time, bool multiSend = false);
// "您给 %s 发送了 %d 个文件, %d 个文件夹， 共计 %d 个.(时间:%s)"
QString FilesSentNotice(const QString &nick, int files, int folders, const QString &time);
// The same without the time: what a message of the multi-user window offered.
QString FilesOfferedNotice(const QString &nick, int files, int folders);
QString PicturesRefusedNotice();
// A plain peer cannot show pictures: the send fails.
QString PlainPeerPicturesNotice();
QString BusyText();
// The send button's tip for Enter or Ctrl+Enter as the send key.
QString SendButtonTip(bool sendWithEnter);
} // namespace ChatSendTexts

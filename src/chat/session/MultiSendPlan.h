// The decisions of the multi-user send ("与多人聊天中"), without widgets:
// which peers are chosen when the window opens, and how one message goes to
// the chosen peers.
#pragma once

#include "core/ChatFont.h"

#include <QList>
#include <QString>
#include <functional>

class HostRecord;

// What the window is opened for.
struct MultiSendOpener
{
    quint32 groupId = 0; // a group chat: its members; 0 none
    QString name; // a custom group of the contact list: its peers
};

// What the pre-selection reads beyond the opener.
struct PreselectContext
{
    bool hasConfig = true;
    int membersShowMode = 1; // 0: the main panel shows its user list
    QList<const HostRecord *> panelSelection; // the selected rows of that list
    QString ownMac; // the user's own MAC text
    // Whether the peer with the MAC text is a member of the group chat.
    std::function<bool(quint32 groupId, const QString &mac)> inGroup;
};

// The members chosen when the window is filled: none without the flag;
// for a group id the peers registered for that group; for a name the peers
// the user keeps in that custom group; with neither, while the main panel
// shows its list, the peers selected there. Peers without a MAC text and
// the user's own entry are never chosen by group or name.
QList<HostRecord *> PreselectMembers(const QList<HostRecord *> &members, bool preselect, const MultiSendOpener &opener,
    const PreselectContext &context);

struct MultiSendInput
{
    QString text; // the input box: faces as shortcuts, pictures as markers
    int checkedFiles = 0; // ticked attachments that are files
    int checkedFolders = 0;
    int recipients = 0; // chosen peers
    int plainRecipients = 0; // of them plain IP Messenger peers
    bool hasPictures = false;
    ChatFont font; // the window's own font
    ChatFont standardFont = ChatFont::standard();
};

struct MultiSendPlan
{
    enum class Route {
        Nothing, // no peer chosen, or nothing to send
        ThroughSessions, // one or two peers: each through its own chat
        ThroughSender, // three or more: one sender for all
    };
    Route route = Route::Nothing;
    // Two or more peers: the receivers see a multi-send (their spam rules'
    // scope, the "(多人发送)" mark).
    bool multiSend = false;
    // The font block, for the peers that speak the extensions only; empty
    // when the font is the standard one or the text is empty.
    QString extensionTail;
    // Plain peers that get the text but not the pictures (0: no warning).
    int plainPeersWithoutPictures = 0;
};

MultiSendPlan PlanMultiSend(const MultiSendInput &input);

namespace MultiSendTexts {
// "与多人聊天中" and "与多人聊天中---(在线人数: %d)".
QString Caption();
QString CaptionWithCount(int members);
// "刚发送的用户中,有 %d 个用户正在使用飞鸽传书(IPMSG),无法接收到您发送的图片或表情信息."
QString PlainPeersWarning(int plainPeers);
// "发送失败，是否重试？"
QString RetryQuestion();
// The send button's tip: "也可按Enter发送消息" or "也可按Ctrl+Enter发送消息".
QString SendTip(bool sendWithEnter);
} // namespace MultiSendTexts

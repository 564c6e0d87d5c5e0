// What a chat session needs of the window that shows it: the chat window
// implements this, tests implement it with a recorder. A session works
// without a view (a blocked message, a late picture, a receipt); it asks its
// owner for one when something must be shown.
#pragma once

#include "core/ChatFont.h"

#include <QImage>
#include <QList>
#include <QString>

class QObject;

// One picture the user put into a message, as the input box holds it.
struct OutgoingPicture
{
    quint32 id = 0;
    QImage bitmap; // a still picture
    QString gifPath; // an animated face: its file
    // A still picture sent: the copy kept in SendFace, from which a history
    // shows it (again, once there is room) and the chat log finds it.
    QString keptPath = {};
};

// One piece of the history, drawn at its end.
struct ChatHistoryEntry
{
    // Where the pictures a text names come from.
    enum class Source {
        OwnMessage = 0, // the input box the message was sent from
        ReceivedMessage = 1, // the picture folders, else a placeholder
        OtherWindowInput = 2, // the pictures carried by the entry (the multi-user window's input box)
        FromLog = 3, // the picture folders, else "/<NF>"
    };

    ChatFont font;
    QString text; // faces as shortcuts, pictures as markers
    Source source = Source::ReceivedMessage;
    QList<OutgoingPicture> pictures = {}; // the user's own messages: the pictures the text names
};

class ChatSessionView
{
public:
    virtual ~ChatSessionView() = default;

    virtual void AppendEntry(const ChatHistoryEntry &entry) = 0;
    // A picture of a shown message arrived; true when a placeholder took it.
    virtual bool ReplacePicturePlaceholder(quint32 id, const QImage &bitmap) = 0;
    virtual bool ReplacePictureByFile(quint32 id, const QString &path) = 0;
    // The peer's details changed: the title, the band and the side pane.
    virtual void PeerChanged() = 0;
    virtual int BringToFront(bool noActivate) = 0;
    // The user can see the window.
    virtual bool IsShown() const = 0;
    // The window the session's questions and message boxes belong to.
    virtual QObject *PromptOwner() = 0;
    virtual void NavigateSidePane() { }
    // A screen shake arrived (or the peer answered ours): the window shakes.
    virtual void ShakeWindow() { }
    // The request states changed: the buttons show them again.
    virtual void RequestsChanged() { }
    // The activity indicator shows this many marks (0..9; 0 clears it).
    virtual void ActivityChanged(int marks) { Q_UNUSED(marks) }
    // The window was closed while something was pending and stayed hidden;
    // now nothing is: it goes for good.
    virtual void Dispose() = 0;
};

// The conversation with one peer, without any widget: it takes the peer's
// messages in (decrypted, checked against the spam rules, logged, its
// offered files queued), sends the user's messages and their pictures, owes
// and sends read notices, answers with the automatic replies, receives
// offered files, and runs the conversation's timers. It is owned by the
// program's ChatSessions, not by a window: a chat window is a view bound to
// it, and closing the window never cancels what the session still does.
#pragma once

#include "chat/session/ChatCloseRules.h"
#include "chat/session/ChatSendPlan.h"
#include "chat/session/ChatSessionView.h"
#include "chat/session/ChatTimers.h"
#include "chat/session/FilePanelModel.h"
#include "chat/session/ReadNoticeQueue.h"
#include "core/ChatFont.h"
#include "net/FileList.h"
#include "net/HostRecord.h"
#include "net/MessageCrypto.h"
#include "net/PacketRecord.h"
#include "net/PictureSender.h"

#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class CConfig;
class ChatRequests;
class ChatShares;
class CMsgSenderWnd;
class RemoteRequests;
class ChatFileTransfers;
class ChatLogWriter;
class ChatSessionView;
class KeyExchange;
class MessengerEngine;
struct ChatHistoryEntry;
struct ChatLogEntry;

// What a session uses of the program. The engine is required for anything to
// be sent; without keys nothing is encrypted or decrypted, without the chat
// log nothing is logged.
struct ChatServices
{
    MessengerEngine *engine = nullptr;
    KeyExchange *keys = nullptr;
    ChatLogWriter *chatLog = nullptr;
    CConfig *config = nullptr; // the engine's when null
    QString dataFolder; // "<base>/kwel": the picture folders
    // The program's request states, shared by the sessions (the session
    // keeps its own when none is given).
    RemoteRequests *requests = nullptr;
};

// What the send command hands over: the input box and the user's font.
struct OutgoingMessage
{
    QString text; // faces as shortcuts, pictures as markers
    QList<OutgoingPicture> pictures; // the pictures the text names, in order
    ChatFont font;
};

// What became of the send command.
enum class SendOutcome {
    Sent,
    Refused, // busy, no peer, too long, files that cannot be offered: nothing went out
    QuickReplies, // nothing to send: the quick replies are offered
    PlainPeerPictures, // pictures for a plain peer, which cannot show them: nothing is sent
};

// A picture marker of a shown message whose picture has not arrived.
struct PendingPlaceholder
{
    quint32 id = 0;
    bool animated = false;
    int tries = 0;
};

class ChatSession : public QObject, private ChatTimerHost
{
    Q_OBJECT
public:
    // History colours (COLORREF): sender lines of the peer, of the user, program lines.
    static constexpr uint32_t kPeerHeaderColor = 0xFF0000;
    static constexpr uint32_t kOwnHeaderColor = 0x428200;
    static constexpr uint32_t kNoticeColor = 0xDE5921;
    // The picture resend pass and the placeholder retries.
    static constexpr int kPictureResendMs = 5000;
    static constexpr int kPlaceholderRetryMs = 5000;
    static constexpr int kPlaceholderTries = 3;
    static constexpr int kTypingQuietMs = 5000;
    // The probe that asks the peer for its current details when a window opens.
    static constexpr int kProbeDelayMs = 1000;
    // The first-show work of a new window (its side pane).
    static constexpr int kFirstShowMs = 20;

    enum class TypingState { Idle = 0, Typing = 1, Drawing = 2 };

    ChatSession(const ChatServices &services, HostRecord *peer, QObject *parent = nullptr);
    // Releases the offers the session still holds and stops a receive.
    ~ChatSession() override;

    HostRecord *peer() const override { return m_peer.data(); }
    const ChatServices &services() const { return m_services; }
    CConfig *config() const { return m_config; }
    ChatFileTransfers &files() { return *m_files; }
    ChatTimers &timers() { return m_timers; }
    // Remote assistance, control, voice and the screen shake.
    ChatRequests &requests() { return *m_requests; }
    // The peer's shared files and the download requests both ways.
    ChatShares &shares();
    int activityMarks() const { return m_activityMarks; }
    // The indicator's marks between two redraws (1000 ms apart).
    static constexpr int kActivityMs = 1000;

    // ---- the view ----
    // Makes the view (a hidden chat window) when a session must show something.
    using ViewFactory = std::function<ChatSessionView *(ChatSession &session)>;
    void setViewFactory(ViewFactory factory) { m_viewFactory = std::move(factory); }
    void AttachView(ChatSessionView *view);
    // The view goes for good: the offers it listed are released to the peer
    // and the rows it showed are forgotten.
    void DetachView(ChatSessionView *view);
    ChatSessionView *view() const { return m_view; }
    // The view, made now when there is none (null when none can be made).
    ChatSessionView *EnsureView();

    // ---- receiving ----
    // Takes a received message: its offered files and its text, decrypted
    // when it came encrypted (a body that does not decrypt gets the automatic
    // notice and stays as the error text).
    void TakeReceivedMessage(const PacketRecord &packet);
    // Shows the taken message or blocks it by the spam rules; true when it
    // was shown. filterFlag: apply the spam rules; notify: a tip is wanted.
    bool ShowReceivedMessage(bool filterFlag, bool notify);
    // A message not shown (the windows the network may open this minute are
    // used up): its chat-log entry is written as a shown one's would be
    // (font block read, text trimmed) and the files it offers are released,
    // since nothing will ever receive them.
    void LogUnshownMessage();
    // The text of the message taken last (decrypted).
    const QString &receivedText() const { return m_received.text; }
    // The peer opened a sealed message of ours.
    void ShowReadNotice(const QDateTime &when, quint32 packetNumber);
    // A fresh record of a peer: taken when it is this session's peer.
    bool OnPeerStatusChanged(HostRecord *fresh);
    // A picture of a shown message arrived (image, or the file of a GIF face).
    void OnPictureArrived(quint32 id, const QImage &image, const QString &path);
    // The view drew a placeholder for a picture that has not arrived.
    void AddPendingPlaceholder(quint32 id, bool animated);
    const QList<PendingPlaceholder> &pendingPlaceholders() const { return m_placeholders; }
    // An acknowledged chunk of a picture this session sends.
    void OnPictureChunkAck(quint32 id, qint32 chunkNumber);
    // A receipt for a packet sent raw (timer 0x108): true when it was awaited.
    bool OnSendConfirmed(quint32 address, quint16 port, quint32 packetNumber);

    // ---- the user ----
    // Every user action in the window: the read notice owed, if any, goes out.
    void SendReadNotice();
    int pendingReadNotices() const { return int(m_readNotices.count()); }
    // The input box (or the doodle board) changed: the typing notice.
    void InputChanged(TypingState kind);
    TypingState typingState() const { return m_typing; }
    // The send option "对方打开信息时进行通知": not stored.
    bool requestsReadNotice() const { return m_requestReadNotice; }
    void SetRequestReadNotice(bool on) { m_requestReadNotice = on; }

    // ---- sending ----
    // The send command: the message is echoed into the history, logged and
    // sent with the ticked attachments and its pictures. Anything but Sent
    // leaves the input as it is.
    SendOutcome Send(const OutgoingMessage &message);
    // The options of one message beyond the session's read-notice option.
    struct SendOptions
    {
        bool multicast = false;
        bool withPictures = false; // resent six times more slowly
        bool privateFlag = false;
        bool readNotice = false; // asked for by the sending window
        // Set for what the program sends on a peer's request: nothing opens a
        // box, the reason a send was refused is put here instead.
        QString *refusal = nullptr;
    };
    // A message the multi-user window prepared for this peer, one of one or
    // two chosen peers.
    struct PreparedMessage
    {
        QString text; // faces as shortcuts, pictures as markers, no font block
        ChatFont font;
        QStringList files; // the files and folders it offers
        int fileCount = 0;
        int folderCount = 0;
        QList<OutgoingPicture> pictures; // the pictures the text names
        bool multiSend = false; // two peers were chosen
        bool requestReadNotice = false;
    };
    // Shows, logs and sends it as if it had been typed in the peer's own
    // window: the font block only for a peer that speaks the extensions, the
    // pictures after it when the peer can take them. False when it was
    // refused (too long, busy, files that cannot be offered: said in a
    // message box) or empty; nothing is shown then.
    bool SendPreparedMessage(const PreparedMessage &message);
    // One message to the peer: its own sender, packet number and resends.
    // Refused (busy, no peer, too long, files that cannot be offered) with a
    // message box and null; nothing is sent then.
    CMsgSenderWnd *SendMessageToPeers(
        const QString &text, const ChatFont &font, const QStringList &files, const SendOptions &options);
    // Sends one picture the message names (a picture whose id is in flight
    // already, or for a plain peer, is not sent). The chunks go out paced and
    // are resent by timer 0x120 until acknowledged or the tries are spent.
    void SendFace(const OutgoingPicture &picture);
    // Every picture of a message, in order: the entry point of the windows
    // that send a message through this session (the multi-user window too).
    void SendPictures(const QList<OutgoingPicture> &pictures);
    // The peer sent us a picture in our LZW container that decoded: small
    // bitmaps go to it as LZW from now on (JPEG otherwise).
    void SetPeerReadsLzw(bool reads) { m_peerReadsLzw = reads; }
    bool peerReadsLzw() const { return m_peerReadsLzw; }
    // The senders that still run.
    QList<CMsgSenderWnd *> activeSenders() const;
    int picturesInFlight() const { return int(m_pictures.count()); }

    // ---- closing ----
    // Something still runs or waits: a message without its receipt, a
    // picture being sent, an item being received or offered.
    bool hasPendingWork() const;
    // What closing the window does now (the kept query tells whether the
    // main window keeps it).
    ChatCloseDecision DecideClose() const;
    // The window was hidden instead of closed; it goes once nothing is pending.
    void SetCloseDeferred(bool deferred) { m_closeDeferred = deferred; }
    bool closeDeferred() const { return m_closeDeferred; }
    // The program-wide question whether the main window keeps the view (its
    // list of windows with unread messages).
    using KeptQuery = std::function<bool(const ChatSession &)>;
    void setKeptQuery(KeptQuery query) { m_kept = std::move(query); }
    // The files offered to us that wait in the conversations of an address
    // and in all of them (the program's); without it, this session's own.
    using OfferedFilesQuery = std::function<WaitingOfferedFiles(quint32 address)>;
    void setOfferedFilesQuery(OfferedFilesQuery query) { m_offeredFiles = std::move(query); }
    // The files of the peer's offers that wait here (listed, not yet
    // received nor refused).
    qsizetype waitingOfferedFiles() const;
    // The history line that tells the peer's offers are refused: their
    // waiting files reached the bound.
    static QString OffersRefusedText(const QString &nick);

    // ---- the history ----
    // A program line "/<V> text" in the standard font and the colour; it
    // brings the window forward.
    void AppendSystemText(const QString &text, uint32_t color = kNoticeColor);
    QString lastNotice() const { return m_lastNotice; }
    // A notice about the peer: the heading as a program line, the text
    // indented below it and the peer's link. The window is made when there
    // is none but not brought forward: the caller shows it its own way (a
    // shake shows a hidden window minimised).
    void AppendNotice(const QString &heading, const QString &text);
    // A command with a body to the peer.
    void SendCommand(quint32 command, const QByteArray &body = {}) { sendToPeer(command, body); }
    // The same in answer to the peer's packet: within the answer budget of
    // its address.
    void AnswerCommand(quint32 command);
    // "%H:%M:%S" now.
    static QString TimeText();

signals:
    // One line of what the conversation did, for the program's event log:
    // "SHOWN ip font text", "SENT ip packet text", "SYSTEM ip text",
    // "BLOCKED ip rule", "OPENED ip packet", "READNOTICE ip packet",
    // "PLAIN ip call", "RELEASED ip packet", "PICTURESENT ip id figures",
    // "PICTUREDROPPED ip id figures", "PICTURE ip id" (a placeholder filled).
    void event(const QString &line);
    // A message was sent (the program remembers which of them await a read notice).
    void messageSent(quint32 packetNumber, quint32 commandWord);
    // A tip for the tip popup: title, text, head image, link tag.
    void tipRequested(const QString &title, const QString &text, int headImage, const QString &link);
    void recentContact(HostRecord *peer);
    // Nothing runs or waits any more.
    void settled(ChatSession *session);

private:
    struct Received
    {
        PacketRecord packet;
        QString text;
        DecodedFileList files;
        quint32 mode = 0; // the received encryption mode
        bool decrypted = true;
    };

    // ChatTimerHost
    bool isHidden() const override;
    void sendToPeer(quint32 command, const QByteArray &body) override;
    void sendRaw(const QByteArray &packet) override;
    void notice(const QString &text) override;
    void bringToFront() override;
    void sendDone() override;
    void refreshTitle() override;
    void typingEnded() override { m_typing = TypingState::Idle; }
    int assistanceState() const override;
    void clearAssistanceState() override;
    int voiceState() const override;
    void clearVoiceState() override;
    void activityTick() override;
    // The activity indicator runs while a request of this window waits.
    void updateActivity();
    bool freesOnClose() const override;
    void navigateSidePane() override;
    bool resendPictureChunks() override;
    bool retryPicturePlaceholders() override;

    void append(const ChatHistoryEntry &entry);
    // A program line without bringing the window forward.
    void appendSystemLine(const QString &text, uint32_t color);
    // The user's own message in the history (entry.text: the echo text) and the log.
    void echoOwnMessage(const ChatHistoryEntry &entry, quint32 packetNumber);
    // Keeps a still picture the user sends in SendFace (once per id): its
    // file, empty for an animated one or when it cannot be written.
    QString keepPicture(const OutgoingPicture &picture) const;
    // The same for every picture of a message, before the history shows
    // it, noting where each is kept.
    void keepOwnPictures(QList<OutgoingPicture> &pictures) const;
    void appendHeader(const QString &line, uint32_t color);
    ChatLogEntry peerLogEntry(const ChatFont &font, const QString &text) const;
    void releaseReceivedOffer();
    // Lists the offer of the message taken last, or refuses it when it does
    // not fit the bounds: released, counted, told once until an offer fits.
    void takeReceivedOffer(const QString &notice);
    void sendAutoReply(const QString &text);
    void onSenderFinished();
    void checkSettled();
    void onPictureFinished(const PictureSendStats &stats);
    PicturePacer &pacer();
    bool peerFetchesOurFiles() const;
    void emitEvent(const QString &kind, const QString &rest);
    void resetTyping();

    ChatServices m_services;
    CConfig *m_config = nullptr;
    HostPtr m_peer;
    ChatSessionView *m_view = nullptr;
    ViewFactory m_viewFactory;
    KeptQuery m_kept;
    OfferedFilesQuery m_offeredFiles;
    bool m_offersRefusedTold = false; // since an offer of the peer was last listed
    std::unique_ptr<ChatFileTransfers> m_files;
    ChatRequests *m_requests = nullptr; // a child
    ChatShares *m_shares = nullptr; // a child, made when first used
    int m_activityMarks = 0;
    ChatTimers m_timers;
    std::unique_ptr<ChatTimerDriver> m_timerDriver;

    ChatFont m_standardFont = ChatFont::standard();
    Received m_received;
    ReadNoticeQueue m_readNotices;
    TypingState m_typing = TypingState::Idle;
    bool m_requestReadNotice = false;
    bool m_closeDeferred = false;
    QString m_lastNotice;
    QList<QPointer<CMsgSenderWnd>> m_senders;
    QList<quint32> m_ourOffers; // packet numbers of the offers our messages made
    PictureSendTable m_pictures;
    std::unique_ptr<PicturePacer> m_pacer;
    bool m_peerReadsLzw = false;
    QList<PendingPlaceholder> m_placeholders;
};

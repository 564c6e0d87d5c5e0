// The one-to-one chat window: the history and the input box, the peer band
// and the side panel with the peer's details and the file lists, the tool
// buttons, sending through a message sender per message (encrypted where the
// peer decrypts), and showing what the peer sends (spam rules, font block,
// faces and pictures, offered files, chat log, read notices).
//
// The widget-free decisions live beside it: ChatLayout (geometry),
// ChatSendPlan (the send command), ReceivedMessagePlan (a received message),
// ChatPeer (texts about the peer), TypingNotifier and ReadNoticeQueue.
#pragma once

#include "chat/ChatLayout.h"
#include "chat/ReadNoticeQueue.h"
#include "core/ChatFont.h"
#include "net/ChatLogFormat.h"
#include "net/FileList.h"
#include "net/HostRecord.h"
#include "net/PacketRecord.h"
#include "net/PictureSender.h"

#include <QDateTime>
#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <memory>

class CChatFilePanel;
class CConfig;
class CMsgRichEdit;
class CMsgSenderWnd;
class ChatLogWriter;
class KeyExchange;
class MessengerEngine;
class QAbstractButton;
class QLabel;
class QMenu;
class QTreeWidget;
class TypingNotifier;
class CSplitterBar;

class CChatDlg : public QDialog
{
    Q_OBJECT
public:
    // What the window uses of the program. The engine is required for
    // anything to be sent; the others may be missing.
    struct Services
    {
        MessengerEngine *engine = nullptr;
        KeyExchange *keys = nullptr; // nothing is encrypted or decrypted without it
        ChatLogWriter *chatLog = nullptr; // nothing is logged without it
    };

    // History colours (COLORREF): sender lines of the peer, of the user, program lines.
    static constexpr uint32_t kPeerHeaderColor = 0xFF0000;
    static constexpr uint32_t kOwnHeaderColor = 0x428200;
    static constexpr uint32_t kNoticeColor = 0xDE5921;
    static constexpr int kInputLimit = 7000; // characters of the input box
    static constexpr int kPictureResendMs = 5000;
    // The render modes of RenderMessage: where the pictures of a text come from.
    enum RenderMode { OwnMessage = 0, ReceivedMessage = 1, FromLog = 3 };
    // Commands of the window's menus (kept in QAction::data).
    enum Command {
        CmdQuickReplyFirst = 32772,
        CmdQuickReplyLast = 32775,
        CmdEditQuickReplies = 32836,
        CmdCaptureHide = 32833,
        CmdCaptureShow = 32834,
        CmdSendWithEnter = 32952,
        CmdSendWithCtrlEnter = 32953,
        CmdRequestReadNotice = 32954,
        CmdCloseAfterSend = 32955,
        CmdClearOnClose = 32956,
        CmdFreeOnClose = 33147,
    };

    explicit CChatDlg(QWidget *parent = nullptr);
    ~CChatDlg() override;

    // Binds the window to the program, its configuration and its peer; the
    // first call sets the window up (the dialog's initialisation).
    void Attach(const Services &services, HostRecord *peer, CConfig *config);
    bool IsAttached() const { return m_services.engine != nullptr; }
    HostRecord *peer() const { return m_peer.data(); }
    CConfig *config() const { return m_config; }

    // ---- receiving ----
    // Takes a received message into the window: its offered files and its
    // text, decrypted when it came encrypted (a body that does not decrypt
    // gets the automatic notice and stays as the error text).
    void TakeReceivedMessage(const PacketRecord &packet);
    // Shows the taken message or blocks it by the spam rules; true when it
    // was shown (the caller plays the sound only then). filterFlag: apply the
    // spam rules; notify: a tip is wanted.
    bool ShowReceivedMessage(bool filterFlag, bool notify);
    // The peer opened a sealed message of ours.
    void ShowReadNotice(const QDateTime &when, quint32 packetNumber = 0);
    // Sends the read notice that is owed, if any (every user action).
    void SendReadNotice();
    // A fresh record of a peer: taken when it is this window's peer.
    bool OnPeerStatusChanged(HostRecord *fresh);
    // A picture of a shown message arrived.
    bool ReplacePicturePlaceholder(quint32 id, const QImage &bitmap);
    bool ReplacePictureByFile(quint32 id, const QString &path);
    // An acknowledged chunk of a picture this window sends.
    void OnPictureChunkAck(quint32 id, qint32 chunkNumber);

    // ---- sending ----
    // The send button: the input box (and the checked files) as a message.
    void OnSend();
    // One message to the peer: its own sender, packet number and resends.
    // Refused (busy, no peer, too long, files that cannot be offered) with a
    // message box and null; nothing is sent then.
    CMsgSenderWnd *SendMessageToPeers(
        const QString &text, const QStringList &files, bool multicast, bool withPictures, bool privateFlag);
    // Sends the picture or custom face with the id that the input box holds.
    void SendFace(quint32 id);
    // Offers the program's own file to the peer with the text.
    void SendProgramFile(const QString &text);
    // Inserts quick reply (id − 32772) at the end of the input box.
    void OnQuickReply(int id);
    void OnMenuCommand(int command);
    // The editor of the four quick replies.
    void EditQuickReplies();
    // Adds files or folders to the send list (checked).
    void AddAttachments(const QStringList &paths);

    // ---- the history ----
    void AppendToHistory(const QString &text, const ChatFont &font, int mode);
    // A text that may end with a font block: drawn in the font it names.
    void AppendMarkedUpText(const QString &text, int mode);
    // A program line "/<V> text" in the standard font and the colour.
    void AppendSystemText(const QString &text, uint32_t color = kNoticeColor);
    // Draws the text: plain runs in the font, faces and picture markers as
    // their pictures (from the input box, the picture folders or placeholders).
    void RenderMessage(const ChatFont &font, const QString &text, int mode);
    // A click on a link of the history: only web, FTP and mail addresses open.
    bool OpenHistoryLink(const QString &href);

    // ---- the window ----
    int BringToFront(bool noActivate);
    // 0..255; 255 is opaque.
    void SetTransparency(int alpha);
    int transparency() const { return m_alpha; }
    void RecalcLayout();
    const ChatLayout &layout() const { return m_layout; }
    void SetOwnFont(const ChatFont &font);
    const ChatFont &ownFont() const { return m_ownFont; }
    bool requestsReadNotice() const { return m_requestReadNotice; }
    void SetRequestReadNotice(bool on) { m_requestReadNotice = on; }
    void SetFileListsShown(bool shown);

    CMsgRichEdit *history() const { return m_history; }
    CMsgRichEdit *input() const { return m_input; }
    QTreeWidget *sendList() const;
    QTreeWidget *receiveList() const;
    CChatFilePanel *filePanel() const { return m_files; }
    QAbstractButton *button(int id) const { return m_buttons.value(id); }
    int pendingReadNotices() const { return int(m_readNotices.count()); }
    int picturesInFlight() const { return int(m_pictures.count()); }
    // The senders of this window that still run.
    QList<CMsgSenderWnd *> activeSenders() const;
    // The menus of the window's arrows and of the quick replies (tests use them).
    QMenu *CreateSendOptionsMenu();
    QMenu *CreateQuickReplyMenu();

signals:
    // One line of what the window did, for the program's event log:
    // "SHOWN ip font text", "SENT ip packet text", "SYSTEM ip text",
    // "BLOCKED ip rule", "OPENED ip packet", "READNOTICE ip".
    void windowEvent(const QString &line);
    // A message was shown (the caller sounds, and queues a hidden window).
    void messageShown(CChatDlg *window);
    // A tip for the tip popup: title, text, head image, link tag.
    void tipRequested(const QString &title, const QString &text, int headImage, const QString &link);
    void recentContact(HostRecord *peer);
    // The user brought a window with unread messages up.
    void activatedByUser(CChatDlg *window);

protected:
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Received
    {
        PacketRecord packet;
        QString text;
        DecodedFileList files;
        quint32 mode = 0; // the received encryption mode
        bool decrypted = true;
    };

    void OnInitDialog();
    void createControls();
    QAbstractButton *makeToolButton(int id, const QString &text, int art);
    void setTips();
    void applyColors();
    void paintSidePanel(QPainter &painter);
    void OnInputChanged();
    void OnFaceButton();
    void OnFontButton();
    void OnSendPictureFile();
    void OnLaterFeature(int id);
    void OnSplitterDragged(const QPoint &screenPos, bool horizontal);
    void showMenuBelow(QMenu *menu, QWidget *anchor);
    void updateTitle();
    void sendTyping(quint32 command);
    void logOwnMessage(const QString &header, const QString &text);
    void logReceived(const QString &text, const ChatFont &font);
    // A chat-log record of the peer with the font and text.
    ChatLogEntry peerLogEntry(const ChatFont &font, const QString &text) const;
    void listOfferedFiles(const DecodedFileList &files);
    void releaseOffer();
    void sendAutoReply(const QString &text);
    void onSendFailed(const QStringList &names);
    void onPictureTimer();
    void insertRun(const QString &run, const ChatFont &font);
    void insertPictureMarker(const QString &marker, int mode);
    QString historyTextFrom(int position) const;
    QString timeText() const;
    QString ownName() const;
    QStringList checkedAttachments(int *files, int *folders) const;
    void removeCheckedAttachments();
    void emitEvent(const QString &kind, const QString &rest);

    Services m_services;
    CConfig *m_config = nullptr;
    HostPtr m_peer;
    bool m_initialised = false;

    ChatFont m_ownFont;
    ChatFont m_standardFont = ChatFont::standard();
    int m_alpha = 255;
    int m_sideWidth = 0;
    int m_inputHeight = 0;
    bool m_fileListsShown = false;
    bool m_photoShown = true;
    bool m_requestReadNotice = false;
    ChatLayout m_layout;

    CMsgRichEdit *m_history = nullptr;
    CMsgRichEdit *m_input = nullptr;
    CChatFilePanel *m_files = nullptr;
    CSplitterBar *m_historySplitter = nullptr;
    CSplitterBar *m_sideSplitter = nullptr;
    QHash<int, QAbstractButton *> m_buttons;
    QPointer<QWidget> m_facePopup;

    TypingNotifier *m_typing = nullptr;
    ReadNoticeQueue m_readNotices;
    Received m_received;
    QList<QPointer<CMsgSenderWnd>> m_senders;
    PictureSendTable m_pictures;
    QTimer m_pictureTimer;
};

// The one-to-one chat window: the history and the input box, the peer band
// and the side panel with the peer's details and the file lists, the tool
// buttons. It is the view of a chat session (ChatSession), which owns the
// conversation: the window draws what the session appends, hands the session
// what the user types and does, and asks the user what the session needs to
// know. Closing the window never cancels what the session still does: the
// window is only hidden then, and goes once nothing is pending.
//
// The widget-free decisions live beside it: ChatLayout (geometry),
// chat/session/ (the session, the send and receive plans, the peer texts,
// the timers and the close rules).
#pragma once

#include "chat/ChatLayout.h"
#include "chat/ChatMenus.h"
#include "chat/ChatLogFilter.h"
#include "chat/session/ChatSession.h"
#include "chat/session/ChatSessionView.h"
#include "core/ChatFont.h"
#include "net/ChatLogFormat.h"
#include "net/HostRecord.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <functional>
#include <memory>

class CChatFilePanel;
class CColorPaletteCtrl;
class CFacePickerDlg;
class ChatLogTasks;
class CConfig;
class CDoodleBoard;
class DoodleBoardSurface;
class CImageToolBar;
class WindowShaker;
class CGifStatic;
class ChatWebPane;
class CMsgRichEdit;
class QAbstractButton;
class QLabel;
class QMenu;
class QTreeWidget;
class CSplitterBar;

class CChatDlg : public QDialog, public ChatSessionView
{
    Q_OBJECT
public:
    static constexpr int kInputLimit = 7000; // characters of the input box
    using Source = ChatHistoryEntry::Source;
    // Commands of the window's menus (kept in QAction::data).
    enum Command {
        CmdQuickReplyFirst = 32772,
        CmdQuickReplyLast = 32775,
        CmdEditQuickReplies = 32836,
        CmdCaptureHide = kCmdCaptureHide,
        CmdCaptureShow = kCmdCaptureShow,
        CmdSendWithEnter = 32952,
        CmdSendWithCtrlEnter = 32953,
        CmdRequestReadNotice = 32954,
        CmdCloseAfterSend = 32955,
        CmdClearOnClose = 32956,
        CmdFreeOnClose = 33147,
    };

    explicit CChatDlg(QWidget *parent = nullptr);
    // The session forgets the window.
    ~CChatDlg() override;

    // Binds the window to its conversation; the first call sets the window
    // up (the dialog's initialisation). The window follows the session's
    // peer and configuration.
    void Attach(ChatSession *session);
    bool IsAttached() const { return m_session != nullptr; }
    ChatSession *session() const { return m_session.data(); }
    HostRecord *peer() const { return m_session ? m_session->peer() : nullptr; }
    CConfig *config() const { return m_config; }

    // ---- what the session asks of its view ----
    void AppendEntry(const ChatHistoryEntry &entry) override;
    bool ReplacePicturePlaceholder(quint32 id, const QImage &bitmap) override;
    bool ReplacePictureByFile(quint32 id, const QString &path) override;
    void PeerChanged() override;
    void ShakeWindow() override;
    void RequestsChanged() override;
    void ActivityChanged(int marks) override;
    int activityMarks() const { return m_activityMarks; }
    // Where the activity indicator draws its marks (right of the top buttons).
    static QRect ActivityRect();
    int BringToFront(bool noActivate) override;
    bool IsShown() const override { return isVisible(); }
    QObject *PromptOwner() override { return this; }
    void Dispose() override;
    void NavigateSidePane() override;
    // The configured colours again (after a change of the colour scheme).
    void OnSettingsChanged();

    // ---- the user ----
    // Every user action in the window: the read notice owed goes out.
    void SendReadNotice();
    // The send button: the input box (and the checked files) as a message.
    void OnSend();
    // Inserts quick reply (id − 32772) at the end of the input box.
    void OnQuickReply(int id);
    void OnMenuCommand(int command);
    // The editor of the four quick replies.
    void EditQuickReplies();
    // Adds files or folders to the send list (checked).
    void AddAttachments(const QStringList &paths);
    // "截图": a part of the screen into the input box (or onto the board).
    void OnCaptureScreen();
    // "随手涂鸦" / "文字模式": the doodle board in place of the input box.
    void OnDoodleButton();
    bool doodleMode() const { return m_doodleMode; }
    CDoodleBoard *doodleBoard() const { return m_board; }
    CColorPaletteCtrl *doodlePalette() const { return m_palette; }
    CImageToolBar *doodleToolStrip() const { return m_toolStrip; }
    // The board's tool changed: the property buttons follow it.
    void SetDoodleTool(int tool);
    // A property button (1182..1185): its menu for the board's tool, or null.
    QMenu *CreateDoodleButtonMenu(int buttonId);
    WindowShaker *shaker() const { return m_shaker; }
    // "聊天记录": this peer's history from the chat log, by the filter the
    // user sets, in place of the history view's content.
    void OnPeerLog();
    // "全部记录": the chat-log viewer.
    void OnWholeLog();
    // Asks for the filter of "聊天记录" (preset for the peer) and calls done
    // with the filter the user accepted; a cancel calls nothing. The filter
    // dialog by default, window-modal without an event loop of its own; null
    // puts it back.
    using LogFilterDone = std::function<void(const ChatLogFilter &filter)>;
    using LogFilterAsker = std::function<void(QWidget *parent, const ChatLogFilter &preset, LogFilterDone done)>;
    static void SetLogFilterAsker(LogFilterAsker asker);
    // Sends the picture or face with the id that the input box holds (this
    // window's or another window's, as the multi-user window does).
    void SendFace(quint32 id, const CMsgRichEdit *input);
    // The face button: the face picker above it.
    void OnFaceButton();
    // A face chosen in the picker: a built-in face by index, a custom face
    // by its picture file (index -1).
    void OnFaceChosen(const QString &path, int index);
    CFacePickerDlg *facePicker() const { return m_facePicker; }

    // ---- the history ----
    // A program line "/<V> text" in the standard font and the colour.
    void AppendSystemText(const QString &text, uint32_t color = ChatSession::kNoticeColor);
    // Draws the text: plain runs in the font, faces and picture markers as
    // their pictures (from the input box, the picture folders or placeholders).
    // pictures: the pictures of a message typed in another window. At the
    // end, or at the position `at`; returns the position after the text.
    int RenderMessage(const ChatFont &font, const QString &text, Source source,
        const QList<OutgoingPicture> &pictures = {}, int at = -1);
    // A click on a link of the history: only web, FTP and mail addresses open.
    bool OpenHistoryLink(const QString &href);

    // ---- the window ----
    // 0..255; 255 is opaque.
    void SetTransparency(int alpha);
    int transparency() const { return m_alpha; }
    void RecalcLayout();
    const ChatLayout &layout() const { return m_layout; }
    void SetOwnFont(const ChatFont &font);
    const ChatFont &ownFont() const { return m_ownFont; }
    void SetFileListsShown(bool shown);

    CMsgRichEdit *history() const { return m_history; }
    CMsgRichEdit *input() const { return m_input; }
    QTreeWidget *sendList() const;
    QTreeWidget *receiveList() const;
    CChatFilePanel *filePanel() const { return m_files; }
    QAbstractButton *button(int id) const { return m_buttons.value(id); }
    // The menus of the window's arrows and of the quick replies (tests use them).
    QMenu *CreateSendOptionsMenu();
    QMenu *CreateQuickReplyMenu();

signals:
    // The user brought a window with unread messages up.
    void activatedByUser(CChatDlg *window);
    void chatLogViewerRequested();
    // 1049 "监视": the transfer monitor.
    void transferMonitorRequested();
    // The user wants to set up the chat log (there is none yet).
    void settingsRequested();
    // The history from the chat log is drawn whole.
    void loggedHistoryShown();

protected:
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OnInitDialog();
    void createControls();
    QAbstractButton *makeToolButton(int id, const QString &text, int art);
    void setTips();
    void applyColors();
    void paintSidePanel(QPainter &painter);
    void OnInputChanged();
    void OnFontButton();
    void OnSendPictureFile();
    // 1031 "共享文件": asks the peer for its shared files.
    void OnShares();
    void createRequestButtons();
    void createDoodle();
    void OnDoodleToolChanged(int tool);
    // Doodle mode: the drawing goes into the input box to be sent; false
    // when nothing is to be sent.
    bool prepareDoodleSend();
    // A face chosen while the board is shown goes onto the board.
    // Doodle mode: the font of the board's text tool; false outside it.
    bool chooseDoodleFont();
    // Doodle mode: a picture file onto the board; false outside it.
    bool loadPictureOntoBoard(const QString &path);
    // The questions of closing while a request runs; false keeps the window.
    bool closeRunningRequests();
    void paintActivity(QPainter &painter) const;
    void OnSplitterDragged(const QPoint &screenPos, bool horizontal);
    void showMenuBelow(QMenu *menu, QWidget *anchor);
    void updateTitle();
    void insertPictureMarker(quint32 id, bool animated, Source source, const QList<OutgoingPicture> &pictures);
    void bindFilePanel();
    void showLoggedHistory(const QList<ChatLogEntry> &entries);
    void drawLoggedBatch();
    // The stored photo of the peer to show, empty without one.
    QString shownPhotoPath() const;
    void placePhoto();

    QPointer<ChatSession> m_session;
    CConfig *m_config = nullptr;
    bool m_initialised = false;

    ChatFont m_ownFont;
    ChatFont m_standardFont = ChatFont::standard();
    int m_alpha = 255;
    int m_sideWidth = 0;
    int m_sideReferenceWidth = 0; // the window width the side width was set in
    int m_inputHeight = 0;
    bool m_fileListsShown = false;
    bool m_photoShown = true;
    ChatLayout m_layout;

    CMsgRichEdit *m_history = nullptr;
    CMsgRichEdit *m_input = nullptr;
    CChatFilePanel *m_files = nullptr;
    CGifStatic *m_photo = nullptr; // 1224: the peer's photo
    ChatWebPane *m_webPane = nullptr; // 1150: the side web pane
    QString m_photoPath; // the file the photo shows
    QRect m_photoRect; // where the photo stood last (a click there toggles it)
    CSplitterBar *m_historySplitter = nullptr;
    CSplitterBar *m_sideSplitter = nullptr;
    QHash<int, QAbstractButton *> m_buttons;
    CFacePickerDlg *m_facePicker = nullptr;
    WindowShaker *m_shaker = nullptr;
    std::unique_ptr<DoodleBoardSurface> m_doodle; // the board with its strips
    CDoodleBoard *m_board = nullptr; // 1179
    CColorPaletteCtrl *m_palette = nullptr; // 1180
    CImageToolBar *m_toolStrip = nullptr; // 1181
    bool m_doodleMode = false;
    int m_activityMarks = 0;
    int m_savedInputHeight = 0; // the input height before the doodle mode
    ChatLogTasks *m_logTasks = nullptr;
    QList<ChatLogEntry> m_loggedHistory; // still to be drawn
    // While the peer's log is read and drawn: where its records end in the
    // history. What arrives meanwhile goes after them; -1 otherwise.
    int m_loggedEnd = -1;
};

// The multi-user window ("与多人聊天中"): one message, with faces, pictures,
// a drawing and files or folders, to several chosen peers at once. It has no
// history: an input box (or the doodle board), the list of peers that can be
// chosen, the files to send and an information panel. It is the view of a
// MultiSendSession, which holds the files and does the sending; the window
// keeps the member list in the order of the contact list's comparison under
// its own column and direction, and closing it only hides it.
//
// The widget-free parts beside it: MultiChatLayout (geometry) and
// chat/session/MultiSendPlan (pre-selection and the send decisions).
#pragma once

#include "chat/ChatMenus.h"
#include "chat/MultiChatLayout.h"
#include "chat/session/MultiSendPlan.h"
#include "core/ChatFont.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <functional>
#include <memory>

class CConfig;
class CFacePickerDlg;
class CMsgRichEdit;
class CSplitterBar;
class CUserListCtrl;
class DoodleSurface;
class HostRecord;
class MultiSendSession;
class QAbstractButton;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class UserListModel;

class CMultiChatDlg : public QDialog
{
    Q_OBJECT
public:
    // Commands of the window's menus (kept in QAction::data).
    enum Command {
        CmdLargeIcons = 32801,
        CmdSmallIcons = 32802,
        CmdMonitor = 32803,
        CmdChatLog = 32804,
        CmdSearch = 32806,
        CmdRefresh = 32808,
        CmdCaptureHide = kCmdCaptureHide,
        CmdCaptureShow = kCmdCaptureShow,
        CmdSendWithEnter = 32952,
        CmdSendWithCtrlEnter = 32953,
        CmdRequestReadNotice = 32954,
        CmdCloseAfterSend = 32955,
        CmdClearOnClose = 32956,
        CmdFirstFace = 10000,
        CmdLastFace = 10099,
    };
    static constexpr int kInputLimit = 7000;

    explicit CMultiChatDlg(MultiSendSession &session, QWidget *parent = nullptr);
    ~CMultiChatDlg() override;

    MultiSendSession &session() const { return m_session; }

    // ---- the member list ----
    // A row for the peer at its sorted place; the caption shows the count.
    void AddMember(HostRecord *host);
    void RemoveMember(HostRecord *host);
    // Refills the list from the host table and chooses rows by the opener
    // (see PreselectMembers); without preselect nothing is chosen.
    void FillMemberList(bool preselect, const MultiSendOpener &opener = {}, const PreselectContext &context = {});
    QList<HostRecord *> SelectedMembers() const;
    void SelectMembers(const QList<HostRecord *> &hosts);
    int memberCount() const;
    int selectedCount() const { return m_selectedCount; }
    // The header's title of a column click: its sort kind (the direction
    // flips on every click).
    void OnMemberColumnClick(int column);
    int sortKind() const { return m_sortKind; }
    bool sortDescending() const { return m_descending; }

    // ---- files ----
    void FillAttachmentList();
    void AddFiles(const QStringList &paths);
    QTreeWidget *fileList() const { return m_fileList; }

    // ---- the window ----
    void ShowAndActivate();
    void RecalcLayout(bool withTooltips);
    const MultiChatLayout &layout() const { return m_layout; }
    void OnSettingsChanged();
    void OnSplitterDragged(const QPoint &screenPos, bool horizontal);
    void SetOwnFont(const ChatFont &font);
    const ChatFont &ownFont() const { return m_ownFont; }

    // ---- commands ----
    void OnSend();
    void OnMenuCommand(int command);
    void OnModeButton();
    void OnCapture();
    void OnSendPictureFile();
    void OnFaceButton();
    // A face chosen in the picker: a built-in face by index, a custom face
    // by its picture file (index -1).
    void OnFaceChosen(const QString &path, int index);
    void OnFontButton();
    bool doodleMode() const { return m_doodleMode; }
    QMenu *CreateSendOptionsMenu();
    QMenu *CreateMemberMenu();

    CMsgRichEdit *input() const { return m_input; }
    CUserListCtrl *memberList() const { return m_members; }
    QAbstractButton *button(int id) const { return m_buttons.value(id); }

    // The doodle board and the screen capture are the drawing tools';
    // tests put others in (an empty factory puts the board back, an empty
    // runner the real capture).
    using DoodleFactory = std::function<std::unique_ptr<DoodleSurface>(QWidget *parent)>;
    static void SetDoodleFactory(DoodleFactory factory);
    // Runs the capture; true when the captured picture is on the clipboard.
    using CaptureRunner = std::function<bool(QWidget *owner)>;
    static void SetCaptureRunner(CaptureRunner runner);

signals:
    void chatRequested(HostRecord *host);
    void transferMonitorRequested();
    void chatLogViewerRequested();
    void searchRequested();
    void refreshRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OnInitDialog();
    void createControls();
    QAbstractButton *makeImageButton(int id, const QString &text, int art);
    QAbstractButton *makeHoverButton(int id, const QString &text);
    void applyColors();
    void setTips();
    void updateCaption();
    void updateSelectedCount();
    void applyColumnWidths();
    void onFileItemChanged(QTreeWidgetItem *item);
    void showMenuBelow(QMenu *menu, QWidget *anchor);
    void paintPane(class QPainter &painter);
    void laterFeature(const QString &name);
    static CaptureRunner &captureRunner();
    void insertClipboardPicture();

    MultiSendSession &m_session;
    CConfig *m_config = nullptr;
    bool m_initialised = false;
    ChatFont m_ownFont;
    int m_paneWidth = MultiChatLayout::kStartPaneWidth;
    int m_inputHeight = MultiChatLayout::kStartInputHeight;
    int m_savedInputHeight = 0;
    bool m_doodleMode = false;
    bool m_modeUsed = false; // the mode button was pressed once
    int m_sortKind = 0; // "用户名"
    bool m_descending = false;
    int m_selectedCount = 0;
    bool m_fillingFiles = false;
    MultiChatLayout m_layout;

    CUserListCtrl *m_members = nullptr;
    UserListModel *m_model = nullptr;
    CMsgRichEdit *m_input = nullptr;
    QTreeWidget *m_fileList = nullptr;
    CSplitterBar *m_inputSplitter = nullptr;
    CSplitterBar *m_paneSplitter = nullptr;
    std::unique_ptr<DoodleSurface> m_doodle;
    QHash<int, QAbstractButton *> m_buttons;
    CFacePickerDlg *m_facePicker = nullptr;
};

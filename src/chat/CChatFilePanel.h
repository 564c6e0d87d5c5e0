// The file panel of the one-to-one chat window: the files the peer offers
// (list 1034) with "全部接收", "全部拒收", "中断传送", "接收" and "取消", the
// progress display that replaces those buttons while an item is received,
// the files received (list 1050) with "目录", "打开" and "关闭", and the
// files and folders to send with the next message (list 1036) with "监视",
// "目录", "文件" and "取消". Files and folders dropped on the panel become
// attachments. Receiving runs on the panel's FileReceiver; the rows and the
// decisions live in FilePanelModel, the geometry in FilePanelLayout.
//
// Wiring into CChatDlg (the window owns the panel as a child widget):
//
//   CChatFilePanel::Context c;
//   c.peer = m_peer;  c.net = &engine->net();  c.config = m_config;
//   m_files = new CChatFilePanel(c, this);        // c.prompts: null = COverwritePromptDlg
//   connect(m_files, &CChatFilePanel::systemText, this, [this](const QString &t) { AppendSystemText(t); });
//   connect(m_files, &CChatFilePanel::userAction, this, &CChatDlg::SendReadNotice);
//   connect(m_files, &CChatFilePanel::fileListsShownChanged, this, [this] { RecalcLayout(); update(); });
//   connect(m_files, &CChatFilePanel::monitorRequested, ...);   // "监视": the transfer monitor
//
// - RecalcLayout: m_files->LayoutSidePanel(clientSize, sideWidth) places the
//   panel over the lower part of the side panel (captions, lists, buttons);
//   fileListsShown() is the file-lists-shown flag of the window's layout,
//   and the panel's geometry() tells where the peer lines and photo end.
//   The window no longer makes lists 1034/1036/1050, buttons 1037-1049 or
//   the static 1041 itself.
// - A shown message with files (after the spam rules let it through):
//   m_files->AddReceivedOffer(packet.packetNumber, decodedList); the notice
//   line "%s 给您发送了 %d 个文件(夹)..." stays the window's. A blocked message
//   with files is never added: the window sends CMD_RELEASE_FILES itself.
// - Sending: attachmentsToSend(&files, &folders) are the paths of the next
//   message's offer (the ticked rows); after the message went out call
//   AttachmentsSent(). For drops anywhere on the window: setAcceptDrops(true),
//   accept in dragEnterEvent when CChatFilePanel::CanDrop(mime), and hand
//   the URLs of dropEvent to AddDroppedUrls.
// - History lines: systemText carries the receive summaries ("文件接收完成。..."),
//   "文件传送错误!", "取消文件传送!" and the rename notices, each appended with
//   AppendSystemText in the notice colour; lastNotice() is the last of them.
// - Closing: the window is only hidden while hasWaitingOffers() (a receive
//   goes on in the background; nothing is asked); see DecideChatClose. When
//   the window is destroyed for good, ReleaseAllOffers() tells the peer.
#pragma once

#include "chat/FilePanelLayout.h"
#include "chat/FilePanelModel.h"
#include "net/HostRecord.h"

#include <QHash>
#include <QIcon>
#include <QList>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

class CConfig;
class CNetManager;
class FileReceiver;
class QAbstractButton;
class QMenu;
class QMimeData;
class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;
class ReceivePrompts;
struct ReceiveProgress;

class CChatFilePanel : public QWidget
{
    Q_OBJECT
public:
    // What the panel needs of its window.
    struct Context
    {
        HostPtr peer; // whose offers are received and released
        CNetManager *net = nullptr; // requests and CMD_RELEASE_FILES; nothing is received or released without it
        CConfig *config = nullptr; // LASTOPEN_STR, RECVTRANSMAX_STR, TCPBUFMAX_STR, the chat colours
        ReceivePrompts *prompts = nullptr; // questions before an item starts; null: the window's dialogs
    };

    // The commands of the lists' context menus (kept in QAction::data).
    enum Command {
        CmdReceive = 32835, // "接收(&A)"
        CmdReject = 32837, // "取消(&C)"
        CmdOpenReceived = 32838, // "打开文件(&F)"
        CmdShowInFolder = 32839, // "打开目录(&D)"
        CmdDeleteToTrash = 32842, // "删除文件(夹)(&D)"
        CmdDeletePermanently = 32800, // "永久删除文件(夹)"
    };

    explicit CChatFilePanel(const Context &context, QWidget *parent = nullptr);
    ~CChatFilePanel() override;

    // ---- from the window ----
    // A received message with files: queues its offer and lists its items
    // (the file lists are shown with the first of them). Returns the number
    // of rows added.
    int AddReceivedOffer(quint32 packetNumber, const DecodedFileList &files);
    // Places the panel and its controls for the window's client size and
    // side-panel width.
    void LayoutSidePanel(const QSize &client, int sideWidth);
    const FilePanelGeometry &geometryPlan() const { return m_geometry; }
    bool fileListsShown() const { return m_fileListsShown; }
    // Attachments: paths that exist and are not attached yet, ticked.
    void AddAttachments(const QStringList &paths);
    void AddDroppedUrls(const QList<QUrl> &urls);
    static bool CanDrop(const QMimeData *mime);
    // The ticked attachments: the offer of the next message.
    QStringList attachmentsToSend(int *files = nullptr, int *folders = nullptr) const;
    // The next message took them: the ticked rows go, the others are unticked.
    void AttachmentsSent();
    // Releases every queued offer (the window goes for good).
    void ReleaseAllOffers();

    // A receive runs, or an item waits to start.
    bool isReceiving() const;
    // Offered rows remain: a closing window is hidden, not destroyed.
    bool hasWaitingOffers() const { return !m_model.offeredRows().isEmpty(); }
    const FilePanelModel &model() const { return m_model; }
    FileReceiver &receiver() { return *m_receiver; }
    // The last summary or error line of a receive.
    QString lastNotice() const { return m_lastNotice; }
    // The control of the id (objectName), or null.
    QWidget *control(int id) const;
    int selectedOffered() const { return m_selectedOffered; }
    int selectedReceived() const { return m_selectedReceived; }
    void SelectOffered(int row);
    void SelectReceived(int row);

    // ---- the panel's commands ----
    void OnReceiveAll();
    // "全部拒收": with ask, the first question is "您是否真的要拒收全部文件？".
    void OnRejectAll(bool ask = true);
    void OnReceiveSelected();
    void OnRejectSelected();
    void OnStopTransfer();
    void OnShowInFolder();
    void OnOpenReceived();
    void OnClearReceived();
    void OnAddFiles();
    void OnAddFolder();
    void OnRemoveAttachments();
    void OnMenuCommand(int command);
    void DeleteReceived(bool permanently);
    // The menus of the two receive lists, for the remembered rows (null when
    // the row does not allow one).
    QMenu *CreateOfferedMenu();
    QMenu *CreateReceivedMenu();

    // Percent 0..100 shows the progress display in place of the receive
    // buttons; anything else hides it again.
    void SetProgress(int percent, const QString &text);
    // The current offer is done: it is released and the next one becomes
    // current, asking whether to go on receiving all of it.
    void EndReceiveMode();

signals:
    // A program line for the history (the window's AppendSystemText).
    void systemText(const QString &text);
    // Every command of the panel is a user action (the window's read notices).
    void userAction();
    void fileListsShownChanged(bool shown);
    void attachmentsChanged(int ticked);
    void monitorRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createControls();
    void connectLists();
    QAbstractButton *makeButton(int id, const QString &text, const QString &tip, std::function<void()> action);
    QTreeWidget *makeList(int id, const QStringList &columns, const QList<int> &widths);
    void FillOfferedList();
    void FillReceivedList();
    void FillAttachmentList();
    void fillRows(QTreeWidget *list, const QList<FileInfoRecord> &rows, bool attachment);
    QIcon iconFor(const FileInfoRecord &row);
    void applyLayout();
    void setFileListsShown(bool shown);
    void updateReceiveButtons();
    void enableControl(int id, bool on);
    bool busy() const;
    // The save dialog for an item; the chosen path (LASTOPEN_STR becomes its
    // folder), empty when the user cancelled.
    QString chooseTarget(const QString &name, bool isFile);
    void release(const OfferRelease &release);
    void onStatusChanged(quint32 packetNumber, quint32 fileId, ReceiveRowStatus status);
    void onPathChanged(quint32 packetNumber, quint32 fileId, const QString &path);
    void onProgress(const ReceiveProgress &progress);
    void onSystemText(const QString &text);
    void onBatchFinished(bool complete);
    void onOfferedClicked(QTreeWidgetItem *item);
    void onAttachmentChanged(QTreeWidgetItem *item);
    void popup(QMenu *menu);
    bool ask(const QString &text);

    Context m_context;
    std::unique_ptr<ReceivePrompts> m_ownPrompts;
    std::unique_ptr<CNetManager> m_ownNet;
    std::unique_ptr<FileReceiver> m_receiver;
    FilePanelModel m_model;
    FilePanelGeometry m_geometry;
    QSize m_client;
    int m_sideWidth = 168;
    bool m_fileListsShown = false;
    bool m_progressShown = false;
    bool m_filling = false;
    int m_selectedOffered = -1;
    int m_selectedReceived = -1;
    quint32 m_lastPacket = 0; // the offer of the item that ended last
    QString m_lastNotice;
    QHash<int, QWidget *> m_controls;
    QTreeWidget *m_offeredList = nullptr;
    QTreeWidget *m_receivedList = nullptr;
    QTreeWidget *m_attachmentList = nullptr;
    QProgressBar *m_progress = nullptr;
    QHash<QString, QIcon> m_icons; // by extension
};

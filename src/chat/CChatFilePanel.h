// The file panel of the one-to-one chat window: the files the peer offers
// (list 1034) with "全部接收", "全部拒收", "中断传送", "接收" and "取消", the
// progress display that replaces those buttons while an item is received,
// the files received (list 1050) with "目录", "打开" and "关闭", and the
// files and folders to send with the next message (list 1036) with "监视",
// "目录", "文件" and "取消". Files and folders dropped on the panel become
// attachments.
//
// The panel is a view of the session's ChatFileTransfers: the rows, the
// offer queue and the receiver live there and go on while the window is
// hidden; the panel draws them, asks the user (targets, questions) and calls
// in. The geometry is FilePanelLayout's.
#pragma once

#include "chat/FilePanelLayout.h"
#include "chat/session/FilePanelModel.h"

#include <QHash>
#include <QIcon>
#include <QList>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

class CConfig;
class ChatFileTransfers;
class QAbstractButton;
class QFontMetrics;
class QMenu;
class QMimeData;
class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;
class ReceivePrompts;

class CChatFilePanel : public QWidget
{
    Q_OBJECT
public:
    // The commands of the lists' context menus (kept in QAction::data).
    enum Command {
        CmdReceive = 32835, // "接收(&A)"
        CmdReject = 32837, // "取消(&C)"
        CmdOpenReceived = 32838, // "打开文件(&F)"
        CmdShowInFolder = 32839, // "打开目录(&D)"
        CmdDeleteToTrash = 32842, // "删除文件(夹)(&D)"
        CmdDeletePermanently = 32800, // "永久删除文件(夹)"
    };

    // The send list's last column shows an outgoing row's state; its
    // percentage (item data of this role) is drawn as a bar under its name,
    // and its short state (OutgoingRowBadge) at the name's right end: both
    // are always in view.
    static constexpr int kStateColumn = 3;
    static constexpr int kBarColumn = 0;
    static constexpr int kOutgoingProgressRole = Qt::UserRole + 1;
    static constexpr int kOutgoingBadgeRole = Qt::UserRole + 2;

    // config: LASTOPEN_STR and the chat colours (may be null).
    CChatFilePanel(ChatFileTransfers &files, CConfig *config, QWidget *parent = nullptr);
    ~CChatFilePanel() override;

    // ---- from the window ----
    // Places the panel and its controls for the window's client size and
    // side-panel width.
    void LayoutSidePanel(const QSize &client, int sideWidth);
    const FilePanelGeometry &geometryPlan() const { return m_geometry; }
    bool fileListsShown() const { return m_fileListsShown; }
    // Attachments: paths that exist and are not attached yet, ticked.
    void AddAttachments(const QStringList &paths);
    void AddDroppedUrls(const QList<QUrl> &urls);
    static bool CanDrop(const QMimeData *mime);

    ChatFileTransfers &files() { return m_transfers; }
    const FilePanelModel &model() const;
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
    // The progress text in one line of the room: the leading parts (the
    // bytes so far and the size) give way first, so the rate and the
    // percentage stay; the whole text is the bar's tip.
    static QString FitProgressText(const QString &text, const QFontMetrics &fm, int room);

signals:
    // Every command of the panel is a user action (the window's read notices).
    void userAction();
    void fileListsShownChanged(bool shown);
    void monitorRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void connectLists();
    QAbstractButton *makeButton(int id, const QString &text, const QString &tip, std::function<void()> action);
    QTreeWidget *makeList(int id, const QStringList &columns, const QList<int> &widths);
    void FillOfferedList();
    void FillReceivedList();
    void FillAttachmentList();
    // One outgoing row (below the attachments) from the session's row.
    void updateOutgoingRow(int row);
    // An offer came: its rows (from `first` on) are added below those shown,
    // which stay as they are, selection included.
    void AppendOfferedRows(int first);
    void fillRows(QTreeWidget *list, const QList<FileInfoRecord> &rows, bool attachment);
    void appendRows(QTreeWidget *list, const QList<FileInfoRecord> &rows, qsizetype from, bool attachment);
    void onOfferedRowsChanged(int firstNew);
    void onMoreOffersWaiting();
    QIcon iconFor(const FileInfoRecord &row);
    void applyLayout();
    // The send list's names take its width less the type and size columns.
    void fitAttachmentColumns();
    static constexpr int kMinNameWidth = 100; // check box, icon and a short name
    static constexpr int kCellPadding = 12;
    static constexpr int kProgressPadding = 8; // the bar's frame beside its text
    void setFileListsShown(bool shown);
    void updateReceiveButtons();
    void enableControl(int id, bool on);
    // The save dialog for an item; the chosen path (LASTOPEN_STR becomes its
    // folder, made when missing), empty when the user cancelled.
    QString chooseTarget(const QString &name, bool isFile);
    // The row of an offered item still waiting, or -1.
    int offeredRowOf(quint32 packetNumber, quint32 fileId) const;
    void onOfferedClicked(QTreeWidgetItem *item);
    void onAttachmentChanged(QTreeWidgetItem *item);
    void popup(QMenu *menu);
    bool ask(const QString &text);

    ChatFileTransfers &m_transfers;
    CConfig *m_config;
    std::unique_ptr<ReceivePrompts> m_prompts;
    FilePanelGeometry m_geometry;
    QSize m_client;
    int m_sideWidth = 168;
    bool m_fileListsShown = false;
    bool m_progressShown = false;
    bool m_filling = false;
    int m_selectedOffered = -1;
    int m_selectedReceived = -1;
    QHash<int, QWidget *> m_controls;
    QTreeWidget *m_offeredList = nullptr;
    QTreeWidget *m_receivedList = nullptr;
    QTreeWidget *m_attachmentList = nullptr;
    QProgressBar *m_progress = nullptr;
    QString m_progressText; // the receive's progress as reported; the bar shows what fits
};

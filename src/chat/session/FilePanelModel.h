// The rows behind the file panel of a chat window, without widgets: the
// files the peer offers (list 1034), the files received (list 1050) and the
// files and folders the user attaches to the next message (list 1036), the
// queue of received offers whose front one is current, and the decisions of
// the panel's commands over them.
#pragma once

#include "net/FileList.h"
#include "net/FileReceiveJob.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

// One row of the three lists.
struct FileInfoRecord
{
    ReceiveRowStatus status = ReceiveRowStatus::NotReceived;
    bool isFile = true;
    QString name;
    // Offered row: where the item is saved (empty until a target is chosen);
    // received row: the saved item; attachment: the source.
    QString fullPath;
    quint64 size = 0;
    quint32 packetNumber = 0; // the message that offered the item
    quint32 fileId = 0;
    qint32 link = 0; // the link number of the offer entry
    int queuePosition = 0; // offered rows: 1 for the current offer, 2 for the next...
    QDateTime time; // made, or received
    int failures = 0; // receives of the row that failed or were interrupted
    bool checked = false; // attachment rows: ticked for sending (and for "取消")

    bool isFolder() const { return !isFile; }
};

// One received message with files, as long as it is queued in the window.
struct QueuedOffer
{
    quint32 packetNumber = 0;
    DecodedFileList entries; // the items still offered
    // An item was rejected: the peer still holds the offer and is told when
    // it is released.
    bool rejected = false;
};

// A file or folder our message offered the peer: the send list shows it
// below the attachments, with the state of the peer's fetch.
struct OutgoingRow
{
    quint32 packetNumber = 0; // our message
    quint32 fileId = 0;
    QString name;
    QString fullPath;
    bool isFile = true;
    quint64 size = 0;
    quint8 status = 0; // TransferStatus of the offer table: waiting, being received, received
    int percent = -1; // -1: no bar
    QString stateText;

    bool isComplete() const;
};

// The files and folders offered to us and neither received nor refused yet
// (rows of the offered lists): those of one address, and those of all.
struct WaitingOfferedFiles
{
    qsizetype ofAddress = 0;
    qsizetype all = 0;
};
// Whether an offer of that many entries may be listed beside those waiting:
// within PeerBounds::kOfferedFilesPerAddress and kOfferedFiles (which never
// refuses an address within kOfferedFilesAlwaysListed); an offer
// that does not fit is refused whole.
bool OfferFitsBounds(qsizetype entries, const WaitingOfferedFiles &waiting);

// Outgoing rows one conversation keeps; beyond, the oldest go first.
inline constexpr int kOutgoingRowsKept = 256;

// What happens to an offer that leaves the queue.
struct OfferRelease
{
    quint32 packetNumber = 0;
    // CMD_RELEASE_FILES goes to the peer: items were left or rejected.
    bool notifyPeer = false;
};

// Text colours of the offered and received rows (COLORREF).
inline constexpr uint32_t kOfferedRowColor = 0x0000FF; // red
inline constexpr uint32_t kRetriedRowColor = 0xFF0000; // blue: failed twice or more
inline constexpr uint32_t kReceivingRowColor = 0xFF8200;
inline constexpr uint32_t kReceivedRowColor = 0x000000;
uint32_t FileRowTextColor(const FileInfoRecord &row);

// The column texts: "名称", "类型", "大小", "保存路径名", "接收到的时间" for the
// offered and received lists, "名称", "类型", "大小", "路径" for attachments.
QStringList FileRowTexts(const FileInfoRecord &row, bool attachment);
QStringList OutgoingRowTexts(const OutgoingRow &row);
// The short state the send list shows beside an outgoing row's name, where
// it is in view however narrow the list: "等待", the percentage fetched,
// "完成".
QString OutgoingRowBadge(const OutgoingRow &row);
QStringList OfferedColumnTitles();
QStringList AttachmentColumnTitles();

// A name chosen in a save dialog without an extension takes the item's.
QString WithDefaultExtension(const QString &chosenPath, const QString &itemName, bool isFile);

// Where a received item is shown in its folder: paths with a ',' open their
// parent folder instead of selecting the item.
struct ShowInFolderPlan
{
    QString path;
    bool selectItem = true;
};
ShowInFolderPlan PlanShowInFolder(const QString &path);

class FilePanelModel
{
public:
    enum class AddResult { Added, Duplicate, Unreadable };

    const QList<FileInfoRecord> &offeredRows() const { return m_offered; }
    const QList<FileInfoRecord> &receivedRows() const { return m_received; }
    const QList<FileInfoRecord> &attachmentRows() const { return m_attachments; }

    // ---- offers ----
    // Queues a received offer: every entry gets the next link number and a
    // row in status 3, after the rows already listed (those stay as they
    // are). Returns the index of the first new row, -1 when the offer
    // brought no entries (or repeats a queued packet number).
    int AddOffer(quint32 packetNumber, const DecodedFileList &entries, const QDateTime &now);
    qsizetype offerCount() const { return qsizetype(m_offers.size()); }
    const QueuedOffer *currentOffer() const { return m_offers.empty() ? nullptr : &m_offers.front(); }
    const QueuedOffer *findOffer(quint32 packetNumber) const;
    // 1 for the current offer, 0 when the packet number is not queued.
    int queuePosition(quint32 packetNumber) const;
    // Exchanges the offer with the current one (an older offer is received or rejected).
    void MakeCurrent(quint32 packetNumber);
    // Leaves the current offer: its remaining rows go; says whether the peer
    // must be told. None when no offer is queued.
    std::optional<OfferRelease> EndCurrentOffer();

    // ---- offered rows ----
    int findOfferedRow(quint32 packetNumber, quint32 fileId) const;
    bool hasReceivingRow() const;
    bool hasWaitingRow() const; // a row in status 3
    // The receiver's report on an item: 4 marks the row, 5 moves it to the
    // front of the received rows and takes the entry out of its offer, 3
    // puts it back (a row that was being received counts a failure).
    bool SetOfferRowStatus(quint32 packetNumber, quint32 fileId, ReceiveRowStatus status, const QDateTime &now);
    // The item was given another target.
    bool SetOfferRowPath(quint32 packetNumber, quint32 fileId, const QString &path);
    // The user rejected one item: its row and entry go.
    bool RejectOfferedRow(int row);

    // ---- receive plans ----
    // "全部接收": every entry of the current offer, the first saved as
    // chosenPath and the others beside it under their names; every waiting
    // row shows its target.
    QList<FileReceiveJob> PlanReceiveAll(const QString &chosenPath, quint32 peerAddress, quint16 peerPort);
    // "接收": the one item of the row saved as chosenPath.
    std::optional<FileReceiveJob> PlanReceiveRow(
        int row, const QString &chosenPath, quint32 peerAddress, quint16 peerPort);

    // ---- received rows ----
    // "关闭": removes the rows in status 5; returns how many went.
    int ClearReceived();
    bool RemoveReceivedRow(int row);

    // ---- attachments ----
    AddResult AddAttachment(const QString &path, const QDateTime &now);
    bool SetAttachmentChecked(int row, bool checked);
    // "取消": removes the ticked rows; returns how many went.
    int RemoveCheckedAttachments();
    // The ticked paths, with the numbers of files and folders among them.
    QStringList CheckedAttachments(int *files = nullptr, int *folders = nullptr) const;
    // After a message took the ticked attachments as its offer: they go, and
    // the others are unticked.
    void AttachmentsSent();

    // ---- what our messages offered the peer ----
    const QList<OutgoingRow> &outgoingRows() const { return m_outgoing; }
    // One row per entry, waiting; the oldest rows go beyond kOutgoingRowsKept.
    void AddOutgoing(quint32 packetNumber, const std::vector<OfferedFile> &entries);
    // The peer began, finished or gave up fetching an entry; the row's index,
    // -1 when it has none.
    int SetOutgoingStatus(quint32 packetNumber, quint32 fileId, quint8 status);
    // A running send's progress (nothing once the row is complete).
    int SetOutgoingProgress(quint32 packetNumber, quint32 fileId, int percent, const QString &text);
    // The offer is gone (received whole, released or never confirmed): its
    // rows that are not complete go. True when one went.
    bool DropUnfinishedOutgoing(quint32 packetNumber);

private:
    QueuedOffer *offer(quint32 packetNumber);
    int outgoingRow(quint32 packetNumber, quint32 fileId) const;
    FileReceiveJob makeJob(const FileInfoRecord &row, const DecodedFileEntry &entry, const QString &path,
        quint32 peerAddress, quint16 peerPort) const;
    void renumber();

    QList<FileInfoRecord> m_offered;
    QList<FileInfoRecord> m_received;
    QList<FileInfoRecord> m_attachments;
    QList<OutgoingRow> m_outgoing;
    std::deque<QueuedOffer> m_offers; // the front one is current
    qint32 m_nextLink = 1;
};

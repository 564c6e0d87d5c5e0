// The files of one conversation, without widgets: the offers the peer made
// (queued, the front one current), the items received, the files and
// folders attached to the next message, and the receiver that fetches the
// offered items one at a time on its worker. It belongs to the chat session,
// so a receive goes on whether or not a window shows it; the file panel of
// the chat window is a view of it that asks the user and calls in here.
#pragma once

#include "chat/session/FilePanelModel.h"
#include "net/HostRecord.h"
#include "net/ReceivePrompts.h"

#include <QObject>
#include <QPointer>
#include <memory>

class CConfig;
class CNetManager;
class FileReceiver;
struct ReceiveProgress;

class ChatFileTransfers : public QObject
{
    Q_OBJECT
public:
    // net: requests and CMD_RELEASE_FILES go through it (null: nothing is
    // received or released). config: LASTOPEN_STR, RECVTRANSMAX_STR, TCPBUFMAX_STR.
    ChatFileTransfers(HostPtr peer, CNetManager *net, CConfig *config, QObject *parent = nullptr);
    // Stops a running receive and waits for its worker.
    ~ChatFileTransfers() override;

    // The peer whose offers these are (a fresh record of the same peer).
    void setPeer(HostPtr peer) { m_peer = std::move(peer); }
    // The questions before an item starts (the overwrite question, another
    // name for a folder that exists): the window's dialogs while one shows
    // the conversation; null asks through the current prompter.
    void setPrompts(ReceivePrompts *prompts);
    FileReceiver &receiver() { return *m_receiver; }
    const FilePanelModel &model() const { return m_model; }

    // ---- offers ----
    // A shown message with files: queues its offer; returns the index of
    // its first row, -1 when it brought none.
    int AddReceivedOffer(quint32 packetNumber, const DecodedFileList &files);
    // "全部接收" with the target the user chose for the first item of the
    // current offer. False when nothing was started.
    bool ReceiveAll(const QString &chosenPath);
    // "接收": the one offered row, saved as chosenPath. The row's offer
    // becomes the current one first.
    bool ReceiveRow(int row, const QString &chosenPath);
    // Makes the offer of the row the current one (before its target is chosen).
    void MakeRowCurrent(int row);
    // "取消" on an offered row: the item goes; an offer left empty ends.
    bool RejectRow(int row);
    // "全部拒收", one offer at a time: the current offer is released; true
    // while further offers remain queued.
    bool RejectCurrentOffer();
    // "中断传送".
    void StopTransfer();
    // The conversation's window goes for good: every queued offer is
    // released to the peer and the rows are forgotten.
    void ReleaseAllOffers();

    // A receive runs, or an item waits to start.
    bool isReceiving() const;
    // The receive buttons do nothing: an item is being received or waits.
    bool busy() const;
    // Offered items still wait (the window is kept while they do).
    bool hasWaitingOffers() const { return !m_model.offeredRows().isEmpty(); }
    // The progress display: percent 0..100 while shown, -1 when hidden.
    int progressPercent() const { return m_progressPercent; }
    QString progressText() const { return m_progressText; }
    // The last summary or error line of a receive.
    QString lastNotice() const { return m_lastNotice; }

    // ---- received rows ----
    int ClearReceived();
    bool RemoveReceivedRow(int row);

    // ---- attachments ----
    // Paths that exist and are not attached yet become ticked rows; true
    // when one was added.
    bool AddAttachments(const QStringList &paths);
    bool SetAttachmentChecked(int row, bool checked);
    int RemoveCheckedAttachments();
    QStringList CheckedAttachments(int *files = nullptr, int *folders = nullptr) const;
    // The next message took the ticked rows as its offer.
    void AttachmentsSent();

    // ---- what our messages offered the peer (the send list's lower rows) ----
    void AddOutgoing(quint32 packetNumber, const std::vector<OfferedFile> &entries);
    void SetOutgoingStatus(quint32 packetNumber, quint32 fileId, quint8 status);
    void SetOutgoingProgress(quint32 packetNumber, quint32 fileId, int percent, const QString &text);
    // The offer left the offer table: what the peer did not get leaves the list.
    void OutgoingOfferGone(quint32 packetNumber);

signals:
    // Refill the offered list; firstNew is the first row an offer added (-1: none).
    void offeredRowsChanged(int firstNew);
    void receivedRowsChanged();
    void attachmentRowsChanged();
    // Outgoing rows came or went (refill), or one row's state changed.
    void outgoingRowsChanged();
    void outgoingRowChanged(int row);
    // -1 with an empty text: hide the progress display.
    void progressChanged(int percent, const QString &text);
    // A program line for the history (summaries, errors, rename notices).
    void systemText(const QString &text);
    void messageBox(const QString &text, const QString &caption);
    // The enabled state of the receive buttons may have changed.
    void receiveStateChanged();
    // The current offer is done and others wait: "继续全部接收?".
    void moreOffersWaiting();
    // Nothing runs or waits any more (a hidden window may go now).
    void settled();
    // The peer was told that the rest of an offer will not be fetched.
    void offerReleased(quint32 packetNumber);

private:
    class Prompts;

    void release(const OfferRelease &release);
    // The current offer is done: released, the next one becomes current.
    void EndReceiveMode();
    void onStatusChanged(quint32 packetNumber, quint32 fileId, ReceiveRowStatus status);
    void onPathChanged(quint32 packetNumber, quint32 fileId, const QString &path);
    void onProgress(const ReceiveProgress &progress);
    void onBatchFinished(bool complete);
    void checkSettled();

    HostPtr m_peer;
    CNetManager *m_net;
    CConfig *m_config;
    std::unique_ptr<Prompts> m_prompts;
    std::unique_ptr<CNetManager> m_ownNet;
    std::unique_ptr<FileReceiver> m_receiver;
    FilePanelModel m_model;
    int m_progressPercent = -1;
    QString m_progressText;
    quint32 m_lastPacket = 0; // the offer of the item that ended last
    QString m_lastNotice;
};

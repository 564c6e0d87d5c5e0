// The receiving side of one chat window, on the GUI thread: a queue of items
// (files and folders of offers) of which the front one runs on its own
// worker. Before an item starts, its target is settled (the overwrite
// question, another name for a folder that exists); a receive-all batch
// runs its items one after another and ends at the first failure. The window
// hears everything through signals: progress, history lines, message boxes
// and row states.
#pragma once

#include "net/FileReceiveJob.h"

#include <QElapsedTimer>
#include <QObject>
#include <deque>
#include <memory>
#include <optional>

class CConfig;
class CNetManager;
class FileReceiveWorker;
class ReceivePrompts;

class FileReceiver : public QObject
{
    Q_OBJECT
public:
    // config: RECVTRANSMAX_STR and TCPBUFMAX_STR are read and LASTOPEN_STR
    // is written (may be null). prompts: asked before existing items are
    // replaced; null asks through the current Prompter.
    FileReceiver(CNetManager &net, CConfig *config, ReceivePrompts *prompts, QObject *parent = nullptr);
    // Stops a running receive and waits for it.
    ~FileReceiver() override;

    // Overrides the limits taken from the configuration (tests).
    void setLimits(const FileReceiveLimits &limits) { m_limits = limits; }

    // Queues one item whose target the user has just chosen ("接收").
    void Receive(FileReceiveJob job);
    // Queues the items as one receive-all batch ("全部接收"); the first one's
    // target was just chosen, the others are asked about when they exist.
    void ReceiveAll(const QList<FileReceiveJob> &jobs);
    // "中断传送": ends the running item as interrupted, and its batch with
    // it; the worker ends within about a second.
    void Cancel();

    bool isRunning() const { return m_worker != nullptr; }
    qsizetype queuedCount() const { return qsizetype(m_queue.size()); }
    QString lastSummary() const { return m_lastSummary; }

    // The overwrite-all choice, shared by every chat window until a receive
    // the user starts clears it.
    static bool overwriteAll();
    static void setOverwriteAll(bool on);

    // Starts the front item: settles its target and starts its worker. False
    // when nothing is queued or an item runs. askUser: the user has just
    // chosen the target (clears overwrite-all; no overwrite question).
    bool PrepareReceive(bool askUser);
    // Ends the front item with the worker's result and reports it; goes on
    // with the next item of a receive-all batch.
    void FinishReceive(const ReceiveResult &result);

signals:
    // percent -1 with an empty text: hide the progress display.
    void progressChanged(const ReceiveProgress &progress);
    // A line for the chat history (summaries, errors, rename notices).
    void systemText(const QString &line);
    void messageBox(const QString &text, const QString &caption);
    void itemStatusChanged(quint32 packetNumber, quint32 fileId, ReceiveRowStatus status);
    // The user chose another target for the item.
    void itemPathChanged(quint32 packetNumber, quint32 fileId, const QString &path);
    // Every queued item ends here once, with its result.
    void jobFinished(const FileReceiveJob &job);
    // A batch ended: complete, or failed / interrupted (its remaining items
    // were dropped).
    void batchFinished(bool complete, bool cancelled);

private:
    bool settleTarget(FileReceiveJob &job, bool askUser);
    bool askSavePath(FileReceiveJob &job);
    void setTarget(FileReceiveJob &job, const QString &path);
    bool ConnectForReceive();
    void onRequestSent();
    void onNotice(const ReceiveNotice &notice);
    void dropJob(FileReceiveJob job, const ReceiveResult &result);
    void enqueue(QList<FileReceiveJob> jobs, bool receiveAll);
    void scheduleNext();
    FileReceiveLimits limits() const;

    CNetManager &m_net;
    CConfig *m_config;
    ReceivePrompts *m_prompts;
    std::unique_ptr<ReceivePrompts> m_ownPrompts;
    std::optional<FileReceiveLimits> m_limits;
    std::deque<FileReceiveJob> m_queue; // the front one runs
    std::unique_ptr<FileReceiveWorker> m_worker;
    bool m_startPending = false;
    bool m_preparing = false; // the questions before an item are open
    bool m_cancelWhilePreparing = false;
    int m_nextBatch = 1;
    // The running batch.
    quint64 m_batchBytes = 0;
    quint32 m_batchItems = 0;
    QElapsedTimer m_batchClock; // since the first request of the batch
    QString m_lastSummary;
};

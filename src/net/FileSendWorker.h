// Serves one accepted TCP connection on its own thread: reads the request,
// checks it against a snapshot of the offers and sends the file from the
// requested offset, or the folder tree as a folder stream. Reports through
// queued signals carrying TransferState values.
#pragma once

#include "net/FileRequest.h"
#include "net/FileTransferState.h"

#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <vector>

class TransferSocket;

struct FileSendLimits
{
    int requestTimeoutMs = 10000; // for the whole request to arrive
    int idleTimeoutMs = 60000; // a send that makes no progress this long fails
    int progressIntervalMs = 1000; // at most one progress report per interval
    int lingerMs = 5000; // after the data, how long to wait for the peer to close
};

class FileSendWorker : public QThread
{
    Q_OBJECT
public:
    // Takes ownership of the connected socket's descriptor.
    FileSendWorker(
        qintptr descriptor, std::vector<OfferSnapshot> offers, const FileSendLimits &limits, QObject *parent = nullptr);
    ~FileSendWorker() override;

    // Asks the worker to stop; it ends within a fraction of a second.
    void cancel() { m_stop.store(true); }

signals:
    // The request was accepted and sending begins.
    void transferStarted(const TransferState &state);
    void transferProgress(const TransferState &state);
    // Always emitted once, also for a refused request.
    void transferFinished(const TransferState &state);

protected:
    void run() override;

private:
    ServeStatus serve(TransferSocket &socket);
    ServeStatus sendFile(TransferSocket &socket, const OfferedFile &entry, quint64 offset);
    ServeStatus sendFolder(TransferSocket &socket, const OfferedFile &entry);
    bool sendFolderTree(TransferSocket &socket, int folderFd, const QString &name, quint32 mtime, int depth);
    bool sendHeader(TransferSocket &socket, const QString &name, quint64 size, quint32 attributes, quint32 mtime);
    void begin();
    void sent(quint64 bytes);

    qintptr m_descriptor;
    std::vector<OfferSnapshot> m_offers;
    FileSendLimits m_limits;
    std::atomic<bool> m_stop { false };
    TransferState m_state;
    QElapsedTimer m_clock;
    qint64 m_lastReport = 0;
};

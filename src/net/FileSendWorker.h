// Serves one TCP connection whose request has been read: checks the request
// against a snapshot of the offers and sends the file from the requested
// offset, or the folder tree as a folder stream. It runs on a thread of the
// FileSendPool and reports through callbacks on that thread, with
// TransferState values.
#pragma once

#include "net/FileRequest.h"
#include "net/FileTransferState.h"
#include "net/FolderWalk.h"

#include <QElapsedTimer>
#include <atomic>
#include <functional>
#include <vector>

class TransferSocket;

struct FileSendLimits
{
    int requestTimeoutMs = 10000; // for the whole request to arrive
    int idleTimeoutMs = 60000; // a send that makes no progress this long fails
    int progressIntervalMs = 1000; // at most one progress report per interval
    int lingerMs = 5000; // after the data, how long to wait for the peer to close
    // Connections open at once, in total and from one IPv4 address, counted
    // from the accept to the end of the send. A peer that receives from
    // several windows at once needs a handful.
    int maxConnections = 256;
    int maxPerAddress = 32;
    int sendThreads = 32; // sends that run at once; further ones wait their turn

    // The limits for a process that may open openFiles descriptors: the caps
    // shrink when the limit is low, so that connections never take the
    // descriptors the rest of the program needs.
    static FileSendLimits ForOpenFiles(quint64 openFiles);
};

class FileSendWorker
{
public:
    struct Reports
    {
        std::function<void(const TransferState &)> started; // the request was accepted and sending begins
        std::function<void(const TransferState &)> progress;
        std::function<void(const TransferState &)> finished; // always once, also for a refused request
    };

    // Takes the connected socket; peerAddress is its IPv4 address (host order).
    FileSendWorker(UniqueFd socket, const FileRequest &request, quint32 peerAddress, std::vector<OfferSnapshot> offers,
        const FileSendLimits &limits, Reports reports);

    // Serves the request; stop, set by another thread, ends it within a
    // fraction of a second.
    void run(const std::atomic<bool> &stop);

private:
    ServeStatus serve(TransferSocket &socket);
    ServeStatus sendFile(TransferSocket &socket, const OfferedFile &entry, quint64 offset);
    ServeStatus sendFolder(TransferSocket &socket, const OfferedFile &entry);
    bool sendFolderTree(TransferSocket &socket, int folderFd, const QString &name, quint32 mtime, int depth);
    bool sendHeader(TransferSocket &socket, const QString &name, quint64 size, quint32 attributes, quint32 mtime);
    void begin();
    void sent(quint64 bytes);

    UniqueFd m_socket;
    FileRequest m_request;
    quint32 m_peer;
    std::vector<OfferSnapshot> m_offers;
    FileSendLimits m_limits;
    Reports m_reports;
    TransferState m_state;
    QElapsedTimer m_clock;
    qint64 m_lastReport = 0;
};

// The serving side of file transfers on the GUI thread. It admits accepted
// connections under caps (in total and per peer address), reads their
// requests without blocking, hands each complete request with a snapshot of
// the offers to a FileSendWorker on the send pool, keeps the offer table's
// transfer states up to date and passes the workers' reports on.
//
// Nothing here starts a thread or an event loop per connection: a flood of
// connections costs one descriptor each, up to the caps, and no more.
#pragma once

#include "net/FileSendPool.h"
#include "net/FileSendWorker.h"
#include "net/FileTransferState.h"

#include <QObject>
#include <QPointer>
#include <list>
#include <map>

class CFileOfferTable;
class QSocketNotifier;
class QTimer;

class FileServer : public QObject
{
    Q_OBJECT
public:
    explicit FileServer(CFileOfferTable *table, QObject *parent = nullptr);
    // Stops every send and waits for it.
    ~FileServer() override;

    void setLimits(const FileSendLimits &limits);
    // Serves an accepted connection; the server owns the descriptor from now
    // on and closes it when done. Above the per-address cap the connection is
    // closed at once. At the total cap a connection still waiting for its
    // request makes room: one of the address that holds the most
    // connections, the longest waiting of those. When none waits, the new
    // one is closed at once.
    void Serve(qintptr descriptor);
    // Connections admitted and not yet finished.
    int openConnections() const { return m_open; }
    int sendThreads() const { return m_pool.threadCount(); }

signals:
    // Progress of a running send (bytes sent, total, elapsed), for the
    // progress display of the transfer's recipient and the monitor.
    void transferProgress(const TransferState &state);
    // A connection was served or refused; status says which.
    void transferFinished(const TransferState &state);

private:
    struct Waiting;

    Waiting *givesWay();
    void readRequest(Waiting &waiting);
    // The request is read (or given up): the entry leaves the list soon after.
    void retire(Waiting &waiting);
    void closeWaiting(Waiting &waiting, ServeStatus status);
    void startSending(Waiting &waiting, const FileRequest &request);
    void purgeRetired();
    void release(quint32 address);
    void report(ServeStatus status, quint32 address);
    void onStarted(const TransferState &state);
    void onFinished(const TransferState &state, quint32 address);

    QPointer<CFileOfferTable> m_table;
    FileSendLimits m_limits;
    std::list<Waiting> m_waiting; // oldest first
    std::map<quint32, int> m_perAddress;
    int m_open = 0;
    FileSendPool m_pool;
};

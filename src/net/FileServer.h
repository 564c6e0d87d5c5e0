// The serving side of file transfers on the GUI thread: takes accepted
// connections, starts one FileSendWorker per connection with a snapshot of
// the offers, keeps the offer table's transfer states up to date and passes
// the workers' reports on.
#pragma once

#include "net/FileSendWorker.h"
#include "net/FileTransferState.h"

#include <QObject>
#include <QPointer>
#include <vector>

class CFileOfferTable;

class FileServer : public QObject
{
    Q_OBJECT
public:
    explicit FileServer(CFileOfferTable *table, QObject *parent = nullptr);
    // Stops every worker and waits for it.
    ~FileServer() override;

    void setLimits(const FileSendLimits &limits) { m_limits = limits; }
    // Serves an accepted connection; the server owns the descriptor from now
    // on and closes it when done.
    void Serve(qintptr descriptor);
    qsizetype activeWorkers() const { return qsizetype(m_workers.size()); }

signals:
    // Progress of a running send (bytes sent, total, elapsed), for the
    // progress display of the transfer's recipient and the monitor.
    void transferProgress(const TransferState &state);
    // A connection was served or refused; status says which.
    void transferFinished(const TransferState &state);

private:
    void onStarted(const TransferState &state);
    void onFinished(const TransferState &state);
    void deleteFinishedWorker(FileSendWorker *worker);

    QPointer<CFileOfferTable> m_table;
    FileSendLimits m_limits;
    std::vector<FileSendWorker *> m_workers;
};

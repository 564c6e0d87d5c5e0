#include "net/FileServer.h"

#include "net/CFileOfferTable.h"

#include <algorithm>

FileServer::FileServer(CFileOfferTable *table, QObject *parent)
    : QObject(parent)
    , m_table(table)
{
    qRegisterMetaType<TransferState>();
}

FileServer::~FileServer()
{
    for (FileSendWorker *worker : m_workers)
        worker->cancel();
    for (FileSendWorker *worker : m_workers)
        delete worker; // waits for the thread
}

void FileServer::Serve(qintptr descriptor)
{
    auto *worker
        = new FileSendWorker(descriptor, m_table ? m_table->Snapshot() : std::vector<OfferSnapshot>(), m_limits);
    m_workers.push_back(worker);
    connect(worker, &FileSendWorker::transferStarted, this, &FileServer::onStarted);
    connect(worker, &FileSendWorker::transferProgress, this, &FileServer::transferProgress);
    connect(worker, &FileSendWorker::transferFinished, this, &FileServer::onFinished);
    connect(worker, &QThread::finished, this, [this, worker] { deleteFinishedWorker(worker); });
    worker->start();
}

void FileServer::onStarted(const TransferState &state)
{
    if (m_table)
        m_table->SetTransferStatus(state.packetNumber, state.fileId, state.address, state.port, TransferReceiving);
    emit transferProgress(state);
}

void FileServer::onFinished(const TransferState &state)
{
    // Only a transfer that began changed the recipient's state.
    if (m_table && state.started)
        m_table->SetTransferStatus(state.packetNumber, state.fileId, state.address, state.port,
            state.status == ServeStatus::Done ? TransferReceived : TransferWaiting);
    emit transferFinished(state);
}

void FileServer::deleteFinishedWorker(FileSendWorker *worker)
{
    const auto it = std::find(m_workers.begin(), m_workers.end(), worker);
    if (it == m_workers.end())
        return;
    m_workers.erase(it);
    worker->deleteLater();
}

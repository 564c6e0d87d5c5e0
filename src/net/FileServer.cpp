#include "net/FileServer.h"

#include "net/CFileOfferTable.h"
#include "net/TransferSocket.h"

#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>

// A connection whose request is still being read.
struct FileServer::Waiting
{
    UniqueFd socket;
    quint32 address = 0;
    QByteArray data;
    bool retired = false;
    std::unique_ptr<QSocketNotifier> notifier;
    QTimer timeout;
};

FileServer::FileServer(CFileOfferTable *table, QObject *parent)
    : QObject(parent)
    , m_table(table)
    , m_pool(m_limits.sendThreads)
{
    qRegisterMetaType<TransferState>();
}

// The pool (the last member) stops first and waits for its threads; their
// last reports are dropped with this object.
FileServer::~FileServer() = default;

void FileServer::setLimits(const FileSendLimits &limits)
{
    m_limits = limits;
    m_pool.setMaxThreads(limits.sendThreads);
}

void FileServer::Serve(qintptr descriptor)
{
    UniqueFd socket { int(descriptor) };
    const quint32 address = PeerAddressOf(socket.get());
    const auto from = m_perAddress.find(address);
    if (from != m_perAddress.end() && from->second >= m_limits.maxPerAddress) {
        report(ServeStatus::Refused, address);
        return;
    }
    while (m_open >= m_limits.maxConnections) {
        Waiting *gives = givesWay();
        if (!gives) {
            report(ServeStatus::Refused, address);
            return;
        }
        // A request that is there already is taken, not thrown away.
        readRequest(*gives);
        if (!gives->retired)
            closeWaiting(*gives, ServeStatus::Refused);
    }
    ++m_perAddress[address];
    ++m_open;

    ::fcntl(socket.get(), F_SETFL, ::fcntl(socket.get(), F_GETFL) | O_NONBLOCK);
    Waiting &waiting = m_waiting.emplace_back();
    waiting.address = address;
    waiting.notifier = std::make_unique<QSocketNotifier>(socket.get(), QSocketNotifier::Read);
    waiting.socket = std::move(socket);
    connect(waiting.notifier.get(), &QSocketNotifier::activated, this, [this, &waiting] { readRequest(waiting); });
    waiting.timeout.setSingleShot(true);
    connect(&waiting.timeout, &QTimer::timeout, this,
        [this, &waiting] { closeWaiting(waiting, ServeStatus::RequestTimeout); });
    waiting.timeout.start(m_limits.requestTimeoutMs);
}

// One of the address that holds the most connections, the longest waiting
// of those: a peer with a few connections keeps them while another floods.
FileServer::Waiting *FileServer::givesWay()
{
    Waiting *found = nullptr;
    int most = 0;
    for (Waiting &w : m_waiting) {
        if (w.retired)
            continue;
        const int held = m_perAddress[w.address];
        if (held > most) {
            most = held;
            found = &w;
        }
    }
    return found;
}

void FileServer::readRequest(Waiting &waiting)
{
    if (waiting.retired)
        return;
    char chunk[4096];
    bool decisive = false;
    ssize_t n;
    do {
        const qsizetype room = kMaxRequestBytes - waiting.data.size();
        n = ::recv(waiting.socket.get(), chunk, size_t(qMin<qsizetype>(sizeof chunk, room)), 0);
        if (n > 0) {
            waiting.data.append(chunk, n);
            // Only a ':' can complete a request and only a NUL can end it
            // early: a request sent a byte at a time is not parsed again at
            // every other byte.
            decisive = decisive || std::memchr(chunk, ':', size_t(n)) || std::memchr(chunk, '\0', size_t(n));
        }
    } while ((n > 0 && waiting.data.size() < kMaxRequestBytes) || (n < 0 && errno == EINTR));
    const bool ended = n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
    const bool full = waiting.data.size() >= kMaxRequestBytes;

    FileRequest request;
    const FileRequestStatus parsed
        = decisive || ended || full ? ParseFileRequest(waiting.data, request) : FileRequestStatus::Incomplete;
    if (parsed == FileRequestStatus::Ok)
        startSending(waiting, request);
    else if (parsed == FileRequestStatus::Bad || full)
        closeWaiting(waiting, ServeStatus::BadRequest);
    else if (ended) // the peer closed or failed before its request was whole
        closeWaiting(waiting, ServeStatus::RequestTimeout);
}

void FileServer::retire(Waiting &waiting)
{
    waiting.retired = true;
    waiting.notifier->setEnabled(false);
    waiting.timeout.stop();
    // Not at once: this runs inside the entry's own notifier or timer.
    QMetaObject::invokeMethod(this, &FileServer::purgeRetired, Qt::QueuedConnection);
}

void FileServer::purgeRetired()
{
    m_waiting.remove_if([](const Waiting &w) { return w.retired; });
}

void FileServer::closeWaiting(Waiting &waiting, ServeStatus status)
{
    retire(waiting);
    waiting.socket.reset();
    release(waiting.address);
    report(status, waiting.address);
}

void FileServer::startSending(Waiting &waiting, const FileRequest &request)
{
    retire(waiting);
    const quint32 address = waiting.address;
    // The reports cross to this thread as queued calls; those still queued
    // when the server goes are dropped with it.
    auto post = [this](auto call) { QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection); };
    FileSendWorker::Reports reports;
    reports.started = [post, this](const TransferState &s) { post([this, s] { onStarted(s); }); };
    reports.progress = [post, this](const TransferState &s) { post([this, s] { emit transferProgress(s); }); };
    reports.finished
        = [post, this, address](const TransferState &s) { post([this, s, address] { onFinished(s, address); }); };
    auto worker = std::make_unique<FileSendWorker>(std::move(waiting.socket), request, address,
        m_table ? m_table->Snapshot() : std::vector<OfferSnapshot>(), m_limits, std::move(reports));
    if (!m_pool.Submit(std::move(worker))) {
        release(address);
        report(ServeStatus::SendFailed, address);
    }
}

void FileServer::release(quint32 address)
{
    --m_open;
    const auto from = m_perAddress.find(address);
    if (from != m_perAddress.end() && --from->second <= 0)
        m_perAddress.erase(from);
}

void FileServer::report(ServeStatus status, quint32 address)
{
    TransferState state;
    state.status = status;
    state.address = address;
    emit transferFinished(state);
}

void FileServer::onStarted(const TransferState &state)
{
    if (m_table)
        m_table->SetTransferStatus(state.packetNumber, state.fileId, state.address, state.port, TransferReceiving);
    emit transferProgress(state);
}

void FileServer::onFinished(const TransferState &state, quint32 address)
{
    release(address);
    // Only a transfer that began changed the recipient's state.
    if (m_table && state.started)
        m_table->SetTransferStatus(state.packetNumber, state.fileId, state.address, state.port,
            state.status == ServeStatus::Done ? TransferReceived : TransferWaiting);
    emit transferFinished(state);
}

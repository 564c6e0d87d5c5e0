// The connected TCP socket of a file-send worker: blocking I/O in slices of
// at most kSliceMs, so that the worker notices a stop request and a stalled
// peer. Writes never raise SIGPIPE: the constructor blocks it in the calling
// thread, so a TransferSocket is made on the worker thread that uses it.
#pragma once

#include "net/FolderWalk.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <atomic>
#include <functional>

// The IPv4 address (host byte order) of the peer of a connected socket; 0
// when it has none.
quint32 PeerAddressOf(int socket);

class TransferSocket
{
public:
    static constexpr int kSliceMs = 250;

    // Takes ownership of the descriptor. idleMs: how long a write may make no
    // progress; stop: set by another thread to end every wait.
    TransferSocket(qintptr descriptor, int idleMs, const std::atomic<bool> &stop);

    bool isValid() const { return m_fd.isValid(); }
    bool stopped() const { return m_stop.load(std::memory_order_relaxed); }

    // Receives into buffer until accept() says the bytes are enough (true),
    // or until maxBytes, end of stream, an error, a stop or timeoutMs in
    // total (false).
    bool receiveUntil(
        QByteArray &buffer, qsizetype maxBytes, int timeoutMs, const std::function<bool(const QByteArray &)> &accept);
    // Sends all bytes; more: data follow at once (header before file data).
    bool sendAll(const QByteArray &bytes, bool more = false);
    // Sends count bytes of the file from offset on; onSent is called with
    // the bytes of every step. False on any failure, including a file that
    // ends early.
    bool sendFile(int fileFd, quint64 offset, quint64 count, const std::function<void(quint64)> &onSent);
    // Half-closes the socket, so the peer sees the end of the stream, and
    // waits up to lingerMs for the peer to close its side.
    void finish(int lingerMs);

private:
    bool stalled(QElapsedTimer &sinceProgress) const;

    UniqueFd m_fd;
    int m_idleMs;
    const std::atomic<bool> &m_stop;
};

// The TCP connection of a receive worker: a connect with a time-out, then
// blocking reads in slices of kSliceMs, so that the worker notices a stop
// request and a stalled peer. shutdown() may be called from any thread and
// wakes a waiting read at once.
#pragma once

#include <QByteArrayView>
#include <QtGlobal>
#include <atomic>
#include <mutex>

class ReceiveConnection
{
public:
    static constexpr int kSliceMs = 250;

    // stop: set by another thread to end every wait.
    explicit ReceiveConnection(const std::atomic<bool> &stop);
    ~ReceiveConnection();
    ReceiveConnection(const ReceiveConnection &) = delete;
    ReceiveConnection &operator=(const ReceiveConnection &) = delete;

    // Connects to the IPv4 address (host order) and port within timeoutMs.
    // socketBufferBytes raises the socket's receive buffer when it is larger
    // than what the system gives (a smaller fixed size would only turn off
    // the system's own sizing).
    bool connectTo(quint32 address, quint16 port, int socketBufferBytes, int timeoutMs);
    // Sends all bytes within timeoutMs.
    bool sendAll(QByteArrayView bytes, int timeoutMs);
    // > 0: the bytes received; 0: nothing arrived within one slice; -1: end
    // of stream, failure or stop.
    qint64 receive(char *data, qint64 max);
    // Ends the connection in both directions; safe from any thread.
    void shutdown();
    void close();

private:
    bool stopped() const { return m_stop.load(std::memory_order_relaxed); }
    bool waitConnected(int fd, int timeoutMs);

    const std::atomic<bool> &m_stop;
    std::mutex m_mutex; // guards m_fd against a shutdown() while it closes
    int m_fd = -1;
};

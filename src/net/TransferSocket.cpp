#include "net/TransferSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/time.h>

namespace {

// Bytes handed to one sendfile call: large enough to reach link speed,
// small enough to look at the stop flag and report progress in between. A
// blocking sendfile runs until its whole count is queued (the send time-out
// counts each wait, not the call), so the step follows the link: it grows
// while a call takes less than half a slice and shrinks when one takes more
// than a slice.
constexpr quint64 kFirstSendStep = 256ull << 10;
constexpr quint64 kMinSendStep = 64ull << 10;
constexpr quint64 kMaxSendStep = 8ull << 20;

void blockSigpipe()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

} // namespace

TransferSocket::TransferSocket(qintptr descriptor, int idleMs, const std::atomic<bool> &stop)
    : m_fd(int(descriptor))
    , m_idleMs(idleMs)
    , m_stop(stop)
{
    if (!m_fd.isValid())
        return;
    // sendfile has no MSG_NOSIGNAL: a peer that went away must give EPIPE,
    // not end the program.
    blockSigpipe();
    const int flags = ::fcntl(m_fd.get(), F_GETFL);
    if (flags >= 0)
        ::fcntl(m_fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    timeval slice { 0, kSliceMs * 1000 };
    ::setsockopt(m_fd.get(), SOL_SOCKET, SO_SNDTIMEO, &slice, sizeof slice);
}

quint32 PeerAddressOf(int socket)
{
    sockaddr_storage addr {};
    socklen_t len = sizeof addr;
    if (::getpeername(socket, reinterpret_cast<sockaddr *>(&addr), &len) != 0)
        return 0;
    if (addr.ss_family == AF_INET)
        return ntohl(reinterpret_cast<const sockaddr_in &>(addr).sin_addr.s_addr);
    if (addr.ss_family == AF_INET6) {
        const in6_addr &a = reinterpret_cast<const sockaddr_in6 &>(addr).sin6_addr;
        if (IN6_IS_ADDR_V4MAPPED(&a))
            return (quint32(a.s6_addr[12]) << 24) | (quint32(a.s6_addr[13]) << 16) | (quint32(a.s6_addr[14]) << 8)
                | a.s6_addr[15];
    }
    return 0;
}

bool TransferSocket::receiveUntil(
    QByteArray &buffer, qsizetype maxBytes, int timeoutMs, const std::function<bool(const QByteArray &)> &accept)
{
    QElapsedTimer timer;
    timer.start();
    char chunk[4096];
    while (!stopped() && buffer.size() < maxBytes) {
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0)
            return false;
        pollfd p { m_fd.get(), POLLIN, 0 };
        const int ready = ::poll(&p, 1, int(qMin<qint64>(left, kSliceMs)));
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0)
            continue;
        const ssize_t n = ::recv(m_fd.get(), chunk, size_t(qMin<qsizetype>(sizeof chunk, maxBytes - buffer.size())), 0);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
            return false;
        if (n > 0) {
            buffer.append(chunk, n);
            if (accept(buffer))
                return true;
        }
    }
    return false;
}

bool TransferSocket::stalled(QElapsedTimer &sinceProgress) const
{
    return stopped() || sinceProgress.elapsed() > m_idleMs;
}

bool TransferSocket::sendAll(const QByteArray &bytes, bool more)
{
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    qsizetype done = 0;
    while (done < bytes.size()) {
        if (stalled(sinceProgress))
            return false;
        const ssize_t n = ::send(
            m_fd.get(), bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL | (more ? MSG_MORE : 0));
        if (n > 0) {
            done += n;
            sinceProgress.restart();
        } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
    }
    return true;
}

bool TransferSocket::sendFile(int fileFd, quint64 offset, quint64 count, const std::function<void(quint64)> &onSent)
{
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    off_t position = off_t(offset);
    quint64 left = count;
    quint64 step = kFirstSendStep;
    QElapsedTimer call;
    while (left > 0) {
        if (stalled(sinceProgress))
            return false;
        call.start();
        const ssize_t n = ::sendfile(m_fd.get(), fileFd, &position, size_t(qMin(left, step)));
        const qint64 took = call.elapsed();
        if (took < kSliceMs / 2)
            step = qMin(step * 2, kMaxSendStep);
        else if (took > kSliceMs)
            step = qMax(step / 2, kMinSendStep);
        if (n > 0) {
            left -= quint64(n);
            sinceProgress.restart();
            onSent(quint64(n));
        } else if (n == 0) {
            return false; // the file is shorter than it was
        } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
    }
    return true;
}

void TransferSocket::finish(int lingerMs)
{
    ::shutdown(m_fd.get(), SHUT_WR);
    // Closing with unread bytes would reset the connection and could drop
    // the end of the data: read until the peer closes.
    QByteArray rest;
    receiveUntil(rest, 1 << 20, lingerMs, [&rest](const QByteArray &) {
        rest.clear();
        return false;
    });
}

#include "net/ReceiveConnection.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

constexpr int kMinSocketBuffer = 1024;

// The receive buffer only grows: on this system a fixed size below what it
// picks itself would cap the throughput. Halved until the system takes it.
void raiseReceiveBuffer(int fd, int bytes)
{
    int current = 0;
    socklen_t len = sizeof current;
    if (::getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &current, &len) != 0)
        return;
    // The system reports twice the size it was given.
    for (int size = bytes; size >= kMinSocketBuffer && size * 2 > current; size /= 2)
        if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size) == 0)
            return;
}

} // namespace

ReceiveConnection::ReceiveConnection(const std::atomic<bool> &stop)
    : m_stop(stop)
{
}

ReceiveConnection::~ReceiveConnection()
{
    close();
}

bool ReceiveConnection::connectTo(quint32 address, quint16 port, int socketBufferBytes, int timeoutMs)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    {
        std::lock_guard lock(m_mutex);
        m_fd = fd;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    raiseReceiveBuffer(fd, socketBufferBytes);

    sockaddr_in peer {};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = htonl(address);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&peer), sizeof peer) != 0
        && (errno != EINPROGRESS || !waitConnected(fd, timeoutMs)))
        return false;

    // From here on blocking, in slices.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return false;
    const timeval slice { 0, kSliceMs * 1000 };
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &slice, sizeof slice);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &slice, sizeof slice);
    return !stopped();
}

bool ReceiveConnection::waitConnected(int fd, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!stopped()) {
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0)
            return false;
        pollfd p { fd, POLLOUT, 0 };
        const int ready = ::poll(&p, 1, int(qMin<qint64>(left, kSliceMs)));
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready > 0) {
            int error = 0;
            socklen_t len = sizeof error;
            return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0;
        }
    }
    return false;
}

bool ReceiveConnection::sendAll(QByteArrayView bytes, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    qsizetype done = 0;
    while (done < bytes.size()) {
        if (stopped() || timer.elapsed() > timeoutMs)
            return false;
        const ssize_t n = ::send(m_fd, bytes.data() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
    }
    return true;
}

qint64 ReceiveConnection::receive(char *data, qint64 max)
{
    if (stopped())
        return -1;
    const ssize_t n = ::recv(m_fd, data, size_t(max), 0);
    if (n > 0)
        return n;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return stopped() ? -1 : 0;
    return -1;
}

void ReceiveConnection::shutdown()
{
    std::lock_guard lock(m_mutex);
    if (m_fd >= 0)
        ::shutdown(m_fd, SHUT_RDWR);
}

void ReceiveConnection::close()
{
    std::lock_guard lock(m_mutex);
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

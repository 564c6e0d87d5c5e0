#include "net/InterfaceWatch.h"

#include <cerrno>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

InterfaceWatch::InterfaceWatch()
    : m_fd(::socket(AF_NETLINK, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_ROUTE))
{
    if (m_fd < 0)
        return;
    sockaddr_nl local {};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR;
    if (::bind(m_fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

InterfaceWatch::~InterfaceWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool InterfaceWatch::Changed()
{
    if (m_fd < 0)
        return false;
    bool changed = false;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
        // ENOBUFS: the kernel dropped messages, something changed.
        if (got > 0 || (got < 0 && errno == ENOBUFS))
            changed = true;
        else if (got == 0 || errno != EINTR)
            return changed;
    }
}

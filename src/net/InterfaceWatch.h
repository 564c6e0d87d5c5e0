// Tells whether the addresses or links of the machine's interfaces changed
// (an address added or removed, a link up or down), from the kernel's route
// messages: a look costs one read that does not wait, so it can come before
// every datagram is judged.
#pragma once

class InterfaceWatch
{
public:
    InterfaceWatch();
    ~InterfaceWatch();
    InterfaceWatch(const InterfaceWatch &) = delete;
    InterfaceWatch &operator=(const InterfaceWatch &) = delete;

    // The socket the kernel's messages arrive on (-1 when none could be
    // opened: then no change is ever told).
    int descriptor() const { return m_fd; }
    // True when something changed since the last look (or messages were
    // lost because too many came); reads all that came.
    bool Changed();

private:
    int m_fd = -1;
};

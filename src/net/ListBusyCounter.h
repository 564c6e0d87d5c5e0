// A process-wide counter raised while code changes the rows of the user list,
// the user tree or a member list. While it is above zero the chat windows
// refuse to send ("正忙...正稍候重试!"). GUI thread only.
#pragma once

namespace ListBusyCounter {

int value();
void raise();
void lower();
// The chat window's constructor starts from a clean count.
void reset();

// Raises the counter for the lifetime of the guard.
class Guard
{
public:
    Guard() { raise(); }
    ~Guard() { lower(); }
    Guard(const Guard &) = delete;
    Guard &operator=(const Guard &) = delete;
};

} // namespace ListBusyCounter

// The process-wide count of views being changed: the contact list, the user
// tree or a member list raise it while they change their rows, and the send
// paths refuse to send while it is not zero ("正忙...正稍候重试!").
#pragma once

class ListBusyCounter
{
public:
    static int value();
    static bool isBusy() { return value() != 0; }
    static void raise();
    static void lower();
    // There is no reset: every raise is undone by its own lower (use the
    // Raiser), so a window that opens while a list is being changed cannot
    // make the count go wrong.

    // Raises the count for its lifetime.
    class Raiser
    {
    public:
        Raiser() { ListBusyCounter::raise(); }
        ~Raiser() { ListBusyCounter::lower(); }
        Raiser(const Raiser &) = delete;
        Raiser &operator=(const Raiser &) = delete;
    };
};

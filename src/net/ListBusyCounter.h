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
    // The chat window's constructor starts from a quiet count.
    static void reset();

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

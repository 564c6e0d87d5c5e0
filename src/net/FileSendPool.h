// The threads that run file sends: at most a fixed number, started as sends
// arrive and kept for the next ones. They are plain threads without an event
// loop, so a send costs no descriptor beyond its connection and its files;
// sends beyond the number wait in turn.
#pragma once

#include "net/FileSendWorker.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class FileSendPool
{
public:
    explicit FileSendPool(int maxThreads);
    // Stops: running sends end within a fraction of a second, waiting ones
    // are dropped (their connections closed) without a report.
    ~FileSendPool();

    // Applies to threads started from now on.
    void setMaxThreads(int maxThreads);
    // Runs the worker as soon as a thread is free. False when no thread could
    // be started and none runs: the worker is dropped, its connection closed.
    bool Submit(std::unique_ptr<FileSendWorker> worker);
    int threadCount() const;

private:
    void runThread();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::unique_ptr<FileSendWorker>> m_queue;
    std::vector<std::thread> m_threads;
    int m_maxThreads;
    int m_idle = 0;
    std::atomic<bool> m_stop { false };
};

#include "net/FileSendPool.h"

#include <system_error>

FileSendPool::FileSendPool(int maxThreads)
    : m_maxThreads(qMax(1, maxThreads))
{
}

FileSendPool::~FileSendPool()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop.store(true);
        m_queue.clear();
    }
    m_wake.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
}

void FileSendPool::setMaxThreads(int maxThreads)
{
    std::lock_guard lock(m_mutex);
    m_maxThreads = qMax(1, maxThreads);
}

int FileSendPool::threadCount() const
{
    std::lock_guard lock(m_mutex);
    return int(m_threads.size());
}

bool FileSendPool::Submit(std::unique_ptr<FileSendWorker> worker)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_idle <= int(m_queue.size()) && int(m_threads.size()) < m_maxThreads) {
            try {
                m_threads.emplace_back([this] { runThread(); });
            } catch (const std::system_error &) {
                if (m_threads.empty())
                    return false;
            }
        }
        m_queue.push_back(std::move(worker));
    }
    m_wake.notify_one();
    return true;
}

void FileSendPool::runThread()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        ++m_idle;
        m_wake.wait(lock, [this] { return m_stop.load() || !m_queue.empty(); });
        --m_idle;
        if (m_stop.load())
            return;
        std::unique_ptr<FileSendWorker> worker = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        worker->run(m_stop);
        worker.reset();
        lock.lock();
    }
}

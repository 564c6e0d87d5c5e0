#include "net/ListBusyCounter.h"

#include <atomic>

namespace {
std::atomic<int> g_count { 0 };
}

int ListBusyCounter::value()
{
    return g_count.load(std::memory_order_relaxed);
}

void ListBusyCounter::raise()
{
    g_count.fetch_add(1, std::memory_order_relaxed);
}

void ListBusyCounter::lower()
{
    g_count.fetch_sub(1, std::memory_order_relaxed);
}

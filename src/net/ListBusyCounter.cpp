#include "net/ListBusyCounter.h"

namespace {
int g_count = 0;
}

namespace ListBusyCounter {

int value()
{
    return g_count;
}

void raise()
{
    ++g_count;
}

void lower()
{
    // A reset while a guard was alive must not leave the count negative.
    if (g_count > 0)
        --g_count;
}

void reset()
{
    g_count = 0;
}

} // namespace ListBusyCounter

#include "core/OpenFileLimit.h"

#include <sys/resource.h>

quint64 OpenFileLimit()
{
    rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 0;
    return limit.rlim_cur == RLIM_INFINITY ? ~quint64(0) : quint64(limit.rlim_cur);
}

quint64 RaiseOpenFileLimit(quint64 cap)
{
    rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 0;
    const rlim_t wanted = limit.rlim_max == RLIM_INFINITY ? rlim_t(cap) : qMin(limit.rlim_max, rlim_t(cap));
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
        limit.rlim_cur = wanted;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    return OpenFileLimit();
}

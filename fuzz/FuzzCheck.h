// The assertion of the fuzz targets: a failed check aborts, so the fuzzer
// and the replay test both see it.
#pragma once

#include <cstdlib>

inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

#include "platform/WorkingSet.h"

#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void TrimWorkingSet()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

// The process's limit of open files (descriptors).
#pragma once

#include <QtGlobal>

// How far the program raises its soft limit at start-up: every connection,
// file and wake-up of a thread takes one descriptor, and the file server's
// caps stay far below this.
inline constexpr quint64 kOpenFileLimitCap = 65536;

// Raises the soft limit to the hard limit, at most to cap; a higher soft
// limit is kept. Returns the soft limit in force afterwards.
quint64 RaiseOpenFileLimit(quint64 cap = kOpenFileLimitCap);
// The soft limit in force.
quint64 OpenFileLimit();

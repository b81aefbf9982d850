#pragma once
// The editor checks its project after every change, and each check builds and drops a few
// megabytes of syntax trees and flow graphs. glibc hands memory freed at the top of the heap back
// to the system once it passes a small threshold, so the next check faults every page in again;
// on a virtual machine that costs more than a check that reads only the changed statements saves.
// The editor's process keeps freed memory for the next change instead.

#if defined(__GLIBC__)
#include <malloc.h>
#endif

inline void KeepFreedMemoryForReuse()
{
#if defined(__GLIBC__)
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
#endif
}

#include "platform/Memory.h"
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace wf::platform {

void keepFreedMemory()
{
#if defined(__GLIBC__)
    // Blocks up to 32 MiB (glibc's ceiling) come from the heap, and up to
    // 256 MiB of freed heap stays with the process.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

} // namespace wf::platform

#include "common/heap.h"

#include "common/datadir.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kelvora {

void keepFileBuffersInHeap() {
#if defined(__GLIBC__)
    // Twice the largest file we read: a file's buffer and its rewrite fit.
    constexpr int kLargestBlock = int(2 * DataDir::kMaxReadBytes);
    mallopt(M_MMAP_THRESHOLD, kLargestBlock);
    // Free memory at the top of the heap is given back only beyond this, so
    // the buffers of one minute serve the next.
    mallopt(M_TRIM_THRESHOLD, kLargestBlock);
#endif
}

}  // namespace kelvora

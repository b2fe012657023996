#include "imagelib/vuMemory.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#if defined(__linux__)
#include <sys/mman.h>
#endif

void* vuAllocateBlock(size_t bytes, bool clear) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr size_t kHuge = size_t(2) << 20;
  if (bytes >= 2 * kHuge && bytes <= SIZE_MAX - kHuge) {
    const size_t rounded = (bytes + kHuge - 1) / kHuge * kHuge;
    void* block = std::aligned_alloc(kHuge, rounded);
    if (!block) return nullptr;
    madvise(block, rounded, MADV_HUGEPAGE);
    if (clear) std::memset(block, 0, bytes);
    return block;
  }
#endif
  if (bytes == 0) bytes = 1;
  return clear ? std::calloc(1, bytes) : std::malloc(bytes);
}

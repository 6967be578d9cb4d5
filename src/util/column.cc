#include "util/column.h"

#include <sys/mman.h>

namespace vexal {

void advise_huge_pages(void* p, size_t bytes) {
#ifdef MADV_HUGEPAGE
  const uintptr_t huge = uintptr_t{1} << 21;
  const uintptr_t from = (reinterpret_cast<uintptr_t>(p) + 2 * huge - 1) & ~(huge - 1);
  const uintptr_t to = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(huge - 1);
  if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
  (void)p;
  (void)bytes;
#endif
}

}  // namespace vexal

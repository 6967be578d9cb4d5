#include "util/column.h"

#include <sys/mman.h>

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

void copy_streaming(double* to, const double* from, size_t n) {
#ifdef __SSE2__
  size_t i = 0;
  if (reinterpret_cast<uintptr_t>(to) % 16 != 0 && n > 0) {
    to[0] = from[0];
    i = 1;
  }
  for (; i + 2 <= n; i += 2) _mm_stream_pd(to + i, _mm_loadu_pd(from + i));
  if (i < n) to[i] = from[i];
#else
  std::memcpy(to, from, n * sizeof(double));
#endif
}

void stream_fence() {
#ifdef __SSE2__
  _mm_sfence();
#endif
}

}  // namespace vexal

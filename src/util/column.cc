#include "util/column.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vexal {

namespace {
constexpr uintptr_t kHuge = uintptr_t{1} << 21;
}  // namespace

void* allocate_column(size_t bytes) {
  if (bytes < kHuge) return std::malloc(std::max<size_t>(bytes, 1));
  void* p = nullptr;
  return ::posix_memalign(&p, kHuge, bytes) == 0 ? p : nullptr;
}

void advise_huge_pages(void* base, size_t bytes) {
  const uintptr_t at = reinterpret_cast<uintptr_t>(base);
  advise_huge_pages(base, bytes, reinterpret_cast<void*>(at + kHuge),
                    bytes > kHuge ? bytes - kHuge : 0);
}

void advise_huge_pages(void* base, size_t bytes, void* p, size_t n) {
#ifdef MADV_HUGEPAGE
  // Whole 2 MiB pages of the column only.
  const uintptr_t lowest = (reinterpret_cast<uintptr_t>(base) + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t highest = (reinterpret_cast<uintptr_t>(base) + bytes) & ~(kHuge - 1);
  const uintptr_t at = reinterpret_cast<uintptr_t>(p);
  const uintptr_t from = std::max(at & ~(kHuge - 1), lowest);
  const uintptr_t to = std::min((at + n + kHuge - 1) & ~(kHuge - 1), highest);
  if (n > 0 && to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
  (void)base;
  (void)bytes;
  (void)p;
  (void)n;
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

size_t largest_cache_bytes() {
  static const size_t bytes = [] {
    long size = -1;
#ifdef _SC_LEVEL3_CACHE_SIZE
    size = ::sysconf(_SC_LEVEL3_CACHE_SIZE);
    if (size <= 0) size = ::sysconf(_SC_LEVEL2_CACHE_SIZE);
#endif
    return size > 0 ? static_cast<size_t>(size) : size_t{32} << 20;
  }();
  return bytes;
}

void stream_fence() {
#ifdef __SSE2__
  _mm_sfence();
#endif
}

}  // namespace vexal

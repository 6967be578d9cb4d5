#include "util/page_mapper.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <system_error>

namespace vexal {

void PageMapper::start(std::vector<Region> regions, size_t units) {
  stop();
  stop_ = false;
  reached_ = 0;
#if defined(MADV_POPULATE_WRITE) && defined(MADV_POPULATE_READ)
  auto map = [this, units, regions = std::move(regions)] {
    constexpr size_t kStep = size_t{1} << 21;
    const uintptr_t page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    size_t largest = 0;
    for (const Region& r : regions) largest = std::max(largest, r.bytes);
    const size_t steps = (largest + kStep - 1) / kStep;
    for (size_t step = 0; step < steps; ++step) {
      if (reached_.load(std::memory_order_relaxed) >= units / steps * step) continue;
      for (const Region& r : regions) {
        if (stop_.load(std::memory_order_relaxed)) return;
        // This step's share of the region. Only whole pages of the region
        // are mapped, as its first and last may be shared with others; the
        // steps meet on page boundaries.
        const uintptr_t base = reinterpret_cast<uintptr_t>(r.start);
        const uintptr_t share = r.bytes / steps;
        auto up = [page](uintptr_t a) { return (a + page - 1) & ~(page - 1); };
        const uintptr_t from = up(base + share * step);
        const uintptr_t to =
            step + 1 == steps ? (base + r.bytes) & ~(page - 1) : up(base + share * (step + 1));
        if (to <= from) continue;
        // Refused (not offered here, no memory, a file cut short): the
        // reader maps its own pages.
        const int advice = r.read_only ? MADV_POPULATE_READ : MADV_POPULATE_WRITE;
        if (::madvise(reinterpret_cast<void*>(from), to - from, advice) != 0) return;
      }
    }
  };
  try {
    thread_ = std::thread(std::move(map));
  } catch (const std::system_error&) {
    // No thread to be had: the writer maps its own pages.
  }
#else
  (void)regions;
#endif
}

void PageMapper::stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

}  // namespace vexal

#include "util/page_mapper.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <system_error>

namespace vexal {

void PageMapper::start(std::vector<Region> regions) {
  stop();
  stop_ = false;
#ifdef MADV_POPULATE_WRITE
  auto map = [this, regions = std::move(regions)] {
    constexpr size_t kStep = size_t{1} << 21;
    const uintptr_t page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    for (size_t offset = 0;; offset += kStep) {
      bool more = false;
      for (const Region& r : regions) {
        if (offset >= r.bytes) continue;
        if (stop_.load(std::memory_order_relaxed)) return;
        // Whole pages only: the first and last may be shared with others.
        const uintptr_t at = reinterpret_cast<uintptr_t>(r.start) + offset;
        const uintptr_t from = (at + page - 1) & ~(page - 1);
        const uintptr_t to = (at + std::min(kStep, r.bytes - offset)) & ~(page - 1);
        if (to > from && ::madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE) != 0)
          return;  // not offered here, or no memory: the writer maps its own pages
        more = true;
      }
      if (!more) return;
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

// Mapping a writer's fresh memory ahead of it.
#pragma once

#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace vexal {

// Maps fresh memory ahead of its writer on a second thread: the kernel's
// zeroing of new pages then overlaps the writer's own work instead of
// interrupting it. The regions are filled in turn, 2 MiB at a time; the
// thread ends when they are mapped, when the system cannot do this, or at
// stop() (also on destruction). Nothing is written to the memory itself.
class PageMapper {
 public:
  struct Region {
    void* start;
    size_t bytes;
  };
  PageMapper() = default;
  PageMapper(const PageMapper&) = delete;
  PageMapper& operator=(const PageMapper&) = delete;
  ~PageMapper() { stop(); }

  void start(std::vector<Region> regions);
  void stop();

 private:
  std::thread thread_;
  std::atomic<bool> stop_{false};
};

}  // namespace vexal

// Mapping a writer's fresh memory ahead of it.
#pragma once

#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace vexal {

// Maps memory ahead of a reader and writer on a second thread: fresh memory
// to be written (the kernel's zeroing of new pages then overlaps the
// writer's own work instead of interrupting it), and a mapped file to be
// read (its pages are then found in place). The regions advance together,
// each by its share of about 2 MiB of the largest per step, so that all keep
// ahead of a reader that goes through them at proportional speeds. The
// thread ends when they are mapped, when the system cannot do this, or at
// stop() (also on destruction). Nothing is written to the memory itself.
class PageMapper {
 public:
  struct Region {
    const void* start;
    size_t bytes;
    bool read_only = false;  // a mapped file: mapped for reading
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

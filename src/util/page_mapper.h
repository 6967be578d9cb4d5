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
// ahead of a reader that goes through them at proportional speeds.
//
// The reader tells how far it has got (`reached`, in its own units of which
// the regions hold `units`); the thread works only on steps the reader has
// not entered yet, so that the two never wait on the same pages, and one
// left behind skips to where it is of use again. The thread ends when the
// regions are mapped, when the system cannot do this, or at stop() (also on
// destruction). Nothing is written to the memory itself.
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

  void start(std::vector<Region> regions, size_t units);
  void reached(size_t done) { reached_.store(done, std::memory_order_relaxed); }
  void stop();

 private:
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<size_t> reached_{0};
};

}  // namespace vexal

// Segments joined into polylines: the pieces of a line drawn one grid cell
// at a time become one line through every end they share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "threed/horizon.h"

namespace vexal {

// The segments of one drawing in the order they were added, and the
// polylines they join into. Kept from one drawing to the next (clear) to
// avoid allocations per contour level.
class SegmentJoin {
 public:
  // Forgets the segments and the polylines, keeping their memory.
  void clear();
  // Adds a segment; one whose ends are the same point is dropped.
  void add(PagePoint from, PagePoint to);
  // Segments held, and the ends of the k-th in the order added.
  size_t size() const { return ends_.size() / 2; }
  PagePoint from(size_t k) const { return points_[ends_[2 * k]]; }
  PagePoint to(size_t k) const { return points_[ends_[2 * k + 1]]; }

  // Joins the segments into polylines: each segment lies in exactly one of
  // them, once, between two consecutive points. Ends join only where they
  // are the same point exactly. Polylines start at the points where an odd
  // number of segments end, in the order those points were first added;
  // what is left are closed lines, each started at the first end of the
  // first segment not yet used.
  void join();
  // The polylines of the last join.
  size_t polylines() const { return starts_.empty() ? 0 : starts_.size() - 1; }
  std::span<const PagePoint> polyline(size_t k) const {
    return {line_points_.data() + starts_[k], starts_[k + 1] - starts_[k]};
  }

 private:
  // A slot of the point table: a point's coordinates' bits and its index
  // into points_ (kFree: the slot is free).
  struct Slot {
    uint64_t x = 0, y = 0;
    uint32_t id = kFree;
  };
  static constexpr uint32_t kFree = UINT32_MAX;
  uint32_t point_id(PagePoint p);
  void grow();                 // twice the slots, the points placed again
  bool unused_at(uint32_t p);  // whether a segment at p is left (moving its cursor to it)
  void trace(uint32_t p);      // one polyline from p along unused segments

  std::vector<PagePoint> points_;  // distinct ends, in order of first appearance
  // point -> index into points_: open addressing, at most half full, a
  // power of two of slots (a node per point would cost an allocation each).
  std::vector<Slot> slots_;
  std::vector<uint32_t> ends_;  // two point indices per segment
  // The segments at each point: incident_[first_[p] .. first_[p + 1]), and
  // how far the joining has used them up.
  std::vector<uint32_t> first_, incident_, cursor_;
  std::vector<bool> used_;  // per segment, while joining
  std::vector<PagePoint> line_points_;
  std::vector<size_t> starts_;  // polyline k is line_points_[starts_[k] .. starts_[k + 1])
};

}  // namespace vexal

// Joining segments that share an end into polylines.
#include "threed/segment_join.h"

#include <algorithm>
#include <bit>

namespace vexal {

namespace {

// Where the point with these bits starts its search among 2^bits slots.
size_t slot_of(uint64_t x, uint64_t y, int bits) {
  uint64_t h = x * 0x9E3779B97F4A7C15ull;
  h ^= y + 0x632BE59BD9B4E019ull + (h << 6) + (h >> 2);
  h *= 0xBF58476D1CE4E5B9ull;
  return static_cast<size_t>(h >> (64 - bits));
}

}  // namespace

void SegmentJoin::clear() {
  points_.clear();
  std::fill(slots_.begin(), slots_.end(), Slot{});
  ends_.clear();
  line_points_.clear();
  starts_.clear();
}

void SegmentJoin::grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(std::max<size_t>(64, 2 * old.size()), Slot{});
  const int bits = std::countr_zero(slots_.size());
  const size_t mask = slots_.size() - 1;
  for (const Slot& s : old) {
    if (s.id == kFree) continue;
    size_t i = slot_of(s.x, s.y, bits);
    while (slots_[i].id != kFree) i = (i + 1) & mask;
    slots_[i] = s;
  }
}

uint32_t SegmentJoin::point_id(PagePoint p) {
  if (2 * (points_.size() + 1) > slots_.size()) grow();
  // + 0.0 makes -0 the same key as 0.
  const uint64_t x = std::bit_cast<uint64_t>(p.x + 0.0), y = std::bit_cast<uint64_t>(p.y + 0.0);
  const size_t mask = slots_.size() - 1;
  for (size_t i = slot_of(x, y, std::countr_zero(slots_.size()));; i = (i + 1) & mask) {
    Slot& s = slots_[i];
    if (s.id == kFree) {
      s = {x, y, static_cast<uint32_t>(points_.size())};
      points_.push_back(p);
      return s.id;
    }
    if (s.x == x && s.y == y) return s.id;
  }
}

void SegmentJoin::add(PagePoint from, PagePoint to) {
  if (from.x == to.x && from.y == to.y) return;
  const uint32_t a = point_id(from);
  const uint32_t b = point_id(to);
  ends_.push_back(a);
  ends_.push_back(b);
}

bool SegmentJoin::unused_at(uint32_t p) {
  uint32_t& c = cursor_[p];
  while (c < first_[p + 1] && used_[incident_[c]]) ++c;
  return c < first_[p + 1];
}

void SegmentJoin::trace(uint32_t p) {
  line_points_.push_back(points_[p]);
  while (unused_at(p)) {
    const uint32_t k = incident_[cursor_[p]];
    used_[k] = true;
    p = ends_[2 * k] == p ? ends_[2 * k + 1] : ends_[2 * k];
    line_points_.push_back(points_[p]);
  }
  starts_.push_back(line_points_.size());
}

void SegmentJoin::join() {
  const size_t n = points_.size(), m = size();
  first_.assign(n + 1, 0);
  for (uint32_t e : ends_) ++first_[e + 1];
  for (size_t p = 0; p < n; ++p) first_[p + 1] += first_[p];
  cursor_.assign(first_.begin(), first_.end() - 1);
  incident_.resize(ends_.size());
  for (size_t e = 0; e < ends_.size(); ++e)
    incident_[cursor_[ends_[e]]++] = static_cast<uint32_t>(e / 2);
  cursor_.assign(first_.begin(), first_.end() - 1);
  used_.assign(m, false);
  line_points_.clear();
  starts_.assign(1, 0);
  // Open lines first, from their ends: once every odd point has started one,
  // every point has an even number of segments left, which make closed lines.
  for (uint32_t p = 0; p < n; ++p)
    if ((first_[p + 1] - first_[p]) % 2 == 1 && unused_at(p)) trace(p);
  for (size_t k = 0; k < m; ++k)
    while (!used_[k]) trace(ends_[2 * k]);
}

}  // namespace vexal

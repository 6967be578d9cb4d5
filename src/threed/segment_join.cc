// Joining segments that share an end into polylines.
#include "threed/segment_join.h"

#include <bit>

namespace vexal {

size_t SegmentJoin::KeyHash::operator()(const Key& k) const {
  return std::hash<uint64_t>{}(k.first * 0x9E3779B97F4A7C15ull ^ k.second);
}

void SegmentJoin::clear() {
  points_.clear();
  ids_.clear();
  ends_.clear();
  line_points_.clear();
  starts_.clear();
}

uint32_t SegmentJoin::point_id(PagePoint p) {
  // + 0.0 makes -0 the same key as 0.
  const Key key{std::bit_cast<uint64_t>(p.x + 0.0), std::bit_cast<uint64_t>(p.y + 0.0)};
  const auto [it, added] = ids_.try_emplace(key, static_cast<uint32_t>(points_.size()));
  if (added) points_.push_back(p);
  return it->second;
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

// The gridded array: values on an nx by ny grid, a second array of the same
// shape beside it, the coordinate and spacing lists of each axis, and the
// element loop's current indices. Memory grows with what is loaded.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "util/axis_limits.h"

namespace vexal {

inline constexpr size_t kMaxArrayValues = 80'000'000;   // nx x ny of the array
inline constexpr size_t kMaxArray2Values = 40'000'000;  // nx x ny with a second array
inline constexpr size_t kMaxCoordinates = 5'000'000;    // entries of each coordinate list
inline constexpr double kMissingValue = kUnsetLimit;    // an element without data (-1.0E37)

// An element without data: any value below kUnsetBelow, as for a limit.
inline bool missing_value(double v) { return limit_unset(v); }

struct ArrayGrid {
  int nx = 0, ny = 0, nz = 0;  // MX, MY and the volume's depth
  // Element (i, j), 1 <= i <= nx, 1 <= j <= ny, at (j - 1) x nx + i - 1.
  std::vector<double> values;
  std::vector<double> second;  // the second array (ARRAY2), same layout
  // Coordinate and spacing lists, entry i at i - 1. A list may be shorter
  // than the axis it describes: entries beyond it read 0.
  std::vector<double> x, y, z, dx, dy;
  double fixed_dx = 0, fixed_dy = 0;  // ARRAYDX / ARRAYDY: > 0 replaces the spacing rule
  int ix = 0, iy = 0;                 // the element loop's column and row (IX, IY)

  size_t size() const { return static_cast<size_t>(nx > 0 ? nx : 0) * (ny > 0 ? ny : 0); }
  // Whether element (i, j) of the current shape is held.
  bool holds(size_t i, size_t j) const {
    return i >= 1 && j >= 1 && i <= static_cast<size_t>(nx) && j <= static_cast<size_t>(ny) &&
           (j - 1) * static_cast<size_t>(nx) + i <= values.size();
  }
  double& at(size_t i, size_t j) { return values[(j - 1) * static_cast<size_t>(nx) + i - 1]; }
  double at(size_t i, size_t j) const { return values[(j - 1) * static_cast<size_t>(nx) + i - 1]; }
};

// The coordinate list of an axis (ARRAYX, ARRAYY, VOLUMEZ) and its length
// (nx, ny, nz).
inline std::vector<double>& coordinate_list(ArrayGrid& a, AxisId id) {
  constexpr std::array kLists{&ArrayGrid::x, &ArrayGrid::y, &ArrayGrid::z};
  return a.*kLists[static_cast<size_t>(id)];
}
inline const std::vector<double>& coordinate_list(const ArrayGrid& a, AxisId id) {
  return coordinate_list(const_cast<ArrayGrid&>(a), id);
}
inline int& coordinate_count(ArrayGrid& a, AxisId id) {
  constexpr std::array kCounts{&ArrayGrid::nx, &ArrayGrid::ny, &ArrayGrid::nz};
  return a.*kCounts[static_cast<size_t>(id)];
}
inline int coordinate_count(const ArrayGrid& a, AxisId id) {
  return coordinate_count(const_cast<ArrayGrid&>(a), id);
}

// Entry i (1-based) of a coordinate or spacing list; 0 beyond it.
inline double list_entry(const std::vector<double>& list, size_t i) {
  return i >= 1 && i <= list.size() ? list[i - 1] : 0.0;
}

}  // namespace vexal

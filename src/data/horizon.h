// The hidden-line horizon: for each of 12,000 page-pixel columns the upper
// and lower horizon drawn so far.
#pragma once

#include <vector>

namespace vexal {

inline constexpr int kHorizonColumns = 12000;
inline constexpr int kHorizonEmptyUpper = -999999;  // an empty column hides nothing
inline constexpr int kHorizonEmptyLower = 999999;

// Resetting (CLEARW) is one assignment of a fresh record.
struct Horizon {
  std::vector<int> upper = std::vector<int>(kHorizonColumns, kHorizonEmptyUpper);  // pixel rows
  std::vector<int> lower = std::vector<int>(kHorizonColumns, kHorizonEmptyLower);
};

}  // namespace vexal

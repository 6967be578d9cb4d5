// Page units and conversions of computed values to integers that are
// defined for every double.
#pragma once

#include <cmath>

namespace vexal {

inline constexpr double kDefaultUnitsPerInch = 300;  // document units per inch at start (-p)
inline constexpr double kPointsPerInch = 72;         // PostScript's user space

// v truncated toward zero to an int, held within the int range; NaN gives 0.
inline int to_int(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}

}  // namespace vexal

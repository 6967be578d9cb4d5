// Conversions of computed values to integers that are defined for every
// double.
#pragma once

#include <cmath>

namespace vexal {

// v truncated toward zero to an int, held within the int range; NaN gives 0.
inline int to_int(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}

}  // namespace vexal

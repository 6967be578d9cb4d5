// The data-to-inches mapping of an axis.
#include "axes/fixpoint.h"

#include <algorithm>
#include <cmath>

namespace vexal {

double fixpoint(double v, const Axis& axis, OutBuffer* err) {
  const AxisLimits& a = axis.limits;
  const double length = axis.length;
  if (limit_unset(a.min) || limit_unset(a.max)) {
    if (err) err->line("Error--please set min and max and try again");
    return v;
  }
  double lo = a.minu, hi = a.maxu;
  if (a.log) {
    v = std::log10(std::max(v, 1e-32));
    lo = std::log10(std::max(lo, 1e-32));
    hi = std::log10(std::max(hi, 1e-31));
  }
  double span = hi - lo;
  double pos = span != 0 ? length * (v - lo) / span : 0.0;
  if (a.chop) pos = std::clamp(pos, -0.0001, length + 0.0001);
  return pos;
}

}  // namespace vexal

// The limit rule.
#include "data/minmax.h"

#include <algorithm>
#include <cmath>

namespace vexal {

namespace {
constexpr double kHalfBorder = static_cast<double>(0.1f) * 0.5;  // half the single-precision 0.1
constexpr double kStartHigh = 9.999999933815813e36;              // +1.0e37 in single precision

// The largest and smallest of the values (NaN never wins), in one pass with
// four running pairs so that the comparisons do not wait on each other.
void extremes(std::span<const double> values, double& lo, double& hi) {
  double lo4[4] = {lo, lo, lo, lo}, hi4[4] = {hi, hi, hi, hi};
  size_t i = 0;
  for (; i + 4 <= values.size(); i += 4)
    for (size_t k = 0; k < 4; ++k) {
      double v = values[i + k];
      hi4[k] = v > hi4[k] ? v : hi4[k];
      lo4[k] = v < lo4[k] ? v : lo4[k];
    }
  for (; i < values.size(); ++i) {
    hi4[0] = values[i] > hi4[0] ? values[i] : hi4[0];
    lo4[0] = values[i] < lo4[0] ? values[i] : lo4[0];
  }
  for (size_t k = 0; k < 4; ++k) {
    hi = hi4[k] > hi ? hi4[k] : hi;
    lo = lo4[k] < lo ? lo4[k] : lo;
  }
}

}  // namespace

void minmax(std::span<const double> values, AxisLimits& a, char letter, OutBuffer& err) {
  if (!values.empty() && (limit_unset(a.max) || limit_unset(a.min))) {
    double lo = kStartHigh, hi = kUnsetLimit;
    extremes(values, lo, hi);
    if (limit_unset(a.max)) a.max = hi;
    if (limit_unset(a.min)) a.min = lo;
  }
  a.minu = a.min;
  a.maxu = a.max;
  if (a.border && a.log) {
    double lo = std::log10(std::max(a.min, 1.0e-32));
    double hi = std::log10(std::max(a.max, 1.0e-31));
    double f = std::fabs(hi - lo) * kHalfBorder;
    a.maxu = std::pow(10.0, hi + f);
    a.minu = std::pow(10.0, lo - f);
  } else if (a.border) {
    double e = std::fabs(a.max - a.min) * kHalfBorder;
    a.maxu = a.max + e;
    a.minu = a.min - e;
  }
  if (a.minu >= a.maxu) {
    err.put("Warning--");
    err.put(letter);
    err.put("MAX is equal to ");
    err.put(letter);
    err.line("MIN");
    err.put(letter);
    err.line("MAX and MIN have been redefined");
    a.minu -= 0.5;
    a.maxu = a.minu + 1;
  }
}

}  // namespace vexal

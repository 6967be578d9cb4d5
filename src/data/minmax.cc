// The limit rule.
#include "data/minmax.h"

#include <algorithm>
#include <cmath>

namespace vexal {

namespace {
constexpr double kHalfBorder = static_cast<double>(0.1f) * 0.5;  // half the single-precision 0.1
constexpr double kStartHigh = 9.999999933815813e36;              // +1.0e37 in single precision

// The data limits from the extremes, then the drawing limits.
void apply_limit_rule(size_t count, double lo, double hi, AxisLimits& a, char letter,
                      OutBuffer& err) {
  if (count > 0) {
    if (limit_unset(a.max)) a.max = hi;
    if (limit_unset(a.min)) a.min = lo;
  }
  a.minu = a.min;
  a.maxu = a.max;
  if (a.border && a.log) {
    double low = std::log10(std::max(a.min, 1.0e-32));
    double high = std::log10(std::max(a.max, 1.0e-31));
    double f = std::fabs(high - low) * kHalfBorder;
    a.maxu = std::pow(10.0, high + f);
    a.minu = std::pow(10.0, low - f);
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

}  // namespace

ColumnSummary::ColumnSummary() {
  for (int k = 0; k < 4; ++k) {
    lo[k] = kStartHigh;
    hi[k] = kUnsetLimit;
  }
}

void ColumnSummary::add(const double* values, size_t n) {
  // The lanes in locals: kept in the members, every step would wait on the
  // store of the step before.
  double s[4], l[4], h[4];
  for (size_t k = 0; k < 4; ++k) {
    s[k] = sum[k];
    l[k] = lo[k];
    h[k] = hi[k];
  }
  auto take = [&](size_t k, double v) {
    s[k] += v;
    h[k] = v > h[k] ? v : h[k];
    l[k] = v < l[k] ? v : l[k];
  };
  size_t i = 0;
  // Up to the next multiple of four, then four lanes at a time.
  for (; i < n && (count + i) % 4 != 0; ++i) take((count + i) % 4, values[i]);
  for (; i + 4 <= n; i += 4)
    for (size_t k = 0; k < 4; ++k) take(k, values[i + k]);
  for (; i < n; ++i) take((count + i) % 4, values[i]);
  for (size_t k = 0; k < 4; ++k) {
    sum[k] = s[k];
    lo[k] = l[k];
    hi[k] = h[k];
  }
  count += n;
}

double ColumnSummary::smallest() const {
  double m = kStartHigh;
  for (double v : lo) m = v < m ? v : m;
  return m;
}

double ColumnSummary::largest() const {
  double m = kUnsetLimit;
  for (double v : hi) m = v > m ? v : m;
  return m;
}

void minmax(std::span<const double> values, AxisLimits& a, char letter, OutBuffer& err) {
  ColumnSummary summary;
  if (limit_unset(a.max) || limit_unset(a.min)) summary.add(values.data(), values.size());
  apply_limit_rule(values.size(), summary.smallest(), summary.largest(), a, letter, err);
}

void minmax(const ColumnSummary& values, AxisLimits& a, char letter, OutBuffer& err) {
  apply_limit_rule(values.count, values.smallest(), values.largest(), a, letter, err);
}

void minmax(const ImplicitColumn<double>& column, size_t n, AxisLimits& a, char letter,
            OutBuffer& err) {
  n = std::min(n, column.size());
  if (!column.implicit()) {
    minmax(std::span<const double>(column.data(), n), a, letter, err);
    return;
  }
  // The rule's values run monotonically from the first to the last.
  const double ends[2] = {n ? column[0] : 0.0, n ? column[n - 1] : 0.0};
  ColumnSummary summary;
  summary.add(ends, n == 0 ? 0 : n == 1 ? 1 : 2);
  apply_limit_rule(n, summary.smallest(), summary.largest(), a, letter, err);
}

}  // namespace vexal

// The limit rule.
#include "data/minmax.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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
  size_t i = 0;
  // Up to the next multiple of four, then four lanes at a time.
  for (; i < n && (count + i) % 4 != 0; ++i) add_to((count + i) % 4, values[i]);
  if (i + 4 <= n) {
    // Lanes 0-1 and 2-3 as pairs, in locals: kept in the members, every step
    // would wait on the store of the step before. A pair's comparisons pick
    // per lane exactly what the scalar ones do (NaN never wins).
    using Pair = double __attribute__((vector_size(16)));
    auto load = [](const double* p) {
      Pair v;
      std::memcpy(&v, p, sizeof v);
      return v;
    };
    Pair s0 = load(sum), s1 = load(sum + 2), l0 = load(lo), l1 = load(lo + 2);
    Pair h0 = load(hi), h1 = load(hi + 2);
    for (; i + 4 <= n; i += 4) {
      const Pair a = load(values + i), b = load(values + i + 2);
      s0 += a;
      s1 += b;
      l0 = a < l0 ? a : l0;
      l1 = b < l1 ? b : l1;
      h0 = a > h0 ? a : h0;
      h1 = b > h1 ? b : h1;
    }
    std::memcpy(sum, &s0, sizeof s0);
    std::memcpy(sum + 2, &s1, sizeof s1);
    std::memcpy(lo, &l0, sizeof l0);
    std::memcpy(lo + 2, &l1, sizeof l1);
    std::memcpy(hi, &h0, sizeof h0);
    std::memcpy(hi + 2, &h1, sizeof h1);
  }
  for (; i < n; ++i) add_to((count + i) % 4, values[i]);
  count += n;
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

// The limit rule: the data limits and the drawing limits of one axis derived
// from its values, and the running sums and extremes it starts from.
#pragma once

#include <cstddef>
#include <span>

#include "util/axis_limits.h"
#include "util/column.h"
#include "util/out_buffer.h"

namespace vexal {

// The sum, smallest and largest of a column's values, gathered in four lanes
// (value i goes to lane i mod 4), so that a column added in pieces gives
// exactly the bits of one pass over it. NaN never becomes an extreme.
struct ColumnSummary {
  double sum[4] = {0, 0, 0, 0};
  double lo[4], hi[4];
  size_t count = 0;  // values added

  ColumnSummary();
  // Adds values[0 .. n), the column's values count .. count + n - 1.
  void add(const double* values, size_t n);
  // Adds one value, the column's value count.
  void add(double v) { add_to(count++ % 4, v); }
  // Adds the summary of the values that follow these, gathered on their
  // own from where these end (begun with `count` set to this one's, so that
  // the lanes meet).
  void merge(const ColumnSummary& later) {
    for (size_t k = 0; k < 4; ++k) {
      sum[k] += later.sum[k];
      lo[k] = later.lo[k] < lo[k] ? later.lo[k] : lo[k];
      hi[k] = later.hi[k] > hi[k] ? later.hi[k] : hi[k];
    }
    count = later.count;
  }
  double total() const { return (sum[0] + sum[1]) + (sum[2] + sum[3]); }
  // +1.0e37 (single precision) when nothing smaller was seen.
  double smallest() const {
    const double a = lo[0] < lo[1] ? lo[0] : lo[1], b = lo[2] < lo[3] ? lo[2] : lo[3];
    return a < b ? a : b;
  }
  // -1.0e37 (single precision) when nothing larger was seen.
  double largest() const {
    const double a = hi[0] > hi[1] ? hi[0] : hi[1], b = hi[2] > hi[3] ? hi[2] : hi[3];
    return a > b ? a : b;
  }

 private:
  void add_to(size_t k, double v) {
    sum[k] += v;
    hi[k] = v > hi[k] ? v : hi[k];
    lo[k] = v < lo[k] ? v : lo[k];
  }
};

// Sets the unset data limits of `a` to the extremes of `values` (with no
// values they stay unset), then the drawing limits minu/maxu: the data limits,
// widened by 5 % of the span with the border flag (in decades on a log axis).
// Equal drawing limits become a one-unit span, with the two warning lines for
// the axis `letter` on `err`.
void minmax(std::span<const double> values, AxisLimits& a, char letter, OutBuffer& err);
// The same with the extremes already known (from a summary of the values).
void minmax(const ColumnSummary& values, AxisLimits& a, char letter, OutBuffer& err);
// The same for the first n values of a column that may be implicit (its
// extremes are then those of the rule's ends).
void minmax(const ImplicitColumn<double>& column, size_t n, AxisLimits& a, char letter,
            OutBuffer& err);

}  // namespace vexal

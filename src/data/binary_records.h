// Binary data records: their values in either byte order, and the reader's
// fast path for plain records (those that need nothing but their X and Y or
// Z and the range, logarithm and step checks), taken a block at a time.
#pragma once

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "data/minmax.h"
#include "data/record.h"
#include "util/column.h"

namespace vexal {

// The value at p, a double or a single-precision value, its bytes swapped
// first when `swap`.
inline double swapped_double(const char* p, bool swap) {
  uint64_t bits;
  std::memcpy(&bits, p, 8);
  if (swap) bits = __builtin_bswap64(bits);
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

inline double swapped_single(const char* p, bool swap) {
  uint32_t bits;
  std::memcpy(&bits, p, 4);
  if (swap) bits = __builtin_bswap32(bits);
  float v;
  std::memcpy(&v, &bits, 4);
  return v;
}

// A range bound brought within the finite values, so that a plain
// comparison with it rejects infinities as `accepted` does.
inline double finite_bound(double v) { return std::clamp(v, -DBL_MAX, DBL_MAX); }

// A run of plain binary records: the reader's settings held locally, so that
// the loop keeps them in registers. Records are taken and checked a block at
// a time.
struct PlainRun {
  const char* recs;
  size_t reclen, xo, yo, zo;
  bool swap, z_read;
  double first_record;
  double xmin, xmax, ymin, ymax, zmin, zmax;  // finite (finite_bound)
  double dxmin, dxmax, dymin, dymax;
  bool xneg, yneg, xlog, ylog, zlog, has_previous;
  double px, py;  // the previous point stored

  // The value at `at`, its bytes swapped first when `swapped`.
  template <bool kDoubles>
  static double value(const char* at, bool swapped) {
    return kDoubles ? swapped_double(at, swapped) : swapped_single(at, swapped);
  }

  // Field c (1-based) of record `rec`.
  template <bool kDoubles>
  double field(const char* rec, size_t c) const {
    return value<kDoubles>(rec + (kDoubles ? 8 : 4) * (c - 1), swap);
  }

  // The X, Y and Z values of a block of points, in the columns themselves.
  static constexpr size_t kBlock = 64;
  struct Block {
    double *x, *y, *z;
  };

  // Writes X, Y (and Z into zs when read) of up to `most` records and
  // returns how many of them, from the first, are plain; their X and Y go
  // into the sums.
  template <bool kDoubles>
  size_t store(double* xs, double* ys, double* zs, size_t most, ColumnSummary& xsum,
               ColumnSummary& ysum) {
    const bool swapped = swap;
    const size_t len = reclen, x_at = xo, y_at = yo, z_at = zo;
    size_t k = 0;
    while (k < most) {
      const size_t m = std::min(kBlock, most - k);
      const Block b{xs + k, ys + k, zs ? zs + k : nullptr};
      const char* rec = recs + k * len;
      size_t i = 0;
      if (swapped) {
        for (; i < m; ++i) {
          b.x[i] = value<kDoubles>(rec + i * len + x_at, true);
          b.y[i] = value<kDoubles>(rec + i * len + y_at, true);
        }
      } else if (kDoubles && y_at == x_at + 8) {
        // X and Y side by side: both in one load, two records at a time.
        using Pair = double __attribute__((vector_size(16)));
        for (; i + 2 <= m; i += 2) {
          Pair r0, r1;
          std::memcpy(&r0, rec + i * len + x_at, 16);
          std::memcpy(&r1, rec + (i + 1) * len + x_at, 16);
          const Pair two_x = __builtin_shufflevector(r0, r1, 0, 2);
          const Pair two_y = __builtin_shufflevector(r0, r1, 1, 3);
          std::memcpy(b.x + i, &two_x, 16);
          std::memcpy(b.y + i, &two_y, 16);
        }
      }
      for (; i < m; ++i) {
        b.x[i] = value<kDoubles>(rec + i * len + x_at, false);
        b.y[i] = value<kDoubles>(rec + i * len + y_at, false);
      }
      if (z_read)
        for (size_t i = 0; i < m; ++i) b.z[i] = value<kDoubles>(rec + i * len + z_at, swapped);
      if (xneg)
        for (size_t i = 0; i < m; ++i) b.x[i] = -b.x[i];
      if (yneg)
        for (size_t i = 0; i < m; ++i) b.y[i] = -b.y[i];
      const size_t n =
          m == kBlock && block_plain(b, k, xsum, ysum) ? m : leading_plain(b, k, m, xsum, ysum);
      if (n > 0) {
        px = b.x[n - 1];
        py = b.y[n - 1];
        has_previous = true;
      }
      k += n;
      if (n < m) break;
    }
    return k;
  }

  // Whether point i of the block that starts at point k of the run fails a
  // check.
  bool fails(const Block& b, size_t i, size_t k) const {
    // With finite ranges this rejects NaN and infinities as `accepted` does.
    auto out = [](double v, double lo, double hi) { return !(v >= lo && v <= hi); };
    const double x = b.x[i], y = b.y[i];
    const double z = z_read ? b.z[i] : first_record + static_cast<double>(k + i);
    // The ranges apply before and after negation, as in store_record.
    if (out(x, xmin, xmax) || out(y, ymin, ymax) || out(z, zmin, zmax)) return true;
    if ((xneg && out(-x, xmin, xmax)) || (yneg && out(-y, ymin, ymax))) return true;
    if ((xlog && x <= 0) || (ylog && y <= 0) || (zlog && z <= 0)) return true;
    if (i == 0 && !has_previous) return false;
    const double dx = x - (i ? b.x[i - 1] : px), dy = y - (i ? b.y[i - 1] : py);
    return out(dx, dxmin, dxmax) || out(dy, dymin, dymax);
  }

  // The smallest and largest of values[0 .. kBlock) (NaN never wins), and
  // of their steps values[i] - values[i - 1].
  struct Spread {
    double lo = HUGE_VAL, hi = -HUGE_VAL, step_lo = HUGE_VAL, step_hi = -HUGE_VAL;
  };
  static Spread spread(const double* values) {
    // Four lanes, so that the comparisons do not wait on each other.
    double lo[4], hi[4], slo[4], shi[4];
    for (size_t j = 0; j < 4; ++j) {
      lo[j] = slo[j] = HUGE_VAL;
      hi[j] = shi[j] = -HUGE_VAL;
    }
    for (size_t i = 0; i < kBlock; i += 4)
      for (size_t j = 0; j < 4; ++j) {
        const double v = values[i + j];
        lo[j] = v < lo[j] ? v : lo[j];
        hi[j] = v > hi[j] ? v : hi[j];
      }
    for (size_t i = 4; i < kBlock; i += 4)
      for (size_t j = 0; j < 4; ++j) {
        const double d = values[i + j] - values[i + j - 1];
        slo[j] = d < slo[j] ? d : slo[j];
        shi[j] = d > shi[j] ? d : shi[j];
      }
    for (size_t i = 1; i < 4; ++i) {
      const double d = values[i] - values[i - 1];
      slo[0] = d < slo[0] ? d : slo[0];
      shi[0] = d > shi[0] ? d : shi[0];
    }
    Spread s;
    for (size_t j = 0; j < 4; ++j) {
      s.lo = lo[j] < s.lo ? lo[j] : s.lo;
      s.hi = hi[j] > s.hi ? hi[j] : s.hi;
      s.step_lo = slo[j] < s.step_lo ? slo[j] : s.step_lo;
      s.step_hi = shi[j] > s.step_hi ? shi[j] : s.step_hi;
    }
    return s;
  }

  // True when every point of the full block starting at point k of the run
  // passes, and then the block is added to the read's sums. The first point
  // (and the step into the block) is tested on its own. Then the extremes of
  // everything stored in this read so far, the block included, inside the
  // effective ranges (negation and logarithm folded in) mean every point of
  // the block is, when the sums show no NaN among them (the extremes skip
  // NaN; an infinity lies outside the finite ranges); a spread of values no
  // wider than the step limits allows means no step of the block can break
  // them. Only when that rough test fails are the block's steps worked out.
  bool block_plain(const Block& b, size_t k, ColumnSummary& xsum, ColumnSummary& ysum) const {
    if (fails(b, 0, k)) return false;
    ColumnSummary x = xsum, y = ysum;
    x.add(b.x, kBlock);
    y.add(b.y, kBlock);
    if (std::isnan(x.total() + y.total())) return false;
    auto inside = [](const ColumnSummary& c, double lo, double hi, bool neg, bool log) {
      if (neg) {  // the value and its negation both inside
        const double l = lo, h = hi;
        lo = std::max(l, -h);
        hi = std::min(h, -l);
      }
      const double smallest = c.smallest();
      return smallest >= lo && c.largest() <= hi && (!log || smallest > 0);
    };
    if (!inside(x, xmin, xmax, xneg, xlog) || !inside(y, ymin, ymax, yneg, ylog)) return false;
    auto steps_fit = [](const ColumnSummary& c, const double* values, double lo, double hi) {
      const double width = c.largest() - c.smallest();
      if (width <= hi && -width >= lo) return true;
      const Spread s = spread(values);
      return s.step_lo >= lo && s.step_hi <= hi;
    };
    if (!steps_fit(x, b.x, dxmin, dxmax) || !steps_fit(y, b.y, dymin, dymax)) return false;
    if (z_read) {
      const Spread z = spread(b.z);
      double nonfinite = 0;  // v - v is 0 for a finite v, NaN otherwise
      for (size_t i = 0; i < kBlock; ++i) nonfinite += b.z[i] - b.z[i];
      if (!(z.lo >= zmin && z.hi <= zmax && (!zlog || z.lo > 0) && nonfinite == 0)) return false;
    } else {
      const double first = first_record + static_cast<double>(k);
      const double last = first + static_cast<double>(kBlock - 1);
      if (!(first >= zmin && last <= zmax && (!zlog || first > 0))) return false;
    }
    xsum = x;
    ysum = y;
    return true;
  }

  // How many of the first m points of the block pass every check, point by
  // point; their X and Y go into the sums.
  size_t leading_plain(const Block& b, size_t k, size_t m, ColumnSummary& xsum,
                       ColumnSummary& ysum) const {
    size_t i = 0;
    while (i < m && !fails(b, i, k)) ++i;
    xsum.add(b.x, i);
    ysum.add(b.y, i);
    return i;
  }
};

// The fields of record `rec` into fields[1 .. n].
inline void read_fields(const PlainRun& run, const char* rec, int n, bool doubles, double* fields) {
  for (int c = 1; c <= n; ++c)
    fields[c] = doubles ? run.field<true>(rec, static_cast<size_t>(c))
                        : run.field<false>(rec, static_cast<size_t>(c));
}

}  // namespace vexal

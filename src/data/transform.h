// Transformations of the stored points on plain columns: sorting, smoothing,
// differentiation, the Fourier transform, binning, polynomial fits and the
// cubic spline. No session here; the commands in transform_commands.cc read
// their settings and write the results.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <span>
#include <string>
#include <vector>

#include "data/point_store.h"
#include "util/out_buffer.h"

namespace vexal {

inline constexpr int kMaxFitOrder = 9;           // FITPOLY clamps its order to 0 .. 9
inline constexpr int kMaxFftExponent = 24;       // 2^24: the largest power of two within NP
inline constexpr float kFftTwoPi = 6.283185f;    // the transform's angle unit, as typed
inline constexpr double kHanningPi = 3.1415927;  // the window's pi, as typed
inline constexpr double kBinLowStart = 1.0000000150474662e32;  // 1.0E32 in single precision

// The settings of the transformations (the main program's switches).
struct TransformSettings {
  bool xsort = false, ysort = false;   // DOSORT key: X first, then Y
  int xsmooth = 0, ysmooth = 0;        // smoothing passes of DOSMOOTH
  int nfft = 0, nfftu = 0;             // transform length 2^nfftu
  bool hanning = false;                // FFT runs DOHANNING
  int iorder = 0;                      // order of the last FITPOLY
  std::array<double, 11> coef{};       // fitted coefficients, constant term first
  double boxw = 30;                    // DOBOX box width, device units
  std::string equation_y, equation_x;  // TEXT lines of FITLINE's equation
};

enum class SortKey { kX, kY };

// Sorts the points ascending by X or Y, keeping the order of equal keys;
// the other of X/Y, the pen and the symbol code move with the key, Z, V and
// the colour stay in place. NaN keys go last.
void bsort(PointStore& st, SortKey key);

// DOSORT: bsort by X when xsort is set, else by Y when ysort is set; with
// `verbose` the count (7 wide) and " points sorted." on `term`.
void dosort(const TransformSettings& t, PointStore& st, bool verbose, OutBuffer& term);

// `passes` three-point smoothing passes over v[0 .. n) (ends weighted 2:1).
void smooth(double* v, size_t n, int passes);

// DOSMOOTH: the X passes, then the Y passes, each only with 5 points or
// more; with `verbose` a progress line per pass, ended by a carriage return.
void dosmooth(const TransformSettings& t, PointStore& st, bool verbose, OutBuffer& term);

// DODERIV: Y (and Z) become dY/dX by central differences, one-sided at the
// ends. False (nothing changed) with fewer than 3 points.
bool deriv(PointStore& st);

// NFFT n: sets nfftu = round(log2 n) and nfft = 2^nfftu (0 when nfftu > 31,
// nfftu 0 for n below 1 or not a number). False when 2^nfftu exceeds `np`:
// then the largest power of two not above np is used instead.
bool set_nfft(TransformSettings& t, double n, int np = kMaxPoints);

// LOADFFT: Y the real part and Z the imaginary part of nfft points; fewer
// points are centred among zeros with X rebuilt from their spacing.
void loadfft(PointStore& st, int nfft);

// DOHANNING: y[i] *= sin(i / nfft x pi) for i < nfft (and i < y's size).
void hanning(double* y, size_t size, int nfft);

// Forward radix-2 transform of (re, im) in place, n = 2^log2n points, no
// normalisation; the twiddle angles accumulate in single precision.
void fft(double* re, double* im, int log2n);

// Bin edges of a list of centres and widths, and how to find a value's bins:
// bin k holds x when c(k) - w(k)/2 < x <= c(k) + w(k)/2. Whatever the layout,
// the bins holding x are found in about log(bins) plus their number steps.
class BinEdges {
 public:
  // The centres and widths are read where they are, not copied: they must
  // outlive the edges.
  BinEdges(std::span<const double> centres, std::span<const double> widths);
  size_t size() const { return centre_.size(); }
  // True when no value can fall in two bins (then `find` is exact).
  bool disjoint() const { return disjoint_; }
  // The one bin holding x, or -1; only when disjoint().
  long find(double x) const;
  // Hints that x is looked up soon: starts reading the edges `each` will
  // need, and returns a bin near x's (0 without a guess) so that the caller
  // can start reading its own data of that bin: a loop over many points
  // then waits less for memory.
  size_t prefetch(double x) const {
    if (ascending_ && size() > 0) {
      const size_t k = guess(x);
      __builtin_prefetch(&centre_[k]);
      if (!one_width_) __builtin_prefetch(&width_[k]);
      return k;
    }
    return 0;
  }
  // Calls f(k) for every bin k holding x, in ascending k: exactly the bins
  // the test above accepts, also where rounding makes neighbours overlap.
  template <class F>
  void each(double x, F&& f) const {
    if (ascending_) {
      // Upper edges ascend too, so the holders are the run of bins before
      // `end` whose upper edges still reach x.
      const size_t end = below(x);
      size_t k = end;
      while (k > 0 && x <= hi(k - 1)) --k;
      for (; k < end; ++k) f(k);
      return;
    }
    // The tree finds the holders in its own order; they are handed on in
    // ascending k from a buffer on the stack (the heap only past 64 holders).
    std::array<std::byte, 64 * sizeof(uint32_t)> room;
    std::pmr::monotonic_buffer_resource arena(room.data(), room.size());
    std::pmr::vector<uint32_t> hits(&arena);
    hits.reserve(64);
    stab(x, hits);
    std::sort(hits.begin(), hits.end());
    for (uint32_t k : hits) f(static_cast<size_t>(k));
  }

 private:
  // A node of the interval tree: the bins holding `centre`, listed in
  // by_lo_ and by_hi_ at [begin, end), and the trees of the bins wholly
  // below and wholly above it (-1 for none).
  struct Node {
    double centre;
    uint32_t begin, end;
    int32_t below, above;
  };

  // Bins of one width (as DEFINEBIN makes them) read no width per bin.
  double half(size_t k) const { return one_width_ ? half_ : width_[k] / 2; }
  double lo(size_t k) const { return centre_[k] - half(k); }
  double hi(size_t k) const { return centre_[k] + half(k); }
  // A bin whose lower edge is near x by the spacing of the finite lower
  // edges (x's own for evenly spaced bins); only when ascending_ and size() > 0.
  size_t guess(double x) const {
    const double k = first_ + (x - base_) * scale_;
    return k > 0 ? static_cast<size_t>(std::min(k, last_)) : 0;
  }
  // The number of leading bins whose lower edge is below x; only when ascending_.
  size_t below(double x) const;
  // Builds the tree of `bins` (reordering them) and returns its node, -1 when empty.
  int32_t build(std::span<uint32_t> bins);
  // Appends every bin holding x, in no particular order; only when !ascending_.
  void stab(double x, std::pmr::vector<uint32_t>& hits) const;

  std::span<const double> centre_, width_;  // of bin k, 0 .. size() - 1
  bool one_width_ = false;                  // every width is width_[0]
  double half_ = 0;                         // width_[0] / 2
  bool disjoint_ = false;
  bool ascending_ = false;  // lower and upper edges both ascend in k, none NaN
  // With ascending_: `guess` is bin first_ + (x - base_) x scale_, at most last_.
  double first_ = 0, base_ = 0, scale_ = 0, last_ = 0;
  // Without ascending_: the tree of the bins that can hold anything, root at 0.
  std::vector<Node> nodes_;
  std::vector<uint32_t> by_lo_, by_hi_;  // each node's bins by lower edge up, upper edge down
};

// The totals of each bin: count, sum and sum of squared differences from the mean.
struct BinTotals {
  std::vector<double> count, sum, squares;
  double mean(size_t k) const { return count[k] > 0 ? sum[k] / count[k] : 0.0; }
  // Sample standard deviation, 0 with fewer than 2 values.
  double deviation(size_t k) const;
};

// Bins the values v[j] by key[j] (n points). `squares` is filled only when
// asked; with `v` null only the counts are (`sum` and `squares` stay empty).
BinTotals bin_values(const BinEdges& edges, const double* key, const double* v, size_t n,
                     bool squares);

// Bins v[j] by (x[j], y[j]) into the cells of two edge lists, cell (i, k) at
// k x nx + i. `squares` is filled only when asked.
BinTotals bin_cells(const BinEdges& xe, const BinEdges& ye, const double* x, const double* y,
                    const double* v, size_t n, bool squares);

// Least-squares polynomial of order m (0 .. 10) of y on x: coef[0 .. m],
// constant term first. False (coef untouched) with fewer points than
// coefficients or a singular system.
bool fit_poly(const double* x, const double* y, size_t n, int m, double* coef);

// sqrt(sum of (p(x) - y)^2) / n for the polynomial coef[0 .. m].
double fit_residual(const double* x, const double* y, size_t n, int m, const double* coef);

// Second derivatives of the cubic spline through (x, y), n > 3 points sorted
// by x, ends copying their neighbours.
std::vector<double> spline_second(const double* x, const double* y, size_t n);

// The spline's value at t.
double spline_at(const double* x, const double* y, const double* s2, size_t n, double t);

}  // namespace vexal

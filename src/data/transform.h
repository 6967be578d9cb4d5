// Transformations of the stored points on plain columns: sorting, smoothing,
// differentiation, the Fourier transform, binning, polynomial fits and the
// cubic spline. No session here; the commands in transform_commands.cc read
// their settings and write the results.
#pragma once

#include <array>
#include <cstddef>
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
// bin k holds x when c(k) - w(k)/2 < x <= c(k) + w(k)/2.
class BinEdges {
 public:
  BinEdges(std::span<const double> centres, std::span<const double> widths);
  size_t size() const { return lo_.size(); }
  // True when no value can fall in two bins (then `find` is exact).
  bool disjoint() const { return disjoint_; }
  // The one bin holding x, or -1; only when disjoint().
  long find(double x) const;
  // Calls f(k) for every bin holding x (each bin tested when not disjoint).
  template <class F>
  void each(double x, F&& f) const {
    if (disjoint_) {
      const long k = find(x);
      if (k >= 0) f(static_cast<size_t>(k));
      return;
    }
    for (size_t k = 0; k < lo_.size(); ++k)
      if (lo_[k] < x && x <= hi_[k]) f(k);
  }

 private:
  std::vector<double> lo_, hi_;
  bool disjoint_ = false;
};

// The totals of each bin: count, sum and sum of squared differences from the mean.
struct BinTotals {
  std::vector<double> count, sum, squares;
  double mean(size_t k) const { return count[k] > 0 ? sum[k] / count[k] : 0.0; }
  // Sample standard deviation, 0 with fewer than 2 values.
  double deviation(size_t k) const;
};

// Bins the values v[j] by key[j] (n points). `squares` is filled only when asked.
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

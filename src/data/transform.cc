// Transformations of the stored points on plain columns.
#include "data/transform.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

namespace vexal {

namespace {

// Orders keys ascending with NaN after every number (equal to each other).
inline bool key_less(double a, double b) { return std::isnan(b) ? !std::isnan(a) : a < b; }

// True when the column holds one value for every point (nothing to move).
bool constant_column(const ImplicitColumn<int32_t>& c) {
  return c.implicit() && (c.size() < 2 || c[0] == c[1]);
}

// Replaces a column's values by v[0 .. n).
void set_values(ImplicitColumn<double>& c, const double* v, size_t n) {
  c.clear();
  if (n) std::memcpy(c.extend_values(n), v, n * sizeof(double));
}

}  // namespace

// ---- sorting and smoothing ----------------------------------------------------

void bsort(PointStore& st, SortKey key) {
  const size_t n = static_cast<size_t>(st.npts());
  if (n < 2) return;
  double* keys = key == SortKey::kX ? st.x.data() : st.y.data();
  double* other = key == SortKey::kX ? st.y.data() : st.x.data();
  if (constant_column(st.pen) && constant_column(st.symbol)) {
    // Nothing but the two columns moves: sort the pairs themselves.
    struct Pair {
      double key, other;
    };
    std::vector<Pair> pairs(n);
    for (size_t i = 0; i < n; ++i) pairs[i] = {keys[i], other[i]};
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const Pair& a, const Pair& b) { return key_less(a.key, b.key); });
    for (size_t i = 0; i < n; ++i) {
      keys[i] = pairs[i].key;
      other[i] = pairs[i].other;
    }
    return;
  }
  struct Entry {
    double key, other;
    size_t from;
  };
  std::vector<Entry> entries(n);
  for (size_t i = 0; i < n; ++i) entries[i] = {keys[i], other[i], i};
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return key_less(a.key, b.key); });
  std::vector<size_t> order(n);
  for (size_t i = 0; i < n; ++i) {
    keys[i] = entries[i].key;
    other[i] = entries[i].other;
    order[i] = entries[i].from;
  }
  entries = {};
  st.pen.permute(order);
  st.symbol.permute(order);
}

void dosort(const TransformSettings& t, PointStore& st, bool verbose, OutBuffer& term) {
  if (!t.xsort && !t.ysort) return;
  bsort(st, t.xsort ? SortKey::kX : SortKey::kY);
  if (verbose) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%7d points sorted.", st.npts());
    term.line(buf);
  }
}

void smooth(double* v, size_t n, int passes) {
  if (n < 2) return;
  for (int pass = 0; pass < passes; ++pass) {
    double before = v[0];  // the previous value as it was before this pass
    v[0] = (2 * v[0] + v[1]) / 3;
    for (size_t i = 1; i + 1 < n; ++i) {
      const double here = v[i];
      v[i] = (before + 2 * here + v[i + 1]) / 4;
      before = here;
    }
    v[n - 1] = (2 * v[n - 1] + before) / 3;
  }
}

void dosmooth(const TransformSettings& t, PointStore& st, bool verbose, OutBuffer& term) {
  const int n = st.npts();
  if (n < 5) return;
  for (auto [column, passes] : {std::pair{&st.x, t.xsmooth}, std::pair{&st.y, t.ysmooth}}) {
    for (int pass = 1; pass <= passes; ++pass) {
      smooth(column->data(), static_cast<size_t>(n), 1);
      if (verbose) {
        char buf[48];
        std::snprintf(buf, sizeof buf, "%7d points smoothed:%4d\r", n, pass);
        term.put(buf);
      }
    }
  }
}

bool deriv(PointStore& st) {
  const size_t n = static_cast<size_t>(st.npts());
  if (n < 3) return false;
  const double* x = st.x.data();
  double* y = st.y.data();
  std::vector<double> d(n);
  d[0] = (y[1] - y[0]) / (x[1] - x[0]);
  for (size_t i = 1; i + 1 < n; ++i) d[i] = (y[i + 1] - y[i - 1]) / (x[i + 1] - x[i - 1]);
  d[n - 1] = (y[n - 1] - y[n - 2]) / (x[n - 1] - x[n - 2]);
  std::copy(d.begin(), d.end(), y);
  set_values(st.z, d.data(), n);
  return true;
}

// ---- Fourier transform ----------------------------------------------------------

bool set_nfft(TransformSettings& t, double n, int np) {
  int u =
      n >= 1 ? static_cast<int>(std::lround(std::min(std::log10(n) / std::log10(2.0), 1e6))) : 0;
  t.nfftu = u;
  t.nfft = u > 31 ? 0 : static_cast<int>(std::min<int64_t>(int64_t{1} << u, INT32_MAX));
  if (u <= 31 && (int64_t{1} << u) <= np) return true;
  u = 0;
  while ((int64_t{2} << u) <= np) ++u;
  t.nfftu = u;
  t.nfft = 1 << u;
  return false;
}

void loadfft(PointStore& st, int nfft) {
  const size_t n = static_cast<size_t>(st.npts());
  const size_t m = static_cast<size_t>(std::max(nfft, 0));
  if (n < m) {
    // A single point has no spacing; it then stands at unit steps.
    const double dt = n >= 2 ? (st.x[n - 1] - st.x[0]) / static_cast<double>(n - 1) : 1.0;
    const size_t lead = (m - n) / 2;
    std::vector<double> y(m, 0.0);
    std::copy(st.y.begin(), st.y.end(), y.begin() + static_cast<std::ptrdiff_t>(lead));
    st.resize(static_cast<int>(m));
    for (size_t i = 0; i < m; ++i) st.x[i] = static_cast<double>(i) * dt;
    std::copy(y.begin(), y.end(), st.y.begin());
    st.z.clear();
    st.z.resize(m, 0.0);
    return;
  }
  if (m == n) {
    st.z.clear();
    st.z.resize(m, 0.0);
    return;
  }
  for (size_t i = 0; i < m; ++i) st.z.set(i, 0.0);
}

void hanning(double* y, size_t size, int nfft) {
  const size_t m = std::min(size, static_cast<size_t>(std::max(nfft, 0)));
  for (size_t i = 0; i < m; ++i) y[i] *= std::sin(static_cast<double>(i) / nfft * kHanningPi);
}

void fft(double* re, double* im, int log2n) {
  const size_t n = size_t{1} << log2n;
  for (size_t i = 0, j = 0; i < n; ++i) {  // bit-reversed order
    if (i < j) {
      std::swap(re[i], re[j]);
      std::swap(im[i], im[j]);
    }
    size_t bit = n >> 1;
    while (bit && (j & bit)) {
      j ^= bit;
      bit >>= 1;
    }
    j |= bit;
  }
  // One stage's twiddles, computed once per stage rather than per block,
  // from the same single-precision angle sums the plain loop would form.
  std::vector<double> cw(n / 2 + 1), sw(n / 2 + 1);
  for (int s = 1; s <= log2n; ++s) {
    const size_t len = size_t{1} << s, half = len / 2;
    const float step = kFftTwoPi / static_cast<float>(len);
    float angle = 0;
    for (size_t j = 0; j < half; ++j) {
      cw[j] = std::cos(static_cast<double>(angle));
      sw[j] = std::sin(static_cast<double>(angle));
      angle += step;
    }
    for (size_t k = 0; k < n; k += len) {
      double* ur = re + k;
      double* ui = im + k;
      double* lr = ur + half;
      double* li = ui + half;
      for (size_t j = 0; j < half; ++j) {
        const double u = cw[j] * lr[j] + sw[j] * li[j];
        const double v = cw[j] * li[j] - sw[j] * lr[j];
        lr[j] = ur[j] - u;
        li[j] = ui[j] - v;
        ur[j] += u;
        ui[j] += v;
      }
    }
  }
}

// ---- binning ----------------------------------------------------------------------

BinEdges::BinEdges(std::span<const double> centres, std::span<const double> widths) {
  const size_t m = std::min(centres.size(), widths.size());
  centre_ = centres.first(m);
  width_ = widths.first(m);
  if (m > 0) {
    half_ = width_[0] / 2;
    one_width_ =
        std::all_of(width_.begin(), width_.end(), [&](double w) { return w == width_[0]; });
  }
  disjoint_ = true;
  ascending_ = true;
  double lower = 0, upper = 0;  // the previous bin's edges
  for (size_t k = 0; k < m; ++k) {
    const double l = lo(k), h = hi(k);
    if (!(width_[k] >= 0) || !std::isfinite(l) || !std::isfinite(h)) disjoint_ = false;
    if (std::isnan(l) || std::isnan(h)) ascending_ = false;
    if (k > 0 && !(upper <= l)) disjoint_ = false;
    if (k > 0 && !(lower <= l && upper <= h)) ascending_ = false;
    lower = l;
    upper = h;
  }
  if (ascending_) {
    // The spacing of the finite lower edges, from which `below` starts.
    size_t first = 0, last = m;
    while (first < m && !std::isfinite(lo(first))) ++first;
    while (last > first && !std::isfinite(lo(last - 1))) --last;
    last_ = m > 0 ? static_cast<double>(m - 1) : 0;
    if (last - first < 2) return;
    const double scale = static_cast<double>(last - first - 1) / (lo(last - 1) - lo(first));
    if (!std::isfinite(scale)) return;
    first_ = static_cast<double>(first);
    base_ = lo(first);
    scale_ = scale;
    return;
  }
  // Bins with no room between their edges (or a NaN edge) hold nothing.
  std::vector<uint32_t> live;
  for (size_t k = 0; k < m; ++k)
    if (lo(k) < hi(k)) live.push_back(static_cast<uint32_t>(k));
  by_lo_.reserve(live.size());
  by_hi_.reserve(live.size());
  build(live);
}

size_t BinEdges::below(double x) const {
  const size_t m = size();
  if (m == 0 || !(lo(0) < x)) return 0;  // also for NaN
  // Between `under`, whose lower edge is below x, and `over`, whose lower
  // edge is not (or m): from the guess, steps doubling until they bracket
  // x, then halving. Evenly spaced bins take one step.
  size_t under = guess(x), over = m, step = 1;
  if (lo(under) < x) {
    for (; under + step < m && lo(under + step) < x; step *= 2) under += step;
    over = std::min(under + step, m);
  } else {
    for (over = under; over >= step && !(lo(over - step) < x); step *= 2) over -= step;
    under = over >= step ? over - step : 0;
  }
  while (over - under > 1) {
    const size_t mid = under + (over - under) / 2;
    (lo(mid) < x ? under : over) = mid;
  }
  return over;
}

long BinEdges::find(double x) const {
  // Any earlier bin ends at or before the lower edge of this one.
  const size_t end = below(x);
  return end > 0 && x <= hi(end - 1) ? static_cast<long>(end - 1) : -1;
}

int32_t BinEdges::build(std::span<uint32_t> bins) {
  if (bins.empty()) return -1;
  // The median upper edge as the centre: its own bin holds it, and at most
  // half the bins lie wholly below it and at most half wholly above, so the
  // tree is about log2(bins) deep.
  const auto mid = bins.begin() + static_cast<std::ptrdiff_t>(bins.size() / 2);
  std::nth_element(bins.begin(), mid, bins.end(),
                   [&](uint32_t a, uint32_t b) { return hi(a) < hi(b); });
  const double centre = hi(*mid);
  const auto lower =
      std::partition(bins.begin(), bins.end(), [&](uint32_t k) { return hi(k) < centre; });
  const auto upper = std::partition(lower, bins.end(), [&](uint32_t k) { return lo(k) >= centre; });
  const auto begin = static_cast<std::ptrdiff_t>(by_lo_.size());
  by_lo_.insert(by_lo_.end(), upper, bins.end());
  by_hi_.insert(by_hi_.end(), upper, bins.end());
  std::sort(by_lo_.begin() + begin, by_lo_.end(),
            [&](uint32_t a, uint32_t b) { return lo(a) < lo(b); });
  std::sort(by_hi_.begin() + begin, by_hi_.end(),
            [&](uint32_t a, uint32_t b) { return hi(a) > hi(b); });
  const auto id = static_cast<int32_t>(nodes_.size());
  nodes_.push_back(
      {centre, static_cast<uint32_t>(begin), static_cast<uint32_t>(by_lo_.size()), -1, -1});
  const int32_t below = build({bins.begin(), lower});
  const int32_t above = build({lower, upper});
  nodes_[static_cast<size_t>(id)].below = below;
  nodes_[static_cast<size_t>(id)].above = above;
  return id;
}

void BinEdges::stab(double x, std::pmr::vector<uint32_t>& hits) const {
  if (std::isnan(x) || nodes_.empty()) return;
  for (int32_t id = 0; id >= 0;) {
    const Node& n = nodes_[static_cast<size_t>(id)];
    if (x < n.centre) {
      // Every bin here reaches above x: those starting below x hold it.
      for (uint32_t i = n.begin; i < n.end && lo(by_lo_[i]) < x; ++i) hits.push_back(by_lo_[i]);
      id = n.below;
    } else if (x > n.centre) {
      // Every bin here starts below x: those reaching x hold it.
      for (uint32_t i = n.begin; i < n.end && x <= hi(by_hi_[i]); ++i) hits.push_back(by_hi_[i]);
      id = n.above;
    } else {
      // All bins here hold x; those wholly below or above cannot.
      hits.insert(hits.end(), by_lo_.begin() + n.begin, by_lo_.begin() + n.end);
      id = -1;
    }
  }
}

double BinTotals::deviation(size_t k) const {
  return count[k] >= 2 ? std::sqrt(squares[k] / (count[k] - 1)) : 0.0;
}

namespace {

// How many points ahead the binning loops start reading the edges and
// totals they will need: about what covers a memory access when each
// point's bin lies elsewhere.
constexpr size_t kLookAhead = 16;

BinTotals empty_totals(size_t m, bool squares) {
  BinTotals t;
  t.count.assign(m, 0.0);
  t.sum.assign(m, 0.0);
  if (squares) t.squares.assign(m, 0.0);
  return t;
}

std::vector<double> means(const BinTotals& t) {
  std::vector<double> mean(t.count.size());
  for (size_t k = 0; k < mean.size(); ++k) mean[k] = t.mean(k);
  return mean;
}

}  // namespace

BinTotals bin_values(const BinEdges& edges, const double* key, const double* v, size_t n,
                     bool squares) {
  if (!v) {  // counts alone: half the scattered writes
    BinTotals t;
    t.count.assign(edges.size(), 0.0);
    double* count = t.count.data();
    for (size_t j = 0; j < n; ++j) {
      if (j + kLookAhead < n) __builtin_prefetch(count + edges.prefetch(key[j + kLookAhead]), 1);
      edges.each(key[j], [&](size_t k) { count[k] += 1; });
    }
    return t;
  }
  BinTotals t = empty_totals(edges.size(), squares);
  double* count = t.count.data();
  double* sum = t.sum.data();
  for (size_t j = 0; j < n; ++j) {
    if (j + kLookAhead < n) {
      const size_t k = edges.prefetch(key[j + kLookAhead]);
      __builtin_prefetch(count + k, 1);
      __builtin_prefetch(sum + k, 1);
    }
    edges.each(key[j], [&](size_t k) {
      count[k] += 1;
      sum[k] += v[j];
    });
  }
  if (squares) {
    const std::vector<double> mean = means(t);
    double* sq = t.squares.data();
    for (size_t j = 0; j < n; ++j) {
      if (j + kLookAhead < n) {
        const size_t k = edges.prefetch(key[j + kLookAhead]);
        __builtin_prefetch(mean.data() + k);
        __builtin_prefetch(sq + k, 1);
      }
      edges.each(key[j], [&](size_t k) {
        const double d = v[j] - mean[k];
        sq[k] += d * d;
      });
    }
  }
  return t;
}

BinTotals bin_cells(const BinEdges& xe, const BinEdges& ye, const double* x, const double* y,
                    const double* v, size_t n, bool squares) {
  const size_t nx = xe.size();
  BinTotals t = empty_totals(nx * ye.size(), squares);
  std::vector<double> mean;
  auto pass = [&](auto&& add) {
    for (size_t j = 0; j < n; ++j) {
      if (j + kLookAhead < n) {
        xe.prefetch(x[j + kLookAhead]);
        ye.prefetch(y[j + kLookAhead]);
      }
      if (xe.disjoint() && ye.disjoint()) {
        const long i = xe.find(x[j]);
        if (i < 0) continue;
        const long k = ye.find(y[j]);
        if (k >= 0) add(static_cast<size_t>(k) * nx + static_cast<size_t>(i), j);
        continue;
      }
      xe.each(x[j], [&](size_t i) { ye.each(y[j], [&](size_t k) { add(k * nx + i, j); }); });
    }
  };
  pass([&](size_t cell, size_t j) {
    t.count[cell] += 1;
    t.sum[cell] += v[j];
  });
  if (squares) {
    mean = means(t);
    pass([&](size_t cell, size_t j) {
      const double d = v[j] - mean[cell];
      t.squares[cell] += d * d;
    });
  }
  return t;
}

// ---- fits ---------------------------------------------------------------------------

bool fit_poly(const double* x, const double* y, size_t n, int m, double* coef) {
  if (m < 0 || m > 10 || n < static_cast<size_t>(m) + 1) return false;
  const size_t k = static_cast<size_t>(m) + 1;
  // The normal equations: a[r][c] = sum x^(r+c), b[r] = sum y x^r.
  double powers[21] = {};
  double b[11] = {};
  for (size_t j = 0; j < n; ++j) {
    double p = 1;
    for (size_t e = 0; e < 2 * k - 1; ++e) {
      powers[e] += p;
      if (e < k) b[e] += y[j] * p;
      p *= x[j];
    }
  }
  double a[11][12];
  double scale = 0;
  for (size_t r = 0; r < k; ++r) {
    for (size_t c = 0; c < k; ++c) {
      a[r][c] = powers[r + c];
      scale = std::max(scale, std::fabs(a[r][c]));
    }
    a[r][k] = b[r];
  }
  // Gaussian elimination with the largest pivot of each column.
  for (size_t c = 0; c < k; ++c) {
    size_t pivot = c;
    for (size_t r = c + 1; r < k; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
    if (!(std::fabs(a[pivot][c]) > scale * 1e-14)) return false;
    if (pivot != c) std::swap(a[pivot], a[c]);
    for (size_t r = c + 1; r < k; ++r) {
      const double f = a[r][c] / a[c][c];
      for (size_t e = c; e <= k; ++e) a[r][e] -= f * a[c][e];
    }
  }
  double solved[11];
  for (size_t r = k; r-- > 0;) {
    double v = a[r][k];
    for (size_t c = r + 1; c < k; ++c) v -= a[r][c] * solved[c];
    solved[r] = v / a[r][r];
    if (!std::isfinite(solved[r])) return false;
  }
  std::copy(solved, solved + k, coef);
  return true;
}

double fit_residual(const double* x, const double* y, size_t n, int m, const double* coef) {
  if (n == 0) return 0;
  double total = 0;
  for (size_t j = 0; j < n; ++j) {
    double p = 0;
    for (int e = m; e >= 0; --e) p = p * x[j] + coef[e];
    total += (p - y[j]) * (p - y[j]);
  }
  return std::sqrt(total) / static_cast<double>(n);
}

// ---- cubic spline ---------------------------------------------------------------------

std::vector<double> spline_second(const double* x, const double* y, size_t n) {
  std::vector<double> s(n, 0.0);
  if (n < 4) return s;
  // Rows 2 .. n-1 (indices 1 .. n-2) of the tridiagonal system, with
  // S(1) = S(2) and S(n) = S(n-1) folded into the first and last rows.
  const size_t rows = n - 2;
  std::vector<double> diag(rows), upper(rows), rhs(rows);
  for (size_t r = 0; r < rows; ++r) {
    const size_t i = r + 1;
    const double h0 = x[i] - x[i - 1], h1 = x[i + 1] - x[i];
    diag[r] = 2 * (h0 + h1);
    upper[r] = h1;
    rhs[r] = 6 * ((y[i + 1] - y[i]) / h1 - (y[i] - y[i - 1]) / h0);
    if (r == 0) diag[r] += h0;
    if (r == rows - 1) diag[r] += h1;
  }
  // Forward elimination; the lower diagonal of row r is the h0 of row r.
  for (size_t r = 1; r < rows; ++r) {
    const double lower = x[r + 1] - x[r];
    const double f = lower / diag[r - 1];
    diag[r] -= f * upper[r - 1];
    rhs[r] -= f * rhs[r - 1];
  }
  s[rows] = rhs[rows - 1] / diag[rows - 1];
  for (size_t r = rows - 1; r-- > 0;) s[r + 1] = (rhs[r] - upper[r] * s[r + 2]) / diag[r];
  s[0] = s[1];
  s[n - 1] = s[n - 2];
  return s;
}

double spline_at(const double* x, const double* y, const double* s2, size_t n, double t) {
  size_t j;  // 0-based interval start
  if (t <= x[1])
    j = 0;
  else if (t >= x[n - 2])
    j = n - 2;
  else
    j = static_cast<size_t>(std::lower_bound(x + 1, x + n - 1, t) - x) - 1;
  const double h = x[j + 1] - x[j], d = t - x[j];
  return y[j] + ((y[j + 1] - y[j]) / h - (2 * h * s2[j] + h * s2[j + 1]) / 6) * d +
         s2[j] / 2 * d * d + (s2[j + 1] - s2[j]) / (6 * h) * d * d * d;
}

}  // namespace vexal

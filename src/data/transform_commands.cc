// Commands that rework the stored points: sorting and smoothing settings,
// the derivative, the Fourier transform chain, binning into intervals and
// into the array, polynomial fits, the cubic spline and the limits.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "axes/fixpoint.h"
#include "data/append.h"
#include "data/minmax.h"
#include "data/record.h"
#include "data/transform.h"
#include "interp/command_table.h"
#include "interp/params.h"
#include "interp/session.h"
#include "interp/shared_commands.h"
#include "postscript/ps_writer.h"
#include "postscript/shapes.h"
#include "util/free_format.h"
#include "util/text.h"

namespace vexal {

using enum AxisId;

namespace {

constexpr double kCellLowStart = 9.9999996e35;  // 1.0E36 in single precision
constexpr size_t kMaxBins = kMaxCoordinates;

// A value 13 wide with 5 digits in exponent form, as queued commands carry them.
std::string field13(double v) {
  char buf[16];
  return std::string(exponent_field(v, 13, 5, buf));
}

void push_value(Session& s, const char* word, double v) {
  push_command(s.stream, std::string(word) + " " + field13(v));
}

// The points' first n values as a scratch file of free-format lines, one
// point a line; false after the message when it cannot be made.
bool write_points(Session& s, const std::string& name, std::initializer_list<const double*> columns,
                  size_t n) {
  std::FILE* fp = create_scratch_file(s.scratch_files, name, "data file", s.err());
  if (!fp) return false;
  int error = 0;
  {
    OutBuffer out(fp);
    char buf[kFreeRealWidth + 1];  // a blank, then the value
    for (size_t i = 0; i < n; ++i) {
      for (const double* c : columns) {
        buf[0] = ' ';
        out.put(std::string_view(buf, 1 + free_real_chars(c[i], buf + 1)));
      }
      out.put('\n');
    }
    out.flush();
    error = out.error();
    out.set_discard();
  }
  errno = 0;
  if (std::fclose(fp) != 0 && error == 0) error = errno ? errno : EIO;
  if (error == 0) return true;
  s.err().line("Error writing the data file " + name + ": " + std::strerror(error));
  s.run.exit_status = 1;
  return false;
}

// ---- sorting, smoothing and the derivative ------------------------------------

void cmd_sort(Session& s, Params&) {
  s.transform.xsort = true;
  s.transform.ysort = false;
}
void cmd_ysort(Session& s, Params&) {
  s.transform.xsort = false;
  s.transform.ysort = true;
}
void cmd_nosort(Session& s, Params&) { s.transform.xsort = s.transform.ysort = false; }

void cmd_xsmooth(Session& s, Params& p) { s.transform.xsmooth = std::max(0, int_parm(p)); }
void cmd_ysmooth(Session& s, Params& p) { s.transform.ysmooth = std::max(0, int_parm(p)); }

void cmd_doderiv(Session& s, Params&) { deriv(s.store); }

// ---- Fourier transform ------------------------------------------------------------

void cmd_nfft(Session& s, Params& p) {
  if (!set_nfft(s.transform, getparm(p), s.reader.np))
    s.err().line("Requested NFFT too large.  Using " + std::to_string(s.transform.nfft) +
                 " Points.");
  setvariable(s.vars, "NFFT", s.transform.nfft);
}

void cmd_loadfft(Session& s, Params&) {
  loadfft(s.store, s.transform.nfft);
  setvariable(s.vars, "NPTS", s.store.npts());
}

void cmd_dohanning(Session& s, Params&) {
  hanning(s.store.y.data(), static_cast<size_t>(s.store.npts()), s.transform.nfft);
}

// DOFFT: the transform of the first nfft points, scaled to the sample
// spacing; the lower half of the spectrum becomes the points and the data file.
void cmd_dofft(Session& s, Params&) {
  const TransformSettings& t = s.transform;
  if (t.nfft < 1) return;
  PointStore& st = s.store;
  const size_t m = static_cast<size_t>(t.nfft);
  const size_t n = static_cast<size_t>(st.npts());
  // A single point has no spacing; it then stands for unit steps.
  const double dt = n >= 2 ? (st.x[n - 1] - st.x[0]) / static_cast<double>(n - 1) : 1.0;
  if (n < m) st.resize(static_cast<int>(m));
  std::vector<double> im(m);
  for (size_t i = 0; i < m; ++i) im[i] = st.z[i];
  double* re = st.y.data();
  fft(re, im.data(), t.nfftu);
  const size_t half = m / 2;
  st.resize(static_cast<int>(half));
  for (size_t i = 0; i < half; ++i) {
    st.x[i] = static_cast<double>(static_cast<float>(i)) / static_cast<double>(m) / dt;
    re[i] *= dt;
    im[i] *= dt;
  }
  st.z.clear();
  std::copy(im.begin(), im.begin() + static_cast<std::ptrdiff_t>(half), st.z.extend_values(half));
  setvariable(s.vars, "NPTS", st.npts());
  const std::string name = "data" + s.run.pid + ".fft";
  if (write_points(s, name, {st.x.data(), re, im.data()}, half))
    push_command(s.stream, "data " + name, kVerbatim);
}

void cmd_unloadfft(Session& s, Params&) {
  s.store.resize(std::max(0, s.transform.nfft / 2));
  setvariable(s.vars, "NPTS", s.store.npts());
}

// FFT: LOAD, LOADFFT, DOHANNING (when on), DOFFT, pushed in reverse.
void cmd_fft(Session& s, Params&) {
  push_command(s.stream, "DOFFT");
  if (s.transform.hanning) push_command(s.stream, "DOHANNING");
  push_command(s.stream, "LOADFFT");
  push_command(s.stream, "LOAD");
}

// ---- binning ----------------------------------------------------------------------

// DEFINEBIN a b w: centres a, a + w, ... up to the first beyond b.
void cmd_definebin(Session& s, Params& p) {
  const double a = getparm(p), b = getparm(p), w = getparm(p);
  const double span = (b - a) / w;
  if (!(w > 0) || !std::isfinite(a) || !(span < static_cast<double>(kMaxBins) - 2)) {
    parameter_warning(s);
    return;
  }
  ArrayGrid& g = s.array;
  g.x.clear();
  for (size_t k = 0;; ++k) {
    const double c = a + static_cast<double>(k) * w;
    g.x.push_back(c);
    if (c > b) break;
  }
  g.dx.assign(g.x.size(), w);
  g.nx = static_cast<int>(g.x.size());
  setvariable(s.vars, "MX", g.nx);
  push_value(s, "XMAX", b);
  push_value(s, "XMIN", a);
}

enum class BinResult { kCount, kSum, kAverage, kDeviation };

// The store becomes the bins of the X list: X the centre, Y/Z/V by `what`.
template <BinResult kWhat>
void cmd_dobin(Session& s, Params&) {
  ArrayGrid& g = s.array;
  const size_t m = std::min({static_cast<size_t>(std::max(g.nx, 0)), g.x.size(), g.dx.size()});
  if (m == 0) return;
  const std::span<const double> centres(g.x.data(), m), widths(g.dx.data(), m);
  PointStore& st = s.store;
  const BinTotals t = bin_values(BinEdges(centres, widths), st.x.data(),
                                 kWhat == BinResult::kCount ? nullptr : st.y.data(),
                                 static_cast<size_t>(st.npts()), kWhat == BinResult::kDeviation);
  st.clear();
  st.resize(static_cast<int>(m));
  // The Z and V columns only for the results that fill them.
  std::vector<double> z(kWhat == BinResult::kCount ? 0 : m, 0.0);
  std::vector<double> v(kWhat == BinResult::kDeviation ? m : 0, 0.0);
  double ymin = kBinLowStart, ymax = -kBinLowStart;
  for (size_t k = 0; k < m; ++k) {
    st.x[k] = centres[k];
    double y = t.count[k];
    switch (kWhat) {
      case BinResult::kCount:
        break;
      case BinResult::kSum:
        y = t.sum[k];
        z[k] = t.count[k];
        break;
      case BinResult::kAverage:
        y = t.mean(k);
        z[k] = t.count[k];
        break;
      case BinResult::kDeviation:
        y = t.deviation(k);
        z[k] = t.mean(k);
        v[k] = t.count[k];
        break;
    }
    st.y[k] = y;
    ymin = std::min(ymin, y);
    ymax = std::max(ymax, y);
  }
  if (kWhat != BinResult::kCount) {
    st.z.clear();
    std::copy(z.begin(), z.end(), st.z.extend_values(m));
  }
  if (kWhat == BinResult::kDeviation) {
    st.v.clear();
    std::copy(v.begin(), v.end(), st.v.extend_values(m));
  }
  setvariable(s.vars, "NPTS", st.npts());
  // Run in the order XMAX, XMIN, YMAX, YMIN.
  push_value(s, "YMIN", ymin);
  push_value(s, "YMAX", ymax);
  push_value(s, "XMIN", centres[0] - widths[0] / 2);
  push_value(s, "XMAX", centres[m - 1] + widths[m - 1] / 2);
}

// The array becomes the points' Z binned into its cells.
template <BinResult kWhat>
void cmd_do3dbin(Session& s, Params&) {
  ArrayGrid& g = s.array;
  const size_t nx = static_cast<size_t>(std::max(g.nx, 0));
  const size_t ny = static_cast<size_t>(std::max(g.ny, 0));
  if (nx == 0 || ny == 0 || nx * ny > kMaxArrayValues) return;
  std::vector<double> xc(nx), dx(nx), yc(ny), dy(ny);
  for (size_t i = 0; i < nx; ++i) {
    xc[i] = list_entry(g.x, i + 1);
    dx[i] = list_entry(g.dx, i + 1);
  }
  for (size_t k = 0; k < ny; ++k) {
    yc[k] = list_entry(g.y, k + 1);
    dy[k] = list_entry(g.dy, k + 1);
  }
  PointStore& st = s.store;
  const size_t n = static_cast<size_t>(st.npts());
  std::vector<double> zs(n);
  for (size_t j = 0; j < n; ++j) zs[j] = st.z[j];
  const BinTotals t = bin_cells(BinEdges(xc, dx), BinEdges(yc, dy), st.x.data(), st.y.data(),
                                zs.data(), n, kWhat == BinResult::kDeviation);
  g.values.resize(nx * ny);
  double zmin = kCellLowStart, zmax = -kCellLowStart;
  for (size_t c = 0; c < nx * ny; ++c) {
    double v = t.count[c];
    if (kWhat == BinResult::kSum) v = t.sum[c];
    if (kWhat == BinResult::kAverage) v = t.mean(c);
    if (kWhat == BinResult::kDeviation) v = t.deviation(c);
    g.values[c] = v;
    zmin = std::min(zmin, v);
    zmax = std::max(zmax, v);
  }
  AxisLimits& z = s.axes[Z].limits;
  z.min = z.minu = zmin;
  z.max = z.maxu = zmax;
  setvariable(s.vars, "ZMIN", zmin);
  setvariable(s.vars, "ZMAX", zmax);
  setvariable(s.vars, "ZMIN_DATA", zmin);
  setvariable(s.vars, "ZMAX_DATA", zmax);
}

// ---- fits -------------------------------------------------------------------------

// The fit of order m with RESIDUAL; false after a message when there is none.
bool fit(Session& s, int m) {
  const PointStore& st = s.store;
  const size_t n = static_cast<size_t>(st.npts());
  TransformSettings& t = s.transform;
  if (n < static_cast<size_t>(m) + 1) {
    s.err().line("Too few points for a fit of order " + std::to_string(m) + "; nothing fitted.");
    return false;
  }
  if (!fit_poly(st.x.data(), st.y.data(), n, m, t.coef.data())) {
    s.err().line("The fit's equations are singular; nothing fitted.");
    return false;
  }
  t.iorder = m;
  setvariable(s.vars, "RESIDUAL", fit_residual(st.x.data(), st.y.data(), n, m, t.coef.data()));
  return true;
}

void cmd_fitpoly(Session& s, Params& p) {
  const int m = std::clamp(int_parm(p), 0, kMaxFitOrder);
  if (!fit(s, m)) return;
  for (int e = 0; e <= m; ++e) setvariable(s.vars, "A" + std::to_string(e), s.transform.coef[e]);
}

// FITLINE: the straight-line fit, drawn between the X limits and kept as
// equation texts for SHOWEQUATION. The line's ends are data values, so an
// axis not yet scaled to data units is scaled for the two commands.
void cmd_fitline(Session& s, Params&) {
  if (!fit(s, 1)) return;
  TransformSettings& t = s.transform;
  const double slope = t.coef[1], intercept = t.coef[0];
  setvariable(s.vars, "FIT_SLOPE", slope);
  setvariable(s.vars, "FIT_INTERCEPT", intercept);
  const double xmin = s.axes[X].limits.minu, xmax = s.axes[X].limits.maxu;
  const bool xs = !s.axes[X].data_units, ys = !s.axes[Y].data_units;
  if (ys) push_command(s.stream, "NOYSCALE");
  if (xs) push_command(s.stream, "NOXSCALE");
  push_command(s.stream, "DRAW " + field13(xmin) + " " + field13(slope * xmin + intercept));
  push_command(s.stream, "MOVE " + field13(xmax) + " " + field13(slope * xmax + intercept));
  if (ys) push_command(s.stream, "YSCALE");
  if (xs) push_command(s.stream, "XSCALE");
  t.equation_y = "TEXT Y = " + field13(slope) + " X + " + field13(intercept);
  t.equation_x = "TEXT X =   " + field13(1 / slope) + " ( Y + " + field13(-intercept) + " ) ";
}

void show(Session& s, const std::string& text) {
  if (text.empty()) return;
  push_command(s.stream, text);
  if (s.units.verbose) s.term.line(text);
}
void cmd_showequation(Session& s, Params&) { show(s, s.transform.equation_y); }
void cmd_showyequation(Session& s, Params&) { show(s, s.transform.equation_y); }
void cmd_showxequation(Session& s, Params&) { show(s, s.transform.equation_x); }

void cmd_fit3ddim(Session& s, Params&) {
  const double xr = s.axes[X].limits.maxu - s.axes[X].limits.minu,
               yr = s.axes[Y].limits.maxu - s.axes[Y].limits.minu;
  double& xd = s.axes[X].length;
  double& yd = s.axes[Y].length;
  // An empty range or axis has no proportion to keep.
  if (!(xr > 0 && yr > 0 && xd > 0 && yd > 0)) return;
  if (xr / xd >= yr / yd)
    yd = xd * yr / xr;
  else
    xd = xr * yd / yr;
  setvariable(s.vars, "XDIM", xd);
  setvariable(s.vars, "YDIM", yd);
}

// FITCUBIC m a b: the spline through the points at m X values from a to b,
// as the new data file.
void cmd_fitcubic(Session& s, Params& p) {
  const int m = std::clamp(int_parm(p), 0, kMaxPoints);
  const double a = getparm(p), b = getparm(p);
  PointStore& st = s.store;
  if (st.npts() <= 3) {
    s.err().line("At least four data points required to perform cubic spline.  Error.");
    return;
  }
  bsort(st, SortKey::kX);
  const size_t n = static_cast<size_t>(st.npts());
  const std::vector<double> s2 = spline_second(st.x.data(), st.y.data(), n);
  st.z.clear();
  std::copy(s2.begin(), s2.end(), st.z.extend_values(n));
  std::vector<double> xs(static_cast<size_t>(m)), ys(xs.size());
  for (int k = 0; k < m; ++k) {
    xs[k] = m > 1 ? a + static_cast<double>(k) / (m - 1) * (b - a) : a;
    ys[k] = spline_at(st.x.data(), st.y.data(), s2.data(), n, xs[k]);
  }
  const std::string name = "data" + s.run.pid + ".tmp";
  if (!write_points(s, name, {xs.data(), ys.data()}, xs.size())) return;
  // The stack runs the last pushed first: symbolcol 0 ... xcol 1, then DATA.
  push_command(s.stream, "data " + name, kVerbatim);
  for (const char* line :
       {"xcol 1", "ycol 2", "colorcol 0", "pencol 0", "penwidthcol 0", "symbolcol 0"})
    push_command(s.stream, line);
}

// ---- histograms and box plots -------------------------------------------------------

// Turns data corners into rotated page points.
struct PageMap {
  Session& s;
  void operator()(double x, double y, double& px, double& py) const {
    px = fixpoint(x, s.axes[X], nullptr);
    py = fixpoint(y, s.axes[Y], nullptr);
    rotate2d(px, py, s.axes.angle);
  }
};

// The progress line of the bar commands: every 250 bars and at the end.
void bars_progress(Session& s, int done, int n) {
  if (!s.units.verbose || (done % 250 != 0 && done != n)) return;
  char buf[40];
  std::snprintf(buf, sizeof buf, "+%7d points plotted.", done);
  s.term.line(buf);
}

// DOHIST [base]: a bar per point from the base to Y, reaching half-way to
// its neighbours and clipped to the X limits; filled when the base is a
// number, otherwise the bar tops as one step line. The reader keeps no
// heading line of the data file, so LABELFROMHEADER is left empty.
void cmd_dohist(Session& s, Params& p) {
  setcvariable(s.vars, "LABELFROMHEADER", "", s.err());
  const std::string base_text = rest_of_line(p);
  setcvariable(s.vars, "PLOT_BASE", base_text, s.err());
  bool not_number = true;
  double base = 0;
  if (!base_text.empty()) base = read_number_text(s, base_text, &not_number, false);
  const bool filled = !not_number;
  const PointStore& st = s.store;
  const int n = st.npts();
  if (n < 1) return;
  const double lo = std::min(s.axes[X].limits.minu, s.axes[X].limits.maxu);
  const double hi = std::max(s.axes[X].limits.minu, s.axes[X].limits.maxu);
  const PageMap page{s};
  const Rgb data = s.pen.data_color;
  setrgbcolor(s.ps, data.r, data.g, data.b);
  for (int i = 0; i < n; ++i) {
    const double x = st.x[i];
    const double before = i > 0 ? st.x[i - 1] : (n > 1 ? 2 * x - st.x[1] : x);
    const double after = i + 1 < n ? st.x[i + 1] : (n > 1 ? 2 * x - st.x[i - 1] : x);
    const double left = std::clamp(x - (x - before) / 2, lo, hi);
    const double right = std::clamp(x + (after - x) / 2, lo, hi);
    if (const int k = st.colour[i]; k >= 0) set_forecolor(s.ps, k);
    double px[4], py[4];
    page(left, base, px[0], py[0]);
    page(left, st.y[i], px[1], py[1]);
    page(right, st.y[i], px[2], py[2]);
    page(right, base, px[3], py[3]);
    if (filled) {
      filled_region(s.ps, px, py, 4);
    } else {
      if (i == 0)
        moveto(s.ps, px[1], py[1]);
      else
        drawto(s.ps, px[1], py[1]);
      drawto(s.ps, px[2], py[2]);
    }
    bars_progress(s, i + 1, n);
  }
}

// DOBOX: a hollow box per point, BOXW device units wide about X, from Y to Z.
void cmd_dobox(Session& s, Params&) {
  const PointStore& st = s.store;
  const int n = st.npts();
  const PageMap page{s};
  const Rgb data = s.pen.data_color;
  setrgbcolor(s.ps, data.r, data.g, data.b);
  const double half = s.transform.boxw / s.run.precision / 2;  // inches
  for (int i = 0; i < n; ++i) {
    if (const int k = st.colour[i]; k >= 0) set_forecolor(s.ps, k);
    double cx, bottom, cx2, top;
    page(st.x[i], st.y[i], cx, bottom);
    page(st.x[i], st.z[i], cx2, top);
    // The box's sides run along the rotated Y axis.
    double ox = half, oy = 0;
    rotate2d(ox, oy, s.axes.angle);
    const double px[4] = {cx - ox, cx2 - ox, cx2 + ox, cx + ox};
    const double py[4] = {bottom - oy, top - oy, top + oy, bottom + oy};
    hollow_region(s.ps, px, py, 4);
    bars_progress(s, i + 1, n);
  }
}

void cmd_boxw(Session& s, Params& p) { s.transform.boxw = getparm(p); }

// HIST and BOXP: LOAD, DOSMOOTH, DOSORT, DOAXES, CLIPATAXES (when clipping)
// and "DO" with the line as typed, pushed in reverse.
void cmd_hist(Session& s, Params&) {
  push_command(s.stream, "DO" + std::string(trimmed(nolead(s.cs.line))), kVerbatim);
  if (s.pen.xclip || s.pen.yclip) push_command(s.stream, "CLIPATAXES");
  for (const char* line : {"DOAXES", "DOSORT", "DOSMOOTH", "LOAD"}) push_command(s.stream, line);
}

// BIN and BINCOUNT: LOAD, DOSMOOTH, DOBIN, DOAXES, CLIPATAXES (when
// clipping) and DOHIST with their parameters, pushed in reverse.
void cmd_bin(Session& s, Params& p) {
  push_command(s.stream, "DOHIST " + rest_of_line(p), kVerbatim);
  if (s.pen.xclip || s.pen.yclip) push_command(s.stream, "CLIPATAXES");
  for (const char* line : {"DOAXES", "DOBIN", "DOSMOOTH", "LOAD"}) push_command(s.stream, line);
}

// ---- limits -----------------------------------------------------------------------

void cmd_dominmax(Session& s, Params&) {
  const PointStore& st = s.store;
  const size_t n = static_cast<size_t>(st.npts());
  minmax(std::span<const double>(st.x.data(), n), s.axes[X].limits, 'X', s.err());
  minmax(std::span<const double>(st.y.data(), n), s.axes[Y].limits, 'Y', s.err());
  minmax(st.z, n, s.axes[Z].limits, 'Z', s.err());
  for (AxisId axis : {X, Y, Z}) set_limit_variables(s, axis);
}

constexpr Command kTransformCommands[] = {
    {"SORT", cmd_sort},
    {"XSORT", cmd_sort},
    {"YSORT", cmd_ysort},
    {"NOSORT", cmd_nosort},
    {"NOXSORT", cmd_set<false, &Session::transform, &TransformSettings::xsort>},
    {"NOYSORT", cmd_set<false, &Session::transform, &TransformSettings::ysort>},
    {"XSMOOTH", cmd_xsmooth},
    {"YSMOOTH", cmd_ysmooth},
    {"NOXSMOOTH", cmd_set<0, &Session::transform, &TransformSettings::xsmooth>},
    {"NOYSMOOTH", cmd_set<0, &Session::transform, &TransformSettings::ysmooth>},
    {"DODERIV", cmd_doderiv},
    {"NFFT", cmd_nfft},
    {"LOADFFT", cmd_loadfft},
    {"DOHANNING", cmd_dohanning},
    {"HANNING", cmd_set<true, &Session::transform, &TransformSettings::hanning>},
    {"NOHANNING", cmd_set<false, &Session::transform, &TransformSettings::hanning>},
    {"DOFFT", cmd_dofft},
    {"UNLOADFFT", cmd_unloadfft},
    {"FFT", cmd_fft},
    {"DEFINEBIN", cmd_definebin},
    {"DOBIN", cmd_dobin<BinResult::kCount>},
    {"DOBINCOUNT", cmd_dobin<BinResult::kCount>},
    {"DOBINSUM", cmd_dobin<BinResult::kSum>},
    {"DOBINAVE", cmd_dobin<BinResult::kAverage>},
    {"DOBINDEV", cmd_dobin<BinResult::kDeviation>},
    {"DO3DBIN", cmd_do3dbin<BinResult::kCount>},
    {"DO3DBINCOUNT", cmd_do3dbin<BinResult::kCount>},
    {"DO3DBINSUM", cmd_do3dbin<BinResult::kSum>},
    {"DO3DBINAVE", cmd_do3dbin<BinResult::kAverage>},
    {"DO3DBINDEV", cmd_do3dbin<BinResult::kDeviation>},
    {"FITPOLY", cmd_fitpoly},
    {"FITLINE", cmd_fitline},
    {"FIT3DDIM", cmd_fit3ddim},
    {"SHOWEQUATION", cmd_showequation},
    {"SHOWXEQUATION", cmd_showxequation},
    {"SHOWYEQUATION", cmd_showyequation},
    {"FITCUBIC", cmd_fitcubic},
    {"DOMINMAX", cmd_dominmax},
    {"DOHIST", cmd_dohist},
    {"DOBOX", cmd_dobox},
    {"BOXW", cmd_boxw},
    {"HIST", cmd_hist},
    {"BOXP", cmd_hist},
    {"BIN", cmd_bin},
    {"BINCOUNT", cmd_bin},
};

}  // namespace

std::span<const Command> transform_commands() { return kTransformCommands; }

}  // namespace vexal

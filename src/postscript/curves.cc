// Data curves and error bars.
#include "postscript/curves.h"

#include <cstdio>

#include "postscript/shapes.h"

namespace vexal {

CurveAxis curve_axis(double minu, double maxu, bool log, bool chop, double length) {
  CurveAxis a;
  a.length = length;
  a.mapped = true;
  a.log = log;
  a.chop = chop;
  double hi = maxu;
  a.lo = minu;
  if (log) {
    a.lo = std::log10(std::max(minu, 1e-32));
    hi = std::log10(std::max(maxu, 1e-31));
  }
  const double span = hi - a.lo;
  a.factor = span != 0 ? length / span : 0.0;
  return a;
}

CurveAxis identity_axis(double length) {
  CurveAxis a;
  a.length = length;
  return a;
}

namespace {

// A page point turned by the frame angle; the turn is skipped at angle 0.
struct Turn {
  explicit Turn(double angle_degrees) : on(angle_degrees != 0) {
    if (!on) return;
    const double a = angle_degrees * 3.14159265358979323846 / 180.0;
    cos_a = std::cos(a);
    sin_a = std::sin(a);
  }
  void apply(double& x, double& y) const {
    if (!on) return;
    const double xr = x * cos_a - y * sin_a;
    y = x * sin_a + y * cos_a;
    x = xr;
  }
  bool on;
  double cos_a = 1, sin_a = 0;
};

// The count right-aligned in 7 characters, " points plotted." and `end`.
void put_count(OutBuffer& term, int n, char end) {
  char buf[48];
  const int len = std::snprintf(buf, sizeof buf, "%7d points plotted.%c", n, end);
  term.put(std::string_view(buf, static_cast<size_t>(len)));
  term.flush();
}

// Whether a mapped position lies on an axis of `length` (only asked on a
// chopped axis, where off-axis positions were clamped just outside).
bool on_axis(const CurveAxis& a, double pos) { return !a.chop || (pos >= 0 && pos <= a.length); }

}  // namespace

void line(PsWriter& w, TextState& t, const TextContext& c, const CurvePoints& pts,
          const CurveStyle& style, const CurveAxes& axes, const CurveHooks& hooks) {
  // The markers' colours: the caller's, with the data colour as text colour.
  PenSettings pen = c.pen;
  pen.text_color = pen.data_color;
  const TextContext marker_ctx{pen, c.sup, c.compat_level, c.substitute_ctx, c.substitute};
  const CurveAxis &xa = axes.x, &ya = axes.y;
  const int n = pts.npts;
  const Turn turn(style.angle);
  const bool filled = style.filled && hooks.base != nullptr;
  // Under --compact, the points a dense curve draws within one device column
  // are written as the column's ends and extremes.
  w.fold_runs = true;
  // Makes the first table-colour selection always written.
  if (n > 0 && pts.colour[0] >= 0) setrgbcolor(w, 0, 0, 0);

  int width = -1;  // width last handed to newpen; nothing else changes it in here
  auto set_width = [&](int units) {
    if (units == width) return;
    newpen(w, units);
    width = units;
  };
  auto evaluate_base = [&](int i) {
    if (hooks.registers) hooks.registers(hooks.ctx, pts.v[i], pts.x[i], pts.y[i], pts.z[i]);
    return hooks.base(hooks.ctx);
  };

  double prev_x = 0, prev_y = 0, prev_b = 0;  // the previous point's mapped X, Y and base
  int marker_countdown = 0;                   // points until the next marker
  int progress_countdown = kCurveProgressEvery;
  for (int i = 0; i < n; ++i) {
    const double xm = xa.map(pts.x[i]), ym = ya.map(pts.y[i]);
    double xp = xm, yp = ym;
    turn.apply(xp, yp);

    if (const int k = pts.colour[i]; k >= 0) {
      set_forecolor(w, k);
      Rgb rgb;
      get_color(w, k, rgb.r, rgb.g, rgb.b);
      pen.text_color = rgb;
      pen.data_color = rgb;
    }

    bool draw;
    double bm = 0;  // the mapped base of this point
    if (pts.pen[i] <= 0 || i == 0) {
      set_width(std::max(1, pts.pen[std::min(n - 1, i + 1)]));
      draw = false;
      if (filled) bm = ya.map(evaluate_base(i));
    } else {
      set_width(pts.pen[i]);
      draw = true;
      if (filled) {
        bm = ya.map(evaluate_base(i));
        double qx[4] = {xm, xm, prev_x, prev_x};
        double qy[4] = {ym, bm, prev_b, prev_y};
        for (int k = 0; k < 4; ++k) turn.apply(qx[k], qy[k]);
        filled_region(w, qx, qy, 4);
      }
    }
    prev_x = xm;
    prev_y = ym;
    prev_b = bm;

    if (draw && style.con)
      drawto(w, xp, yp);
    else
      moveto(w, xp, yp);

    if (style.ssk > 0) {
      if (marker_countdown == 0) {
        marker_countdown = style.ssk;
        // The chop test looks at the unturned positions: on a turned frame
        // the axis still runs from 0 to its length in its own direction.
        if (on_axis(xa, xm) && on_axis(ya, ym) && pts.symbol[i] >= 0) {
          if (hooks.registers) hooks.registers(hooks.ctx, pts.v[i], pts.x[i], pts.y[i], pts.z[i]);
          symbol(t, w, marker_ctx, {xp, yp, style.marker_size, style.angle}, pts.symbol[i]);
        }
      }
      --marker_countdown;
    }

    if (--progress_countdown == 0) {
      progress_countdown = kCurveProgressEvery;
      if (style.progress) put_count(*style.progress, i + 1, '\r');
    }
  }
  if (style.progress) put_count(*style.progress, n, '\n');
  w.fold_runs = false;
}

void errorbar(PsWriter& w, const CurveAxes& axes, double angle, double ebtic, double x, double y,
              ErrorExtents e) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  auto extent = [](double v) { return std::isnan(v) ? 0.0 : std::abs(v); };
  e = {extent(e.xl), extent(e.xh), extent(e.yl), extent(e.yh)};
  const Turn turn(angle);
  const double c = ebtic / 2;
  // Data point (u, v) mapped, shifted by (dx, dy) inches, turned; a move or a draw.
  auto to = [&](bool draw, double u, double v, double dx, double dy) {
    double px = axes.x.map(u) + dx, py = axes.y.map(v) + dy;
    turn.apply(px, py);
    if (draw)
      drawto(w, px, py);
    else
      moveto(w, px, py);
  };
  if (e.xl > 0 || e.xh > 0) {
    to(false, x - e.xl, y, 0, -c);
    to(true, x - e.xl, y, 0, c);
    to(false, x - e.xl, y, 0, 0);
    to(true, x + e.xh, y, 0, 0);
    to(false, x + e.xh, y, 0, c);
    to(true, x + e.xh, y, 0, -c);
    to(false, x, y, 0, 0);
  }
  if (e.yl > 0 || e.yh > 0) {
    to(false, x, y - e.yl, -c, 0);
    to(true, x, y - e.yl, c, 0);
    to(false, x, y - e.yl, 0, 0);
    to(true, x, y + e.yh, 0, 0);
    to(false, x, y + e.yh, c, 0);
    to(true, x, y + e.yh, -c, 0);
    to(false, x, y, 0, 0);
  }
}

}  // namespace vexal

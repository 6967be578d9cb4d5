// 3-D data curves through the view.
#include "threed/line3d.h"

#include <array>
#include <cstdio>

#include "util/out_buffer.h"

namespace vexal {

namespace {

constexpr int kProgressEvery = 250;

void put_count(OutBuffer& term, int n, char end) {
  char buf[48];
  const int len = std::snprintf(buf, sizeof buf, "%7d points plotted.%c", n, end);
  term.put(std::string_view(buf, static_cast<size_t>(len)));
  term.flush();
}

bool within(double v, double length) { return v >= 0 && v <= length; }

}  // namespace

bool line3d(View& v, Horizon& h, PsWriter& w, TextState& t, const TextContext& c,
            const CurvePoints& pts, const CurveStyle& style) {
  if (v.geometry == Geometry::kUndefined) return false;
  const bool spherical = v.geometry == Geometry::kSpherical;
  const std::array<bool, 3>& chop = style.chop;
  int countdown = kProgressEvery;
  for (int i = 0; i < pts.npts; ++i) {
    const size_t k = static_cast<size_t>(i);
    const int colour = pts.colour[k];
    if (colour >= 0) set_forecolor(w, colour);
    const int pen = pts.pen[k];
    std::array<double, 3> f;
    frame_point(v, pts.x[k], pts.y[k], pts.z[k], f);
    double px, py, depth;
    project(v, f, px, py, depth);
    if (i == 0 || pen < 1 || !style.con) {
      moveto(w, px, py);
    } else {
      newpen(w, pen);
      if (v.nohide)
        drawto(w, px, py);
      else if (spherical)
        depth < 0 ? moveto(w, px, py) : drawto(w, px, py);
      else
        hddrw(h, w, v.resolution, {v.px, v.py}, {px, py}, Raise::kYes);
    }
    v.px = px;
    v.py = py;
    const int code = pts.symbol[k];
    const bool marked = style.ssk == 1 || (style.ssk > 1 && i % style.ssk == 0);
    if (marked && code >= 0 && (!chop[0] || within(f[0], v.lx)) &&
        (!chop[1] || within(f[1], v.ly)) && (!chop[2] || within(f[2], v.lz))) {
      symbol(t, w, c, {px, py, style.marker_size, 0}, code);
      moveto(w, px, py);
    }
    if (style.progress && --countdown == 0) {
      put_count(*style.progress, i + 1, '\r');
      countdown = kProgressEvery;
    }
  }
  if (style.progress) put_count(*style.progress, pts.npts, '\n');
  return true;
}

}  // namespace vexal

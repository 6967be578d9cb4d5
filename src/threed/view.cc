// The 3-D view: geometries, the view matrix, projection and the pen calls
// through it.
#include "threed/view.h"

#include <algorithm>
#include <cmath>

#include "util/numbers.h"

namespace vexal {

namespace {

constexpr double kGeometryDegree = 0.01745329277777778;  // the geometries' degree
constexpr double kRotationDegree = 0.01745329238474369;  // the view matrix's degree

double finite_or_zero(double a) { return std::isfinite(a) ? a : 0.0; }

// Draws to a projected point against the horizon, or moves there, by pen code.
void pen_call(View& v, Horizon& h, PsWriter& w, double px, double py, PenCode pen, Raise raise) {
  switch (pen) {
    case PenCode::kMove:
    case PenCode::kMoveOrigin:
      moveto(w, px, py);
      break;
    case PenCode::kDraw:
    case PenCode::kDrawOrigin:
      hddrw(h, w, v.resolution, {v.px, v.py}, {px, py}, raise);
      break;
    default:
      plot(w, px, py, pen);
      return;
  }
  v.px = px;
  v.py = py;
  if (shifts_origin(pen)) {
    plot(w, px, py, PenCode::kMoveOrigin);
    v.px = v.py = 0;
  }
}

}  // namespace

const char* geometry_name(Geometry g) {
  switch (g) {
    case Geometry::kCartesian:
      return "CARTESIAN";
    case Geometry::kPolar:
      return "POLAR    ";
    case Geometry::kCosine:
      return "COSINE3D ";
    case Geometry::kSpherical:
      return "SPHERICAL";
    default:
      return "         ";
  }
}

void set_geometry(View& v, const ViewSettings& vs, const ViewFrame& frame, double resolution) {
  const Geometry g = vs.selected;
  v.geometry = g;
  v.lx = frame.lx;
  v.ly = g == Geometry::kPolar || g == Geometry::kSpherical ? frame.lx : frame.ly;
  v.lz = frame.lz;
  v.z0 = frame.zmin;
  v.z1 = frame.zmax;
  v.xlines = vs.xlines;
  v.ylines = vs.ylines;
  v.nohide = vs.nohide;
  v.zangle = finite_or_zero(vs.zrot);
  v.yangle = finite_or_zero(vs.yrot);
  v.xangle = finite_or_zero(vs.xrot);
  v.resolution = resolution > 0 ? resolution : kDefaultUnitsPerInch;
  rotate(v);
}

void rotate(View& v) {
  const double a = v.zangle * kRotationDegree, b = v.yangle * kRotationDegree,
               c = v.xangle * kRotationDegree;
  const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b),
               cc = std::cos(c), sc = std::sin(c);
  v.rot = {{{ca * cb, sa * cb, -sb},
            {ca * sb * sc - sa * cc, sa * sb * sc + ca * cc, cb * sc},
            {ca * sb * cc + sa * sc, sa * sb * cc - ca * sc, cb * cc}}};
}

std::array<double, 3> qrotat(const View& v, const std::array<double, 3>& p) {
  std::array<double, 3> r{};
  for (int i = 0; i < 3; ++i) r[i] = v.rot[i][0] * p[0] + v.rot[i][1] * p[1] + v.rot[i][2] * p[2];
  return r;
}

bool frame_point(const View& v, double x, double y, double z, std::array<double, 3>& f,
                 bool cartesian_flags) {
  const double zf = (z - v.z0) / (v.z1 - v.z0) * v.lz;
  switch (v.geometry) {
    case Geometry::kCartesian:
      f[0] = cartesian_flags && !v.scale_x ? x : (x - v.x0) / (v.x1 - v.x0) * v.lx;
      f[1] = cartesian_flags && !v.scale_y ? y : (y - v.y0) / (v.y1 - v.y0) * v.ly;
      f[2] = cartesian_flags && !v.scale_z ? z : zf;
      return true;
    case Geometry::kPolar: {
      const double t = y * kGeometryDegree, r = x / v.x1 * v.lx;
      f = {r * std::cos(t), r * std::sin(t), zf};
      return true;
    }
    case Geometry::kCosine: {
      const double lat = y * kGeometryDegree;
      f = {(std::cos(lat) * ((x - v.x0) / (v.x1 - v.x0) - 0.5) + 0.5) * v.lx,
           (y - v.y0) / (v.y1 - v.y0) * v.ly, zf};
      return true;
    }
    case Geometry::kSpherical: {
      const double lon = x * kGeometryDegree, colat = y * kGeometryDegree, r = v.lx + zf;
      f = {r * std::cos(lon) * std::sin(colat), r * std::sin(lon) * std::sin(colat),
           r * std::cos(colat)};
      return true;
    }
    default:
      f = {0, 0, 0};
      return false;
  }
}

void project(const View& v, const std::array<double, 3>& f, double& px, double& py, double& depth) {
  const std::array<double, 3> p = v.upright ? std::array<double, 3>{f[0], f[2], -f[1]} : f;
  const std::array<double, 3> r = qrotat(v, p);
  px = r[0] + v.ox;
  py = r[1] + v.oy;
  depth = r[2];
}

void report_undefined_geometry(OutBuffer& err) {
  err.line("GEOMETRY IS UNDEFINED: Call POLAR, SPHERICAL or CARTESIAN before SURFAS or CONTR");
}

void dplot(View& v, Horizon& h, PsWriter& w, double px, double py, PenCode pen) {
  pen_call(v, h, w, px, py, pen, Raise::kNo);
}

void hplot(View& v, Horizon& h, PsWriter& w, double px, double py, PenCode pen) {
  pen_call(v, h, w, px, py, pen, Raise::kYes);
}

bool rplot(View& v, PsWriter& w, double x, double y, double z, PenCode pen) {
  std::array<double, 3> f;
  if (!frame_point(v, x, y, z, f)) return false;
  double px, py, depth;
  project(v, f, px, py, depth);
  plot(w, px, py, pen);
  return true;
}

bool c3plot(View& v, PsWriter& w, double fx, double fy, double z, PenCode pen) {
  std::array<double, 3> f;
  if (!frame_point(v, v.x0, v.y0, z, f)) return false;
  f[0] = fx;
  f[1] = fy;
  double px, py, depth;
  project(v, f, px, py, depth);
  plot(w, px, py, pen);
  return true;
}

bool base_page_point(const View& v, double fx, double fy, PagePoint& p) {
  const double x = v.x0 + (v.x1 - v.x0) * fx / v.lx;
  const double y = v.y0 + (v.y1 - v.y0) * fy / v.ly;
  std::array<double, 3> f;
  if (!frame_point(v, x, y, v.z0, f)) return false;
  double depth;
  project(v, f, p.x, p.y, depth);
  return true;
}

bool rdplot(View& v, Horizon& h, PsWriter& w, double fx, double fy, PenCode pen) {
  PagePoint p;
  if (!base_page_point(v, fx, fy, p)) return false;
  v.wx = p.x;
  v.wy = p.y;
  dplot(v, h, w, p.x, p.y, pen);
  return true;
}

bool move3d(View& v, PsWriter& w, double x, double y, double z) {
  std::array<double, 3> f;
  if (!frame_point(v, x, y, z, f, true)) return false;
  double px, py, depth;
  project(v, f, px, py, depth);
  moveto(w, px, py);
  v.tx = x;
  v.ty = y;
  v.tz = z;
  v.px = px;
  v.py = py;
  return true;
}

bool draw3d(View& v, Horizon& h, PsWriter& w, double x, double y, double z, int n) {
  n = std::clamp(n, 1, kMaxDrawSteps);
  const double sx = v.tx, sy = v.ty, sz = v.tz;
  for (int k = 1; k <= n; ++k) {
    const double t = static_cast<double>(k) / n;
    std::array<double, 3> f;
    if (!frame_point(v, sx + (x - sx) * t, sy + (y - sy) * t, sz + (z - sz) * t, f, true))
      return false;
    double px, py, depth;
    project(v, f, px, py, depth);
    if (v.nohide) {
      drawto(w, px, py);
    } else if (v.geometry == Geometry::kSpherical) {
      if (depth < 0)
        moveto(w, px, py);
      else
        drawto(w, px, py);
    } else {
      hddrw(h, w, v.resolution, {v.px, v.py}, {px, py}, Raise::kYes);
    }
    v.px = px;
    v.py = py;
  }
  v.tx = x;
  v.ty = y;
  v.tz = z;
  return true;
}

}  // namespace vexal

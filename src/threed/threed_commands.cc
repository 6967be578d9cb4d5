// Commands of the 3-D view: geometries and angles, 3-D moves and draws,
// 3-D curves and axes, hidden-line surfaces, the solid surface and the
// gridding of scattered data.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "axes/fixpoint.h"
#include "data/array_store.h"
#include "expr/cmath.h"
#include "expr/stak_math.h"
#include "interp/command_table.h"
#include "interp/params.h"
#include "interp/session.h"
#include "interp/shared_commands.h"
#include "threed/contour.h"
#include "threed/fill3d.h"
#include "threed/line3d.h"
#include "threed/surface.h"
#include "threed/view.h"
#include "util/free_format.h"
#include "util/text.h"

namespace vexal {

namespace {

using enum AxisId;

constexpr char kDefaultFill3d[] = "{1 x x mul y y mul add sqrt 1.e-10 max div}";

// The Z corners of the view: the Z data limits, or when they are unset the
// extremes of `values` (missing ones left out), else 0 and 1.
std::pair<double, double> z_corners(const Session& s, const std::vector<double>* values) {
  const AxisLimits& z = s.axes[Z].limits;
  if (!limit_unset(z.min) && !limit_unset(z.max)) return {z.min, z.max};
  double lo = 0, hi = 1;
  bool any = false;
  if (values)
    for (double v : *values) {
      if (missing_value(v) || !std::isfinite(v)) continue;
      lo = any ? std::min(lo, v) : v;
      hi = any ? std::max(hi, v) : v;
      any = true;
    }
  if (any && lo == hi) hi = lo + 1;
  return {limit_unset(z.min) ? lo : z.min, limit_unset(z.max) ? hi : z.max};
}

// Sets up the selected geometry with the current settings, the Z corners
// from `values` when the Z limits are unset.
void setup_view_for(Session& s, const std::vector<double>* values) {
  ViewSettings vs = s.view_settings;
  View& v = s.view;
  const bool old_level = s.compat.level <= kUprightPlaneLevel;
  if (!vs.rot_given) vs.xrot = old_level ? -90 : 0;
  const auto [zmin, zmax] = z_corners(s, values);
  set_geometry(v, vs, ViewFrame{s.axes[X].length, s.axes[Y].length, s.axes[Z].length, zmin, zmax},
               s.ps.res);
  v.upright = old_level;
  v.scale_x = s.axes[X].data_units;
  v.scale_y = s.axes[Y].data_units;
  v.scale_z = s.axes[Z].data_units;
}

// Whether a geometry is set up; otherwise the message, once for the command.
// The axes' data-unit flags are taken as they are now (NOSCALE before the
// box edges of PLOT3D).
bool geometry_ready(Session& s) {
  s.view.scale_x = s.axes[X].data_units;
  s.view.scale_y = s.axes[Y].data_units;
  s.view.scale_z = s.axes[Z].data_units;
  if (s.view.geometry != Geometry::kUndefined) return true;
  report_undefined_geometry(s.err());
  return false;
}

void set_pen_position(Session& s) {
  double x, y, scale;
  where(s.ps, x, y, scale);
  setvariable(s.vars, "X", x);
  setvariable(s.vars, "Y", y);
}

// The array as a grid, when it holds its values and coordinates.
bool array_grid(Session& s, const char* command, Grid& g) {
  const ArrayGrid& a = s.array;
  if (a.nx < 2 || a.ny < 2 || a.values.size() < a.size() ||
      a.x.size() < static_cast<size_t>(a.nx) || a.y.size() < static_cast<size_t>(a.ny)) {
    s.err().line(std::string(command) +
                 ": the array needs at least 2 x 2 values with their coordinates.");
    return false;
  }
  g = Grid{a.values.data(), a.x.data(), a.y.data(), a.nx, a.ny};
  return true;
}

// ---- geometry and view --------------------------------------------------------------

template <Geometry G>
void cmd_geometry(Session& s, Params&) {
  s.view_settings.selected = G;
  setup_view(s);
}

void cmd_3drot(Session& s, Params& p) {
  const double a = getparm(p), b = getparm(p), c = getparm(p);
  const double sign = s.compat.level > kUprightPlaneLevel ? -1 : 1;
  ViewSettings& vs = s.view_settings;
  vs.xrot = std::isfinite(a) ? sign * a : 0;
  vs.yrot = std::isfinite(b) ? sign * b : 0;
  vs.zrot = std::isfinite(c) ? sign * c : 0;
  vs.rot_given = true;
  setup_view(s);
}

void cmd_rot(Session& s, Params& p) {
  const double a = getparm(p);
  s.axes.angle = std::isfinite(a) ? a : 0;
}

void cmd_offset3d(Session& s, Params& p) {
  const double dx = getparm(p), dy = getparm(p);
  if (std::isfinite(dx)) s.view.ox += dx;
  if (std::isfinite(dy)) s.view.oy += dy;
}

template <bool Nohide>
void cmd_hide(Session& s, Params&) {
  s.view_settings.nohide = Nohide;
  s.view.nohide = Nohide;
}

// XLINES [a b] and YLINES [a b]: mesh lines on, with the solid surface's
// line window (-1.32 .. 1.32 when not given).
// The settings of the mesh lines along one direction: whether they are
// drawn, in the settings and in the view, and their window.
struct MeshLines {
  bool ViewSettings::*setting;
  bool View::*shown;
  double SolidLines::*lo;
  double SolidLines::*hi;
};
constexpr MeshLines kXLines{&ViewSettings::xlines, &View::xlines, &SolidLines::x_lo,
                            &SolidLines::x_hi};
constexpr MeshLines kYLines{&ViewSettings::ylines, &View::ylines, &SolidLines::y_lo,
                            &SolidLines::y_hi};

template <MeshLines kLines>
void cmd_lines(Session& s, Params& p) {
  bool missing = false;
  double lo = getparm(p, &missing, false);
  double hi = missing ? 0 : getparm(p, &missing, false);
  if (missing) {
    lo = -1.32;
    hi = 1.32;
  }
  s.view_settings.*kLines.setting = s.view.*kLines.shown = true;
  s.solid_lines.*kLines.lo = lo;
  s.solid_lines.*kLines.hi = hi;
}

template <MeshLines kLines>
void cmd_nolines(Session& s, Params&) {
  s.view_settings.*kLines.setting = s.view.*kLines.shown = false;
}

// ---- 3-D moves, draws and curves ------------------------------------------------------

void cmd_3dmove(Session& s, Params& p) {
  const double x = getparm(p), y = getparm(p), z = getparm(p);
  if (!geometry_ready(s)) return;
  move3d(s.view, s.ps, x, y, z);
  set_pen_position(s);
}

void cmd_3ddraw(Session& s, Params& p) {
  const double x = getparm(p), y = getparm(p), z = getparm(p);
  bool missing = false;
  const double steps = getparm(p, &missing, false);
  const int n = std::isfinite(steps) ? static_cast<int>(std::clamp(steps, 1.0, 1.0e9)) : 1;
  if (!geometry_ready(s)) return;
  set_dash(s.ps, kSolidDash);
  newpen(s.ps, s.pen.line_thickness);
  // Untrusted input draws in few steps: each step may walk thousands of pixels.
  draw3d(s.view, s.horizon, s.ps, x, y, z, missing ? 1 : s.run.bounded ? std::min(n, 1000) : n);
  set_pen_position(s);
}

void cmd_do3dplot(Session& s, Params&) {
  if (!geometry_ready(s)) return;
  View& v = s.view;
  const AxisLimits &lx = s.axes[X].limits, &ly = s.axes[Y].limits, &lz = s.axes[Z].limits;
  if (limit_unset(lx.min) || limit_unset(lx.max) || limit_unset(ly.min) || limit_unset(ly.max)) {
    s.err().line("Error--please set xmin, xmax, ymin and ymax and try again");
    return;
  }
  v.x0 = lx.min;
  v.x1 = lx.max;
  v.y0 = ly.min;
  v.y1 = ly.max;
  if (!limit_unset(lz.min) && !limit_unset(lz.max)) {
    v.z0 = lz.min;
    v.z1 = lz.max;
  }
  const CurvePoints pts = s.curve_points();
  CurveStyle style = s.curve_style();
  style.angle = 0;  // the view turns the curve
  const std::array<bool, 3> chop = {lx.chop, ly.chop, lz.chop};
  const Rgb& c = s.pen.data_color;
  setrgbcolor(s.ps, c.r, c.g, c.b);
  style.chop = chop;
  style.progress = s.units.verbose ? &s.term : nullptr;
  line3d(v, s.horizon, s.ps, s.text, s.text_context(), pts, style);
}

// PLOT3D: the curve, the axes and the frame edges, queued behind what waits.
void cmd_plot3d(Session& s, Params&) {
  const bool scaled[3] = {s.axes[X].data_units, s.axes[Y].data_units, s.axes[Z].data_units};
  const std::string lx = free_real(s.axes[X].length), ly = free_real(s.axes[Y].length),
                    lz = free_real(s.axes[Z].length);
  for (const std::string& line :
       {std::string("DO3DPLOT"), std::string("SHOW3DXAXIS"), std::string("SHOW3DZAXIS"),
        std::string("SHOWSECOND3DYAXIS"), std::string("NOSCALE"), "3DMOVE 0 0 " + lz,
        "3DDRAW 0 " + ly + " " + lz, "3DDRAW 0 " + ly + " 0", "3DMOVE 0 " + ly + " " + lz,
        "3DDRAW " + lx + " " + ly + " " + lz, "3DDRAW " + lx + " " + ly + " 0"})
    append_command(s.stream, line);
  const char* const words[3] = {"XSCALE", "YSCALE", "ZSCALE"};
  for (int k = 0; k < 3; ++k)
    if (scaled[k]) append_command(s.stream, words[k]);
}

// SHOW3DXAX (and Y, Z, and the SHOWSECOND3D forms): the axis along the
// projected box edge.
template <AxisId A, AxisSide kSide>
void cmd_show3dax(Session& s, Params&) {
  if (!geometry_ready(s)) return;
  const View& v = s.view;
  std::array<double, 3> from{0, 0, 0}, to{0, 0, 0};
  const int k = static_cast<int>(A);
  const double lengths[3] = {v.lx, v.ly, v.lz};
  if (kSide == AxisSide::kSecond) {
    // The opposite edge: across the box from the first.
    if (A == X) from[1] = to[1] = v.ly;
    if (A == Y) from[0] = to[0] = v.lx;
    if (A == Z) from[0] = to[0] = v.lx, from[1] = to[1] = v.ly;
  }
  to[k] = lengths[k];
  double x0, y0, x1, y1, depth;
  project(v, from, x0, y0, depth);
  project(v, to, x1, y1, depth);
  const double length = std::hypot(x1 - x0, y1 - y0);
  if (!(length > 1e-9) || !std::isfinite(length)) return;
  AxisPlacement at;
  at.x = x0;
  at.y = y0;
  at.length = length;
  at.angle = std::atan2(y1 - y0, x1 - x0) * 180 / 3.14159265358979323846;
  show_placed_axis(s, A, kSide, at);
}

// ---- surfaces -------------------------------------------------------------------------

void cmd_surf(Session& s, Params&) {
  Grid g;
  if (!array_grid(s, "SURF", g)) return;
  setup_view_for(s, &s.array.values);
  const Rgb& c = s.pen.data_color;
  setrgbcolor(s.ps, c.r, c.g, c.b);
  newpen(s.ps, s.pen.line_thickness);
  set_dash(s.ps, kSolidDash);
  surfas(s.view, s.horizon, s.ps, g);
}

void cmd_solid(Session& s, Params&) {
  Grid g;
  if (!array_grid(s, "SOLID", g)) return;
  setup_view_for(s, &s.array.values);
  solid(s.view, s.ps, g, s.view.z0, s.view.z1, s.pen.ncolors, s.solid_lines);
}

// ---- gridding scattered data ----------------------------------------------------------

void cmd_fill3df(Session& s, Params& p) {
  const std::string text = rest_of_line(p);
  setcvariable(s.vars, "FILL3DFUNCTION", text, s.err());
  s.view_settings.use_default_fill3d = false;
}

// Writes the grid's values as a command file that loads them with ARRAY;
// false after a message naming the file and the reason.
bool write_fill3d_file(Session& s, const std::string& name, int nx, int ny,
                       const std::vector<double>& values) {
  int error = 0;
  std::FILE* fp = s.create_temp_file(name, error);
  if (fp) {
    errno = 0;
    std::string out = "array " + std::to_string(nx) + " " + std::to_string(ny) + "\n";
    for (double v : values) out += " " + free_real(v) + "\n";
    out += "RETURN/DELETE\n";
    if (std::fwrite(out.data(), 1, out.size(), fp) != out.size()) error = errno ? errno : EIO;
    if (std::fclose(fp) != 0 && error == 0) error = errno ? errno : EIO;
  }
  if (error == 0) return true;
  s.err().line("Cannot write the scratch command file " + name + ": " +
               (error == EEXIST ? "it exists and was not made by this run"
                                : std::string(std::strerror(error))) +
               "; the array is unchanged.");
  if (fp) std::remove(name.c_str());
  return false;
}

void cmd_fill3d(Session& s, Params&) {
  const ArrayGrid& a = s.array;
  const PointStore& st = s.store;
  if (a.nx < 1 || a.ny < 1 || a.x.size() < static_cast<size_t>(a.nx) ||
      a.y.size() < static_cast<size_t>(a.ny)) {
    s.err().line(
        "FILL3D: the array has no grid (ARRAYX and ARRAYY, or ARRAYXSCALE and "
        "ARRAYYSCALE, make one).");
    return;
  }
  if (a.size() > kMaxArrayValues) {
    s.err().line("ARRAY is too large for available memory");
    return;
  }
  const size_t n = static_cast<size_t>(std::max(st.npts(), 0));
  if (n == 0) {
    s.err().line("FILL3D: there are no data points to grid.");
    return;
  }
  if (s.run.bounded && n * a.size() > 10'000'000) return;  // untrusted input stays quick
  std::vector<double> z(n);
  for (size_t k = 0; k < n; ++k) z[k] = st.z[k];
  const Scatter pts{st.x.data(), st.y.data(), z.data(), n};
  const bool polar = s.view_settings.selected == Geometry::kPolar;
  std::vector<double> out;
  bool ok;
  if (s.view_settings.use_default_fill3d) {
    ok = fill3d(
        pts, a, polar,
        [](double dx, double dy, double, double& w) {
          w = default_weight(dx, dy);
          return true;
        },
        out);
  } else {
    // The user's weight, compiled once; X and Y are the distances, Z the
    // point's height.
    auto it = s.vars.char_index.find("FILL3DFUNCTION");
    const std::string text =
        it != s.vars.char_index.end() ? s.vars.chars[it->second - 1].value : kDefaultFill3d;
    MathEnv env = s.math_env();
    CurrentPoint& pt = s.point;
    CompiledMath compiled;
    pt.error = 0;
    stak_math(text, env, compiled, true);
    ok = fill3d(
        pts, a, polar,
        [&](double dx, double dy, double zk, double& w) {
          pt.x = dx;
          pt.y = dy;
          pt.z = zk;
          pt.error = 0;
          if (compiled.compiled) {
            s.math.count = 0;
            cmath(compiled, env);
            w = s.math.count > 0 ? s.math.values[static_cast<size_t>(s.math.count - 1)] : 0.0;
          } else {
            w = stak_math(text, env, s.scratch_math);
          }
          return pt.error == 0 && std::isfinite(w);
        },
        out);
    if (!ok) {
      s.err().line("FILL3D: the weight function " + text +
                   " could not be computed; the array is unchanged.");
      return;
    }
  }
  // A node where every weight was 0 has no value.
  for (double& v : out)
    if (!std::isfinite(v)) v = kMissingValue;
  const std::string name = "vexal_tmp.tmp";
  if (!write_fill3d_file(s, name, a.nx, a.ny, out)) return;
  push_command(s.stream, "COMMANDFILE/NOSTAMP " + name + " ", kVerbatim);
}

// ---- contours -------------------------------------------------------------------------

// The Z range of the contours: the Z data limits, or the array's extremes.
std::pair<double, double> contour_range(const Session& s) { return z_corners(s, &s.array.values); }

// The flat frame of a plot in the plane: the origin moved to the array's
// first node on the axes, clipped to the axis box when clipping is on, and
// the frame as large as the array's extent on the axes. Undone by its
// destructor.
class FlatFrame {
 public:
  FlatFrame(Session& s, double first_x, double first_y, double last_x, double last_y) : s_(s) {
    const double fx = fixpoint(first_x, s.axes[X], nullptr);
    const double fy = fixpoint(first_y, s.axes[Y], nullptr);
    extent_x_ = fixpoint(last_x, s.axes[X], nullptr) - fx;
    extent_y_ = fixpoint(last_y, s.axes[Y], nullptr) - fy;
    setup_view(s);  // the view matrix of the angles given
    double depth;
    project(s.view, {fx, fy, 0}, ox_, oy_, depth);
    ox_ -= s.view.ox;
    oy_ -= s.view.oy;
    plot(s.ps, ox_, oy_, PenCode::kMoveOrigin);
    clipped_ = s.pen.xclip || s.pen.yclip;
    if (clipped_) {
      double bx[4], by[4];
      const double cx[4] = {0, s.axes[X].length, s.axes[X].length, 0},
                   cy[4] = {0, 0, s.axes[Y].length, s.axes[Y].length};
      for (int k = 0; k < 4; ++k) {
        project(s.view, {cx[k] - fx, cy[k] - fy, 0}, bx[k], by[k], depth);
        bx[k] -= s.view.ox;
        by[k] -= s.view.oy;
      }
      clipregion(s.ps, bx, by, 4);
    }
    const double xd = s.axes[X].length, yd = s.axes[Y].length;
    s.axes[X].length = std::fabs(extent_x_) > 0 ? std::fabs(extent_x_) : xd;
    s.axes[Y].length = std::fabs(extent_y_) > 0 ? std::fabs(extent_y_) : yd;
    const Geometry selected = s.view_settings.selected;
    s.view_settings.selected = Geometry::kCartesian;
    setup_view_for(s, &s.array.values);
    s.view_settings.selected = selected;
    s.axes[X].length = xd;
    s.axes[Y].length = yd;
  }
  ~FlatFrame() {
    if (clipped_) noclip(s_.ps);
    plot(s_.ps, -ox_, -oy_, PenCode::kMoveOrigin);
  }
  FlatFrame(const FlatFrame&) = delete;
  FlatFrame& operator=(const FlatFrame&) = delete;

 private:
  Session& s_;
  double ox_ = 0, oy_ = 0, extent_x_ = 0, extent_y_ = 0;
  bool clipped_ = false;
};

ContourStyle contour_style(const Session& s) {
  ContourStyle st;
  st.annotate = s.contours.annotate;
  st.clear_labels = s.contours.clear_labels;
  st.label_spacing = s.contours.label_spacing;
  st.label_size = s.axes.contour_label_size;
  st.label_angle = s.axes[Z].numbers.angle;
  st.line_color = s.pen.data_color;
  st.label_color = s.pen.text_color;
  return st;
}

// After the lines: STEP, and the Z minor ticks from a positive step.
void after_contours(Session& s, double step) {
  setvariable(s.vars, "STEP", step);
  if (!(step > 0) || !std::isfinite(step)) return;
  double m = 1 / step;
  while (m > 10) m /= 10;
  while (m < 1) m *= 10;
  s.axes[Z].layout.mt = static_cast<int>(std::lround(m));
}

// CONT, SHOWCONT (all levels) and ONECONT, SHOWONECONT level.
template <bool One>
void cmd_cont(Session& s, Params& p) {
  const double level = One ? getparm(p) : 0;
  Grid g;
  if (!array_grid(s, One ? "ONECONT" : "CONT", g)) return;
  const std::pair<double, double> range = contour_range(s);
  const double zmin = range.first, zmax = range.second;
  ContourStyle st = contour_style(s);
  st.levels = One ? one_level(level) : contour_levels(zmin, zmax, s.contours.step);
  newpen(s.ps, s.pen.line_thickness);
  set_dash(s.ps, kSolidDash);
  auto draw = [&] { contr(s.view, s.horizon, s.ps, s.text, s.text_context(), g, st); };
  if (s.view_settings.selected != Geometry::kCartesian) {
    setup_view_for(s, &s.array.values);
    draw();
  } else {
    FlatFrame frame(s, g.x[0], g.y[0], g.x[g.nx - 1], g.y[g.ny - 1]);
    draw();
  }
  if (One) return;
  if (st.levels.capped)
    s.err().line("CONT: the step gives more than " + std::to_string(kMaxContourLevels) +
                 " levels; only the first " + std::to_string(kMaxContourLevels) + " are drawn.");
  after_contours(s, st.levels.step);
}

void cmd_contourstep(Session& s, Params& p) {
  const double step = getparm(p);
  s.contours.step = std::isfinite(step) ? step : 0;
  setvariable(s.vars, "CONTOUR_STEP", s.contours.step);
}

// ANNOTATEC [CLEAR [spacing]] and NOANNOTATEC. Alone, ANNOTATEC labels the
// lines where the cell walk's count says; CLEAR places the labels along the
// lines, clear of each other and the frame, at most one per `spacing`
// inches (1.5 when not given). Other words are ignored, as they always were.
template <bool On>
void cmd_annotatec(Session& s, Params& p) {
  s.contours.annotate = On;
  s.contours.clear_labels = false;
  if (!On || upper(getcparm(p, false)) != "CLEAR") return;
  s.contours.clear_labels = true;
  s.contours.label_spacing = 1.5;
  if (rest_of_line(p).empty()) return;
  bool error = false;
  const double spacing = getparm(p, &error);
  if (error) return;
  if (std::isfinite(spacing) && spacing > 0)
    s.contours.label_spacing = spacing;
  else
    s.err().line("ANNOTATEC CLEAR: the spacing must be a positive number of inches; 1.5 is used.");
}

template <bool On>
void cmd_trimcon(Session& s, Params&) {
  s.contours.trim = On;
}

// CCONT, COLORCONT, GCONT, GRAYCONT, GREYCONT: the array as colour cells,
// each node's cell as wide as its spacing (halved at the ends, or with
// NOTRIMCON the frame widened by half a cell on each side and every node a
// whole cell).
void cmd_ccont(Session& s, Params&) {
  Grid g;
  if (!array_grid(s, "CCONT", g)) return;
  const ArrayGrid& a = s.array;
  std::vector<double> dx, dy;
  set_spacing(a.x, a.nx, a.fixed_dx, dx);
  set_spacing(a.y, a.ny, a.fixed_dy, dy);
  const bool trim = s.contours.trim;
  const size_t nx = static_cast<size_t>(a.nx), ny = static_cast<size_t>(a.ny);
  double first_x = g.x[0], first_y = g.y[0], last_x = g.x[nx - 1], last_y = g.y[ny - 1];
  if (!trim) {
    first_x -= dx[0] / 2;
    last_x += dx[nx - 1] / 2;
    first_y -= dy[0] / 2;
    last_y += dy[ny - 1] / 2;
  }
  const std::pair<double, double> range = contour_range(s);
  const double zmin = range.first, zmax = range.second;
  auto draw = [&](double lx, double ly) {
    // Spacings in frame inches over the frame's data extent.
    const double sx = lx / (last_x - first_x), sy = ly / (last_y - first_y);
    std::vector<double> widths(nx), heights(ny);
    for (size_t i = 0; i < nx; ++i) widths[i] = dx[i] * sx;
    for (size_t j = 0; j < ny; ++j) heights[j] = dy[j] * sy;
    if (!trim) {
      widths[0] *= 2;
      widths[nx - 1] *= 2;
      heights[0] *= 2;
      heights[ny - 1] *= 2;
    }
    concol(s.view, s.ps, g, widths, heights, {s.pen.ncolors, zmin, zmax});
  };
  if (s.view_settings.selected != Geometry::kCartesian) {
    setup_view_for(s, &s.array.values);
    draw(s.view.lx, s.view.ly);
  } else {
    FlatFrame frame(s, first_x, first_y, last_x, last_y);
    draw(s.view.lx, s.view.ly);
  }
}

void cmd_colorscale(Session& s, Params&) {
  color_scale(s.ps, s.axes[X].length, s.axes[Z].length, s.ps.scale / s.ps.res, s.pen.ncolors,
              s.pen.line_thickness);
}

void cmd_vlen(Session& s, Params& p) {
  const double v = getparm(p);
  s.contours.vlen = std::isfinite(v) ? v : 0;
}

// VECTOR: arrows of the array (u) and the second array (v) at the nodes.
void cmd_vector(Session& s, Params&) {
  Grid g;
  if (!array_grid(s, "VECTOR", g)) return;
  if (s.array.second.size() < s.array.size()) {
    s.err().line(
        "VECTOR: the second array (ARRAY2) must hold v in the array's shape; nothing "
        "drawn.");
    return;
  }
  if (!(s.contours.vlen != 0)) {
    s.err().line("VECTOR: VLEN is 0, so every arrow has no length; nothing drawn.");
    return;
  }
  const Rgb& c = s.pen.data_color;
  setrgbcolor(s.ps, c.r, c.g, c.b);
  newpen(s.ps, s.pen.line_thickness);
  if (!vectr(s.ps, g, s.array.second.data(), s.axes[X].length, s.axes[Y].length, s.contours.vlen))
    s.err().line("VECTOR: every vector is zero; nothing drawn.");
}

constexpr Command kThreedCommands[] = {
    {"3DDRAW", cmd_3ddraw},
    {"3DMOVE", cmd_3dmove},
    {"3DPLOT", cmd_plot3d},
    {"3DROT", cmd_3drot},
    {"ANNOTATEC", cmd_annotatec<true>},
    {"CARTESIAN", cmd_geometry<Geometry::kCartesian>},
    {"CCONT", cmd_ccont},
    {"COLORCONT", cmd_ccont},
    {"CONT", cmd_cont<false>},
    {"CONTOURSTEP", cmd_contourstep},
    {"COS3D", cmd_geometry<Geometry::kCosine>},
    {"DEFINE3D", cmd_3drot},
    {"DO3DPLOT", cmd_do3dplot},
    {"FILL3D", cmd_fill3d},
    {"FILL3DF", cmd_fill3df},
    {"GCONT", cmd_ccont},
    {"GRAYCONT", cmd_ccont},
    {"GREYCONT", cmd_ccont},
    {"HIDE", cmd_hide<false>},
    {"NOANNOTATEC", cmd_annotatec<false>},
    {"NOHIDE", cmd_hide<true>},
    {"NOTRIMCON", cmd_trimcon<false>},
    {"NOXLINES", cmd_nolines<kXLines>},
    {"NOYLINES", cmd_nolines<kYLines>},
    {"OFFSET3D", cmd_offset3d},
    {"ONECONT", cmd_cont<true>},
    {"PLOT3D", cmd_plot3d},
    {"POLAR", cmd_geometry<Geometry::kPolar>},
    {"ROT", cmd_rot},
    {"SHOW3DXAX", cmd_show3dax<X, AxisSide::kFirst>},
    {"SHOW3DYAX", cmd_show3dax<Y, AxisSide::kFirst>},
    {"SHOW3DZAX", cmd_show3dax<Z, AxisSide::kFirst>},
    {"SHOWSECOND3DXAX", cmd_show3dax<X, AxisSide::kSecond>},
    {"SHOWSECOND3DYAX", cmd_show3dax<Y, AxisSide::kSecond>},
    {"SHOWSECOND3DZAX", cmd_show3dax<Z, AxisSide::kSecond>},
    {"SHOWCOLORSCALE", cmd_colorscale},
    {"SHOWCONT", cmd_cont<false>},
    {"SHOWGRAYSCALE", cmd_colorscale},
    {"SHOWGREYSCALE", cmd_colorscale},
    {"SHOWONECONT", cmd_cont<true>},
    {"SHOWSURF", cmd_surf},
    {"SOLID", cmd_solid},
    {"SPHERICAL", cmd_geometry<Geometry::kSpherical>},
    {"STEP", cmd_contourstep},
    {"SURF", cmd_surf},
    {"TRIMCON", cmd_trimcon<true>},
    {"VECTOR", cmd_vector},
    {"VLEN", cmd_vlen},
    {"XLINES", cmd_lines<kXLines>},
    {"YLINES", cmd_lines<kYLines>},
};

}  // namespace

void setup_view(Session& s) { setup_view_for(s, nullptr); }

std::span<const Command> threed_commands() { return kThreedCommands; }

}  // namespace vexal

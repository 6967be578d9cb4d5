// Commands of shapes and patterns: circles, arrows and their sizes, filled
// polygons read from the command input, and the pattern comment lines.
#include <array>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "interp/command_table.h"
#include "interp/params.h"
#include "interp/session.h"
#include "postscript/shapes.h"

namespace vexal {

namespace {

// A drawing command's point in inches from the origin, as a MOVE target: the
// UNITS factor (or the axis mapping when that axis draws in data units),
// then the frame rotation.
void page_point(Session& s, double& x, double& y) {
  OutBuffer* warn = s.units.verbose ? &s.err() : nullptr;
  x = axis_inches(s.axes[AxisId::X], x, s.pen.units, warn);
  y = axis_inches(s.axes[AxisId::Y], y, s.pen.units, warn);
  rotate2d(x, y, s.axes.angle);
}

void data_color(Session& s) {
  const Rgb& c = s.pen.data_color;
  setrgbcolor(s.ps, c.r, c.g, c.b);
}

// ---- circles ---------------------------------------------------------------------

// A circle about the pen's position, radius r x UNITS.
void draw_circle(Session& s, Params& p, bool filled) {
  const double r = getparm(p) * s.pen.units;
  data_color(s);
  double x, y, scale;
  where(s.ps, x, y, scale);
  if (filled)
    filled_arc(s.ps, x, y, r);
  else
    arc(s.ps, x, y, r);
}

void cmd_circle(Session& s, Params& p) { draw_circle(s, p, false); }
void cmd_fcircle(Session& s, Params& p) { draw_circle(s, p, true); }

// ---- arrows ----------------------------------------------------------------------

// An arrow from the pen's position to the point given, which becomes the
// pen's position. An arrow without a finite, non-zero length draws nothing.
void draw_arrow(Session& s, Params& p, bool filled) {
  double x = getparm(p), y = getparm(p);
  page_point(s, x, y);
  double x0, y0, scale;
  where(s.ps, x0, y0, scale);
  const double length = std::hypot(x - x0, y - y0);
  if (!(length > 0) || !std::isfinite(length)) return;
  // Full-precision pi: with a shorter one an arrow along an axis would miss
  // its end by a device unit.
  const double angle = std::atan2(y - y0, x - x0) * 180 / std::numbers::pi;
  const double head = s.arrows.head > 0 ? s.arrows.head : 0.1 * length;
  const double shaft = s.arrows.shaft > 0 ? s.arrows.shaft : 0.03 * length;
  newpen(s.ps, s.pen.thickness);
  if (!filled) set_dash(s.ps, s.pen.dash);
  data_color(s);
  if (filled)
    filled_arrow(s.ps, x0, y0, length, shaft, head, angle);
  else
    arrow(s.ps, x0, y0, length, shaft, head, angle);
}

void cmd_arrow(Session& s, Params& p) { draw_arrow(s, p, false); }
void cmd_farrow(Session& s, Params& p) { draw_arrow(s, p, true); }
void cmd_ahs(Session& s, Params& p) { s.arrows.head = getparm(p) * s.pen.units; }
void cmd_asw(Session& s, Params& p) { s.arrows.shaft = getparm(p) * s.pen.units; }

// ---- filled polygons ---------------------------------------------------------------

// The vertices follow the command as lines of the command input, one "x y"
// each, at most NP of them; input that ends early gives a polygon of the
// lines read. They overwrite the X and Y of the points the store holds (the
// number of points stays as it was).
void cmd_fpoly(Session& s, Params& p) {
  const int n = std::min(int_parm(p), s.reader.np);
  std::vector<double> px, py;  // grow with the lines actually read, never from n
  std::string line;
  while (static_cast<int>(px.size()) < n && s.read_input_line(line)) {
    Params vertex{s, line};
    double x = getparm(vertex), y = getparm(vertex);
    page_point(s, x, y);
    px.push_back(x);
    py.push_back(y);
  }
  const int count = static_cast<int>(px.size());
  const int held = std::min(count, s.store.npts());
  std::copy_n(px.begin(), held, s.store.x.begin());
  std::copy_n(py.begin(), held, s.store.y.begin());
  data_color(s);
  filled_region(s.ps, px.data(), py.data(), count);
}

// ---- rasters and the image -------------------------------------------------------

// XRASTER / YRASTER: a strip of one cell per point held, coloured by the
// points' pen values, from the pen's position.
template <bool Across>
void cmd_raster(Session& s, Params&) {
  const int n = s.store.npts();
  if (n < 1) return;
  std::vector<int> colours(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) colours[static_cast<size_t>(i)] = s.store.pen[static_cast<size_t>(i)];
  if (Across)
    xraster(s.ps, s.raster.dx, s.raster.dy, n, colours.data());
  else
    yraster(s.ps, s.raster.dx, s.raster.dy, n, colours.data());
}

// SHOWIMAGE: the image over the X and Y axis lengths from the origin.
void cmd_showimage(Session& s, Params&) {
  const Image& img = s.image;
  if (img.width < 1 || img.height < 1) {
    s.err().line("SHOWIMAGE: there is no image loaded (IMAGE, PGM or ARRAYTOPGM makes one).");
    return;
  }
  show_image(s.ps, img.width, img.height, img.pixels.data(), s.axes[AxisId::X].length,
             s.axes[AxisId::Y].length);
}

// ---- patterns ----------------------------------------------------------------------

void cmd_definepat(Session& s, Params& p) {
  const int n = int_parm(p);
  std::array<int, 8> bytes;
  for (int& b : bytes) b = int_parm(p);
  define_pattern(s.ps, n, bytes);
}

void cmd_setpat(Session& s, Params& p) { set_pattern(s.ps, int_parm(p)); }

constexpr Command kShapeCommands[] = {
    {"CIRCLE", cmd_circle},
    {"FCIRCLE", cmd_fcircle},
    {"FILLEDCIRCLE", cmd_fcircle},
    {"ARROW", cmd_arrow},
    {"FARROW", cmd_farrow},
    {"FILLEDARROW", cmd_farrow},
    {"AHS", cmd_ahs},
    {"ARROWHEADS", cmd_ahs},
    {"ASW", cmd_asw},
    {"ARROWSHAFTW", cmd_asw},
    {"FPOLY", cmd_fpoly},
    {"FILLEDPOLY", cmd_fpoly},
    {"DEFINEPAT", cmd_definepat},
    {"SETPAT", cmd_setpat},
    {"SHOWIMAGE", cmd_showimage},
    {"XRASTER", cmd_raster<true>},
    {"YRASTER", cmd_raster<false>},
};

}  // namespace

std::span<const Command> shape_commands() { return kShapeCommands; }

}  // namespace vexal

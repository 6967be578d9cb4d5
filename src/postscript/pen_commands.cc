// Commands that act on the pen directly: pages and stamps, the origin, units
// and zoom, literal PostScript, line width, colours, moves and draws, dash
// patterns and clipping.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "interp/command_table.h"
#include "interp/listing.h"
#include "interp/params.h"
#include "interp/session.h"
#include "interp/shared_commands.h"
#include "util/calendar.h"
#include "util/free_format.h"
#include "util/text.h"

namespace vexal {

using enum AxisId;

namespace {

constexpr int kMaxClipVertices = 100;         // CLIPPOLY reads at most this many lines
constexpr double kUnclippedExtent = 100;      // CLIPATAXES without axis clipping: +-100 inches
constexpr int kMaxIntParameter = 1000000000;  // integer parameters are kept within this

// A numeric parameter as an integer: truncated toward zero, NaN as 0, kept
// within +-1e9 so that the conversion is defined.
int truncated(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(
      std::clamp(std::trunc(v), -1.0 * kMaxIntParameter, 1.0 * kMaxIntParameter));
}

// True when another parameter follows (optional parameters are read only then).
bool has_more(const Params& p) { return p.text.find_first_not_of(" \t,") != std::string::npos; }

// A value as the messages show it: whole numbers without decimals.
std::string shown(double v) {
  char buf[32];
  if (std::trunc(v) == v && std::abs(v) < 1e15)
    std::snprintf(buf, sizeof buf, "%.0f", v);
  else
    std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

// Reads a colour-table index. Outside 0..255 it is reported and false
// returned: the command then does nothing.
bool color_index(Session& s, Params& p, int& k) {
  const double v = getparm(p);
  const double t = std::trunc(v);
  if (!(t >= 0 && t < kColorTableSize)) {
    s.err().put("Colour index out of range (0..255): ");
    s.err().line(shown(v));
    return false;
  }
  k = static_cast<int>(t);
  return true;
}

// A drawing command's point in inches from the origin: the UNITS factor (or
// the axis mapping when that axis draws in data units), then the frame rotation.
void page_point(Session& s, double& x, double& y) {
  x = axis_inches(s.axes[X], x, s.pen.units, s.units.verbose ? &s.err() : nullptr);
  y = axis_inches(s.axes[Y], y, s.pen.units, s.units.verbose ? &s.err() : nullptr);
  rotate2d(x, y, s.axes.angle);
}

// A relative step: the UNITS factor only where that axis's scaling is off
// (a step has no data-unit mapping), then the frame rotation.
void page_step(const Session& s, double& dx, double& dy) {
  if (!s.axes[X].data_units) dx *= s.pen.units;
  if (!s.axes[Y].data_units) dy *= s.pen.units;
  rotate2d(dx, dy, s.axes.angle);
}

// The pen state a drawing command draws with: data dash, thickness, colour.
void drawing_pen(Session& s) {
  set_dash(s.ps, s.pen.dash);
  newpen(s.ps, s.pen.thickness);
  const Rgb& c = s.pen.data_color;
  setrgbcolor(s.ps, c.r, c.g, c.b);
}

// X and Y follow the pen's last position.
void set_xy_from_where(Session& s) {
  double x, y, scale;
  where(s.ps, x, y, scale);
  setvariable(s.vars, "X", x);
  setvariable(s.vars, "Y", y);
}

// The axis, text and data colours all become (r, g, b).
void set_working_colors(Session& s, double r, double g, double b) {
  s.pen.axis_color = s.pen.text_color = s.pen.data_color = Rgb{r, g, b};
}

// ---- pages, origin and scale -------------------------------------------------

void cmd_page(Session& s, Params&) {
  ++s.run.pages_done;
  write_page_stamps(s);
  plot(s.ps, 0, 0, PenCode::kNewPage);
  plot(s.ps, 1, 1, PenCode::kMoveOrigin);
  s.pen.xoff = 1;
  s.pen.yoff = 1;
}

void cmd_flush(Session& s, Params&) { out_flush(s.ps); }

void cmd_factor(Session& s, Params& p) { factor(s.ps, getparm(p)); }

void cmd_units(Session& s, Params& p) {
  const double u = getparm(p);
  s.pen.units = u > 0 ? u : 1;
}

// Moves the origin by (x, y) inches (already scaled), turned by the frame angle.
void shift_plot_origin(Session& s, double x, double y) {
  rotate2d(x, y, s.axes.angle);
  s.pen.xoff += x;
  s.pen.yoff += y;
  plot(s.ps, x, y, PenCode::kMoveOrigin);
}

// The commands below are pushed in front of the stack one by one, so they
// run in the reverse order of the pushes.
void cmd_orig(Session& s, Params& p) {
  const double x = getparm(p) * s.pen.units;
  const double y = getparm(p) * s.pen.units;
  const bool xscale = s.axes[X].data_units, yscale = s.axes[Y].data_units;
  shift_plot_origin(s, x, y);
  if (xscale) push_command(s.stream, "XSCALE");
  if (yscale) push_command(s.stream, "YSCALE");
  push_command(s.stream, "MOVE 0 0");
  push_command(s.stream, "NOSCALE");
}

void cmd_xorig(Session& s, Params& p) {
  const double x = getparm(p) * s.pen.units;
  const bool xscale = s.axes[X].data_units;
  shift_plot_origin(s, x, 0);
  if (xscale) push_command(s.stream, "XSCALE");
  push_command(s.stream, "MOVE 0 0");
  push_command(s.stream, "NOXSCALE");
}

void cmd_yorig(Session& s, Params& p) {
  const double y = getparm(p) * s.pen.units;
  const bool yscale = s.axes[Y].data_units;
  shift_plot_origin(s, 0, y);
  if (yscale) push_command(s.stream, "YSCALE");
  push_command(s.stream, "MOVE 0 0");
  push_command(s.stream, "NOYSCALE");
}

// The parameter text is the rest of the line after the command word, already
// substituted by the loop; it is written as it stands.
void cmd_literal(Session& s, Params& p) { ps_literal(s.ps, p.text); }

// ---- stamps -------------------------------------------------------------------

void cmd_stamp(Session& s, Params& p) {
  const std::string text = rest_of_line(p);
  if (text.empty()) {
    s.run.stamp = true;
    return;
  }
  const TextContext c = s.text_context();
  stamp(s.text, s.ps, c, text);
}

// ---- width and colour ---------------------------------------------------------

void cmd_pent(Session& s, Params& p) {
  s.pen.thickness = truncated(getparm(p));
  newpen(s.ps, s.pen.thickness);
}

void cmd_penw(Session& s, Params& p) {
  const double units = std::round(getparm(p) * s.ps.res);
  s.pen.thickness = std::max(1, truncated(units));
  newpen(s.ps, s.pen.thickness);
}

void cmd_setrgb(Session& s, Params& p) {
  const double r = getparm(p), g = getparm(p), b = getparm(p);
  setrgbcolor(s.ps, r, g, b);
  set_working_colors(s, r, g, b);
}

void set_gray(Session& s, double g) {
  g = g > 0 ? std::min(g, 1.0) : 0;  // NaN too becomes 0
  gray(s.ps, g);
  set_working_colors(s, g, g, g);
}

void cmd_gray(Session& s, Params& p) { set_gray(s, getparm(p)); }

void cmd_nogray(Session& s, Params&) { set_gray(s, 0); }

void cmd_definecol(Session& s, Params& p) {
  int k;
  if (!color_index(s, p, k)) return;
  const double r = getparm(p), g = getparm(p), b = getparm(p);
  define_color(s.ps, k, r, g, b);
}

// Selects the entry, then lets a SETRGB line carry its colour into the axis,
// text and data colours (the writer already holds it, so that line writes nothing).
void cmd_color(Session& s, Params& p) {
  int k;
  if (!color_index(s, p, k)) return;
  set_forecolor(s.ps, k);
  double r, g, b;
  whatis_color(s.ps, k, r, g, b);
  char line[96];
  std::snprintf(line, sizeof line, "SETRGB %.17g %.17g %.17g", r, g, b);
  push_command(s.stream, line);
}

void cmd_backc(Session& s, Params& p) {
  int k;
  if (color_index(s, p, k)) set_backcolor(s.ps, k);
}

void cmd_ncolors(Session& s, Params& p) {
  const double v = getparm(p);
  const int n = truncated(v);
  if (n < 1 || n > kColorTableSize) {
    s.err().put("Number of colours out of range (1..256): ");
    s.err().line(shown(v));
    return;
  }
  s.pen.ncolors = n;
  setvariable(s.vars, "NCOLORS", n);
}

void cmd_dumpcolor(Session& s, Params& p) {
  Listing list(s, getcparm(p, false));
  if (list.failed()) return;
  OutBuffer& out = list.out();
  out.put(" ncolors ");
  out.line(free_int(s.pen.ncolors));
  for (int k = 0; k < s.pen.ncolors; ++k) {
    const Rgb& c = s.ps.cmap[k];
    char line[80];
    int n = std::snprintf(line, sizeof line, " definecolor %4d%8.5f%8.5f%8.5f\n", k, c.r, c.g, c.b);
    out.put(std::string_view(line, std::min<size_t>(n, sizeof line - 1)));
  }
}

// ---- moves and draws ------------------------------------------------------------

void cmd_move(Session& s, Params& p) {
  double x = getparm(p), y = getparm(p);
  setvariable(s.vars, "X", x);
  setvariable(s.vars, "Y", y);
  page_point(s, x, y);
  plot(s.ps, x, y, PenCode::kMove);
}

void cmd_draw(Session& s, Params& p) {
  double x = getparm(p), y = getparm(p);
  drawing_pen(s);
  setvariable(s.vars, "X", x);
  setvariable(s.vars, "Y", y);
  page_point(s, x, y);
  plot(s.ps, x, y, PenCode::kDraw);
}

void cmd_amove(Session& s, Params& p) {
  double x = getparm(p), y = getparm(p);
  page_point(s, x, y);
  amoveto(s.ps, x, y);
  set_xy_from_where(s);
}

void cmd_adraw(Session& s, Params& p) {
  double x = getparm(p), y = getparm(p);
  drawing_pen(s);
  page_point(s, x, y);
  adrawto(s.ps, x, y);
}

void cmd_rmove(Session& s, Params& p) {
  double dx = getparm(p), dy = getparm(p);
  page_step(s, dx, dy);
  rmoveto(s.ps, dx, dy);
  set_xy_from_where(s);
}

void cmd_rdraw(Session& s, Params& p) {
  double dx = getparm(p), dy = getparm(p);
  drawing_pen(s);
  page_step(s, dx, dy);
  rdrawto(s.ps, dx, dy);
  set_xy_from_where(s);
}

// ---- dash patterns --------------------------------------------------------------

double nonnegative(double v) { return v > 0 ? v : 0; }  // NaN too becomes 0

void cmd_dash(Session& s, Params& p) {
  DashPattern d{};
  const double a = nonnegative(getparm(p));
  if (has_more(p)) {
    d[0] = a;
    d[1] = nonnegative(getparm(p));
  } else {
    d[0] = d[1] = a / 2;
  }
  for (int i = 2; i < 8 && has_more(p); ++i) d[i] = nonnegative(getparm(p));
  s.pen.dash = d;
}

void cmd_nodash(Session& s, Params&) { s.pen.dash = kSolidDash; }

void cmd_mark(Session& s, Params& p) {
  DashPattern& d = s.pen.dash;
  d[0] = nonnegative(getparm(p));
  std::fill(d.begin() + 2, d.end(), 0.0);
}

void cmd_space(Session& s, Params& p) {
  DashPattern& d = s.pen.dash;
  d[1] = nonnegative(getparm(p));
  std::fill(d.begin() + 2, d.end(), 0.0);
}

// ---- clipping -------------------------------------------------------------------

void cmd_clip(Session& s, Params&) { s.pen.xclip = s.pen.yclip = true; }

void cmd_noclip(Session& s, Params&) {
  s.pen.xclip = s.pen.yclip = false;
  noclip(s.ps);
}

void cmd_clipataxes(Session& s, Params&) {
  const double x0 = s.pen.xclip ? 0 : -kUnclippedExtent;
  const double x1 = s.pen.xclip ? s.axes[X].length : kUnclippedExtent;
  const double y0 = s.pen.yclip ? 0 : -kUnclippedExtent;
  const double y1 = s.pen.yclip ? s.axes[Y].length : kUnclippedExtent;
  double x[4] = {x0, x1, x1, x0};
  double y[4] = {y0, y0, y1, y1};
  for (int i = 0; i < 4; ++i) rotate2d(x[i], y[i], s.axes.angle);
  clipregion(s.ps, x, y, 4);
}

void cmd_clipcircle(Session& s, Params& p) {
  const double r = getparm(p) * s.pen.units;
  const Rgb& c = s.pen.data_color;
  setrgbcolor(s.ps, c.r, c.g, c.b);
  double x, y, scale;
  where(s.ps, x, y, scale);
  clipcircle(s.ps, x, y, r);
}

// The vertices follow the command as lines of the command input, one "x y"
// each; input that ends early gives a polygon of the lines read.
void cmd_clippoly(Session& s, Params& p) {
  const int n = std::clamp(truncated(getparm(p)), 0, kMaxClipVertices);
  double x[kMaxClipVertices], y[kMaxClipVertices];
  int count = 0;
  std::string line;
  while (count < n && s.read_input_line(line)) {
    Params vertex{s, line};
    x[count] = getparm(vertex);
    y[count] = getparm(vertex);
    page_point(s, x[count], y[count]);
    ++count;
  }
  clipregion(s.ps, x, y, count);
}

void cmd_lineseg(Session& s, Params& p) { s.pen.line_sample = getparm(p) * s.pen.units; }

constexpr Command kPenCommands[] = {
    {"PAGE", cmd_page},
    {"NEWPAGE", cmd_page},
    {"FLUSH", cmd_flush},
    {"FACTOR", cmd_factor},
    {"ZOOM", cmd_factor},
    {"UNITS", cmd_units},
    {"ORIG", cmd_orig},
    {"XORIG", cmd_xorig},
    {"YORIG", cmd_yorig},
    {"LITERAL", cmd_literal},
    {"STAMP", cmd_stamp},
    {"NOSTAMP", cmd_set<false, &Session::run, &RunState::stamp>},
    {"NOTIME", cmd_set<false, &Session::run, &RunState::stamp>},
    {"PENT", cmd_pent},
    {"PENW", cmd_penw},
    {"SETRGB", cmd_setrgb},
    {"SETCOLOR", cmd_setrgb},
    {"GRAY", cmd_gray},
    {"GREY", cmd_gray},
    {"NOGRAY", cmd_nogray},
    {"NOGREY", cmd_nogray},
    {"DEFINECOL", cmd_definecol},
    {"COLOR", cmd_color},
    {"FOREC", cmd_color},
    {"BACKC", cmd_backc},
    {"NCOLORS", cmd_ncolors},
    {"DUMPCOLOR", cmd_dumpcolor},
    {"MOVE", cmd_move},
    {"DRAW", cmd_draw},
    {"AMOVE", cmd_amove},
    {"ADRAW", cmd_adraw},
    {"RMOVE", cmd_rmove},
    {"RDRAW", cmd_rdraw},
    {"DASH", cmd_dash},
    {"DATADASH", cmd_dash},
    {"NODASH", cmd_nodash},
    {"NODATADASH", cmd_nodash},
    {"MARK", cmd_mark},
    {"SPACE", cmd_space},
    {"CLIP", cmd_clip},
    {"NOCLIP", cmd_noclip},
    {"CLIPATAXES", cmd_clipataxes},
    {"CLIPCIRCLE", cmd_clipcircle},
    {"CLIPPOLY", cmd_clippoly},
    {"LINESEG", cmd_lineseg},
};

}  // namespace

std::span<const Command> pen_commands() { return kPenCommands; }

void write_page_stamps(Session& s) {
  if (!s.run.stamp) return;
  const TextContext c = s.text_context();
  init_stamp(s.ps);
  stamp(s.text, s.ps, c, "|T|-|+|>|>|>" + getcvariable(s.vars, "CREDITS", s.err()));
  stamp(s.text, s.ps, c, "|H" + s.run.pwd);
  stamp(s.text, s.ps, c, "|H" + std::string(trimmed(s.run.version_text)));
  const std::string date = date_text(), time = clocktime();
  setcvariable(s.vars, "DATE", date, s.err());
  setcvariable(s.vars, "TIME", time, s.err());
  stamp(s.text, s.ps, c, "|H" + date + " " + time);
  char page[24];
  std::snprintf(page, sizeof page, "|HPage:%5d", s.run.pages_done);
  stamp(s.text, s.ps, c, page);
}

void stamp_file_name(Session& s, std::string_view name) {
  if (!s.run.stamp) return;
  const TextContext c = s.text_context();
  stamp(s.text, s.ps, c, "|H" + std::string(trimmed(name)));
}

}  // namespace vexal

// Commands of scaling and axes: limits, lengths, log and border flags,
// data-unit drawing, ticks, labels, grids, axis pens, number flush checks and
// transformations, and the commands that draw the axes of a plot.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "axes/axis_state.h"
#include "axes/varax.h"
#include "data/append.h"
#include "interp/command_table.h"
#include "interp/params.h"
#include "interp/session.h"
#include "interp/shared_commands.h"
#include "util/text.h"

namespace vexal {

namespace {

constexpr double kFramePi = static_cast<double>(3.14159265358979f);
constexpr double kMoreTicks = 1.414, kFewerTicks = 0.707;  // density factor steps
constexpr double kStartupAxisWidth = 0.0075;               // inches: the start-up axis pen

using enum AxisId;

// The axis's name with `rest` after it: "XMIN", "YLABEL", ...
std::string name(AxisId axis, const char* rest) { return axis_letter(axis) + std::string(rest); }

// ---- parameters ----------------------------------------------------------------

// A length parameter: the value times the UNITS factor.
double length_parm(Session& s, Params& p) { return getparm(p) * s.pen.units; }

bool has_more(const Params& p) { return p.text.find_first_not_of(" \t,") != std::string::npos; }

// The thickness in device units of a label or number pen; -1 stands for the
// axis thickness at start-up, 0.0075 inch at the document's resolution.
int pen_thickness(const Session& s, int thickness) {
  return thickness >= 0 ? thickness
                        : static_cast<int>(std::lround(kStartupAxisWidth * s.run.precision));
}

// The data file opened for reading, or nullptr after the reader's message.
std::FILE* open_data_file(Session& s) {
  if (!s.may_read(s.cs.datafile)) return nullptr;
  std::FILE* fp = fopen_regular(s.cs.datafile);
  if (!fp) {
    s.err().put("Error--cannot open data file ");
    s.err().line(trimmed(s.cs.datafile));
  }
  return fp;
}

// ---- limits and lengths ----------------------------------------------------------

// The data limit and the drawing limit become v, and the border is switched
// off by a queued command so that the next read does not widen them.
template <AxisId A, bool kMin>
void cmd_limit(Session& s, Params& p) {
  const double v = getparm(p);
  AxisLimits& lim = s.axes[A].limits;
  (kMin ? lim.min : lim.max) = v;
  (kMin ? lim.minu : lim.maxu) = v;
  setvariable(s.vars, name(A, kMin ? "MIN" : "MAX"), v);
  push_command(s.stream, "NO" + name(A, "BORDER"));
}

template <AxisId A>
void cmd_minmax(Session& s, Params& p) {
  const double lo = getparm(p), hi = getparm(p);
  AxisLimits& lim = s.axes[A].limits;
  lim.min = lim.minu = lo;
  lim.max = lim.maxu = hi;
  setvariable(s.vars, name(A, "MIN"), lo);
  setvariable(s.vars, name(A, "MAX"), hi);
  push_command(s.stream, "NO" + name(A, "BORDER"));
}

// The data limits are forgotten, so that the next read derives them.
template <AxisId A>
void cmd_res_axis(Session& s, Params&) {
  AxisLimits& lim = s.axes[A].limits;
  lim.min = lim.max = kUnsetLimit;
}

void cmd_res(Session& s, Params& p) {
  cmd_res_axis<X>(s, p);
  cmd_res_axis<Y>(s, p);
  cmd_res_axis<Z>(s, p);
}

template <AxisId A>
void cmd_dim_axis(Session& s, Params& p) {
  const double d = length_parm(s, p);
  s.axes[A].length = d;
  setvariable(s.vars, name(A, "DIM"), d);
}

void cmd_dim(Session& s, Params& p) {
  cmd_dim_axis<X>(s, p);
  cmd_dim_axis<Y>(s, p);
}

// ---- tick placement -------------------------------------------------------------------

// XAUTO switches the user tick values off, NOXAUTO leaves them.
template <AxisSet kAxes, bool kOn>
void cmd_auto(Session& s, Params& p) {
  cmd_axis_set<kAxes, kOn, &Axis::layout, &AxisLayout::avar>(s, p);
  if (kOn) cmd_axis_set<kAxes, false, &Axis::layout, &AxisLayout::var>(s, p);
}

// User tick values typed after XVAR: up to 50 lines of one value each, ended
// by a blank line (or the end of input).
void read_tick_values(Session& s, AxisId axis, AxisLayout& l) {
  if (s.units.verbose) {
    s.term.put("Please enter values for ticmarks along the ");
    s.term.line(std::string(1, axis_letter(axis)));
    s.term.line("axis. Enter a blank line to exit when you are done.");
  }
  int n = 0;
  std::string line;
  while (n < kMaxTicPlace && s.read_input_line(line)) {
    if (trimmed(nolead(line)).empty()) break;
    l.ticplace[n++] = read_number_text(s, line, nullptr, true);
  }
  l.nt = n;
}

// XVAR n v1 .. vn: ticks at the given values (the first 50 are kept); XVAR
// alone reads the values from the command input.
template <AxisId A>
void cmd_var(Session& s, Params& p) {
  AxisLayout& l = s.axes[A].layout;
  l.var = true;
  l.avar = false;
  if (!has_more(p)) {
    read_tick_values(s, A, l);
    return;
  }
  const int n = std::clamp(int_parm(p), 0, kMaxTicPlace);
  for (int k = 0; k < n; ++k) l.ticplace[k] = getparm(p);
  l.nt = n;
}

// Text tick labels on one axis, off on the other.
template <AxisId A>
void cmd_varchar(Session& s, Params&) {
  s.axes[X].layout.varchar = A == X;
  s.axes[Y].layout.varchar = A == Y;
}

// DATATOXVAR n: a tick at 1, 2, ... for each line of the data file, labelled
// by the line's n-th field (kept in the character variables "1", "2", ...);
// the next read takes the record number as X.
template <AxisId A>
void cmd_datatovar(Session& s, Params& p) {
  const int field = int_parm(p);
  AxisLayout& l = s.axes[A].layout;
  l.var = true;
  l.avar = false;
  l.varchar = true;
  std::FILE* fp = open_data_file(s);
  if (!fp) return;
  std::string line;
  for (int k = 0; k < s.reader.skip && read_data_line(fp, line); ++k) {
  }
  int n = 0;
  while (n < kMaxDataTicks && read_data_line(fp, line)) {
    ++n;
    l.ticplace[n - 1] = n;
    Params words{s, line};
    std::string word;
    for (int k = 0; k < field; ++k) {
      if (trimmed(words.text).empty()) {  // past the line's last word
        word.clear();
        break;
      }
      word = getcparm(words, false);
    }
    setcvariable(s.vars, std::to_string(n), word, s.err());
    for (int k = 1; k < s.reader.plotevery && read_data_line(fp, line); ++k) {
    }
  }
  l.nt = n;
  std::fclose(fp);
  push_command(s.stream, A == X ? "xcol 0" : "ycol 0");
}

template <AxisId A>
void cmd_tic(Session& s, Params& p) {
  s.axes[A].layout.nt = int_parm(p);
}

void cmd_tic_all(Session& s, Params& p) {
  s.axes[X].layout.nt = int_parm(p);
  s.axes[Y].layout.nt = int_parm(p);
}

template <AxisId A>
void cmd_mtic(Session& s, Params& p) {
  s.axes[A].layout.mt = int_parm(p);
}

void cmd_mtic_all(Session& s, Params& p) {
  s.axes[X].layout.mt = int_parm(p);
  s.axes[Y].layout.mt = int_parm(p);
}

// The Y tick size also serves the Z axis.
template <AxisId A>
void cmd_ticsize(Session& s, Params& p) {
  s.axes[A].layout.tsiz = length_parm(s, p);
}

void cmd_ticsize_all(Session& s, Params& p) {
  s.axes[X].layout.tsiz = s.axes[Y].layout.tsiz = length_parm(s, p);
}

// MORET and FEWERT change the X and Y density factors, the forms with X or Y one.
enum class Density { kMore, kFewer };

template <AxisSet kAxes, Density kChange>
void cmd_density(Session& s, Params&) {
  const double factor = kChange == Density::kMore ? kMoreTicks : kFewerTicks;
  for (size_t i = 0; i < kAxes.on.size(); ++i)
    if (kAxes.on[i]) s.axes.axis[i].layout.density *= factor;
}

// ---- labels -------------------------------------------------------------------------

// The label text, its length and the variable XLABEL.
void set_label(Session& s, AxisId axis, std::string text) {
  cut(text);
  AxisLayout& l = s.axes[axis].layout;
  l.nl = std::max<int>(static_cast<int>(nstrng(text)), 1);
  setcvariable(s.vars, name(axis, "LABEL"), text, s.err());
  l.label = std::move(text);
}

template <AxisId A>
void cmd_lab(Session& s, Params& p) {
  set_label(s, A, rest_of_line(p));
}

template <AxisId A>
void cmd_nolab(Session& s, Params&) {
  set_label(s, A, "");
}

// READXLAB: the data file's header word over the plotted column becomes the label.
template <AxisId A>
void cmd_readlab(Session& s, Params&) {
  std::FILE* fp = open_data_file(s);
  if (!fp) return;
  std::string line;
  read_data_line(fp, line);
  if (!line.empty() && line[0] == '*') read_data_line(fp, line);
  std::fclose(fp);
  const int column = A == X ? s.reader.xc : s.reader.yc;
  Params words{s, line};
  std::string last;
  for (int k = 0; k < column; ++k) {
    std::string word = getcparm(words, false);
    if (word.empty()) break;
    last = std::move(word);
  }
  push_command(s.stream, name(A, "LAB ") + last, kVerbatim);
}

// A label size: below one device unit it is 0 and the label is dropped.
template <AxisId A>
void set_label_size(Session& s, double size) {
  if (!(size >= 1.0 / s.ps.res)) {
    size = 0;
    push_command(s.stream, "NO" + name(A, "LAB"));
  }
  s.axes[A].layout.ls = size;
  setvariable(s.vars, name(A, "LABELSIZE"), size);
}

template <AxisId A>
void cmd_ls(Session& s, Params& p) {
  set_label_size<A>(s, length_parm(s, p));
}

void cmd_ls_all(Session& s, Params& p) {
  const double size = length_parm(s, p);
  set_label_size<X>(s, size);
  set_label_size<Y>(s, size);
}

template <AxisId A>
void cmd_labo(Session& s, Params& p) {
  s.axes[A].layout.laboffset = getparm(p);
}

void cmd_labo_all(Session& s, Params& p) {
  s.axes[X].layout.laboffset = s.axes[Y].layout.laboffset = getparm(p);
}

// ---- grids, colours and pens -------------------------------------------------------------

Rgb color_parm(Params& p) {
  Rgb c;
  c.r = getparm(p);
  c.g = getparm(p);
  c.b = getparm(p);
  return c;
}

void cmd_gridcolor(Session& s, Params& p) { s.pen.grid_color = color_parm(p); }
void cmd_minorgridcolor(Session& s, Params& p) { s.pen.minor_grid_color = color_parm(p); }
void cmd_axescolor(Session& s, Params& p) { s.pen.axis_color = color_parm(p); }

// A mark and a space in inches (negative values count as 0; a mark of 0
// leaves the dash in force when the grid is drawn).
DashPattern dash_parm(Params& p) {
  DashPattern d{};
  d[0] = std::max(getparm(p), 0.0);
  d[1] = std::max(getparm(p), 0.0);
  return d;
}

void cmd_griddash(Session& s, Params& p) { s.pen.grid_dash = dash_parm(p); }
void cmd_minorgriddash(Session& s, Params& p) { s.pen.minor_grid_dash = dash_parm(p); }
void cmd_nogriddash(Session& s, Params&) { s.pen.grid_dash = kSolidDash; }
void cmd_nominorgriddash(Session& s, Params&) { s.pen.minor_grid_dash = kSolidDash; }

void cmd_axest(Session& s, Params& p) { s.pen.axis_thickness = std::max(int_parm(p), 0); }

// AXESW w: the axis, label and number pens of X and Y all become w inches.
void cmd_axesw(Session& s, Params& p) {
  const double units = std::round(length_parm(s, p) * s.ps.res);
  const int n = std::isnan(units) ? 1 : static_cast<int>(std::clamp(units, 1.0, 1e9));
  s.pen.axis_thickness = n;
  for (AxisId id : {X, Y}) s.axes[id].layout.lt = s.axes[id].layout.nthick = n;
}

// ---- number flush checks and transformations ----------------------------------------------

// XFN1 shows the overhanging number and switches its check (XFF1) off;
// NOXFN1 switches the check on and omits the number (likewise XLN1 for the
// last number, and the 2 forms).
template <AxisSet kAxes, bool kShow, bool AxisLayout::*Show, bool AxisLayout::*Check>
void cmd_flush_show(Session& s, Params& p) {
  cmd_axis_set<kAxes, kShow, &Axis::layout, Show>(s, p);
  cmd_axis_set<kAxes, !kShow, &Axis::layout, Check>(s, p);
}

template <AxisId A>
void cmd_mod(Session& s, Params& p) {
  s.axes[A].layout.mod = getparm(p);
}

// ---- drawing the axes ------------------------------------------------------------------------

// The texts of character variables "1" .. "n" (blank when unknown).
std::vector<std::string> tick_texts(const Session& s, int n) {
  std::vector<std::string> texts(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    auto it = s.vars.char_index.find(std::to_string(i + 1));
    if (it != s.vars.char_index.end()) texts[i] = s.vars.chars[it->second - 1].value;
  }
  return texts;
}

// Whether an axis carries its numbers and label, or ticks only.
enum class Marks { kAnnotated, kTicksOnly };

// Draws the X (Y) axis along the bottom (left) side of the frame, or the top
// (right) for the second side, annotated or with ticks only. Numbers and
// label go outside the frame. A first side switched off by XNUMBERPR gets
// ticks only. Ticks-only axes draw no grid: the annotated axis draws it.
// With `at` the axis runs along that line instead (the Z axis takes the Y
// settings and the Z label).
void show_axis(Session& s, AxisId axis, AxisSide side, Marks marks,
               const AxisPlacement* at = nullptr) {
  const bool second = side == AxisSide::kSecond;
  const bool is_x = axis == X;
  setrgbcolor(s.ps, s.pen.axis_color.r, s.pen.axis_color.g, s.pen.axis_color.b);
  const AxisLimits& lim = s.axes[axis].limits;
  if (limit_unset(lim.min) || limit_unset(lim.max)) {
    if (!s.reader.explained_empty_read.empty()) return;
    const std::string letter(1, static_cast<char>(std::tolower(axis_letter(axis))));
    s.err().line("Error--please set " + letter + "min and " + letter + "max and try again");
    return;
  }
  // The axis whose settings draw this one, and the one across it.
  const Axis& own = s.axes[is_x ? X : Y];
  const Axis& across = s.axes[is_x ? Y : X];
  AxisLayout l = own.layout;
  if (axis == Z) {
    l.label = s.axes[Z].layout.label;
    l.nl = s.axes[Z].layout.nl;
  }
  const AxisNumbers& num = own.numbers;
  const bool first_side = num.first_side;
  const bool ticks_only = marks == Marks::kTicksOnly || (!second && !first_side);

  AxisDraw a;
  const double frame = s.axes.angle;
  a.length = own.length;
  a.gridlength = across.length;
  a.angle = is_x ? frame : frame + 90;
  if (second) {
    const double rad = frame * kFramePi / 180;
    a.xorig = is_x ? -across.length * std::sin(rad) : across.length * std::cos(rad);
    a.yorig = is_x ? across.length * std::cos(rad) : across.length * std::sin(rad);
  }
  if (at) {
    a.xorig = at->x;
    a.yorig = at->y;
    a.length = at->length;
    a.angle = at->angle;
    a.gridlength = 0;
    a.upright = true;
  }
  a.minu = lim.minu;
  a.maxu = lim.maxu;
  const bool positive = is_x == second;  // numbers above an X axis, left of a Y axis
  const int nl = ticks_only ? 1 : l.nl;
  a.side = positive ? nl : -nl;
  a.label = ticks_only ? std::string_view(" ") : std::string_view(l.label);
  a.ticsize = l.tsiz;
  a.nt = l.nt;
  a.mt = l.mt;
  a.density = l.density;
  a.grid = l.grid && !ticks_only && !at;
  a.mgrid = l.mgrid && !ticks_only && !at;
  a.numsize = ticks_only ? 0 : num.size;
  a.numangle = num.angle;
  a.numplace = num.place;
  a.ndec = num.ndec;
  a.sci = num.sci != 0;
  a.hms = num.hms != 0;
  a.hmsform = own.time_form;
  a.hmsunit = own.time_unit;
  a.mod = l.mod;
  a.abs = l.abs;
  a.neg = own.negated;
  a.ff = second ? l.ff2 : l.ff1;
  a.lf = second ? l.lf2 : l.lf1;
  a.fn = second ? l.fn2 : l.fn1;
  a.ln = second ? l.ln2 : l.ln1;
  a.labsize = l.ls;
  a.laboffset = l.laboffset;
  a.axthick = s.pen.axis_thickness;
  a.labthick = pen_thickness(s, l.lt);
  a.numthick = pen_thickness(s, l.nthick);
  a.axis_color = s.pen.axis_color;
  a.grid_color = s.pen.grid_color;
  a.minor_grid_color = s.pen.minor_grid_color;
  a.grid_dash = s.pen.grid_dash;
  a.minor_grid_dash = s.pen.minor_grid_dash;

  const TextContext c = s.text_context();
  if (lim.log) {
    logax(s.ps, s.text, c, a, s.err());
  } else if (l.avar) {
    avarax(s.ps, s.text, c, a, s.err());
  } else if (l.var) {
    const int n = std::clamp(l.nt, 0, kMaxDataTicks);
    std::vector<std::string> texts;
    if (l.varchar) texts = tick_texts(s, n);
    a.varchar = l.varchar;
    a.tick_texts = texts;
    varax(s.ps, s.text, c, a, std::span(l.ticplace.data(), static_cast<size_t>(n)), s.err());
  } else {
    linax(s.ps, s.text, c, a, s.err());
  }
}

}  // namespace

void show_placed_axis(Session& s, AxisId axis, AxisSide side, const AxisPlacement& at) {
  show_axis(s, axis, side, Marks::kAnnotated, &at);
}

namespace {

template <AxisId A, AxisSide kSide, Marks kMarks>
void cmd_show(Session& s, Params&) {
  show_axis(s, A, kSide, kMarks);
}

// The queued commands are pushed in front of the stack one by one, so they
// run in the reverse order of the pushes.
void cmd_showaxes(Session& s, Params&) {
  push_command(s.stream, "SHOWYAXIS");
  push_command(s.stream, "SHOWXAXIS");
}

void cmd_showsecondaxes(Session& s, Params&) {
  push_command(s.stream, "SHOWSECONDYAXIS");
  push_command(s.stream, "SHOWSECONDXAXIS");
}

// Each axis DOAXES draws comes with its opposite axis: ticks only, or
// annotated when XNUMBERPR put the numbers on the second side.
// An axis without limits gets its first side alone, which says so once.
void cmd_doaxes(Session& s, Params&) {
  auto unset = [](const AxisLimits& a) { return limit_unset(a.min) || limit_unset(a.max); };
  if (s.axes[Y].layout.drawn) {
    if (!unset(s.axes[Y].limits))
      push_command(s.stream, s.axes[Y].numbers.second_side ? "SHOWSECONDYAXIS"
                                                           : "SHOWSECONDYAX/NOANNOTATION");
    push_command(s.stream, "SHOWYAXIS");
  }
  if (s.axes[X].layout.drawn) {
    if (!unset(s.axes[X].limits))
      push_command(s.stream, s.axes[X].numbers.second_side ? "SHOWSECONDXAXIS"
                                                           : "SHOWSECONDXAX/NOANNOTATION");
    push_command(s.stream, "SHOWXAXIS");
  }
}

constexpr Command kAxesCommands[] = {
    // limits and lengths
    {"XMIN", cmd_limit<X, true>},
    {"XMAX", cmd_limit<X, false>},
    {"YMIN", cmd_limit<Y, true>},
    {"YMAX", cmd_limit<Y, false>},
    {"ZMIN", cmd_limit<Z, true>},
    {"ZMAX", cmd_limit<Z, false>},
    {"XMINMAX", cmd_minmax<X>},
    {"YMINMAX", cmd_minmax<Y>},
    {"ZMINMAX", cmd_minmax<Z>},
    {"RES", cmd_res},
    {"XRES", cmd_res_axis<X>},
    {"YRES", cmd_res_axis<Y>},
    {"ZRES", cmd_res_axis<Z>},
    {"XDIM", cmd_dim_axis<X>},
    {"YDIM", cmd_dim_axis<Y>},
    {"ZDIM", cmd_dim_axis<Z>},
    {"DIM", cmd_dim},
    // border, chop, log, data units
    {"XBOR", cmd_axis_set<kAxisX, true, &Axis::limits, &AxisLimits::border>},
    {"YBOR", cmd_axis_set<kAxisY, true, &Axis::limits, &AxisLimits::border>},
    {"ZBOR", cmd_axis_set<kAxisZ, true, &Axis::limits, &AxisLimits::border>},
    {"NOXBOR", cmd_axis_set<kAxisX, false, &Axis::limits, &AxisLimits::border>},
    {"NOYBOR", cmd_axis_set<kAxisY, false, &Axis::limits, &AxisLimits::border>},
    {"NOZBOR", cmd_axis_set<kAxisZ, false, &Axis::limits, &AxisLimits::border>},
    {"BOR", cmd_axis_set<kAxesXYZ, true, &Axis::limits, &AxisLimits::border>},
    {"NOBOR", cmd_axis_set<kAxesXYZ, false, &Axis::limits, &AxisLimits::border>},
    {"XCHOP", cmd_axis_set<kAxisX, true, &Axis::limits, &AxisLimits::chop>},
    {"YCHOP", cmd_axis_set<kAxisY, true, &Axis::limits, &AxisLimits::chop>},
    {"ZCHOP", cmd_axis_set<kAxisZ, true, &Axis::limits, &AxisLimits::chop>},
    {"NOXCHOP", cmd_axis_set<kAxisX, false, &Axis::limits, &AxisLimits::chop>},
    {"NOYCHOP", cmd_axis_set<kAxisY, false, &Axis::limits, &AxisLimits::chop>},
    {"NOZCHOP", cmd_axis_set<kAxisZ, false, &Axis::limits, &AxisLimits::chop>},
    {"CHOP", cmd_axis_set<kAxesXYZ, true, &Axis::limits, &AxisLimits::chop>},
    {"NOCHOP", cmd_axis_set<kAxesXYZ, false, &Axis::limits, &AxisLimits::chop>},
    {"LOG", cmd_axis_set<kAxesXYZ, true, &Axis::limits, &AxisLimits::log>},
    {"NOLOG", cmd_axis_set<kAxesXYZ, false, &Axis::limits, &AxisLimits::log>},
    {"XSCALE", cmd_axis_set<kAxisX, true, &Axis::data_units>},
    {"YSCALE", cmd_axis_set<kAxisY, true, &Axis::data_units>},
    {"ZSCALE", cmd_axis_set<kAxisZ, true, &Axis::data_units>},
    {"NOXSCALE", cmd_axis_set<kAxisX, false, &Axis::data_units>},
    {"NOYSCALE", cmd_axis_set<kAxisY, false, &Axis::data_units>},
    {"NOZSCALE", cmd_axis_set<kAxisZ, false, &Axis::data_units>},
    {"SCALE", cmd_axis_set<kAxesXYZ, true, &Axis::data_units>},
    {"NOSCALE", cmd_axis_set<kAxesXYZ, false, &Axis::data_units>},
    // tick placement
    {"AUTO", cmd_auto<kAxesXY, true>},
    {"NOAUTO", cmd_auto<kAxesXY, false>},
    {"XAUTO", cmd_auto<kAxisX, true>},
    {"YAUTO", cmd_auto<kAxisY, true>},
    {"NOXAUTO", cmd_auto<kAxisX, false>},
    {"NOYAUTO", cmd_auto<kAxisY, false>},
    {"XVAR", cmd_var<X>},
    {"YVAR", cmd_var<Y>},
    {"NOXVAR", cmd_axis_set<kAxisX, false, &Axis::layout, &AxisLayout::var>},
    {"NOYVAR", cmd_axis_set<kAxisY, false, &Axis::layout, &AxisLayout::var>},
    {"NOVAR", cmd_axis_set<kAxesXY, false, &Axis::layout, &AxisLayout::var>},
    {"XVARCHAR", cmd_varchar<X>},
    {"YVARCHAR", cmd_varchar<Y>},
    {"NOVARCHAR", cmd_axis_set<kAxesXY, false, &Axis::layout, &AxisLayout::varchar>},
    {"DATATOXVAR", cmd_datatovar<X>},
    {"DATATOYVAR", cmd_datatovar<Y>},
    {"XTIC", cmd_tic<X>},
    {"YTIC", cmd_tic<Y>},
    {"XMAJORT", cmd_tic<X>},
    {"YMAJORT", cmd_tic<Y>},
    {"TIC", cmd_tic_all},
    {"XMTIC", cmd_mtic<X>},
    {"YMTIC", cmd_mtic<Y>},
    {"ZMTIC", cmd_mtic<Z>},
    {"XMINORTIC", cmd_mtic<X>},
    {"YMINORTIC", cmd_mtic<Y>},
    {"ZMINORTIC", cmd_mtic<Z>},
    {"MTIC", cmd_mtic_all},
    {"MINORTIC", cmd_mtic_all},
    {"NOXMINORT", cmd_axis_set<kAxisX, -1, &Axis::layout, &AxisLayout::mt>},
    {"NOYMINORT", cmd_axis_set<kAxisY, -1, &Axis::layout, &AxisLayout::mt>},
    {"NOZMINORT", cmd_axis_set<kAxisZ, -1, &Axis::layout, &AxisLayout::mt>},
    {"NOMINORT", cmd_axis_set<kAxesXYZ, -1, &Axis::layout, &AxisLayout::mt>},
    {"XTICSIZE", cmd_ticsize<X>},
    {"YTICSIZE", cmd_ticsize<Y>},
    {"XTICKSIZE", cmd_ticsize<X>},
    {"YTICKSIZE", cmd_ticsize<Y>},
    {"TICSIZE", cmd_ticsize_all},
    {"TICKSIZE", cmd_ticsize_all},
    {"MORET", cmd_density<kAxesXY, Density::kMore>},
    {"MOREXT", cmd_density<kAxisX, Density::kMore>},
    {"MOREYT", cmd_density<kAxisY, Density::kMore>},
    {"FEWERT", cmd_density<kAxesXY, Density::kFewer>},
    {"FEWERXT", cmd_density<kAxisX, Density::kFewer>},
    {"FEWERYT", cmd_density<kAxisY, Density::kFewer>},
    // labels
    {"XLAB", cmd_lab<X>},
    {"YLAB", cmd_lab<Y>},
    {"ZLAB", cmd_lab<Z>},
    {"NOXLAB", cmd_nolab<X>},
    {"NOYLAB", cmd_nolab<Y>},
    {"NOZLAB", cmd_nolab<Z>},
    {"READXLAB", cmd_readlab<X>},
    {"READYLAB", cmd_readlab<Y>},
    {"XLS", cmd_ls<X>},
    {"YLS", cmd_ls<Y>},
    {"XLABELS", cmd_ls<X>},
    {"YLABELS", cmd_ls<Y>},
    {"LS", cmd_ls_all},
    {"LABELS", cmd_ls_all},
    {"XLABO", cmd_labo<X>},
    {"YLABO", cmd_labo<Y>},
    {"XLABELO", cmd_labo<X>},
    {"YLABELO", cmd_labo<Y>},
    {"LABO", cmd_labo_all},
    {"LABELO", cmd_labo_all},
    // grids, colours, pens
    {"GRID", cmd_axis_set<kAxesXY, true, &Axis::layout, &AxisLayout::grid>},
    {"NOGRID", cmd_axis_set<kAxesXY, false, &Axis::layout, &AxisLayout::grid>},
    {"XGRID", cmd_axis_set<kAxisX, true, &Axis::layout, &AxisLayout::grid>},
    {"YGRID", cmd_axis_set<kAxisY, true, &Axis::layout, &AxisLayout::grid>},
    {"NOXGRID", cmd_axis_set<kAxisX, false, &Axis::layout, &AxisLayout::grid>},
    {"NOYGRID", cmd_axis_set<kAxisY, false, &Axis::layout, &AxisLayout::grid>},
    {"MINORG", cmd_axis_set<kAxesXY, true, &Axis::layout, &AxisLayout::mgrid>},
    {"NOMINORG", cmd_axis_set<kAxesXY, false, &Axis::layout, &AxisLayout::mgrid>},
    {"XMINORG", cmd_axis_set<kAxisX, true, &Axis::layout, &AxisLayout::mgrid>},
    {"YMINORG", cmd_axis_set<kAxisY, true, &Axis::layout, &AxisLayout::mgrid>},
    {"NOXMINORG", cmd_axis_set<kAxisX, false, &Axis::layout, &AxisLayout::mgrid>},
    {"NOYMINORG", cmd_axis_set<kAxisY, false, &Axis::layout, &AxisLayout::mgrid>},
    {"GRIDCOLOR", cmd_gridcolor},
    {"MINORGRIDCOLOR", cmd_minorgridcolor},
    {"GRIDDASH", cmd_griddash},
    {"MINORGRIDDASH", cmd_minorgriddash},
    {"NOGRIDDASH", cmd_nogriddash},
    {"NOMINORGRIDDASH", cmd_nominorgriddash},
    {"AXESCOLOR", cmd_axescolor},
    {"AXISCOLOR", cmd_axescolor},
    {"AXEST", cmd_axest},
    {"AXIST", cmd_axest},
    {"AT", cmd_axest},
    {"AXESW", cmd_axesw},
    {"AXISW", cmd_axesw},
    {"AXES", cmd_axis_set<kAxesXY, true, &Axis::layout, &AxisLayout::drawn>},
    {"NOAX", cmd_axis_set<kAxesXY, false, &Axis::layout, &AxisLayout::drawn>},
    {"XAX", cmd_axis_set<kAxisX, true, &Axis::layout, &AxisLayout::drawn>},
    {"YAX", cmd_axis_set<kAxisY, true, &Axis::layout, &AxisLayout::drawn>},
    {"NOXAX", cmd_axis_set<kAxisX, false, &Axis::layout, &AxisLayout::drawn>},
    {"NOYAX", cmd_axis_set<kAxisY, false, &Axis::layout, &AxisLayout::drawn>},
    // number flush checks and transformations
    {"XFF1", cmd_axis_set<kAxisX, true, &Axis::layout, &AxisLayout::ff1>},
    {"YFF1", cmd_axis_set<kAxisY, true, &Axis::layout, &AxisLayout::ff1>},
    {"XFF2", cmd_axis_set<kAxisX, true, &Axis::layout, &AxisLayout::ff2>},
    {"YFF2", cmd_axis_set<kAxisY, true, &Axis::layout, &AxisLayout::ff2>},
    {"NOXFF1", cmd_axis_set<kAxisX, false, &Axis::layout, &AxisLayout::ff1>},
    {"NOYFF1", cmd_axis_set<kAxisY, false, &Axis::layout, &AxisLayout::ff1>},
    {"NOXFF2", cmd_axis_set<kAxisX, false, &Axis::layout, &AxisLayout::ff2>},
    {"NOYFF2", cmd_axis_set<kAxisY, false, &Axis::layout, &AxisLayout::ff2>},
    {"XLF1", cmd_axis_set<kAxisX, true, &Axis::layout, &AxisLayout::lf1>},
    {"YLF1", cmd_axis_set<kAxisY, true, &Axis::layout, &AxisLayout::lf1>},
    {"XLF2", cmd_axis_set<kAxisX, true, &Axis::layout, &AxisLayout::lf2>},
    {"YLF2", cmd_axis_set<kAxisY, true, &Axis::layout, &AxisLayout::lf2>},
    {"NOXLF1", cmd_axis_set<kAxisX, false, &Axis::layout, &AxisLayout::lf1>},
    {"NOYLF1", cmd_axis_set<kAxisY, false, &Axis::layout, &AxisLayout::lf1>},
    {"NOXLF2", cmd_axis_set<kAxisX, false, &Axis::layout, &AxisLayout::lf2>},
    {"NOYLF2", cmd_axis_set<kAxisY, false, &Axis::layout, &AxisLayout::lf2>},
    {"XFN1", cmd_flush_show<kAxisX, true, &AxisLayout::fn1, &AxisLayout::ff1>},
    {"YFN1", cmd_flush_show<kAxisY, true, &AxisLayout::fn1, &AxisLayout::ff1>},
    {"XFN2", cmd_flush_show<kAxisX, true, &AxisLayout::fn2, &AxisLayout::ff2>},
    {"YFN2", cmd_flush_show<kAxisY, true, &AxisLayout::fn2, &AxisLayout::ff2>},
    {"NOXFN1", cmd_flush_show<kAxisX, false, &AxisLayout::fn1, &AxisLayout::ff1>},
    {"NOYFN1", cmd_flush_show<kAxisY, false, &AxisLayout::fn1, &AxisLayout::ff1>},
    {"NOXFN2", cmd_flush_show<kAxisX, false, &AxisLayout::fn2, &AxisLayout::ff2>},
    {"NOYFN2", cmd_flush_show<kAxisY, false, &AxisLayout::fn2, &AxisLayout::ff2>},
    {"XLN1", cmd_flush_show<kAxisX, true, &AxisLayout::ln1, &AxisLayout::lf1>},
    {"YLN1", cmd_flush_show<kAxisY, true, &AxisLayout::ln1, &AxisLayout::lf1>},
    {"XLN2", cmd_flush_show<kAxisX, true, &AxisLayout::ln2, &AxisLayout::lf2>},
    {"YLN2", cmd_flush_show<kAxisY, true, &AxisLayout::ln2, &AxisLayout::lf2>},
    {"NOXLN1", cmd_flush_show<kAxisX, false, &AxisLayout::ln1, &AxisLayout::lf1>},
    {"NOYLN1", cmd_flush_show<kAxisY, false, &AxisLayout::ln1, &AxisLayout::lf1>},
    {"NOXLN2", cmd_flush_show<kAxisX, false, &AxisLayout::ln2, &AxisLayout::lf2>},
    {"NOYLN2", cmd_flush_show<kAxisY, false, &AxisLayout::ln2, &AxisLayout::lf2>},
    {"XMOD", cmd_mod<X>},
    {"YMOD", cmd_mod<Y>},
    {"NOXMOD", cmd_axis_set<kAxisX, 0, &Axis::layout, &AxisLayout::mod>},
    {"NOYMOD", cmd_axis_set<kAxisY, 0, &Axis::layout, &AxisLayout::mod>},
    {"XABS", cmd_axis_set<kAxisX, true, &Axis::layout, &AxisLayout::abs>},
    {"YABS", cmd_axis_set<kAxisY, true, &Axis::layout, &AxisLayout::abs>},
    {"NOXABS", cmd_axis_set<kAxisX, false, &Axis::layout, &AxisLayout::abs>},
    {"NOYABS", cmd_axis_set<kAxisY, false, &Axis::layout, &AxisLayout::abs>},
    {"ABS", cmd_axis_set<kAxesXY, true, &Axis::layout, &AxisLayout::abs>},
    {"NOABS", cmd_axis_set<kAxesXY, false, &Axis::layout, &AxisLayout::abs>},
    {"XCLIP", cmd_set<true, &Session::pen, &PenSettings::xclip>},
    {"YCLIP", cmd_set<true, &Session::pen, &PenSettings::yclip>},
    {"NOXCLIP", cmd_set<false, &Session::pen, &PenSettings::xclip>},
    {"NOYCLIP", cmd_set<false, &Session::pen, &PenSettings::yclip>},
    // drawing
    {"SHOWXAX", cmd_show<X, AxisSide::kFirst, Marks::kAnnotated>},
    {"SHOWYAX", cmd_show<Y, AxisSide::kFirst, Marks::kAnnotated>},
    {"SHOWSECONDXAX", cmd_show<X, AxisSide::kSecond, Marks::kAnnotated>},
    {"SHOWSECONDYAX", cmd_show<Y, AxisSide::kSecond, Marks::kAnnotated>},
    {"SHOWSECONDXAX/NO", cmd_show<X, AxisSide::kSecond, Marks::kTicksOnly>},
    {"SHOWSECONDYAX/NO", cmd_show<Y, AxisSide::kSecond, Marks::kTicksOnly>},
    {"SHOWAXES", cmd_showaxes},
    {"SHOWSECONDAXES", cmd_showsecondaxes},
    {"DOAXES", cmd_doaxes},
};

}  // namespace

std::span<const Command> axes_commands() { return kAxesCommands; }

}  // namespace vexal

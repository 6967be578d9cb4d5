// Commands of scaling and axes: limits, lengths, log and border flags,
// data-unit drawing, ticks, labels, grids, axis pens, number flush checks and
// transformations, and the commands that draw the axes of a plot.
#include <algorithm>
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

// ---- the three axes ------------------------------------------------------------

AxisLimits& limits_of(Session& s, char axis) {
  return axis == 'X' ? s.limits.x : axis == 'Y' ? s.limits.y : s.limits.z;
}

AxisLayout& layout_of(Session& s, char axis) {
  return axis == 'X' ? s.axes.xaxis : axis == 'Y' ? s.axes.yaxis : s.axes.zaxis;
}

double& length_of(Session& s, char axis) {
  return axis == 'X' ? s.axes.xd : axis == 'Y' ? s.axes.yd : s.axes.zd;
}

bool& scale_of(Session& s, char axis) {
  return axis == 'X' ? s.axes.xscale : axis == 'Y' ? s.axes.yscale : s.axes.zscale;
}

std::string& label_record(Session& s, char axis) {
  return axis == 'X' ? s.cs.xlabel : axis == 'Y' ? s.cs.ylabel : s.cs.zlabel;
}

std::string name(char axis, const char* rest) { return std::string(1, axis) + rest; }

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
template <char A, bool kMin>
void cmd_limit(Session& s, Params& p) {
  const double v = getparm(p);
  AxisLimits& lim = limits_of(s, A);
  (kMin ? lim.min : lim.max) = v;
  (kMin ? lim.minu : lim.maxu) = v;
  setvariable(s.vars, name(A, kMin ? "MIN" : "MAX"), v);
  push_command(s.stream, std::string("NO") + A + "BORDER");
}

template <char A>
void cmd_minmax(Session& s, Params& p) {
  const double lo = getparm(p), hi = getparm(p);
  AxisLimits& lim = limits_of(s, A);
  lim.min = lim.minu = lo;
  lim.max = lim.maxu = hi;
  setvariable(s.vars, name(A, "MIN"), lo);
  setvariable(s.vars, name(A, "MAX"), hi);
  push_command(s.stream, std::string("NO") + A + "BORDER");
}

// The data limits are forgotten, so that the next read derives them.
template <char A>
void cmd_res_axis(Session& s, Params&) {
  AxisLimits& lim = limits_of(s, A);
  lim.min = lim.max = kUnsetLimit;
}

void cmd_res(Session& s, Params& p) {
  cmd_res_axis<'X'>(s, p);
  cmd_res_axis<'Y'>(s, p);
  cmd_res_axis<'Z'>(s, p);
}

template <char A>
void cmd_dim_axis(Session& s, Params& p) {
  const double d = length_parm(s, p);
  length_of(s, A) = d;
  setvariable(s.vars, name(A, "DIM"), d);
}

void cmd_dim(Session& s, Params& p) {
  cmd_dim_axis<'X'>(s, p);
  cmd_dim_axis<'Y'>(s, p);
}

// ---- border, chop, log and data-unit drawing ---------------------------------------

template <char A, bool kOn>
void cmd_border(Session& s, Params&) {
  limits_of(s, A).border = kOn;
}

template <bool kOn>
void cmd_border_all(Session& s, Params&) {
  s.limits.x.border = s.limits.y.border = s.limits.z.border = kOn;
}

template <char A, bool kOn>
void cmd_chop(Session& s, Params&) {
  limits_of(s, A).chop = kOn;
}

template <bool kOn>
void cmd_chop_all(Session& s, Params&) {
  s.limits.x.chop = s.limits.y.chop = s.limits.z.chop = kOn;
}

// LOG and NOLOG set the flags XLOG, YLOG and ZLOG set one by one.
template <bool kOn>
void cmd_log_all(Session& s, Params&) {
  s.limits.x.log = s.limits.y.log = s.limits.z.log = kOn;
}

template <char A, bool kOn>
void cmd_scale(Session& s, Params&) {
  scale_of(s, A) = kOn;
}

template <bool kOn>
void cmd_scale_all(Session& s, Params&) {
  s.axes.xscale = s.axes.yscale = s.axes.zscale = kOn;
}

// ---- tick placement -------------------------------------------------------------------

template <char A, bool kOn>
void cmd_auto(Session& s, Params&) {
  AxisLayout& l = layout_of(s, A);
  l.avar = kOn;
  if (kOn) l.var = false;
}

template <bool kOn>
void cmd_auto_all(Session& s, Params& p) {
  cmd_auto<'X', kOn>(s, p);
  cmd_auto<'Y', kOn>(s, p);
}

// User tick values typed after XVAR: up to 50 lines of one value each, ended
// by a blank line (or the end of input).
void read_tick_values(Session& s, char axis, AxisLayout& l) {
  if (s.units.verbose) {
    s.term.put("Please enter values for ticmarks along the ");
    s.term.line(std::string(1, axis));
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
template <char A>
void cmd_var(Session& s, Params& p) {
  AxisLayout& l = layout_of(s, A);
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

template <char A>
void cmd_novar(Session& s, Params&) {
  layout_of(s, A).var = false;
}

void cmd_novar_all(Session& s, Params&) { s.axes.xaxis.var = s.axes.yaxis.var = false; }

// Text tick labels on one axis, off on the other.
template <char A>
void cmd_varchar(Session& s, Params&) {
  s.axes.xaxis.varchar = A == 'X';
  s.axes.yaxis.varchar = A == 'Y';
}

void cmd_novarchar(Session& s, Params&) { s.axes.xaxis.varchar = s.axes.yaxis.varchar = false; }

// DATATOXVAR n: a tick at 1, 2, ... for each line of the data file, labelled
// by the line's n-th field (kept in the character variables "1", "2", ...);
// the next read takes the record number as X.
template <char A>
void cmd_datatovar(Session& s, Params& p) {
  const int field = int_parm(p);
  AxisLayout& l = layout_of(s, A);
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
  push_command(s.stream, A == 'X' ? "xcol 0" : "ycol 0");
}

template <char A>
void cmd_tic(Session& s, Params& p) {
  layout_of(s, A).nt = int_parm(p);
}

void cmd_tic_all(Session& s, Params& p) {
  s.axes.xaxis.nt = int_parm(p);
  s.axes.yaxis.nt = int_parm(p);
}

template <char A>
void cmd_mtic(Session& s, Params& p) {
  layout_of(s, A).mt = int_parm(p);
}

void cmd_mtic_all(Session& s, Params& p) {
  s.axes.xaxis.mt = int_parm(p);
  s.axes.yaxis.mt = int_parm(p);
}

template <char A>
void cmd_nominort(Session& s, Params&) {
  layout_of(s, A).mt = -1;
}

void cmd_nominort_all(Session& s, Params&) {
  s.axes.xaxis.mt = s.axes.yaxis.mt = s.axes.zaxis.mt = -1;
}

// The Y tick size also serves the Z axis.
template <char A>
void cmd_ticsize(Session& s, Params& p) {
  layout_of(s, A).tsiz = length_parm(s, p);
}

void cmd_ticsize_all(Session& s, Params& p) {
  s.axes.xaxis.tsiz = s.axes.yaxis.tsiz = length_parm(s, p);
}

// MORET and FEWERT change the X and Y density factors, the forms with X or Y one.
void scale_density(Session& s, bool x, bool y, double factor) {
  if (x) s.axes.xaxis.density *= factor;
  if (y) s.axes.yaxis.density *= factor;
}

void cmd_moret(Session& s, Params&) { scale_density(s, true, true, kMoreTicks); }
void cmd_morext(Session& s, Params&) { scale_density(s, true, false, kMoreTicks); }
void cmd_moreyt(Session& s, Params&) { scale_density(s, false, true, kMoreTicks); }
void cmd_fewert(Session& s, Params&) { scale_density(s, true, true, kFewerTicks); }
void cmd_fewerxt(Session& s, Params&) { scale_density(s, true, false, kFewerTicks); }
void cmd_feweryt(Session& s, Params&) { scale_density(s, false, true, kFewerTicks); }

// ---- labels -------------------------------------------------------------------------

// The label text, its length, the command-line record and the variable XLABEL.
void set_label(Session& s, char axis, std::string text) {
  cut(text);
  AxisLayout& l = layout_of(s, axis);
  l.nl = std::max<int>(static_cast<int>(nstrng(text)), 1);
  label_record(s, axis) = text;
  setcvariable(s.vars, name(axis, "LABEL"), text, s.err());
  l.label = std::move(text);
}

template <char A>
void cmd_lab(Session& s, Params& p) {
  set_label(s, A, rest_of_line(p));
}

template <char A>
void cmd_nolab(Session& s, Params&) {
  set_label(s, A, "");
}

// READXLAB: the data file's header word over the plotted column becomes the label.
template <char A>
void cmd_readlab(Session& s, Params&) {
  std::FILE* fp = open_data_file(s);
  if (!fp) return;
  std::string line;
  read_data_line(fp, line);
  if (!line.empty() && line[0] == '*') read_data_line(fp, line);
  std::fclose(fp);
  const int column = A == 'X' ? s.reader.xc : s.reader.yc;
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
template <char A>
void set_label_size(Session& s, double size) {
  if (!(size >= 1.0 / s.ps.res)) {
    size = 0;
    push_command(s.stream, std::string("NO") + A + "LAB");
  }
  layout_of(s, A).ls = size;
  setvariable(s.vars, name(A, "LABELSIZE"), size);
}

template <char A>
void cmd_ls(Session& s, Params& p) {
  set_label_size<A>(s, length_parm(s, p));
}

void cmd_ls_all(Session& s, Params& p) {
  const double size = length_parm(s, p);
  set_label_size<'X'>(s, size);
  set_label_size<'Y'>(s, size);
}

template <char A>
void cmd_labo(Session& s, Params& p) {
  layout_of(s, A).laboffset = getparm(p);
}

void cmd_labo_all(Session& s, Params& p) {
  s.axes.xaxis.laboffset = s.axes.yaxis.laboffset = getparm(p);
}

// ---- grids, colours and pens -------------------------------------------------------------

template <char A, bool kOn>
void cmd_grid(Session& s, Params&) {
  layout_of(s, A).grid = kOn;
}

template <bool kOn>
void cmd_grid_all(Session& s, Params&) {
  s.axes.xaxis.grid = s.axes.yaxis.grid = kOn;
}

template <char A, bool kOn>
void cmd_minorg(Session& s, Params&) {
  layout_of(s, A).mgrid = kOn;
}

template <bool kOn>
void cmd_minorg_all(Session& s, Params&) {
  s.axes.xaxis.mgrid = s.axes.yaxis.mgrid = kOn;
}

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
  s.axes.xaxis.lt = s.axes.xaxis.nthick = s.axes.yaxis.lt = s.axes.yaxis.nthick = n;
}

template <char A, bool kOn>
void cmd_ax(Session& s, Params&) {
  layout_of(s, A).drawn = kOn;
}

template <bool kOn>
void cmd_ax_all(Session& s, Params&) {
  s.axes.xaxis.drawn = s.axes.yaxis.drawn = kOn;
}

// ---- number flush checks and transformations ----------------------------------------------

enum class Flush { kFF1, kLF1, kFF2, kLF2 };

bool& flush_check(AxisLayout& l, Flush f) {
  switch (f) {
    case Flush::kFF1:
      return l.ff1;
    case Flush::kLF1:
      return l.lf1;
    case Flush::kFF2:
      return l.ff2;
    case Flush::kLF2:
      break;
  }
  return l.lf2;
}

// The "show it justified" flag belonging to a check.
bool& flush_show(AxisLayout& l, Flush f) {
  switch (f) {
    case Flush::kFF1:
      return l.fn1;
    case Flush::kLF1:
      return l.ln1;
    case Flush::kFF2:
      return l.fn2;
    case Flush::kLF2:
      break;
  }
  return l.ln2;
}

// XFF1, XLF1 (and the 2 forms) switch a check on, their NO forms off.
template <char A, Flush F, bool kOn>
void cmd_flush(Session& s, Params&) {
  flush_check(layout_of(s, A), F) = kOn;
}

// XFN1 shows the overhanging number and switches the check off; NOXFN1
// switches the check on and omits the number (likewise XLN1 for the last).
template <char A, Flush F, bool kShow>
void cmd_flush_show(Session& s, Params&) {
  AxisLayout& l = layout_of(s, A);
  flush_show(l, F) = kShow;
  flush_check(l, F) = !kShow;
}

template <char A>
void cmd_mod(Session& s, Params& p) {
  layout_of(s, A).mod = getparm(p);
}

template <char A>
void cmd_nomod(Session& s, Params&) {
  layout_of(s, A).mod = 0;
}

template <char A, bool kOn>
void cmd_abs(Session& s, Params&) {
  layout_of(s, A).abs = kOn;
}

template <bool kOn>
void cmd_abs_all(Session& s, Params&) {
  s.axes.xaxis.abs = s.axes.yaxis.abs = kOn;
}

// The clipping rectangle of CLIPATAXES follows the axis in this direction.
template <char A, bool kOn>
void cmd_clip(Session& s, Params&) {
  (A == 'X' ? s.pen.xclip : s.pen.yclip) = kOn;
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

// Draws the X (Y) axis along the bottom (left) side of the frame, or with
// `second` along the top (right), annotated or with ticks only. Numbers and
// label go outside the frame. A first side switched off by XNUMBERPR gets
// ticks only. Ticks-only axes draw no grid: the annotated axis draws it.
// With `at` the axis runs along that line instead (the Z axis takes the Y
// settings and the Z label).
void show_axis(Session& s, char axis, bool second, bool annotated,
               const AxisPlacement* at = nullptr) {
  const bool is_x = axis == 'X';
  setrgbcolor(s.ps, s.pen.axis_color.r, s.pen.axis_color.g, s.pen.axis_color.b);
  const AxisLimits& lim = limits_of(s, axis);
  if (limit_unset(lim.min) || limit_unset(lim.max)) {
    if (!s.reader.explained_empty_read.empty()) return;
    s.err().line(is_x          ? "Error--please set xmin and xmax and try again"
                 : axis == 'Y' ? "Error--please set ymin and ymax and try again"
                               : "Error--please set zmin and zmax and try again");
    return;
  }
  AxisLayout l = layout_of(s, is_x ? 'X' : 'Y');
  if (axis == 'Z') {
    l.label = s.axes.zaxis.label;
    l.nl = s.axes.zaxis.nl;
  }
  const AxisNumbers& num = is_x ? s.axes.x : s.axes.y;
  const bool first_side = is_x ? s.axes.x_first_side : s.axes.y_first_side;
  const bool ticks_only = !annotated || (!second && !first_side);

  AxisDraw a;
  const double frame = s.axes.angle;
  a.length = is_x ? s.axes.xd : s.axes.yd;
  a.gridlength = is_x ? s.axes.yd : s.axes.xd;
  a.angle = is_x ? frame : frame + 90;
  if (second) {
    const double rad = frame * kFramePi / 180;
    a.xorig = is_x ? -s.axes.yd * std::sin(rad) : s.axes.xd * std::cos(rad);
    a.yorig = is_x ? s.axes.yd * std::cos(rad) : s.axes.xd * std::sin(rad);
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
  a.hmsform = is_x ? s.numfmt.time_form : s.numfmt.y_time_form;
  a.hmsunit = is_x ? s.numfmt.time_unit : s.numfmt.y_time_unit;
  a.mod = l.mod;
  a.abs = l.abs;
  a.neg = is_x ? s.reader.xneg : s.reader.yneg;
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

void show_placed_axis(Session& s, char axis, bool second, const AxisPlacement& at) {
  show_axis(s, axis, second, true, &at);
}

namespace {

void cmd_showxax(Session& s, Params&) { show_axis(s, 'X', false, true); }
void cmd_showyax(Session& s, Params&) { show_axis(s, 'Y', false, true); }
void cmd_showsecondxax(Session& s, Params&) { show_axis(s, 'X', true, true); }
void cmd_showsecondyax(Session& s, Params&) { show_axis(s, 'Y', true, true); }
void cmd_showsecondxax_no(Session& s, Params&) { show_axis(s, 'X', true, false); }
void cmd_showsecondyax_no(Session& s, Params&) { show_axis(s, 'Y', true, false); }

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
  if (s.axes.yaxis.drawn) {
    if (!unset(s.limits.y))
      push_command(s.stream,
                   s.axes.y_second_side ? "SHOWSECONDYAXIS" : "SHOWSECONDYAX/NOANNOTATION");
    push_command(s.stream, "SHOWYAXIS");
  }
  if (s.axes.xaxis.drawn) {
    if (!unset(s.limits.x))
      push_command(s.stream,
                   s.axes.x_second_side ? "SHOWSECONDXAXIS" : "SHOWSECONDXAX/NOANNOTATION");
    push_command(s.stream, "SHOWXAXIS");
  }
}

constexpr Command kAxesCommands[] = {
    // limits and lengths
    {"XMIN", cmd_limit<'X', true>},
    {"XMAX", cmd_limit<'X', false>},
    {"YMIN", cmd_limit<'Y', true>},
    {"YMAX", cmd_limit<'Y', false>},
    {"ZMIN", cmd_limit<'Z', true>},
    {"ZMAX", cmd_limit<'Z', false>},
    {"XMINMAX", cmd_minmax<'X'>},
    {"YMINMAX", cmd_minmax<'Y'>},
    {"ZMINMAX", cmd_minmax<'Z'>},
    {"RES", cmd_res},
    {"XRES", cmd_res_axis<'X'>},
    {"YRES", cmd_res_axis<'Y'>},
    {"ZRES", cmd_res_axis<'Z'>},
    {"XDIM", cmd_dim_axis<'X'>},
    {"YDIM", cmd_dim_axis<'Y'>},
    {"ZDIM", cmd_dim_axis<'Z'>},
    {"DIM", cmd_dim},
    // border, chop, log, data units
    {"XBOR", cmd_border<'X', true>},
    {"YBOR", cmd_border<'Y', true>},
    {"ZBOR", cmd_border<'Z', true>},
    {"NOXBOR", cmd_border<'X', false>},
    {"NOYBOR", cmd_border<'Y', false>},
    {"NOZBOR", cmd_border<'Z', false>},
    {"BOR", cmd_border_all<true>},
    {"NOBOR", cmd_border_all<false>},
    {"XCHOP", cmd_chop<'X', true>},
    {"YCHOP", cmd_chop<'Y', true>},
    {"ZCHOP", cmd_chop<'Z', true>},
    {"NOXCHOP", cmd_chop<'X', false>},
    {"NOYCHOP", cmd_chop<'Y', false>},
    {"NOZCHOP", cmd_chop<'Z', false>},
    {"CHOP", cmd_chop_all<true>},
    {"NOCHOP", cmd_chop_all<false>},
    {"LOG", cmd_log_all<true>},
    {"NOLOG", cmd_log_all<false>},
    {"XSCALE", cmd_scale<'X', true>},
    {"YSCALE", cmd_scale<'Y', true>},
    {"ZSCALE", cmd_scale<'Z', true>},
    {"NOXSCALE", cmd_scale<'X', false>},
    {"NOYSCALE", cmd_scale<'Y', false>},
    {"NOZSCALE", cmd_scale<'Z', false>},
    {"SCALE", cmd_scale_all<true>},
    {"NOSCALE", cmd_scale_all<false>},
    // tick placement
    {"AUTO", cmd_auto_all<true>},
    {"NOAUTO", cmd_auto_all<false>},
    {"XAUTO", cmd_auto<'X', true>},
    {"YAUTO", cmd_auto<'Y', true>},
    {"NOXAUTO", cmd_auto<'X', false>},
    {"NOYAUTO", cmd_auto<'Y', false>},
    {"XVAR", cmd_var<'X'>},
    {"YVAR", cmd_var<'Y'>},
    {"NOXVAR", cmd_novar<'X'>},
    {"NOYVAR", cmd_novar<'Y'>},
    {"NOVAR", cmd_novar_all},
    {"XVARCHAR", cmd_varchar<'X'>},
    {"YVARCHAR", cmd_varchar<'Y'>},
    {"NOVARCHAR", cmd_novarchar},
    {"DATATOXVAR", cmd_datatovar<'X'>},
    {"DATATOYVAR", cmd_datatovar<'Y'>},
    {"XTIC", cmd_tic<'X'>},
    {"YTIC", cmd_tic<'Y'>},
    {"XMAJORT", cmd_tic<'X'>},
    {"YMAJORT", cmd_tic<'Y'>},
    {"TIC", cmd_tic_all},
    {"XMTIC", cmd_mtic<'X'>},
    {"YMTIC", cmd_mtic<'Y'>},
    {"ZMTIC", cmd_mtic<'Z'>},
    {"XMINORTIC", cmd_mtic<'X'>},
    {"YMINORTIC", cmd_mtic<'Y'>},
    {"ZMINORTIC", cmd_mtic<'Z'>},
    {"MTIC", cmd_mtic_all},
    {"MINORTIC", cmd_mtic_all},
    {"NOXMINORT", cmd_nominort<'X'>},
    {"NOYMINORT", cmd_nominort<'Y'>},
    {"NOZMINORT", cmd_nominort<'Z'>},
    {"NOMINORT", cmd_nominort_all},
    {"XTICSIZE", cmd_ticsize<'X'>},
    {"YTICSIZE", cmd_ticsize<'Y'>},
    {"XTICKSIZE", cmd_ticsize<'X'>},
    {"YTICKSIZE", cmd_ticsize<'Y'>},
    {"TICSIZE", cmd_ticsize_all},
    {"TICKSIZE", cmd_ticsize_all},
    {"MORET", cmd_moret},
    {"MOREXT", cmd_morext},
    {"MOREYT", cmd_moreyt},
    {"FEWERT", cmd_fewert},
    {"FEWERXT", cmd_fewerxt},
    {"FEWERYT", cmd_feweryt},
    // labels
    {"XLAB", cmd_lab<'X'>},
    {"YLAB", cmd_lab<'Y'>},
    {"ZLAB", cmd_lab<'Z'>},
    {"NOXLAB", cmd_nolab<'X'>},
    {"NOYLAB", cmd_nolab<'Y'>},
    {"NOZLAB", cmd_nolab<'Z'>},
    {"READXLAB", cmd_readlab<'X'>},
    {"READYLAB", cmd_readlab<'Y'>},
    {"XLS", cmd_ls<'X'>},
    {"YLS", cmd_ls<'Y'>},
    {"XLABELS", cmd_ls<'X'>},
    {"YLABELS", cmd_ls<'Y'>},
    {"LS", cmd_ls_all},
    {"LABELS", cmd_ls_all},
    {"XLABO", cmd_labo<'X'>},
    {"YLABO", cmd_labo<'Y'>},
    {"XLABELO", cmd_labo<'X'>},
    {"YLABELO", cmd_labo<'Y'>},
    {"LABO", cmd_labo_all},
    {"LABELO", cmd_labo_all},
    // grids, colours, pens
    {"GRID", cmd_grid_all<true>},
    {"NOGRID", cmd_grid_all<false>},
    {"XGRID", cmd_grid<'X', true>},
    {"YGRID", cmd_grid<'Y', true>},
    {"NOXGRID", cmd_grid<'X', false>},
    {"NOYGRID", cmd_grid<'Y', false>},
    {"MINORG", cmd_minorg_all<true>},
    {"NOMINORG", cmd_minorg_all<false>},
    {"XMINORG", cmd_minorg<'X', true>},
    {"YMINORG", cmd_minorg<'Y', true>},
    {"NOXMINORG", cmd_minorg<'X', false>},
    {"NOYMINORG", cmd_minorg<'Y', false>},
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
    {"AXES", cmd_ax_all<true>},
    {"NOAX", cmd_ax_all<false>},
    {"XAX", cmd_ax<'X', true>},
    {"YAX", cmd_ax<'Y', true>},
    {"NOXAX", cmd_ax<'X', false>},
    {"NOYAX", cmd_ax<'Y', false>},
    // number flush checks and transformations
    {"XFF1", cmd_flush<'X', Flush::kFF1, true>},
    {"YFF1", cmd_flush<'Y', Flush::kFF1, true>},
    {"XFF2", cmd_flush<'X', Flush::kFF2, true>},
    {"YFF2", cmd_flush<'Y', Flush::kFF2, true>},
    {"NOXFF1", cmd_flush<'X', Flush::kFF1, false>},
    {"NOYFF1", cmd_flush<'Y', Flush::kFF1, false>},
    {"NOXFF2", cmd_flush<'X', Flush::kFF2, false>},
    {"NOYFF2", cmd_flush<'Y', Flush::kFF2, false>},
    {"XLF1", cmd_flush<'X', Flush::kLF1, true>},
    {"YLF1", cmd_flush<'Y', Flush::kLF1, true>},
    {"XLF2", cmd_flush<'X', Flush::kLF2, true>},
    {"YLF2", cmd_flush<'Y', Flush::kLF2, true>},
    {"NOXLF1", cmd_flush<'X', Flush::kLF1, false>},
    {"NOYLF1", cmd_flush<'Y', Flush::kLF1, false>},
    {"NOXLF2", cmd_flush<'X', Flush::kLF2, false>},
    {"NOYLF2", cmd_flush<'Y', Flush::kLF2, false>},
    {"XFN1", cmd_flush_show<'X', Flush::kFF1, true>},
    {"YFN1", cmd_flush_show<'Y', Flush::kFF1, true>},
    {"XFN2", cmd_flush_show<'X', Flush::kFF2, true>},
    {"YFN2", cmd_flush_show<'Y', Flush::kFF2, true>},
    {"NOXFN1", cmd_flush_show<'X', Flush::kFF1, false>},
    {"NOYFN1", cmd_flush_show<'Y', Flush::kFF1, false>},
    {"NOXFN2", cmd_flush_show<'X', Flush::kFF2, false>},
    {"NOYFN2", cmd_flush_show<'Y', Flush::kFF2, false>},
    {"XLN1", cmd_flush_show<'X', Flush::kLF1, true>},
    {"YLN1", cmd_flush_show<'Y', Flush::kLF1, true>},
    {"XLN2", cmd_flush_show<'X', Flush::kLF2, true>},
    {"YLN2", cmd_flush_show<'Y', Flush::kLF2, true>},
    {"NOXLN1", cmd_flush_show<'X', Flush::kLF1, false>},
    {"NOYLN1", cmd_flush_show<'Y', Flush::kLF1, false>},
    {"NOXLN2", cmd_flush_show<'X', Flush::kLF2, false>},
    {"NOYLN2", cmd_flush_show<'Y', Flush::kLF2, false>},
    {"XMOD", cmd_mod<'X'>},
    {"YMOD", cmd_mod<'Y'>},
    {"NOXMOD", cmd_nomod<'X'>},
    {"NOYMOD", cmd_nomod<'Y'>},
    {"XABS", cmd_abs<'X', true>},
    {"YABS", cmd_abs<'Y', true>},
    {"NOXABS", cmd_abs<'X', false>},
    {"NOYABS", cmd_abs<'Y', false>},
    {"ABS", cmd_abs_all<true>},
    {"NOABS", cmd_abs_all<false>},
    {"XCLIP", cmd_clip<'X', true>},
    {"YCLIP", cmd_clip<'Y', true>},
    {"NOXCLIP", cmd_clip<'X', false>},
    {"NOYCLIP", cmd_clip<'Y', false>},
    // drawing
    {"SHOWXAX", cmd_showxax},
    {"SHOWYAX", cmd_showyax},
    {"SHOWSECONDXAX", cmd_showsecondxax},
    {"SHOWSECONDYAX", cmd_showsecondyax},
    {"SHOWSECONDXAX/NO", cmd_showsecondxax_no},
    {"SHOWSECONDYAX/NO", cmd_showsecondyax_no},
    {"SHOWAXES", cmd_showaxes},
    {"SHOWSECONDAXES", cmd_showsecondaxes},
    {"DOAXES", cmd_doaxes},
};

}  // namespace

std::span<const Command> axes_commands() { return kAxesCommands; }

}  // namespace vexal

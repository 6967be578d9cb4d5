// Commands of the data curves: PLOT and DOPLOT, MULTIPLOT, ERRORBAR, and the
// curve settings the drawing and the data-file reader use (markers every n
// points, lines on or off, pen and width columns, error-bar columns).
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "data/append.h"
#include "data/transform.h"
#include "expr/cmath.h"
#include "expr/stak_math.h"
#include "interp/command_table.h"
#include "interp/params.h"
#include "interp/session.h"
#include "postscript/curves.h"
#include "util/text.h"

namespace vexal {

namespace {

constexpr double kPanelGap = 0.25;        // inches between MULTIPLOT panels
constexpr int kMaxMultiplotColumns = 50;  // numeric fields MULTIPLOT counts at most

// The shortest text that reads back as v.
std::string number_text(double v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

bool binary_marker(std::string_view line) {
  return line.starts_with("$P") || line.starts_with("$R");
}

// The mappings of the X and Y axes as the curve uses them, chopping where
// asked. Unset limits leave the values of that axis as they are, after one
// message (when terminal messages are on).
void curve_axes(Session& s, bool chop, CurveAxis& xa, CurveAxis& ya) {
  bool unset = false;
  auto one = [&](const Axis& axis) {
    const AxisLimits& a = axis.limits;
    if (limit_unset(a.min) || limit_unset(a.max)) {
      unset = true;
      return identity_axis(axis.length);
    }
    return curve_axis(a.minu, a.maxu, a.log, chop && a.chop, axis.length);
  };
  xa = one(s.axes[AxisId::X]);
  ya = one(s.axes[AxisId::Y]);
  if (unset && s.units.verbose && s.reader.explained_empty_read.empty())
    s.err().line("Error--please set min and max and try again");
}

// The header line of the data file (the line after a "*" line, otherwise
// the first line; none for binary and frame files) and its word number yc.
std::string header_word(Session& s) {
  if (s.reader.tmdata || s.reader.yc < 1 || !s.may_read(s.cs.datafile, true)) return "";
  std::FILE* f = fopen_regular(s.cs.datafile);
  if (!f) return "";
  std::string line;
  bool ok = read_data_line(f, line);
  if (ok && line.starts_with("*")) ok = read_data_line(f, line);
  std::fclose(f);
  if (!ok || binary_marker(line)) return "";
  Params words{s, line};
  std::string word;
  for (int k = 0; k < s.reader.yc; ++k) {
    word = getcparm(words, false);
    if (word.empty()) return "";
  }
  return word;
}

// The base of a filled curve, read as a numeric parameter for every point
// with the point's values in the math registers. Only a braced expression
// can depend on the point; it is compiled once and run per point, so that a
// point costs no text reading and no allocation. Other bases (numbers,
// variables, times) are read once.
class CurveBase {
 public:
  CurveBase(Session& s, std::string_view text) : s_(s), env_(s.math_env()), text_(text) {
    const std::string_view t = nolead(text_);
    if (t.starts_with("{")) {  // read as the parameter reader reads braces
      const size_t close = t.find('}');
      expression_ = t.substr(0, close == std::string_view::npos ? t.size() : close + 1);
      stak_math(expression_, env_, compiled_);
      kind_ = compiled_.compiled ? Kind::kCompiled : Kind::kText;
      filled_ = true;
      return;
    }
    bool bad = true;
    if (!t.empty()) value_ = read_number_text(s_, text_, &bad, false);
    filled_ = !bad;
  }

  bool filled() const { return filled_; }

  CurveHooks hooks() { return CurveHooks{this, registers, filled_ ? base : nullptr}; }

 private:
  enum class Kind { kConstant, kCompiled, kText };

  static void registers(void* ctx, double v, double x, double y, double z) {
    CurrentPoint& p = static_cast<CurveBase*>(ctx)->s_.point;
    p.v = v;
    p.x = x;
    p.y = y;
    p.z = z;
  }

  static double base(void* ctx) {
    CurveBase& b = *static_cast<CurveBase*>(ctx);
    switch (b.kind_) {
      case Kind::kConstant:
        return b.value_;
      case Kind::kCompiled: {
        cmath(b.compiled_, b.env_);
        const MathStacks& st = b.env_.stacks;
        if (b.env_.point.error || st.count < 1) return 0;
        return st.values[static_cast<size_t>(st.count - 1)];
      }
      case Kind::kText:
        return stak_math(b.expression_, b.env_, b.compiled_);
    }
    return 0;
  }

  Session& s_;
  MathEnv env_;
  std::string text_;
  std::string expression_;  // the braced expression of the base
  CompiledMath compiled_;
  Kind kind_ = Kind::kConstant;
  double value_ = 0;
  bool filled_ = false;
};

// ---- drawing ------------------------------------------------------------------

void cmd_doplot(Session& s, Params& p) {
  setcvariable(s.vars, "LABELFROMHEADER", header_word(s), s.err());
  const std::string base_text = rest_of_line(p);
  setcvariable(s.vars, "PLOT_BASE", base_text, s.err());
  CurveBase base(s, base_text);

  const Rgb data = s.pen.data_color;
  setrgbcolor(s.ps, data.r, data.g, data.b);
  set_dash(s.ps, s.pen.dash);

  const CurvePoints pts = s.curve_points();
  CurveStyle style = s.curve_style();
  style.filled = base.filled();
  style.progress = s.units.verbose ? &s.term : nullptr;
  // An empty store maps nothing and so says nothing about the limits.
  CurveAxis xa = identity_axis(s.axes[AxisId::X].length),
            ya = identity_axis(s.axes[AxisId::Y].length);
  if (pts.npts > 0) curve_axes(s, true, xa, ya);
  const TextContext c = s.text_context();
  line(s.ps, s.text, c, pts, style, {xa, ya}, base.hooks());

  setrgbcolor(s.ps, s.pen.data_color.r, s.pen.data_color.g, s.pen.data_color.b);
  if (s.pen.xclip || s.pen.yclip) noclip(s.ps);
}

// PLOT [base]: LOAD, DOSMOOTH, DOSORT, DOAXES, CLIPATAXES (when clipping),
// DOPLOT [base], pushed in reverse so that they run in this order.
void cmd_plot(Session& s, Params&) {
  push_command(s.stream, "DO" + std::string(trimmed(nolead(s.cs.line))), kVerbatim);
  if (s.pen.xclip || s.pen.yclip) push_command(s.stream, "CLIPATAXES");
  push_command(s.stream, "DOAXES");
  push_command(s.stream, "DOSORT");
  push_command(s.stream, "DOSMOOTH");
  push_command(s.stream, "LOAD");
}

// DOSMOOTH and DOSORT belong to the data transformations, which are not
// built yet; until then they are valid commands that change nothing (their
// options cannot be switched on), so that PLOT's sequence runs cleanly.
// PLOT queues these: they act when XSORT/YSORT or XSMOOTH/YSMOOTH are set.
void cmd_dosmooth(Session& s, Params&) {
  dosmooth(s.transform, s.store, s.units.verbose != 0, s.term);
}
void cmd_dosort(Session& s, Params&) { dosort(s.transform, s.store, s.units.verbose != 0, s.term); }

void cmd_errorbar(Session& s, Params& p) {
  // The error-bar dash pattern is never set by any command, so no dash is
  // set here: the one in effect stays.
  const double x = getparm(p), y = getparm(p);
  ErrorExtents e;
  e.xl = getparm(p);
  e.xh = getparm(p);
  e.yl = getparm(p);
  e.yh = getparm(p);
  CurveAxis xa, ya;
  curve_axes(s, false, xa, ya);  // bars are not chopped
  errorbar(s.ps, {xa, ya}, s.axes.angle, s.curve.ebtic, x, y, e);
}

// The number of columns MULTIPLOT finds in the data file (0 when it cannot
// tell), taking the label line of a "*" file into LABELH's text.
int multiplot_columns(Session& s) {
  if (!s.may_read(s.cs.datafile, true)) return 0;
  std::FILE* f = fopen_regular(s.cs.datafile);
  if (!f) return 0;
  int n = 0;
  std::string line;
  if (read_data_line(f, line)) {
    if (binary_marker(line)) {
      // The column count is the first 16-bit field after the 4-byte marker.
      unsigned char b[2];
      if (std::fseek(f, 4, SEEK_SET) == 0 && std::fread(b, 1, 2, f) == 2) {
        int16_t count;
        if (s.reader.swap_binary) std::swap(b[0], b[1]);
        std::memcpy(&count, b, 2);
        n = count;
      }
    } else {
      if (line.starts_with("*")) {
        // The line after "*" holds the labels; the first data line follows it.
        if (read_data_line(f, line)) {
          s.curve.label_text = std::string(trimmed(line));
          cut(s.curve.label_text);
        }
      }
      if (read_data_line(f, line)) {
        Params fields{s, line};
        bool bad = false;
        while (n < kMaxMultiplotColumns) {
          getparm(fields, &bad, false);
          if (bad) break;
          ++n;
        }
      }
    }
  }
  std::fclose(f);
  return std::min(n, kMaxMultiplotColumns);
}

void cmd_multiplot(Session& s, Params&) {
  const int n = multiplot_columns(s);
  if (n <= 1) {
    s.err().line("Error: Insufficient data to multiplot.");
    return;
  }
  // Lengths in these lines are multiplied by UNITS when they run.
  const double units = s.pen.units;
  const double h = (kPanelGap + s.axes[AxisId::Y].length) / (n - 1) - kPanelGap;
  Params labels{s, s.curve.label_text};
  int at = 1;
  auto insert = [&](const std::string& line) { insert_command(s.stream, at++, line, kVerbatim); };
  insert("XLAB " + getcparm(labels, false));
  insert("YDIM " + number_text(h / units));
  insert("XCOL 1");
  for (int i = 2; i <= n; ++i) {
    insert("YLAB " + getcparm(labels, false));
    insert("YCOL " + std::to_string(i));
    insert("PLOT");
    if (i == 2) {  // only the lowest panel carries the X label and numbers
      insert("NOXLAB");
      insert("XNS 0");
    }
    if (i < n) {
      insert("YORIGIN " + number_text((kPanelGap + h) / units));
      insert("YRESCALE");
    }
  }
}

void cmd_labelh(Session& s, Params& p) {
  s.curve.label_text = rest_of_line(p);
  cut(s.curve.label_text);
}

// ---- markers and lines ----------------------------------------------------------

void markers_on(TextState& t) {
  t.sym = 1;
  if (t.ssk < 1) t.ssk = 1;
}

void cmd_nocon(Session& s, Params&) {
  s.text.con = 0;
  markers_on(s.text);
}

void cmd_symbolevery(Session& s, Params& p) {
  s.text.ssk = std::max(1, int_parm(p));
  s.text.sym = 1;
}

void cmd_plotevery(Session& s, Params& p) { s.reader.plotevery = int_parm(p); }

// ---- pens and colours -------------------------------------------------------------

void cmd_datat(Session& s, Params& p) { s.pen.line_thickness = int_parm(p); }

void cmd_dataw(Session& s, Params& p) {
  const double units = std::round(getparm(p) * s.ps.res);
  s.pen.line_thickness = std::isnan(units) ? 1 : static_cast<int>(std::clamp(units, 1.0, 1e9));
  newpen(s.ps, s.pen.line_thickness);
}

void cmd_datacolor(Session& s, Params& p) {
  const double r = getparm(p), g = getparm(p), b = getparm(p);
  s.pen.data_color = {r, g, b};
}

void cmd_pena(Session& s, Params& p) { s.reader.pen_thick_add = getparm(p); }
void cmd_penc(Session& s, Params& p) { s.reader.pen = column_parm(p); }
void cmd_penf(Session& s, Params& p) { s.reader.pen_thick_factor = getparm(p); }
void cmd_penwidthc(Session& s, Params& p) { s.reader.wc = column_parm(p); }

// ---- error bars ---------------------------------------------------------------------

void cmd_errorbart(Session& s, Params& p) { s.curve.ebtic = getparm(p) * s.pen.units; }
void cmd_errorbarevery(Session& s, Params& p) { s.reader.ebskip = int_parm(p); }

void cmd_xebc(Session& s, Params& p) { s.reader.xebcl = s.reader.xebch = column_parm(p); }
void cmd_xebcl(Session& s, Params& p) { s.reader.xebcl = column_parm(p); }
void cmd_xebch(Session& s, Params& p) { s.reader.xebch = column_parm(p); }
void cmd_yebc(Session& s, Params& p) { s.reader.yebcl = s.reader.yebch = column_parm(p); }
void cmd_yebcl(Session& s, Params& p) { s.reader.yebcl = column_parm(p); }
void cmd_yebch(Session& s, Params& p) { s.reader.yebch = column_parm(p); }

void cmd_noxerr(Session& s, Params&) { s.reader.xebcl = s.reader.xebch = 0; }
void cmd_noyerr(Session& s, Params&) { s.reader.yebcl = s.reader.yebch = 0; }
void cmd_noerr(Session& s, Params& p) {
  cmd_noxerr(s, p);
  cmd_noyerr(s, p);
}

constexpr Command kCurveCommands[] = {
    {"DOPLOT", cmd_doplot},
    {"PLOT", cmd_plot},
    {"DOSMOOTH", cmd_dosmooth},
    {"DOSORT", cmd_dosort},
    {"ERRORBAR", cmd_errorbar},
    {"MULTIPLOT", cmd_multiplot},
    {"LABELH", cmd_labelh},
    {"CON", cmd_set<1, &Session::text, &TextState::con>},
    {"NOCON", cmd_nocon},
    {"SYMBOLEVERY", cmd_symbolevery},
    {"SSK", cmd_symbolevery},
    {"PLOTEVERY", cmd_plotevery},
    {"DATAT", cmd_datat},
    {"DT", cmd_datat},
    {"DATAW", cmd_dataw},
    {"DATACOLOR", cmd_datacolor},
    {"PENA", cmd_pena},
    {"PENC", cmd_penc},
    {"PENF", cmd_penf},
    {"PENWIDTHC", cmd_penwidthc},
    {"NOPENWIDTHC", cmd_set<0, &Session::reader, &ReaderSettings::wc>},
    {"FORCEPENDOWN", cmd_set<true, &Session::reader, &ReaderSettings::force_pen_down>},
    {"NOFORCEPENDOWN", cmd_set<false, &Session::reader, &ReaderSettings::force_pen_down>},
    {"ERRORBART", cmd_errorbart},
    {"ERRORBAREVERY", cmd_errorbarevery},
    {"XEBC", cmd_xebc},
    {"XERRORBARC", cmd_xebc},
    {"XEBCL", cmd_xebcl},
    {"XERRORBARL", cmd_xebcl},
    {"XEBCH", cmd_xebch},
    {"XERRORBARH", cmd_xebch},
    {"YEBC", cmd_yebc},
    {"YERRORBARC", cmd_yebc},
    {"YEBCL", cmd_yebcl},
    {"YERRORBARL", cmd_yebcl},
    {"YEBCH", cmd_yebch},
    {"YERRORBARH", cmd_yebch},
    {"NOERR", cmd_noerr},
    {"NOXERR", cmd_noxerr},
    {"NOYERR", cmd_noyerr},
};

}  // namespace

std::span<const Command> curve_commands() { return kCurveCommands; }

}  // namespace vexal

// Commands of number and time-label formatting: NUMBER and its signed and
// day/time forms drawn at the current point, the number style of NUMBER and
// of substitution, and the number style of each axis.
#include <algorithm>
#include <cmath>
#include <string>

#include "axes/numb.h"
#include "interp/command_table.h"
#include "interp/params.h"
#include "interp/session.h"
#include "interp/shared_commands.h"
#include "util/text.h"

namespace vexal {

namespace {

using enum AxisId;

constexpr int kMinDecimals = -2;
constexpr int kMaxDecimals = 20;
constexpr size_t kPlaceWidth = 8;      // number placement word
constexpr size_t kTimeTextWidth = 64;  // day/time form and unit

// The integer part of v within lo..hi (NaN counts as 0), so that a huge or
// undefined parameter cannot overflow the integer.
int clamped_int(double v, int lo, int hi) {
  if (std::isnan(v)) v = 0;
  return static_cast<int>(
      std::clamp(std::trunc(v), static_cast<double>(lo), static_cast<double>(hi)));
}

// Decimals from a parameter, kept within -2..20 so that a huge value cannot
// overflow. Beyond 20 decimals a value of ordinary size shows only the binary
// error of its double, and every count below -1 means the same to etoc (the
// power of ten alone), so -2 keeps that form reachable.
int decimals_parm(Params& p) { return clamped_int(getparm(p), kMinDecimals, kMaxDecimals); }

enum class NumberKind { kPlain, kSigned, kTime };

// NUMBER, SIGNEDNUMBER and HMSNUMBER: the value drawn at the current point
// with the text settings, and SLEN set to its length. Nothing is drawn when
// the value is missing.
void draw_number(Session& s, Params& p, NumberKind kind) {
  bool bad = false;
  const double v = getparm(p, &bad);
  if (bad) return;
  double x = 0, y = 0, scale = 0;
  where(s.ps, x, y, scale);
  newpen(s.ps, s.pen.thickness);
  const Rgb& rgb = s.pen.text_color;
  setrgbcolor(s.ps, rgb.r, rgb.g, rgb.b);
  const TextContext c = s.text_context();
  TextState& t = s.text;
  const double h = t.ts;
  const double angle = t.ta + s.axes.angle;
  const std::string justification = t.justification;  // a copy: the routines get `t` too
  const NumberFormat& f = s.numfmt;
  const TextPlace place{x, y, h, angle, justification};
  double length = 0;
  switch (kind) {
    case NumberKind::kPlain:
      if (f.sci) {
        xnumb(t, s.ps, c, place, v, f.ndec);
        length = xnumbl(t, c, h, v, f.ndec);
      } else {
        numb(t, s.ps, c, place, v, f.ndec);
        length = rnumbl(t, c, h, v, f.ndec);
      }
      break;
    case NumberKind::kSigned:
      signednumb(t, s.ps, c, place, v, f.ndec);
      length = signednumbl(t, c, h, v, f.ndec);
      break;
    case NumberKind::kTime: {
      // Converted once, so that a day overflow is reported once.
      const std::string text = dhms(v, s.axes[X].time_form, s.axes[X].time_unit, s.err());
      chars(t, s.ps, c, place, text);
      length = slen(t, c, h, text);
      break;
    }
  }
  setvariable(s.vars, "SLEN", length);
}

template <AxisId A>
void cmd_numbera(Session& s, Params& p) {
  AxisNumbers& a = s.axes[A].numbers;
  a.angle = getparm(p);
  setvariable(s.vars, axis_letter(A) + std::string("NUMBERANGLE"), a.angle);
}

template <AxisId A>
void cmd_numberp(Session& s, Params& p) {
  std::string word = upper(getcparm(p));
  cut(word, kPlaceWidth);
  s.axes[A].numbers.place = word;
  setcvariable(s.vars, axis_letter(A) + std::string("NPLACE"), word, s.err());
}

// A number size from a parameter: times UNITS, and 0 (no numbers) below one
// device unit.
double number_size(Session& s, Params& p) {
  const double size = getparm(p) * s.pen.units;
  return size >= 1.0 / s.ps.res ? size : 0.0;
}

// ---- drawing ----------------------------------------------------------------

void cmd_number(Session& s, Params& p) { draw_number(s, p, NumberKind::kPlain); }
void cmd_signednumber(Session& s, Params& p) { draw_number(s, p, NumberKind::kSigned); }
void cmd_hmsnumber(Session& s, Params& p) { draw_number(s, p, NumberKind::kTime); }

// ---- NUMBER and substitution ------------------------------------------------

void cmd_numberdec(Session& s, Params& p) { s.numfmt.ndec = decimals_parm(p); }

// The X day/time form and unit, also used by HMSNUMBER and substitution; the
// unit stays as it was when only a form is given.
void cmd_xhmsform(Session& s, Params& p) {
  std::string form = upper(getcparm(p));
  cut(form, kTimeTextWidth);
  s.axes[X].time_form = form;
  std::string unit = upper(getcparm(p, false));
  if (unit.empty()) return;
  cut(unit, kTimeTextWidth);
  s.axes[X].time_unit = unit;
}

// ---- axes -------------------------------------------------------------------

void cmd_dec(Session& s, Params& p) {
  s.axes[X].numbers.ndec = s.axes[Y].numbers.ndec = decimals_parm(p);
}

template <AxisId A>
void cmd_axis_dec(Session& s, Params& p) {
  s.axes[A].numbers.ndec = decimals_parm(p);
}

template <AxisId A>
void cmd_axis_numbers(Session& s, Params& p) {
  AxisNumbers& a = s.axes[A].numbers;
  a.size = number_size(s, p);
  setvariable(s.vars, axis_letter(A) + std::string("NUMBERSIZE"), a.size);
}

// NS, NUMBERS: the X and Y number sizes and the contour-label size together.
void cmd_numbers(Session& s, Params& p) {
  const double size = number_size(s, p);
  s.axes[X].numbers.size = s.axes[Y].numbers.size = s.axes.contour_label_size = size;
  setvariable(s.vars, "XNUMBERSIZE", size);
  setvariable(s.vars, "YNUMBERSIZE", size);
}

// XNUMBERPR and YNUMBERPR alike: numbers along the top and on both Y sides,
// none along the bottom.
void cmd_xnumberpr(Session& s, Params&) {
  s.axes[X].numbers.first_side = false;
  s.axes[Y].numbers.first_side = true;
  s.axes[X].numbers.second_side = true;
  s.axes[Y].numbers.second_side = true;
}

// ---- markers ----------------------------------------------------------------

// SN is SYMBOLN: the current marker code, and markers on. The code is read
// by SYMBOLN's rule (the integer part; beyond 1e9 in magnitude, or NaN, 0),
// so that the two names can never differ.
void cmd_sn(Session& s, Params& p) {
  const double v = getparm(p);
  s.text.sn = std::fabs(v) < 1e9 ? static_cast<int>(v) : 0;
  s.text.sym = 1;
  s.text.ssk = std::max(s.text.ssk, 1);
}

constexpr Command kNumberCommands[] = {
    {"NUMBER", cmd_number},
    {"SIGNEDNUMBER", cmd_signednumber},
    {"HMSNUMBER", cmd_hmsnumber},
    {"NUMBERDEC", cmd_numberdec},
    {"NDEC", cmd_numberdec},
    {"SCI", cmd_set<1, &Session::numfmt, &NumberFormat::sci>},
    {"NOSCI", cmd_set<0, &Session::numfmt, &NumberFormat::sci>},
    {"HMS", cmd_set<1, &Session::numfmt, &NumberFormat::hms>},
    {"NOHMS", cmd_set<0, &Session::numfmt, &NumberFormat::hms>},
    {"XHMSFORM", cmd_xhmsform},
    {"DEC", cmd_dec},
    {"XDEC", cmd_axis_dec<X>},
    {"YDEC", cmd_axis_dec<Y>},
    {"XSCI", cmd_axis_set<kAxisX, 1, &Axis::numbers, &AxisNumbers::sci>},
    {"YSCI", cmd_axis_set<kAxisY, 1, &Axis::numbers, &AxisNumbers::sci>},
    {"ZSCI", cmd_axis_set<kAxisZ, 1, &Axis::numbers, &AxisNumbers::sci>},
    {"NOXSCI", cmd_axis_set<kAxisX, 0, &Axis::numbers, &AxisNumbers::sci>},
    {"NOYSCI", cmd_axis_set<kAxisY, 0, &Axis::numbers, &AxisNumbers::sci>},
    {"NOZSCI", cmd_axis_set<kAxisZ, 0, &Axis::numbers, &AxisNumbers::sci>},
    {"XHMS", cmd_axis_set<kAxisX, 1, &Axis::numbers, &AxisNumbers::hms>},
    {"YHMS", cmd_axis_set<kAxisY, 1, &Axis::numbers, &AxisNumbers::hms>},
    {"ZHMS", cmd_axis_set<kAxisZ, 1, &Axis::numbers, &AxisNumbers::hms>},
    {"NOXHMS", cmd_axis_set<kAxisX, 0, &Axis::numbers, &AxisNumbers::hms>},
    {"NOYHMS", cmd_axis_set<kAxisY, 0, &Axis::numbers, &AxisNumbers::hms>},
    {"NOZHMS", cmd_axis_set<kAxisZ, 0, &Axis::numbers, &AxisNumbers::hms>},
    {"XNUMBERA", cmd_numbera<X>},
    {"XNA", cmd_numbera<X>},
    {"YNUMBERA", cmd_numbera<Y>},
    {"YNA", cmd_numbera<Y>},
    {"ZNUMBERA", cmd_numbera<Z>},
    {"ZNA", cmd_numbera<Z>},
    {"XNUMBERP", cmd_numberp<X>},
    {"XNP", cmd_numberp<X>},
    {"YNUMBERP", cmd_numberp<Y>},
    {"YNP", cmd_numberp<Y>},
    {"ZNUMBERP", cmd_numberp<Z>},
    {"ZNP", cmd_numberp<Z>},
    {"XNUMBERS", cmd_axis_numbers<X>},
    {"XNS", cmd_axis_numbers<X>},
    {"YNUMBERS", cmd_axis_numbers<Y>},
    {"YNS", cmd_axis_numbers<Y>},
    {"NUMBERS", cmd_numbers},
    {"NS", cmd_numbers},
    {"XNUMBERPR", cmd_xnumberpr},
    {"YNUMBERPR", cmd_xnumberpr},
    {"SN", cmd_sn},
};

}  // namespace

std::span<const Command> number_commands() { return kNumberCommands; }

}  // namespace vexal

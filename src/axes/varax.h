// Axis drawing: one axis from a list of tick values (varax), an evenly
// divided axis (linax), an axis with ticks at round steps (avarax) and a
// decade axis (logax), with numbers at the ticks and a label.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "postscript/chars.h"
#include "postscript/pen_state.h"
#include "postscript/ps_writer.h"
#include "util/out_buffer.h"

namespace vexal {

inline constexpr int kMaxTicks = 1000;  // tick values one call generates (axis01)

// One axis to draw: where it runs, its values, ticks, numbers, label and pens.
struct AxisDraw {
  double xorig = 0, yorig = 0;  // start of the axis, inches from the current origin
  double length = 6;            // inches
  double angle = 0;             // direction, degrees counter-clockwise from +x
  double minu = 0, maxu = 1;    // values at the start and at the end
  // Signed label length: < 0 numbers and label on the negative side (below an
  // X axis), > 0 on the positive side, 0 ticks across both sides only.
  int side = -1;
  double ticsize = 0.1;   // major tick length, inches; < 0 ticks point outward
  int nt = 5;             // major ticks of the fixed-count axis (linax)
  int mt = 0;             // minor ticks: 0 automatic, > 0 per major interval, < 0 none
  double density = 1;     // tick density factor of the automatic axis (avarax)
  bool grid = false;      // major ticks become grid lines of `gridlength`
  bool mgrid = false;     // minor ticks become grid lines
  double gridlength = 0;  // the other axis's length, inches
  double numsize = 0.12;  // number height, inches; 0 draws no numbers
  double numangle = 0;    // number angle relative to the axis, degrees
  std::string_view numplace = "CENTER";  // number justification: "LEFT", "CENTER", "RIGHT"
  int ndec = 3;                          // decimals of fixed-point numbers
  bool sci = false;                      // scientific numbers
  bool hms = false;                      // day/time numbers in `hmsform` and `hmsunit`
  std::string_view hmsform = "DDD/HH:MM:SS", hmsunit = "HOURS";
  double mod = 0;               // > 0: numbers show the value modulo this
  bool abs = false;             // numbers show the absolute value
  bool neg = false;             // numbers show the negated value
  bool ff = false, lf = false;  // check the first / last number for overhang
  bool fn = true, ln = true;    // an overhanging first / last number is justified, not omitted
  bool varchar = false;         // numbers are the texts `tick_texts` (tick i shows [i])
  std::span<const std::string> tick_texts;
  std::string_view label;  // drawn with |side| characters
  double labsize = 0.14;   // label height, inches; 0 draws no label
  double laboffset = 0;    // label distance from the axis, inches; |.| <= 0.01 automatic
  // Numbers and label of an axis pointing leftwards (beyond +-90 degrees) are
  // turned half round in place, so that they read upright (the 3-D axes).
  bool upright = false;
  int axthick = 2, labthick = 2, numthick = 2;  // pen thicknesses, device units
  Rgb axis_color, grid_color, minor_grid_color;
  DashPattern grid_dash = kSolidDash, minor_grid_dash = kSolidDash;
};

// The steps of an automatic axis; a step of 0 means no ticks.
struct AutoSteps {
  double step = 0;   // between major ticks
  double minor = 0;  // between minor ticks; 0: none
};

// The major and minor steps avarax chooses for a span of `range` (> 0) on an
// axis `length` inches long with density factor `density`, minor control
// `mt`, and for day/time numbers (`hms`) in `unit` (hours, or "UNIXSEC" seconds).
AutoSteps auto_steps(double range, double length, double density, int mt, bool hms,
                     std::string_view unit);

// The multiples of `step` within [lo, hi], counted from the single-precision
// truncation of lo/step, into `out` (at most kMaxTicks candidates); returns
// how many were stored. A step that is not a positive number gives none.
int tick_values(double lo, double hi, double step, std::span<double> out);

// Draws the axis with a tick at each value (ticks more than 0.02 inch beyond
// either end are skipped), the numbers, the label and the axis line. The pen
// ends at the caller's origin; a day overflow of a time number goes to `err`.
void varax(PsWriter& w, TextState& t, const TextContext& c, const AxisDraw& a,
           std::span<const double> ticks, OutBuffer& err);

// Draws an axis with `nt` evenly spaced numbered ticks from minu to maxu and
// `mt` minor intervals in each (none for mt <= 0).
void linax(PsWriter& w, TextState& t, const TextContext& c, const AxisDraw& a, OutBuffer& err);

// Draws an axis with numbered ticks at round steps chosen by auto_steps, and
// minor ticks between them.
void avarax(PsWriter& w, TextState& t, const TextContext& c, const AxisDraw& a, OutBuffer& err);

// Draws a decade axis: a tick labelled 10 with a raised exponent at each
// power of ten and minor ticks at 2..9 times it, over log10 of the limits
// (non-positive limits clamped to 1e-32 and 1e-31).
void logax(PsWriter& w, TextState& t, const TextContext& c, const AxisDraw& a, OutBuffer& err);

}  // namespace vexal

// Data curves: `line` draws the points of the store as connected segments
// with pen breaks and widths, per-point colours, markers on every n-th point
// and an optional fill down to a base; `errorbar` draws one error bar.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "postscript/chars.h"
#include "postscript/pen_state.h"
#include "postscript/ps_writer.h"
#include "util/column.h"
#include "util/out_buffer.h"

namespace vexal {

inline constexpr int kCurveProgressEvery = 250;  // points between progress lines
inline constexpr double kChopSlack = 0.0001;     // inches a chopped position may pass the axis

// The curve settings of the main program not held by the text or reader records.
struct CurveSettings {
  double ebtic = 0.1;      // error-bar cap width, inches (ERRORBART)
  std::string label_text;  // LABELH: the panel labels of MULTIPLOT, case kept, at most 256
};

// The data-to-inches mapping of one axis, prepared once per curve so that a
// point costs a subtraction and a multiplication (and a log10 on a log axis).
struct CurveAxis {
  double length = 0;    // axis length, inches
  bool mapped = false;  // false: values are already inches (limits unset)
  bool log = false;     // the value's log10 (clamped at 1e-32) is mapped
  bool chop = false;    // positions clamped to the axis, kChopSlack either side
  double lo = 0;        // lower axis limit (its log10 on a log axis)
  double factor = 0;    // inches per data unit (per decade); 0 for an empty span

  // The position of data value v along the axis, inches.
  double map(double v) const {
    if (!mapped) return v;
    if (log) v = std::log10(std::max(v, 1e-32));
    double pos = (v - lo) * factor;
    if (chop) pos = std::clamp(pos, -kChopSlack, length + kChopSlack);
    return pos;
  }
};

// The mapping of an axis of `length` inches drawn from minu to maxu, with
// the same clamps as the axis mapping: log10(max(minu, 1e-32)) and
// log10(max(maxu, 1e-31)) on a log axis.
CurveAxis curve_axis(double minu, double maxu, bool log, bool chop, double length);
// The mapping that leaves values as they are (inches), for unset limits.
CurveAxis identity_axis(double length);

// The mappings of the plot's two axes.
struct CurveAxes {
  CurveAxis x, y;
};

// The point store's columns as `line` reads them: point i (1-based) at index i-1.
struct CurvePoints {
  int npts = 0;
  const double *x = nullptr, *y = nullptr;
  ColumnView<double> z, v;
  ColumnView<int32_t> pen;     // <= 0: pen up before the point; else width, device units
  ColumnView<int32_t> symbol;  // marker code; < 0 none
  ColumnView<int32_t> colour;  // colour-table index; < 0 none
};

// How the curve is drawn.
struct CurveStyle {
  int ssk = 0;               // markers on every ssk-th point from the first; 0 = none
  double marker_size = 0.1;  // inches
  bool con = true;           // segments drawn (false: only moves and markers)
  double angle = 0;          // rotation of the plot frame, degrees
  bool filled = false;       // each segment filled down to the base first
  // 3-D curves: markers only on points within the frame along X, Y, Z (a
  // plane curve chops through its CurveAxes).
  std::array<bool, 3> chop{};
  OutBuffer* progress = nullptr;  // the terminal for progress and the final count; null = none
};

// What `line` asks of its caller, which owns the math registers and the
// parameter reader. `registers` may be null; `base` is needed when filling.
struct CurveHooks {
  void* ctx = nullptr;
  // Places the point's V, X, Y, Z in the math registers (before a marker or a base).
  void (*registers)(void* ctx, double v, double x, double y, double z) = nullptr;
  // The base of the point whose values are in the registers: a data value of Y.
  double (*base)(void* ctx) = nullptr;
};

// Draws the points as a curve on the current axes. The first point and every
// point with pen <= 0 start a line (a move, the width taken from the next
// point's pen); the others draw with their own pen as width. A colour index
// >= 0 selects that table colour, which the markers then take as text and
// data colour for the rest of the call (c.pen itself is not changed).
// Markers go on points 1, 1+ssk, 1+2 ssk, ..., except, on a chopped axis,
// where the point lies off the axis. With `filled`, the quadrilateral
// between each segment and the base is filled before the segment is drawn.
// With a `progress` terminal, the count goes there every
// kCurveProgressEvery points (ending in a carriage return) and at the end (a
// full line). Under --compact the points drawn one after another within a
// device column are written as the column's ends and extremes
// (PsWriter::fold_runs).
void line(PsWriter& w, TextState& t, const TextContext& c, const CurvePoints& pts,
          const CurveStyle& style, const CurveAxes& axes, const CurveHooks& hooks);

// The extents of one error bar, data units; signs are dropped, NaN counts as 0.
struct ErrorExtents {
  double xl = 0, xh = 0, yl = 0, yh = 0;
};

// Draws the error bar of data point (x, y) in the current colour and width:
// an X bar with caps of `ebtic` inches when xl or xh is positive, then a Y
// bar when yl or yh is, each ending with the pen back at the point. The axes
// should not chop (bars reach past the axis as the data do). A point that
// is not finite draws nothing.
void errorbar(PsWriter& w, const CurveAxes& axes, double angle, double ebtic, double x, double y,
              ErrorExtents e);

}  // namespace vexal

// Per-axis settings: lengths, frame angle, data-unit drawing, and the number
// style and the layout (ticks, label, grid) of each axis. The mapping of data
// values to inches lives here too.
#pragma once

#include <array>
#include <string>

#include "util/axis_limits.h"
#include "util/out_buffer.h"

namespace vexal {

// How the numbers of one axis are written.
struct AxisNumbers {
  int ndec = 3;                  // decimals (XDEC)
  int sci = 0;                   // scientific notation (XSCI)
  int hms = 0;                   // numbers are day/time labels (XHMS)
  double angle = 0;              // number angle, degrees (XNUMBERA)
  std::string place = "CENTER";  // number placement word, upper case (XNUMBERP)
  double size = 0.12;            // number height, inches (XNUMBERS)
  // Which sides of the frame carry the numbers (XNUMBERPR, YNUMBERPR): the
  // first (bottom/left) and the second (top/right).
  bool first_side = true, second_side = false;
};

inline constexpr int kMaxTicPlace = 50;    // user tick values XVAR keeps
inline constexpr int kMaxDataTicks = 400;  // text-labelled ticks DATATOXVAR reads

// How one axis is drawn: its ticks, label, grid, number flush checks and
// number transformations. The Z axis uses the minor control and the label.
struct AxisLayout {
  bool avar = true;      // automatic ticks at round steps (xavar, XAUTO)
  bool var = false;      // ticks at the user values `ticplace` (xvar, XVAR)
  bool varchar = false;  // tick i is labelled by the character variable "i" (XVARCHAR)
  int nt = 5;            // major ticks of the fixed-count axis; user tick values held (xt)
  std::array<double, kMaxDataTicks> ticplace{};  // user tick values (xticplace; XVAR fills 50)
  int mt = 0;            // minor ticks: 0 automatic, >0 intervals per major interval, -1 none (xmt)
  double tsiz = 0.1;     // major tick length, inches; minor ticks are 0.6 of it (xtsiz)
  double ls = 0.14;      // label height, inches (xls, XLABELSIZE)
  int lt = -1;           // label pen thickness, device units; -1: the start-up axis thickness (xlt)
  int nthick = -1;       // number pen thickness, device units; -1 as for `lt` (xnt)
  double laboffset = 0;  // fixed label distance from the axis, inches; 0 = automatic
  bool grid = false;     // major ticks drawn as grid lines across the plot (xgrid)
  bool mgrid = false;    // minor ticks drawn as grid lines (xmgrid)
  double mod = 0;        // > 0: numbers show the tick value modulo this (xmod)
  bool abs = false;      // numbers show the absolute value (xabs)
  // Flush checks of the first and last number on the first (bottom/left) and
  // second (top/right) axis: ff/lf check, fn/ln show an overhanging number
  // justified to the axis end instead of omitting it.
  bool ff1 = false, lf1 = false, fn1 = true, ln1 = true;
  bool ff2 = false, lf2 = false, fn2 = false, ln2 = false;
  std::string label;   // label text, at most 256 characters (XLAB; also XLABEL)
  int nl = 1;          // non-blank length of the label, at least 1 (nxl)
  bool drawn = true;   // DOAXES draws this axis (xaxes, XAX)
  double density = 1;  // tick density factor of the automatic axis (avax01; MORET, FEWERT)
};

// Everything one axis is: its limits, its length and how drawing commands
// map onto it, how its numbers are written and how it is drawn.
struct Axis {
  AxisLimits limits;
  double length = 6;                       // inches (XDIM, YDIM, ZDIM)
  bool data_units = false;                 // drawing commands take data values (XSCALE)
  AxisNumbers numbers;                     // number style (XDEC, XSCI, XNUMBERA, ...)
  AxisLayout layout;                       // ticks, label, grid (XTIC, XLAB, XGRID, ...)
  std::string time_form = "DDD/HH:MM:SS";  // day/time form of its numbers (XHMSFORM), upper case
  std::string time_unit = "HOURS";         // day/time unit: "UNIXSEC" or hours
  bool negated = false;  // values are negated on reading, numbers negated back (XNEG)
};

// The Z axis at start: 4 inches long, without the border of X and Y.
inline Axis start_z_axis() {
  Axis z;
  z.limits.border = false;
  z.length = 4;
  return z;
}

struct AxisState {
  std::array<Axis, 3> axis{Axis{}, Axis{}, start_z_axis()};  // indexed by AxisId
  Axis& operator[](AxisId id) { return axis[static_cast<size_t>(id)]; }
  const Axis& operator[](AxisId id) const { return axis[static_cast<size_t>(id)]; }

  double angle = 0;  // rotation of the whole plot frame, degrees
  // Height of the contour level labels, inches (cns); NS sets it together
  // with the X and Y number sizes.
  double contour_label_size = 0.12;
};

// A drawing-command coordinate in inches along X (Y): with data-unit drawing
// off, the value times the units factor; with it on, the value mapped along
// the axis (the axis mapping takes this place once limits exist).
double axis_inches(const Axis& a, double value, double units, OutBuffer* err);
// Turns a page point about the origin by the frame angle.
void rotate2d(double& x, double& y, double angle_degrees);

}  // namespace vexal

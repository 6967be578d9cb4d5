// Per-axis settings: lengths, frame angle, data-unit drawing and the number
// style of each axis. The mapping of data values to inches lives here too.
#pragma once

#include <string>

#include "axes/axis_limits.h"
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
};

struct AxisState {
  double xd = 6, yd = 6, zd = 4;                        // axis lengths, inches (XDIM, YDIM, ZDIM)
  double angle = 0;                                     // rotation of the whole plot frame, degrees
  bool xscale = false, yscale = false, zscale = false;  // drawing commands take data values
  AxisNumbers x, y, z;
  // Height of the contour level labels, inches (cns); NS sets it together
  // with the X and Y number sizes.
  double contour_label_size = 0.12;
  // Which sides of the frame carry numbers (XNUMBERPR/YNUMBERPR): the first
  // (bottom/left) and second (top/right) X and Y sides.
  bool x_first_side = true, y_first_side = true, x_second_side = false, y_second_side = false;
};

// A drawing-command coordinate in inches: with data-unit drawing off, the
// value times the units factor; with it on, the value mapped along the axis
// (the axis mapping takes this place once limits exist).
double axis_inches_x(const AxisState& a, const Limits& lim, double value, double units,
                     OutBuffer* err);
double axis_inches_y(const AxisState& a, const Limits& lim, double value, double units,
                     OutBuffer* err);
// Turns a page point about the origin by the frame angle.
void rotate2d(double& x, double& y, double angle_degrees);

}  // namespace vexal

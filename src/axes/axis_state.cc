// Per-axis settings and the coordinate path of the drawing commands.
#include "axes/axis_state.h"

#include <cmath>

#include "axes/fixpoint.h"

namespace vexal {

double axis_inches(const Axis& a, double value, double units, OutBuffer* err) {
  return a.data_units ? fixpoint(value, a, err) : value * units;
}

void rotate2d(double& x, double& y, double angle_degrees) {
  if (angle_degrees == 0) return;
  double a = angle_degrees * 3.14159265358979323846 / 180.0;
  double c = std::cos(a), s = std::sin(a);
  double xr = x * c - y * s;
  y = x * s + y * c;
  x = xr;
}

}  // namespace vexal

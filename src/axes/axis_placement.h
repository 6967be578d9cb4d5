// An axis drawn along a line given by the caller (the 3-D axes along the
// projected edges of the box), with an axis's limits and settings.
#pragma once

namespace vexal {

struct Session;

struct AxisPlacement {
  double x = 0, y = 0;  // start, inches from the origin
  double length = 0;    // inches
  double angle = 0;     // direction, degrees counter-clockwise from +x
};

// Draws the annotated axis `axis` ('X', 'Y' or 'Z') along `at`: X and Y with
// their own limits and settings, Z with the Z limits and label and the Y
// settings. Numbers and label go below an X axis and left of the others,
// on the other side with `second`. No grid.
void show_placed_axis(Session& s, char axis, bool second, const AxisPlacement& at);

}  // namespace vexal

// Where an axis is drawn when the caller gives the line (the 3-D axes along
// the projected edges of the box).
#pragma once

namespace vexal {

// The side of the frame an axis is drawn on: the first (bottom, left) or the
// second (top, right). Its numbers and label go outside the frame.
enum class AxisSide { kFirst, kSecond };

struct AxisPlacement {
  double x = 0, y = 0;  // start, inches from the origin
  double length = 0;    // inches
  double angle = 0;     // direction, degrees counter-clockwise from +x
};

}  // namespace vexal

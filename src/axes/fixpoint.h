// The mapping of a data value to inches along an axis.
#pragma once

#include "axes/axis_state.h"
#include "util/out_buffer.h"

namespace vexal {

// The page position (inches along the axis) of data value v. With a data
// limit unset the value is returned unchanged, and "Error--please set min
// and max and try again" goes to `err` (when given). Log axes map log10 of the clamped values; with
// chop on the position is clamped to the axis (0.0001 inch of slack).
double fixpoint(double v, const Axis& axis, OutBuffer* err);

}  // namespace vexal

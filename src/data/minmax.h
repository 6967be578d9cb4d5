// The limit rule: the data limits and the drawing limits of one axis derived
// from its values.
#pragma once

#include <span>

#include "axes/axis_limits.h"
#include "util/out_buffer.h"

namespace vexal {

// Sets the unset data limits of `a` to the extremes of `values` (with no
// values they stay unset), then the drawing limits minu/maxu: the data limits,
// widened by 5 % of the span with the border flag (in decades on a log axis).
// Equal drawing limits become a one-unit span, with the two warning lines for
// the axis `letter` on `err`.
void minmax(std::span<const double> values, AxisLimits& a, char letter, OutBuffer& err);

}  // namespace vexal

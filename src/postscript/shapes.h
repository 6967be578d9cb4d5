// Closed and filled shapes that are not data curves: the filled polygon.
#pragma once

#include "postscript/ps_writer.h"

namespace vexal {

// Fills the polygon of the n vertices (x[i], y[i]), inches from the origin,
// in the current colour: the path drawn so far is stroked first, and the pen
// ends on the last vertex with its move always written. One vertex is only a
// move to it; none does nothing.
void filled_region(PsWriter& w, const double* x, const double* y, int n);

}  // namespace vexal

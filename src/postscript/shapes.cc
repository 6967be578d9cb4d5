// Closed and filled shapes.
#include "postscript/shapes.h"

namespace vexal {

void filled_region(PsWriter& w, const double* x, const double* y, int n) {
  if (n < 1) return;
  if (n == 1) {
    moveto(w, x[0], y[0]);
    return;
  }
  out_a(w, "S N");
  w.nseg = 0;
  forget_point(w);  // the stroke ended the path: the first move is written
  moveto(w, x[0], y[0]);
  for (int i = 1; i < n; ++i) {
    // The count stays below the stroke limit: a "CSM" inside the polygon
    // would stroke part of it away before the fill sees it.
    w.nseg = 0;
    drawto(w, x[i], y[i]);
  }
  out_a(w, "CF S");
  w.nseg = 0;
  forget_point(w);
  moveto(w, x[n - 1], y[n - 1]);
}

}  // namespace vexal

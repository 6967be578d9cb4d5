// Surfaces of the array: the wire mesh with hidden lines removed, drawn from
// the front cell to the back, and the shaded solid surface in painter's order.
#pragma once

#include <cstddef>
#include <vector>

#include "postscript/ps_writer.h"
#include "threed/horizon.h"
#include "threed/view.h"

namespace vexal {

// The order in which the mesh draws its cells (index (j - 1) x (nx - 1) +
// i - 1 of cell (i, j), row by row): the largest key first, and among equal
// keys the first in that order. The same order as taking the largest
// remaining key by a linear search each time, in n log n.
std::vector<size_t> mesh_order(const std::vector<double>& keys);
// The order of the solid surface: the smallest key first, the first in row
// order among equal keys.
std::vector<size_t> solid_order(const std::vector<double>& keys);

// The array as the view maps it: nx x ny values, element (i, j) at
// values[(j - 1) x nx + i - 1], with the coordinate lists x (nx entries) and
// y (ny entries).
struct Grid {
  const double* values = nullptr;
  const double* x = nullptr;
  const double* y = nullptr;
  int nx = 0, ny = 0;
};

// Draws the wire mesh of the grid in the view (`surfas`): the frame's X and
// Y corners are set to the grid's first and last coordinates, every cell's
// key is its largest rotated base depth, and the cells are drawn in
// mesh_order, each cell's edges along y and then along x (as the view's line
// flags allow), the one through the nearest corner first; through the
// horizon (`hddrw`, draw and update) unless the view's no-hidden-line flag
// is set, then plainly. A grid of fewer than 2 x 2 draws nothing.
void surfas(View& v, Horizon& h, PsWriter& w, const Grid& g);

// The window of the solid surface's grid lines (XLINES a b, YLINES a b).
struct SolidLines {
  double x_lo = -1.32, x_hi = 1.32;
  double y_lo = -1.32, y_hi = 1.32;
};

// The shaded solid surface (`solid`): the frame's X and Y corners set as for
// surfas; table colour 0 first; every cell's key
// is its smallest projected base depth; the cells in solid_order, each
// filled in the colour of its mean height between zmin and zmax (of
// `ncolors` colours, 0 .. ncolors - 1; colour 0 when ncolors <= 1), with its
// edges in black where the view's line flags are on and the cell lies within
// the line window; black selected at the end. A grid of fewer than 2 x 2
// draws nothing.
void solid(View& v, PsWriter& w, const Grid& g, double zmin, double zmax, int ncolors,
           const SolidLines& lines);

}  // namespace vexal

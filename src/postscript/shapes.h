// Closed and filled shapes that are not data curves: circles and whole-circle
// arcs, polygons, arrows, raster strips, colour-index images, and the
// pattern comment lines.
#pragma once

#include <array>
#include <cstdint>

#include "postscript/ps_writer.h"

namespace vexal {

// Arrow head and shaft sizes kept by the arrow commands.
struct ArrowSettings {
  double head = 0;   // AHS: head length, inches; <= 0 = a tenth of the arrow's length
  double shaft = 0;  // ASW: shaft width, inches; <= 0 = 0.03 of the arrow's length
};

// Cell sizes of the raster strips (RASTERDX, RASTERDY), inches.
struct RasterSettings {
  double dx = 0.1, dy = 0.1;
};

// Strokes what is drawn, moves to the arc's start, strokes the arc of radius
// r about (x, y) (inches from the origin) as one arc line from angle a1 to a2
// (degrees), and moves to the centre; both moves are always written. The
// bounding box takes in the whole circle's square, within the clip window.
void arc(PsWriter& w, double x, double y, double r, double a1 = 0, double a2 = 360);
// As arc, the region filled in the current colour.
void filled_arc(PsWriter& w, double x, double y, double r, double a1 = 0, double a2 = 360);
// The circle's outline as 361 points a degree apart (a move to angle 0, then
// draws), then a move to the centre.
void circle(PsWriter& w, double x, double y, double r);
// filled_region of the 360 points at 1..360 degrees, then a move to the centre.
void filled_circle(PsWriter& w, double x, double y, double r);

// Fills the polygon of the n vertices (x[i], y[i]), inches from the origin,
// in the current colour: the path drawn so far is stroked first, and the pen
// ends on the last vertex with its move always written. One vertex is only a
// move to it; none does nothing.
void filled_region(PsWriter& w, const double* x, const double* y, int n);
// Outlines the polygon: a move to the first vertex, draws to the others and
// back to the first. One vertex is only a move; none does nothing.
void hollow_region(PsWriter& w, const double* x, const double* y, int n);

// The vertices of an arrow polygon, inches from the origin.
struct ArrowPolygon {
  std::array<double, 7> x, y;  // the tip first, then round the head and the shaft
};

// The arrow from (x, y) of length `length`, shaft width `shaft`, head length
// `head`, pointing `angle` degrees.
ArrowPolygon arrow_points(double x, double y, double length, double shaft, double head,
                          double angle);
// Outlines the arrow polygon; the pen ends on the tip.
void arrow(PsWriter& w, double x, double y, double length, double shaft, double head, double angle);
// Fills the arrow polygon; the pen ends on the tip.
void filled_arrow(PsWriter& w, double x, double y, double length, double shaft, double head,
                  double angle);

// A horizontal strip of n cells dx inches wide from the current point, drawn
// as a line dy inches thick in the table colours c[0..n-1]: one draw per run
// of equal colours. Indices outside the table leave the colour as it was.
// n < 1 does nothing. With --compact the strip is one image where it can be
// (write_cell_image), the pen, width and colour left as the draws leave them.
void xraster(PsWriter& w, double dx, double dy, int n, const int* c);
// As xraster along y: cells dy inches high, a line dx inches thick.
void yraster(PsWriter& w, double dx, double dy, int n, const int* c);
// The image of nx x ny colour-table indices (rows from the bottom, nx bytes
// each) in the rectangle width x height from the origin: each row one line
// at its middle, one device unit thicker than the row so that rows overlap,
// a draw per run of equal bytes. Table colour 0 is selected before and
// after. Nothing is drawn when nx or ny is below 1. With --compact the rows
// are one image where they can be (write_cell_image), the pen left as the
// rows leave it.
void show_image(PsWriter& w, int nx, int ny, const uint8_t* bytes, double width, double height);

// The comment line " %" + number + eight bytes, each two upper-case
// hexadecimal digits of its low 8 bits, + "DPAT"; nothing else changes.
void define_pattern(PsWriter& w, int n, const std::array<int, 8>& bytes);
// The comment line " %" + the number's two hexadecimal digits + "SPAT".
void set_pattern(PsWriter& w, int n);

}  // namespace vexal

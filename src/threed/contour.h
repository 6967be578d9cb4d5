// Contours of the array: lines at regular levels or at one level, drawn
// through the view's geometry; the array as a map of colour cells; the
// colour scale bar; and the field of arrows of two arrays.
#pragma once

#include <cstddef>
#include <vector>

#include "postscript/chars.h"
#include "postscript/ps_writer.h"
#include "threed/horizon.h"
#include "threed/surface.h"
#include "threed/view.h"
#include "util/out_buffer.h"

namespace vexal {

// Levels beyond this many are not drawn: a step far below the range of the
// data would otherwise draw for hours.
inline constexpr long kMaxContourLevels = 10000;

// The levels of `contr`: first, first + step, ... (count of them), by
// repeated addition. `count` 0 draws nothing (flat data, or a step of the
// wrong sign for the range); `capped` when the step would give more than
// kMaxContourLevels and only the first kMaxContourLevels are kept.
struct ContourLevels {
  double first = 0, step = 1;
  long count = 0;
  bool capped = false;
};
// The step (the given one when not 0, else automatic) and the levels for
// data from zmin to zmax. Flat data (zmax = zmin) gives step 1 and no levels.
ContourLevels contour_levels(double zmin, double zmax, double step);
// The one level of ONECONT (`one_contr`).
ContourLevels one_level(double level);

// The main program's contour settings.
struct ContourSettings {
  double step = 0;       // CONTOURSTEP: 0 = automatic
  bool annotate = true;  // ANNOTATEC / NOANNOTATEC
  // ANNOTATEC CLEAR [spacing]: labels along the lines, clear of each other
  // and the frame, at most one per `label_spacing` inches of line.
  bool clear_labels = false;
  double label_spacing = 1.5;
  bool trim = true;  // TRIMCON / NOTRIMCON: half cells at the ends
  double vlen = 0;   // VLEN: length of the longest vector, inches
};

// Which contour lines are drawn, and how they are drawn and labelled.
struct ContourStyle {
  ContourLevels levels;        // contour_levels of the data, or one_level
  bool annotate = true;        // level labels along the lines
  bool clear_labels = false;   // ANNOTATEC CLEAR: turned along the lines, clear of each other
  double label_spacing = 1.5;  // inches of line per label at most, with clear_labels
  double label_size = 0.12;    // inches
  double label_angle = 0;      // degrees
  Rgb line_color{0, 0, 0};
  Rgb label_color{0, 0, 0};
};

// The cell widths (nx - 1) and heights (ny - 1) in frame inches: the
// coordinate steps scaled so that the grid spans lx by ly.
void cell_sizes(const Grid& g, double lx, double ly, std::vector<double>& widths,
                std::vector<double>& heights);

// Draws the style's levels (`contr`) by the cell walk through `rdplot` of
// the view, whose frame X and Y corners are set here to the grid's first and
// last coordinates; labels are written with `numb` at the pen. Cells with a
// missing (below -1.0e36) or non-finite corner are skipped.
void contr(View& v, Horizon& h, PsWriter& w, TextState& t, const TextContext& c, const Grid& g,
           const ContourStyle& style);

// The values spread over the colour table by the colour cells.
struct ColorRange {
  int ncolors = 11;           // table colours 0 .. ncolors - 1 (NCOLORS)
  double zmin = 0, zmax = 1;  // the values of the first and the last
};

// The colour cells (`concol`): the grid's cells, each node's cell of width
// widths[i] and height heights[j] (frame inches, nx and ny of them), the
// first and last of each halved for drawing; colour 255 for a missing value,
// else round((z - zmin)/(zmax - zmin) x (ncolors - 1)) within 0 .. ncolors - 1
// (0 when zmin = zmax or ncolors < 2). In the flat Cartesian view (all view
// angles below 1 in magnitude) each row is one stroke per cell, else each
// cell a filled quadrilateral through the view (a missing cell not filled).
// The frame's X and Y corners are set to the grid's first and last
// coordinates; black is selected at the end. With --compact the flat,
// unturned view's cells are one image where they can be (write_cell_image),
// the pen left as the strokes leave it.
void concol(View& v, PsWriter& w, const Grid& g, const std::vector<double>& widths,
            const std::vector<double>& heights, const ColorRange& colors);

// The colour scale bar of xlen by zlen inches from the origin, horizontal
// when xlen >= zlen, else vertical, its outline in black with pen thickness
// `outline` (device units). ncolors below 2 draws the outline only.
void color_scale(PsWriter& w, double xlen, double zlen, double zoom, int ncolors, int outline);

// The arrow field (`vectr`): u and v of the grid's shape; node (i, j) at
// ((x(i) - x(1)) / (x(nx) - x(1)) x xlength, likewise y); an arrow of length
// |(u, v)| / vmax x vlen at angle atan2(v, u), shaft 0.05 and head 0.33 of
// its length; nothing at nodes where u = v = 0. False (nothing drawn) when
// every vector is 0 or not finite.
bool vectr(PsWriter& w, const Grid& u, const double* v, double xlength, double ylength,
           double vlen);

}  // namespace vexal

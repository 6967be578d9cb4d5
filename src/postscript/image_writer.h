// Cell maps and pictures as one PostScript image (--compact): where the
// image's cells fall so that they cover what the strokes of each cell
// covered, the colour table as the image's lookup (or the grey levels
// themselves), and the samples compressed (Flate, rows as they are or
// predicted from the row below) in ASCII85.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "postscript/ps_writer.h"

namespace vexal {

// The prolog lines of a --compact document: IMG and MSK read the data that
// follows them over the unit square ("width height [0 255] IMG": indices
// into the colour space's lookup; "width height [0 1] IMG": grey levels;
// "width height MSK": a one-bit mask painted in the current colour).
//
// IMR clips to the cells and moves what follows so that the image's cell
// edges fall on the reader's pixels as the strokes' edges did. A stroke
// inks every pixel it touches, the later of two strokes the pixels both
// touch, and a reader adjusting strokes rounds a stroke's width to whole
// pixels across it; an image inks the pixels whose centres its cells hold.
// Per axis: lo hi and the widths of the first, inner and last strokes
// across it (zeros when the strokes run along it); x first, then y. The
// edges keep a hundredth of a pixel off the ties between pixels.
inline constexpr std::string_view kImageProlog[] = {
    "/IRD {dup 0 gt {IPX mul dup 0.5 add floor sub 2 div IPX div}{pop 0}ifelse}b",
    "/IRE {0.01 IPX div}b",
    "/IRA {/IPX e d /IWL e d /IWI e d /IWF e d /IHI e d /ILO e d",
    "ILO IWF IRD add IRE IWF 0 gt {neg} if add IHI IWL IRD sub IRE sub",
    "IWI 0 gt {IWI IRD IRE sub 0.5 IPX div sub}{IRE 0.5 IPX div sub}ifelse}b",
    "/IRP {dtransform dup mul exch dup mul add sqrt}b",
    "/IMR {0 1 IRP IRA /ITY e d /IY1 e d /IY0 e d 1 0 IRP IRA /ITX e d /IX1 e d /IX0 e d",
    "IX0 IY0 IX1 IX0 sub IY1 IY0 sub rectclip ITX ITY translate}b",
    "/IMG {/IDC e d /IH e d /IW e d currentfile/ASCII85Decode filter/IA e d",
    "<</ImageType 1/Width IW/Height IH/BitsPerComponent 8/Decode IDC",
    "/ImageMatrix[IW 0 0 IH 0 0]/DataSource IA<</Predictor 12/Columns IW>>/FlateDecode filter>>",
    "image IA flushfile}b",
    "/MSK {/IH e d /IW e d currentfile/ASCII85Decode filter/IA e d",
    "<</ImageType 1/Width IW/Height IH/BitsPerComponent 1/Decode[1 0]",
    "/ImageMatrix[IW 0 0 IH 0 0]/DataSource IA/FlateDecode filter>>",
    "imagemask IA flushfile}b",
};

// One axis of an image on the page, device units: the image's cell k covers
// origin + k step .. origin + (k + 1) step, and only lo .. hi shows. The
// image's cells are the data's, after `before` copies of the first and
// before `after` copies of the last.
struct ImageAxis {
  double origin = 0, step = 0;
  int before = 0, after = 0;  // copies of the first and last cells added
  double lo = 0, hi = 0;      // the outer edges, where the image is clipped
};

// The edges n cells show when cell k was drawn over lo[k] .. hi[k] (device
// units, drawn in order, each over the one before): lo[0], lo[1], ...,
// lo[n - 1], hi[n - 1]. False when they do not show as n cells side by side
// in increasing order (a gap between two, one reaching past the next's far
// edge, a decrease) or span no device unit.
bool visible_edges(std::span<const double> lo, std::span<const double> hi,
                   std::vector<double>& edges);
// Cells of one size on the edges (n + 1 of them), the image clipped to the
// outer edges: the end cells may show anything from nothing to two cells
// (a copy of an end cell added where one does not reach). Of the sizes the
// edges suggest, the one that puts the inner edges nearest where they are;
// false when none puts every inner edge within one device unit.
bool fit_image_axis(std::span<const double> edges, ImageAxis& axis);

// Cells as the strokes of the drawing put them, device units: column i from
// x_lo[i] to x_hi[i], row j from y_lo[j] to y_hi[j], each drawn over the one
// before; the strokes' centre lines span `lines` (x0, y0, x1, y1), by which
// the bounding box grows as a drawn line's would.
struct CellBands {
  std::vector<double> x_lo, x_hi, y_lo, y_hi;
  std::array<int, 4> lines{};
  // The strokes run along x (rows, their widths across y), or along y.
  bool rows = true;
};

// Writes the x_lo.size() x y_lo.size() colour-table indices (rows from the
// bottom, one byte each) as one image over the cells, in the table's colours
// as a selection of each index gives them, after stroking what is drawn.
// Returns false, having written nothing, when the cells do not form such a
// grid (visible_edges, fit_image_axis) or the compressor cannot start. The
// document then has no current point and the colour and width are as before.
bool write_cell_image(PsWriter& w, const CellBands& cells, const uint8_t* indices);

}  // namespace vexal

// The hidden-line horizon: for each of 12,000 page-pixel columns the upper
// and lower horizon drawn so far, and the segment drawer that draws only what
// lies outside it.
#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "postscript/ps_writer.h"

namespace vexal {

inline constexpr int kHorizonColumns = 12000;
inline constexpr int kHorizonOffset = 2000;         // column of page x = 0
inline constexpr int kHorizonEmptyUpper = -999999;  // an empty column hides nothing
inline constexpr int kHorizonEmptyLower = 999999;

struct Horizon {
  std::vector<int> upper = std::vector<int>(kHorizonColumns, kHorizonEmptyUpper);  // pixel rows
  std::vector<int> lower = std::vector<int>(kHorizonColumns, kHorizonEmptyLower);
  // The horizon is emptied before the first hidden-line draw of the run.
  bool cleared_once = false;
  // While set (a compact mesh), a visible stretch whose end pixels were
  // drawn before is left out, and each one drawn is kept in `drawn`.
  bool draw_once = false;
  std::unordered_set<uint64_t> drawn;  // stretch_key of the stretches drawn
};

// The two end pixels (column, row) of a stretch in one number, the same in
// either direction.
uint64_t stretch_key(int col0, int row0, int col1, int row1);

// Empties every column (CLEARW).
void clear_work(Horizon& h);

// Whether a segment drawn against the horizon also raises it (takes itself in).
enum class Raise : bool { kNo, kYes };

// Which end a segment is drawn from: the end of smaller pixel index (the
// order the horizon has always drawn in), or `from`, so that segments drawn
// end to end make one line in the document. Only a segment that does not
// raise the horizon may be drawn from `from`: its visible stretches do not
// depend on the order its pixels are walked in.
enum class Direction : bool { kByIndex, kFromStart };

// A point on the page.
struct PagePoint {
  double x = 0, y = 0;  // inches from the origin
};

// Draws the visible parts of the segment between two page points against
// the horizon; with `raise` the horizon then takes in the segment.
// `resolution` is the pixels per inch of the horizon's grid (300 when 0 or
// below). A segment within one pixel is dropped. The segment is clipped to
// the record's columns (page x from -6.67 to +33.3 inches at 300 per inch):
// what lies beyond them is not drawn, and nothing outside the record is read
// or written. `direction` kFromStart needs `raise` kNo.
void hddrw(Horizon& h, PsWriter& w, double resolution, PagePoint from, PagePoint to, Raise raise,
           Direction direction = Direction::kByIndex);

}  // namespace vexal

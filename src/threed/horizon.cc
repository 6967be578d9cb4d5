// The hidden-line horizon and the segment drawer that draws against it.
#include "threed/horizon.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "util/numbers.h"

namespace vexal {

namespace {

constexpr double kDefaultResolution = kDefaultUnitsPerInch;
// A walk keeps the rows from one record width below the record's columns to
// one above them (page y from -46.7 to +73.3 inches at 300 per inch): what
// lies beyond is far off any page and is not drawn. A walk thus takes at
// most 36,000 steps, however far its ends lie.
constexpr double kRowLo = -kHorizonColumns;
constexpr double kRowHi = 2.0 * kHorizonColumns - 1;
// Pixel positions are held within this before anything else, so that huge
// and infinite ends stay numbers that the clipping can work with.
constexpr double kFarPixels = 1e15;

struct Pixel {
  int col, row;
};

// The pixel index of a page coordinate (inches): round(v x r) + 2000, as a
// double so that far ends do not overflow.
double pixel_index(double inches, double r) {
  return std::round(std::clamp(inches * r, -kFarPixels, kFarPixels)) + kHorizonOffset;
}

// A pixel index back in inches, computed in single precision on purpose
// (the positions the horizon has always drawn at); the pen gets the widened
// float.
double pixel_inches(int index, float r) { return static_cast<float>(index - kHorizonOffset) / r; }

// A segment in pixels walked one step per pixel along its major axis
// (columns for a mostly horizontal segment, rows otherwise) from its end of
// smaller index, the other coordinate interpolated and rounded.
struct Walk {
  bool by_rows = false;
  double major0 = 0, minor0 = 0, major1 = 0, minor1 = 0;  // the ends, major0 < major1
  double minor_lo = 0, minor_hi = 0;                      // the minor window
  long first = 0, last = 0;                               // the major indices walked

  int minor_at(long t) const {
    const double m = minor0 + std::round((t - major0) * (minor1 - minor0) / (major1 - major0));
    return static_cast<int>(std::clamp(m, minor_lo, minor_hi));  // held against rounding error
  }
  Pixel at(long t) const {
    return by_rows ? Pixel{minor_at(t), static_cast<int>(t)}
                   : Pixel{static_cast<int>(t), minor_at(t)};
  }
};

// Clips the walk to the record's columns and the kept rows: `first` and
// `last` become the major indices whose pixels lie within both. False when
// none does.
bool clip(Walk& s) {
  const double col_lo = 0, col_hi = kHorizonColumns - 1;
  const double major_lo = s.by_rows ? kRowLo : col_lo;
  const double major_hi = s.by_rows ? kRowHi : col_hi;
  s.minor_lo = s.by_rows ? col_lo : kRowLo;
  s.minor_hi = s.by_rows ? col_hi : kRowHi;
  double lo = std::max(s.major0, major_lo), hi = std::min(s.major1, major_hi);
  // The minor coordinate changes by at most one per step: where it lies in
  // its window is an interval of t.
  const double slope = (s.minor1 - s.minor0) / (s.major1 - s.major0);
  if (slope == 0) {
    if (s.minor0 < s.minor_lo || s.minor0 > s.minor_hi) return false;
  } else {
    double ta = s.major0 + (s.minor_lo - s.minor0) / slope;
    double tb = s.major0 + (s.minor_hi - s.minor0) / slope;
    if (ta > tb) std::swap(ta, tb);
    lo = std::max(lo, std::ceil(ta));
    hi = std::min(hi, std::floor(tb));
  }
  if (lo > hi) return false;
  s.first = static_cast<long>(lo);
  s.last = static_cast<long>(hi);
  return true;
}

bool is_empty(const Horizon& h, int col) {
  return h.upper[col] == kHorizonEmptyUpper && h.lower[col] == kHorizonEmptyLower;
}

// What one walk of a segment does: draw its visible stretches, take its
// visible pixels into the horizon, or both.
enum class Part { kDraw, kRaise, kDrawAndRaise };

// Walks the segment against the horizon: the pen moves to its first pixel
// and then draws each visible stretch (unless only raising); raising, the
// horizon takes in the visible pixels.
//
// A stretch that goes behind the horizon is drawn to its last visible pixel,
// the one before the first hidden one, and a stretch that comes out again
// starts at its first visible pixel: the pen covers the visible pixels and
// nothing behind them.
//
// Walked `backward` (from the larger index, only when drawing without
// raising), the same visible stretches are drawn each from its other end.
void walk(Horizon& h, PsWriter& w, float r, const Walk& s, Part part, bool backward = false) {
  assert(!backward || part == Part::kDraw);
  const bool draw = part != Part::kRaise, update = part != Part::kDraw;
  Pixel from{};  // drawing once: where the stretch being walked began
  const auto pen = [&](Pixel p, bool line) {
    if (!draw) return;
    if (h.draw_once) {
      if (!line) {
        from = p;
        return;
      }
      if ((from.col == p.col && from.row == p.row) ||
          !h.drawn.insert(stretch_key(from.col, from.row, p.col, p.row)).second)
        return;
      moveto(w, pixel_inches(from.col, r), pixel_inches(from.row, r));
    }
    const double x = pixel_inches(p.col, r), y = pixel_inches(p.row, r);
    if (line)
      drawto(w, x, y);
    else
      moveto(w, x, y);
  };
  const long step = backward ? -1 : 1;
  const long start = backward ? s.last : s.first, stop = (backward ? s.first : s.last) + step;
  Pixel p = s.at(start);
  if (update && is_empty(h, p.col)) h.upper[p.col] = h.lower[p.col] = p.row;
  bool visible = !(h.lower[p.col] < p.row && p.row < h.upper[p.col]);
  pen(p, false);
  Pixel shown = p;  // the last visible pixel
  for (long t = start + step; t != stop; t += step) {
    p = s.at(t);
    int& upper = h.upper[p.col];
    int& lower = h.lower[p.col];
    if (update && is_empty(h, p.col)) upper = lower = p.row;
    if (visible) {
      if (lower < p.row && p.row < upper) {
        visible = false;
        pen(shown, true);
        continue;
      }
      if (update) {
        if (p.row <= lower) lower = p.row;
        if (p.row >= upper) upper = p.row;
      }
      shown = p;
    } else if (p.row >= upper || p.row <= lower) {
      visible = true;
      pen(p, false);
      if (update) (p.row >= upper ? upper : lower) = p.row;
      shown = p;
    }
  }
  if (visible) pen(shown, true);
}

}  // namespace

uint64_t stretch_key(int col0, int row0, int col1, int row1) {
  // Columns lie in 0 .. kHorizonColumns - 1 and rows in kRowLo .. kRowHi:
  // 16 bits each.
  const auto end = [](int col, int row) {
    return static_cast<uint32_t>(col) << 16 | static_cast<uint32_t>(row - kRowLo);
  };
  const uint32_t a = end(col0, row0), b = end(col1, row1);
  return static_cast<uint64_t>(std::min(a, b)) << 32 | std::max(a, b);
}

void clear_work(Horizon& h) {
  std::fill(h.upper.begin(), h.upper.end(), kHorizonEmptyUpper);
  std::fill(h.lower.begin(), h.lower.end(), kHorizonEmptyLower);
}

void hddrw(Horizon& h, PsWriter& w, double resolution, PagePoint from, PagePoint to, Raise raise,
           Direction direction) {
  assert(direction == Direction::kByIndex || raise == Raise::kNo);
  const double x0 = from.x, y0 = from.y, x1 = to.x, y1 = to.y;
  if (std::isnan(x0) || std::isnan(y0) || std::isnan(x1) || std::isnan(y1)) return;
  // Held within single precision's range, where the pixels go back to inches.
  const double r = std::isfinite(resolution) && resolution > 0 ? std::clamp(resolution, 1e-30, 1e30)
                                                               : kDefaultResolution;
  const double c0 = pixel_index(x0, r), r0 = pixel_index(y0, r);
  const double c1 = pixel_index(x1, r), r1 = pixel_index(y1, r);
  if (c0 == c1 && r0 == r1) return;

  Walk s;
  s.by_rows = !(std::abs(r1 - r0) < std::abs(c1 - c0));
  const bool forward = s.by_rows ? r0 < r1 : c0 < c1;
  const double major0 = s.by_rows ? r0 : c0, minor0 = s.by_rows ? c0 : r0;
  const double major1 = s.by_rows ? r1 : c1, minor1 = s.by_rows ? c1 : r1;
  s.major0 = forward ? major0 : major1;
  s.minor0 = forward ? minor0 : minor1;
  s.major1 = forward ? major1 : major0;
  s.minor1 = forward ? minor1 : minor0;
  if (!clip(s)) return;
  const float rf = static_cast<float>(r);
  const bool backward = direction == Direction::kFromStart && !forward;
  if (!s.by_rows) {
    walk(h, w, rf, s, raise == Raise::kYes ? Part::kDrawAndRaise : Part::kDraw, backward);
    return;
  }

  // A mostly vertical segment is drawn against the horizon as it was
  // before it, and then walked once more to take it in: walked row by row
  // while taking itself in, it would hide its own rows above a pixel that
  // lowered a column. Its upper end's column is emptied for both walks when
  // that end lies outside the column's horizons (not strictly between), and
  // the saved horizons are merged back afterwards.
  const Pixel top = s.at(s.last);
  const int saved_upper = h.upper[top.col], saved_lower = h.lower[top.col];
  if (!(saved_lower < top.row && top.row < saved_upper)) {
    h.upper[top.col] = kHorizonEmptyUpper;
    h.lower[top.col] = kHorizonEmptyLower;
  }
  walk(h, w, rf, s, Part::kDraw, backward);
  if (raise == Raise::kYes) walk(h, w, rf, s, Part::kRaise);
  h.upper[top.col] = std::max(h.upper[top.col], saved_upper);
  h.lower[top.col] = std::min(h.lower[top.col], saved_lower);
}

}  // namespace vexal

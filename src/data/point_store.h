// The point store: the points every plotting, transforming and scaling
// command works on, and the settings of the data-file reader that fills it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "util/column.h"

namespace vexal {

inline constexpr int kMaxPoints = 20'000'000;                 // NP
inline constexpr double kUnsetLow = -9.999999933815813e36;    // -1.0e37 in single precision
inline constexpr double kUnsetHigh = 9.999999933815813e36;    // +1.0e37 in single precision
inline constexpr double kDeltaLimit = 1.0000000150474662e32;  // 1.0e32 in single precision

// One point as the columns hold it.
struct Point {
  double x = 0, y = 0, z = 0, v = 0;
  int32_t symbol = -1, pen = 0, colour = -1;
};

// Point n (1-based) sits at index n-1 of every column. The columns grow
// geometrically with the points held, so memory follows what is held. Z, V
// and the three codes hold no memory while they follow a rule (Z the record
// numbers, the others one value for every point), as they do for most
// files. The number of points is the length of the columns: the methods
// below keep the seven of them the same length, also when memory runs out
// (they throw std::bad_alloc with the points held before).
struct PointStore {
  Column<double> x, y;
  ImplicitColumn<double> z, v;
  ImplicitColumn<int32_t> symbol;  // marker code; -1 none
  ImplicitColumn<int32_t> pen;     // pen code of the segment ending here; 0 = pen up
  ImplicitColumn<int32_t> colour;  // colour index; -1 none
  int npts_skipped = 0;            // records read but not stored during the current read

  // Points held (npts).
  int npts() const { return static_cast<int>(x.size()); }
  // Empties the store (npts and npts_skipped 0); the memory stays for the next read.
  void clear();
  // Sets the number of points to n (0 .. NP): new points are zero with no
  // marker, pen up and no colour.
  void resize(int n);
  // Adds one point after those held.
  void append(const Point& p);
  // Sorts the points by X, keeping the order of equal X (all seven columns
  // move); NaN sorts last.
  void sort_by_x();
  // Keeps only the points at `rows` (0-based), in that order.
  void select(std::span<const size_t> rows);
  // Cuts every column to the shortest one's length: after code that fills
  // the columns one by one stopped part-way. Never allocates.
  void trim();
};

// The reader's settings (the main program's counters and switches).
struct ReaderSettings {
  // The data file whose last read stored nothing for a reason already
  // reported (it cannot be opened, a column asked for lies beyond it); empty
  // otherwise. The follow-on messages (the file again, limits to set) are
  // left out while it is.
  std::string explained_empty_read;
  int maxpts = 1'000'000;      // MAXP: reading stops here
  int xc = 1, yc = 2, zc = 0;  // data columns of X, Y, Z (0 = the record number)
  int sc = 0;                  // SYMBOLC: column of the marker code
  int cc = 0;                  // COLORCOL: column of the colour value
  int pen = 0;                 // PENC: column of a pen value
  int wc = 0;                  // PENWIDTHC: column of a pen width
  int xebcl = 0, xebch = 0, yebcl = 0, yebch = 0;  // error-bar columns
  int maxcolumn = 50;                              // fields parsed per text line when max_col_set
  bool max_col_set = false;                        // MAXCOL given
  bool read_fast = false;                          // READFAST: free-format numeric lines
  bool force_read = true;                          // a field that cannot be parsed reads as 0
  bool display_data = false;                       // DISPLAY: echo each stored point
  bool swap_binary = false;                        // SWAPENDIAN
  int skip = 0;                                    // SKIP: records to skip before reading
  std::string seek;                                // SEEK: text to find before reading (at most 64)
  int plotevery = 1;                               // PLOTEVERY: keep one record in every plotevery
  int ebskip = 1;                                  // ERRORBAREVERY
  double xrangemin = kUnsetLow, xrangemax = kUnsetHigh;  // XRANGE acceptance range
  double yrangemin = kUnsetLow, yrangemax = kUnsetHigh;
  double zrangemin = kUnsetLow, zrangemax = kUnsetHigh;
  double xdeltamin = -kDeltaLimit, xdeltamax = kDeltaLimit;  // XDELTA: allowed step between points
  double ydeltamin = -kDeltaLimit, ydeltamax = kDeltaLimit;
  bool xdeltaskip = false, ydeltaskip = false;  // drop the point instead of breaking the line
  bool scalecc = false;  // SCALECOL: scale the colour column between ZMIN and ZMAX
  double pen_thick_factor = 1, pen_thick_add = 0;  // PENF
  bool force_pen_down = false;                     // FORCEPENDOWN
  bool tmdata = false;                             // TMDATA mode (until the next DATA)
  int np = kMaxPoints;  // capacity NP: "too many points" beyond it (smaller in tests)
};

}  // namespace vexal

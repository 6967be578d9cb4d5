// The drawing settings the commands keep beside the document writer: units,
// pen thickness, dash patterns, the five working colours and the origin
// offsets of the main program.
#pragma once

#include <array>

#include "postscript/ps_writer.h"

namespace vexal {

using DashPattern = std::array<double, 8>;  // mark/space pairs, inches

inline constexpr DashPattern kSolidDash{1, 0, 0, 0, 0, 0, 0, 0};

struct PenSettings {
  double remembered_x = 0;        // pen X position remembered by SETVAR for PUTSYM
  double units = 1.0;             // UNITS: lengths typed in commands are multiplied by it
  int thickness = 1;              // pen thickness in device units (PENT, PENW)
  int line_thickness = 2;         // data-line thickness, device units (0.0075 inch at start-up)
  int axis_thickness = 2;         // axis and tick thickness, device units
  DashPattern dash = kSolidDash;  // DASH/DATADASH: data and drawing lines
  DashPattern grid_dash{0.01, 0.04, 0, 0, 0, 0, 0, 0};                   // grid lines
  DashPattern minor_grid_dash{0.01, 0.04, 0, 0, 0, 0, 0, 0};             // minor grid lines
  Rgb axis_color, grid_color, minor_grid_color, text_color, data_color;  // all black
  int ncolors = 11;           // NCOLORS: colours used by colour scales
  double xoff = 1, yoff = 1;  // origin offsets of the main program, inches from the page corner
  double line_sample = 0.25;  // LINESEG: length of the line samples drawn in text, inches
  bool xclip = false, yclip = false;  // CLIP: clip at the axes in this direction
};

}  // namespace vexal

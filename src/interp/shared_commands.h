// What the command files share with each other and with the start-up: the
// routines that take the whole session, each defined in the *_commands.cc
// file of its subsystem. Code below the command files never sees them.
#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "axes/axis_placement.h"
#include "axes/axis_state.h"
#include "interp/session.h"

namespace vexal {

struct Params;

// ---- axes (axes_commands.cc) --------------------------------------------------------

// The axes a command sets, by AxisId.
struct AxisSet {
  std::array<bool, 3> on;
};
inline constexpr AxisSet kAxisX{{true, false, false}}, kAxisY{{false, true, false}},
    kAxisZ{{false, false, true}}, kAxesXY{{true, true, false}}, kAxesXYZ{{true, true, true}};

// The handler of a command that sets one setting of the axes `kAxes` to a
// fixed value: `Path` leads from the axis record to the setting, as in
// cmd_axis_set<kAxisX, true, &Axis::layout, &AxisLayout::grid> (XGRID).
template <AxisSet kAxes, auto Value, auto... Path>
void cmd_axis_set(Session& s, Params&) {
  for (size_t i = 0; i < kAxes.on.size(); ++i)
    if (kAxes.on[i]) (s.axes.axis[i].*....*Path) = Value;
}

// Draws the annotated axis `axis` along `at`: X and Y with their own limits
// and settings, Z with the Z limits and label and the Y settings. Numbers
// and label go below an X axis and left of the others, on the other side
// for the second side. No grid.
void show_placed_axis(Session& s, AxisId axis, AxisSide side, const AxisPlacement& at);

// ---- margin stamps (pen_commands.cc) -----------------------------------------------

// With stamping on, writes the stamps of the page ending now (credits,
// directory, version, date and time, page number: the small lines at the
// lower left of a page), numbered with the pages-done count; with stamping
// off, nothing.
void write_page_stamps(Session& s);
// With stamping on, stamps "|H" and the file name (of a command or data
// file opened); with stamping off, nothing.
void stamp_file_name(Session& s, std::string_view name);

// ---- data (data_commands.cc) -------------------------------------------------------

// The four limit variables of an axis: XMIN, XMAX (the drawing limits) and
// XMIN_DATA, XMAX_DATA (the data limits).
void set_limit_variables(Session& s, AxisId axis);

// ---- the array (array_commands.cc) -------------------------------------------------

// "XMIN " (or another word) and the value 13 wide in exponent form, onto the
// pending stack.
void push_limit(Session& s, const char* word, double v);
// What follows a load of the array, as after ARRAY: the wraps with their
// limits, the element math (unless `math` is off) and the default
// coordinates, pushed so that they run as ARRAYXSCALE, ARRAYYSCALE,
// DOARRAYMATH, YMIN/YMAX, XMIN/XMAX.
void queue_after_load(Session& s, bool math = true);
// The coordinate list of `axis` (ARRAYX, ARRAYY, VOLUMEZ) becomes `values`:
// wrapped by the axis's modulus and spaced (X and Y), its length in MX (MY,
// MZ), and its first and last values queued as the axis limits.
void set_coordinate_list(Session& s, AxisId axis, const std::vector<double>& values);

// ---- the 3-D view (threed_commands.cc) ---------------------------------------------

// Sets up the selected geometry (Cartesian at start) and the view matrix
// from the axis lengths, the Z limits, the mesh-line and hiding flags and
// the view angles as they are now.
void setup_view(Session& s);

}  // namespace vexal

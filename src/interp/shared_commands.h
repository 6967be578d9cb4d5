// What the command files share with each other and with the start-up: the
// routines that take the whole session, each defined in the *_commands.cc
// file of its subsystem. Code below the command files never sees them.
#pragma once

#include <string_view>

#include "axes/axis_placement.h"

namespace vexal {

struct Session;

// ---- axes (axes_commands.cc) --------------------------------------------------------

// Draws the annotated axis `axis` ('X', 'Y' or 'Z') along `at`: X and Y with
// their own limits and settings, Z with the Z limits and label and the Y
// settings. Numbers and label go below an X axis and left of the others,
// on the other side with `second`. No grid.
void show_placed_axis(Session& s, char axis, bool second, const AxisPlacement& at);

// ---- margin stamps (pen_commands.cc) -----------------------------------------------

// With stamping on, writes the stamps of the page ending now (credits,
// directory, version, date and time, page number: the small lines at the
// lower left of a page), numbered with the pages-done count; with stamping
// off, nothing.
void write_page_stamps(Session& s);
// With stamping on, stamps "|H" and the file name (of a command or data
// file opened); with stamping off, nothing.
void stamp_file_name(Session& s, std::string_view name);

// ---- the array (array_commands.cc) -------------------------------------------------

// "XMIN " (or another word) and the value 13 wide in exponent form, onto the
// pending stack.
void push_limit(Session& s, const char* word, double v);
// What follows a load of the array, as after ARRAY: the wraps with their
// limits, the element math (unless `math` is off) and the default
// coordinates, pushed so that they run as ARRAYXSCALE, ARRAYYSCALE,
// DOARRAYMATH, YMIN/YMAX, XMIN/XMAX.
void queue_after_load(Session& s, bool math = true);

// ---- the 3-D view (threed_commands.cc) ---------------------------------------------

// Sets up the selected geometry (Cartesian at start) and the view matrix
// from the axis lengths, the Z limits, the mesh-line and hiding flags and
// the view angles as they are now.
void setup_view(Session& s);

}  // namespace vexal

// What the 3-D commands share with the start-up.
#pragma once

namespace vexal {

struct Session;

// Sets up the selected geometry (Cartesian at start) and the view matrix
// from the axis lengths, the Z limits, the mesh-line and hiding flags and
// the view angles as they are now.
void setup_view(Session& s);

}  // namespace vexal

// The Cartesian view settings the 3-D drawing tests set up.
#pragma once

#include "threed/view.h"

namespace vexal {

// Cartesian, hiding off with `nohide`, mesh lines along x with `xlines` (and
// always along y), turned by `xrot` and `zrot` degrees.
inline ViewSettings cartesian(bool nohide, bool xlines = true, double xrot = 0, double zrot = 0) {
  ViewSettings vs;
  vs.selected = Geometry::kCartesian;
  vs.nohide = nohide;
  vs.xlines = xlines;
  vs.xrot = xrot;
  vs.zrot = zrot;
  return vs;
}

}  // namespace vexal

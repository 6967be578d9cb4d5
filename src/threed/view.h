// The 3-D view: a data point (x, y, z) mapped into frame inches by one of
// four geometries, turned by the view rotation and projected onto the page,
// and the pen calls that draw through it (plainly or against the horizon).
#pragma once

#include <array>

#include "postscript/ps_writer.h"
#include "threed/horizon.h"
#include "util/numbers.h"
#include "util/out_buffer.h"

namespace vexal {

enum class Geometry { kUndefined = 0, kCartesian = 1, kPolar = 2, kCosine = 3, kSpherical = 4 };

// The compatibility level at or below which the data plane stands upright:
// frame points (X, Y, Z) are turned into (X, Z, -Y) before the rotation.
inline constexpr int kUprightPlaneLevel = 742321;

struct View {
  Geometry geometry = Geometry::kUndefined;
  double lx = 6, ly = 6, lz = 4;              // frame sizes, inches
  double x0 = 0, y0 = 0, z0 = 0;              // data coordinates of the frame's first corner
  double x1 = 1, y1 = 1, z1 = 1;              // and of its last
  bool xlines = true, ylines = true;          // mesh lines along x, along y
  bool nohide = false;                        // draw plainly, no hidden-line removal
  double zangle = 0, yangle = 0, xangle = 0;  // view angles, degrees
  double resolution = kDefaultUnitsPerInch;   // horizon pixels per inch
  double ox = 0, oy = 0;                      // 3-D origin offset, inches
  std::array<std::array<double, 3>, 3> rot{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  bool upright = false;  // old plane orientation (compatibility level <= kUprightPlaneLevel)
  // The Cartesian geometry of 3-D moves and draws maps a coordinate only
  // when its axis draws in data units; otherwise it is taken as inches.
  bool scale_x = true, scale_y = true, scale_z = true;
  double tx = 0, ty = 0, tz = 0;  // the current 3-D point (data), the start of the next draw3d
  double px = 0, py = 0;          // the last projected point the pen calls reached
  double wx = 0, wy = 0;          // the projected position of the last rdplot point (whereis)
};

// The main program's 3-D settings, from which each drawing command sets up
// the view: the geometry selected, the view angles as given, hiding and the
// mesh-line flags.
struct ViewSettings {
  Geometry selected = Geometry::kCartesian;  // CARTESIAN, POLAR, SPHERICAL, COS3D
  double xrot = 0, yrot = 0, zrot = 0;       // as 3DROT left them
  bool rot_given = false;  // without 3DROT, old compatibility levels start at xrot = -90
  bool nohide = false;     // NOHIDE (drhddn)
  bool xlines = true, ylines = true;
  bool use_default_fill3d = true;  // FILL3D weighs by the default function (FILL3DF turns it off)
};

// The geometry's name as the view records it, 9 characters blank-padded.
const char* geometry_name(Geometry g);

// The box a geometry is set up in: frame sizes in inches and the Z corners.
struct ViewFrame {
  double lx = 6, ly = 6, lz = 4;
  double zmin = 0, zmax = 1;
};

// Sets up the geometry `vs` selects and the view matrix: the frame sizes
// (polar and spherical take lx for both lx and ly), the Z corners, the line
// and hiding flags, the angles (zangle = zrot, yangle = yrot, xangle = xrot)
// and the resolution (300 when 0 or below). Angles that are not finite
// count as 0.
void set_geometry(View& v, const ViewSettings& vs, const ViewFrame& frame, double resolution);
// Builds the view matrix from the angles (`rotate`).
void rotate(View& v);
// The view matrix times a 3-vector (`qrotat`).
std::array<double, 3> qrotat(const View& v, const std::array<double, 3>& p);

// The frame inches of a data point in the geometry (`xscale`, `yscale`,
// `zscale`); with `cartesian_flags` the Cartesian geometry maps only the
// coordinates whose scale flag is set. False (and zeros) when no geometry
// is set up.
bool frame_point(const View& v, double x, double y, double z, std::array<double, 3>& f,
                 bool cartesian_flags = false);
// A frame point turned (plane orientation, rotation) and offset: the page
// point (px, py) in inches and the depth.
void project(const View& v, const std::array<double, 3>& f, double& px, double& py, double& depth);
// "GEOMETRY IS UNDEFINED: ..." on `err`.
void report_undefined_geometry(OutBuffer& err);

// Pen calls on projected page points: 3 moves, 2 draws against the horizon,
// -3 / -2 do the same and then make the point the origin; other codes go to
// the pen as they are. `hplot` raises the horizon with what it draws, `dplot`
// does not (lines laid over a surface hide nothing drawn after them).
void dplot(View& v, Horizon& h, PsWriter& w, double px, double py, PenCode pen);
void hplot(View& v, Horizon& h, PsWriter& w, double px, double py, PenCode pen);
// Maps, turns and draws a data point with the plain pen (`rplot`); false when
// no geometry is set up (nothing drawn).
bool rplot(View& v, PsWriter& w, double x, double y, double z, PenCode pen);
// As rplot with x and y already frame inches (`c3plot`).
bool c3plot(View& v, PsWriter& w, double fx, double fy, double z, PenCode pen);
// Frame inches back to data at the frame's base, mapped and turned: the
// page point rdplot draws to. False when no geometry is set up.
bool base_page_point(const View& v, double fx, double fy, PagePoint& p);
// Frame inches back to data (z = 0), mapped, turned and drawn with dplot
// (`rdplot`); the projected point is kept for whereis.
bool rdplot(View& v, Horizon& h, PsWriter& w, double fx, double fy, PenCode pen);

// Moves the pen to the data point (`move3d`); it becomes the current point.
bool move3d(View& v, PsWriter& w, double x, double y, double z);
inline constexpr int kMaxDrawSteps = 100000;  // steps of one draw3d

// Draws from the current point to (x, y, z) in n equal steps in data space
// (`draw3d`, n held within 1 .. kMaxDrawSteps): against the horizon unless the view's
// no-hidden-line flag is set; in the spherical geometry with hiding on,
// steps ending on the far side (depth below 0) are moved over.
bool draw3d(View& v, Horizon& h, PsWriter& w, double x, double y, double z, int n);

}  // namespace vexal

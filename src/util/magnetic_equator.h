// The geographic latitude of the magnetic (dip) equator, one table entry per
// degree of longitude.
#pragma once

namespace vexal {

// Latitude in degrees of the dip equator at `longitude` degrees east: the
// entry at round(fmod(720 + longitude, 360)), rounded half away from zero.
double magnetic_equator_lat(double longitude);

}  // namespace vexal

// The dip-equator table. The rows below are fixed reference points; the
// entries between them are interpolated and held to three decimals.
#include "util/magnetic_equator.h"

#include <array>
#include <cmath>

namespace vexal {

namespace {

struct Row {
  int lon;
  double lat;
};

constexpr Row kRows[] = {{0, 10.531},    {4, 10.559},    {30, 9.423},    {45, 8.023},
                         {57, 7.518},    {90, 8.496},    {120, 8.165},   {150, 7.781},
                         {180, 2.869},   {198, 0.045},   {199, -0.072},  {240, -5.2},
                         {270, -10.817}, {286, -12.704}, {300, -10.439}, {320, -0.233},
                         {321, 0.331},   {330, 4.862},   {360, 10.531}};

std::array<double, 361> build_table() {
  std::array<double, 361> t{};
  for (size_t r = 0; r + 1 < std::size(kRows); ++r) {
    const Row& a = kRows[r];
    const Row& b = kRows[r + 1];
    for (int lon = a.lon; lon <= b.lon; ++lon) {
      double f = static_cast<double>(lon - a.lon) / (b.lon - a.lon);
      t[lon] = std::round((a.lat + f * (b.lat - a.lat)) * 1000.0) / 1000.0;
    }
  }
  return t;
}

}  // namespace

double magnetic_equator_lat(double longitude) {
  static const std::array<double, 361> table = build_table();  // constant once built
  double folded = std::fmod(720.0 + longitude, 360.0);
  if (!std::isfinite(folded)) return 0.0;
  if (folded < 0) folded += 360.0;  // longitudes below -720 fold as well
  long i = std::lround(folded);
  if (i < 0 || i > 360) return 0.0;
  return table[static_cast<size_t>(i)];
}

}  // namespace vexal

// The dip-equator table. The rows below are fixed reference points; the
// entries between them follow a shape-preserving cubic through them (no new
// extremes, no new sign changes), held to three decimals.
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

constexpr size_t kRowCount = std::size(kRows);

// The slope of the shape-preserving cubic at row k (the curve is periodic:
// row 0 and the last row are the same point): 0 where the rows on either
// side change direction, else the weighted harmonic mean of the two secants,
// which keeps the curve monotone between neighbouring rows.
double slope_at(size_t k) {
  const size_t last = kRowCount - 1;  // the row at 360, the same as row 0
  const size_t before = k == 0 ? last - 1 : k - 1, after = k == last ? 1 : k + 1;
  const double h0 = k == 0 ? 360 - kRows[before].lon : kRows[k].lon - kRows[before].lon;
  const double h1 = k == last ? kRows[after].lon : kRows[after].lon - kRows[k].lon;
  const double d0 = (kRows[k].lat - kRows[before].lat) / h0;
  const double d1 = (kRows[after].lat - kRows[k].lat) / h1;
  if (d0 * d1 <= 0) return 0;
  const double w0 = 2 * h1 + h0, w1 = h1 + 2 * h0;
  return (w0 + w1) / (w0 / d0 + w1 / d1);
}

std::array<double, 361> build_table() {
  std::array<double, 361> t{};
  for (size_t r = 0; r + 1 < kRowCount; ++r) {
    const Row& a = kRows[r];
    const Row& b = kRows[r + 1];
    const double h = b.lon - a.lon, m0 = slope_at(r) * h, m1 = slope_at(r + 1) * h;
    for (int lon = a.lon; lon <= b.lon; ++lon) {
      // Cubic Hermite between the rows; the rows themselves are exact.
      const double u = (lon - a.lon) / h, u2 = u * u, u3 = u2 * u;
      const double v = (2 * u3 - 3 * u2 + 1) * a.lat + (u3 - 2 * u2 + u) * m0 +
                       (-2 * u3 + 3 * u2) * b.lat + (u3 - u2) * m1;
      t[static_cast<size_t>(lon)] = std::round(v * 1000.0) / 1000.0;
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

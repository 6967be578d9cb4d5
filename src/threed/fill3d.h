// Gridding scattered data: each node of the array's grid takes the weighted
// average of the points' heights, the weights falling with distance.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

#include "util/array_grid.h"

namespace vexal {

// Scattered points (x, y, z), n of them.
struct Scatter {
  const double* x = nullptr;
  const double* y = nullptr;
  const double* z = nullptr;
  size_t n = 0;
};

// The default weight of a point at (dx, dy) from the node.
inline double default_weight(double dx, double dy) {
  return 1.0 / std::fmax(std::sqrt(dx * dx + dy * dy), 1.0e-10);
}

// Degrees to radians for the polar grid (radius, angle in degrees).
inline constexpr double kFillDegree = 0.017453292519943295;

// Fills out[(j - 1) x nx + i - 1] for the nodes (x[i], y[j]) of the grid's
// coordinate lists (its values are not read; each list holds at least nx or
// ny entries), row by row: sum(w_k / wmax x z_k) / sum(w_k / wmax) with
// w_k = weight(dx, dy, z_k) and wmax the largest weight at the node (from
// -1.0e30). With `polar` the points and nodes are (radius, angle in degrees)
// and dx, dy are the differences of their Cartesian positions. `weight`
// returns false to stop (a weight that could not be computed): fill3d then
// returns false.
template <typename Weight>
bool fill3d(const Scatter& s, const ArrayGrid& grid, bool polar, Weight weight,
            std::vector<double>& out) {
  const double *gx = grid.x.data(), *gy = grid.y.data();
  const int nx = grid.nx, ny = grid.ny;
  out.assign(static_cast<size_t>(nx) * static_cast<size_t>(ny), 0.0);
  std::vector<double> px(s.n), py(s.n), w(s.n);
  for (size_t k = 0; k < s.n; ++k) {
    px[k] = polar ? s.x[k] * std::cos(s.y[k] * kFillDegree) : s.x[k];
    py[k] = polar ? s.x[k] * std::sin(s.y[k] * kFillDegree) : s.y[k];
  }
  size_t at = 0;
  for (int j = 0; j < ny; ++j) {
    for (int i = 0; i < nx; ++i, ++at) {
      const double nxp = polar ? gx[i] * std::cos(gy[j] * kFillDegree) : gx[i];
      const double nyp = polar ? gx[i] * std::sin(gy[j] * kFillDegree) : gy[j];
      double wmax = -1.0e30;
      for (size_t k = 0; k < s.n; ++k) {
        if (!weight(px[k] - nxp, py[k] - nyp, s.z[k], w[k])) return false;
        wmax = w[k] > wmax ? w[k] : wmax;
      }
      double num = 0, den = 0;
      for (size_t k = 0; k < s.n; ++k) {
        const double r = w[k] / wmax;
        num += r * s.z[k];
        den += r;
      }
      out[at] = num / den;
    }
  }
  return true;
}

}  // namespace vexal

// Lagrange interpolation.
#include "data/lagint.h"

#include <algorithm>

namespace vexal {

double lagint(double x, std::span<const double> xs, std::span<const double> ys) {
  const size_t m = std::min(xs.size(), ys.size());
  double sum = 0;
  for (size_t i = 0; i < m; ++i) {
    double term = ys[i];
    for (size_t j = 0; j < m; ++j)
      if (j != i) term *= (x - xs[j]) / (xs[i] - xs[j]);
    sum += term;
  }
  return sum;
}

}  // namespace vexal

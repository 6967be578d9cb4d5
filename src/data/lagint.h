// Lagrange interpolation through a few points.
#pragma once

#include <span>

namespace vexal {

// The value at x of the polynomial through the points (xs[i], ys[i]) (the
// shorter of the two lengths). Two equal xs give a non-finite result.
double lagint(double x, std::span<const double> xs, std::span<const double> ys);

}  // namespace vexal

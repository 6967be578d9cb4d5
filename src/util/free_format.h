// Numbers in free format: what listings and value print-outs use.
#pragma once

#include <string>

namespace vexal {

// A double with 17 significant digits, fixed-point for magnitudes from 0.1
// to below 1e16, otherwise with a three-digit exponent ("1.0000000000000000E-005").
std::string free_real(double x);
// A single-precision value with 9 significant digits, the same layout.
std::string free_single(float x);
// An integer right-aligned in 12 characters.
std::string free_int(long long n);

}  // namespace vexal

// Numbers in free format: what listings and value print-outs use.
#pragma once

#include <cstddef>
#include <string>

namespace vexal {

// A double with 17 significant digits, fixed-point for magnitudes from 0.1
// to below 1e16, otherwise with a three-digit exponent ("1.0000000000000000E-005").
std::string free_real(double x);
// free_real's text written at buf (room for kFreeRealWidth characters),
// without a string: the spectrum files hold millions of values. Returns its
// length.
inline constexpr size_t kFreeRealWidth = 32;
size_t free_real_chars(double x, char* buf);
// A single-precision value with 9 significant digits, the same layout.
std::string free_single(float x);
// An integer right-aligned in 12 characters.
std::string free_int(long long n);

}  // namespace vexal

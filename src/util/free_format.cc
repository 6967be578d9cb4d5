// Numbers in free format.
#include "util/free_format.h"

#include <cmath>
#include <cstdio>

namespace vexal {

namespace {
// `digits` is 9 or 17: the callers below are the only ones.
std::string free_digits(double x, int digits) {
  if (digits < 1 || digits > 17) digits = 17;
  char buf[64];
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "Infinity" : "-Infinity";
  if (x == 0) {
    std::snprintf(buf, sizeof buf, "%.*f", digits - 1, 0.0);
    return buf;
  }
  double mag = std::fabs(x);
  if (mag >= 0.1 && mag < 1e16) {
    int int_digits = static_cast<int>(std::floor(std::log10(mag))) + 1;
    int decimals = digits - int_digits;
    if (decimals < 1) decimals = 1;
    std::snprintf(buf, sizeof buf, "%.*f", decimals, x);
    return buf;
  }
  std::snprintf(buf, sizeof buf, "%.*E", digits - 1, x);
  // Three exponent digits: 1.5E-05 becomes 1.5E-005.
  std::string s = buf;
  size_t e = s.find('E');
  if (e != std::string::npos && s.size() - e == 4) s = s.substr(0, e + 2) + '0' + s.substr(e + 2);
  return s;
}
}  // namespace

std::string free_real(double x) { return free_digits(x, 17); }

std::string free_single(float x) { return free_digits(x, 9); }

std::string free_int(long long n) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%12lld", n);
  return buf;
}

}  // namespace vexal

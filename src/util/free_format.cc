// Numbers in free format.
#include "util/free_format.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace vexal {

namespace {

using u128 = unsigned __int128;

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

constexpr auto kPowersOfFive = [] {
  std::array<uint64_t, 28> p{};
  p[0] = 1;
  for (size_t k = 1; k < p.size(); ++k) p[k] = p[k - 1] * 5;
  return p;
}();

// mag x 10^d rounded to an integer as printf rounds (the exact value, ties
// to even), for a finite mag > 0 and 0 <= d <= 27; false when the result
// would not be below 10^18. mag is m x 2^e with an integer m below 2^53,
// so the value is m x 5^d x 2^(d + e), which 128 bits hold exactly.
// mag as m x 2^(exp2 - 53) with 2^52 <= m < 2^53, for a finite mag > 0
// (frexp's exponent, without its library call for normal numbers).
inline uint64_t mantissa(double mag, int& exp2) {
  const uint64_t bits = std::bit_cast<uint64_t>(mag);
  const int biased = static_cast<int>(bits >> 52);
  if (biased == 0) {  // subnormal
    const double fraction = std::frexp(mag, &exp2);
    return static_cast<uint64_t>(std::ldexp(fraction, 53));
  }
  exp2 = biased - 1022;
  return (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
}

bool scaled_to_integer(double mag, int d, uint64_t& n) {
  int exp2 = 0;
  const uint64_t m = mantissa(mag, exp2);
  u128 v = static_cast<u128>(m) * kPowersOfFive[d];  // below 2^53 x 5^27 < 2^116
  const int shift = d + exp2 - 53;
  constexpr u128 kLimit = static_cast<u128>(1'000'000'000'000'000'000ULL);
  if (shift >= 0) {
    if (shift > 62 || v > (kLimit >> shift)) return false;
    v <<= shift;
  } else if (-shift >= 120) {
    v = 0;  // below half a unit: v < 2^116
  } else {
    const int s = -shift;
    const u128 q = v >> s, rest = v - (q << s), half = static_cast<u128>(1) << (s - 1);
    v = q + ((rest > half || (rest == half && (q & 1) != 0)) ? 1 : 0);
  }
  if (v >= kLimit) return false;
  n = static_cast<uint64_t>(v);
  return true;
}

// "00" .. "99": two digits at a time.
constexpr auto kDigitPairs = [] {
  std::array<char, 200> p{};
  for (int k = 0; k < 100; ++k) {
    p[2 * k] = static_cast<char>('0' + k / 10);
    p[2 * k + 1] = static_cast<char>('0' + k % 10);
  }
  return p;
}();

// Writes the last `count` digits of n (with leading zeros) to end in `end`;
// returns n without them.
uint64_t put_last_digits(char* end, uint64_t n, int count) {
  for (; count >= 2; count -= 2) {
    const uint64_t pair = n % 100;
    n /= 100;
    end -= 2;
    std::memcpy(end, &kDigitPairs[2 * pair], 2);
  }
  if (count == 1) {
    *--end = static_cast<char>('0' + n % 10);
    n /= 10;
  }
  return n;
}

constexpr auto kPowersOfTen = [] {
  std::array<uint64_t, 20> p{};
  p[0] = 1;
  for (size_t k = 1; k < p.size(); ++k) p[k] = p[k - 1] * 10;
  return p;
}();

// The number of digits of n (1 for 0): floor(log10(n)) from the bit width
// (1233 / 4096 is just above log10(2)), one less where n is below that power.
int digit_count(uint64_t n) {
  const int t = (std::bit_width(n | 1) * 1233) >> 12;
  return std::max(1, t + (n >= kPowersOfTen[t] ? 1 : 0));
}

// Fixed point with `decimals` (1..17) decimals, as printf's "%.*f".
bool fixed_chars(double x, int decimals, char* buf, size_t& length) {
  uint64_t n = 0;
  if (!scaled_to_integer(std::fabs(x), decimals, n)) return false;
  const int whole = std::max(1, digit_count(n) - decimals);
  const size_t sign = std::signbit(x) ? 1 : 0;
  if (sign) buf[0] = '-';
  char* point = buf + sign + whole;
  n = put_last_digits(point + 1 + decimals, n, decimals);
  *point = '.';
  put_last_digits(point, n, whole);
  length = sign + static_cast<size_t>(whole + 1 + decimals);
  return true;
}

// 17 significant digits with a three-digit exponent, as printf's "%.16E"
// with the exponent widened; false outside 1e-11 .. 1e17, where the scaling
// leaves 128 bits.
bool exponent_chars(double x, char* buf, size_t& length) {
  const double mag = std::fabs(x);
  int exp2 = 0;
  mantissa(mag, exp2);
  int e10 = static_cast<int>(std::floor((exp2 - 1) * 0.30102999566398120));  // within one
  uint64_t n = 0;
  constexpr uint64_t kLow = 10'000'000'000'000'000ULL, kHigh = 100'000'000'000'000'000ULL;
  for (int tries = 0;; ++tries) {
    const int d = 16 - e10;
    if (tries > 3 || d < 0 || d > 27) return false;
    if (!scaled_to_integer(mag, d, n)) {
      ++e10;  // rounded up to 10^17 or beyond: one more power of ten
      continue;
    }
    if (n >= kHigh) {
      ++e10;
    } else if (n < kLow) {
      --e10;
    } else {
      break;
    }
  }
  // 10^16 may be a value just below the power of ten rounded up at the
  // precision of the larger exponent: printf keeps the smaller one when the
  // value's 17 digits there stay below 10^17.
  uint64_t below = 0;
  if (n == kLow && 17 - e10 <= 27 && scaled_to_integer(mag, 17 - e10, below) && below < kHigh) {
    n = below;
    --e10;
  }
  char* p = buf;
  if (std::signbit(x)) *p++ = '-';
  n = put_last_digits(p + 18, n, 16);
  p[0] = static_cast<char>('0' + n);
  p[1] = '.';
  p += 18;
  *p++ = 'E';
  *p++ = e10 < 0 ? '-' : '+';
  put_last_digits(p + 3, static_cast<uint64_t>(std::abs(e10)), 3);
  length = static_cast<size_t>(p + 3 - buf);
  return true;
}

// floor(log10(mag)) as std::log10 gives it, for 0.1 <= mag < 1e16: exact
// but for values just below a power of ten, which log10 may round up to it
// (and free format has always followed log10 there).
int decimal_exponent(double mag) {
  static constexpr double kPowers[] = {1e0, 1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7, 1e8,
                                       1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16};
  int e = -1;
  while (e < 16 && mag >= kPowers[e + 1]) ++e;
  if (mag >= kPowers[e + 1] * (1 - 1e-14)) return static_cast<int>(std::floor(std::log10(mag)));
  return e;
}

}  // namespace

size_t free_real_chars(double x, char* buf) {
  auto text = [&](std::string_view t) {
    std::memcpy(buf, t.data(), t.size());
    return t.size();
  };
  if (std::isnan(x)) return text("NaN");
  if (std::isinf(x)) return text(x > 0 ? "Infinity" : "-Infinity");
  if (x == 0) return text("0.0000000000000000");
  const double mag = std::fabs(x);
  size_t length = 0;
  if (mag >= 0.1 && mag < 1e16) {
    const int int_digits = decimal_exponent(mag) + 1;
    if (fixed_chars(x, std::max(1, 17 - int_digits), buf, length)) return length;
  } else if (exponent_chars(x, buf, length)) {
    return length;
  }
  return text(free_digits(x, 17));
}

std::string free_real(double x) {
  char buf[kFreeRealWidth];
  return std::string(buf, free_real_chars(x, buf));
}

std::string free_single(float x) { return free_digits(x, 9); }

std::string free_int(long long n) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%12lld", n);
  return buf;
}

}  // namespace vexal

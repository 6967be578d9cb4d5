// Free-format numbers: the fast writer against printf's own text.
#include "util/free_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

namespace vexal {
namespace {

// What printf writes for free_real: 17 significant digits, fixed point from
// 0.1 to below 1e16, otherwise "%.16E" with a three-digit exponent.
std::string printf_free_real(double x) {
  char buf[64];
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "Infinity" : "-Infinity";
  if (x == 0) return "0.0000000000000000";
  const double mag = std::fabs(x);
  if (mag >= 0.1 && mag < 1e16) {
    const int decimals = std::max(1, 16 - static_cast<int>(std::floor(std::log10(mag))));
    std::snprintf(buf, sizeof buf, "%.*f", decimals, x);
    return buf;
  }
  std::snprintf(buf, sizeof buf, "%.16E", x);
  std::string s = buf;
  const size_t e = s.find('E');
  if (s.size() - e == 4) s.insert(e + 2, "0");
  return s;
}

TEST(FreeFormatTest, RealsAsPrintfWritesThem) {
  std::vector<double> values = {0.1,
                                0.5,
                                1,
                                2.5,
                                9.999999999999999,
                                0.09999999999999999,
                                1e16,
                                9999999999999998.0,
                                1e-11,
                                9.99999999999999e-12,
                                1e17,
                                123456789.125,
                                0.30000000000000004,
                                5e-324,
                                1.7976931348623157e308,
                                0.125,
                                0.000244140625,
                                std::ldexp(1.0, 60),
                                1e15 + 0.5,
                                std::nan(""),
                                INFINITY,
                                -INFINITY,
                                -0.0,
                                0.0};
  // Ties: values with few bits after the point round half to even.
  for (int k = 1; k < 200; ++k) values.push_back(std::ldexp(2 * k + 1, -18));
  // Powers of ten and their neighbours, where the exponent is decided.
  for (int p = -40; p <= 40; ++p) {
    const double v = std::pow(10.0, p);
    values.insert(values.end(), {v, std::nextafter(v, 0.0), std::nextafter(v, INFINITY)});
  }
  std::mt19937_64 random(20261208);
  for (int k = 0; k < 60000; ++k) {
    uint64_t bits = random();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    values.push_back(v);  // any double, every exponent
    values.push_back(
        std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 120) - 100));
  }
  char buf[kFreeRealWidth];
  int wrong = 0;
  for (double v : values) {
    for (double x : {v, -v}) {
      const std::string want = printf_free_real(x);
      const std::string got(buf, free_real_chars(x, buf));
      if (got != want && ++wrong <= 10)
        ADD_FAILURE() << "bits of " << x << ": " << got << " != " << want;
      if (wrong == 0) {
        ASSERT_EQ(free_real(x), want);
      }
    }
  }
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace vexal

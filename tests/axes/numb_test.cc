// The number and time-label converters.
#include "axes/numb.h"

#include <gtest/gtest.h>

#include <string>

namespace vexal {
namespace {

struct NumberCase {
  double x;
  int ndec;
  const char* want;
};

TEST(NumbTest, DtocFixedPoint) {
  constexpr NumberCase kCases[] = {
      {2.50, 2, "2.5"},
      {100, 2, "100"},
      {0, 3, "0"},
      {0.5, 3, "0.5"},
      {3, 3, "3"},
      {100, 0, "100"},
      {-1.234, 2, "-1.23"},
      {0.04, 1, "0"},
      {1.05, -1, "1"},
      {100000, 2, "100000"},
      {0.125, 5, "0.125"},
      {-20, 1, "-20"},
      // Beyond 100000 the scientific form with at least 2 decimals.
      {123456.7, 1, "1.23x10|+5|>|-|>"},
      {-100001, 0, "-1x10|+5|>|-|>"},
  };
  for (const auto& c : kCases) EXPECT_EQ(dtoc(c.x, c.ndec), c.want) << c.x << " " << c.ndec;
}

TEST(NumbTest, EtocScientific) {
  constexpr NumberCase kCases[] = {
      {0, 2, "0"},
      {0.001, 2, "1x10|+-3|>|-|>"},
      {1234.5, 2, "1.23x10|+3|>|-|>"},
      {999.6, 2, "1x10|+3|>|-|>"},  // rounds up to a mantissa of exactly 1
      {-0.000123456, 3, "-1.235x10|+-4|>|-|>"},
      {1.0, 1, "1.0x10|+0|>|-|>"},  // zeros are only stripped beyond one decimal
      {2.5, 0, "3x10|+0|>|-|>"},    // half-way rounds away from zero
      {-7.77, -1, "-8x10|+0|>|-|>"},
      {12345, 0, "1x10|+4|>|-|>"},
      {5e-120, 2, "5x10|+-120|>|-|>"},
      // Below -1 decimals: the power of ten of the 0.d x 10^e form alone.
      {1e5, -2, "10|+6|>|-|>"},
      {0.01, -3, "10|+-1|>|-|>"},
      {0.5, -2, "10|+0|>|-|>"},
  };
  for (const auto& c : kCases) EXPECT_EQ(etoc(c.x, c.ndec), c.want) << c.x << " " << c.ndec;
}

struct TimeCase {
  double x;
  const char* form;
  const char* unit;
  const char* want;
};

TEST(NumbTest, DhmsForms) {
  // 2024-03-01 (a Friday, day 61) 12:34:56 UTC.
  constexpr double kFri = 1709296496;
  constexpr TimeCase kCases[] = {
      {26.5, "", "HOURS", "001/02:30"},
      {26.5, "default", "HOURS", "001/02:30"},
      {26.5, "DEFAULT", "HOURS", "001/02:30"},
      {26.5, "DDD/HH:MM:SS", "HOURS", "001/02:30"},
      {0.9999999, "", "HOURS", "0/01:00"},  // 60 s and 60 min carry; day 0 shortened
      {0.9999999, "DDD/HH:MM:SS", "HOURS", "000/01:00"},
      {23.9999999, "DDD/HH:MM:SS", "HOURS", "001/00:00"},
      {1.2575, "", "HOURS", "0/01:15:27"},
      {1234.0, "", "HOURS", "051/10:00"},
      {1.5, "HH:MM", "HOURS", "01:30"},
      {1.5, "XYZ", "HOURS", ""},
      {5.0, "DOW/DDMON", "HOURS", "Sun/00???"},  // no calendar in hours
      {kFri, "", "UNIXSEC", "061/12:34:56"},
      {kFri, "DOW/DDMONYYYY/HH:MM:SS", "UNIXSEC", "Fri/01Mar2024/12:34:56"},
      {kFri, "DDMON HH:MM", "UNIXSEC", "01Mar12:34"},
      {kFri, "YYYY/MM/DD HH:MM", "UNIXSEC", "2024/03/0112:34"},
      {kFri, "YYYY/DDD/HH:MM:SS", "UNIXSEC", "2024/061/12:34:56"},
      {kFri, "MM/DD/", "UNIXSEC", "03/01/34"},  // any MM also gives the minutes
      {0.6, "DDD/HH:MM:SS", "UNIXSEC", "001/00:00:01"},
  };
  for (const auto& c : kCases) {
    std::string err_text;
    OutBuffer err(&err_text);
    EXPECT_EQ(dhms(c.x, c.form, c.unit, err), c.want) << c.x << " " << c.form;
    err.flush();
    EXPECT_EQ(err_text, "");
  }
}

TEST(NumbTest, DhmsDayOverflowIsReported) {
  std::string err_text;
  OutBuffer err(&err_text);
  EXPECT_EQ(dhms(24.0 * 10000000 + 1, "", "HOURS", err), "9999999/01:00");
  err.flush();
  EXPECT_EQ(err_text, "DDD/HH:MM:SS output error--DDD > 9999999 not supported.\n");
  err_text.clear();
  EXPECT_EQ(dhms(1e12, "", "HOURS", err), "9999999/00:00");  // no overflow of the fields
  err.flush();
  EXPECT_EQ(err_text, "DDD/HH:MM:SS output error--DDD > 9999999 not supported.\n");
}

}  // namespace
}  // namespace vexal

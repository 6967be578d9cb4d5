// The number reader of numeric parameters.
#include "expr/valread.h"

#include <gtest/gtest.h>

#include <string>

namespace vexal {
namespace {

struct ReadCase {
  const char* token;
  double want;  // 0 when the token is bad
  bool bad;
};

constexpr ReadCase kNumbers[] = {
    // Decimal reals, including Fortran "d" exponents.
    {"1.5", 1.5, false},
    {"-2", -2, false},
    {"+3", 3, false},
    {".5", 0.5, false},
    {"5.", 5, false},
    {"1e3", 1000, false},
    {"-1.5E+2", -150, false},
    {"1.5D2", 150, false},
    {"2d-1", 0.2, false},
    {" 7 ", 7, false},
    // A signed three-digit exponent without its E, as fixed-width fields write it.
    {"0.10000-149", 1e-150, false},
    {"0.30000+301", 3e300, false},
    {"-0.1+101", -1e100, false},
    {"+5.-100", 5e-100, false},
    {".5+100", 5e99, false},
    {"7-100", 7e-100, false},
    // Hexadecimal.
    {"X1F", 31, false},
    {"x1f", 31, false},
    {"0x1F", 31, false},
    {"0XFF", 255, false},
    {"XFFFFFFFF", 4294967295.0, false},
    // Percentages.
    {"12.5%", 0.125, false},
    {"-50%", -0.5, false},
    // Times in hours.
    {"12:30", 12.5, false},
    {"1/12:30", 36.5, false},
    {"1/12", 36, false},
    {"12:30:36", 12.51, false},
    {"0:0:1.8", 0.0005, false},
    {"+1/-1", 23, false},
    // Bad tokens.
    {"", 0, true},
    {"abc", 0, true},
    {"1.5abc", 0, true},
    {"1e", 0, true},
    {"--1", 0, true},
    {"+-1", 0, true},
    {"++1", 0, true},
    {"-inf", 0, true},
    {"nan", 0, true},
    {"1e999", 0, true},
    {".", 0, true},
    {"XV", 0, true},
    {"X", 0, true},
    {"X1G", 0, true},
    {"0x", 0, true},
    {"X12345678901234567", 0, true},
    {"%", 0, true},
    {"5%%", 0, true},
    {"12:", 0, true},
    {"1/", 0, true},
    {"1:2:3:4", 0, true},
    {"1/2/3", 0, true},
    {"12:3a", 0, true},
    {"1.5:00", 0, true},
    {"{1 2 +}", 0, true},
    // Only three digits, after a plain mantissa, count as a bare exponent.
    {"1-2", 0, true},
    {"3+4", 0, true},
    {"1-23", 0, true},
    {"1-2345", 0, true},
    {"1e5-100", 0, true},
    {"1d5-100", 0, true},
    {".-100", 0, true},
    {"--1-100", 0, true},
    {"1.2.3-100", 0, true},
    {"1-10a", 0, true},
    {"5-999", 0, true},
    {"0.1-149%", 0, true},
    {"X1-100", 0, true},
    {"12:30-100", 0, true},
};

TEST(ValreadTest, NumberForms) {
  Variables vars;
  std::string err_text;
  OutBuffer err(&err_text);
  for (const auto& c : kNumbers) {
    bool bad = !c.bad;
    double v = valread(c.token, &bad, vars, err);
    EXPECT_EQ(bad, c.bad) << '"' << c.token << '"';
    EXPECT_DOUBLE_EQ(v, c.want) << '"' << c.token << '"';
  }
  err.flush();
  EXPECT_EQ(err_text, "");
}

TEST(ValreadTest, Variables) {
  Variables vars;
  std::string err_text;
  OutBuffer err(&err_text);
  setvariable(vars, "a", 4.5);
  bool bad = true;
  EXPECT_EQ(valread("$a", &bad, vars, err), 4.5);
  EXPECT_FALSE(bad);
  EXPECT_EQ(valread("$A", &bad, vars, err), 4.5);
  EXPECT_FALSE(bad);
  EXPECT_EQ(valread("$a+1", &bad, vars, err), 0);
  EXPECT_TRUE(bad);
  EXPECT_EQ(valread("$", &bad, vars, err), 0);
  EXPECT_TRUE(bad);
  err.flush();
  EXPECT_EQ(err_text, "");
  EXPECT_EQ(valread("$b", &bad, vars, err), 0);
  EXPECT_TRUE(bad);
  err.flush();
  EXPECT_EQ(err_text, "B is not a known variable.\n");
}

TEST(ValreadTest, TimeTokensAndZoneWords) {
  for (const char* t : {"12:30", "1/12", "-1:00", ".5:1", "+2/3"})
    EXPECT_TRUE(is_time_token(t)) << t;
  for (const char* t : {"12.5", "X1:2", "$a/b", "", "GMT"}) EXPECT_FALSE(is_time_token(t)) << t;
  for (const char* w : {"GMT", "met", "Gm", "ME", "g", "M"}) EXPECT_TRUE(is_zone_word(w)) << w;
  for (const char* w : {"", "UTC", "GMTX", "MT", "EST"}) EXPECT_FALSE(is_zone_word(w)) << w;
}

}  // namespace
}  // namespace vexal

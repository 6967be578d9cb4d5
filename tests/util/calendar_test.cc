// Calendar arithmetic, clock texts, byte swaps and 3-vectors.
#include "util/calendar.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ctime>

namespace vexal {
namespace {

TEST(CalendarTest, LeapYears) {
  constexpr struct {
    int year, leap;
  } kCases[] = {{1900, 0}, {2000, 1}, {2024, 1}, {2023, 0}, {2100, 0}, {2400, 1}};
  for (auto c : kCases) EXPECT_EQ(leapyear(c.year), c.leap) << c.year;
}

TEST(CalendarTest, DayOfYearAndBack) {
  constexpr struct {
    int year, month, day, doy;
  } kCases[] = {
      {2024, 3, 1, 61},    {2023, 3, 1, 60},  {2023, 12, 31, 365},
      {2024, 12, 31, 366}, {2024, 2, 29, 60}, {2023, 1, 1, 1},
  };
  for (auto c : kCases) {
    EXPECT_EQ(jdoy(c.year, c.month, c.day), c.doy) << c.year << "-" << c.month << "-" << c.day;
    EXPECT_EQ(jmon(c.year, c.doy), c.month) << c.year << " " << c.doy;
    EXPECT_EQ(jdom(c.year, c.doy), c.day) << c.year << " " << c.doy;
  }
  for (int year : {2023, 2024}) {
    for (int doy = 1; doy <= 365 + leapyear(year); ++doy)
      ASSERT_EQ(jdoy(year, jmon(year, doy), jdom(year, doy)), doy) << year << " " << doy;
  }
}

TEST(CalendarTest, OutOfRangeMonthsAndDaysGiveZero) {
  EXPECT_EQ(jdoy(2024, 0, 1), 0);
  EXPECT_EQ(jdoy(2024, 13, 1), 0);
  EXPECT_EQ(jdoy(2024, 3, 2147483647), 2147483647);  // held in range, no overflow
  EXPECT_EQ(jmon(2024, 0), 0);
  EXPECT_EQ(jmon(2024, -40), 0);
  EXPECT_EQ(jdom(2024, 0), 0);
  EXPECT_EQ(jdom(2024, -40), 0);
}

TEST(CalendarTest, MmktimeNormalises) {
  EXPECT_EQ(mmktime(1970, 1, 0, 0, 0), 0);
  EXPECT_EQ(mmktime(2000, 1, 0, 0, 0), 946684800);
  EXPECT_EQ(mmktime(2000, 0, 0, 0, 0), mmktime(1999, 365, 0, 0, 0));
  EXPECT_EQ(mmktime(2001, -365, 0, 0, 0), mmktime(1999, 366 - 365, 0, 0, 0) + 365 * 86400);
  EXPECT_EQ(mmktime(2020, 40, 5, 0, 3600), mmktime(2020, 40, 6, 0, 0));
  EXPECT_EQ(mmktime(1970, 1, 0, 0, -1), -1);
  EXPECT_EQ(mmktime(2024, 367, 0, 0, 0), mmktime(2025, 1, 0, 0, 0));
  EXPECT_EQ(mmktime(2024, 10, 24, -60, 0), mmktime(2024, 10, 23, 0, 0));
  EXPECT_EQ(mmktime(2023, 1, 0, 0, 0), mmktime(1999, 366 + 8401, 0, 0, 0));  // many years on
  EXPECT_EQ(mmktime(2035, 365, 23, 59, 59), 2082758399);
  // Outside 1900..2035 after normalising, or before the 32-bit count begins.
  EXPECT_EQ(mmktime(2036, 1, 0, 0, 0), 0);
  EXPECT_EQ(mmktime(2035, 366, 0, 0, 0), 0);
  EXPECT_EQ(mmktime(1899, 365, 0, 0, 0), 0);
  EXPECT_EQ(mmktime(1900, 1, 0, 0, 0), 0);
  EXPECT_EQ(mmktime(2000, 2147483647, 0, 0, 0), 0);
}

TEST(CalendarTest, MmktimeAgreesWithUtcClock) {
  for (int year = 1902; year <= 2035; year += 7) {
    for (int doy : {1, 59, 60, 200, 365}) {
      std::tm tm{};
      tm.tm_year = year - 1900;
      tm.tm_mon = 0;
      tm.tm_mday = doy;
      tm.tm_hour = 13;
      tm.tm_min = 7;
      tm.tm_sec = 9;
      EXPECT_EQ(mmktime(year, doy, 13, 7, 9), static_cast<long long>(timegm(&tm)))
          << year << " " << doy;
    }
  }
}

TEST(CalendarTest, ClockTexts) {
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::string date = date_text();
  ASSERT_EQ(date.size(), 11u) << date;
  EXPECT_TRUE(isdigit(date[0]) && isdigit(date[1]) && date[2] == '-' && date[6] == '-') << date;
  bool month_found = false;
  for (const char* m : kMonths) month_found |= date.compare(3, 3, m) == 0;
  EXPECT_TRUE(month_found) << date;
  std::string clock = clocktime();
  ASSERT_EQ(clock.size(), 8u) << clock;
  for (int i : {0, 1, 3, 4, 6, 7}) EXPECT_TRUE(isdigit(clock[i])) << clock;
  EXPECT_TRUE(clock[2] == ':' && clock[5] == ':') << clock;
}

TEST(CalendarTest, ByteSwaps) {
  uint16_t a = 0x1234;
  uint32_t b = 0x11223344;
  uint64_t c = 0x0102030405060708ull;
  swap2(a);
  swap4(b);
  swap8(c);
  EXPECT_EQ(a, 0x3412);
  EXPECT_EQ(b, 0x44332211u);
  EXPECT_EQ(c, 0x0807060504030201ull);
  swap4(b);
  EXPECT_EQ(b, 0x11223344u);
}

TEST(CalendarTest, Vectors) {
  EXPECT_EQ(cross({1, 0, 0}, {0, 1, 0}), (Vec3{0, 0, 1}));
  EXPECT_EQ(cross({0, 1, 0}, {1, 0, 0}), (Vec3{0, 0, -1}));
  Vec3 a{1, 2, 3}, b{-4, 5, 0.5};
  Vec3 c = cross(a, b);
  EXPECT_DOUBLE_EQ(dot(c, a), 0);
  EXPECT_DOUBLE_EQ(dot(c, b), 0);
  EXPECT_DOUBLE_EQ(dot(a, b), 7.5);
  EXPECT_DOUBLE_EQ(magnitude({3, 4, 12}), 13);
}

}  // namespace
}  // namespace vexal

// Calendar arithmetic, the clock, byte swaps and 3-vectors.
#include "util/calendar.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vexal {

namespace {

// Day of year of the 1st of each month; row 1 for leap years.
constexpr int kMonthStart[2][12] = {
    {1, 32, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335},
    {1, 32, 61, 92, 122, 153, 183, 214, 245, 275, 306, 336},
};
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2035;
constexpr long long kDaysPer400Years = 146097;

int year_length(long long year) {
  return (year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)) ? 366 : 365;
}

// Days from 1970-01-01 to January 1st of `year` (proleptic Gregorian).
long long days_to_year(long long year) {
  long long y = year - 1;
  auto leaps = [](long long n) { return n / 4 - n / 100 + n / 400; };
  return (year - 1970) * 365 + leaps(y) - leaps(1969);
}

// Moves whole units of `size` from `low` into `high` so that 0 <= low < size.
void carry(long long& low, long long& high, long long size) {
  long long q = low / size;
  if (low % size < 0) q -= 1;
  low -= q * size;
  high += q;
}

}  // namespace

int leapyear(int year) { return (year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)) ? 1 : 0; }

int jmon(int year, int doy) {
  if (doy < 1) return 0;
  const int* start = kMonthStart[leapyear(year)];
  int month = 1;
  while (month < 12 && start[month] <= doy) ++month;
  return month;
}

int jdoy(int year, int month, int day) {
  if (month < 1 || month > 12) return 0;
  // Held within the int range: a day near INT_MAX must not overflow.
  long long doy = static_cast<long long>(day) + kMonthStart[leapyear(year)][month - 1] - 1;
  return static_cast<int>(std::clamp<long long>(doy, INT_MIN, INT_MAX));
}

int jdom(int year, int doy) {
  int month = jmon(year, doy);
  if (month == 0) return 0;
  long long dom = static_cast<long long>(doy) - kMonthStart[leapyear(year)][month - 1] + 1;
  return static_cast<int>(std::clamp<long long>(dom, INT_MIN, INT_MAX));
}

int mmktime(int year_in, int doy_in, int hour_in, int minute_in, int second_in) {
  long long year = year_in, doy = doy_in, hour = hour_in, minute = minute_in, second = second_in;
  carry(second, minute, 60);
  carry(minute, hour, 60);
  carry(hour, doy, 24);
  // Whole 400-year cycles first (each has the same number of days), so the
  // year-by-year carry below takes at most 400 steps.
  if (doy > kDaysPer400Years) {
    long long cycles = (doy - 1) / kDaysPer400Years;
    doy -= cycles * kDaysPer400Years;
    year += cycles * 400;
  } else if (doy <= 0) {
    long long cycles = -doy / kDaysPer400Years + 1;
    doy += cycles * kDaysPer400Years;
    year -= cycles * 400;
  }
  while (doy > year_length(year)) {
    doy -= year_length(year);
    ++year;
  }
  if (year < kFirstYear || year > kLastYear) return 0;
  long long seconds = ((days_to_year(year) + doy - 1) * 24 + hour) * 3600 + minute * 60 + second;
  // 1900-01-01 .. 1901-12-13 lie before the 32-bit count begins.
  if (seconds < INT32_MIN || seconds > INT32_MAX) return 0;
  return static_cast<int>(seconds);
}

std::optional<std::time_t> source_date_epoch() {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (!text) return std::nullopt;
  const char* end = text + std::strlen(text);
  long long seconds = -1;
  auto [ptr, ec] = std::from_chars(text, end, seconds);
  if (ec != std::errc() || ptr != end || ptr == text || seconds < 0) return std::nullopt;
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  // A year beyond four digits would not fit the date text.
  if (!gmtime_r(&t, &tm) || tm.tm_year + 1900 > 9999) return std::nullopt;
  return t;
}

namespace {

// The time the DATE and TIME texts show: the fixed one of a reproducible run
// (in UTC), or now (local).
std::tm shown_time() {
  std::tm tm{};
  if (const std::optional<std::time_t> fixed = source_date_epoch()) {
    gmtime_r(&*fixed, &tm);
  } else {
    const std::time_t now = std::time(nullptr);
    localtime_r(&now, &tm);
  }
  return tm;
}

}  // namespace

std::string date_text() {
  const std::tm tm = shown_time();
  char text[32];
  std::snprintf(text, sizeof text, "%02d-%s-%04d", tm.tm_mday, kMonthNames[tm.tm_mon],
                tm.tm_year + 1900);
  return text;
}

std::string clocktime() {
  const std::tm tm = shown_time();
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
  return text;
}

void swap2(uint16_t& v) { v = __builtin_bswap16(v); }
void swap4(uint32_t& v) { v = __builtin_bswap32(v); }
void swap8(uint64_t& v) { v = __builtin_bswap64(v); }

Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

double magnitude(const Vec3& a) { return std::sqrt(dot(a, a)); }

}  // namespace vexal

// Calendar arithmetic and the clock, byte-order reversal for binary files of
// the other byte order, and three 3-vector routines.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace vexal {

// 1 when `year` is a leap year (divisible by 4, and not by 100 unless by 400), else 0.
int leapyear(int year);
// Month 1..12 holding day of year `doy` (the last month starting on or before
// it); 0 when doy < 1.
int jmon(int year, int doy);
// Day of year of `day` in `month`; 0 when the month is outside 1..12.
int jdoy(int year, int month, int day);
// Day of month of day of year `doy`; 0 when doy < 1.
int jdom(int year, int doy);
// Seconds since 1970-01-01 00:00:00 UTC of the normalised time (fields out of
// range carry or borrow); 0 when the normalised year is outside 1900..2035 or
// the count does not fit 32 bits.
int mmktime(int year, int doy, int hour, int minute, int second);

// The fixed time of a reproducible run: SOURCE_DATE_EPOCH from the
// environment when it is a non-negative decimal integer that the calendar can
// show; nothing when it is unset or any other text.
std::optional<std::time_t> source_date_epoch();
// Today's local date as "DD-Mon-YYYY" (11 characters); the UTC date of
// source_date_epoch() when it has one.
std::string date_text();
// The local time of day as "HH:MM:SS"; the UTC time of source_date_epoch()
// when it has one.
std::string clocktime();

// Reverse the bytes of the value in place.
void swap2(uint16_t& v);
void swap4(uint32_t& v);
void swap8(uint64_t& v);

using Vec3 = std::array<double, 3>;
// a x b.
Vec3 cross(const Vec3& a, const Vec3& b);
// a . b.
double dot(const Vec3& a, const Vec3& b);
// Euclidean length of a.
double magnitude(const Vec3& a);

}  // namespace vexal

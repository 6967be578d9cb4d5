// Number and time-label text: the three converters behind axis numbers, the
// NUMBER commands and numeric substitution, and the number-format settings.
#pragma once

#include <string>
#include <string_view>

#include "util/out_buffer.h"

namespace vexal {

// The number style shared by NUMBER and numeric substitution, owned by the interpreter.
struct NumberFormat {
  int sci = 0;                               // 1: scientific text (etoc) instead of fixed point
  int hms = 0;                               // 1: day/time text (dhms) in substitution
  int ndec = 3;                              // decimals of NUMBER and of substitution, >= 0
  std::string time_form = "DDD/HH:MM:SS";    // X (and NUMBER) day/time form, upper case
  std::string time_unit = "HOURS";           // X day/time unit: "UNIXSEC" or hours
  std::string y_time_form = "DDD/HH:MM:SS";  // the same for the Y axis
  std::string y_time_unit = "HOURS";
};

// Fixed-point text of `x` with `ndec` decimals, trailing zeros and a final "."
// removed; beyond 100000 in magnitude, etoc(x, max(ndec, 2)).
std::string dtoc(double x, int ndec);

// Scientific text "m.mmx10|+e|>|-|>" with the mantissa rounded to ndec + 1
// digits; ndec < -1 gives the power of ten "10|+e|>|-|>" alone; 0 gives "0".
std::string etoc(double x, int ndec);

// Day/time text of `x` (hours, or seconds since 1970 UTC when `unit` is
// "UNIXSEC") in `form`; a day count above 9999999 is reported on `err`.
std::string dhms(double x, std::string_view form, std::string_view unit, OutBuffer& err);

}  // namespace vexal

// Number and time-label text: the three converters behind axis numbers, the
// NUMBER commands and numeric substitution, the routines that draw and
// measure a converted number, and the number-format settings.
#pragma once

#include <string>
#include <string_view>

#include "postscript/chars.h"
#include "postscript/ps_writer.h"
#include "util/out_buffer.h"

namespace vexal {

// The number style shared by NUMBER and numeric substitution, owned by the
// interpreter (their day/time form and unit are the X axis's).
struct NumberFormat {
  int sci = 0;   // 1: scientific text (etoc) instead of fixed point
  int hms = 0;   // 1: day/time text (dhms) in substitution
  int ndec = 3;  // decimals of NUMBER and of substitution, -2..20
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

// Drawing and measuring a converted number: each draws with `chars` at the
// place, or returns the text's length in inches at height h (`slen`).

// Draws dtoc(value, ndec).
void numb(TextState& t, PsWriter& w, const TextContext& c, const TextPlace& place, double value,
          int ndec);
// Length of the text numb draws.
double rnumbl(TextState& t, const TextContext& c, double h, double value, int ndec);

// Draws dtoc(value, ndec) with a "+" in front when value >= 0.
void signednumb(TextState& t, PsWriter& w, const TextContext& c, const TextPlace& place,
                double value, int ndec);
// Length of dtoc(value, ndec) with a "+" in front only when value > 0 (zero
// is measured unsigned although signednumb draws it with the sign).
double signednumbl(TextState& t, const TextContext& c, double h, double value, int ndec);

// Draws etoc(value, ndec).
void xnumb(TextState& t, PsWriter& w, const TextContext& c, const TextPlace& place, double value,
           int ndec);
// Length of the text xnumb draws.
double xnumbl(TextState& t, const TextContext& c, double h, double value, int ndec);

}  // namespace vexal

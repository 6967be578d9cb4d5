// The number reader behind every numeric parameter: plain reals, "$" variables,
// hexadecimal integers, percentages and [ddd/]hh[:mm[:ss]] times in hours.
#pragma once

#include <string_view>

#include "util/out_buffer.h"
#include "util/variables.h"

namespace vexal {

// The value of one number token; on any failure 0 with *error = true (an
// unknown "$name" also writes the unknown-variable message to `err`). A token
// starting "{" is a braced expression, which this reader does not evaluate:
// it too gives 0 with *error = true. A plain real may also end in a signed
// three-digit exponent without its "E" ("0.10000-149", "-0.1+101"), the form
// the queued limit commands and the data dumps write beyond E+99 and E-99;
// a percentage or a time may not. The plain-number path does not allocate.
double valread(std::string_view token, bool* error, const Variables& vars, OutBuffer& err);

// True for the zone words that may follow a time: GMT, MET, GM, ME, G, M (any case).
bool is_zone_word(std::string_view word);

// True when valread reads `token` as a time: it begins with a digit, "+", "-"
// or "." and contains ":" or "/".
bool is_time_token(std::string_view token);

}  // namespace vexal

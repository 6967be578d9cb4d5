// Parameter reading: every command takes its numeric and text parameters
// from the front of the parameter text with getparm and getcparm.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "util/numbers.h"

namespace vexal {

struct Session;

// The parameter text of the current command line, consumed from the front.
struct Params {
  Session& s;
  std::string text;
  std::string_view quote = {};  // what a parameter warning shows; empty: the command's raw line
};

// Takes the next numeric parameter. When none can be read, returns 0, sets
// *error (if given) and, with `warn`, reports the line on the error unit.
double getparm(Params& p, bool* error = nullptr, bool warn = true);
// Takes the next numeric parameter as an integer: truncated toward zero,
// NaN as 0, held within the int range so that the conversion is defined.
int int_parm(Params& p, bool* error = nullptr, bool warn = true);
// A data column number parameter (int_parm), held within 0 .. 50.
int column_parm(Params& p);
// A date written yyyy.mm.dd as a version code, year x 372 + month x 31 +
// day (the first two "." read as blanks). Nothing, after the parameter
// warning for a missing or bad part, when it is not such a date (year
// 1 .. 9999, month 1 .. 12, day 1 .. 31).
std::optional<int> version_code(Session& s, std::string text, std::string_view quote = {});
// The message of a version that is no such date.
inline constexpr std::string_view kBadVersion =
    "The version must be a date written yyyy.mm.dd; the compatibility level is unchanged.";
// Takes the next text parameter: a word, a "quoted text" (quotes dropped) or
// a {braced text}. Returns "" (and reports with `warn`) when nothing is left.
std::string getcparm(Params& p, bool warn = true);
// The rest of the parameter text, leading blanks removed, trailing blanks removed.
std::string rest_of_line(const Params& p);
// " A parameter was missing or invalid: " and `quote` (empty: the command's
// raw line), on the error unit.
void parameter_warning(Session& s, std::string_view quote = {});
// Reads a whole text as one numeric parameter (the calculator lines, a flag's
// value); a warning shows `quote` (empty: the command's raw line).
double read_number_text(Session& s, std::string_view text, bool* error, bool warn,
                        std::string_view quote = {});

}  // namespace vexal

// Substitution: marked variable references and braced expressions in a
// command line are replaced by their values before the line is dispatched.
#pragma once

#include <string>
#include <string_view>

namespace vexal {

struct Session;

// Most substitutions one line may take; a value that refers to itself would
// otherwise be expanded without end.
inline constexpr int kMaxSubstitutions = 1000;

// Substitutes the line in place (character variables first, then numeric
// variables, expressions and the formatting controls), cut at 256.
void expand(Session& s, std::string& line);

// A value written with a format such as "(i5)", "(f8.3)" or "(e12.4)": I
// writes the nearest integer, F, E, ES, D and G write reals; a value that does
// not fit its field is written as asterisks. Unknown layouts give "".
std::string format_value(std::string_view format, double value);

}  // namespace vexal

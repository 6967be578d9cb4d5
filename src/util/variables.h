// The two variable tables of the command language: 100 numeric variables and
// 500 character variables, looked up by their upper-cased name part.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "util/out_buffer.h"

namespace vexal {

inline constexpr int kMaxNumericVariables = 100;
inline constexpr int kMaxCharVariables = 500;

struct NumericVariable {
  std::string name;  // upper case, at most 16 characters
  double value = 0;
};

struct CharVariable {
  std::string name;   // upper case, at most 16 characters
  std::string value;  // at most 256 characters, trailing blanks removed
};

// Entry 1 of each table is NULL. Indices handed out are 1-based, as the
// compiled expressions and the loop counter store them.
struct Variables {
  std::vector<NumericVariable> numeric{{"NULL", 0.0}};
  std::vector<CharVariable> chars{{"NULL", ""}};
  // Name to 1-based index, kept beside the tables so that a lookup does not
  // scan them (substitution looks names up on every command line).
  std::unordered_map<std::string, int> numeric_index{{"NULL", 1}};
  std::unordered_map<std::string, int> char_index{{"NULL", 1}};
};

// The lookup key of a written name: its leading run of letters, digits and
// underscores, cut at 16 characters and upper-cased.
std::string variable_key(std::string_view written);

// Sets the numeric variable, adding it when new; the 101st name replaces entry 100.
void setvariable(Variables& v, std::string_view name, double value);
// The value, or 0 with *error = true when unknown (with `warn`, the error
// stream gets "NAME is not a known variable.").
double getvariable(const Variables& v, std::string_view name, bool* error, bool warn,
                   OutBuffer& err);
// What whichvariable and whichcvariable do with a name not in the table.
enum class IfUnknown {
  kQuiet,   // give 0
  kWarn,    // give 0 and write the re-enter message
  kCreate,  // add the variable and give its index
};

// Index of the variable (searching from entry 2); an unknown name is dealt
// with as `unknown` says, a new numeric variable starting at 0.
int whichvariable(Variables& v, std::string_view name, IfUnknown unknown, OutBuffer& err);
double gvariable(const Variables& v, int index);
void svariable(Variables& v, int index, double value);

// Sets the character variable (text cut at 256, trailing blanks removed); the
// 501st name replaces entry 500 and says so on the error stream.
void setcvariable(Variables& v, std::string_view name, std::string_view text, OutBuffer& err);
// The value; an unknown name falls back to the process environment (a
// non-empty value is remembered as a new variable), else a message and "".
std::string getcvariable(Variables& v, std::string_view name, OutBuffer& err);
// The character counterpart of whichvariable (a new entry starts blank).
int whichcvariable(Variables& v, std::string_view name, IfUnknown unknown, OutBuffer& err);

}  // namespace vexal

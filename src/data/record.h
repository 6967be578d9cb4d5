// Data records: the fields of a text line as the reader and MERGE parse
// them, the checks that accept a record's point, and values in the
// exponent form of list output.
#pragma once

#include <cmath>
#include <cstddef>
#include <string_view>

#include "data/data_file.h"
#include "data/point_store.h"
#include "expr/math_list.h"
#include "expr/math_state.h"

namespace vexal {

inline constexpr int kMaxDataColumns = 50;  // columns of a binary file, fields of a text line
// Characters kept of a text data line, wherever it is read.
inline constexpr size_t kDataLineWidth = DataFile::kMaxLineBytes;

// The number of fields read from each text line without MAXCOL: the largest
// column any setting reads (the pen-width column left out when `with_width`
// is false, as MERGE does), 0 .. 50.
int columns_needed(const ReaderSettings& rs, bool with_width = true);

// Splits a text line into fields the way the parameter reader does (blanks,
// tabs and commas separate; two adjacent tabs hold an empty field that reads
// 0; "{...}" is an expression; numbers, "$" variables, hexadecimal numbers,
// percentages and times as valread reads them). Sets fields[1 .. maxcolumn];
// a missing or unreadable field is 0. `scratch` is reused for expressions.
// Returns the number of fields the line holds, up to maxcolumn.
int parse_fields(std::string_view line, int maxcolumn, MathEnv& env, CompiledMath& scratch);

// Reads the field beginning at p (not a separator) the way parse_fields does
// and moves p past it; false when the field cannot be read.
bool read_field(const char*& p, const char* e, MathEnv& env, CompiledMath& scratch, double& v);

// True for the characters that separate fields: blank, tab and comma.
inline bool is_separator(char c) { return c == ' ' || c == '\t' || c == ','; }
// A number in free format filling [b, e): a plain number, possibly with a
// "+" sign or a "d" exponent, or a word for a value that is not finite.
bool free_number(const char* b, const char* e, double& v);

// Field `col` of the current record (0 the record number); 0 outside 0 .. 50.
inline double record_field(const CurrentPoint& pt, int col) {
  return static_cast<unsigned>(col) <= kMaxDataColumns ? pt.fields[col] : 0.0;
}

// Whether a value read passes the range [lo, hi]: NaN and infinities never
// do, whatever the range.
inline bool accepted(double v, double lo, double hi) {
  return v >= lo && v <= hi && std::isfinite(v);
}

// The coordinates the reader negates after the math commands (XNEG, YNEG:
// settings of the axes, whose numbers show the values negated back).
struct Negation {
  bool x = false, y = false;
};

// The point of the current record (`env.point.fields`): X, Y and Z from the
// columns `xc`, `yc`, `zc`, V 0, checked against the X and Y ranges (each
// unless the math commands change that axis), run through the math commands,
// negated as `neg` says and checked against all three ranges. False when
// the record is rejected; `p` then holds what was worked out so far.
bool accept_point(const ReaderSettings& rs, Negation neg, const MathList& math, MathEnv& env,
                  Point& p);

// A value in exponent form as list output writes it: "0.ddddE+xx" with
// `digits` digits after the point, right-justified in `width` characters.
// Too wide a value gives `width` asterisks. Writes into buf (at least
// `width` characters) and returns a view of it.
std::string_view exponent_field(double v, int width, int digits, char* buf);

}  // namespace vexal

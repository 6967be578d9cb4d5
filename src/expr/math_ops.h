// The words of the expression language, one row each: the plain functions,
// operators and constants, whose row both the evaluator that works from the
// text and the executor of the compiled form compute through; the stack and
// point words, which both run through c_math; the words the evaluator reads
// itself; and, as columns of their rows, the functions of MATH lines.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "expr/math_state.h"
#include "expr/opcodes.h"
#include "expr/stak_math.h"

namespace vexal {

// A word, the opcode it compiles to, and its name in MATH lines.
struct MathOp {
  std::string_view words;     // names matching any token they begin, blank-separated
  std::string_view symbols;   // names matching only the whole token, blank-separated
  std::string_view function;  // its name in MATH lines, "" for none
  // What it compiles to: a constant to Op::kPush of its value; a word with a
  // reader to this one opcode, or Op::kNoop for none or several.
  Op op;
  int arity;  // operands it pops, 0 .. 5 (for two: a b, b on top)
  // The value of a function (missing operands are 0) or a constant; nullptr
  // for a word that does what c_math does with `op`.
  double (*fn)(double a, double b) = nullptr;
  // Where the function is undefined: the evaluation fails with text_message
  // (or gives 0 when only compiling); the executor prints compiled_message,
  // rejects the point and pushes 0; a MATH line prints function_message and
  // rejects the point, or without one computes the function anyway.
  // nullptr: defined everywhere.
  bool (*undefined)(double a, double b) = nullptr;
  const char* text_message = nullptr;
  const char* compiled_message = nullptr;
  const char* function_message = nullptr;
  // The reader of a word that does more than run one opcode; nullptr for the others.
  bool (Evaluator::*read)(std::string_view tok) = nullptr;
};

// Every row.
std::span<const MathOp> math_ops();
// The row that `token` (upper case) names: the one with the longest name the
// token begins with, or with a symbol that is the whole token; nullptr for none.
const MathOp* find_math_op(std::string_view token);
// The row of the MATH function that the text before a MATH line's "(" names:
// the first row whose function name stands anywhere in it; nullptr for none.
const MathOp* find_math_function(std::string_view part);

// Indexed by opcode (those below the conditionals): the row of the function
// the executor computes, nullptr for none.
using MathOpRows = std::array<const MathOp*, static_cast<size_t>(Op::kMktime) + 1>;
extern const MathOpRows kMathOpOfOpcode;

// The row of the function the executor computes for `op`, nullptr for an
// opcode that no row computes.
inline const MathOp* math_op(Op op) {
  size_t i = static_cast<size_t>(op);
  return i < kMathOpOfOpcode.size() ? kMathOpOfOpcode[i] : nullptr;
}

// Pops the operands of `m` and pushes its value. Where `m` is undefined it
// pushes nothing and returns false. Inline: the executor runs it per point.
inline bool apply_math_op(const MathOp& m, MathStacks& st, OutBuffer& err) {
  double b = m.arity == 2 ? pop_math_stack(st, err) : 0;
  double a = m.arity >= 1 ? pop_math_stack(st, err) : 0;
  if (m.undefined && m.undefined(a, b)) return false;
  push_math_stack(st, m.fn(a, b), err);
  return true;
}

}  // namespace vexal

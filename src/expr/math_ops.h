// The words of the expression language that compile to one opcode and mean
// the same from text as compiled, one row each: the plain functions,
// operators and constants, whose row both the evaluator that works from the
// text and the executor of the compiled form compute through, and the stack
// and point words, which both run through c_math.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "expr/math_state.h"
#include "expr/opcodes.h"
#include "expr/stak_math.h"

namespace vexal {

// A word and the opcode it compiles to.
struct MathOp {
  std::string_view words;    // names matching any token they begin, blank-separated
  std::string_view symbols;  // names matching only the whole token, blank-separated
  Op op;                     // what it compiles to; a constant compiles to Op::kPush of its value
  int arity;                 // operands it pops, 0 .. 5 (for two: a b, b on top)
  // The value of a function (missing operands are 0) or a constant; nullptr
  // for a word that does what c_math does with `op`.
  double (*fn)(double a, double b) = nullptr;
  // Where the function is undefined: the evaluation fails with text_message
  // (or gives 0 when only compiling); the executor prints compiled_message,
  // rejects the point and pushes 0. nullptr: defined everywhere.
  bool (*undefined)(double a, double b) = nullptr;
  const char* text_message = nullptr;
  const char* compiled_message = nullptr;
};

// Every row, in the order tokens are matched against them.
std::span<const MathOp> math_ops();
// The first row that `token` (upper case) names, nullptr for none.
const MathOp* find_math_op(std::string_view token);

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

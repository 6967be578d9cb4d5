// The postfix expression evaluator: evaluates an expression once from its
// text and records the compiled form that the column math runs per point.
#pragma once

#include <cstdint>
#include <string_view>

#include "expr/math_state.h"

namespace vexal {

// Evaluates `text` (an expression, "{" optional, ending at the first "}"),
// returns the value left on top of the stack, and leaves the compiled form in
// `compiled`. An error prints its message, sets the point's error flag and
// returns 0. In compile-only mode conditionals do not skip and the failing
// functions give 0, so that every branch compiles.
double stak_math(std::string_view text, MathEnv& env, CompiledMath& compiled,
                 bool compile_only = false);

// Makes room on a full value stack: drops the bottom slot with a warning.
void math_stack_overflow(MathStacks& st, OutBuffer& err);
// An empty value stack popped: prints the message; the value is 0.
double math_stack_underflow(MathStacks& st, OutBuffer& err);

// Pushes onto the value stack; beyond 32 the bottom slot is dropped with a
// warning. Inline, as pop_math_stack: the executor runs them per point.
inline void push_math_stack(MathStacks& st, double v, OutBuffer& err) {
  if (st.count >= kMathStackSize) [[unlikely]]
    math_stack_overflow(st, err);
  st.values[static_cast<size_t>(st.count++)] = v;
}
// Pops the value stack; an empty stack gives 0 and a message.
inline double pop_math_stack(MathStacks& st, OutBuffer& err) {
  if (st.count <= 0) [[unlikely]]
    return math_stack_underflow(st, err);
  return st.values[static_cast<size_t>(--st.count)];
}
// Prints "math stack:" and the values, then "perm stack:" and the save stack.
void dump_math_stack(const MathStacks& st, OutBuffer& out);
// Pushes onto the save stack; beyond 32 the slots move down by one.
void save_math_stack(MathStacks& st, double v);
// Takes the newest save-stack entry (0 when empty).
double recall_math_stack(MathStacks& st);

// 1 when 0 <= bit < 32 and that bit of the 32-bit value is set, else 0.
int ibit(int32_t value, int bit);
// The value rounded to single precision (beyond the single range: infinity,
// as the hardware conversion gives, without undefined behaviour).
float to_single(double value);
// The 32-bit pattern of the value rounded to single precision.
int32_t f2i(double value);
// A double converted through single precision to a 32-bit integer (truncated,
// saturating instead of overflowing).
int32_t single_to_int(double value);

}  // namespace vexal

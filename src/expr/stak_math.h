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

struct MathOp;

// One evaluation of an expression text, stak_math's work. Its readers are the
// words of math_ops.cc that do more than run one opcode.
class Evaluator {
 public:
  Evaluator(MathEnv& env, CompiledMath& c, bool compile_only)
      : env_(env), st_(env.stacks), c_(c), compile_only_(compile_only) {}

  // Evaluates and compiles `text` as stak_math says.
  double run(std::string_view text);

  // Each reads the words of its row of math_ops.cc: evaluates and compiles
  // `tok` (upper case), and returns false when the evaluation ended with an error.
  bool read_gmtime(std::string_view tok);
  bool read_time(std::string_view tok);
  bool read_variable(std::string_view tok);  // $name
  bool read_set(std::string_view tok);       // SET($name), SET(Cn), SET(V) .. SET(Z)
  bool read_strcmp(std::string_view tok);
  bool read_exists(std::string_view tok);
  bool read_export(std::string_view tok);
  bool read_mageq(std::string_view tok);
  bool read_skip(std::string_view tok);
  bool read_tm(std::string_view tok);
  bool read_if(std::string_view tok);
  bool read_else(std::string_view tok);
  bool read_leap(std::string_view tok);
  bool read_doy(std::string_view tok);
  bool read_dom_mon(std::string_view tok);
  bool read_vector(std::string_view tok);  // VECTORX .. VECTORV, XVEC .. VVEC
  bool read_array(std::string_view tok);   // ARRAY, ARRAY2, ARRAYX .. ARRAYDY, NXAI .. NZAI, IX, IY
  bool read_debug(std::string_view tok);
  bool read_nocomp(std::string_view tok);

 private:
  // Each returns false when the evaluation ended with an error.
  bool token(std::string_view tok);
  bool conditional_while_skipping(std::string_view tok);
  bool table_token(const MathOp& m);
  bool read_name(std::string_view tok);  // a numeric variable's name without "$"
  bool fail(std::string_view message, std::string_view detail = {});
  // A function outside its domain: an error, except when only compiling,
  // where the result is 0 so that every branch compiles.
  bool domain_error(std::string_view message) {
    if (!compile_only_) return fail(message);
    push(0);
    return true;
  }
  void push(double v) { push_math_stack(st_, v, env_.err); }
  double pop() { return pop_math_stack(st_, env_.err); }
  void emit(Op opcode, double value = 0) { c_.add(opcode, value); }
  // Emits an entry and runs it as the executor would.
  bool run(Op opcode, double value = 0);
  // The token was read but cannot run from the compiled form: an Op::kNoop stands for it.
  bool no_compile() {
    c_.compiled = false;
    emit(Op::kNoop);
    return true;
  }
  bool index_ok(double i, size_t size, const char* what, size_t* index);

  MathEnv& env_;
  MathStacks& st_;
  CompiledMath& c_;
  bool compile_only_;
  bool debug_ = false;
};

}  // namespace vexal

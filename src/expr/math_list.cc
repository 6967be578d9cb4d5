// The math command list: entering and compiling commands, removing them,
// listing them, and running them on the current point.
#include "expr/math_list.h"

#include <algorithm>

#include "expr/cmath.h"
#include "expr/math.h"
#include "expr/stak_math.h"
#include "util/free_format.h"
#include "util/text.h"

namespace vexal {

namespace {

constexpr size_t kMaxCommandText = 256;

// The opcode that stores into the target named at the front of `text`,
// Op::kNoop for none; *field receives n of a "Cn =" target. False for a "Cn =" target
// beyond C50, which the interpreter reports instead.
bool target_entry(std::string_view text, Op* opcode, int* field) {
  *opcode = Op::kNoop;
  switch (text.empty() ? ' ' : text[0]) {
    case 'V':
      *opcode = Op::kPopV;
      return true;
    case 'X':
      *opcode = Op::kPopX;
      return true;
    case 'Y':
      *opcode = Op::kPopY;
      return true;
    case 'Z':
      *opcode = Op::kPopZ;
      return true;
    case 'C':
      break;
    default:
      return true;
  }
  size_t i = 1;
  long n = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9' && n <= kMaxFields)
    n = n * 10 + (text[i++] - '0');
  if (i == 1) return true;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i >= text.size() || text[i] != '=') return true;
  if (n > kMaxFields) return false;
  *opcode = Op::kPopField;
  *field = static_cast<int>(n);
  return true;
}

void put_int_real(OutBuffer& out, long long n, double v) {
  out.put(' ');
  out.put(free_int(n));
  out.put(' ');
  out.line(free_real(v));
}

}  // namespace

void run_math_command(const MathCommand& c, MathEnv& env, CompiledMath& scratch) {
  if (c.compiled.compiled)
    cmath(c.compiled, env);
  else
    math(c.text, env, scratch);
}

bool run_math_commands(const MathList& list, MathEnv& env) {
  for (const MathCommand& c : list.commands) {
    run_math_command(c, env, list.scratch);
    if (env.point.error != 0) return false;
  }
  return true;
}

CompiledMath compile_math_command(std::string_view text, MathEnv& env) {
  CompiledMath c;
  size_t open = text.find('{');
  size_t close = text.find('}');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return c;
  // Only a braced expression standing alone, or after "target =", runs from
  // its compiled form; with anything around it (X = ADD({X 2 *}, 3)) the
  // compiled braces alone would give a wrong value, so the interpreter runs it.
  std::string_view before = trimmed(nolead(text.substr(0, open)));
  if (before.find_first_of("(),") != std::string_view::npos) return c;
  if (nstrng(text.substr(close + 1)) != 0) return c;
  stak_math(text.substr(open + 1), env, c, true);
  if (c.compiled) {
    Op opcode = Op::kNoop;
    int field = 0;
    if (!target_entry(text, &opcode, &field))
      c.compiled = false;
    else if (opcode != Op::kNoop)
      c.add(opcode, opcode == Op::kPopField ? field : 0);
  }
  if (!c.compiled) c.entries.clear();
  return c;
}

bool add_math_command(MathList& list, std::string_view text, MathEnv& env) {
  text = trimmed(nolead(text));
  if (text.size() > kMaxCommandText) text = text.substr(0, kMaxCommandText);
  if (static_cast<int>(list.commands.size()) >= kMaxMathCommands) {
    env.err.put("Too many math commands (at most 100); not added: ");
    env.err.line(text);
    return false;
  }
  MathCommand cmd;
  cmd.text = std::string(text);
  cmd.compiled = compile_math_command(cmd.text, env);
  list.commands.push_back(std::move(cmd));
  // The same flags as the X and Y arithmetic line forms set: those lines
  // arrive here as MATH commands.
  if (!text.empty() && text[0] == 'X') list.any_xmath = true;
  if (!text.empty() && text[0] == 'Y') list.any_ymath = true;
  return true;
}

void remove_math_commands(MathList& list, char first) {
  std::erase_if(list.commands,
                [first](const MathCommand& c) { return !c.text.empty() && c.text[0] == first; });
  if (first == 'X') list.any_xmath = false;
  if (first == 'Y') list.any_ymath = false;
}

void remove_last_math_command(MathList& list) {
  if (!list.commands.empty()) list.commands.pop_back();
}

void write_math_list(const MathList& list, OutBuffer& out) {
  for (const MathCommand& c : list.commands) out.line(c.text);
}

void write_compiled_math(const MathList& list, OutBuffer& out) {
  for (const MathCommand& c : list.commands) {
    if (!c.compiled.compiled) {
      out.put(c.text);
      out.line(" did not compile.");
      continue;
    }
    out.line(c.text);
    for (const MathEntry& e : c.compiled.entries) {
      out.put(' ');
      out.put(free_real(e.value));
      out.put(' ');
      out.line(free_int(static_cast<int>(e.opcode)));
    }
  }
}

void test_compile(const MathList& list, MathEnv& env, OutBuffer& out) {
  CurrentPoint& p = env.point;
  for (const MathCommand& c : list.commands) {
    p.x = 21;
    p.y = 22;
    p.z = 23;
    p.v = 24;
    size_t open = c.text.find('{');
    if (open == std::string::npos) {
      out.put(c.text);
      out.line(" holds no braced expression.");
      continue;
    }
    std::string_view expr = std::string_view(c.text).substr(open);
    out.line(expr);
    CompiledMath compiled;
    double result = stak_math(expr, env, compiled, true);
    compiled.add(Op::kPopX);
    out.put(' ');
    out.put(free_int(compiled.compiled ? 1 : 0));
    put_int_real(out, static_cast<long long>(compiled.entries.size()), result);
    for (const MathEntry& e : compiled.entries)
      put_int_real(out, static_cast<int>(e.opcode), e.value);
    cmath(compiled, env);
    out.put(' ');
    out.put(free_real(result));
    out.put(' ');
    out.line(free_real(p.x));
  }
}

}  // namespace vexal

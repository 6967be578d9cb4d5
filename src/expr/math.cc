// The functional-syntax interpreter of math command texts. It runs the MATH
// lines with a "$" target at once, and every stored math command that did
// not compile, once per data point; so it parses a stack copy of the text
// and allocates nothing.
#include "expr/math.h"

#include <cmath>
#include <cstring>

#include "expr/math_ops.h"
#include "expr/stak_math.h"
#include "expr/valread.h"
#include "util/free_format.h"
#include "util/text.h"

namespace vexal {

namespace {

constexpr size_t kMaxMathText = 256;
constexpr size_t kNone = std::string_view::npos;

// The first `ch` at or after `from` that lies outside every {...}.
size_t find_unbraced(std::string_view t, char ch, size_t from = 0) {
  int depth = 0;
  for (size_t i = from; i < t.size(); ++i) {
    char c = t[i];
    if (c == '{') {
      ++depth;
    } else if (c == '}') {
      if (depth > 0) --depth;
    } else if (c == ch && depth == 0) {
      return i;
    }
  }
  return kNone;
}

// The last `ch` after `from` that lies outside every {...}.
size_t rfind_unbraced(std::string_view t, char ch, size_t from) {
  size_t last = kNone;
  for (size_t i = find_unbraced(t, ch, from); i != kNone; i = find_unbraced(t, ch, i + 1)) last = i;
  return last;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A field number written at the front of `t`; -1 when there is none or it
// lies beyond C50. Sets *used to the digits read.
int field_number(std::string_view t, size_t* used) {
  size_t i = 0;
  int n = 0;
  while (i < t.size() && is_digit(t[i]) && n <= kMaxFields) n = n * 10 + (t[i++] - '0');
  while (i < t.size() && is_digit(t[i])) ++i;
  *used = i;
  return i == 0 || n > kMaxFields ? -1 : n;
}

// One interpretation of one command text.
class Interpreter {
 public:
  Interpreter(MathEnv& env, CompiledMath& scratch, std::string_view text)
      : env_(env), p_(env.point), scratch_(scratch), text_(trimmed(text)) {}

  double run();

 private:
  double operand(size_t at);
  void fail(std::string_view message) {
    env_.err.line(message);
    p_.error = 1;
  }
  void syntax_error(size_t paren);
  bool read_target();
  bool call(size_t eq, size_t paren, double* value);
  double* target_value();

  MathEnv& env_;
  CurrentPoint& p_;
  CompiledMath& scratch_;
  std::string_view text_;  // as given, for messages
  char buf_[kMaxMathText];
  std::string_view work_;  // the upper-cased working copy in buf_
  char target_ = 0;        // $, C, X, Y, Z or V names a target; any other stores nowhere
  std::string_view name_;  // the $ target's name
  int field_ = 0;          // the Cn target's n
};

// The slot of a Cn, X, Y, Z or V target; nullptr for another.
double* Interpreter::target_value() {
  if (target_ == 'C') return point_field(p_, static_cast<long>(field_));
  size_t slot = std::string_view("VXYZ").find(target_);  // fields -4 .. -1
  return slot == kNone ? nullptr : point_field(p_, static_cast<long>(slot) - 4);
}

// The operand that starts at `at`: Cn, X, Y, Z, V, a braced expression, or
// a number token in the syntax of every numeric parameter.
double Interpreter::operand(size_t at) {
  std::string_view t = work_.substr(std::min(at, work_.size()));
  // Blanks may stand between the delimiter and the operand (ADD(1, 2)).
  size_t i = 0;
  while (i < t.size() && (t[i] == ' ' || t[i] == ',')) ++i;
  t.remove_prefix(i);
  if (!t.empty()) {
    switch (t[0]) {
      case 'X':
        return p_.x;
      case 'Y':
        return p_.y;
      case 'Z':
        return p_.z;
      case 'V':
        return p_.v;
      case 'C':
        if (t.size() > 1 && is_digit(t[1])) {
          size_t used = 0;
          int n = field_number(t.substr(1), &used);
          if (n < 0) {
            fail(kColumnOutOfRange);
            return 0;
          }
          return p_.fields[static_cast<size_t>(n)];
        }
        break;
      case '{': {
        size_t close = t.find('}');
        std::string_view expr = close == kNone ? t : t.substr(0, close + 1);
        // The evaluator clears the error flag when it starts: keep an
        // earlier failure of this command.
        int before = p_.error;
        double v = stak_math(expr, env_, scratch_);
        if (p_.error == 0) p_.error = before;
        return v;
      }
      default:
        break;
    }
  }
  size_t end = t.find_first_of(" ,");
  std::string_view token = t.substr(0, end);
  bool bad = false;
  double v = valread(token, &bad, env_.vars, env_.err);
  if (bad) {
    env_.err.put(" A parameter was missing or invalid: ");
    env_.err.line(text_);
    p_.error = 1;
    return 0;
  }
  return v;
}

// The message names the text and where "EXC" stands before the "(" (1-based, 0 when absent).
void Interpreter::syntax_error(size_t paren) {
  size_t exc = paren == kNone ? kNone : work_.substr(0, paren).find("EXC");
  env_.err.put("Unknown math command syntax: ");
  env_.err.put(text_);
  env_.err.line(free_int(exc == kNone ? 0 : static_cast<long long>(exc) + 1));
  p_.error = 1;
}

// The target, from the first character; false after a message when it is unusable.
bool Interpreter::read_target() {
  target_ = work_[0];
  if (target_ == '$') {
    name_ = work_.substr(1, std::min(nvar(work_.substr(1)), kNameWidth));
    if (name_.empty()) syntax_error(kNone);
    return !name_.empty();
  }
  if (target_ == 'C') {
    size_t used = 0;
    field_ = field_number(work_.substr(1), &used);
    if (field_ < 0) fail(kColumnOutOfRange);
    return field_ >= 0;
  }
  return true;
}

// FUNC(a, b) or FUNC(a): the function's row, its operands and its value;
// false after a message when no function applies.
bool Interpreter::call(size_t eq, size_t paren, double* value) {
  // The function part lies between the "=" and the "(": a name inside a
  // $ target ($COSTH = SIN(1)) does not count.
  size_t from = eq != kNone && eq < paren ? eq + 1 : 0;
  const MathOp* f = find_math_function(work_.substr(from, paren - from));
  bool range_test = f && (f->op == Op::kInc || f->op == Op::kExc);
  bool range_target = target_ == 'X' || target_ == 'Y' || target_ == 'V' ||
                      (target_ == 'Z' && f && f->op == Op::kInc);
  if (!f || (range_test && !range_target)) {
    syntax_error(paren);
    return false;
  }
  double a = 0, b = 0;
  if (f->arity >= 2) {
    size_t comma = find_unbraced(work_, ',');
    if (comma != kNone && paren < comma) {
      a = operand(paren + 1);
      b = operand(comma + 1);
    } else {
      b = operand(comma != kNone ? comma + 1 : paren + 1);
    }
  } else {
    a = operand(paren + 1);
  }
  if (range_test) {
    *value = *target_value();
    bool inside = *value >= a && *value <= b;
    if (f->op == Op::kInc ? !inside : inside) {
      p_.error = 1;
      *value = kRangeRejected;
    }
  } else if (f->function_message && f->undefined(a, b)) {
    fail(f->function_message);
  } else {
    // The stack word takes x before y; ATAN2(y, x) names y first.
    *value = f->op == Op::kAtan2 ? f->fn(b, a) : f->fn(a, b);
  }
  return true;
}

double Interpreter::run() {
  p_.error = 0;
  size_t len = std::min(text_.size(), kMaxMathText);
  for (size_t i = 0; i < len; ++i) {
    char c = text_[i];
    buf_[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  work_ = std::string_view(buf_, len);
  if (work_.empty()) {
    syntax_error(kNone);
    return 0;
  }
  if (!read_target()) return 0;

  // The "=", the function's "(" and its closing ")" are found outside
  // braces, so that an expression's own SET(X) or ")" does not count; the
  // "=" and the closing ")" are blanked.
  size_t eq = find_unbraced(work_, '=');
  if (eq != kNone) buf_[eq] = ' ';
  size_t paren = find_unbraced(work_, '(');
  if (paren != kNone) {
    size_t close = rfind_unbraced(work_, ')', paren + 1);
    if (close != kNone) buf_[close] = ' ';
  }

  double value = 0;
  if (paren != kNone) {
    if (!call(eq, paren, &value)) return 0;
  } else if (eq != kNone) {
    value = operand(eq + 1);
  } else {
    syntax_error(kNone);
    return 0;
  }

  if (target_ == '$')
    setvariable(env_.vars, name_, value);
  else if (double* t = target_value())
    *t = value;
  return value;
}

}  // namespace

double math(std::string_view text, MathEnv& env, CompiledMath& scratch) {
  Interpreter in(env, scratch, text);
  return in.run();
}

}  // namespace vexal

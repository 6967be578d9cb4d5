// The functional-syntax interpreter of math command texts. It runs the MATH
// lines with a "$" target at once, and every stored math command that did
// not compile, once per data point; so it parses a stack copy of the text
// and allocates nothing.
#include "expr/math.h"

#include <cmath>
#include <cstring>

#include "expr/stak_math.h"
#include "expr/valread.h"
#include "util/free_format.h"
#include "util/text.h"

namespace vexal {

namespace {

constexpr size_t kMaxMathText = 256;
constexpr size_t kNone = std::string_view::npos;

enum class Target { kVariable, kField, kX, kY, kZ, kV, kNowhere };

enum class Func {
  kMul,
  kDiv,
  kAdd,
  kSub,
  kExp,
  kAtan2,
  kLog,
  kLn,
  kAbs,
  kSqrt,
  kArcsin,
  kArccos,
  kCos,
  kSin,
  kArctan,
  kMod,
  kMin,
  kMax,
  kBit,
  kInc,
  kExc,
  kUnknown
};

struct FuncName {
  std::string_view name;
  Func func;
  bool two_operands;
};

// Searched in this order, the first name found anywhere in the function
// part wins: ARCSIN and ARCCOS come before SIN and COS, whose names they hold.
constexpr FuncName kFunctions[] = {
    {"MUL", Func::kMul, true},        {"DIV", Func::kDiv, true},
    {"ADD", Func::kAdd, true},        {"SUB", Func::kSub, true},
    {"EXP", Func::kExp, true},        {"ATAN2", Func::kAtan2, true},
    {"LOG", Func::kLog, false},       {"LN", Func::kLn, false},
    {"ABS", Func::kAbs, false},       {"SQRT", Func::kSqrt, false},
    {"ARCSIN", Func::kArcsin, false}, {"ARCCOS", Func::kArccos, false},
    {"COS", Func::kCos, false},       {"SIN", Func::kSin, false},
    {"ARCTAN", Func::kArctan, false}, {"MOD", Func::kMod, true},
    {"MIN", Func::kMin, true},        {"MAX", Func::kMax, true},
    {"BIT", Func::kBit, true},        {"INC", Func::kInc, true},
    {"EXC", Func::kExc, true},
};

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
  double* target_value();

  MathEnv& env_;
  CurrentPoint& p_;
  CompiledMath& scratch_;
  std::string_view text_;  // as given, for messages
  char buf_[kMaxMathText];
  std::string_view work_;  // the upper-cased working copy in buf_
  Target target_ = Target::kNowhere;
  std::string_view name_;  // the $ target's name
  int field_ = 0;          // the Cn target's n
};

double* Interpreter::target_value() {
  switch (target_) {
    case Target::kX:
      return &p_.x;
    case Target::kY:
      return &p_.y;
    case Target::kZ:
      return &p_.z;
    case Target::kV:
      return &p_.v;
    case Target::kField:
      return &p_.fields[static_cast<size_t>(field_)];
    default:
      return nullptr;
  }
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
            fail("Error: Column specified is out of range.");
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

  // The target, from the first character.
  switch (work_[0]) {
    case '$':
      target_ = Target::kVariable;
      name_ = work_.substr(1, std::min(nvar(work_.substr(1)), kNameWidth));
      if (name_.empty()) {
        syntax_error(kNone);
        return 0;
      }
      break;
    case 'C': {
      size_t used = 0;
      field_ = field_number(work_.substr(1), &used);
      if (field_ < 0) {
        fail("Error: Column specified is out of range.");
        return 0;
      }
      target_ = Target::kField;
      break;
    }
    case 'X':
      target_ = Target::kX;
      break;
    case 'Y':
      target_ = Target::kY;
      break;
    case 'Z':
      target_ = Target::kZ;
      break;
    case 'V':
      target_ = Target::kV;
      break;
    default:
      target_ = Target::kNowhere;
      break;
  }

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
  if (paren == kNone) {
    if (eq == kNone) {
      syntax_error(kNone);
      return 0;
    }
    value = operand(eq + 1);
  } else {
    // The function part lies between the "=" and the "(": a name inside a
    // $ target ($COSTH = SIN(1)) does not count.
    size_t from = eq != kNone && eq < paren ? eq + 1 : 0;
    std::string_view part = work_.substr(from, paren - from);
    const FuncName* f = nullptr;
    for (const FuncName& candidate : kFunctions) {
      if (part.find(candidate.name) != kNone) {
        f = &candidate;
        break;
      }
    }
    bool range_test = f && (f->func == Func::kInc || f->func == Func::kExc);
    bool range_target = target_ == Target::kX || target_ == Target::kY || target_ == Target::kV ||
                        (target_ == Target::kZ && f && f->func == Func::kInc);
    if (!f || (range_test && !range_target)) {
      syntax_error(paren);
      return 0;
    }
    double a = 0, b = 0;
    if (f->two_operands) {
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
    switch (f->func) {
      case Func::kMul:
        value = a * b;
        break;
      case Func::kDiv:
        if (b == 0)
          fail("Invalid math construct: DIVISION BY ZERO");
        else
          value = a / b;
        break;
      case Func::kAdd:
        value = a + b;
        break;
      case Func::kSub:
        value = a - b;
        break;
      case Func::kExp:
        value = std::pow(a, b);
        break;
      case Func::kAtan2:
        value = std::atan2(a, b);
        break;
      case Func::kLog:
      case Func::kLn:
        if (a <= 0)
          fail("Invalid math: LOG OF NEGATIVE NUMBER");
        else
          value = f->func == Func::kLog ? std::log10(a) : std::log(a);
        break;
      case Func::kAbs:
        value = std::fabs(a);
        break;
      // A negative operand gives no message: the value is not a number.
      case Func::kSqrt:
        value = std::sqrt(a);
        break;
      case Func::kArcsin:
        value = std::asin(a);
        break;
      case Func::kArccos:
        value = std::acos(a);
        break;
      case Func::kCos:
        value = std::cos(a);
        break;
      case Func::kSin:
        value = std::sin(a);
        break;
      case Func::kArctan:
        value = std::atan(a);
        break;
      case Func::kMod:
        value = std::fmod(a, b);
        break;
      case Func::kMin:
        value = std::min(a, b);
        break;
      case Func::kMax:
        value = std::max(a, b);
        break;
      case Func::kBit:
        value = ibit(single_to_int(a), single_to_int(b));
        break;
      case Func::kInc:
      case Func::kExc: {
        value = *target_value();
        bool inside = value >= a && value <= b;
        if (f->func == Func::kInc ? !inside : inside) {
          p_.error = 1;
          value = kRangeRejected;
        }
        break;
      }
      case Func::kUnknown:
        break;
    }
  }

  if (target_ == Target::kVariable)
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

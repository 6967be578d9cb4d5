// The postfix expression evaluator and compiler.
#include "expr/stak_math.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "expr/cmath.h"
#include "expr/math_ops.h"
#include "expr/valread.h"
#include "util/calendar.h"
#include "util/free_format.h"
#include "util/magnetic_equator.h"
#include "util/text.h"

namespace vexal {

namespace {

constexpr double kE = 2.718281828459045;
constexpr int kNoCompileLevel = 742479;  // at or below this level nothing compiles
constexpr size_t kMaxExpression = 256;

const char* const kMonthNames[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};

bool starts(std::string_view tok, std::string_view name) {
  return tok.substr(0, name.size()) == name;
}

// The evaluation of one expression text.
class Evaluator {
 public:
  Evaluator(MathEnv& env, CompiledMath& c, bool compile_only)
      : env_(env), st_(env.stacks), c_(c), compile_only_(compile_only) {}

  double run(std::string_view text);

 private:
  // Each returns false when the evaluation ended with an error.
  bool token(std::string_view tok);
  bool conditional_while_skipping(std::string_view tok);
  bool table_token(const MathOp& m);
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
  bool run(Op opcode, double value = 0) {
    emit(opcode, value);
    c_math({opcode, value}, env_);
    return true;
  }
  void no_compile() {
    c_.compiled = false;
    emit(Op::kNoop);
  }
  double* field_ref(int n);
  bool index_ok(double i, size_t size, const char* what, size_t* index);
  bool array_word(std::string_view tok);
  void gmtime_token();

  MathEnv& env_;
  MathStacks& st_;
  CompiledMath& c_;
  bool compile_only_;
  bool debug_ = false;
};

double* Evaluator::field_ref(int n) { return point_field(env_.point, n); }

bool Evaluator::fail(std::string_view message, std::string_view detail) {
  env_.err.put(message);
  env_.err.line(detail);
  env_.point.error = 1;
  c_.compiled = false;
  return false;
}

bool Evaluator::index_ok(double i, size_t size, const char* what, size_t* index) {
  if (!(i >= 1) || !(i <= static_cast<double>(size))) {
    char msg[96];
    std::snprintf(msg, sizeof msg, "Error: %s index out of range: ", what);
    return fail(msg, free_real(i));
  }
  *index = static_cast<size_t>(i) - 1;
  return true;
}

// The array words: ARRAY and ARRAY2 (element i, j), the coordinate and
// spacing lists, the nearest-entry searches and the element loop's indices.
bool Evaluator::array_word(std::string_view tok) {
  no_compile();
  static const ArrayGrid kEmpty;
  const ArrayGrid& a = env_.array ? *env_.array : kEmpty;
  if (tok == "IX" || tok == "IY") {
    push(tok == "IX" ? a.ix : a.iy);
    return true;
  }
  if (starts(tok, "NXAI") || starts(tok, "NYAI") || starts(tok, "NZAI")) {
    const double v = pop();
    const std::vector<double>& list = tok[1] == 'X' ? a.x : tok[1] == 'Y' ? a.y : a.z;
    const int n = tok[1] == 'X' ? a.nx : tok[1] == 'Y' ? a.ny : a.nz;
    const size_t count = std::min(list.size(), static_cast<size_t>(std::max(n, 0)));
    size_t best = 0;
    if (count == 0) return index_ok(0, 0, "array coordinate", &best);
    for (size_t i = 1; i < count; ++i)
      if (std::fabs(list[i] - v) < std::fabs(list[best] - v)) best = i;
    push(static_cast<double>(best + 1));
    return true;
  }
  struct ListWord {
    const char* name;
    const std::vector<double>* list;
    int n;
  };
  const ListWord lists[] = {{"ARRAYX", &a.x, a.nx},
                            {"ARRAYY", &a.y, a.ny},
                            {"ARRAYZ", &a.z, a.nz},
                            {"ARRAYDX", &a.dx, a.nx},
                            {"ARRAYDY", &a.dy, a.ny}};
  for (const ListWord& w : lists) {
    if (!starts(tok, w.name)) continue;
    const size_t n = std::min(w.list->size(), static_cast<size_t>(std::max(w.n, 0)));
    size_t i = 0;
    if (!index_ok(pop(), n, "array coordinate", &i)) return false;
    push((*w.list)[i]);
    return true;
  }
  // ARRAY and ARRAY2: j on top, then i.
  const bool second = starts(tok, "ARRAY2");
  const double j = pop(), i = pop();
  const std::vector<double>& values = second ? a.second : a.values;
  const size_t nx = static_cast<size_t>(std::max(a.nx, 0));
  const size_t rows =
      nx > 0 ? std::min(static_cast<size_t>(std::max(a.ny, 0)), values.size() / nx) : 0;
  size_t ci = 0, cj = 0;
  if (!index_ok(i, nx, "array column", &ci) || !index_ok(j, rows, "array row", &cj)) return false;
  push(values[cj * nx + ci]);
  return true;
}

// While the current level skips, only the conditional words count.
bool Evaluator::conditional_while_skipping(std::string_view tok) {
  MathConditions& c = st_.cond;
  if (tok == "?" || starts(tok, "IF")) {
    emit(Op::kIf);
    c.open(false, true);
  } else if (tok == ":" || starts(tok, "ELS")) {
    emit(Op::kElse);
    c.otherwise();
  } else if (tok == ")" || starts(tok, "END")) {
    emit(Op::kEnd);
    c.close();
  } else {
    no_compile();
  }
  return true;
}

void Evaluator::gmtime_token() {
  double t = pop();
  std::time_t secs = static_cast<std::time_t>(std::llround(std::isfinite(t) ? t : 0.0));
  std::tm tm{};
  if (!gmtime_r(&secs, &tm)) tm = std::tm{};
  Variables& v = env_.vars;
  setvariable(v, "TM_SEC", tm.tm_sec);
  setvariable(v, "TM_MIN", tm.tm_min);
  setvariable(v, "TM_HOUR", tm.tm_hour);
  setvariable(v, "TM_MDAY", tm.tm_mday);
  setvariable(v, "TM_MON", tm.tm_mon);
  setvariable(v, "TM_YEAR", tm.tm_year);
  setvariable(v, "TM_WDAY", tm.tm_wday);
  setvariable(v, "TM_YDAY", tm.tm_yday);
  setvariable(v, "TM_ISDST", tm.tm_isdst);
  push((tm.tm_yday + 1) * 24.0 + tm.tm_hour + tm.tm_min / 60.0 + tm.tm_sec / 3600.0);
  auto set = [&](const char* name, const char* fmt, long value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, fmt, value);
    setcvariable(v, name, buf, env_.err);
  };
  long year = tm.tm_year + 1900L;
  set("YYYY", "%04ld", year);
  set("YY", "%02ld", year % 100);
  set("DDD", "%03ld", tm.tm_yday + 1L);
  set("HH", "%02ld", tm.tm_hour);
  set("MM", "%02ld", tm.tm_min);
  set("MM05", "%02ld", tm.tm_min / 5 * 5L);
  set("MM15", "%02ld", tm.tm_min / 15 * 15L);
  set("MM30", "%02ld", tm.tm_min / 30 * 30L);
  set("SS", "%02ld", tm.tm_sec);
  set("SS15", "%05ld", tm.tm_hour * 3600L + tm.tm_min / 15 * 15 * 60L);
  set("MONTH", "%02ld", tm.tm_mon + 1L);
  setcvariable(v, "MONTH_NAME", kMonthNames[tm.tm_mon >= 0 && tm.tm_mon < 12 ? tm.tm_mon : 0],
               env_.err);
  set("DOM", "%02ld", tm.tm_mday);
}

// Reads the two quoted texts of STRCMP("a","b").
bool quoted_pair(std::string_view tok, std::string_view& a, std::string_view& b) {
  size_t q1 = tok.find('"');
  size_t q2 = q1 == std::string_view::npos ? q1 : tok.find('"', q1 + 1);
  size_t q3 = q2 == std::string_view::npos ? q2 : tok.find('"', q2 + 1);
  size_t q4 = q3 == std::string_view::npos ? q3 : tok.find('"', q3 + 1);
  if (q4 == std::string_view::npos) return false;
  a = tok.substr(q1 + 1, q2 - q1 - 1);
  b = tok.substr(q3 + 1, q4 - q3 - 1);
  return true;
}

// A token is matched against these in order, the first that fits winning:
// a number; C and a digit; the words down to EXPORT; the table of words
// that compile to one opcode (math_ops.cc), which must come after EXPORT
// because its EXP begins that word; the words after it, down to the
// catch-all: any other token beginning with E is e (so EXISTS(FOO), no
// variable form, reads as e); the calendar, store and array words; last a
// variable name without "$".
bool Evaluator::table_token(const MathOp& m) {
  if (m.op == Op::kPush) {  // a constant
    double v = m.fn(0, 0);
    push(v);
    emit(Op::kPush, v);
    return true;
  }
  if (!m.fn) return run(m.op);
  emit(m.op);
  if (!apply_math_op(m, st_, env_.err)) return domain_error(m.text_message);
  return true;
}

bool Evaluator::token(std::string_view tok) {
  if (st_.cond.skipping() && !compile_only_) return conditional_while_skipping(tok);
  CurrentPoint& p = env_.point;
  OutBuffer& err = env_.err;

  // Numbers ("$name" is a variable, below).
  if (tok[0] != '$') {
    bool bad = false;
    OutBuffer quiet;
    double v = valread(tok, &bad, env_.vars, quiet);
    if (!bad) {
      push(v);
      emit(Op::kPush, v);
      return true;
    }
  }
  if (tok[0] == 'C' && tok.size() > 1 && tok[1] >= '0' && tok[1] <= '9') {
    int n = 0;
    for (size_t i = 1; i < tok.size() && tok[i] >= '0' && tok[i] <= '9' && n <= kMaxFields; ++i)
      n = n * 10 + (tok[i] - '0');
    if (n > kMaxFields) return fail("Error: Column specified is out of range.");
    return run(Op::kPushField, n);
  }
  if (starts(tok, "GMTIME")) {
    gmtime_token();
    no_compile();
    return true;
  }
  if (starts(tok, "TIME")) {
    // A reproducible run's fixed time, as DATE and TIME show it.
    const std::optional<std::time_t> fixed = source_date_epoch();
    push(static_cast<double>(fixed ? *fixed : std::time(nullptr)));
    no_compile();
    return true;
  }
  if (tok[0] == '$') {
    std::string_view name = tok.substr(1, std::min(nvar(tok.substr(1)), kNameWidth));
    int i = whichvariable(env_.vars, name, false, false, err);
    if (i == 0) return fail("Error: unknow math stack operator ", tok);
    return run(Op::kPushVariable, i);
  }
  if (starts(tok, "SET($")) {
    std::string_view name = tok.substr(5, std::min(nvar(tok.substr(5)), kNameWidth));
    if (name.empty()) return fail("Error: unknow math stack operator ", tok);
    return run(Op::kPopVariable, whichvariable(env_.vars, name, true, false, err));
  }
  if (starts(tok, "SET(C")) {
    int n = 0;
    for (size_t i = 5; i < tok.size() && tok[i] >= '0' && tok[i] <= '9' && n <= kMaxFields; ++i)
      n = n * 10 + (tok[i] - '0');
    if (n > kMaxFields) return fail("Error: Column specified is out of range.");
    p.fields[static_cast<size_t>(n)] = pop();
    emit(Op::kPush, n);
    emit(Op::kExport);
    return true;
  }
  if (starts(tok, "SET(") && tok.size() >= 5) {
    int n = 0;
    switch (tok[4]) {
      case 'V':
        n = -4;
        break;
      case 'X':
        n = -3;
        break;
      case 'Y':
        n = -2;
        break;
      case 'Z':
        n = -1;
        break;
      default:
        return fail("Error: unknow math stack operator ", tok);
    }
    *field_ref(n) = pop();
    emit(Op::kPush, n);
    emit(Op::kExport);
    return true;
  }
  if (starts(tok, "STRCMP(")) {
    std::string_view a, b;
    push(quoted_pair(tok, a, b) && prefix_match(a, b) ? 1 : 0);
    no_compile();
    return true;
  }
  if (starts(tok, "EXISTS($") || starts(tok, "EXISTS(%")) {
    std::string_view name = tok.substr(8, nvar(tok.substr(8)));
    OutBuffer quiet;
    int i = tok[7] == '$' ? whichvariable(env_.vars, name, false, false, quiet)
                          : whichcvariable(env_.vars, name, false, false, quiet);
    push(i);
    no_compile();
    return true;
  }
  if (starts(tok, "EXPORT")) {
    double n = pop(), v = pop();
    emit(Op::kExport);
    double* target =
        std::fabs(n) <= kMaxFields ? field_ref(static_cast<int>(std::lround(n))) : nullptr;
    if (!target) return fail("Error: Column specified is out of range.");
    *target = v;
    return true;
  }
  if (const MathOp* m = find_math_op(tok)) return table_token(*m);
  if (starts(tok, "MAGEQ")) {
    push(magnetic_equator_lat(pop()));
    if (debug_) err.put(" mageq");
    no_compile();
    return true;
  }

  if (starts(tok, "SKIP")) {
    p.error = 1;
    push(0);
    emit(Op::kPush, 0);
    emit(Op::kPush, 1);
    emit(Op::kErr);
    return true;
  }

  if (starts(tok, "TM")) {
    double col = pop(), row = pop();
    emit(Op::kTm);
    const TmFrame* f = env_.frame;
    double index = (row - 1) * (f ? f->cols : 0) + col;
    size_t size = f ? static_cast<size_t>(f->rows) * static_cast<size_t>(f->cols) : 0;
    size_t i = 0;
    if (!index_ok(index, size, "TMDATA frame", &i)) return false;
    push(f->bytes[i]);
    return true;
  }
  if (tok == "?" || starts(tok, "IF")) {
    double cond = pop();
    emit(Op::kIf);
    st_.cond.open(!compile_only_ && !(cond > 0), false);
    return true;
  }
  if (tok == ":" || starts(tok, "ELS")) {
    emit(Op::kElse);
    if (!compile_only_) st_.cond.otherwise();
    return true;
  }
  if (tok == ")" || starts(tok, "END")) {
    emit(Op::kEnd);
    st_.cond.close();
    return true;
  }

  if (tok[0] == 'E') {
    push(kE);
    emit(Op::kPush, kE);
    return true;
  }
  if (starts(tok, "LEAP")) {
    push(leapyear(single_to_int(pop())));
    no_compile();
    return true;
  }
  if (starts(tok, "DOY")) {
    double day = pop(), month = pop(), year = pop();
    push(jdoy(single_to_int(year), single_to_int(month), single_to_int(day)));
    no_compile();
    return true;
  }
  if (starts(tok, "DOM") || starts(tok, "MON")) {
    double doy = pop(), year = pop();
    int y = single_to_int(year), d = single_to_int(doy);
    push(tok[0] == 'D' ? jdom(y, d) : jmon(y, d));
    no_compile();
    return true;
  }
  struct Accessor {
    const char* a;
    const char* b;
  };
  static constexpr Accessor kColumns[] = {
      {"VECTORX", "XVEC"}, {"VECTORY", "YVEC"}, {"VECTORZ", "ZVEC"}, {"VECTORV", "VVEC"}};
  for (int c = 0; c < 4; ++c) {
    if (!starts(tok, kColumns[c].a) && !starts(tok, kColumns[c].b)) continue;
    size_t i = 0;
    no_compile();
    if (!index_ok(pop(), env_.store.x ? env_.store.n : 0, "point", &i)) return false;
    push(env_.store(c, i));
    return true;
  }
  if (starts(tok, "ARRAY") || starts(tok, "NXAI") || starts(tok, "NYAI") || starts(tok, "NZAI") ||
      tok == "IX" || tok == "IY")
    return array_word(tok);
  if (starts(tok, "DEBUG")) {
    debug_ = true;
    no_compile();
    return true;
  }

  if (starts(tok, "NOCOMP")) {
    no_compile();
    return true;
  }
  size_t n = nvar(tok);
  if (n > 0) {
    int i = whichvariable(env_.vars, tok.substr(0, std::min(n, kNameWidth)), false, false, err);
    if (i > 0) {
      push(gvariable(env_.vars, i));
      no_compile();
      return true;
    }
  }
  return fail("Error: unknow math stack operator ", tok);
}

double Evaluator::run(std::string_view text) {
  c_.entries.clear();
  c_.entries.reserve(kMaxCompiledEntries);
  c_.compiled = env_.compat_level > kNoCompileLevel;
  char buf[kMaxExpression + 1];
  size_t len = std::min(text.size(), kMaxExpression);
  std::memcpy(buf, text.data(), len);
  std::string_view t(buf, len);
  // "|&" separates a name from what follows it; here it is two blanks.
  for (size_t i = 0; i + 1 < len; ++i)
    if (buf[i] == '|' && buf[i + 1] == '&') buf[i] = buf[i + 1] = ' ';
  size_t end = t.find('}');
  if (end == std::string_view::npos) end = nstrng(t);
  env_.point.error = 0;
  st_.cond = MathConditions{};
  st_.count = 0;
  for (size_t i = 0; i < end; ++i)
    if (buf[i] >= 'a' && buf[i] <= 'z') buf[i] = static_cast<char>(buf[i] - 'a' + 'A');
  size_t pos = 0;
  while (pos < end && buf[pos] == ' ') ++pos;
  if (pos < end && buf[pos] == '{') ++pos;

  while (pos < end) {
    while (pos < end && (buf[pos] == ' ' || buf[pos] == '\t')) ++pos;
    if (pos >= end) break;
    size_t stop = pos;
    while (stop < end && buf[stop] != ' ' && buf[stop] != '\t') ++stop;
    std::string_view tok(buf + pos, stop - pos);
    pos = stop;
    if (tok[0] == '(') {
      // "(" only groups.
      if (tok.size() == 1) {
        if (!token("(")) return 0.0;
        continue;
      }
      tok.remove_prefix(1);
    }
    bool closes = tok.size() > 1 && tok.back() == ')';
    if (closes) tok.remove_suffix(1);
    if (!token(tok)) return 0.0;
    if (debug_) {
      env_.err.put(' ');
      env_.err.put(tok);
      env_.err.put(" ->");
      for (int k = 0; k < st_.count; ++k) {
        env_.err.put(' ');
        env_.err.put(free_real(st_.values[static_cast<size_t>(k)]));
      }
      env_.err.put('\n');
    }
    if (closes && !token(")")) return 0.0;
  }
  for (int level = st_.cond.level; level > 0; --level) emit(Op::kEnd);
  return pop();
}

}  // namespace

double stak_math(std::string_view text, MathEnv& env, CompiledMath& compiled, bool compile_only) {
  Evaluator e(env, compiled, compile_only);
  return e.run(text);
}

void math_stack_overflow(MathStacks& st, OutBuffer& err) {
  err.line("Warning: math stack overflow; pushing anyway.");
  for (int i = 1; i < kMathStackSize; ++i)
    st.values[static_cast<size_t>(i - 1)] = st.values[static_cast<size_t>(i)];
  st.count = kMathStackSize - 1;
}

double math_stack_underflow(MathStacks& st, OutBuffer& err) {
  err.line("Error: no entry on math stack to pop.");
  st.count = 0;
  return 0.0;
}

void dump_math_stack(const MathStacks& st, OutBuffer& out) {
  out.put("math stack:");
  for (int i = 0; i < st.count; ++i) {
    out.put(' ');
    out.put(free_real(st.values[static_cast<size_t>(i)]));
  }
  out.put("\nperm stack:");
  for (int i = 0; i < st.saved_count; ++i) {
    out.put(' ');
    out.put(free_real(st.saved[static_cast<size_t>(i)]));
  }
  out.put('\n');
}

void save_math_stack(MathStacks& st, double v) {
  if (st.saved_count >= kMathStackSize) {
    for (int i = 1; i < kMathStackSize; ++i)
      st.saved[static_cast<size_t>(i - 1)] = st.saved[static_cast<size_t>(i)];
    st.saved_count = kMathStackSize - 1;
  }
  st.saved[static_cast<size_t>(st.saved_count++)] = v;
}

double recall_math_stack(MathStacks& st) {
  if (st.saved_count <= 0) return 0.0;
  return st.saved[static_cast<size_t>(--st.saved_count)];
}

int ibit(int32_t value, int bit) {
  if (bit < 0 || bit >= 32) return 0;
  return (static_cast<uint32_t>(value) >> bit) & 1u;
}

float to_single(double value) {
  constexpr double kMax = 3.4028234663852886e38;
  if (value > kMax) return value < 3.4028235677973366e38 ? 3.4028234663852886e38f : INFINITY;
  if (value < -kMax) return value > -3.4028235677973366e38 ? -3.4028234663852886e38f : -INFINITY;
  return static_cast<float>(value);
}

int32_t f2i(double value) {
  float f = to_single(value);
  int32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

int32_t single_to_int(double value) {
  float f = to_single(value);
  if (!(f == f)) return 0;
  if (f >= 2147483647.0f) return INT32_MAX;
  if (f <= -2147483648.0f) return INT32_MIN;
  return static_cast<int32_t>(f);
}

}  // namespace vexal

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

constexpr int kNoCompileLevel = 742479;  // at or below this level nothing compiles
constexpr size_t kMaxExpression = 256;

const char* const kMonthNames[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};

bool starts(std::string_view tok, std::string_view name) {
  return tok.substr(0, name.size()) == name;
}

// The field number written at the front of `digits`, read until it passes 50.
int field_digits(std::string_view digits) {
  int n = 0;
  for (size_t i = 0; i < digits.size() && digits[i] >= '0' && digits[i] <= '9' && n <= kMaxFields;
       ++i)
    n = n * 10 + (digits[i] - '0');
  return n;
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

}  // namespace

bool Evaluator::run(Op opcode, double value) {
  emit(opcode, value);
  c_math({opcode, value}, env_);
  return true;
}

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
bool Evaluator::read_array(std::string_view tok) {
  no_compile();
  static const ArrayGrid kEmpty;
  const ArrayGrid& a = env_.array ? *env_.array : kEmpty;
  if (tok == "IX" || tok == "IY") {
    push(tok == "IX" ? a.ix : a.iy);
    return true;
  }
  if (starts(tok, "NXAI") || starts(tok, "NYAI") || starts(tok, "NZAI")) {
    const double v = pop();
    const AxisId axis = static_cast<AxisId>(tok[1] - 'X');  // NXAI, NYAI, NZAI
    const std::vector<double>& list = coordinate_list(a, axis);
    const int n = coordinate_count(a, axis);
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
  const MathOp* m = find_math_op(tok);
  const Op op = m ? m->op : Op::kNoop;
  if (op == Op::kIf)
    st_.cond.open(LevelRuns::kNothing);
  else if (op == Op::kElse)
    st_.cond.otherwise();
  else if (op == Op::kEnd)
    st_.cond.close();
  else
    return no_compile();
  emit(op);
  return true;
}

bool Evaluator::read_gmtime(std::string_view) {
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
  return no_compile();
}

bool Evaluator::read_time(std::string_view) {
  // A reproducible run's fixed time, as DATE and TIME show it.
  const std::optional<std::time_t> fixed = source_date_epoch();
  push(static_cast<double>(fixed ? *fixed : std::time(nullptr)));
  return no_compile();
}

bool Evaluator::read_variable(std::string_view tok) {
  std::string_view name = tok.substr(1, std::min(nvar(tok.substr(1)), kNameWidth));
  int i = whichvariable(env_.vars, name, IfUnknown::kQuiet, env_.err);
  if (i == 0) return fail("Error: unknow math stack operator ", tok);
  return run(Op::kPushVariable, i);
}

bool Evaluator::read_set(std::string_view tok) {
  if (tok.size() < 5) return read_name(tok);
  if (tok[4] == '$') {
    std::string_view name = tok.substr(5, std::min(nvar(tok.substr(5)), kNameWidth));
    if (name.empty()) return fail("Error: unknow math stack operator ", tok);
    return run(Op::kPopVariable, whichvariable(env_.vars, name, IfUnknown::kCreate, env_.err));
  }
  long n = 0;
  if (tok[4] == 'C') {
    n = field_digits(tok.substr(5));
    if (n > kMaxFields) return fail(kColumnOutOfRange);
  } else {
    size_t slot = std::string_view("VXYZ").find(tok[4]);  // V .. Z are fields -4 .. -1
    if (slot == std::string_view::npos) return fail("Error: unknow math stack operator ", tok);
    n = static_cast<long>(slot) - 4;
  }
  *point_field(env_.point, n) = pop();
  emit(Op::kPush, static_cast<double>(n));
  emit(Op::kExport);
  return true;
}

bool Evaluator::read_strcmp(std::string_view tok) {
  std::string_view a, b;
  push(quoted_pair(tok, a, b) && prefix_match(a, b) ? 1 : 0);
  return no_compile();
}

bool Evaluator::read_exists(std::string_view tok) {
  std::string_view name = tok.substr(8, nvar(tok.substr(8)));
  OutBuffer quiet;
  int i = tok[7] == '$' ? whichvariable(env_.vars, name, IfUnknown::kQuiet, quiet)
                        : whichcvariable(env_.vars, name, IfUnknown::kQuiet, quiet);
  push(i);
  return no_compile();
}

bool Evaluator::read_export(std::string_view) {
  double n = pop(), v = pop();
  emit(Op::kExport);
  double* target = point_field(env_.point, n);
  if (!target) return fail(kColumnOutOfRange);
  *target = v;
  return true;
}

bool Evaluator::read_mageq(std::string_view) {
  push(magnetic_equator_lat(pop()));
  if (debug_) env_.err.put(" mageq");
  return no_compile();
}

bool Evaluator::read_skip(std::string_view) {
  env_.point.error = 1;
  push(0);
  emit(Op::kPush, 0);
  emit(Op::kPush, 1);
  emit(Op::kErr);
  return true;
}

bool Evaluator::read_tm(std::string_view) {
  double col = pop(), row = pop();
  emit(Op::kTm);
  double index = tm_index(env_.frame, row, col);
  const uint8_t* byte = tm_byte(env_.frame, index);
  if (!byte) return fail("Error: TMDATA frame index out of range: ", free_real(index));
  push(*byte);
  return true;
}

bool Evaluator::read_if(std::string_view) {
  double cond = pop();
  emit(Op::kIf);
  st_.cond.open(compile_only_ || cond > 0 ? LevelRuns::kTruePart : LevelRuns::kElsePart);
  return true;
}

bool Evaluator::read_else(std::string_view) {
  emit(Op::kElse);
  if (!compile_only_) st_.cond.otherwise();
  return true;
}

bool Evaluator::read_leap(std::string_view) {
  push(leapyear(single_to_int(pop())));
  return no_compile();
}

bool Evaluator::read_doy(std::string_view) {
  double day = pop(), month = pop(), year = pop();
  push(jdoy(single_to_int(year), single_to_int(month), single_to_int(day)));
  return no_compile();
}

bool Evaluator::read_dom_mon(std::string_view tok) {
  double doy = pop(), year = pop();
  int y = single_to_int(year), d = single_to_int(doy);
  push(tok[0] == 'D' ? jdom(y, d) : jmon(y, d));
  return no_compile();
}

bool Evaluator::read_vector(std::string_view tok) {
  // The column's letter ends VECTORX .. VECTORV and begins XVEC .. VVEC.
  const int column =
      static_cast<int>(std::string_view("XYZV").find(tok[starts(tok, "VECTOR") ? 6 : 0]));
  size_t i = 0;
  no_compile();
  if (!index_ok(pop(), env_.store.x ? env_.store.n : 0, "point", &i)) return false;
  push(env_.store(column, i));
  return true;
}

bool Evaluator::read_debug(std::string_view) {
  debug_ = true;
  return no_compile();
}

bool Evaluator::read_nocomp(std::string_view) { return no_compile(); }

bool Evaluator::read_name(std::string_view tok) {
  size_t n = nvar(tok);
  if (n > 0) {
    int i = whichvariable(env_.vars, tok.substr(0, std::min(n, kNameWidth)), IfUnknown::kQuiet,
                          env_.err);
    if (i > 0) {
      push(gvariable(env_.vars, i));
      return no_compile();
    }
  }
  return fail("Error: unknow math stack operator ", tok);
}

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

// A token is read as the first of these that fits: a number; Cn, field n of
// the record; a word of math_ops.cc; a numeric variable's name without "$".
// While the current conditional level skips, only its words count.
bool Evaluator::token(std::string_view tok) {
  if (st_.cond.skipping() && !compile_only_) return conditional_while_skipping(tok);
  // Numbers ("$name" is a variable word).
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
    int n = field_digits(tok.substr(1));
    if (n > kMaxFields) return fail(kColumnOutOfRange);
    return run(Op::kPushField, n);
  }
  if (const MathOp* m = find_math_op(tok)) return m->read ? (this->*m->read)(tok) : table_token(*m);
  return read_name(tok);
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

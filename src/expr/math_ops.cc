// The table of the words of the expression language, and the lookups the
// evaluator, the executor and MATH lines make in it.
#include "expr/math_ops.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vexal {

namespace {

// Single-precision pi, widened, as the language defines it.
constexpr double kPi = 3.1415927410125732;
constexpr double kE = 2.718281828459045;

bool truth(double v) { return v > 0; }
long long as_int(double v) { return std::isfinite(v) && std::fabs(v) < 9e18 ? std::llround(v) : 0; }

// A word the evaluator reads itself; `op` is the one opcode it compiles to, if one.
constexpr MathOp reader(std::string_view words, std::string_view symbols,
                        bool (Evaluator::*read)(std::string_view), Op op = Op::kNoop) {
  MathOp m{words, symbols, "", op, 0};
  m.read = read;
  return m;
}

// A token finds its row by the longest name, so the order of the rows does not
// matter to the evaluator. A MATH line takes the first row whose function name
// it holds: the rows with one come first, in the order MATH looks for them
// (ARCSIN and ARCCOS before SIN and COS, whose names they hold).
constexpr MathOp kMathOps[] = {
    {"MUL", "*", "MUL", Op::kMul, 2, [](double a, double b) { return a * b; }},
    {"DIV", "/", "DIV", Op::kDiv, 2, [](double a, double b) { return a / b; },
     [](double, double b) { return b == 0; }, "Error: Division by zero in math stack.",
     "Error: Division by zero", "Invalid math construct: DIVISION BY ZERO"},
    {"ADD", "+", "ADD", Op::kAdd, 2, [](double a, double b) { return a + b; }},
    {"SUB", "-", "SUB", Op::kSub, 2, [](double a, double b) { return a - b; }},
    {"EXP POW", "^ **", "EXP", Op::kPow, 2, [](double a, double b) { return std::pow(a, b); }},
    // MATH lines write ATAN2(y, x).
    {"ATAN2", "", "ATAN2", Op::kAtan2, 2, [](double a, double b) { return std::atan2(b, a); }},
    {"LOG", "", "LOG", Op::kLog, 1, [](double a, double) { return std::log10(a); },
     [](double a, double) { return a <= 0; }, "Error: logarithm of zero or negative number.",
     "Error: logarithm of zero or negative number.", "Invalid math: LOG OF NEGATIVE NUMBER"},
    {"LN", "", "LN", Op::kLn, 1, [](double a, double) { return std::log(a); },
     [](double a, double) { return a <= 0; }, "Error: logarithm of zero or negative number.",
     "Error: logarithm of zero or negative number.", "Invalid math: LOG OF NEGATIVE NUMBER"},
    {"ABS", "", "ABS", Op::kAbs, 1, [](double a, double) { return std::fabs(a); }},
    // A MATH line's square root of a negative number is not a number, without a message.
    {"SQR", "", "SQRT", Op::kSqrt, 1, [](double a, double) { return std::sqrt(a); },
     [](double a, double) { return a < 0; }, "Error: square root of negative number.",
     "Error: square root of negative number."},
    {"ARCSIN", "", "ARCSIN", Op::kArcsin, 1, [](double a, double) { return std::asin(a); }},
    {"ARCCOS", "", "ARCCOS", Op::kArccos, 1, [](double a, double) { return std::acos(a); }},
    {"COS", "", "COS", Op::kCos, 1, [](double a, double) { return std::cos(a); }},
    {"SIN", "", "SIN", Op::kSin, 1, [](double a, double) { return std::sin(a); }},
    {"ARCTAN", "", "ARCTAN", Op::kArctan, 1, [](double a, double) { return std::atan(a); }},
    {"MOD", "%", "MOD", Op::kMod, 2, [](double a, double b) { return std::fmod(a, b); }},
    {"MIN", "", "MIN", Op::kMin, 2, [](double a, double b) { return std::min(a, b); }},
    {"MAX", "", "MAX", Op::kMax, 2, [](double a, double b) { return std::max(a, b); }},
    {"BIT", "", "BIT", Op::kBit, 2,
     [](double a, double b) { return double(ibit(single_to_int(a), single_to_int(b))); }},
    // Range tests, which run through c_math; in MATH lines they test the target's own value.
    {"INC", "", "INC", Op::kInc, 3},
    {"EXC", "", "EXC", Op::kExc, 3},
    {"DTR D2R", "", "", Op::kDegToRad, 1, [](double a, double) { return a * (kPi / 180); }},
    {"RTD R2D", "", "", Op::kRadToDeg, 1, [](double a, double) { return a * (180 / kPi); }},
    {"FTI F2I", "", "", Op::kFti, 1, [](double a, double) { return double(f2i(a)); }},
    {"TAN", "", "", Op::kTan, 1, [](double a, double) { return std::tan(a); }},
    {"INT", "", "", Op::kInt, 1, [](double a, double) { return std::trunc(a); }},
    {"INV", "", "", Op::kInv, 1, [](double a, double) { return 1 / a; },
     [](double a, double) { return a == 0; }, "Error: Reciprocal of zero is undefined.",
     "Error: reciprocal of zero."},
    {"NINT", "", "", Op::kNint, 1, [](double a, double) { return std::round(a); }},
    {"NEG", "", "", Op::kNeg, 1, [](double a, double) { return -a; }},
    {"PI", "", "", Op::kPush, 0, [](double, double) { return kPi; }},
    {"TRUE YES", "T", "", Op::kPush, 0, [](double, double) { return 1.0; }},
    {"FALSE", "F NO", "", Op::kPush, 0, [](double, double) { return 0.0; }},
    // Any token beginning with E that no longer name begins (so EXISTS(FOO), no variable form).
    {"E", "", "", Op::kPush, 0, [](double, double) { return kE; }},
    {"AND", "&&", "", Op::kAnd, 2, [](double a, double b) { return double(truth(a) && truth(b)); }},
    {"IAND", "&", "", Op::kIand, 2,
     [](double a, double b) { return double(as_int(a) & as_int(b)); }},
    {"OR", "||", "", Op::kOr, 2, [](double a, double b) { return double(truth(a) || truth(b)); }},
    {"IOR", "|", "", Op::kIor, 2, [](double a, double b) { return double(as_int(a) | as_int(b)); }},
    {"XOR", "", "", Op::kXor, 2, [](double a, double b) { return double(truth(a) != truth(b)); }},
    {"NOT", "!", "", Op::kNot, 1, [](double a, double) { return double(a <= 0); }},
    // GE, GT, LE, LT and NE only as the whole token: LEAP, NEG and variables begin with them.
    {"", "GE >=", "", Op::kGe, 2, [](double a, double b) { return double(a >= b); }},
    {"", "GT >", "", Op::kGt, 2, [](double a, double b) { return double(a > b); }},
    {"", "LE <=", "", Op::kLe, 2, [](double a, double b) { return double(a <= b); }},
    {"", "LT <", "", Op::kLt, 2, [](double a, double b) { return double(a < b); }},
    {"EQ", "==", "", Op::kEq, 2, [](double a, double b) { return double(a == b); }},
    {"", "NE <>", "", Op::kNe, 2, [](double a, double b) { return double(a != b); }},
    // Words that do from text what c_math does with their opcode.
    {"", "X", "", Op::kPushX, 0},
    {"", "Y", "", Op::kPushY, 0},
    {"", "Z", "", Op::kPushZ, 0},
    {"", "V", "", Op::kPushV, 0},
    {"MKTIME", "", "", Op::kMktime, 5},
    {"ERR", "", "", Op::kErr, 1},
    {"POP", "", "", Op::kPop, 1},
    {"DUP", "", "", Op::kDup, 1},
    {"FLIP", "", "", Op::kFlip, 2},
    {"SAV", "", "", Op::kSave, 1},
    {"REC", "", "", Op::kRecall, 0},
    {"DUMP", "", "", Op::kDump, 0},
    {"NOOP", "(", "", Op::kNoop, 0},
    {"END", ")", "", Op::kEnd, 0},
    // Words the evaluator reads itself.
    reader("IF", "?", &Evaluator::read_if, Op::kIf),
    reader("ELS", ":", &Evaluator::read_else, Op::kElse),
    reader("$", "", &Evaluator::read_variable, Op::kPushVariable),
    reader("SET(", "", &Evaluator::read_set),
    reader("EXPORT", "", &Evaluator::read_export, Op::kExport),
    reader("TM", "", &Evaluator::read_tm, Op::kTm),
    reader("SKIP", "", &Evaluator::read_skip),
    reader("GMTIME", "", &Evaluator::read_gmtime),
    reader("TIME", "", &Evaluator::read_time),
    reader("LEAP", "", &Evaluator::read_leap),
    reader("DOY", "", &Evaluator::read_doy),
    reader("DOM MON", "", &Evaluator::read_dom_mon),
    reader("STRCMP(", "", &Evaluator::read_strcmp),
    reader("EXISTS($ EXISTS(%", "", &Evaluator::read_exists),
    reader("MAGEQ", "", &Evaluator::read_mageq),
    reader("VECTORX VECTORY VECTORZ VECTORV XVEC YVEC ZVEC VVEC", "", &Evaluator::read_vector),
    reader("ARRAY ARRAY2 ARRAYX ARRAYY ARRAYZ ARRAYDX ARRAYDY NXAI NYAI NZAI", "IX IY",
           &Evaluator::read_array),
    reader("DEBUG", "", &Evaluator::read_debug),
    reader("NOCOMP", "", &Evaluator::read_nocomp),
};

// A name of a row: a word, or a symbol that only the whole token matches.
struct Name {
  std::string_view text;
  bool whole;
  const MathOp* row;
};

// Every name of every row, by first character and, within one, longest first,
// so that the first name that fits a token is the longest (built once).
const std::vector<Name>& names() {
  static const std::vector<Name> kNames = [] {
    std::vector<Name> v;
    for (const MathOp& m : kMathOps) {
      for (bool whole : {false, true}) {
        std::string_view list = whole ? m.symbols : m.words;
        for (size_t at = 0, end; at < list.size(); at = end + 1) {
          end = std::min(list.find(' ', at), list.size());
          v.push_back({list.substr(at, end - at), whole, &m});
        }
      }
    }
    std::sort(v.begin(), v.end(), [](const Name& a, const Name& b) {
      return a.text[0] != b.text[0] ? a.text[0] < b.text[0] : a.text.size() > b.text.size();
    });
    return v;
  }();
  return kNames;
}

}  // namespace

std::span<const MathOp> math_ops() { return kMathOps; }

const MathOp* find_math_op(std::string_view token) {
  if (token.empty()) return nullptr;
  const std::vector<Name>& v = names();
  auto it = std::lower_bound(v.begin(), v.end(), token[0],
                             [](const Name& n, char first) { return n.text[0] < first; });
  for (; it != v.end() && it->text[0] == token[0]; ++it)
    if (it->whole ? token == it->text : token.starts_with(it->text)) return it->row;
  return nullptr;
}

const MathOp* find_math_function(std::string_view part) {
  for (const MathOp& m : kMathOps)
    if (!m.function.empty() && part.find(m.function) != std::string_view::npos) return &m;
  return nullptr;
}

// Two rows for one opcode fail to compile.
constexpr MathOpRows kMathOpOfOpcode = [] {
  MathOpRows rows{};
  for (const MathOp& m : kMathOps) {
    if (!m.fn || m.op == Op::kPush) continue;
    const MathOp*& row = rows[static_cast<size_t>(m.op)];
    if (row) throw "two rows for one opcode";
    row = &m;
  }
  return rows;
}();

}  // namespace vexal

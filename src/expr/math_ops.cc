// The table of the words that compile to one opcode, and the lookups the
// evaluator and the executor make in it.
#include "expr/math_ops.h"

#include <cmath>

namespace vexal {

namespace {

// Single-precision pi, widened, as the language defines it.
constexpr double kPi = 3.1415927410125732;

bool truth(double v) { return v > 0; }
long long as_int(double v) { return std::isfinite(v) && std::fabs(v) < 9e18 ? std::llround(v) : 0; }

// Matched in this order; the evaluator tries EXPORT before this table (EXP
// begins it) and reads any other token beginning with E as e after it.
constexpr MathOp kMathOps[] = {
    {"ADD", "+", Op::kAdd, 2, [](double a, double b) { return a + b; }},
    {"SUB", "-", Op::kSub, 2, [](double a, double b) { return a - b; }},
    {"MUL", "*", Op::kMul, 2, [](double a, double b) { return a * b; }},
    {"DIV", "/", Op::kDiv, 2, [](double a, double b) { return a / b; },
     [](double, double b) { return b == 0; }, "Error: Division by zero in math stack.",
     "Error: Division by zero"},
    {"EXP POW", "^ **", Op::kPow, 2, [](double a, double b) { return std::pow(a, b); }},
    {"MOD", "%", Op::kMod, 2, [](double a, double b) { return std::fmod(a, b); }},
    {"MIN", "", Op::kMin, 2, [](double a, double b) { return std::min(a, b); }},
    {"MAX", "", Op::kMax, 2, [](double a, double b) { return std::max(a, b); }},
    {"BIT", "", Op::kBit, 2,
     [](double a, double b) { return double(ibit(single_to_int(a), single_to_int(b))); }},
    {"ABS", "", Op::kAbs, 1, [](double a, double) { return std::fabs(a); }},
    {"SQR", "", Op::kSqrt, 1, [](double a, double) { return std::sqrt(a); },
     [](double a, double) { return a < 0; }, "Error: square root of negative number.",
     "Error: square root of negative number."},
    {"DTR D2R", "", Op::kDegToRad, 1, [](double a, double) { return a * (kPi / 180); }},
    {"RTD R2D", "", Op::kRadToDeg, 1, [](double a, double) { return a * (180 / kPi); }},
    {"FTI F2I", "", Op::kFti, 1, [](double a, double) { return double(f2i(a)); }},
    {"COS", "", Op::kCos, 1, [](double a, double) { return std::cos(a); }},
    {"SIN", "", Op::kSin, 1, [](double a, double) { return std::sin(a); }},
    {"TAN", "", Op::kTan, 1, [](double a, double) { return std::tan(a); }},
    {"ARCTAN", "", Op::kArctan, 1, [](double a, double) { return std::atan(a); }},
    {"ARCCOS", "", Op::kArccos, 1, [](double a, double) { return std::acos(a); }},
    {"ARCSIN", "", Op::kArcsin, 1, [](double a, double) { return std::asin(a); }},
    {"ATAN2", "", Op::kAtan2, 2, [](double a, double b) { return std::atan2(b, a); }},
    {"LOG", "", Op::kLog, 1, [](double a, double) { return std::log10(a); },
     [](double a, double) { return a <= 0; }, "Error: logarithm of zero or negative number.",
     "Error: logarithm of zero or negative number."},
    {"LN", "", Op::kLn, 1, [](double a, double) { return std::log(a); },
     [](double a, double) { return a <= 0; }, "Error: logarithm of zero or negative number.",
     "Error: logarithm of zero or negative number."},
    {"INT", "", Op::kInt, 1, [](double a, double) { return std::trunc(a); }},
    {"INV", "", Op::kInv, 1, [](double a, double) { return 1 / a; },
     [](double a, double) { return a == 0; }, "Error: Reciprocal of zero is undefined.",
     "Error: reciprocal of zero."},
    {"NINT", "", Op::kNint, 1, [](double a, double) { return std::round(a); }},
    {"NEG", "", Op::kNeg, 1, [](double a, double) { return -a; }},
    {"PI", "", Op::kPush, 0, [](double, double) { return kPi; }},
    {"TRUE YES", "T", Op::kPush, 0, [](double, double) { return 1.0; }},
    {"FALSE", "F NO", Op::kPush, 0, [](double, double) { return 0.0; }},
    {"AND", "&&", Op::kAnd, 2, [](double a, double b) { return double(truth(a) && truth(b)); }},
    {"IAND", "&", Op::kIand, 2, [](double a, double b) { return double(as_int(a) & as_int(b)); }},
    {"OR", "||", Op::kOr, 2, [](double a, double b) { return double(truth(a) || truth(b)); }},
    {"IOR", "|", Op::kIor, 2, [](double a, double b) { return double(as_int(a) | as_int(b)); }},
    {"XOR", "", Op::kXor, 2, [](double a, double b) { return double(truth(a) != truth(b)); }},
    {"NOT", "!", Op::kNot, 1, [](double a, double) { return double(a <= 0); }},
    // GE, GT, LE, LT and NE only as the whole token: LEAP and NEG begin with LE and NE.
    {"", "GE >=", Op::kGe, 2, [](double a, double b) { return double(a >= b); }},
    {"", "GT >", Op::kGt, 2, [](double a, double b) { return double(a > b); }},
    {"", "LE <=", Op::kLe, 2, [](double a, double b) { return double(a <= b); }},
    {"", "LT <", Op::kLt, 2, [](double a, double b) { return double(a < b); }},
    {"EQ", "==", Op::kEq, 2, [](double a, double b) { return double(a == b); }},
    {"", "NE <>", Op::kNe, 2, [](double a, double b) { return double(a != b); }},
    // Words that do from text what c_math does with their opcode.
    {"", "X", Op::kPushX, 0},
    {"", "Y", Op::kPushY, 0},
    {"", "Z", Op::kPushZ, 0},
    {"", "V", Op::kPushV, 0},
    {"MKTIME", "", Op::kMktime, 5},
    {"ERR", "", Op::kErr, 1},
    {"POP", "", Op::kPop, 1},
    {"DUP", "", Op::kDup, 1},
    {"FLIP", "", Op::kFlip, 2},
    {"INC", "", Op::kInc, 3},
    {"EXC", "", Op::kExc, 3},
    {"SAV", "", Op::kSave, 1},
    {"REC", "", Op::kRecall, 0},
    {"DUMP", "", Op::kDump, 0},
    {"NOOP", "(", Op::kNoop, 0},
};

// True when `token` is one of the blank-separated `names`: the whole token,
// or (`prefix`) its beginning.
bool names_match(std::string_view names, std::string_view token, bool prefix) {
  while (!names.empty()) {
    size_t end = names.find(' ');
    std::string_view name = names.substr(0, end);
    if (prefix ? token.starts_with(name) : token == name) return true;
    names.remove_prefix(end == std::string_view::npos ? names.size() : end + 1);
  }
  return false;
}

}  // namespace

std::span<const MathOp> math_ops() { return kMathOps; }

const MathOp* find_math_op(std::string_view token) {
  for (const MathOp& m : kMathOps)
    if (names_match(m.words, token, true) || names_match(m.symbols, token, false)) return &m;
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

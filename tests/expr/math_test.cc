// The functional-syntax interpreter and the math command list: values,
// targets, messages, compiled forms, and compiled and interpreted runs agreeing.
#include "expr/math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "expr/math_list.h"

namespace vexal {
namespace {

constexpr double kHalfPi = 1.5707963267948966;

class MathTest : public ::testing::Test {
 protected:
  MathTest() : err(&err_text), out(&out_text), env{vars, err, out, point, stacks} {}

  double run(const std::string& text) { return math(text, env, scratch); }
  double var(const char* name) {
    bool error = false;
    return getvariable(vars, name, &error, false, err);
  }
  std::string messages() {
    err.flush();
    std::string t = err_text;
    err_text.clear();
    return t;
  }
  void set_point(double x, double y, double z = 0, double v = 0) {
    point.x = x;
    point.y = y;
    point.z = z;
    point.v = v;
  }

  Variables vars;
  std::string err_text, out_text;
  OutBuffer err, out;
  CurrentPoint point;
  MathStacks stacks;
  CompiledMath scratch;
  MathEnv env;
};

TEST_F(MathTest, FunctionsAndOperandsIntoAVariable) {
  setvariable(vars, "B", 2);
  set_point(4, -2);
  point.fields[3] = 7;
  struct Case {
    const char* text;
    double want;
  };
  const Case kCases[] = {
      {"$A = ADD(1, 2)", 3},
      {"$a=add(1,2)", 3},
      {"$A = SUB(10, 4)", 6},
      {"$A = MUL(3, 4)", 12},
      {"$A = DIV(1, 4)", 0.25},
      {"$A = EXP(2, 10)", 1024},
      {"$A = ATAN2(1, 0)", kHalfPi},
      {"$A = LOG(100)", 2},
      {"$A = LN(1)", 0},
      {"$A = ABS(-3)", 3},
      {"$A = SQRT(16)", 4},
      {"$A = ARCSIN(1)", kHalfPi},
      {"$A = ARCCOS(1)", 0},
      {"$A = COS(0)", 1},
      {"$A = SIN(0)", 0},
      {"$A = ARCTAN(1)", kHalfPi / 2},
      {"$A = MOD(-7, 3)", -1},
      {"$A = MIN(3, 5)", 3},
      {"$A = MAX(3, 5)", 5},
      {"$A = BIT(5, 2)", 1},
      {"$A = BIT(5, 1)", 0},
      {"$A = BIT(5, 40)", 0},
      {"$A = 5", 5},
      {"$A = {2 3 *}", 6},
      {"$A = ADD({2 3 *}, 1)", 7},
      {"$A = ADD($B, C3)", 9},
      {"$A = ADD(X, Y)", 2},
      {"$A = MUL(Z, V)", 0},
      {"$A = 12:30", 12.5},
      {"$A = ADD(  1 ,   2  )", 3},
      // The function name may stand anywhere before the "(".
      {"$A = MYLOG(100)", 2},
      // Of two names, the one MATH looks for first applies.
      {"$A = SUBADD(5, 2)", 7},
      {"$A = SINCOS(0)", 1},
      {"$A = LNLOG(100)", 2},
      // ... but not in the target's name.
      {"$COSTH = SIN(0)", 0},
      // Without a first operand the first is 0.
      {"$A = SUB(5)", -5},
      // A "(" or ")" inside braces is the expression's own.
      {"$A = {2 DUP SET(X) 1 +}", 3},
  };
  for (const Case& c : kCases) {
    set_point(4, -2);
    std::string target = c.text[1] == 'C' ? "COSTH" : "A";
    EXPECT_NEAR(run(c.text), c.want, 1e-15) << c.text;
    EXPECT_NEAR(var(target.c_str()), c.want, 1e-15) << c.text;
    EXPECT_EQ(point.error, 0) << c.text;
  }
  EXPECT_EQ(messages(), "");
}

TEST_F(MathTest, TargetsOfThePoint) {
  point.fields[1] = 2;
  point.fields[2] = 5;
  set_point(3, 4, 5, 6);
  run("X = MUL(X, 2)");
  run("Y = {Y 10 *}");
  run("Z = ADD(Z, 1)");
  run("V = 7");
  run("C3 = ADD(C1, C2)");
  run("C50 = 1");
  EXPECT_EQ(point.x, 6);
  EXPECT_EQ(point.y, 40);
  EXPECT_EQ(point.z, 6);
  EXPECT_EQ(point.v, 7);
  EXPECT_EQ(point.fields[3], 7);
  EXPECT_EQ(point.fields[50], 1);
  EXPECT_EQ(messages(), "");

  // Any other first letter computes and stores nowhere.
  CurrentPoint before = point;
  EXPECT_EQ(run("Q = 5"), 5);
  EXPECT_EQ(run("Q = ADD(X, 1)"), 7);
  EXPECT_EQ(point.error, 0);
  EXPECT_EQ(point.x, before.x);
  EXPECT_EQ(point.y, before.y);
  EXPECT_EQ(point.fields, before.fields);
  EXPECT_EQ(messages(), "");
}

TEST_F(MathTest, FailuresGiveTheirMessageAndRejectThePoint) {
  struct Case {
    const char* text;
    const char* message;
    double x;  // X afterwards (X starts at -1)
  };
  const Case kCases[] = {
      {"X = DIV(1, 0)", "Invalid math construct: DIVISION BY ZERO\n", 0},
      {"X = LOG(X)", "Invalid math: LOG OF NEGATIVE NUMBER\n", 0},
      {"X = LN(0)", "Invalid math: LOG OF NEGATIVE NUMBER\n", 0},
      {"X = FOO(1)", "Unknown math command syntax: X = FOO(1)           0\n", -1},
      // EXC is not a range test of Z: the message gives where EXC stands.
      {"Z = EXC(0, 1)", "Unknown math command syntax: Z = EXC(0, 1)           5\n", -1},
      {"C2 = INC(0, 1)", "Unknown math command syntax: C2 = INC(0, 1)           0\n", -1},
      {"X = NEG", " A parameter was missing or invalid: X = NEG\n", 0},
      {"X", "Unknown math command syntax: X           0\n", -1},
      {"X = ADD(FOO, 1)", " A parameter was missing or invalid: X = ADD(FOO, 1)\n", 1},
      {"C51 = 1", "Error: Column specified is out of range.\n", -1},
      {"X = ADD(C99, 1)", "Error: Column specified is out of range.\n", 1},
      // A failing braced operand still rejects when a later operand is good.
      {"X = ADD({1 0 /}, 2)", "Error: Division by zero in math stack.\n", 2},
  };
  for (const Case& c : kCases) {
    set_point(-1, 0);
    run(c.text);
    EXPECT_EQ(messages(), c.message) << c.text;
    EXPECT_EQ(point.error, 1) << c.text;
    EXPECT_EQ(point.x, c.x) << c.text;
  }
  // The flag is cleared by the next command.
  run("X = 1");
  EXPECT_EQ(point.error, 0);
  // A square root of a negative number is not a number, without a message.
  run("X = SQRT(-1)");
  EXPECT_TRUE(std::isnan(point.x));
  EXPECT_EQ(point.error, 0);
  EXPECT_EQ(messages(), "");
}

TEST_F(MathTest, IncAndExcTestTheTargetsOwnValue) {
  struct Case {
    const char* text;
    double before;
    bool rejected;
  };
  const Case kCases[] = {
      {"X = INC(0, 10)", 5, false}, {"X = INC(0, 10)", 0, false},   {"X = INC(0, 10)", 10, false},
      {"X = INC(0, 10)", -1, true}, {"X = INC(0, 10)", 10.5, true}, {"Y = INC(0, 10)", 11, true},
      {"Z = INC(0, 10)", 11, true}, {"V = INC(0, 10)", 3, false},   {"X = EXC(0, 10)", 5, true},
      {"X = EXC(0, 10)", 0, true},  {"X = EXC(0, 10)", 11, false},  {"Y = EXC(0, 10)", -3, false},
      {"V = EXC(0, 10)", 3, true},
  };
  for (const Case& c : kCases) {
    set_point(c.before, c.before, c.before, c.before);
    run(c.text);
    double after = c.text[0] == 'X'   ? point.x
                   : c.text[0] == 'Y' ? point.y
                   : c.text[0] == 'Z' ? point.z
                                      : point.v;
    EXPECT_EQ(point.error, c.rejected ? 1 : 0) << c.text << " " << c.before;
    EXPECT_EQ(after, c.rejected ? kRangeRejected : c.before) << c.text << " " << c.before;
  }
  EXPECT_EQ(messages(), "");
}

// An expression of `n` compiled entries: X then (n - 1) / 2 times "1 +".
std::string long_expression(int n) {
  std::string t = "X = {X";
  for (int i = 1; i < n; i += 2) t += " 1 +";
  return t + "}";
}

TEST_F(MathTest, CompilingACommand) {
  struct Case {
    std::string text;
    bool compiled;
    std::vector<std::pair<int, double>> entries;
  };
  const Case kCases[] = {
      {"X = {X 2 *}", true, {{7, 0}, {1, 2}, {5, 0}, {12, 0}}},
      {"Y = {Y 2 *}", true, {{8, 0}, {1, 2}, {5, 0}, {13, 0}}},
      {"Z = {1}", true, {{1, 1}, {14, 0}}},
      {"V = {1}", true, {{1, 1}, {15, 0}}},
      {"C3 = {C1 C2 +}", true, {{11, 1}, {11, 2}, {3, 0}, {16, 3}}},
      // No target entry: the expression's own SET stores.
      {"Q = {5 SET(X)}", true, {{1, 5}, {1, -3}, {44, 0}, {903, 0}}},
      {"C3 {1}", true, {{1, 1}}},
      {"X = LOG(X)", false, {}},
      {"X = {X TIME +}", false, {}},
      {"X = {X", false, {}},
      {"X = } {X", false, {}},
      {"C51 = {1}", false, {}},
      {long_expression(49), true, {}},
      {long_expression(51), false, {}},
  };
  for (const Case& c : kCases) {
    CompiledMath m = compile_math_command(c.text, env);
    EXPECT_EQ(m.compiled, c.compiled) << c.text;
    if (!c.entries.empty()) {
      std::vector<std::pair<int, double>> got;
      for (const MathEntry& e : m.entries) got.emplace_back(static_cast<int>(e.opcode), e.value);
      EXPECT_EQ(got, c.entries) << c.text;
    }
  }
  // 49 entries and the store into X fill all 50.
  EXPECT_EQ(compile_math_command(long_expression(49), env).entries.size(), 50u);
  // At or below the level 742479 nothing compiles.
  env.compat_level = 742479;
  EXPECT_FALSE(compile_math_command("X = {X 2 *}", env).compiled);
}

TEST_F(MathTest, CompiledAndInterpretedRunsAgree) {
  MathList list;
  const std::string kCommands[] = {
      "Y = {Y 0 > ? Y : SKIP )}",  "X = {X 2 * 1 +}",   "C3 = {C1 C2 +}",
      "Z = {X 0 > ? X LOG : 0 )}", long_expression(51),
  };
  for (const std::string& text : kCommands) ASSERT_TRUE(add_math_command(list, text, env));
  ASSERT_FALSE(list.commands.back().compiled.compiled);  // 51 entries: runs from its text
  MathList interpreted = list;
  for (MathCommand& c : interpreted.commands) c.compiled.compiled = false;

  for (double y : {-2.0, 0.0, 0.5, 3.0}) {
    for (double x : {-1.0, 2.0, 100.0}) {
      double got[2][5];
      bool kept[2];
      for (int pass = 0; pass < 2; ++pass) {
        set_point(x, y);
        point.fields[1] = x;
        point.fields[2] = y;
        kept[pass] = run_math_commands(pass == 0 ? list : interpreted, env);
        double row[5] = {point.x, point.y, point.z, point.v, point.fields[3]};
        std::copy(row, row + 5, got[pass]);
      }
      EXPECT_EQ(kept[0], y > 0) << x << " " << y;
      EXPECT_EQ(kept[1], kept[0]) << x << " " << y;
      if (!kept[0]) continue;
      for (int i = 0; i < 5; ++i)
        EXPECT_DOUBLE_EQ(got[1][i], got[0][i]) << x << " " << y << " " << i;
      // 2x + 1, then 25 more.
      EXPECT_EQ(got[0][0], 2 * x + 1 + 25);
    }
  }
  EXPECT_EQ(messages(), "");
}

TEST_F(MathTest, TheFirstRejectingCommandStopsThePoint) {
  MathList list;
  add_math_command(list, "Y = LOG(Y)", env);
  add_math_command(list, "X = LOG(X)", env);
  set_point(-1, -1);
  EXPECT_FALSE(run_math_commands(list, env));
  EXPECT_EQ(messages(), "Invalid math: LOG OF NEGATIVE NUMBER\n");
  EXPECT_EQ(point.x, -1);
  set_point(10, 100);
  EXPECT_TRUE(run_math_commands(list, env));
  EXPECT_EQ(point.x, 1);
  EXPECT_EQ(point.y, 2);
}

}  // namespace
}  // namespace vexal

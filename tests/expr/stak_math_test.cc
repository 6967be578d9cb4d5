// The expression evaluator and the executor of its compiled form: values,
// messages, the compiled entries, and interpreted and compiled runs agreeing.
#include "expr/stak_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "expr/cmath.h"

namespace vexal {
namespace {

class StakMathTest : public ::testing::Test {
 protected:
  StakMathTest() : err(&err_text), out(&out_text), env{vars, err, out, point, stacks} {}

  double eval(const std::string& text, bool compile_only = false) {
    return stak_math(text, env, compiled, compile_only);
  }
  std::string messages() {
    err.flush();
    std::string t = err_text;
    err_text.clear();
    return t;
  }

  Variables vars;
  std::string err_text, out_text;
  OutBuffer err, out;
  CurrentPoint point;
  MathStacks stacks;
  CompiledMath compiled;
  MathEnv env;
};

TEST_F(StakMathTest, ValuesOfExpressions) {
  setvariable(vars, "A", 2.5);
  point.x = 4;
  point.y = -2;
  point.fields[3] = 7;
  struct Case {
    const char* text;
    double want;
  };
  const Case kCases[] = {
      {"{2 3 -}", -1},
      {"{2 3 /}", 2.0 / 3},
      {"{10 3 MOD}", 1},
      {"{-7 3 %}", -1},
      {"{X1F}", 31},
      {"{1/12:30}", 36.5},
      {"{2 3 add}", 5},
      {"{2 3 ** }", 8},
      {"{2 10 pow}", 1024},
      {"{$a 2 *}", 5},
      {"{a 2 *}", 5},
      {"{x y +}", 2},
      {"{c3 1 +}", 8},
      {"{16 sqrt}", 4},
      {"{100 log}", 2},
      {"{1 ln}", 0},
      {"{2.5 int}", 2},
      {"{2.5 nint}", 3},
      {"{4 inv}", 0.25},
      {"{3 neg}", -3},
      {"{pi}", 3.1415927410125732},
      {"{e}", 2.718281828459045},
      {"{t}", 1},
      {"{f}", 0},
      {"{no}", 0},
      {"{yes}", 1},
      {"{5 3 flip -}", -2},
      {"{5 dup *}", 25},
      {"{1 2 pop}", 1},
      {"{3 5 min}", 3},
      {"{3 5 max}", 5},
      {"{5 0 bit}", 1},
      {"{5 1 bit}", 0},
      {"{1 0 and}", 0},
      {"{1 0 or}", 1},
      {"{1 1 xor}", 0},
      {"{0 not}", 1},
      {"{6 3 iand}", 2},
      {"{6 3 ior}", 7},
      {"{2 3 >=}", 0},
      {"{2 3 <}", 1},
      {"{2 2 ==}", 1},
      {"{2 3 <>}", 1},
      {"{2 3 ne}", 1},
      {"{3 2 gt}", 1},
      {"{180 dtr}", 3.1415927410125732},
      {"{1 0 atan2}", 0},
      {"{0 1 atan2}", 3.1415926535897931 / 2},
      {"{2000 leap}", 1},
      {"{1900 leap}", 0},
      {"{2024 3 1 doy}", 61},
      {"{2024 61 dom}", 1},
      {"{2024 61 mon}", 3},
      {"{1 F2I}", 1065353216},
      {"{5 sav 6 sav rec rec -}", 1},
      {"{-90 mageq}", -10.817},
      {"{450 mageq}", 8.496},
      {"{1970 1 0 0 0 mktime}", 0},
      {"(2 3 +)", 5},
      {"{2 3 + } 99", 5},
      {"2 3 +", 5},
  };
  for (const Case& c : kCases) {
    EXPECT_NEAR(eval(c.text), c.want, 1e-12) << c.text;
    EXPECT_EQ(point.error, 0) << c.text;
  }
  EXPECT_EQ(messages(), "");
}

TEST_F(StakMathTest, ConditionalsAndTheirCompilation) {
  point.x = 100;
  EXPECT_DOUBLE_EQ(eval("{X 0 > ? X LOG : 0 )}"), 2);
  point.x = -5;
  EXPECT_DOUBLE_EQ(eval("{X 0 > ? X LOG : 0 )}"), 0);
  EXPECT_FALSE(compiled.compiled);  // the skipped tokens stop compilation
  EXPECT_EQ(messages(), "");
  // Compile-only: both branches run and compile; a failing log gives 0.
  eval("{X 0 > ? X LOG : 0 )}", true);
  EXPECT_TRUE(compiled.compiled);
  EXPECT_EQ(messages(), "");
  point.x = 1000;
  cmath(compiled, env);
  EXPECT_DOUBLE_EQ(pop_math_stack(stacks, err), 3);
  point.x = -1;
  cmath(compiled, env);
  EXPECT_DOUBLE_EQ(pop_math_stack(stacks, err), 0);
  EXPECT_EQ(point.error, 0);
  // A nested conditional inside a skipped branch pops nothing.
  eval("{0 ? 1 ? 5 : 6 ) : 7 )}", true);
  ASSERT_TRUE(compiled.compiled);
  cmath(compiled, env);
  EXPECT_EQ(stacks.count, 1);
  EXPECT_DOUBLE_EQ(pop_math_stack(stacks, err), 7);
  EXPECT_DOUBLE_EQ(eval("{0 ? 1 ? 5 : 6 ) : 7 )}"), 7);
  EXPECT_DOUBLE_EQ(eval("{1 ? 0 ? 5 : 6 ) : 7 )}"), 6);
  EXPECT_EQ(messages(), "");
}

TEST_F(StakMathTest, CompiledEntries) {
  eval("{X 2 *}");
  ASSERT_TRUE(compiled.compiled);
  std::vector<std::pair<int, double>> got;
  for (const MathEntry& e : compiled.entries) got.push_back({static_cast<int>(e.opcode), e.value});
  EXPECT_EQ(got, (std::vector<std::pair<int, double>>{{7, 0}, {1, 2}, {5, 0}}));
  eval("{5 SET(X)}");
  got.clear();
  for (const MathEntry& e : compiled.entries) got.push_back({static_cast<int>(e.opcode), e.value});
  EXPECT_EQ(got, (std::vector<std::pair<int, double>>{{1, 5}, {1, -3}, {44, 0}, {903, 0}}));
  EXPECT_EQ(point.x, 5);
  eval("{skip}");
  EXPECT_EQ(point.error, 1);
  EXPECT_EQ(compiled.entries.size(), 3u);
  // More than 50 entries do not compile; the value is still right.
  std::string long_expr = "{0";
  for (int i = 0; i < 30; ++i) long_expr += " 1 +";
  long_expr += "}";
  EXPECT_DOUBLE_EQ(eval(long_expr), 30);
  EXPECT_FALSE(compiled.compiled);
  EXPECT_EQ(compiled.entries.size(), 50u);
  // Old compatibility levels never compile.
  env.compat_level = 742479;
  eval("{X 2 *}");
  EXPECT_FALSE(compiled.compiled);
  // Tokens that read state outside the point are not compiled.
  env.compat_level = 751654;
  for (const char* text : {"{time}", "{2 leap}", "{NOCOMP 1}", "{STRCMP(\"AB\",\"A\")}"}) {
    eval(text);
    EXPECT_FALSE(compiled.compiled) << text;
  }
}

TEST_F(StakMathTest, ErrorsRejectThePointAndReturnZero) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case kCases[] = {
      {"{1 0 /}", "Error: Division by zero in math stack.\n"},
      {"{-1 sqrt}", "Error: square root of negative number.\n"},
      {"{0 log}", "Error: logarithm of zero or negative number.\n"},
      {"{-1 ln}", "Error: logarithm of zero or negative number.\n"},
      {"{0 inv}", "Error: Reciprocal of zero is undefined.\n"},
      {"{1 2 frobnicate}", "Error: unknow math stack operator FROBNICATE\n"},
      {"{5 99 export}", "Error: Column specified is out of range.\n"},
      {"{C51}", "Error: Column specified is out of range.\n"},
      {"{1 vectorx}", "Error: point index out of range: 1.0000000000000000\n"},
      {"{1 2 tm}", "Error: TMDATA frame index out of range: 2.0000000000000000\n"},
      {"{1 1 array}", "Error: array column index out of range: 1.0000000000000000\n"},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(eval(c.text), 0.0) << c.text;
    EXPECT_EQ(point.error, 1) << c.text;
    EXPECT_FALSE(compiled.compiled) << c.text;
    EXPECT_EQ(messages(), c.message) << c.text;
  }
  // The compiled forms report with their own texts and go on.
  eval("{X Y /}", true);
  ASSERT_TRUE(compiled.compiled);
  point.y = 0;
  cmath(compiled, env);
  EXPECT_EQ(point.error, 1);
  EXPECT_EQ(messages(), "Error: Division by zero\n");
}

TEST_F(StakMathTest, StackLimits) {
  std::string many = "{";
  for (int i = 1; i <= 33; ++i) many += std::to_string(i) + " ";
  many += "}";
  EXPECT_EQ(eval(many), 33);
  EXPECT_EQ(messages(), "Warning: math stack overflow; pushing anyway.\n");
  EXPECT_EQ(stacks.count, 31);  // the bottom slot went
  EXPECT_EQ(stacks.values[0], 2);
  EXPECT_EQ(eval("{+}"), 0);
  EXPECT_EQ(messages(),
            "Error: no entry on math stack to pop.\nError: no entry on math stack to pop.\n");
  EXPECT_EQ(point.error, 0);  // underflow only warns
}

TEST_F(StakMathTest, RangeTestsKeepTheValue) {
  EXPECT_EQ(eval("{5 1 10 INC}"), 5);
  EXPECT_EQ(point.error, 0);
  EXPECT_EQ(eval("{5 1 10 EXC}"), 5);
  EXPECT_EQ(point.error, 1);
}

TEST_F(StakMathTest, VariablesAndFields) {
  EXPECT_EQ(eval("{7 SET($new_var)}"), 0);
  EXPECT_EQ(messages(), "Error: no entry on math stack to pop.\n");
  bool error = false;
  EXPECT_EQ(getvariable(vars, "NEW_VAR", &error, false, err), 7);
  EXPECT_EQ(eval("{EXISTS($new_var)}"), 2);
  EXPECT_EQ(eval("{EXISTS(%nothing)}"), 0);
  eval("{3 SET(C4) 9 -2 EXPORT 0}");
  EXPECT_EQ(point.fields[4], 3);
  EXPECT_EQ(point.y, 9);
  EXPECT_EQ(eval("{STRCMP(\"ABC\",\"AB\")}"), 1);
  EXPECT_EQ(eval("{STRCMP(\"ABC\",\"AX\")}"), 0);
  EXPECT_EQ(eval("{0 gmtime}"), 24);
  std::string msgs = messages();
  EXPECT_EQ(msgs, "");
  EXPECT_EQ(
      vars.chars[static_cast<size_t>(whichcvariable(vars, "YYYY", IfUnknown::kQuiet, err)) - 1]
          .value,
      "1970");
  EXPECT_EQ(getvariable(vars, "TM_YEAR", &error, false, err), 70);
}

TEST_F(StakMathTest, DumpPrintsBothStacks) {
  eval("{4 sav 1 2 dump +}");
  out.flush();
  EXPECT_EQ(out_text,
            "math stack: 1.0000000000000000 2.0000000000000000\n"
            "perm stack: 4.0000000000000000\n");
}

}  // namespace
}  // namespace vexal

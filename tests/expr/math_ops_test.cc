// The plain functions, operators and constants: every name of every row
// reaches its row, and evaluating from the text gives what the compiled form
// gives, edge values and undefined arguments included.
#include "expr/math_ops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "expr/cmath.h"

namespace vexal {
namespace {

TEST(MathOpsTest, EveryRowGivesTheSameFromTextAndCompiled) {
  Variables vars;
  std::string messages;
  OutBuffer err(&messages), out(&messages);
  CurrentPoint point;
  MathStacks stacks;
  MathEnv env{vars, err, out, point, stacks};
  constexpr double kInf = std::numeric_limits<double>::infinity();
  // 1e39 lies beyond the single-precision range that BIT and F2I go through.
  const double kArgs[] = {0, -0.0, 1, -2.5, 0.5, 1e39, -kInf, std::nan("")};
  const std::string kOperands[] = {"", "$A ", "$A $B "};

  for (const MathOp& m : math_ops()) {
    std::string names = std::string(m.words) + " " + std::string(m.symbols);
    for (size_t at = 0, end; at < names.size(); at = end + 1) {
      end = std::min(names.find(' ', at), names.size());
      std::string name = names.substr(at, end - at);
      if (name.empty()) continue;
      std::string text = "{" + kOperands[m.arity] + name + "}";
      for (double a : kArgs) {
        for (double b : kArgs) {
          setvariable(vars, "A", a);
          setvariable(vars, "B", b);
          CompiledMath c;
          double interpreted = stak_math(text, env, c, false);
          int interpreted_error = point.error;
          stak_math(text, env, c, true);
          ASSERT_TRUE(c.compiled) << text;
          const MathEntry& last = c.entries.back();
          if (m.arity == 0)
            EXPECT_TRUE(last.opcode == Op::kPush && last.value == m.fn(0, 0)) << text;
          else
            EXPECT_EQ(last.opcode, m.op) << text;
          cmath(c, env);
          ASSERT_EQ(stacks.count, 1) << text;
          double compiled = stacks.values[0];
          std::string args = text + " with A = " + std::to_string(a) + ", B = " + std::to_string(b);
          EXPECT_TRUE(compiled == interpreted || (std::isnan(compiled) && std::isnan(interpreted)))
              << args << ": " << interpreted << " from the text, " << compiled << " compiled";
          EXPECT_EQ(point.error, interpreted_error) << args;
          if (m.arity < 2) break;  // b is not read
        }
        if (m.arity < 1) break;
      }
    }
  }
}

}  // namespace
}  // namespace vexal

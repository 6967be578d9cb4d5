// The words that compile to one opcode: every name of every row reaches its
// row, and evaluating from the text leaves what the compiled form leaves,
// edge values and undefined arguments included.
#include "expr/math_ops.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <limits>
#include <string>

#include "expr/cmath.h"
#include "expr/valread.h"

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
  const std::string kOperands = "$A $B $C $D $E ";  // A and B take each of kArgs
  setvariable(vars, "C", 2);
  setvariable(vars, "D", 3);
  setvariable(vars, "E", 4);
  struct State {
    double top;
    int below, saved, error;  // entries under the top, on the save stack; error flag
  };

  for (const MathOp& m : math_ops()) {
    if (m.read) continue;  // words the evaluator reads itself do not compile alike
    std::string names = std::string(m.words) + " " + std::string(m.symbols);
    for (size_t at = 0, end; at < names.size(); at = end + 1) {
      end = std::min(names.find(' ', at), names.size());
      std::string name = names.substr(at, end - at);
      if (name.empty()) continue;
      std::string text = "{" + kOperands.substr(0, 3 * static_cast<size_t>(m.arity)) + name + "}";
      for (double a : kArgs) {
        for (double b : kArgs) {
          setvariable(vars, "A", a);
          setvariable(vars, "B", b);
          CompiledMath c;
          stacks = MathStacks{};
          double top = stak_math(text, env, c, false);
          State interpreted{top, stacks.count, stacks.saved_count, point.error};
          stak_math(text, env, c, true);
          ASSERT_TRUE(c.compiled) << text;
          const MathEntry& last = c.entries.back();
          if (m.op == Op::kPush)
            EXPECT_EQ(last.value, m.fn(0, 0)) << text;
          else
            EXPECT_EQ(last.opcode, m.op) << text;
          stacks = MathStacks{};
          cmath(c, env);
          int n = stacks.count;
          State compiled{n > 0 ? stacks.values[static_cast<size_t>(n) - 1] : 0, std::max(n - 1, 0),
                         stacks.saved_count, point.error};
          std::string args = text + " with A = " + std::to_string(a) + ", B = " + std::to_string(b);
          EXPECT_TRUE(compiled.top == interpreted.top ||
                      (std::isnan(compiled.top) && std::isnan(interpreted.top)))
              << args << ": " << interpreted.top << " from the text, " << compiled.top
              << " compiled";
          EXPECT_EQ(compiled.below, interpreted.below) << args;
          EXPECT_EQ(compiled.saved, interpreted.saved) << args;
          EXPECT_EQ(compiled.error, interpreted.error) << args;
          if (m.arity < 2) break;  // b is not read
        }
        if (m.arity < 1) break;
      }
    }
  }
}

// The tokenizer tries numbers and fields Cn before the table, then takes the
// row of the longest word the token begins with or of the symbol it is.
TEST(MathOpsTest, EveryNameReachesItsRowAndTheLongestWins) {
  Variables vars;
  std::string messages;
  OutBuffer err(&messages);
  for (const MathOp& m : math_ops()) {
    for (bool whole : {false, true}) {
      std::string names(whole ? m.symbols : m.words);
      for (size_t at = 0, end; at < names.size(); at = end + 1) {
        end = std::min(names.find(' ', at), names.size());
        std::string name = names.substr(at, end - at);
        bool not_number = true;
        if (name[0] != '$') valread(name, &not_number, vars, err);
        EXPECT_TRUE(not_number) << name;
        EXPECT_FALSE(name[0] == 'C' && std::isdigit(name[1])) << name;
        EXPECT_EQ(find_math_op(name), &m) << name;
        if (whole)
          EXPECT_NE(find_math_op(name + "#"), &m) << name;
        else
          EXPECT_EQ(find_math_op(name + "#"), &m) << name;
      }
    }
  }
  // Where names overlap, the longest that fits wins; a symbol fits only the whole token.
  const std::pair<const char*, const char*> kTakes[] = {
      {"EXPORTS", "EXPORT"}, {"EXISTS(FOO", "E"}, {"ARRAY2B", "ARRAY2"}, {"LEX", nullptr}};
  for (auto [token, row] : kTakes)
    EXPECT_EQ(find_math_op(token), row ? find_math_op(row) : nullptr) << token;
}

}  // namespace
}  // namespace vexal

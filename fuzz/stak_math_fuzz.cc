// Fuzz target: the expression evaluator, its compile-only mode and the
// executor of the compiled form, on arbitrary expression texts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "expr/cmath.h"
#include "expr/stak_math.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vexal;
  static Variables vars;  // persists like a session's tables do
  std::string sink_text;
  OutBuffer sink(&sink_text);
  CurrentPoint point;
  MathStacks stacks;
  TmFrame frame;
  frame.rows = 4;
  frame.cols = 8;
  // Three points: X and Y held, Z the record numbers, V written out.
  static Column<double> xs;
  static ImplicitColumn<double> zs, vs;
  if (xs.empty())
    for (double v : {1.0, 2.0, 3.0}) {
      xs.push_back(v);
      zs.push_back(v);
      vs.push_back(v * v);
    }
  MathEnv env{vars, sink, sink, point, stacks};
  env.frame = &frame;
  env.store = PointColumns{&xs, &xs, &zs, &vs, 3};
  std::string_view text(reinterpret_cast<const char*>(data), size);
  CompiledMath compiled;
  stak_math(text, env, compiled, false);
  stak_math(text, env, compiled, true);
  if (compiled.compiled) cmath(compiled, env);
  sink_text.clear();
  return 0;
}

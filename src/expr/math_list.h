// The list of math commands applied to every data point: up to 100 command
// texts, each with its compiled form when it compiled.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "expr/math_state.h"

namespace vexal {

inline constexpr int kMaxMathCommands = 100;

struct MathCommand {
  std::string text;       // the command text, leading blanks removed (X = {X 1000 /})
  CompiledMath compiled;  // runs from here when compiled.compiled
};

struct MathList {
  std::vector<MathCommand> commands;  // in the order given; at most kMaxMathCommands
  bool any_xmath = false;             // some command changes X: range tests wait for the math
  bool any_ymath = false;             // some command changes Y
};

// Runs every math command on the current point in order: compiled ones from
// their compiled form, the others from their text. Returns false when a
// command set the point's error flag (the point is rejected).
bool run_math_commands(const MathList& list, MathEnv& env);

}  // namespace vexal

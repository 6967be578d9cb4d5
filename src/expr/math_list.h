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
  // Compiled forms of the braced operands of interpreted commands, reused
  // from point to point to avoid an allocation per point.
  mutable CompiledMath scratch;
};

// Runs every math command on the current point in order: compiled ones from
// their compiled form, the others from their text. Returns false when a
// command set the point's error flag (the point is rejected).
bool run_math_commands(const MathList& list, MathEnv& env);
// Runs one command on the current point: its compiled form when it compiled,
// else its text (`scratch` receives the compiled forms of braced operands).
void run_math_command(const MathCommand& c, MathEnv& env, CompiledMath& scratch);

// Compiles a command text: the braced expression (when "{" comes before the
// first "}") evaluated in compile-only mode, then the store into the target
// named by the first character. `compiled` is false when it cannot run from
// the entries.
CompiledMath compile_math_command(std::string_view text, MathEnv& env);
// Adds a command (leading blanks removed, cut at 256 characters) with its
// compiled form and notes X or Y math; the 101st command is refused with a
// message on env.err and false.
bool add_math_command(MathList& list, std::string_view text, MathEnv& env);
// Removes every command whose text begins with `first` (X, Y, V or Z); the
// later ones move up. Clears any_xmath / any_ymath for X / Y.
void remove_math_commands(MathList& list, char first);
// Removes the last command, if any.
void remove_last_math_command(MathList& list);
// The texts, one per line (DUMPMATH).
void write_math_list(const MathList& list, OutBuffer& out);
// Each compiled command's text and its entries (value, opcode), or the text
// and " did not compile." (DUMPCOMPILE).
void write_compiled_math(const MathList& list, OutBuffer& out);
// For each command: from X, Y, Z, V = 21, 22, 23, 24 evaluates its braced
// expression in compile-only mode, appends the store into X, runs the
// compiled form and prints both results with the entries (TESTCOMPILE).
void test_compile(const MathList& list, MathEnv& env, OutBuffer& out);

}  // namespace vexal

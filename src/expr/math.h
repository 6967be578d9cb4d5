// The interpreter of math command texts in the functional syntax:
// target = value, target = FUNC(a, b) or target = FUNC(a), where any value
// may also be a braced postfix expression.
#pragma once

#include <string_view>

#include "expr/math_state.h"

namespace vexal {

inline constexpr double kRangeRejected = -29999;  // what INC and EXC leave in a rejected target

// Interprets one command text (at most 256 characters are read) against the
// current point: clears the point's error flag, computes the value, and
// stores it in the target ($name, Cn, X, Y, Z or V; any other first
// character stores nowhere). Returns the value computed. A failure writes its
// message to env.err and sets the point's error flag; the target still
// receives the value computed so far. `scratch` receives the compiled forms
// of braced operands and is reused so that no call allocates.
double math(std::string_view text, MathEnv& env, CompiledMath& scratch);

}  // namespace vexal

// The executor of compiled expressions: runs a compiled form on the current
// point without reading text.
#pragma once

#include "expr/math_state.h"

namespace vexal {

// Runs one compiled expression on the current point. Not compiled: only sets
// the error flag. All entries run even after an error; the caller looks at
// the point's error flag afterwards.
void cmath(const CompiledMath& c, MathEnv& env);
// Runs one entry on the current point, as cmath does (the skipping of a
// conditional's untaken part is the caller's). The evaluator runs through it
// the words that mean the same from text as compiled.
void c_math(const MathEntry& e, MathEnv& env);

}  // namespace vexal

// The executor of compiled expressions: runs a compiled form on the current
// point without reading text.
#pragma once

#include "expr/math_state.h"

namespace vexal {

// Runs one compiled expression on the current point. Not compiled: only sets
// the error flag. All entries run even after an error; the caller looks at
// the point's error flag afterwards.
void cmath(const CompiledMath& c, MathEnv& env);

}  // namespace vexal

// Loops whose driver file is written a block of passes at a time.
#pragma once

#include "interp/session.h"

namespace vexal {

// When `f` is a loop driver whose written passes have all been read, writes
// the next block into it and rewinds `f`; true when there is more to read.
// A block that cannot be written ends the loop with a message.
bool extend_loop_driver(Session& s, CommandFile& f);

}  // namespace vexal

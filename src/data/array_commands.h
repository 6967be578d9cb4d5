// What the array commands share with the other commands that load the array.
#pragma once

namespace vexal {

struct Session;

// "XMIN " (or another word) and the value 13 wide in exponent form, onto the
// pending stack.
void push_limit(Session& s, const char* word, double v);
// What follows a load of the array, as after ARRAY: the wraps with their
// limits, the element math (unless `math` is off) and the default
// coordinates, pushed so that they run as ARRAYXSCALE, ARRAYYSCALE,
// DOARRAYMATH, YMIN/YMAX, XMIN/XMAX.
void queue_after_load(Session& s, bool math = true);

}  // namespace vexal

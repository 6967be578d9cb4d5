// Text, fonts and markers.
#include "postscript/chars.h"

namespace vexal {}  // namespace vexal

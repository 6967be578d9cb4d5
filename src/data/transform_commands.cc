// Transformations and fits of the stored points.
#include "interp/command_table.h"

namespace vexal {

std::span<const Command> transform_commands() { return {}; }

}  // namespace vexal

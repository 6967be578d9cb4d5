// Commands of this subsystem (filled in as they are built).
#include "interp/command_table.h"

namespace vexal {

std::span<const Command> pen_commands() { return {}; }

}  // namespace vexal

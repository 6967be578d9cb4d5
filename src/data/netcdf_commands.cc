// netCDF import: reading variables, dimensions and attributes of a file.
#include "interp/command_table.h"

namespace vexal {

std::span<const Command> netcdf_commands() { return {}; }

}  // namespace vexal

// File-system questions the interpreter asks.
#pragma once

#include <string>

namespace vexal {

// True when `name` names an existing regular file.
bool file_exists(const std::string& name);

}  // namespace vexal

// File-system questions the interpreter asks.
#pragma once

#include <cstdio>
#include <string>

namespace vexal {

// True when `name` names an existing regular file.
bool file_exists(const std::string& name);
// Reads one line (cut at `width`, line end and a trailing CR removed) from
// `fp` into `out`; false at end of input.
bool read_line(std::FILE* fp, std::string& out, size_t width = 256);

}  // namespace vexal

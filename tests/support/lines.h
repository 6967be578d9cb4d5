// Splitting document text into lines, for tests that check PostScript lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vexal {

// The lines of `text`, without their line ends (a last line without one
// counts too).
inline std::vector<std::string> split_lines(std::string_view text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    out.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

}  // namespace vexal

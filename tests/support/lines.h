// Splitting document text into lines, for tests that check PostScript lines.
#pragma once

#include <cstdio>
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

// The lines with every "dx dy D" of a --compact document (a line by steps
// from the current point) written as the "x y L" it stands for, the point
// followed through the "x y M" and "x y L" lines before it.
inline std::vector<std::string> absolute_steps(std::vector<std::string> lines) {
  long long x = 0, y = 0;
  for (std::string& l : lines) {
    long long a, b;
    char op, tail;
    if (std::sscanf(l.c_str(), "%lld %lld %c%c", &a, &b, &op, &tail) != 3) continue;
    if (op == 'D') {
      x += a;
      y += b;
      l = std::to_string(x) + " " + std::to_string(y) + " L";
    } else if (op == 'M' || op == 'L') {
      x = a;
      y = b;
    }
  }
  return lines;
}

}  // namespace vexal

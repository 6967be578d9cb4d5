// Splitting document text into lines, for tests that check PostScript lines.
#pragma once

#include <cstdlib>
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

// The lines with the steps of a --compact document written as the lines
// they stand for: "dx dy D" (a line by steps from the current point) as
// "x y L", "dx dy E" (a move by steps) as "x y M", and the pairs of a chain ("dx dy" pairs, last
// first, over one or more lines, then "n P") as one "x y L" line each, first first. The point is
// followed through the "x y M" and "x y L" lines.
inline std::vector<std::string> absolute_steps(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  long long x = 0, y = 0;
  std::vector<long long> chain;   // numbers of a chain read so far
  std::vector<std::string> held;  // their lines, kept when no "n P" follows
  const auto line_to = [&](long long dx, long long dy) {
    x += dx;
    y += dy;
    out.push_back(std::to_string(x) + " " + std::to_string(y) + " L");
  };
  for (const std::string& l : lines) {
    std::vector<long long> numbers;
    std::string word, op;
    for (size_t at = 0; at < l.size();) {
      const size_t end = std::min(l.find(' ', at), l.size());
      word = l.substr(at, end - at);
      at = end + 1;
      if (word.empty()) continue;
      char* stop = nullptr;
      const long long v = std::strtoll(word.c_str(), &stop, 10);
      if (*stop != '\0' || !op.empty()) {
        op = op.empty() ? word : "?";
        continue;
      }
      numbers.push_back(v);
    }
    if (op.empty() && !numbers.empty() && numbers.size() % 2 == 0) {
      chain.insert(chain.end(), numbers.begin(), numbers.end());  // part of a chain?
      held.push_back(l);
      continue;
    }
    if (op != "P") {  // the numbers held were not a chain (a dash array, say)
      out.insert(out.end(), held.begin(), held.end());
      chain.clear();
    }
    held.clear();
    if (op == "P" && !numbers.empty()) {
      chain.insert(chain.end(), numbers.begin(), numbers.end() - 1);
      const size_t n = static_cast<size_t>(numbers.back());
      for (size_t k = n; k-- > 0 && 2 * k + 1 < chain.size();)
        line_to(chain[2 * k], chain[2 * k + 1]);
      chain.clear();
      continue;
    }
    if (numbers.size() == 2 && op == "D") {
      line_to(numbers[0], numbers[1]);
      continue;
    }
    if (numbers.size() == 2 && op == "E") {
      x += numbers[0];
      y += numbers[1];
      out.push_back(std::to_string(x) + " " + std::to_string(y) + " M");
      continue;
    }
    if (numbers.size() == 2 && (op == "M" || op == "L")) {
      x = numbers[0];
      y = numbers[1];
    }
    out.push_back(l);
  }
  out.insert(out.end(), held.begin(), held.end());
  return out;
}

}  // namespace vexal

// The command reference compiled into the program, parsed once into entries.
#include "interp/command_reference.h"

#include <algorithm>

namespace vexal {

namespace {

// Made in the build tree from command_reference.txt by
// scripts/make-command-reference.sh.
constexpr std::string_view kReferenceText =
#include "interp/command_reference.inc"
    ;

// The text up to the next tab (all of it when there is none); `rest` keeps
// what follows the tab.
std::string_view next_field(std::string_view& rest) {
  const size_t tab = rest.find('\t');
  std::string_view field = rest.substr(0, tab);
  rest = tab == std::string_view::npos ? std::string_view() : rest.substr(tab + 1);
  return field;
}

}  // namespace

std::vector<CommandEntry> parse_command_reference(std::string_view text) {
  std::vector<CommandEntry> entries;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    CommandEntry e;
    e.name = next_field(line);
    e.params = next_field(line);
    e.effect = line;
    entries.push_back(e);
  }
  return entries;
}

const std::vector<CommandEntry>& command_reference() {
  // Built on first use and never changed after.
  static const std::vector<CommandEntry> entries = parse_command_reference(kReferenceText);
  return entries;
}

std::vector<CommandEntry> commands_beginning(std::string_view prefix) {
  std::vector<CommandEntry> found;
  for (const CommandEntry& e : command_reference())
    if (e.name.starts_with(prefix)) found.push_back(e);
  std::sort(found.begin(), found.end(),
            [](const CommandEntry& a, const CommandEntry& b) { return a.name < b.name; });
  return found;
}

}  // namespace vexal

// The merged command table and its lookup.
#include "interp/command_table.h"

#include <algorithm>

#include "interp/params.h"
#include "interp/session.h"

namespace vexal {

std::vector<std::span<const Command>> subsystem_commands() {
  return {interp_commands(), loop_commands(),     pen_commands(),   text_commands(),
          number_commands(), math_commands(),     data_commands(),  curve_commands(),
          axes_commands(),   shape_commands(),    array_commands(), threed_commands(),
          netcdf_commands(), transform_commands()};
}

CommandTable::CommandTable() {
  for (std::span<const Command> part : subsystem_commands())
    table_.insert(table_.end(), part.begin(), part.end());
  std::stable_sort(table_.begin(), table_.end(),
                   [](const Command& a, const Command& b) { return a.name < b.name; });
  for (const Command& c : table_) longest_ = std::max(longest_, c.name.size());
}

// The longest name the line begins with. The last name not after the key in
// sorted order is, when it is a prefix of the key, the longest such prefix;
// when it is not, every name that is a prefix of the key is no longer than
// the part the two have in common, so the search goes on with that part.
const Command* CommandTable::find(std::string_view line) const {
  std::string_view key = line.substr(0, std::min(line.size(), longest_));
  while (!key.empty()) {
    auto after = std::upper_bound(table_.begin(), table_.end(), key,
                                  [](std::string_view k, const Command& c) { return k < c.name; });
    if (after == table_.begin()) return nullptr;
    const Command& c = *(after - 1);
    if (key.starts_with(c.name)) return &c;
    size_t common = 0;
    while (common < c.name.size() && common < key.size() && c.name[common] == key[common]) ++common;
    key = key.substr(0, common);
  }
  return nullptr;
}

const CommandTable& command_table() {
  static const CommandTable table;  // immutable after construction
  return table;
}

}  // namespace vexal

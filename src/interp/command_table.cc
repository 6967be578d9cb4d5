// The merged command table and its lookup.
#include "interp/command_table.h"

#include <algorithm>

#include "interp/params.h"
#include "interp/session.h"

namespace vexal {

void cmd_not_yet(Session& s, Params&) {
  OutBuffer& err = s.err();
  err.put("Not yet available: ");
  err.line(std::string_view(s.cs.line).substr(0, s.cs.sep));
}

std::vector<std::span<const Command>> subsystem_commands() {
  return {interp_commands(), loop_commands(), pen_commands(),   text_commands(), number_commands(),
          math_commands(),   data_commands(), curve_commands(), axes_commands()};
}

CommandTable::CommandTable() {
  for (std::string_view name : all_command_names()) table_.push_back({name, cmd_not_yet});
  auto by_name = [](const Command& a, const Command& b) { return a.name < b.name; };
  std::sort(table_.begin(), table_.end(), by_name);
  for (std::span<const Command> part : subsystem_commands()) {
    for (const Command& built : part) {
      auto it = std::lower_bound(table_.begin(), table_.end(), built, by_name);
      if (it != table_.end() && it->name == built.name)
        it->handler = built.handler;
      else
        table_.insert(it, built);
    }
  }
  for (const Command& c : table_) longest_ = std::max(longest_, c.name.size());
}

const Command* CommandTable::find(std::string_view line) const {
  size_t n = std::min(line.size(), longest_);
  for (; n > 0; --n) {
    std::string_view key = line.substr(0, n);
    auto it = std::lower_bound(table_.begin(), table_.end(), key,
                               [](const Command& c, std::string_view k) { return c.name < k; });
    if (it != table_.end() && it->name == key) return &*it;
  }
  return nullptr;
}

const CommandTable& command_table() {
  static const CommandTable table;  // immutable after construction
  return table;
}

}  // namespace vexal

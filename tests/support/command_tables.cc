// The shared check of a subsystem's command table.
#include "support/command_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string_view>

namespace vexal {

const std::vector<std::string>& language_command_names() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list;
    std::ifstream in(std::string(VEXAL_SOURCE_DIR) + "/tests/support/command_names.txt");
    for (std::string line; std::getline(in, line);)
      if (!line.empty() && line[0] != '#') list.push_back(line);
    return list;
  }();
  return names;
}

size_t expect_dispatched_here(std::span<const Command> table) {
  std::set<std::string_view> seen;
  const auto& names = language_command_names();
  for (const Command& c : table) {
    EXPECT_TRUE(seen.insert(c.name).second) << "duplicate " << c.name;
    EXPECT_NE(std::find(names.begin(), names.end(), c.name), names.end()) << c.name;
    const Command* found = command_table().find(c.name);
    if (!found) {
      ADD_FAILURE() << c.name << " is not found";
      continue;
    }
    EXPECT_EQ(found->handler, c.handler) << c.name << " is not dispatched to its handler";
  }
  return seen.size();
}

}  // namespace vexal

// The shared check of a subsystem's command table.
#include "support/command_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string_view>

namespace vexal {

size_t expect_dispatched_here(std::span<const Command> table) {
  std::set<std::string_view> seen;
  const auto names = all_command_names();
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

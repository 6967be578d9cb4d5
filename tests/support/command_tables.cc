// The shared check of a subsystem's command table.
#include "support/command_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string_view>

#include "interp/command_reference.h"

namespace vexal {

size_t expect_dispatched_here(std::span<const Command> table) {
  std::set<std::string_view> seen;
  const auto& reference = command_reference();
  for (const Command& c : table) {
    EXPECT_TRUE(seen.insert(c.name).second) << "duplicate " << c.name;
    EXPECT_TRUE(std::any_of(reference.begin(), reference.end(),
                            [&](const CommandEntry& e) { return e.name == c.name; }))
        << c.name << " has no entry in src/interp/command_reference.txt";
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
